#pragma once
// A shortcut as the user reads it: "⌃ Control + ⌥ Option + →".
#include <cstdint>
#include <optional>
#include <string>

#include "Platform/KeyboardLayout.h"
#include "TessalyCore/KeyCombo.h"

namespace tessaly {

// The modifiers it holds, in the order Control, Option, Shift, Command,
// then the key's name, joined by " + ". Other modifier bits are not shown.
// Key names come from the installed keyboard layout.
std::string displayString(const KeyCombo& combo);
std::string displayString(const KeyCombo& combo, const KeyboardLayout* layout);

// A key's name: the fixed name of a special key (arrows, Space, Return, F1,
// ...), else the layout's text for it, else "Key " and the code.
std::string keyName(std::uint32_t keyCode, const KeyboardLayout* layout);

// The layout's text for the key with no modifiers held, trimmed and in upper
// case; absent when empty, unknown, or when the code is beyond the layout's
// 16-bit key codes.
std::optional<std::string> layoutKeyName(std::uint32_t keyCode, const KeyboardLayout* layout);

}  // namespace tessaly
