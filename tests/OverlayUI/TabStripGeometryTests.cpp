#include "OverlayUI/TabReorderGeometry.h"
#include "OverlayUI/TabStripGeometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace tessaly {
namespace {

using Mode = TabStripGeometry::Placement::Mode;
using TabStripGeometry::placement;

// One 1920 x 1080 screen whose usable area starts 25 points down.
const std::vector<ScreenBox> kScreens{{Rect(0, 0, 1920, 1080), Rect(0, 25, 1920, 1055)}};

TEST(TabStripGeometryTest, TheStripSitsAboveWhenThereIsRoomAndClampsItsHeight) {
    EXPECT_EQ(placement(Rect(100, 300, 500, 400), 30, kScreens),
              (TabStripGeometry::Placement{Mode::above, Rect(100, 270, 500, 30), 30}));
    EXPECT_EQ(placement(Rect(100, 300, 500, 400), 10, kScreens).frame, Rect(100, 280, 500, 20));
    EXPECT_EQ(placement(Rect(100, 300, 500, 400), 60, kScreens).frame, Rect(100, 252, 500, 48));
    EXPECT_EQ(placement(Rect(100, 300, 500, 400), std::numeric_limits<double>::quiet_NaN(), kScreens).barHeight, 20);
    // Exactly the strip's height below the usable top still counts as room.
    EXPECT_EQ(placement(Rect(100, 55, 500, 400), 30, kScreens).mode, Mode::above);
    // On no screen the strip always goes above, even off screen.
    EXPECT_EQ(placement(Rect(5000, 10, 500, 400), 30, kScreens).mode, Mode::above);
    EXPECT_EQ(placement(Rect(100, 10, 500, 400), 30, {}).mode, Mode::above);
}

TEST(TabStripGeometryTest, WithoutRoomTheStripLiesInsideTheTitleBarAndInsideTheWindow) {
    const auto wide = placement(Rect(100, 54, 300, 400), 30, kScreens);
    EXPECT_EQ(wide, (TabStripGeometry::Placement{Mode::overlap, Rect(180, 58, 140, 26), 26}));
    EXPECT_EQ(placement(Rect(100, 30, 250, 400), 30, kScreens).frame, Rect(180, 34, 120, 26));
    // Narrower than 200 points: the least width still fits, moved inside.
    EXPECT_EQ(placement(Rect(100, 30, 150, 400), 30, kScreens).frame, Rect(130, 34, 120, 26));
    // Narrower than the least width: the strip is as wide as the window.
    EXPECT_EQ(placement(Rect(100, 30, 90, 400), 30, kScreens).frame, Rect(100, 34, 90, 26));
}

// Where the window manager's title bar is known (maximised windows of
// several window managers): the strip fits in what shows of it, a point clear
// of its edges, clear of its buttons, and never reaches the window's content;
// a title bar too low for it (none at all over a window with a header bar of
// its own) leaves the strip above the window, with no room there.
TEST(TabStripGeometryTest, InsideAKnownTitleBarTheStripFitsItOrTheWindowHasNoRoom) {
    using TabStripGeometry::hasRoom;
    const Rect maximised(0, 25, 1920, 1000);
    // A title bar of 20 points (openbox, icewm, fluxbox): 18 high, 120 in.
    EXPECT_EQ(placement(maximised, 30, kScreens, 20),
              (TabStripGeometry::Placement{Mode::overlap, Rect(120, 26, 1680, 18), 18}));
    // One of 37 (metacity): no higher than the fixed inset makes it,
    // centred, and six title-bar heights in from each side.
    EXPECT_EQ(placement(maximised, 30, kScreens, 37).frame, Rect(222, 30, 1476, 26));
    // Borders beyond the usable top (icewm): only what shows below it counts.
    EXPECT_EQ(placement(Rect(-5, 20, 1930, 1000), 30, kScreens, 24).frame, Rect(109, 26, 1702, 17));
    for (const double titleBar : {24.0, 29.0, 37.0}) {
        const Rect strip = placement(Rect(-5, 20, 1930, 1000), 48, kScreens, titleBar).frame;
        EXPECT_GE(strip.minY(), 25);
        EXPECT_LE(strip.maxY(), 20 + titleBar) << titleBar;
        EXPECT_TRUE(hasRoom(Rect(-5, 20, 1930, 1000), 48, kScreens, titleBar));
    }
    // Too low for a strip of 16, or none: no room; until the window is
    // given some, the strip lies at the fixed inset.
    for (const double titleBar : {0.0, 17.0}) {
        EXPECT_EQ(placement(maximised, 30, kScreens, titleBar),
                  (TabStripGeometry::Placement{Mode::overlap, Rect(80, 29, 1760, 26), 26}));
        EXPECT_FALSE(hasRoom(maximised, 30, kScreens, titleBar));
    }
    // With room above, or the title bar unknown, there is always room.
    EXPECT_TRUE(hasRoom(Rect(0, 55, 1920, 1000), 30, kScreens, 0));
    EXPECT_TRUE(hasRoom(maximised, 30, kScreens, std::nullopt));
    EXPECT_EQ(placement(Rect(0, 55, 1920, 1000), 30, kScreens, 0).frame, Rect(0, 25, 1920, 30));
}

TEST(TabStripGeometryTest, LayoutsCarryCornerRadiiAndTheBackingBand) {
    EXPECT_EQ(TabStripGeometry::barCornerRadius(30), 10);
    EXPECT_EQ(TabStripGeometry::barCornerRadius(16), 8);
    EXPECT_EQ(TabStripGeometry::backingFrame(Rect(10, 20, 300, 200)), Rect(10, 20, 300, 18));

    const auto above = TabStripGeometry::barLayout(Rect(10, 300, 300, 200), 30, kScreens);
    EXPECT_EQ(above.style, (TabStripGeometry::Style{10, 0}));
    EXPECT_EQ(above.backingFrame, Rect(10, 300, 300, 18));
    const auto inside = TabStripGeometry::barLayout(Rect(10, 30, 300, 200), 30, kScreens);
    EXPECT_EQ(inside.style, (TabStripGeometry::Style{10, 10}));
    EXPECT_FALSE(inside.backingFrame);

    EXPECT_TRUE(TabStripGeometry::isPlaceable(Rect(0, 0, 1, 1)));
    EXPECT_FALSE(TabStripGeometry::isPlaceable(Rect(0, 0, 0, 30)));
    EXPECT_FALSE(TabStripGeometry::isPlaceable(Rect(std::numeric_limits<double>::infinity(), 0, 10, 30)));
}

TEST(TabReorderGeometryTest, DropIndicesRestingEdgesAndTargets) {
    using namespace TabReorderGeometry;
    EXPECT_EQ(dropInsertionIndex({10, 50, 90}, 50), 2);  // a midpoint at the point counts as passed
    EXPECT_EQ(dropInsertionIndex({10, 50, 90}, 5), 0);
    EXPECT_EQ(dropInsertionIndex({10, 50, 90}, 100), 3);
    EXPECT_EQ(dropInsertionIndex({}, 100), 0);

    EXPECT_EQ(restingX({100, 80, 60}, 4, 8, 2), 196);
    EXPECT_EQ(restingX({100, 80, 60}, 4, 8, -1), 8);
    EXPECT_EQ(restingX({100, 80, 60}, 4, 8, 5), 260);

    const std::vector<double> widths{100, 100, 100};
    EXPECT_EQ(targetIndex(widths, 0, 0, 0, 51), 1);
    EXPECT_EQ(targetIndex(widths, 0, 0, 0, 50), 0);  // a tie never moves
    EXPECT_EQ(targetIndex(widths, 0, 0, 0, 160), 2);
    EXPECT_EQ(targetIndex(widths, 0, 0, 2, 149), 1);
    EXPECT_EQ(targetIndex(widths, 0, 0, 2, 150), 2);
    EXPECT_EQ(targetIndex(widths, 0, 0, 2, 40), 0);
    EXPECT_EQ(targetIndex(widths, 0, 0, -1, 0), -1);
    EXPECT_EQ(targetIndex(widths, 0, 0, 3, 0), 3);
}

}  // namespace
}  // namespace tessaly
