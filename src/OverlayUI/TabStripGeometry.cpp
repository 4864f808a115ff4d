#include "OverlayUI/TabStripGeometry.h"

#include <algorithm>
#include <cmath>

#include "TessalyCore/SettingsStore.h"
#include "TessalyCore/WindowPlacement.h"

namespace tessaly::TabStripGeometry {

namespace {

// Horizontal inset of a strip inside a title bar from each side of the
// window (clear of the window's own buttons).
constexpr double titleBarClearance = 80.0;
// The gap between the window's top edge and a strip inside its title bar.
constexpr double overlapTopInset = 4.0;
// The gap between a strip and the edges of the window manager's title bar.
constexpr double titleBarMargin = 1.0;
// How far a window manager's title-bar buttons may reach in from a side of
// the window, in title-bar heights: five buttons about as wide as the bar
// is high (icewm's), with a little to spare.
constexpr double titleBarButtonReach = 6.0;

// The strip inside the title bar, between the window's sides, `clearance`
// in from each where the window is wide enough.
Rect insideStrip(const Rect& window, double clearance, double y, double barHeight) {
    double width = window.width() - 2 * clearance;
    if (width <= overlapMinWidth) width = overlapMinWidth;
    width = std::min(width, window.width());
    const double x = std::min(window.minX() + clearance, window.maxX() - width);
    return Rect(x, y, width, barHeight);
}

// Inside the title bar the window manager draws across the top
// `titleBarHeight` of the window, below `limit`; absent when it is too low.
std::optional<Placement> insideTitleBar(const Rect& window, double h, double titleBarHeight, double limit) {
    const double top = std::max(window.minY(), limit);
    const double band = window.minY() + titleBarHeight - top;
    const double barHeight = std::min(h - overlapTopInset, band - 2 * titleBarMargin);
    if (!(barHeight >= insideMinHeight)) return std::nullopt;
    const double clearance = std::max(titleBarClearance, titleBarButtonReach * band);
    const double y = top + std::floor((band - barHeight) / 2);
    return Placement{Placement::Mode::overlap, insideStrip(window, clearance, y, barHeight), barHeight};
}

}  // namespace

double stripHeight(double height) {
    constexpr auto range = SettingsStore::tabBarHeightRange;
    if (!(height >= range.lowerBound)) return range.lowerBound;  // also NaN
    return std::min(range.upperBound, height);
}

Placement placement(const Rect& windowFrame, double height, const std::vector<ScreenBox>& screens,
                    std::optional<double> titleBarHeight) {
    const double h = stripHeight(height);
    const Rect window = windowFrame.standardized();
    const Rect above(window.minX(), window.minY() - h, window.width(), h);
    const std::optional<double> limit = WindowPlacement::stripTopLimitCG(window, screens);
    if (!limit || above.minY() >= *limit) return {Placement::Mode::above, above, h};
    // Inside the window manager's title bar, covering nothing of what the
    // window shows, where it holds the strip.
    if (titleBarHeight) {
        if (const auto inside = insideTitleBar(window, h, *titleBarHeight, *limit)) return *inside;
    }
    // Otherwise at the top of the window, inset from both sides, but never
    // narrower than the least width, and never past the window's own edges
    // (the session gives the window room below the bar where it can).
    const double barHeight = h - overlapTopInset;
    return {Placement::Mode::overlap,
            insideStrip(window, titleBarClearance, window.minY() + overlapTopInset, barHeight), barHeight};
}

bool hasRoom(const Rect& windowFrame, double height, const std::vector<ScreenBox>& screens,
             std::optional<double> titleBarHeight) {
    const Rect window = windowFrame.standardized();
    const std::optional<double> limit = WindowPlacement::stripTopLimitCG(window, screens);
    if (!limit || window.minY() - stripHeight(height) >= *limit) return true;
    return !titleBarHeight || insideTitleBar(window, stripHeight(height), *titleBarHeight, *limit).has_value();
}

Rect stripFrame(const Rect& windowFrame, double height, const std::vector<ScreenBox>& screens) {
    return placement(windowFrame, height, screens).frame;
}

double barCornerRadius(double barHeight) {
    const double half = barHeight * 0.5;
    return half < windowCornerRadius ? half : windowCornerRadius;
}

Rect backingFrame(const Rect& windowFrame) {
    const Rect window = windowFrame.standardized();
    return Rect(window.minX(), window.minY(), window.width(), backingReach);
}

std::vector<ScreenBox> screenBoxesCG(const Displays& displays) {
    std::vector<ScreenBox> boxes;
    for (const DisplayInfo& display : displays.screens()) boxes.push_back({display.frame, display.visibleFrame});
    return boxes;
}

BarLayout barLayout(const Rect& groupFrame, double height, const std::vector<ScreenBox>& screens,
                    std::optional<double> titleBarHeight) {
    BarLayout layout;
    layout.placement = placement(groupFrame, height, screens, titleBarHeight);
    if (layout.placement.mode == Placement::Mode::above) {
        layout.style = {barCornerRadius(layout.placement.barHeight), 0};
        layout.backingFrame = backingFrame(groupFrame);
    } else {
        layout.style = {overlapCornerRadius, overlapCornerRadius};
    }
    return layout;
}

bool isPlaceable(const Rect& stripFrame) {
    return stripFrame.isSane() && stripFrame.width() >= 1 && stripFrame.height() >= 1;
}

}  // namespace tessaly::TabStripGeometry
