// The active member moved by the window manager with no button held (a
// pager, a keyboard move), one move at a time and in a burst: the other
// members follow it and end on its frame with the bar above it, on each
// window manager.
#include "EndToEndTest.h"

namespace tessaly::e2e {
namespace {

class MemberFollowTest : public EndToEndOnWindowManager {};

TEST_P(MemberFollowTest, MovesOfTheActiveWindowWithoutTheButtonCarryTheGroupAlong) {
    std::vector<xcb_window_t> windows;
    for (int i = 0; i < 3; ++i) {
        const auto logo = desktop->launchXlogo("200x140+" + std::to_string(80 + 300 * i) + "+200");
        ASSERT_TRUE(logo);
        windows.push_back(logo->window);
    }
    ASSERT_TRUE(startProgramWithGroups({windows}));
    ASSERT_TRUE(user->waitForBarAbove(windows[0])) << "the group did not come up";

    const auto& x = desktop->windows();
    const auto followed = [&](Point at) {
        return user->waitUntil([&] {
            return user->frame(windows[0]).origin == at && user->shareFrame(windows[0], windows[1]) &&
                   user->shareFrame(windows[0], windows[2]) && user->barAbove(windows[0]).has_value();
        });
    };
    for (const Point at : {Point{260, 240}, Point{120, 300}, Point{300, 180}}) {
        ASSERT_TRUE(x.setPosition(windows[0], at));
        EXPECT_TRUE(followed(at)) << "after the move to " << at.x << "," << at.y;
    }

    // A burst of moves, as fast as a pager sends them: the members' reports
    // of frames they pass through come after newer frames were sent, and
    // are no moves of their own. The group ends where the last move put
    // the active window, and nothing was sent back.
    Point last;
    for (int i = 0; i < 40; ++i) {
        last = Point{100.0 + 7 * i, 150.0 + 3 * i};
        ASSERT_TRUE(x.setPosition(windows[0], last));
    }
    EXPECT_TRUE(followed(last)) << "after a burst of moves: " << DesktopUser::describe(user->frame(windows[0])) << ", "
                                << DesktopUser::describe(user->frame(windows[1])) << ", "
                                << DesktopUser::describe(user->frame(windows[2]));
    EXPECT_EQ(program->process().count("snap-back budget exhausted: "), 0u);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, MemberFollowTest,
                         ::testing::Values(test::X11WindowManager::openbox, test::X11WindowManager::xfwm4,
                                           test::X11WindowManager::icewm, test::X11WindowManager::fluxbox),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
