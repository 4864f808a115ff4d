#pragma once
// Key names from the X server's current keyboard layout, through
// libxkbcommon-x11: the text a key produces with no modifier held, in the
// layout group active when the layout was read.
#include "Platform/KeyboardLayout.h"

#include <memory>
#include <mutex>
#include <string>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace tessaly {

class X11KeyboardLayout final : public KeyboardLayout {
public:
    // Reads the layout of `display` (empty: $DISPLAY); null when the server
    // or its keyboard extension cannot be reached.
    static std::shared_ptr<X11KeyboardLayout> read(const std::string& display = {});
    ~X11KeyboardLayout() override;

    std::optional<std::string> displayText(std::uint16_t keyCode) const override;
    // The key at the X key code's position (evdev codes + 8).
    std::optional<std::uint16_t> storedKeyCode(std::uint32_t nativeKeyCode) const override;

private:
    X11KeyboardLayout(xkb_context* context, xkb_keymap* keymap, xkb_state* state)
        : context_(context), keymap_(keymap), state_(state) {}

    xkb_context* context_;
    xkb_keymap* keymap_;
    xkb_state* state_;
    mutable std::mutex mutex_;
};

}  // namespace tessaly
