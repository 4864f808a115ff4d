#pragma once
// A group member moved aside while its group's active window is dragged: the
// element to move it back with, when the window system tracks the window.
#include "AXKit/AXWindow.h"
#include "Platform/Types.h"

namespace tessaly {

struct ParkedMember {
    WindowID windowID = 0;
    AXWindowRef window;  // null when the window is not tracked: moved back by id
};

}  // namespace tessaly
