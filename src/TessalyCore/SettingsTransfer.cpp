#include "TessalyCore/SettingsTransfer.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "Platform/AtomicFile.h"
#include "Platform/JsonReading.h"
#include "Platform/Log.h"
#include "TessalyCore/L10n.h"

namespace tessaly::SettingsTransfer {

std::string defaultFileName(double now) {
    const auto seconds = static_cast<std::time_t>(std::floor(now));
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char date[48];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday);
    return L10n::settingsFileBaseName() + "-" + date + ".json";
}

std::optional<std::string> exportBytes(SettingsSnapshot snapshot, double now, std::string* error) {
    snapshot.exportedAt = now;
    return snapshot.encoded(error);
}

bool writeExport(const SettingsSnapshot& snapshot, const std::filesystem::path& file, double now) {
    std::string error;
    const auto bytes = exportBytes(snapshot, now, &error);
    if (bytes && AtomicFile::write(file, *bytes, 0644, &error)) return true;
    Log::error(LogCategory::settingsFile, "settings export failed: " + error);
    return false;
}

ImportResult decodeImport(std::string_view bytes) {
    ImportResult result;
    try {
        result.snapshot = SettingsSnapshot::decode(bytes);
    } catch (const SettingsFileError& error) {
        Log::error(LogCategory::settingsFile, std::string("settings import failed: ") + error.what());
        result.error = error;
    }
    return result;
}

ImportResult readImport(const std::filesystem::path& file) {
    const AtomicFile::ReadResult read = AtomicFile::read(file, json_reading::maxDocumentBytes);
    if (read.status != AtomicFile::ReadStatus::ok) {
        ImportResult result;
        result.error = SettingsFileError::unreadable(read.error);
        Log::error(LogCategory::settingsFile, "settings import failed: " + read.error);
        return result;
    }
    return decodeImport(read.bytes);
}

std::string message(const SettingsFileError& error) {
    switch (error.kind()) {
        case SettingsFileError::Kind::notASettingsFile: return L10n::importErrorNotOurFile();
        case SettingsFileError::Kind::unsupportedVersion:
            return error.version() >= 2 ? L10n::importErrorNewerVersion()
                                        : L10n::importErrorUnsupportedVersion(error.version());
        case SettingsFileError::Kind::unreadable: break;
    }
    return L10n::importErrorUnreadable();
}

std::string confirmReplaceText(int dropped) {
    std::string text = L10n::importConfirmBody();
    if (dropped >= 1) text += "\n\n" + L10n::importSkippedItems(dropped);
    return text;
}

}  // namespace tessaly::SettingsTransfer
