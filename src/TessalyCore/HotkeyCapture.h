#pragma once
// What one key press means while the user records a new shortcut: record it,
// cancel the recording, clear the shortcut, or refuse it.
#include <cstdint>
#include <iosfwd>

#include "TessalyCore/KeyCombo.h"

namespace tessaly {

struct HotkeyCapture {
    enum class Kind { captured, cancel, clear, rejected };

    Kind kind = Kind::rejected;
    KeyCombo combo;  // captured only

    static HotkeyCapture captured(const KeyCombo& combo) { return {Kind::captured, combo}; }
    static HotkeyCapture cancel() { return {Kind::cancel, {}}; }
    static HotkeyCapture clear() { return {Kind::clear, {}}; }
    static HotkeyCapture rejected() { return {Kind::rejected, {}}; }

    // Escape alone cancels and Delete alone clears; any key with Command,
    // Option or Control is recorded; a function key F1-F20 is recorded alone
    // or with Shift; anything else is refused.
    static HotkeyCapture evaluate(std::uint32_t keyCode, HotkeyModifiers modifiers);

    // Whether the key code is one of F1 to F20.
    static bool isFunctionKey(std::uint32_t keyCode);

    friend bool operator==(const HotkeyCapture&, const HotkeyCapture&) = default;
};

std::ostream& operator<<(std::ostream& os, const HotkeyCapture& capture);

}  // namespace tessaly
