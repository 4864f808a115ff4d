#pragma once
// A shortcut as the user reads it, named as on a PC keyboard: "Ctrl+Alt+→".
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Platform/KeyboardLayout.h"
#include "TessalyCore/KeyCombo.h"

namespace tessaly {

// The names of the stored modifiers, in the order they are shown: Ctrl
// before Alt, as every Linux desktop writes them, Shift after both (as KDE
// puts it) and Super last (as GNOME puts it). The stored option bit is the
// modifier that holds Alt, the command bit the one that holds Super.
inline constexpr std::array<std::pair<HotkeyModifiers, std::string_view>, 4> modifierNames{{
    {HotkeyModifiers::control, "Ctrl"},
    {HotkeyModifiers::option, "Alt"},
    {HotkeyModifiers::shift, "Shift"},
    {HotkeyModifiers::command, "Super"},
}};

// The name of one of the four modifiers above ("Alt" for option), as the
// keyboards of the display language label it (Control is "Strg" in German).
std::string modifierName(HotkeyModifiers modifier);

// The modifiers it holds, in the order above, then the key's name, joined
// by "+" ("Ctrl+Alt+→"). Other modifier bits are not shown. Key names come
// from the installed keyboard layout.
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
