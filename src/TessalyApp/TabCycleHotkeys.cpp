#include "TessalyApp/TabCycleHotkeys.h"

#include "TessalyCore/KeyComboDisplay.h"

namespace tessaly {

namespace {

constexpr HotkeyModifiers kControlAlt = HotkeyModifiers::control | HotkeyModifiers::option;
constexpr HotkeyModifiers kControlSuper = HotkeyModifiers::control | HotkeyModifiers::command;
constexpr HotkeyModifiers kAltSuper = HotkeyModifiers::option | HotkeyModifiers::command;

}  // namespace

// Measured on openbox, xfwm4, fluxbox, icewm, metacity, marco and i3 as
// they come: Ctrl+Alt+Page Down/Up are free on all of them; fluxbox holds
// Ctrl+Super+←/→ and metacity Alt+Super+←/→, so each pair after the first
// still leaves every one of them a working one.
const std::array<TabCycleKeys, 3> TabCycleHotkeys::fallbacks{{
    {KeyCombo(HotkeyKeyCode::pageDown, kControlAlt), KeyCombo(HotkeyKeyCode::pageUp, kControlAlt)},
    {KeyCombo(HotkeyKeyCode::rightArrow, kControlSuper), KeyCombo(HotkeyKeyCode::leftArrow, kControlSuper)},
    {KeyCombo(HotkeyKeyCode::rightArrow, kAltSuper), KeyCombo(HotkeyKeyCode::leftArrow, kAltSuper)},
}};

std::string TabCycleKeys::displayName() const {
    if (!next && !prev) return {};
    if (!next) return displayString(*prev);
    if (!prev) return displayString(*next);
    // Previous before next, as the keys lie: ← before →.
    if (prev->modifiers == next->modifiers) return displayString(*prev) + "/" + keyName(next->keyCode, KeyboardLayout::current().get());
    return displayString(*prev) + " / " + displayString(*next);
}

TabCycleHotkeys TabCycleHotkeys::enable(const TabCycleKeys& asked, bool recordedByUser, const Enable& enable) {
    if (enable(asked)) return {asked, asked, true};
    if (!recordedByUser) {
        for (const TabCycleKeys& pair : fallbacks) {
            if (enable(pair)) return {asked, pair, true};
        }
        // Whichever of the defaults is free still works, as it would
        // without the fallbacks.
        enable(asked);
    }
    return {asked, asked, false};
}

}  // namespace tessaly
