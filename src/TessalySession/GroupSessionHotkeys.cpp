// The tab-cycle hotkeys: two global keys step through the tabs of the
// focused window's group.
#include "TessalySession/GroupSession.h"

namespace tessaly {

bool GroupSession::enableTabCycleHotkeys(const std::optional<KeyCombo>& next, const std::optional<KeyCombo>& prev) {
    disableTabCycleHotkeys();
    if (!next && !prev) return true;
    if (isShutDown_ || !services_.hotkeyService) return false;
    auto manager = std::make_unique<HotkeyManager>(*services_.hotkeyService);
    bool allRegistered = true;
    bool anyRegistered = false;
    const auto add = [&](const std::optional<KeyCombo>& combo, bool forward) {
        if (!combo) return;
        const bool registered =
            manager->registerHotkey(*combo, guarded([this, forward] { cycleFocusedGroup(forward); }));
        allRegistered = allRegistered && registered;
        anyRegistered = anyRegistered || registered;
    };
    add(next, true);
    add(prev, false);
    if (anyRegistered) hotkeys_ = std::move(manager);
    else manager->unregisterAll();
    return allRegistered;
}

void GroupSession::disableTabCycleHotkeys() {
    if (!hotkeys_) return;
    hotkeys_->unregisterAll();
    hotkeys_.reset();
}

void GroupSession::cycleFocusedGroup(bool forward) {
    const auto pid = frontmostPID();
    if (!pid) return;
    const AXWindowRef focused = focusedWindow(*pid);
    if (!focused || !focused->windowID) return;
    engine_->cycleActive(*focused->windowID, forward);
}

}  // namespace tessaly
