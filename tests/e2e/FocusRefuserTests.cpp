// A member that takes no focus (xeyes: WM_HINTS input false) in a group of
// terminals, on the window managers people run: whatever brings it on top
// of its group (its tab, a double-click on the bar, a pager, a merge, a new
// window manager), its tab is the selected one, although the focus, and the
// window manager's word on it, stay with a terminal.
#include "EndToEndTest.h"
#include "GroupOnTop.h"

#include <algorithm>

namespace tessaly::e2e {
namespace {

using std::chrono::milliseconds;

class FocusRefuserTest : public EndToEndOnWindowManager {
protected:
    // The selected tab follows a member raised without the focus at the
    // next looks at the stacking (once a second); room for a loaded machine.
    static constexpr milliseconds kFollowBound{4000};

    xcb_window_t topOf(const std::vector<xcb_window_t>& members) { return topMemberOf(*user, members); }
    std::optional<std::pair<ShownWindow, std::vector<ShownTab>>> barOf(const std::vector<xcb_window_t>& members) {
        return groupBarOf(*desktop, *user, members);
    }
    ::testing::AssertionResult selectedOnTop(const std::vector<xcb_window_t>& members,
                                             xcb_window_t expected = kNoWindow,
                                             milliseconds patience = test::kX11Patience) {
        return selectedTabOnTop(*desktop, *user, members, expected, patience);
    }
    // After something that may raise `candidate` (the window manager may
    // not, or raise another member after it): once it has come on top, or
    // it has not for a while, the member on top has the tab.
    ::testing::AssertionResult selectedOnceRaised(const std::vector<xcb_window_t>& members, xcb_window_t candidate) {
        user->waitUntil([&] { return topOf(members) == candidate; }, milliseconds(2000));
        return selectedOnTop(members, kNoWindow, kFollowBound);
    }
    // Clicks the group's tab (once the bar shows), or double-clicks its bar.
    void clickTab(const std::vector<xcb_window_t>& members, std::size_t index) {
        std::optional<std::pair<ShownWindow, std::vector<ShownTab>>> bar;
        ASSERT_TRUE(user->waitUntil([&] { return (bar = barOf(members)).has_value(); })) << "no bar";
        user->click(Point{bar->second[index].midX(), bar->first.rect.midY()});
    }
    void doubleClickBar(const std::vector<xcb_window_t>& members) {
        std::optional<std::pair<ShownWindow, std::vector<ShownTab>>> bar;
        ASSERT_TRUE(user->waitUntil([&] { return (bar = barOf(members)).has_value(); })) << "no bar";
        user->input.doubleClick(Point{bar->first.rect.minX() + 3, bar->first.rect.midY()});
    }
};

TEST_P(FocusRefuserTest, AMemberThatTakesNoFocusHasTheSelectedTabWheneverItIsOnTop) {
    const auto a = desktop->launchXterm("refuser-a", "70x16+60+100");
    const auto b = desktop->launchXterm("refuser-b", "70x16+560+100");
    const auto eyes = desktop->launch({"xeyes", "-geometry", "400x240+1060+100"});
    const auto c = desktop->launchXterm("refuser-c", "70x16+300+560");
    const auto d = desktop->launchXterm("refuser-d", "70x16+800+560");
    ASSERT_TRUE(a && b && eyes && c && d);
    // xeyes takes the frame of the terminals; they keep to their cells.
    std::vector<xcb_window_t> group{a->window, b->window, eyes->window};
    const std::vector<xcb_window_t> other{d->window, c->window};
    TessalyProgram::Options options;
    options.diagnostics = true;
    ASSERT_TRUE(startProgramWithGroups({group, other}, options));
    ASSERT_TRUE(user->focus(a->window));
    ASSERT_TRUE(selectedOnTop(group, a->window));

    // Its tab: it comes on top; the focus stays with a terminal.
    clickTab(group, 2);
    EXPECT_TRUE(selectedOnTop(group, eyes->window));

    // Back to a terminal, then a pager brings xeyes forward: the window
    // manager raises it without focusing it.
    clickTab(group, 0);
    ASSERT_TRUE(selectedOnTop(group, a->window));
    desktop->windows().activate(eyes->window);
    EXPECT_TRUE(selectedOnceRaised(group, eyes->window));

    // The other group, its terminal focused, dragged by its bar onto this
    // one with the grouping key: this group's active member is raised and
    // keeps the tab, also when it is xeyes and the focus stays with the
    // terminal dragged in.
    const xcb_window_t targetActive = topOf(group);
    ASSERT_TRUE(user->focus(d->window));
    ASSERT_TRUE(selectedOnTop(other, d->window));
    // (A drag that showed no offer, on a loaded machine, is made again.)
    bool offered = false;
    for (int attempt = 0; attempt < 3 && !offered; ++attempt) {
        const auto bar = barOf(other);
        ASSERT_TRUE(bar);
        const Rect target = user->frame(eyes->window);
        const Rect start = user->frame(d->window);
        const Point grab{bar->first.rect.maxX() - 12, bar->first.rect.midY()};
        const Point to{grab.x + target.minX() - start.minX() + 40, grab.y + target.minY() - start.minY() + 40};
        user->input.moveTo(grab);
        user->input.keyDown(user->groupingKey);
        user->input.press(1);
        user->movePointer(grab, to, 8, [](Point) { return true; }, milliseconds(1));
        offered = user->waitUntil([&] { return user->previewCovers(target); }, milliseconds(5000));
        user->input.release(1);
        user->input.keyUp(user->groupingKey);
    }
    ASSERT_TRUE(offered) << "no merge offered: " << DesktopUser::describe(user->overlays());
    group.insert(group.end(), other.begin(), other.end());
    EXPECT_TRUE(selectedOnceRaised(group, targetActive));

    // A new window manager takes over and may hand the focus to a terminal:
    // the member on top has the tab.
    std::string why;
    ASSERT_TRUE(desktop->replaceWindowManager(why)) << why;
    EXPECT_TRUE(selectedOnTop(group, kNoWindow, kFollowBound));

    // A double-click on the bar (left of the tabs) maximises the group; the
    // member on top (the window manager may raise a resized terminal) has
    // the tab.
    doubleClickBar(group);
    EXPECT_TRUE(user->waitUntil([&] { return user->frame(eyes->window).size.width > 800; })) << "not maximised";
    EXPECT_TRUE(selectedOnTop(group, kNoWindow, kFollowBound));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, FocusRefuserTest,
                         ::testing::Values(test::X11WindowManager::openbox, test::X11WindowManager::xfwm4,
                                           test::X11WindowManager::icewm, test::X11WindowManager::metacity,
                                           test::X11WindowManager::marco, test::X11WindowManager::kwin, test::X11WindowManager::kwinComposited, test::X11WindowManager::mutter, test::X11WindowManager::muffin),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
