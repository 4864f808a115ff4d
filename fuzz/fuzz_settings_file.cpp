// Feeds arbitrary bytes to the settings-file reader. Whatever the input, the
// reader must answer a snapshot or a SettingsFileError; a snapshot it accepts
// must write out and read back as the same settings.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Platform/Log.h"
#include "TessalyCore/SettingsSnapshot.h"
#include "TessalyCore/SettingsTransfer.h"

using tessaly::SettingsFileError;
using tessaly::SettingsSnapshot;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tessaly::Log::setSink([](tessaly::LogLevel, tessaly::LogCategory, std::string_view) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SettingsSnapshot snapshot;
    try {
        snapshot = SettingsSnapshot::decode(bytes);
    } catch (const SettingsFileError& error) {
        (void)tessaly::SettingsTransfer::message(error);
        return 0;
    }
    // Any other exception escapes and is reported as a crash.

    const auto encoded = snapshot.encoded();
    if (!encoded) std::abort();  // decoded text is always valid UTF-8
    const SettingsSnapshot again = SettingsSnapshot::decode(*encoded);

    SettingsSnapshot expected = snapshot;
    expected.droppedItemCount = 0;
    if (expected.exportedAt) {
        // Written to whole seconds, and only for the years 0 to 9999.
        const double whole = std::floor(*expected.exportedAt);
        if (whole >= -62167219200.0 && whole < 253402300800.0) expected.exportedAt = whole;
        else expected.exportedAt.reset();
    }
    if (!(again == expected)) std::abort();
    return 0;
}
