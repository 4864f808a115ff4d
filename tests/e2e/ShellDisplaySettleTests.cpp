// Screens blanking and monitors going away on a real desktop: while the
// displays settle the program leaves frames alone; once they have been quiet
// for the settle window it puts every group back (its frame reasserted on an
// unchanged screen, reflowed onto a screen that is still there otherwise).
// Each test waits out one settle window of 5 s.
#include "ShellTest.h"

namespace tessaly::e2e {
namespace {

using std::chrono::seconds;

constexpr const char* settleClosedLine = "display settle closed";

class ShellDisplaySettleTest : public ShellTest {
protected:
    // The program says when displays start and stop settling among its
    // diagnostic lines; the tests wait on those instead of on time.
    ShellDisplaySettleTest() {
        diagnostics = true;
        desktops = 2;
    }
    // The program notes on which screen each group lives at its periodic
    // sweep; a desktop switch runs one at once, and it says so as it hides
    // the bars. A group made just now is thereby known to its screen.
    bool letTheProgramNoteItsScreens(const Pair& pair) {
        desktop->windows().switchToDesktop(1);
        if (!waitForLog("bar hidden: no member on current Space")) return false;
        desktop->windows().switchToDesktop(0);
        return activeOf(pair.active, pair.inactive).has_value();
    }
    bool xset(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xset");
        return desktop->run(arguments) == 0;
    }
    bool xrandr(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xrandr");
        return desktop->run(arguments) == 0;
    }
};

TEST_F(ShellDisplaySettleTest, AfterTheScreenSaverTheGroupIsPutBackWhereItWas) {
    ASSERT_TRUE(startShell());
    auto pair = groupedXterms("saver", 150);
    ASSERT_TRUE(pair);
    ASSERT_TRUE(letTheProgramNoteItsScreens(*pair));
    pair = activeOf(pair->active, pair->inactive);
    ASSERT_TRUE(pair);
    const Rect home = user->frame(pair->active);

    ASSERT_TRUE(xset({"s", "activate"}));
    ASSERT_TRUE(waitForLog("system asleep")) << "the program did not notice the screens blanking";
    // While the screens are dark the window server moves the window in
    // front elsewhere (as it may when a display sleeps).
    ASSERT_TRUE(desktop->windows().setPosition(pair->active, Point{home.origin.x + 300, home.origin.y + 200}));
    ASSERT_TRUE(user->waitUntil([&] { return user->frame(pair->active).origin.x == home.origin.x + 300; }));
    ASSERT_TRUE(xset({"s", "reset"}));
    ASSERT_TRUE(waitForLog("display settle opened")) << "the program did not notice the screens waking";
    // Settling or not, a desktop without the group shows no bar.
    desktop->windows().switchToDesktop(1);
    EXPECT_TRUE(user->waitUntil([&] { return user->overlays().empty(); }, seconds(2)))
        << "a bar stayed on another desktop while the displays settle";
    desktop->windows().switchToDesktop(0);
    // Back, the moved window is the one in front again (the window manager
    // may have brought back the other one).
    ASSERT_TRUE(user->focus(pair->active));
    ASSERT_EQ(logCount(settleClosedLine), 0u) << "the settle window closed too early for this test";

    // Once the displays have settled the group's frame is reasserted.
    ASSERT_TRUE(waitForLog(settleClosedLine)) << "the displays never settled";
    EXPECT_TRUE(user->waitUntil([&] { return user->frame(pair->active) == home; }))
        << "the group's frame was not reasserted: " << DesktopUser::describe(user->frame(pair->active)) << " instead of "
        << DesktopUser::describe(home);
    EXPECT_TRUE(user->waitForSharedFrame(pair->inactive, pair->active));
    EXPECT_TRUE(activeOf(pair->active, pair->inactive)) << "no bar above the group";
}

TEST_F(ShellDisplaySettleTest, AGroupOnAMonitorThatIsRemovedComesOntoTheRemainingOne) {
    // Two monitors side by side on the one screen of 1600 x 1000.
    ASSERT_TRUE(xrandr({"--setmonitor", "LEFT", "800/211x1000/264+0+0", "screen"}));
    ASSERT_TRUE(xrandr({"--setmonitor", "RIGHT", "800/211x1000/264+800+0", "none"}));
    ASSERT_TRUE(startShell());
    const auto pair = groupedXterms("monitor", 200, 860);
    ASSERT_TRUE(pair);
    ASSERT_GE(user->frame(pair->active).minX(), 800) << "the group is not on the right monitor";

    ASSERT_TRUE(xrandr({"--delmonitor", "RIGHT"}));
    ASSERT_TRUE(waitForLog(settleClosedLine)) << "the program did not notice the monitor going";
    const Rect left(0, 0, 800, 1000);
    EXPECT_TRUE(user->waitUntil([&] { return left.contains(user->frame(pair->active)); }))
        << "the group stayed where no monitor is: " << DesktopUser::describe(user->frame(pair->active));
    EXPECT_TRUE(user->waitForSharedFrame(pair->inactive, pair->active));
    EXPECT_TRUE(user->waitForBarAbove(pair->active));
}

}  // namespace
}  // namespace tessaly::e2e
