#pragma once
// Problems the user must hear about that have no window of their own: a
// tab-cycle hotkey another program holds, a launch-at-login change that did
// not happen, a restart that could not be arranged. Each is logged where it
// happens; while it stands, the status menu shows its line under the status
// line, in the display language.
//
//   notices.set(ShellNotice::hotkeysTaken, !registered);
//   for (const auto& line : notices.texts()) addDisabledRow(line);
//
// Main thread only.
#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "TessalyCore/L10nCatalog.h"

namespace tessaly {

enum class ShellNotice : std::size_t {
    hotkeysTaken,         // a tab-cycle hotkey could not be registered
    launchAtLoginFailed,  // the autostart entry could not be written or removed
    relaunchFailed,       // the restart could not be arranged
};

class ShellNotices {
public:
    static constexpr std::size_t count = 3;

    // Raises or clears a notice; onChange runs when that changed anything
    // (the settings window says a taken hotkey beside the hotkey rows too).
    void set(ShellNotice notice, bool active);
    bool isActive(ShellNotice notice) const { return active_[static_cast<std::size_t>(notice)]; }
    // The lines of the standing notices, in the order of the cases.
    std::vector<std::string> texts() const;
    // The line of one notice.
    static std::string text(ShellNotice notice);

    std::function<void(ShellNotice notice, bool active)> onChange;

private:
    std::array<bool, count> active_{};
};

namespace L10n {
// The notices' texts.
std::string noticeHotkeysTaken();
std::string noticeLaunchAtLoginFailed();
std::string noticeRelaunchFailed();
// The same text without its warning sign, for an alert's title.
std::string relaunchFailedTitle();
// Their rows, for the tests that walk every language.
std::span<const CatalogEntry> shellNoticeCatalog();
}  // namespace L10n

}  // namespace tessaly
