#pragma once
// How the window manager holds a window, judged at this one place from what
// it tells: the maximised state it publishes and the window's frame against
// the work area of its display.
//
//   maximised   a published state, and the window fills the work area
//               along those axes (it may hide borders beyond it)
//   tiled       the window fills the work area from top to bottom at its
//               left or right edge and is narrower than it: half-screen
//               tiling, which metacity, marco, mutter and muffin publish as
//               "maximised vertically" and KWin's quick tiling publishes
//               not at all; the window manager keeps the window there
//   half way    a published state that the frame does not fill (yet, or
//               any more): the window manager is on its way
//   none        an ordinary frame
//
// A window fills along an axis when both its edges lie within the tolerance
// of the work area's or beyond them; one that keeps to size increments (a
// terminal's character cells) may stop short of one edge by less than one
// increment, as window managers leave it where the cells end.
#include "Platform/Geometry.h"
#include "Platform/MaximizedAxes.h"

namespace tessaly {

struct WindowManagerFrame {
    enum class Hold { none, halfWay, maximized, tiled };

    Hold hold = Hold::none;
    // Maximised or tiled: the part of the window in the work area, what the
    // group takes as its frame.
    Rect shown;

    bool holds() const { return hold == Hold::maximized || hold == Hold::tiled; }

    static WindowManagerFrame judge(const Rect& frame, MaximizedAxes state, const Rect& workArea, Size increments,
                                    double tolerance);
};

}  // namespace tessaly
