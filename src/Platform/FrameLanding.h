#pragma once
// Whether a window took the frame it was sent. Applications apply a frame
// late, partly or in steps, and terminals and editors snap their size to
// character cells (their size increments), so a frame "lands" when along
// each axis its edges are within the tolerance of the asked ones, or its
// length is off by less than one of the window's increments with one edge
// kept within the tolerance (window managers snap a size keeping the top
// and left edges, or, as metacity may, the bottom one). A difference that
// cannot be compared (a value that is not a number) never lands.
#include <optional>

#include "Platform/Geometry.h"
#include "Platform/MaximizedAxes.h"
#include "Platform/WindowHints.h"

namespace tessaly::FrameLanding {

// `increment` 0 on an axis: that axis has none.
bool isLanded(const Rect& read, const Rect& asked, double tolerance, Size increment = {});

// The same along the axes a window is not maximised along only: along the
// others the window manager decides.
bool isLandedBeside(const Rect& read, const Rect& asked, MaximizedAxes maximized, double tolerance,
                    Size increment = {});

// The window's size increments from its hints; zero when it has none or
// no hints are known.
Size increments(const WindowHints* hints, WindowID window);

}  // namespace tessaly::FrameLanding
