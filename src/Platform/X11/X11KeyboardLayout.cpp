#include "Platform/X11/X11KeyboardLayout.h"

#include "Platform/X11/X11Connection.h"
#include "Platform/X11/X11Keyboard.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace tessaly {

std::shared_ptr<X11KeyboardLayout> X11KeyboardLayout::read(const std::string& display) {
    auto connection = X11Connection::open(display);
    if (!connection) return nullptr;
    xcb_connection_t* c = connection->get();
    if (!xkb_x11_setup_xkb_extension(c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        return nullptr;
    }
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(c);
    if (device < 0) return nullptr;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context) return nullptr;
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(context, c, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_state* live = keymap ? xkb_x11_state_new_from_device(keymap, c, device) : nullptr;
    if (!live) {
        if (keymap) xkb_keymap_unref(keymap);
        xkb_context_unref(context);
        return nullptr;
    }
    // The active group, without any modifier held.
    const xkb_layout_index_t group = xkb_state_serialize_layout(live, XKB_STATE_LAYOUT_EFFECTIVE);
    xkb_state_unref(live);
    xkb_state* state = xkb_state_new(keymap);
    if (!state) {
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
        return nullptr;
    }
    xkb_state_update_mask(state, 0, 0, 0, 0, 0, group);
    return std::shared_ptr<X11KeyboardLayout>(new X11KeyboardLayout(context, keymap, state));
}

X11KeyboardLayout::~X11KeyboardLayout() {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

std::optional<std::string> X11KeyboardLayout::displayText(std::uint16_t keyCode) const {
    const auto key = x11KeyCode(keyCode);
    if (!key) return std::nullopt;
    std::lock_guard lock(mutex_);
    char buffer[64];
    const int length = xkb_state_key_get_utf8(state_, *key, buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::optional<std::uint16_t> X11KeyboardLayout::storedKeyCode(std::uint32_t nativeKeyCode) const {
    if (nativeKeyCode > 255) return std::nullopt;  // X key codes are 8 bits
    return macKeyCode(static_cast<xcb_keycode_t>(nativeKeyCode));
}

}  // namespace tessaly
