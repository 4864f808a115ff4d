// What a user does on a tab bar, answered by the session on the simulated
// desktop: selecting (restoring a minimised window, raising a suspended
// one), closing, reordering, popping out, moving a tab into another group,
// the group's own menu, the add-window menu and gathering an application's
// windows, maximising and moving a group to another display.
#include <unistd.h>

#include "TessalyCore/L10n.h"
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class TabBarIntents : public SessionDesktop {
protected:
    // {1 editor, 2 terminal, 3 browser} at `home`, 3 active.
    TabGroup threeWindowGroup() {
        addWindow(1, editor, home);
        addWindow(2, terminal, home);
        addWindow(3, browser, home);
        start(false);
        groupWindows(2, 1);
        return groupWindows(3, 1);
    }
    // {4 editor, 5 terminal} at `away`, 5 active.
    TabGroup awayPair() {
        addWindow(4, editor, away);
        addWindow(5, terminal, away);
        return groupWindows(5, 4);
    }
    std::vector<WindowID> members(const Uuid& group) const {
        const auto found = session->engine().group(group);
        return found ? found->windowIDs() : std::vector<WindowID>{};
    }
    WindowID activeOf(const Uuid& group) const { return session->engine().group(group)->activeWindowID; }
    WindowID frontmost() const { return env.desktop->stacking().front(); }
};

TEST_F(TabBarIntents, ASelectedTabComesForwardAMinimisedOneWhenRestoredASuspendedOneOnlyRaised) {
    const TabGroup group = threeWindowGroup();
    ASSERT_EQ(group.windowIDs(), (std::vector<WindowID>{1, 2, 3}));
    const Uuid stale = Uuid::random();

    session->tabBarDidSelectTab(stale, 2);  // a wrong group id: the window's group answers
    settle();
    EXPECT_EQ(activeOf(group.id), 2u);
    EXPECT_EQ(frontmost(), 2u);
    EXPECT_EQ(env.desktop->frontmostApplication()->pid, terminal);

    env.desktop->setMinimized(1, true);
    settle();
    session->tabBarDidSelectTab(group.id, 1);
    EXPECT_EQ(activeOf(group.id), 2u) << "active only once the window is reported restored";
    settle();
    EXPECT_FALSE(env.desktop->window(1)->spec.minimized);
    EXPECT_EQ(activeOf(group.id), 1u);
    EXPECT_EQ(frameOf(1), home);

    session->engine().suspendMember(3);
    settle();
    const int activations = env.desktop->activationRequests(browser);
    session->tabBarDidSelectTab(group.id, 3);
    settle();
    EXPECT_EQ(frontmost(), 3u);
    EXPECT_GT(env.desktop->activationRequests(browser), activations);
    EXPECT_EQ(activeOf(group.id), 1u) << "a suspended member does not become the active one";

    // Closing a tab (its close button or a middle click) closes the window;
    // the tab goes when the window does.
    session->tabBarDidCloseTab(stale, 2);
    settle();
    EXPECT_FALSE(env.desktop->window(2));
    EXPECT_EQ(members(group.id), (std::vector<WindowID>{1, 3}));
    EXPECT_EQ(overlay->barFor(group.id).lastRender().tabs.size(), 2u);

    // A click on a window that is in no group any more does nothing.
    session->tabBarDidSelectTab(group.id, 2);
    settle();
    EXPECT_EQ(activeOf(group.id), 1u);
}

TEST_F(TabBarIntents, ReorderAndPopOut) {
    const TabGroup group = threeWindowGroup();
    session->tabBarDidMoveTabToIndex(group.id, 3, 0);
    settle();
    EXPECT_EQ(members(group.id), (std::vector<WindowID>{3, 1, 2}));

    // A minimised member is only let go of: not moved, not restored.
    env.desktop->setMinimized(2, true);
    settle();
    session->tabBarDidPopOutTab(group.id, 2);
    run(0.5);
    EXPECT_EQ(members(group.id), (std::vector<WindowID>{3, 1}));
    EXPECT_TRUE(env.desktop->window(2)->spec.minimized);
    EXPECT_EQ(frameOf(2), home);

    // A locked group keeps its tabs.
    session->tabBarDidToggleLock(group.id);
    settle();
    session->tabBarDidPopOutTab(group.id, 1);
    run(0.5);
    EXPECT_EQ(members(group.id), (std::vector<WindowID>{3, 1}));
    EXPECT_EQ(frameOf(1), home);
    session->tabBarDidToggleLock(group.id);
    settle();

    // The active tab of a pair: the window steps out 40 points right and up
    // and comes to the front; the other stays, not raised; the group is gone.
    session->tabBarDidPopOutTab(group.id, 3);
    run(0.5);
    EXPECT_FALSE(session->engine().group(group.id));
    EXPECT_TRUE(overlay->barFor(group.id).isClosed);
    EXPECT_EQ(frameOf(3), Rect(140, 60, 700, 500));
    EXPECT_EQ(frameOf(1), home);
    EXPECT_EQ(frontmost(), 3u);
    EXPECT_EQ(session->windowSystem().trackedCount(), 0u);
}

