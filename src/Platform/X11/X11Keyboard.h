#pragma once
// Keys and modifiers between the program's stored form and X11.
//
// Stored key codes are macOS virtual key codes, which name physical key
// positions; X key codes are evdev scan codes + 8 under every current X
// server, so the mapping is a fixed table of positions. Stored modifiers
// are Carbon bits (command 0x100, shift 0x200, option 0x800, control
// 0x1000); on X, option is the modifier holding Alt and command the one
// holding Super, as the server's modifier mapping says.
#include "Platform/InputMonitor.h"
#include "Platform/X11/X11Connection.h"

#include <cstdint>
#include <optional>

namespace tessaly {

std::optional<xcb_keycode_t> x11KeyCode(std::uint16_t macKeyCode);
std::optional<std::uint16_t> macKeyCode(xcb_keycode_t x11KeyCode);

namespace CarbonModifier {
inline constexpr std::uint32_t command = 0x100;
inline constexpr std::uint32_t shift = 0x200;
inline constexpr std::uint32_t option = 0x800;
inline constexpr std::uint32_t control = 0x1000;
}  // namespace CarbonModifier

struct X11ModifierMasks {
    std::uint16_t shift = XCB_MOD_MASK_SHIFT;
    std::uint16_t lock = XCB_MOD_MASK_LOCK;
    std::uint16_t control = XCB_MOD_MASK_CONTROL;
    std::uint16_t alt = XCB_MOD_MASK_1;
    std::uint16_t super = XCB_MOD_MASK_4;
    std::uint16_t numLock = XCB_MOD_MASK_2;

    // Reads which of Mod1..Mod5 hold Alt, Super and Num Lock.
    static X11ModifierMasks read(const X11Connection& connection);

    // Carbon bits to an X modifier mask; absent for bits X cannot express.
    std::optional<std::uint16_t> fromCarbon(std::uint32_t carbon) const;
    // An X key/button state to the program's event flags.
    EventFlags eventFlags(std::uint16_t state) const;
    // The bits of a state that name modifiers a hot key is made of (not
    // Caps Lock, Num Lock or buttons).
    std::uint16_t significant(std::uint16_t state) const {
        return static_cast<std::uint16_t>(state & (shift | control | alt | super));
    }
};

}  // namespace tessaly
