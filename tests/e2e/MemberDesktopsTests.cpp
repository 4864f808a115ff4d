// A member sent to another desktop, as a pager or the window menu does it
// (a _NET_WM_DESKTOP request), on each window manager with several desktops
// in its stock configuration: the off-desktop policy (detach, the default)
// applies as soon as the window manager has moved it, and no bar of its
// group ever shows on the desktop it went to.
#include "BarTabs.h"
#include "EndToEndTest.h"

#include <chrono>

namespace tessaly::e2e {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class MemberDesktopsTest : public EndToEndOnWindowManager {
protected:
    // How long the window manager's move may take to show in the group: the
    // program acts on the window manager's report, in milliseconds; the
    // rest is room for a loaded machine. Waiting for the next second's
    // sweep and a countdown took 1.1 s and more.
    static constexpr milliseconds kPolicyBound{600};
    // How long bars of the desktop left may stay after a switch (they show
    // on every desktop until the program hears of the switch).
    static constexpr milliseconds kHideBound{1000};

    bool switchTo(std::uint32_t number) {
        desktop->windows().switchToDesktop(number);
        return desktop->waitUntil([&] { return desktop->windows().currentDesktop() == number; });
    }
    // Sends the window to the desktop and waits until the window manager
    // has moved it; the time it did.
    std::optional<steady_clock::time_point> send(xcb_window_t window, std::uint32_t to) {
        if (!desktop->windows().moveToDesktop(window, to)) return std::nullopt;
        if (!desktop->waitUntil([&] {
                const auto info = desktop->windows().read(window);
                return info && info->desktop == to;
            })) {
            return std::nullopt;
        }
        return steady_clock::now();
    }
    // Switches to `number` and watches it for `span`: bars may show there
    // only while the program has not yet heard of the switch. Answers what
    // went wrong, or nothing.
    std::string watchForBars(std::uint32_t number, milliseconds span) {
        const auto start = steady_clock::now();
        if (!switchTo(number)) return "the desktop did not change";
        std::string seen;
        desktop->waitUntil(
            [&] {
                const auto now = steady_clock::now();
                if (const auto bars = user->bars(); !bars.empty() && now - start > kHideBound) {
                    seen = "a bar showed there " +
                           std::to_string(std::chrono::duration_cast<milliseconds>(now - start).count()) +
                           " ms after the switch: " + DesktopUser::describe(bars);
                    return true;
                }
                return now - start > span;
            },
            span + kHideBound);
        return seen;
    }
    // The stacking of the members' frames (by index) and the bars, bottom to top.
    std::string describeStacking(const std::vector<xcb_window_t>& members) {
        std::string text;
        for (const auto& w : user->screen.stack()) {
            for (std::size_t i = 0; i < members.size(); ++i) {
                if (w.window == user->screen.frameWindow(members[i])) text += " member" + std::to_string(i);
            }
            if (w.overrideRedirect && w.pid == ProcessID{program->pid()}) text += " " + DesktopUser::describe(w.rect);
        }
        for (std::size_t i = 0; i < members.size(); ++i) {
            text += ", member" + std::to_string(i) + " " + DesktopUser::describe(user->frame(members[i]));
        }
        return text + ", tabs " + std::to_string(shownTabs()) + ", active " +
               std::to_string(desktop->windows().activeWindow());
    }
    std::size_t shownTabs() {
        const auto bars = user->bars();
        return bars.size() == 1 ? tabsOf(*desktop, bars.front()).size() : 0;
    }
};

TEST_P(MemberDesktopsTest, AMemberSentToAnotherDesktopLeavesAtOnceAndNoBarFollowsIt) {
    const auto desktops = desktop->windows().numberOfDesktops();
    if (!desktops || *desktops < 2) GTEST_SKIP() << "one desktop in the stock configuration";
    std::vector<xcb_window_t> windows;
    for (int i = 0; i < 3; ++i) {
        const auto xterm = desktop->launchXterm("away-" + std::to_string(i + 1),
                                                "70x16+" + std::to_string(60 + 400 * i) + "+200");
        ASSERT_TRUE(xterm);
        windows.push_back(xterm->window);
    }
    TessalyProgram::Options options;
    options.diagnostics = true;
    ASSERT_TRUE(startProgramWithGroups({windows}, options));
    // The member the bar stands above (the window manager's focus decides
    // it once the window focused last is gone).
    const auto activeOf = [&](const std::vector<xcb_window_t>& members) {
        for (const xcb_window_t member : members) {
            if (user->barAbove(member)) return member;
        }
        return kNoWindow;
    };
    ASSERT_TRUE(user->waitUntil([&] { return activeOf(windows) != kNoWindow && shownTabs() == 3; }))
        << "the group did not come up: " << DesktopUser::describe(user->bars());

    // An inactive member goes; the user stays. Its tab goes at once, and
    // the rest stays one group.
    const xcb_window_t inactive = activeOf(windows) == windows[2] ? windows[1] : windows[2];
    std::vector<xcb_window_t> staying = windows;
    std::erase(staying, inactive);
    const auto sent = send(inactive, 1);
    ASSERT_TRUE(sent) << "the window manager did not move the window";
    ASSERT_TRUE(user->waitUntil([&] { return shownTabs() == 2; }))
        << "the member sent away kept its tab: " << DesktopUser::describe(user->bars());
    const auto took = std::chrono::duration_cast<milliseconds>(steady_clock::now() - *sent);
    EXPECT_LE(took, kPolicyBound) << "the member left its group only after " << took.count() << " ms";
    EXPECT_TRUE(user->waitUntil([&] { return activeOf(staying) != kNoWindow; })) << "no bar above the group";
    EXPECT_TRUE(user->shareFrame(staying[0], staying[1]));
    // Over there it is a window of its own: no bar.
    EXPECT_EQ(watchForBars(1, milliseconds(1500)), "");
    ASSERT_TRUE(switchTo(0));
    xcb_window_t active = kNoWindow;
    ASSERT_TRUE(user->waitUntil([&] { return (active = activeOf(staying)) != kNoWindow && shownTabs() == 2; }))
        << "the bar did not come back above the group: " << describeStacking(staying);

    // The active member goes and the user follows it at once: the bar of
    // the group it left never shows over it there, and the group, a pair,
    // is gone when the user comes back.
    ASSERT_TRUE(send(active, 1)) << "the window manager did not move the window";
    EXPECT_EQ(watchForBars(1, milliseconds(2500)), "");
    ASSERT_TRUE(switchTo(0));
    EXPECT_TRUE(user->waitUntil([&] { return user->bars().empty(); }, kHideBound))
        << "the pair kept its bar: " << DesktopUser::describe(user->bars());
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, MemberDesktopsTest,
                         ::testing::Values(test::X11WindowManager::openbox, test::X11WindowManager::xfwm4,
                                           test::X11WindowManager::icewm, test::X11WindowManager::metacity,
                                           test::X11WindowManager::marco, test::X11WindowManager::fluxbox, test::X11WindowManager::kwin, test::X11WindowManager::kwinComposited, test::X11WindowManager::mutter, test::X11WindowManager::muffin),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