TEST_F(TabBarIntents, ATabMovesIntoAnotherGroupAtItsGapButNotIntoALockedGroupAndADeadWindowIsNoMember) {
    const TabGroup group = threeWindowGroup();
    const TabGroup other = awayPair();

    session->tabBarDidMoveTabToGroupAtIndex(group.id, 2, other.id, 1);
    run(0.5);
    EXPECT_EQ(members(other.id), (std::vector<WindowID>{4, 2, 5}));
    EXPECT_EQ(members(group.id), (std::vector<WindowID>{1, 3}));
    EXPECT_EQ(frameOf(2), away);

    session->tabBarDidToggleLock(other.id);
    settle();
    session->tabBarDidMoveTabToGroupAtIndex(group.id, 1, other.id, 0);
    run(0.5);
    EXPECT_EQ(members(other.id), (std::vector<WindowID>{4, 2, 5}));
    EXPECT_EQ(members(group.id), (std::vector<WindowID>{1, 3}));
    session->tabBarDidToggleLock(other.id);
    settle();

    // The dragged tab's window dies before its drop lands: it moves as a
    // member, and leaves when its death is reported. Nothing is left over.
    env.desktop->destroyWindow(3);
    session->tabBarDidMoveTabToGroupAtIndex(group.id, 3, other.id, 0);
    session->tabBarDidPopOutTab(group.id, 3);
    run(0.5);
    EXPECT_EQ(members(other.id), (std::vector<WindowID>{4, 2, 5}));
    EXPECT_FALSE(session->engine().group(group.id)) << "1 was left alone";
    // And a drop of a window already gone changes nothing.
    session->tabBarDidMoveTabToGroupAtIndex(other.id, 3, other.id, 0);
    session->tabBarDidPopOutTab(other.id, 3);
    run(0.5);
    EXPECT_EQ(members(other.id), (std::vector<WindowID>{4, 2, 5}));
    EXPECT_EQ(session->windowSystem().trackedCount(), 3u);
}

TEST_F(TabBarIntents, TheGroupMenuLocksNamesUngroupsAndClosesTheGroup) {
    const TabGroup group = threeWindowGroup();
    const TabGroup other = awayPair();

    session->tabBarDidRenameGroup(group.id, std::string("  Research \t"));
    session->tabBarDidToggleLock(group.id);
    settle();
    EXPECT_EQ(overlay->barFor(group.id).lastRender().name, "Research");
    EXPECT_TRUE(overlay->barFor(group.id).lastRender().isLocked);

    // Locked: not ungrouped (the bar's menu offers neither that nor closing).
    session->tabBarDidRequestUngroup(group.id);
    settle();
    EXPECT_EQ(members(group.id).size(), 3u);

    session->tabBarDidRenameGroup(group.id, std::string(" \n "));
    session->tabBarDidToggleLock(group.id);
    settle();
    EXPECT_FALSE(overlay->barFor(group.id).lastRender().name);
    session->tabBarDidRequestUngroup(group.id);
    settle();
    EXPECT_FALSE(session->engine().group(group.id));
    EXPECT_EQ(frameOf(1), home);
    EXPECT_TRUE(env.desktop->window(3));

    session->tabBarDidRequestCloseGroup(other.id);
    settle();
    EXPECT_FALSE(env.desktop->window(4));
    EXPECT_FALSE(env.desktop->window(5));
    EXPECT_EQ(session->engine().groupCount(), 0u);
}

// ---- The add-window menu and gathering an application's windows ----

class AddWindowMenu : public TabBarIntents {
protected:
    static constexpr ProcessID viewer = 104;
    static constexpr ProcessID blocked = 105;

