#pragma once
// The current keyboard layout, for naming keys to the user. On X11 the text
// comes from libxkbcommon's keymap of the core keyboard (the X keycode for
// the stored key code, at level 1 of its current group).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tessaly {

class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;

    // The text the layout puts on the key with no modifiers held, as UTF-8,
    // untrimmed; absent when the key yields nothing. The key code is a
    // macOS virtual key code; a backend maps it to its own keys.
    virtual std::optional<std::string> displayText(std::uint16_t keyCode) const = 0;

    // The stored (macOS virtual) key code of the key a native key event
    // names (on X11 its X key code); absent for a key the program cannot
    // store. A backend that does not know its native codes answers absent.
    virtual std::optional<std::uint16_t> storedKeyCode(std::uint32_t nativeKeyCode) const {
        static_cast<void>(nativeKeyCode);
        return std::nullopt;
    }

    // The layout the program names keys with; null until one is installed
    // (then no key has a layout name). Set once at start-up, on the main
    // thread.
    static std::shared_ptr<const KeyboardLayout> current();
    static void setCurrent(std::shared_ptr<const KeyboardLayout> layout);
};

}  // namespace tessaly
