#pragma once
// Many window managers move a window dragged by its title bar only when no
// modifier is held, so the grouping gesture (a drag with the grouping
// modifier) would move nothing. The assist watches presses with those
// modifiers on a client's title bar; when the pointer then moves and the
// window manager has not started moving the frame, it asks the window
// manager to move the window, so the drag goes on as a normal move.
// It also tells how the window manager moves a window with Shift held.
#include "Platform/InputMonitor.h"

namespace tessaly {

class WindowMoveAssist {
public:
    virtual ~WindowMoveAssist() = default;
    // The modifier flags whose presses are assisted; 0 turns the assist off.
    virtual void setGroupingModifiers(EventFlags modifiers) = 0;
    // Whether the window manager, while Shift is held, snaps a window it
    // moves from edge to edge (of the screens and the other windows)
    // instead of letting it follow the pointer, as metacity and its kin do.
    // Main thread.
    virtual bool snapsMovesWithShift() const { return false; }
    // Whether the window manager puts a window it moves with Shift held
    // where it chooses when the button is released, whatever the program
    // asks for then (KWin drops it into one of its custom tiles): a drag
    // with Shift held cannot group there. Main thread.
    virtual bool takesShiftDrags() const { return false; }
};

}  // namespace tessaly