    void addTitled(WindowID id, ProcessID pid, const Rect& frame, const std::string& title) {
        SimWindowSpec spec;
        spec.id = id;
        spec.pid = pid;
        spec.frame = frame;
        spec.title = title;
        env.desktop->addWindow(spec);
        settle();
    }
    std::vector<std::string> titles(const MenuModel& menu) const {
        std::vector<std::string> found;
        for (const MenuItem& item : menu.items) found.push_back(item.title);
        return found;
    }
};

TEST_F(AddWindowMenu, ListsTheOtherWindowsFrontToBackWithCleanTitlesAndAddsTheOneChosen) {
    env.desktop->addApplication({viewer, "org.example.Viewer", "Viewer\u0007 \t2", ""});
    env.desktop->addApplication({blocked, "org.example.Blocked", "Blocked", ""});
    env.desktop->addApplication({::getpid(), "org.example.Tessaly", "Tessaly", ""});
    addWindow(1, editor, home);
    addWindow(2, terminal, home);
    addTitled(10, browser, Rect(300, 300, 400, 300), "Docs\n\tpage \u200B1");
    addTitled(11, viewer, Rect(400, 400, 400, 300), "  ");
    addTitled(12, blocked, Rect(500, 500, 400, 300), "Blocked window");
    addTitled(13, ::getpid(), Rect(600, 600, 400, 300), "Our own panel");
    addTitled(14, browser, Rect(0, 0, 1920, 40), "A dock");
    env.desktop->setLayerAndAlpha(14, WindowLayer::dock, 1.0);
    addTitled(15, viewer, Rect(700, 100, 300, 300), "Invisible");
    env.desktop->setLayerAndAlpha(15, 0, 0.05);
    addWindow(20, editor, away);
    addWindow(21, browser, away);
    start(false);
    session->isExcludedApp = [](ProcessID pid) { return pid == blocked; };
    const TabGroup other = groupWindows(21, 20);
    const TabGroup group = groupWindows(2, 1);
    for (const WindowID id : {10u, 20u, 21u, 11u}) env.desktop->raiseWindow(id);
    settle();

    session->tabBarDidClickAdd(group.id, Rect(600, 70, 24, 30));
    settle();
    ASSERT_EQ(overlay->menus.size(), 1u);
    const FakeMenuPopUp& popUp = overlay->menus.back();
    EXPECT_EQ(popUp.at, (Point{600, 104}));
    // Front to back; a member of another group is listed, the group's own
    // members, excluded, own, dock and invisible windows are not.
    EXPECT_EQ(titles(popUp.menu), (std::vector<std::string>{"Viewer 2 \u2014 Viewer 2", "Browser \u2014 Window 21",
                                                            "Editor \u2014 Window 20", "Browser \u2014 Docs page 1"}));
    for (const MenuItem& item : popUp.menu.items) EXPECT_TRUE(item.enabled);

    // Choosing a window of the other group moves it here, as the active tab.
    popUp.menu.items[2].invoke();
    run(0.5);
    EXPECT_EQ(members(group.id), (std::vector<WindowID>{1, 2, 20}));
    EXPECT_EQ(activeOf(group.id), 20u);
    EXPECT_EQ(frameOf(20), home);
    EXPECT_FALSE(session->engine().group(other.id)) << "its pair dissolved";

    // Once the session is gone, a row left open does nothing.
    const MenuItem leftOpen = popUp.menu.items[0];
    session.reset();
    leftOpen.invoke();
    settle();
}

TEST_F(AddWindowMenu, SaysSoWhenNothingCanBeAdded) {
    addWindow(1, editor, home);
    addWindow(2, terminal, home);
    addWindow(3, browser, away);
    start(false);
    const TabGroup group = groupWindows(2, 1);
    session->isExcludedApp = [](ProcessID pid) { return pid == browser; };
    session->tabBarDidClickAdd(group.id, Rect(600, 70, 24, 30));
    settle();
    ASSERT_EQ(overlay->menus.size(), 1u);
    const MenuModel& menu = overlay->menus.back().menu;
    ASSERT_EQ(menu.items.size(), 1u);
    EXPECT_EQ(menu.items[0].title, L10n::pickerEmpty());
    EXPECT_FALSE(menu.items[0].enabled);
    EXPECT_FALSE(menu.items[0].handler);

    session->tabBarDidClickAdd(Uuid::random(), Rect(600, 70, 24, 30));
    settle();
    EXPECT_EQ(overlay->menus.size(), 1u) << "no menu for a group that is gone";
}

