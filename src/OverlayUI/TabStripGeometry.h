#pragma once
// Where a group's tab strip goes: directly above its window, or inside the
// window's title bar when there is no room above; the corner radii of the
// strip and the band of the backing under the window's top corners.
// Global top-left coordinates; pure functions of their arguments.
#include <optional>
#include <vector>

#include "Platform/Displays.h"
#include "Platform/Geometry.h"
#include "TessalyCore/ScreenBox.h"

namespace tessaly::TabStripGeometry {

inline constexpr double defaultHeight = 30.0;
// The radius of an ordinary window's top corners, which the strip's top
// corners follow.
inline constexpr double windowCornerRadius = 10.0;
// The height of the backing band under the window's top edge.
inline constexpr double backingReach = windowCornerRadius + 8.0;
// The least width of a strip inside a title bar.
inline constexpr double overlapMinWidth = 120.0;
// The corner radius of a strip lying inside a title bar (all four corners).
inline constexpr double overlapCornerRadius = 10.0;
// The least height of a strip inside a title bar: that of the lowest bar
// the fixed inset leaves.
inline constexpr double insideMinHeight = 16.0;

struct Placement {
    enum class Mode { above, overlap };

    Mode mode = Mode::above;
    Rect frame;             // the strip's frame
    double barHeight = 0;   // the height the strip's content is laid out for

    friend bool operator==(const Placement&, const Placement&) = default;
};

// The height a strip takes for a requested bar height: clamped into the
// allowed bar heights.
double stripHeight(double height);

// The strip for a window. The height is clamped into the allowed bar
// heights. Above the window when it fits below the usable top of the
// window's screen (or the window is on no screen); otherwise inside the
// title bar, inset 80 points from each side, at least 120 wide, and always
// kept inside the window.
//
// `titleBarHeight` is the band along the frame's top where the window
// manager draws the title bar, when known. The strip inside then lies in
// what shows of that band below the usable top, a point clear of its edges
// and no taller than the fixed inset would make it, and keeps clear of the
// window manager's buttons at both ends (inset by six times the band's
// height where that is more than 80 points). A band too low for a strip of
// `insideMinHeight` (a window with a header bar of its own has none) holds
// no strip: it lies at the fixed inset, over the window, until the window
// is given room (see hasRoom).
Placement placement(const Rect& windowFrame, double height, const std::vector<ScreenBox>& screens,
                    std::optional<double> titleBarHeight = std::nullopt);
// Whether the strip for the window covers none of what the window shows:
// it fits above, or inside a title bar whose height is known.
bool hasRoom(const Rect& windowFrame, double height, const std::vector<ScreenBox>& screens,
             std::optional<double> titleBarHeight);
Rect stripFrame(const Rect& windowFrame, double height, const std::vector<ScreenBox>& screens);

// The smaller of h / 2 and the window corner radius.
double barCornerRadius(double barHeight);
// The band along the window's top edge that the backing covers.
Rect backingFrame(const Rect& windowFrame);

// Every display as a ScreenBox, in the displays' order (the main display first).
std::vector<ScreenBox> screenBoxesCG(const Displays& displays);

// The corner radii of a strip's background.
struct Style {
    double topCornerRadius = overlapCornerRadius;
    double bottomCornerRadius = overlapCornerRadius;

    friend bool operator==(const Style&, const Style&) = default;
};

// Everything a bar needs to put itself on screen for one group frame.
struct BarLayout {
    Placement placement;
    Style style;
    // The backing band; absent when the strip lies inside the title bar
    // (the backing is then ordered out).
    std::optional<Rect> backingFrame;

    friend bool operator==(const BarLayout&, const BarLayout&) = default;
};

// Above the window: top corners rounded by barCornerRadius, square bottom,
// with the backing band. Inside the title bar: all corners
// overlapCornerRadius, no backing.
BarLayout barLayout(const Rect& groupFrame, double height, const std::vector<ScreenBox>& screens,
                    std::optional<double> titleBarHeight = std::nullopt);

// Whether a strip frame can be put on screen at all: finite, at least one
// point wide and high.
bool isPlaceable(const Rect& stripFrame);

}  // namespace tessaly::TabStripGeometry
