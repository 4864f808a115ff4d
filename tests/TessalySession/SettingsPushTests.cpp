// What the settings push into a running session: launcher badges on the
// tabs, auto-colour rules for newly grouped windows, bar appearance and
// height, and the tab-cycle hotkeys.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class SettingsPush : public SessionDesktop {
protected:
    static std::optional<std::string> badgeOf(const FakeBarRecord& bar, WindowID id) {
        for (const TabViewModel& tab : bar.lastRender().tabs) {
            if (tab.windowID == id) return tab.badge;
        }
        return std::nullopt;
    }
};

TEST_F(SettingsPush, BadgesShowWhileOnAndEachChangeRedrawsEveryAffectedBarOnce) {
    constexpr ProcessID launcher = 900;
    env.desktop->setDockProcess(launcher);
    env.desktop->setDockTiles({{"3", "file:///usr/share/applications/editor.desktop"}});
    addWindow(1, editor, Rect(100, 100, 700, 500));
    addWindow(2, editor, Rect(100, 100, 700, 500));
    addWindow(3, terminal, Rect(100, 100, 700, 500));
    addWindow(4, editor, Rect(1000, 200, 700, 500));
    addWindow(5, browser, Rect(1000, 200, 700, 500));
    start(false);
    session->updateShowTabBadges(true);
    EXPECT_FALSE(session->badgeMonitor().isActive()) << "no group yet";

    groupWindows(2, 1);
    const TabGroup first = groupWindows(3, 1);
    const TabGroup second = groupWindows(5, 4);
    EXPECT_TRUE(session->badgeMonitor().isActive());
    const FakeBarRecord& firstBar = overlay->barFor(first.id);
    const FakeBarRecord& secondBar = overlay->barFor(second.id);
    EXPECT_EQ(badgeOf(firstBar, 1), "3");
    EXPECT_EQ(badgeOf(firstBar, 2), "3");
    EXPECT_EQ(badgeOf(firstBar, 3), std::nullopt);
    EXPECT_EQ(badgeOf(secondBar, 4), "3");

    // A new count: both bars redraw, each once although the first holds two
    // editor windows; a bar of no editor window would not.
    const std::size_t firstRenders = firstBar.renders.size();
    const std::size_t secondRenders = secondBar.renders.size();
    env.desktop->setDockTiles({{"12", "file:///usr/share/applications/editor.desktop"}});
    run(5.0);
    EXPECT_EQ(firstBar.renders.size(), firstRenders + 1);
    EXPECT_EQ(secondBar.renders.size(), secondRenders + 1);
    EXPECT_EQ(badgeOf(secondBar, 4), "12");

    session->updateShowTabBadges(false);
    settle();
    EXPECT_FALSE(session->badgeMonitor().isActive());
    EXPECT_EQ(badgeOf(firstBar, 1), std::nullopt);
    EXPECT_EQ(badgeOf(secondBar, 4), std::nullopt);
}

TEST_F(SettingsPush, RulesColourNewMembersAndAppearanceAndBarHeightReachEveryBar) {
    const TabColor red(1, 0, 0);
    const TabColor green(0, 1, 0);
    addWindow(1, editor, Rect(100, 25, 700, 500));  // under the menu bar: confined below the bar's room
    addWindow(2, terminal, Rect(100, 25, 700, 500));
    addWindow(3, browser, Rect(1000, 300, 700, 500));
    addWindow(4, editor, Rect(1000, 300, 700, 500));
    start(false);
    const auto contains = MatchRule::TitleMatch::contains;
    session->updateTabColors({}, {AutoColorRule(Uuid(), {"org.example.Terminal"}, {}, contains, red),
                                  AutoColorRule(Uuid(), {}, "Window", contains, green)});
    const TabGroup top = groupWindows(2, 1);
    EXPECT_EQ(top.member(2)->accent, red) << "the earlier of two matching rules";
    EXPECT_EQ(top.member(1)->accent, green);
    session->updateTabColors({}, {});
    const TabGroup lower = groupWindows(4, 3);
    EXPECT_EQ(lower.member(3)->accent, std::nullopt);

    session->updateAppearance(AppearanceMode::dark);
    session->updateTabBarOpacity(0.75);
    EXPECT_EQ(overlay->barFor(top.id).appearanceMode, AppearanceMode::dark);
    EXPECT_EQ(overlay->barFor(lower.id).tabBarOpacity, 0.75);

    // A taller bar pushes down the group right under it; the other group is
    // only redrawn.
    const double oldHeight = session->overlay().tabBarHeight();
    const std::size_t lowerRenders = overlay->barFor(lower.id).renders.size();
    session->updateTabBarHeight(oldHeight + 10);
    session->updateTabBarHeight(oldHeight + 10);
    run(1.0);
    const Rect pushed = top.frame.offsetBy(0, 10);
    EXPECT_EQ(session->engine().group(top.id)->frame.origin, pushed.origin);
    EXPECT_EQ(frameOf(1).origin, pushed.origin);
    EXPECT_EQ(frameOf(2).origin, pushed.origin);
    EXPECT_EQ(session->engine().group(lower.id)->frame, lower.frame);
    EXPECT_EQ(overlay->barFor(lower.id).renders.size(), lowerRenders + 1);
}

TEST_F(SettingsPush, TabCycleHotkeysHeldElsewhereAreReportedAndNeverCollideWithThemselves) {
    addWindow(1, editor, Rect(100, 100, 700, 500));
    addWindow(2, terminal, Rect(100, 100, 700, 500));
    addWindow(3, browser, Rect(1000, 200, 500, 400));
    start(false);
    const TabGroup group = groupWindows(2, 1);
    const KeyCombo next(124, HotkeyModifiers(0x1800));
    const KeyCombo prev(123, HotkeyModifiers(0x1800));

    EXPECT_TRUE(session->enableTabCycleHotkeys(next, prev));
    EXPECT_TRUE(session->enableTabCycleHotkeys(next, prev)) << "the old registrations are given back first";

    // The focused window is in no group: the keys change nothing.
    focus(3);
    const WindowID active = session->engine().group(group.id)->activeWindowID;
    EXPECT_TRUE(input->pressKey(124, 0x1800));
    settle();
    EXPECT_EQ(session->engine().group(group.id)->activeWindowID, active);

    input->takeByOtherApplication(124, 0x1800);
    input->takeByOtherApplication(123, 0x1800);
    EXPECT_FALSE(session->enableTabCycleHotkeys(next, prev));
    EXPECT_EQ(session->hotkeys(), nullptr) << "nothing registered, nothing held";
}

}  // namespace
}  // namespace tessaly::testing