TEST_F(AddWindowMenu, GathersTheTabsApplicationAndGivesTheTabBackItsPlace) {
    addWindow(1, editor, home);
    addWindow(2, terminal, home);
    addWindow(10, editor, Rect(300, 300, 400, 300));
    addWindow(11, editor, Rect(400, 400, 400, 300));
    addWindow(12, editor, Rect(500, 500, 400, 300));
    env.desktop->setMinimized(12, true);
    start(false);
    const TabGroup group = groupWindows(2, 1);
    const auto& ask = session->overlay().sameAppCandidatesChecker;
    EXPECT_TRUE(ask(group.id, 1));
    EXPECT_FALSE(ask(group.id, 2)) << "no other terminal window";
    EXPECT_FALSE(ask(Uuid::random(), 1));

    session->tabBarDidRequestGroupSameAppForTab(group.id, 1);
    run(0.5);
    EXPECT_EQ(members(group.id), (std::vector<WindowID>{1, 2, 11, 10})) << "front to back; the minimised one not";
    EXPECT_EQ(activeOf(group.id), 1u);
    EXPECT_EQ(frameOf(10), home);
    EXPECT_FALSE(ask(group.id, 1));

    // Nothing left to gather: nothing changes, not even the active tab.
    session->tabBarDidSelectTab(group.id, 2);
    settle();
    session->tabBarDidRequestGroupSameAppForTab(group.id, 1);
    settle();
    EXPECT_EQ(activeOf(group.id), 2u);
}

// ---- Maximise and move to display ----

class WholeGroupFrame : public TabBarIntents {
protected:
    void twoDisplays() {
        env.desktop->setDisplays({DisplayInfo{1, "eDP-1", Rect(0, 0, 1920, 1080), Rect(0, 25, 1920, 1055)},
                                  DisplayInfo{2, "HDMI-1", Rect(1920, 0, 1280, 1024), Rect(1920, 0, 1280, 1024)}});
        settle();
    }
    std::vector<DisplayMoveTarget> targets(const Uuid& group) const {
        return session->overlay().displayMoveTargetsProvider(group);
    }
};

TEST_F(WholeGroupFrame, MaximiseFillsTheWorkAreaBelowTheStripAndASecondOneRestores) {
    const TabGroup group = threeWindowGroup();
    const Rect maximised{0, 55, 1920, 1025};

    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    EXPECT_EQ(session->engine().group(group.id)->frame, maximised);
    for (const WindowID id : {1u, 2u, 3u}) EXPECT_EQ(frameOf(id), maximised) << id;
    ASSERT_TRUE(session->zoomRecords().contains(group.id));
    EXPECT_EQ(session->zoomRecords().at(group.id).restoreFrame, home);

    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    EXPECT_EQ(session->engine().group(group.id)->frame, home);
    EXPECT_EQ(frameOf(1), home);
    EXPECT_TRUE(session->zoomRecords().at(group.id).restoredAt);

    // Maximised, then moved by the user: the next maximise comes back here.
    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    env.desktop->moveWindow(3, Rect(200, 200, 900, 600));
    run(0.6);
    ASSERT_EQ(session->engine().group(group.id)->frame, Rect(200, 200, 900, 600));
    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    EXPECT_EQ(session->engine().group(group.id)->frame, maximised);
    EXPECT_EQ(session->zoomRecords().at(group.id).restoreFrame, Rect(200, 200, 900, 600));
}

TEST_F(WholeGroupFrame, UnderScaledBarsTheRoomKeptAboveAGroupIsTheBarsHeightOnScreen) {
    // Bars drawn at twice the size: a 30-point bar is 60 units high.
    overlay->scale = 2;
    addWindow(1, editor, Rect(100, 40, 700, 500));  // in the bar's room: confined below it
    addWindow(2, terminal, Rect(100, 40, 700, 500));
    start(false);
    const TabGroup group = groupWindows(2, 1);
    EXPECT_EQ(group.frame.minY(), 25 + 60);
    EXPECT_EQ(session->overlay().stripFrame(group.frame), Rect(100, 25, 700, 60));

    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    EXPECT_EQ(session->engine().group(group.id)->frame, Rect(0, 85, 1920, 995));

    // Five points taller: the group under the bar moves down ten units.
    session->updateTabBarHeight(35);
    run(1.0);
    EXPECT_EQ(session->engine().group(group.id)->frame.minY(), 95);
    EXPECT_EQ(frameOf(1).minY(), 95);
}

