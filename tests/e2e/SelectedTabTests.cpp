// The selected tab is the member the window manager shows on top of its
// group, after whatever put a member there behind the program's back: a
// window manager killed and started again, which frames the windows anew in
// an order of its own, and a member leaving full screen on i3.
//
// The groups are handed over as a relaunch hands them over: grouping by a
// drag is tested elsewhere, and the drag differs between window managers.
#include "EndToEndTest.h"
#include "GroupOnTop.h"

#include <signal.h>

namespace tessaly::e2e {
namespace {

using std::chrono::milliseconds;
using WM = test::X11WindowManager;

// A window manager's new start may take a while to frame every window, and
// the selected tab follows the stacking at the next looks (once a second).
constexpr milliseconds kSettleBound{8000};

class SelectedTabTest : public EndToEndOnWindowManager {
protected:
    // Two groups of three terminals, handed over with their first member
    // active; each window floats where the window manager tiles.
    std::optional<std::vector<std::vector<xcb_window_t>>> startWithGroups() {
        std::vector<std::vector<xcb_window_t>> groups;
        for (const int row : {0, 1}) {
            std::vector<xcb_window_t> members;
            for (const int column : {0, 1, 2}) {
                const std::string geometry = "60x12+" + std::to_string(80 + 400 * column) + "+" + std::to_string(120 + 460 * row);
                const auto terminal =
                    desktop->launchXterm("selected-" + std::to_string(row) + std::to_string(column), geometry);
                if (!terminal || !desktop->floatOnTilingManager(terminal->window)) {
                    ADD_FAILURE() << "terminal " << geometry << " did not start";
                    return std::nullopt;
                }
                members.push_back(terminal->window);
            }
            groups.push_back(members);
        }
        TessalyProgram::Options options;
        options.diagnostics = true;
        const auto started = startProgramWithGroups(groups, options);
        if (!started) {
            ADD_FAILURE() << started.message();
            return std::nullopt;
        }
        return groups;
    }
    // Clicks the group's tab, once its bar shows.
    void clickTab(const std::vector<xcb_window_t>& members, std::size_t index) {
        std::optional<std::pair<ShownWindow, std::vector<ShownTab>>> bar;
        ASSERT_TRUE(user->waitUntil([&] { return (bar = groupBarOf(*desktop, *user, members)).has_value(); })) << "no bar";
        user->click(Point{bar->second[index].midX(), bar->first.rect.midY()});
    }
};

// The window manager killed (its frames gone with it, the windows back on
// the root in the server's order) and started again, then stopped and
// started as a user restarts it: in each group the member on top has the
// tab, whichever member that is.
TEST_P(SelectedTabTest, TheSelectedTabIsTheMemberOnTopAfterARestart) {
    const auto groups = startWithGroups();
    ASSERT_TRUE(groups);
    // One group with its last tab selected, the other with its middle one.
    clickTab((*groups)[0], 2);
    ASSERT_TRUE(selectedTabOnTop(*desktop, *user, (*groups)[0], (*groups)[0][2]));
    clickTab((*groups)[1], 1);
    ASSERT_TRUE(selectedTabOnTop(*desktop, *user, (*groups)[1], (*groups)[1][1]));

    for (const bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "killed and started again" : "stopped and started again");
        if (killed) {
            ASSERT_EQ(kill(desktop->windowManagerPid(), SIGKILL), 0);
        }
        std::string why;
        ASSERT_TRUE(desktop->restartWindowManager(why)) << why;
        // (The server may give the new frames the numbers the old ones had.)
        ASSERT_TRUE(user->waitUntil([&] {
            for (const auto& members : *groups) {
                for (const xcb_window_t member : members) {
                    if (user->screen.frameWindow(member) == member) return false;
                }
            }
            return true;
        })) << "the new window manager did not frame the windows";
        for (const auto& members : *groups) {
            EXPECT_TRUE(selectedTabOnTop(*desktop, *user, members, kNoWindow, kSettleBound));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, SelectedTabTest,
                         ::testing::Values(WM::openbox, WM::xfwm4, WM::fluxbox, WM::icewm, WM::metacity, WM::marco, WM::kwin, WM::kwinComposited, WM::mutter, WM::muffin),
                         test::X11WindowManagerName());

// i3: a member made full screen and back. While it is full screen it has
// left the group; back, it shows on top of the others, with its tab.
class FullScreenSelectedTabTest : public SelectedTabTest {
protected:
    void fullScreen(xcb_window_t window, bool on) {
        user->askState(window, desktop->connection().atoms().NET_WM_STATE_FULLSCREEN, on);
    }
    bool isFullScreen(xcb_window_t window) { return user->info(window).state.fullscreen; }
};

TEST_P(FullScreenSelectedTabTest, AMemberBackFromFullScreenHasTheTab) {
    const auto groups = startWithGroups();
    ASSERT_TRUE(groups);
    const auto& members = (*groups)[0];
    for (const std::size_t index : {std::size_t{0}, std::size_t{2}}) {
        SCOPED_TRACE("tab " + std::to_string(index));
        clickTab(members, index);
        ASSERT_TRUE(selectedTabOnTop(*desktop, *user, members, members[index]));
        ASSERT_TRUE(user->focus(members[index]));
        fullScreen(members[index], true);
        ASSERT_TRUE(user->waitUntil([&] { return isFullScreen(members[index]); })) << "not full screen";
        fullScreen(members[index], false);
        ASSERT_TRUE(user->waitUntil([&] { return !isFullScreen(members[index]); })) << "still full screen";
        EXPECT_TRUE(selectedTabOnTop(*desktop, *user, members, kNoWindow, kSettleBound));
        EXPECT_TRUE(user->waitUntil([&] { return user->shareFrame(members[index], members[(index + 1) % 3]); }))
            << "the member did not come back into its group's frame";
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, FullScreenSelectedTabTest, ::testing::Values(WM::i3),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
