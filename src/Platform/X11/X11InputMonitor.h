#pragma once
// Mouse and modifier state over X11. The mouse tap listens to XInput 2 raw
// button and motion events on the root, on a thread and connection of its
// own (raw events keep coming while the window manager grabs the pointer to
// move a window); raw events carry neither position nor modifiers, so each
// one is paired with a QueryPointer. The left button comes from the event
// reader's raw events with no round trip while it knows it (and the tap,
// on its own connection, agrees); otherwise, like the modifiers and the
// location, it is one QueryPointer.
#include "Platform/InputMonitor.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11Keyboard.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace tessaly {

class X11InputMonitor final : public InputMonitor {
public:
    explicit X11InputMonitor(std::shared_ptr<X11Backend> backend);

    // Null when the server has no XInput 2.
    std::unique_ptr<MouseTap> makeMouseTap() override;
    bool isLeftButtonDown() const override;
    ButtonState leftButtonState() const override;
    EventFlags modifierFlags() const override;
    Point pointerLocation() const override;

    // How often the left button was asked of the server (for tests).
    std::uint64_t buttonQueries() const { return buttonQueries_.load(); }

private:
    XReply<xcb_query_pointer_reply_t> queryPointer() const;

    std::shared_ptr<X11Backend> backend_;
    X11ModifierMasks masks_;
    // The left button as the taps last saw it; unknown while none runs.
    std::shared_ptr<X11ButtonState> tapped_ = std::make_shared<X11ButtonState>();
    mutable std::atomic<std::uint64_t> buttonQueries_{0};
};

}  // namespace tessaly
