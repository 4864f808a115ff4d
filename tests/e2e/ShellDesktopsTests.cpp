// Groups and virtual desktops on a real desktop: a bar goes the moment its
// group's desktop is left and comes back above its window on the return;
// a member sent to another desktop leaves its group (the default policy).
#include "ShellTest.h"

namespace tessaly::e2e {
namespace {

using std::chrono::seconds;

class ShellDesktopsTest : public ShellTest {
protected:
    ShellDesktopsTest() { desktops = 2; }
    bool switchTo(std::uint32_t number) {
        desktop->windows().switchToDesktop(number);
        return desktop->waitUntil([&] { return desktop->windows().currentDesktop() == number; });
    }
    // The number of tabs of the one bar shown (0 without a bar).
    std::size_t shownTabs() {
        for (const auto& bar : user->bars()) {
            if (const auto count = tabCount(bar.rect)) return *count;
        }
        return 0;
    }
};

TEST_F(ShellDesktopsTest, LeavingADesktopHidesItsBarAtOnceAndReturningShowsItAboveItsWindow) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ASSERT_TRUE(startShell());
    const auto pair = groupedXterms("desk", 150);
    ASSERT_TRUE(pair);

    // Away: the bar goes at once, without waiting for anything to settle.
    ASSERT_TRUE(switchTo(1));
    EXPECT_TRUE(user->waitUntil([&] { return user->bars().empty(); }, seconds(2)))
        << "a bar stayed on a desktop without its group: " << DesktopUser::describe(user->bars());
    // Back: the bar stands above the member in front again (the window
    // manager may bring back the member focused last).
    ASSERT_TRUE(switchTo(0));
    const auto back = activeOf(pair->active, pair->inactive);
    ASSERT_TRUE(back) << "the bar did not come back above its window";
    EXPECT_TRUE(user->shareFrame(back->active, back->inactive));
    EXPECT_EQ(shownTabs(), 2u);
}

TEST_F(ShellDesktopsTest, AMemberSentToAnotherDesktopLeavesItsGroupAndTheRestStays) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ASSERT_TRUE(startShell());
    const auto pair = groupedXterms("desk", 150);
    ASSERT_TRUE(pair);
    const auto third = desktop->launchXterm("desk-third", "60x12+400+600");
    ASSERT_TRUE(third);
    std::string why;
    ASSERT_TRUE(user->groupByDragRetrying(third->window, pair->active, why)) << why;
    ASSERT_TRUE(user->waitUntil([&] { return shownTabs() == 3u; })) << "the third window did not join the group";

    // A member behind the one in front goes to the other desktop; the rest
    // stays here. After its confirmation time it leaves the group.
    xcb_window_t front = kNoWindow;
    ASSERT_TRUE(user->waitUntil([&] {
        for (const xcb_window_t w : {pair->active, pair->inactive, third->window}) {
            if (user->barAbove(w)) front = w;
        }
        return front != kNoWindow;
    }));
    const xcb_window_t sent = front == pair->inactive ? pair->active : pair->inactive;
    const xcb_window_t stays = sent == pair->active ? pair->inactive : pair->active;
    ASSERT_TRUE(desktop->windows().moveToDesktop(sent, 1));
    EXPECT_TRUE(user->waitUntil([&] { return shownTabs() == 2u; }, seconds(5)))
        << "the member sent away is still in its group (" << shownTabs() << " tabs)";
    EXPECT_TRUE(user->shareFrame(third->window, stays)) << "the members that stayed are no longer one group";

    // Over there it is an ordinary window: no bar on that desktop.
    ASSERT_TRUE(switchTo(1));
    EXPECT_TRUE(user->waitUntil([&] { return user->bars().empty(); }, seconds(2)));
}

}  // namespace
}  // namespace tessaly::e2e
