// The settings window on a real desktop: the first start shows it on the
// How To page, on the desktop the user is on, in front and with the
// keyboard focus (although another window had it); opening the program
// again shows it again and starts nothing.
#include "ShellTest.h"

#include <regex>

namespace tessaly::e2e {
namespace {

class SettingsWindowTest : public ShellTest {
protected:
    SettingsWindowTest() { desktops = 2; }

    // Whether the keyboard focus is in `client` (the window or one inside it).
    bool hasKeyboardFocus(xcb_window_t client) {
        xcb_connection_t* c = desktop->connection().get();
        auto focus = xcbReply(c, xcb_get_input_focus_reply, xcb_get_input_focus(c));
        for (xcb_window_t w = focus ? focus->focus : XCB_NONE; w != XCB_NONE && w != desktop->connection().root();) {
            if (w == client) return true;
            auto tree = xcbReply(c, xcb_query_tree_reply, xcb_query_tree(c, w));
            if (!tree) return false;
            w = tree->parent;
        }
        return false;
    }
    // The window is shown where the user is, in front, with the focus.
    ::testing::AssertionResult isInFrontWithFocus(const X11WindowInfo& window) {
        const auto current = desktop->windows().currentDesktop();
        const auto info = desktop->windows().read(window.window);
        if (!info || !info->viewable) return ::testing::AssertionFailure() << "not shown";
        if (info->desktop != current && info->desktop != kX11AllDesktops) {
            return ::testing::AssertionFailure() << "on desktop " << info->desktop.value_or(99) << ", the user is on "
                                                 << current.value_or(99);
        }
        if (desktop->windows().activeWindow() != window.window) return ::testing::AssertionFailure() << "not active";
        if (!hasKeyboardFocus(window.window)) return ::testing::AssertionFailure() << "no keyboard focus";
        const auto stacking = desktop->windows().stackingList();
        if (stacking.empty() || stacking.back() != window.window) return ::testing::AssertionFailure() << "not in front";
        return ::testing::AssertionSuccess();
    }
    bool isSelectedPage(const char* name) {
        return a11y_->waitUntil(pid(), [&](const std::vector<Accessible>& tree) {
            const auto item = AccessibilityBus::find(tree, "list item", name);
            return item && item->has(Accessible::selected);
        });
    }
};

TEST_F(SettingsWindowTest, TheFirstStartShowsItOnHowToInFrontOnTheCurrentDesktopAndAgainOnTheNextStart) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    writeDefaults({}, /*firstStart=*/true);
    // The user is on the second desktop, typing in a terminal.
    desktop->windows().switchToDesktop(1);
    ASSERT_TRUE(desktop->waitUntil([&] { return desktop->windows().currentDesktop() == 1u; }));
    const auto terminal = desktop->launchXterm("busy", "80x24+300+200");
    ASSERT_TRUE(terminal);
    ASSERT_TRUE(desktop->waitUntil([&] { return desktop->windows().activeWindow() == terminal->window; }));

    ASSERT_TRUE(startShell({}));
    auto window = waitForProgramWindow("Tessaly Settings");
    ASSERT_TRUE(window) << "the first start showed no settings window";
    EXPECT_TRUE(desktop->waitUntil([&] { return isInFrontWithFocus(*window); })) << isInFrontWithFocus(*window);
    EXPECT_TRUE(isSelectedPage("How to Use")) << "the first start did not show How To";
    EXPECT_TRUE(desktop->waitUntil([&] {
        return std::regex_search(defaultsFile(), std::regex("\"welcomeShown\"\\s*:\\s*true"));
    })) << "the first start was not remembered: " << defaultsFile();

    // Closed, then the program opened again: the window comes back (on the
    // last settings page, not on How To), and still one program runs.
    ASSERT_TRUE(desktop->windows().close(window->window));
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto info = desktop->windows().read(window->window);
        return !info || !info->viewable;
    })) << "the window did not close";
    ASSERT_TRUE(desktop->waitUntil([&] { return desktop->windows().activeWindow() != window->window; }));
    ChildProcess* again = launch({});
    ASSERT_TRUE(again);
    const auto status = again->waitForExit(test::kX11Patience);
    ASSERT_TRUE(status) << "the second start kept running";
    EXPECT_TRUE(status->exited && status->code == 0) << status->describe();
    EXPECT_EQ(instances(), std::vector<pid_t>{pid()});
    window = waitForProgramWindow("Tessaly Settings");
    ASSERT_TRUE(window) << "opening the program again did not show the settings window";
    EXPECT_TRUE(desktop->waitUntil([&] { return isInFrontWithFocus(*window); })) << isInFrontWithFocus(*window);
    EXPECT_TRUE(isSelectedPage("General"));
}

}  // namespace
}  // namespace tessaly::e2e
