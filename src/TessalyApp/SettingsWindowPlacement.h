#pragma once
// Where the settings window and the shared colour panel go (global top-left
// coordinates, y down).
#include <optional>

#include "Platform/Geometry.h"

namespace tessaly::SettingsWindowPlacement {

// The settings window's pages are laid out for 640 x 750 points.
inline constexpr Size preferredWindowSize{640, 750};

// The window's size on a screen whose usable area is `available`: the
// preferred size, made smaller where the area is smaller (the page area
// scrolls then), so the whole window can always be reached.
Size windowSize(Size preferred, const Rect& available);

// Where the window's frame (its decoration included) must go so that all
// of it is inside `available`: moved in, and made smaller where it is
// larger than the area. Absent when it is inside already or the area is
// empty. The window manager's decoration is known only once the window is
// shown; the first placement guesses it, this corrects the guess.
std::optional<Rect> frameInside(const Rect& frame, const Rect& available);

// Where to put the colour panel when the settings window opens: centred on
// the window and kept inside the screen's visible frame (a panel larger
// than that frame ends at its left or bottom edge). Absent when the user
// has moved the panel away from where it was last put (more than 1 point
// either way): it then stays where the user left it.
std::optional<Point> colorPanelOrigin(const std::optional<Point>& lastCentered, const Point& current,
                                      const Rect& window, const Size& panel, const std::optional<Rect>& visible);

}  // namespace tessaly::SettingsWindowPlacement
