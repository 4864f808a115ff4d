#pragma once
// Mouse and modifier state over X11. The mouse tap listens to XInput 2 raw
// button and motion events on the root, on a thread and connection of its
// own (raw events keep coming while the window manager grabs the pointer to
// move a window); raw events carry neither position nor modifiers, so each
// one is paired with a QueryPointer. Live state is one QueryPointer.
#include "Platform/InputMonitor.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11Keyboard.h"

#include <memory>

namespace tessaly {

class X11InputMonitor final : public InputMonitor {
public:
    explicit X11InputMonitor(std::shared_ptr<X11Backend> backend);

    // Null when the server has no XInput 2.
    std::unique_ptr<MouseTap> makeMouseTap() override;
    bool isLeftButtonDown() const override;
    EventFlags modifierFlags() const override;
    Point pointerLocation() const override;
    PointerState pointerState() const override;  // one QueryPointer

private:
    XReply<xcb_query_pointer_reply_t> queryPointer() const;

    std::shared_ptr<X11Backend> backend_;
    X11ModifierMasks masks_;
};

}  // namespace tessaly