TEST_F(WholeGroupFrame, AGroupFillingItsWorkAreaHasNothingToRestoreAndPopsOutInPlace) {
    const Rect maximised{0, 55, 1920, 1025};
    addWindow(1, editor, maximised);
    addWindow(2, terminal, maximised);
    start(false);
    const TabGroup group = groupWindows(2, 1);
    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    EXPECT_EQ(session->engine().group(group.id)->frame, maximised);
    EXPECT_FALSE(session->zoomRecords().contains(group.id));

    // No room beside it: the popped-out window stays and only comes forward.
    session->tabBarDidPopOutTab(group.id, 1);
    run(0.5);
    EXPECT_FALSE(session->engine().group(group.id));
    EXPECT_EQ(frameOf(1), maximised);
    EXPECT_EQ(frontmost(), 1u);
}

TEST_F(WholeGroupFrame, NeitherMaximiseNorMoveWhileDisplaysSettleOrTheActiveWindowIsMinimised) {
    twoDisplays();
    const TabGroup group = threeWindowGroup();
    env.desktop->wake();
    settle();
    ASSERT_TRUE(session->isDisplaySettling());
    session->tabBarDidRequestMaximize(group.id);
    session->tabBarDidRequestMoveToDisplay(group.id, 1);
    run(0.6);
    EXPECT_EQ(session->engine().group(group.id)->frame, home);
    EXPECT_FALSE(session->zoomRecords().contains(group.id));

    run(5.0);
    ASSERT_FALSE(session->isDisplaySettling());
    for (const WindowID id : {1u, 2u, 3u}) env.desktop->setMinimized(id, true);
    settle();
    ASSERT_TRUE(session->engine().group(group.id)->minimized.contains(activeOf(group.id)));
    session->tabBarDidRequestMaximize(group.id);
    session->tabBarDidRequestMoveToDisplay(group.id, 1);
    run(0.6);
    EXPECT_EQ(session->engine().group(group.id)->frame, home);
    EXPECT_FALSE(session->zoomRecords().contains(group.id));
}

TEST_F(WholeGroupFrame, MovesToAnotherDisplayNamedByItsMonitorKeepingItsPlace) {
    addWindow(1, editor, home);
    addWindow(2, terminal, home);
    start(false);
    const TabGroup group = groupWindows(2, 1);
    EXPECT_TRUE(targets(group.id).empty()) << "one display: nowhere to go";
    twoDisplays();
    run(5.5);  // the displays settle
    EXPECT_EQ(targets(group.id), (std::vector<DisplayMoveTarget>{{0, "eDP-1", true}, {1, "HDMI-1", false}}));
    EXPECT_TRUE(targets(Uuid::random()).empty());

    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    ASSERT_TRUE(session->zoomRecords().contains(group.id));
    session->tabBarDidRequestMoveToDisplay(group.id, 0);  // where it is
    session->tabBarDidRequestMoveToDisplay(group.id, 2);  // past the last
    session->tabBarDidRequestMoveToDisplay(group.id, -1);
    run(0.6);
    EXPECT_EQ(session->engine().group(group.id)->frame, Rect(0, 55, 1920, 1025));
    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    ASSERT_EQ(session->engine().group(group.id)->frame, home);

    // The same place relative to the work area.
    session->tabBarDidRequestMoveToDisplay(group.id, 1);
    run(0.6);
    const Rect moved = session->engine().group(group.id)->frame;
    EXPECT_NEAR(moved.minX(), 1920 + 100.0 * (1280 - 700) / (1920 - 700), 0.01);
    EXPECT_NEAR(moved.minY(), 75.0 * (1024 - 500) / (1055 - 500), 0.01);
    EXPECT_EQ(moved.size, home.size);
    EXPECT_EQ(frameOf(1), moved);
    EXPECT_EQ(frameOf(2), moved);
    EXPECT_FALSE(session->zoomRecords().contains(group.id)) << "a maximise there records afresh";
    EXPECT_EQ(targets(group.id), (std::vector<DisplayMoveTarget>{{0, "eDP-1", false}, {1, "HDMI-1", true}}));

    session->tabBarDidRequestMoveToDisplay(group.id, 0);
    run(0.6);
    const Rect back = session->engine().group(group.id)->frame;
    EXPECT_NEAR(back.minX(), home.minX(), 0.01);
    EXPECT_NEAR(back.minY(), home.minY(), 0.01);
}

}  // namespace
}  // namespace tessaly::testing
