#include "TessalyCore/WindowPlacement.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaly {
namespace {

using namespace WindowPlacement;

// The main display with a 25-point menu bar; full bottom at 900.
const ScreenBox kMain{Rect(0, 0, 1440, 900), Rect(0, 25, 1440, 875)};
// A display to the right of the main one, with its own menu bar.
const ScreenBox kRight{Rect(1440, 0, 1920, 1080), Rect(1440, 25, 1920, 1055)};
// A display below the main one, without a band at its top.
const ScreenBox kBelow{Rect(0, 900, 1440, 900), Rect(0, 900, 1440, 850)};

constexpr double kStrip = 30;
constexpr double kEdgeKeep = 40;

Rect confineOnto(const Rect& frame, const ScreenBox& host, const std::vector<ScreenBox>& screens,
                 bool snap = false) {
    return confine(frame, host, screens, kStrip, kEdgeKeep, snap);
}

TEST(WindowPlacementStrip, TopLimitClimbsOnlyThroughBandlessScreens) {
    EXPECT_EQ(stripTopLimitCG(kMain, {kMain}), 25);
    EXPECT_EQ(stripTopLimitCG(kMain, {}), 25);
    EXPECT_EQ(stripTopLimitCG(kBelow, {kMain, kBelow}), 25);
    EXPECT_EQ(stripTopLimitCG(kBelow, {kBelow}), 900);
    // A screen above that does not overlap horizontally is no neighbour.
    const ScreenBox offset{Rect(1440, 0, 1000, 900), Rect(1440, 25, 1000, 875)};
    EXPECT_EQ(stripTopLimitCG(kBelow, {offset, kBelow}), 900);
}

TEST(WindowPlacementStrip, TopLimitClimbEndsOnDegenerateStacks) {
    // Two zero-height screens each "above" the other: the climb stops after
    // as many steps as there are screens.
    const ScreenBox a{Rect(0, 0, 100, 0), Rect(0, 0.5, 100, 0)};
    const ScreenBox b{Rect(0, 0, 100, 0), Rect(0, 0.25, 100, 0)};
    EXPECT_EQ(stripTopLimitCG(a, {a, b}), 0.5);
}

TEST(WindowPlacementStrip, TopLimitForWindowFindsItsScreen) {
    EXPECT_EQ(stripTopLimitCG(Rect(100, 10, 400, 300), {kMain, kRight}), 25.0);
    EXPECT_EQ(stripTopLimitCG(Rect(100, 950, 400, 300), {kMain, kBelow}), 25.0);
    EXPECT_EQ(stripTopLimitCG(Rect(100, -100, 400, 300), {kMain}), 25.0);  // by intersection
    EXPECT_EQ(stripTopLimitCG(Rect(100, -500, 400, 300), {kMain}), std::nullopt);
    EXPECT_EQ(stripTopLimitCG(Rect(100, 10, 400, 300), {}), std::nullopt);
}

TEST(WindowPlacementStrip, ReReserveFollowsTheBar) {
    // Sat under a 30-point bar below y 25; the bar grows to 40.
    EXPECT_EQ(reReserveTopForHeightChange(Rect(0, 55, 800, 845), 25, 30, 40, 900), Rect(0, 65, 800, 835));
    EXPECT_EQ(reReserveTopForHeightChange(Rect(0, 55, 800, 400), 25, 30, 40, 900), Rect(0, 65, 800, 400));
    EXPECT_EQ(reReserveTopForHeightChange(Rect(0, 55, 800, 840), 25, 30, 40, 900), Rect(0, 65, 800, 835));
    // Shrinking bar: a frame on the visible bottom keeps its bottom there.
    EXPECT_EQ(reReserveTopForHeightChange(Rect(0, 55, 800, 845), 25, 30, 20, 900), Rect(0, 45, 800, 855));
    // Not under the old bar but reaching into the new bar's room.
    EXPECT_EQ(reReserveTopForHeightChange(Rect(5, 60, 800, 400), 25, 30, 40, 900), Rect(5, 65, 800, 400));
    EXPECT_EQ(reReserveTopForHeightChange(Rect(5, 60, 800, 900), 25, 30, 40, 900), Rect(5, 65, 800, 835));
    EXPECT_EQ(reReserveTopForHeightChange(Rect(5, 300, 800, 400), 25, 30, 40, 900), Rect(5, 300, 800, 400));
}

TEST(WindowPlacementConfine, SingleScreenMayHangOffOuterEdges) {
    const std::vector<ScreenBox> screens{kMain};
    EXPECT_EQ(confineOnto(Rect(-5000, 200, 800, 600), kMain, screens), Rect(-760, 200, 800, 600));
    EXPECT_EQ(confineOnto(Rect(5000, 200, 800, 600), kMain, screens), Rect(1400, 200, 800, 600));
    EXPECT_EQ(confineOnto(Rect(100, 5000, 800, 600), kMain, screens), Rect(100, 860, 800, 600));
    EXPECT_EQ(confineOnto(Rect(100, -5000, 800, 600), kMain, screens), Rect(100, 55, 800, 600));
    EXPECT_EQ(confineOnto(Rect(100, 200, 800, 600), kMain, {}), Rect(100, 200, 800, 600));
}

TEST(WindowPlacementConfine, FrameFromAboveTheStripIsCutAtVisibleBottom) {
    EXPECT_EQ(confineOnto(Rect(100, -5000, 800, 1000), kMain, {kMain}), Rect(100, 55, 800, 845));
}

TEST(WindowPlacementConfine, StaysWhollyOnHostAtSharedRightEdge) {
    const std::vector<ScreenBox> screens{kMain, kRight};
    EXPECT_EQ(confineOnto(Rect(100, 200, 2000, 600), kMain, screens), Rect(0, 200, 1440, 600));
    EXPECT_EQ(confineOnto(Rect(1300, 200, 800, 600), kMain, screens), Rect(640, 200, 800, 600));
    // The right display has the main one on its left.
    EXPECT_EQ(confineOnto(Rect(1000, 200, 800, 600), kRight, screens), Rect(1440, 200, 800, 600));
}

TEST(WindowPlacementConfine, StaysAboveSharedBottomEdge) {
    const std::vector<ScreenBox> screens{kMain, kBelow};
    EXPECT_EQ(confineOnto(Rect(100, 200, 800, 1000), kMain, screens), Rect(100, 55, 800, 845));
    EXPECT_EQ(confineOnto(Rect(100, 700, 800, 600), kMain, screens), Rect(100, 300, 800, 600));
    // No room at all below the strip: height 0.
    EXPECT_EQ(confine(Rect(100, 200, 800, 600), kMain, screens, 900, kEdgeKeep, false), Rect(100, 925, 800, 0));
}

TEST(WindowPlacementConfine, SnapFitKeepsFittingFrameWhollyInside) {
    const std::vector<ScreenBox> screens{kMain};
    EXPECT_EQ(confineOnto(Rect(1000, 700, 800, 600), kMain, screens, true), Rect(640, 300, 800, 600));
    EXPECT_EQ(confineOnto(Rect(-500, 100, 800, 600), kMain, screens, true), Rect(0, 100, 800, 600));
    // Wider than the host with no right neighbour: keeps edgeKeep on it.
    EXPECT_EQ(confineOnto(Rect(5000, 100, 1600, 600), kMain, screens, true), Rect(1400, 100, 1600, 600));
}

TEST(WindowPlacementHost, LargestOverlapThenCentreThenOrder) {
    const ScreenBox twin{Rect(1440, 0, 1440, 900), Rect(1440, 25, 1440, 875)};
    const Rect half(1240, 100, 400, 300);  // centre x on the seam belongs to the right
    EXPECT_EQ(hostScreen(half, {kMain, twin}), twin);
    EXPECT_EQ(hostScreen(half, {twin, kMain}), twin);
    EXPECT_EQ(hostScreen(Rect(1000, 100, 800, 300), {kMain, twin}), kMain);

    const ScreenBox apart{Rect(1100, 0, 1000, 900), Rect(1100, 0, 1000, 900)};
    const ScreenBox narrow{Rect(0, 0, 1000, 900), Rect(0, 0, 1000, 900)};
    EXPECT_EQ(hostScreen(Rect(900, 100, 300, 300), {narrow, apart}), narrow);  // centre on neither
    EXPECT_EQ(hostScreen(Rect(900, 100, 300, 300), {apart, narrow}), apart);

    const ScreenBox mirror{kMain.full, Rect(0, 0, 1440, 900)};
    EXPECT_EQ(hostScreen(Rect(100, 100, 300, 300), {kMain, mirror}), kMain);  // centre on both
    EXPECT_EQ(hostScreen(Rect(5000, 5000, 10, 10), {kMain, twin}), std::nullopt);
    EXPECT_EQ(hostScreen(Rect(100, 100, 10, 10), {}), std::nullopt);
}

TEST(WindowPlacementHost, DropHostPrefersCursorScreenMeetingFrame) {
    const std::vector<ScreenBox> screens{kMain, kRight};
    EXPECT_EQ(dropHost(Rect(100, 100, 400, 300), Point{2000, 100}, screens), kMain);
    EXPECT_EQ(dropHost(Rect(1000, 100, 500, 300), Point{1450, 200}, screens), kRight);
    EXPECT_EQ(dropHost(Rect(1000, 100, 500, 300), std::nullopt, screens), kMain);
    EXPECT_EQ(dropHost(Rect(1000, 100, 500, 300), Point{-50, -50}, screens), kMain);
}

TEST(WindowPlacementHost, Straddles) {
    EXPECT_FALSE(straddles(Rect(100, 100, 400, 300), {kMain, kRight}));
    EXPECT_FALSE(straddles(Rect(100, 100, 400, 300), {}));
    EXPECT_TRUE(straddles(Rect(1300, 100, 400, 300), {kMain, kRight}));
    EXPECT_FALSE(straddles(Rect(1040, 100, 400, 300), {kMain, kRight}));  // touching only
}

TEST(WindowPlacementPark, LeavesSliverOffOtherScreens) {
    const Rect frame(100, 100, 400, 300);
    EXPECT_EQ(parkOrigin(frame, kMain, {kMain}, 10), (Point{1430, 890}));
    EXPECT_EQ(parkOrigin(frame, kMain, {kMain, kRight}, 10), (Point{100, 890}));
    const ScreenBox wideBelow{Rect(0, 900, 2880, 900), Rect(0, 900, 2880, 900)};
    EXPECT_EQ(parkOrigin(frame, kMain, {kMain, kRight, wideBelow}, 10), (Point{1430, 890}));
    // Only a screen below: the right-edge candidate is free.
    EXPECT_EQ(parkOrigin(frame, kMain, {kMain, kBelow}, 10), (Point{1430, 100}));
}

TEST(WindowPlacementRelocate, KeepsRelativePlace) {
    // Centred on the main display's visible frame stays centred on the other.
    const Rect centred(520, 325, 400, 275);
    const Rect moved = relocate(centred, kMain, kRight);
    EXPECT_EQ(moved.midX(), kRight.visible.midX());
    EXPECT_EQ(moved.midY(), kRight.visible.midY());
    EXPECT_EQ(moved.size, centred.size);
    EXPECT_EQ(relocate(Rect(0, 25, 2000, 300), kMain, kRight), Rect(1440, 25 + (1055 - 300) * 0.0, 2000, 300));
    EXPECT_EQ(relocate(Rect(-100, 2000, 2000, 300), kMain, kRight), Rect(1440, 25 + 755, 2000, 300));
}

TEST(WindowPlacementBarDrag, InsideAreaIsConfinedFrameWithoutCrossing) {
    const auto r = resolveBarDrag(Rect(100, 200, 800, 600), kMain, {kMain, kRight}, kStrip, 60, 100, kEdgeKeep);
    EXPECT_EQ(r, (BarDragResolution{Rect(100, 200, 800, 600), Rect(100, 200, 800, 600), std::nullopt}));
}

TEST(WindowPlacementBarDrag, CrossingArmsOnlyPastThreshold) {
    const std::vector<ScreenBox> screens{kMain, kRight};
    // Confined x is 640; a push of exactly 100 arms nothing.
    auto r = resolveBarDrag(Rect(740, 200, 800, 600), kMain, screens, kStrip, 60, 100, kEdgeKeep);
    EXPECT_EQ(r.displayed, Rect(640, 200, 800, 600));
    EXPECT_EQ(r.raw, Rect(700, 200, 800, 600));
    EXPECT_EQ(r.crossing, std::nullopt);

    r = resolveBarDrag(Rect(741, 200, 800, 600), kMain, screens, kStrip, 60, 100, kEdgeKeep);
    EXPECT_EQ(r.raw, Rect(700, 200, 800, 600));
    EXPECT_EQ(r.crossing, (Crossing{Side::right, kRight}));
}

TEST(WindowPlacementBarDrag, NoNeighbourArmsNothingButPushesByCap) {
    const auto r = resolveBarDrag(Rect(-1000, 200, 800, 600), kMain, {kMain, kRight}, kStrip, 60, 100, kEdgeKeep);
    EXPECT_EQ(r.displayed, Rect(-760, 200, 800, 600));
    EXPECT_EQ(r.raw, Rect(-820, 200, 800, 600));
    EXPECT_EQ(r.crossing, std::nullopt);
}

TEST(WindowPlacementBarDrag, VerticalPushCrossesBelow) {
    const auto r = resolveBarDrag(Rect(100, 2000, 800, 600), kMain, {kMain, kBelow}, kStrip, 60, 100, kEdgeKeep);
    EXPECT_EQ(r.displayed, Rect(100, 300, 800, 600));
    EXPECT_EQ(r.raw, Rect(100, 360, 800, 600));
    EXPECT_EQ(r.crossing, (Crossing{Side::bottom, kBelow}));
}

TEST(WindowPlacementBarDrag, CrossedLandsAgainstEnteredEdge) {
    const std::vector<ScreenBox> screens{kMain, kRight, kBelow};
    EXPECT_EQ(crossed(Rect(700, 200, 800, 600), Crossing{Side::right, kRight}, screens, kStrip, kEdgeKeep),
              Rect(1440, 200, 800, 600));
    EXPECT_EQ(crossed(Rect(1500, 200, 800, 600), Crossing{Side::left, kMain}, screens, kStrip, kEdgeKeep),
              Rect(640, 200, 800, 600));
    // Entering the lower display from above: its top edge at that display's top.
    EXPECT_EQ(crossed(Rect(100, 300, 800, 600), Crossing{Side::bottom, kBelow}, screens, kStrip, kEdgeKeep),
              Rect(100, 900, 800, 600));
    EXPECT_EQ(crossed(Rect(100, 1000, 800, 600), Crossing{Side::top, kMain}, screens, kStrip, kEdgeKeep),
              Rect(100, 300, 800, 600));
}

TEST(WindowPlacementPopOut, PrefersRightAndUp) {
    const Rect bounds = kMain.visible;
    EXPECT_EQ(popOutFrame(Rect(100, 300, 400, 300), bounds, popOutOffset), Rect(140, 260, 400, 300));
    EXPECT_EQ(popOutFrame(Rect(1040, 25, 400, 300), bounds, popOutOffset), Rect(1000, 65, 400, 300));
    EXPECT_EQ(popOutFrame(bounds, bounds, popOutOffset), bounds);
}

}  // namespace
}  // namespace tessaly
