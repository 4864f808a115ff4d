#pragma once
// System-wide hot keys over X11: each combination is grabbed on the root
// with XGrabKey, once per Caps Lock / Num Lock variant, on a connection and
// thread of the service's own; presses are handed to the handlers on the
// main executor. A grab the server refuses (another client holds the
// combination) fails the registration and leaves nothing grabbed; so does
// a combination the running window manager binds where the server would
// grant the grab and the window manager still get the presses (mutter,
// muffin, KWin: WindowManagerBindings). Holding a key down reports one
// press (detectable auto-repeat).
#include "Platform/HotkeyService.h"
#include "Platform/MainExecutor.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11EventThread.h"
#include "Platform/X11/X11Keyboard.h"
#include "Platform/X11/WindowManagerBindings.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace tessaly {

class X11HotkeyService final : public HotkeyService {
public:
    // The desktop's own: GSettings through GIO, and the user's
    // kglobalshortcutsrc.
    static WindowManagerBindings::Sources desktopBindingSources();

    // Null when no X server can be reached. The window manager's bindings
    // are read from `bindingSources` at each registration.
    static std::unique_ptr<X11HotkeyService> create(const std::shared_ptr<X11Backend>& backend,
                                                    std::shared_ptr<MainExecutor> main,
                                                    WindowManagerBindings::Sources bindingSources = desktopBindingSources());
    ~X11HotkeyService() override;

    std::optional<HandlerRef> installHandler(PressHandler handler) override;
    void removeHandler(HandlerRef handler) override;
    std::optional<HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyID id) override;
    void unregisterHotKey(HotKeyRef hotKey) override;

    struct State;

private:
    X11HotkeyService(std::unique_ptr<X11Connection> connection, std::shared_ptr<MainExecutor> main,
                     WindowManagerBindings::Sources bindingSources);
    void handle(const xcb_generic_event_t& event);
    // Whether the running window manager binds the key with these (Carbon)
    // modifiers itself.
    bool heldByWindowManager(xcb_keycode_t key, std::uint32_t modifiers) const;
    std::vector<std::uint16_t> variants(std::uint16_t mask) const;

    std::unique_ptr<X11Connection> x_;
    X11ModifierMasks masks_;
    WindowManagerBindings::Sources bindingSources_;
    std::shared_ptr<State> state_;
    X11EventThread thread_;
};

}  // namespace tessaly
