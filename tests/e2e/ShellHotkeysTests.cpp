// The tab-cycle hotkeys on a real desktop: where the window manager holds
// Control+Alt+Left/Right (openbox, mutter and muffin as they come) and the
// user never chose keys, Control+Alt+Page Down/Up stand in for them, said
// once in the log; where the user recorded the held keys, the user is
// told, once in the log, in the status menu and on the Tab Bar page; where
// they are free, Control+Alt+Right typed on the keyboard shows the focused
// group's next tab.
#include "ShellTest.h"

#include "Platform/UserDefaults.h"

namespace tessaly::e2e {
namespace {

using std::chrono::seconds;

constexpr const char* registrationFailedLine = "tab-cycle hotkey registration failed";
constexpr const char* hotkeysTakenNotice = "⚠️ A tab-switch hotkey is taken by another program";
constexpr const char* fallbackLine =
    "tab-cycle hotkeys taken by another app; using Ctrl+Alt+Page Up/Page Down in place of Ctrl+Alt+←/→";

class StockOpenboxShellTest : public ShellTest {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = ShellTest::desktopOptions();
        options.manager = test::X11WindowManager::openbox;  // stock: binds Control+Alt+Left/Right
        return options;
    }
};

// The user recorded the defaults the window manager holds.
class ShellHotkeysTakenTest : public StockOpenboxShellTest {
protected:
    void SetUp() override {
        StockOpenboxShellTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        FileUserDefaults file(folders_ / "config" / "tessaly" / "defaults.json");
        file.setBool(true, "welcomeShown");
        file.setData({R"({"keyCode":124,"modifiers":6144})"}, "tabCycleNextHotkey");
        file.setData({R"({"keyCode":123,"modifiers":6144})"}, "tabCyclePrevHotkey");
        ASSERT_TRUE(file.synchronize());
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

TEST_F(ShellHotkeysTakenTest, TheTabBarPageSaysSoBesideTheHotkeyRowsAndTheLogTellsItOnce) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ASSERT_TRUE(startShell());
    ASSERT_TRUE(waitForLog(registrationFailedLine));
    ASSERT_TRUE(openSettingsWindow());
    ASSERT_TRUE(openPage("Tab Bar"));

    const auto warning = control("label", hotkeysTakenNotice);
    ASSERT_TRUE(warning) << "the page does not say that the hotkeys are taken";
    const auto prevRow = control("push button", "Ctrl+Alt+←");
    const auto reset = control("push button", "Reset to Defaults");
    ASSERT_TRUE(prevRow && reset);
    EXPECT_GE(warning->extents.minY(), prevRow->extents.maxY()) << "not beside the hotkey rows";
    EXPECT_LE(warning->extents.maxY(), reset->extents.minY()) << "not beside the hotkey rows";

    // Every change registers the hotkeys again: the log says it once.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(clickControl("push button", "+"));
    ASSERT_TRUE(control("label", "Tab Bar Height: 33\u00A0px"));
    EXPECT_EQ(logCount(registrationFailedLine), 1u);

    // Both hotkeys turned off, one after the other: nothing is taken any more.
    const auto offRows = [this](std::size_t n) {
        return a11y_->waitUntil(pid(), [n](const std::vector<Accessible>& tree) {
            std::size_t off = 0;
            for (const auto& button : AccessibilityBus::all(tree, "push button")) off += button.name == "Off";
            return off == n;
        });
    };
    ASSERT_TRUE(clickControl("push button", "Turn off this shortcut"));
    ASSERT_TRUE(offRows(1));
    ASSERT_TRUE(clickControl("push button", "Turn off this shortcut"));
    ASSERT_TRUE(offRows(2));
    EXPECT_TRUE(a11y_->waitUntil(pid(), [](const std::vector<Accessible>& tree) {
        return AccessibilityBus::find(tree, "push button", "Off") &&
               !AccessibilityBus::find(tree, "label", hotkeysTakenNotice);
    })) << "the warning stayed after both hotkeys were turned off";
}

// Window managers that hold Control+Alt+Left/Right as they come: openbox
// with a grab of its own, mutter and muffin in their key binding settings
// (mutter's grab, and Cinnamon's over muffin, wins although the program's
// succeeds).
using ShellHotkeysFallbackTest = ShellOnWindowManager;

TEST_P(ShellHotkeysFallbackTest, TakenDefaultsGiveWayToControlAltPageDownAndUpWhichCycleTabs) {
    ASSERT_TRUE(startShell());
    ASSERT_TRUE(waitForLog(fallbackLine)) << "no log line naming the keys taken instead";
    EXPECT_EQ(logCount(registrationFailedLine), 0u) << "the fallback keys did not register";
    const auto pair = groupedXterms("fallback", 150);
    ASSERT_TRUE(pair);
    ASSERT_TRUE(user->focus(pair->active));

    pressCombo({KeySym::controlL, KeySym::altL}, KeySym::pageDown);
    EXPECT_TRUE(user->waitUntil([&] {
        return desktop->windows().activeWindow() == pair->inactive && user->barAbove(pair->inactive).has_value();
    })) << "Control+Alt+Page Down did not show the next tab";
    pressCombo({KeySym::controlL, KeySym::altL}, KeySym::pageUp);
    EXPECT_TRUE(user->waitUntil([&] {
        return desktop->windows().activeWindow() == pair->active && user->barAbove(pair->active).has_value();
    })) << "Control+Alt+Page Up did not go back";
    EXPECT_EQ(logCount(fallbackLine), 1u) << "said more than once";
    EXPECT_EQ(defaultsFile().find("tabCycle"), std::string::npos) << "the fallback was stored as the user's keys";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ShellHotkeysFallbackTest,
                         ::testing::Values(test::X11WindowManager::openbox, test::X11WindowManager::mutter,
                                           test::X11WindowManager::muffin),
                         test::X11WindowManagerName());

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
