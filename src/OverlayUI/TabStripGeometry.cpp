#include "OverlayUI/TabStripGeometry.h"

#include <algorithm>

#include "TessalyCore/SettingsStore.h"
#include "TessalyCore/WindowPlacement.h"

namespace tessaly::TabStripGeometry {

namespace {

// Horizontal inset of a strip inside a title bar from each side of the
// window (clear of the window's own buttons).
constexpr double titleBarClearance = 80.0;
// The gap between the window's top edge and a strip inside its title bar.
constexpr double overlapTopInset = 4.0;

}  // namespace

double stripHeight(double height) {
    constexpr auto range = SettingsStore::tabBarHeightRange;
    if (!(height >= range.lowerBound)) return range.lowerBound;  // also NaN
    return std::min(range.upperBound, height);
}

Placement placement(const Rect& windowFrame, double height, const std::vector<ScreenBox>& screens) {
    const double h = stripHeight(height);
    const Rect window = windowFrame.standardized();
    const Rect above(window.minX(), window.minY() - h, window.width(), h);
    const std::optional<double> limit = WindowPlacement::stripTopLimitCG(window, screens);
    if (!limit || above.minY() >= *limit) return {Placement::Mode::above, above, h};

    // Inside the title bar: inset from both sides, but never narrower than
    // the least width, and never past the window's own edges.
    double width = window.width() - 2 * titleBarClearance;
    if (width <= overlapMinWidth) width = overlapMinWidth;
    width = std::min(width, window.width());
    const double x = std::min(window.minX() + titleBarClearance, window.maxX() - width);
    const double barHeight = h - overlapTopInset;
    return {Placement::Mode::overlap, Rect(x, window.minY() + overlapTopInset, width, barHeight), barHeight};
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

BarLayout barLayout(const Rect& groupFrame, double height, const std::vector<ScreenBox>& screens) {
    BarLayout layout;
    layout.placement = placement(groupFrame, height, screens);
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
