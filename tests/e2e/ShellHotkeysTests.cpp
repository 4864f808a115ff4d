// The tab-cycle hotkeys on a real desktop: where the window manager holds
// Control+Alt+Left/Right (openbox as it comes) the user is told, in the log
// and in the status menu; where they are free, Control+Alt+Right typed on
// the keyboard shows the focused group's next tab.
#include "ShellTest.h"

namespace tessaly::e2e {
namespace {

using std::chrono::seconds;

constexpr const char* registrationFailedLine = "tab-cycle hotkey registration failed";
constexpr const char* hotkeysTakenNotice = "⚠️ A tab-switch hotkey is taken by another program";

class ShellHotkeysTakenTest : public ShellTest {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = ShellTest::desktopOptions();
        options.manager = test::X11WindowManager::openbox;  // stock: binds Control+Alt+Left/Right
        return options;
    }
};

TEST_F(ShellHotkeysTakenTest, HotkeysHeldByTheWindowManagerAreReportedInTheLogAndTheStatusMenu) {
    ASSERT_TRUE(startTray()) << "the tray did not start";
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ASSERT_TRUE(startShell());
    EXPECT_TRUE(waitForLog(registrationFailedLine)) << "no log line about the taken hotkeys";
    const auto rows = openStatusMenu();
    ASSERT_FALSE(rows.empty());
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "Running") << names(rows);
    EXPECT_EQ(rows[1].name, hotkeysTakenNotice) << "the status menu does not say so: " << names(rows);
    EXPECT_FALSE(rows[1].has(Accessible::enabled)) << "the notice is a row to read, not to choose";
}

class ShellHotkeysTest : public ShellTest {};

TEST_F(ShellHotkeysTest, ControlAltRightShowsTheFocusedGroupsNextTabWhenTheKeysAreFree) {
    ASSERT_TRUE(startShell());
    const auto pair = groupedXterms("cycle", 150);
    ASSERT_TRUE(pair);
    EXPECT_EQ(logCount(registrationFailedLine), 0u) << "the free hotkeys were not registered";
    ASSERT_TRUE(user->focus(pair->active));

    pressCombo({KeySym::controlL, KeySym::altL}, KeySym::right);
    EXPECT_TRUE(user->waitUntil([&] {
        return desktop->windows().activeWindow() == pair->inactive && user->barAbove(pair->inactive).has_value();
    })) << "Control+Alt+Right did not show the next tab";
    EXPECT_TRUE(user->shareFrame(pair->active, pair->inactive));

    pressCombo({KeySym::controlL, KeySym::altL}, KeySym::left);
    EXPECT_TRUE(user->waitUntil([&] {
        return desktop->windows().activeWindow() == pair->active && user->barAbove(pair->active).has_value();
    })) << "Control+Alt+Left did not go back";
}

}  // namespace
}  // namespace tessaly::e2e
