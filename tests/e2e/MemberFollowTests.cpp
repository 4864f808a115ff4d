// The active member moved by the window manager with no button held (a
// pager, a keyboard move), one move at a time and in a burst: the other
// members follow it, only ever to frames it had, and end on its frame with
// the bar above it, on each window manager. They follow it even while the
// program's main thread is held up: the moves leave from the thread that
// reads the window manager's reports.
#include <algorithm>
#include <set>
#include <utility>

#include "EndToEndTest.h"
#include "GroupOnTop.h"
#include "MainThreadHold.h"

namespace tessaly::e2e {
namespace {

class MemberFollowTest : public EndToEndOnWindowManager {
protected:
    // How often a pager moves a window while the user drags its thumbnail.
    static constexpr std::chrono::milliseconds kPagerFrame{16};

    // Three windows side by side, grouped by the program; the active one
    // comes first. The group comes up with the first one active, and the
    // member the window manager shows on top (the last one launched) takes
    // the tab once it has stayed there a moment: that one is the active one.
    void startGroupOfThree(std::vector<xcb_window_t>& windows) {
        for (int i = 0; i < 3; ++i) {
            const auto logo = desktop->launchXlogo("200x140+" + std::to_string(80 + 300 * i) + "+200");
            ASSERT_TRUE(logo);
            windows.push_back(logo->window);
        }
        ASSERT_TRUE(startProgramWithGroups({windows}));
        ASSERT_TRUE(user->waitForBarAbove(windows[0])) << "the group did not come up";
        ASSERT_TRUE(selectedTabOnTop(*desktop, *user, windows));
        std::iter_swap(windows.begin(), std::find(windows.begin(), windows.end(), topMemberOf(*user, windows)));
        ASSERT_TRUE(user->waitForBarAbove(windows[0]));
    }
};

TEST_P(MemberFollowTest, MovesOfTheActiveWindowWithoutTheButtonCarryTheGroupAlong) {
    std::vector<xcb_window_t> windows;
    ASSERT_NO_FATAL_FAILURE(startGroupOfThree(windows));
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

    // A burst of moves, as fast as a pager sends them (one a display frame
    // at most): the members' reports of frames they pass through come after
    // newer frames were sent, and are no moves of their own. Looked at
    // during the burst, the members keep up with the active window and
    // stand only where it was sent; the group ends where the last move put
    // the active window, and nothing was sent back.
    const auto place = [](Point p) { return std::make_pair(p.x, p.y); };
    std::set<std::pair<double, double>> sentTo = {place(Point{300, 180})};
    int caughtUp = 0;
    Point last;
    for (int i = 0; i < 40; ++i) {
        last = Point{100.0 + 7 * i, 150.0 + 3 * i};
        ASSERT_TRUE(x.setPosition(windows[0], last));
        sentTo.insert(place(last));
        const Rect active = user->frame(windows[0]);
        for (const xcb_window_t member : {windows[1], windows[2]}) {
            const Rect at = user->frame(member);
            EXPECT_TRUE(sentTo.count(place(at.origin)) && at.size == active.size)
                << "during the burst a member stood where the active window never was: " << DesktopUser::describe(at);
        }
        const auto together = [&] {
            return user->shareFrame(windows[0], windows[1]) && user->shareFrame(windows[0], windows[2]);
        };
        if (i < 39 && user->waitUntil(together, kPagerFrame)) ++caughtUp;
    }
    EXPECT_GT(caughtUp, 0) << "the members caught up with the active window only once the burst was over";
    EXPECT_TRUE(followed(last)) << "after a burst of moves: " << DesktopUser::describe(user->frame(windows[0])) << ", "
                                << DesktopUser::describe(user->frame(windows[1])) << ", "
                                << DesktopUser::describe(user->frame(windows[2]));
    EXPECT_EQ(program->process().count("snap-back budget exhausted: "), 0u);
}

TEST_P(MemberFollowTest, MembersFollowWhileTheProgramsMainThreadIsHeldUp) {
    std::vector<xcb_window_t> windows;
    ASSERT_NO_FATAL_FAILURE(startGroupOfThree(windows));
    const auto& x = desktop->windows();
    const auto membersOn = [&](Point at) {
        return user->frame(windows[0]).origin == at && user->shareFrame(windows[0], windows[1]) &&
               user->shareFrame(windows[0], windows[2]);
    };
    // One move followed as usual first: the program has read the windows
    // since they last changed, and is at rest.
    ASSERT_TRUE(x.setPosition(windows[0], Point{200, 220}));
    ASSERT_TRUE(user->waitUntil([&] { return membersOn(Point{200, 220}); }));
    user->waitForSteadyFocus(std::chrono::milliseconds(1500));
    const std::vector<Point> places = {Point{260, 240}, Point{120, 300}, Point{300, 180}};
    {
        const MainThreadHold hold(program->process().pid());
        if (!hold) GTEST_SKIP() << "this machine does not let a test stop a thread of its child (ptrace)";
        for (const Point at : places) {
            ASSERT_TRUE(x.setPosition(windows[0], at));
            EXPECT_TRUE(user->waitUntil([&] { return membersOn(at); }))
                << "with the main thread held, after the move to " << at.x << "," << at.y << ": "
                << DesktopUser::describe(user->frame(windows[1]));
        }
    }
    // Let go, the main thread catches up: the group stays together where
    // the active window is, with its bar.
    EXPECT_TRUE(user->waitUntil([&] { return membersOn(places.back()) && user->barAbove(windows[0]).has_value(); }))
        << "the members at " << DesktopUser::describe(user->frame(windows[0])) << ", "
        << DesktopUser::describe(user->frame(windows[1])) << ", " << DesktopUser::describe(user->frame(windows[2]))
        << "; the bar above " << (user->barAbove(windows[0]) ? "the active one" : user->barAbove(windows[1]) ? "the second"
                                   : user->barAbove(windows[2]) ? "the third" : "none");
    EXPECT_EQ(program->process().count("snap-back budget exhausted: "), 0u);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, MemberFollowTest,
                         ::testing::Values(test::X11WindowManager::openbox, test::X11WindowManager::xfwm4,
                                           test::X11WindowManager::icewm, test::X11WindowManager::fluxbox),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
