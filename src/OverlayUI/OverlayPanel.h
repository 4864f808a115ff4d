#pragma once
// One window the overlay puts on screen (a bar's strip or backing, the drag
// chip, the insert preview, the cross-display prompt): borderless, never
// focused, never in the window manager's client list. Implemented by the
// toolkit half; the logic here only orders, moves and reads it.
//
// Frames are global top-left coordinates in the window server's units (the
// toolkit half converts to its own logical pixels).
#include "Platform/Geometry.h"
#include "Platform/Types.h"

namespace tessaly {

class OverlayPanel {
public:
    enum class Order { above, below };

    virtual ~OverlayPanel() = default;

    // The window server's number of the panel's window; 0 while it has none.
    virtual WindowID windowNumber() const = 0;
    // Whether the panel is mapped (ordered in) now.
    virtual bool isVisible() const = 0;
    virtual Rect frame() const = 0;
    // Moves and resizes the panel and redraws it at once.
    virtual void setFrame(const Rect& frame) = 0;
    // Orders the panel in at the front of its level, whatever the
    // application's activation state; never takes focus.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    // The toolkit's own ordering: directly above or below another window
    // (a window server number, a client window of another application or
    // another panel), ordering the panel in when it is out. Panels are
    // restacked relative to the window's frame (the root's child holding it),
    // after every request of the panel's own connection has reached the
    // server. True when the request was made.
    virtual bool orderRelative(Order order, WindowID relativeTo) = 0;
    // Whether the panel is known to stand where its last relative ordering
    // put it, nothing having come between since; false when not known.
    virtual bool isOrderedRelative() const { return false; }
};

}  // namespace tessaly
