// A dock that the window manager does not list keeps its edge: i3 takes
// docks into a dock area of its own, lists none of them among its clients
// and publishes no work area, and a group's zoom by a double click on the
// program's bar still fills the screen only down to the dock.
#include "EndToEndTest.h"

namespace tessaly::e2e {
namespace {

class DockTest : public EndToEndOnWindowManager {};

TEST_P(DockTest, TheBarsZoomStopsAtADock) {
    constexpr std::uint32_t dockHeight = 40;
    ASSERT_NE(desktop->showDock(dockHeight), kNoWindow);
    const double dockTop = desktop->connection().screen().height_in_pixels - double{dockHeight};
    const auto terminal = desktop->launchXterm("dock-terminal", "80x24+300+260");
    const auto logo = desktop->launchXlogo("300x300+900+300");
    ASSERT_TRUE(terminal && logo);
    ASSERT_TRUE(desktop->floatOnTilingManager(terminal->window) && desktop->floatOnTilingManager(logo->window));
    ASSERT_TRUE(startProgramWithGroups({{terminal->window, logo->window}}));
    ASSERT_TRUE(user->focus(terminal->window) && user->waitForBarAbove(terminal->window))
        << "no bar above the group: " << DesktopUser::describe(user->overlays());

    const Rect home = user->frame(terminal->window);
    const auto zoomed = [&] { return user->frame(terminal->window).height() > home.height() + 200; };
    // A double click the bar took for two single clicks is made again.
    for (int attempt = 0; attempt < 3 && !zoomed(); ++attempt) {
        const auto bar = user->barAbove(terminal->window);
        ASSERT_TRUE(bar);
        user->input.doubleClick(Point{bar->rect.maxX() - 12, bar->rect.midY()});
        user->waitUntil(zoomed, std::chrono::seconds(5));
    }
    ASSERT_TRUE(zoomed()) << "not zoomed: " << DesktopUser::describe(user->frame(terminal->window));
    EXPECT_TRUE(user->waitForSharedFrame(terminal->window, logo->window));
    for (const xcb_window_t w : {terminal->window, logo->window}) {
        EXPECT_LE(user->frame(w).maxY(), dockTop) << "over the dock: " << DesktopUser::describe(user->frame(w));
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, DockTest,
                         ::testing::Values(test::X11WindowManager::i3, test::X11WindowManager::openbox),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
