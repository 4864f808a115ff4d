#include "TessalyApp/SettingsWindowPlacement.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using namespace SettingsWindowPlacement;

TEST(SettingsWindowPlacementTests, TheWindowShrinksToASmallScreenOnly) {
    EXPECT_EQ(windowSize(preferredWindowSize, Rect(0, 0, 1920, 1080)).height, 750);
    const Size small = windowSize(preferredWindowSize, Rect(0, 24, 1016, 536));  // 1024 x 600 less panel and frame
    EXPECT_EQ(small.width, 640);
    EXPECT_EQ(small.height, 536);
    EXPECT_EQ(windowSize(preferredWindowSize, Rect()).height, 750);  // no screen known
}

TEST(SettingsWindowPlacementTests, AFramePartlyOffTheAreaIsMovedInAndOneTooLargeIsMadeToFit) {
    const Rect area(0, 0, 1024, 600);
    EXPECT_FALSE(frameInside(Rect(187, 0, 642, 585), area));  // inside already
    // Its title bar above the top edge (the decoration was guessed wrong).
    EXPECT_EQ(frameInside(Rect(187, -20, 642, 585), area), Rect(187, 0, 642, 585));
    // Off the right and bottom edges: moved back, the size kept.
    EXPECT_EQ(frameInside(Rect(900, 500, 200, 150), area), Rect(824, 450, 200, 150));
    // Taller than the area: as tall as the area, at its top.
    EXPECT_EQ(frameInside(Rect(100, -30, 642, 640), area), Rect(100, 0, 642, 600));
    EXPECT_FALSE(frameInside(Rect(100, -30, 642, 640), Rect()));  // no area known
}

TEST(SettingsWindowPlacementTests, TheColourPanelIsCentredUntilTheUserMovesIt) {
    const Rect window(100, 100, 640, 750);
    const Size panel{200, 300};
    const Rect screen(0, 0, 1920, 1080);
    const auto first = colorPanelOrigin(std::nullopt, Point{0, 0}, window, panel, screen);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->x, 320);
    EXPECT_EQ(first->y, 325);
    // Half a point off where it was put: centred again; two points: left alone.
    EXPECT_TRUE(colorPanelOrigin(first, Point{first->x + 0.5, first->y}, window, panel, screen));
    EXPECT_FALSE(colorPanelOrigin(first, Point{first->x, first->y + 2}, window, panel, screen));
    // Kept on the screen; wider than the screen: its left edge at the screen's.
    const auto clamped = colorPanelOrigin(std::nullopt, Point{}, Rect(1800, 900, 640, 750), panel, screen);
    EXPECT_EQ(clamped->x, 1720);
    EXPECT_EQ(clamped->y, 780);
    const auto wide = colorPanelOrigin(std::nullopt, Point{}, window, Size{2500, 300}, Rect(10, 0, 1900, 1080));
    EXPECT_EQ(wide->x, 10);
    // Taller than the screen: its bottom edge at the screen's.
    const auto tall = colorPanelOrigin(std::nullopt, Point{}, window, Size{200, 1200}, screen);
    EXPECT_EQ(tall->y, 1080 - 1200);
}

}  // namespace
}  // namespace tessaly
