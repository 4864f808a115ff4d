// Displays settling after sleep, wake and screen changes: while they settle
// the window server's moves are not the user's; five seconds after the last
// trigger every group is put back on its unchanged display or reflowed onto
// what is left, and bars keep following the current desktop all along.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class DisplaySettle : public SessionDesktop {
protected:
    // Group {1, 2} on the main display and, with two displays, {3, 4} on the side one.
    void twoGroups(bool dragGrouping = false) {
        env.desktop->setDisplays({mainDisplay, sideDisplay});
        addWindow(1, editor, Rect(100, 100, 700, 500));
        addWindow(2, terminal, Rect(100, 100, 700, 500));
        addWindow(3, terminal, Rect(2100, 200, 700, 500));
        addWindow(4, browser, Rect(2100, 200, 700, 500));
        start(dragGrouping);
        onMain = groupWindows(1, 2);
        onSide = groupWindows(3, 4);
        run(1.2);  // a sweep notes which display hosts each group
    }
    static bool within(const Rect& frame, const Rect& area) { return area.intersection(frame) == frame; }

    TabGroup onMain;
    TabGroup onSide;
};

TEST_F(DisplaySettle, GroupsAreReassertedOnTheirDisplayOrReflowedOntoTheOneLeft) {
    twoGroups();
    // The side display is unplugged. The window server moves window 1 on its
    // own; nobody moves windows 3 and 4, now on no display at all.
    env.desktop->setDisplays({mainDisplay});
    env.desktop->moveWindow(1, Rect(300, 300, 700, 500));
    run(2.0);
    env.desktop->setDisplays({mainDisplay});  // a second change extends the settle
    run(4.5);
    EXPECT_EQ(frameOf(1), Rect(300, 300, 700, 500)) << "nothing is put back while the displays settle";
    EXPECT_EQ(session->engine().group(1)->frame, onMain.frame);

    run(1.0);
    EXPECT_EQ(frameOf(1), onMain.frame) << "reasserted on its unchanged display";
    EXPECT_EQ(frameOf(2), onMain.frame);
    const Rect reflowed = session->engine().group(3)->frame;
    EXPECT_TRUE(within(reflowed, mainDisplay.visibleFrame)) << reflowed;
    EXPECT_EQ(reflowed.size, onSide.frame.size);
    EXPECT_EQ(frameOf(3), reflowed);
    EXPECT_EQ(frameOf(4), reflowed);
    EXPECT_TRUE(overlay->barFor(onSide.id).isShown);
}

TEST_F(DisplaySettle, SleepCancelsAPendingResyncAndUnreadableWindowsAreOnlyRedrawn) {
    twoGroups();
    env.desktop->setDisplays({mainDisplay, sideDisplay});
    env.desktop->moveWindow(1, Rect(300, 300, 700, 500));
    run(3.0);
    env.desktop->sleep();
    env.desktop->setDisplays({mainDisplay, sideDisplay});  // while asleep: no resync is scheduled
    run(20.0);
    EXPECT_EQ(frameOf(1), Rect(300, 300, 700, 500));
    EXPECT_TRUE(session->isDisplaySettling());

    // The wake is missed; the first window drag stands in for it.
    session->wakeFailsafe("window-drag");
    EXPECT_FALSE(session->settleState().asleep);
    run(5.5);
    EXPECT_EQ(frameOf(1), onMain.frame);

    // The side group's active window cannot be read: three reads, a second
    // apart, then its bar is only redrawn and its frame kept.
    env.desktop->setFailingRead(3, "AXPosition");
    env.desktop->moveWindow(3, Rect(2000, 400, 700, 500));
    const std::size_t renders = overlay->barFor(onSide.id).renders.size();
    env.desktop->screensSleep();
    env.desktop->screensWake();
    run(7.5);
    EXPECT_EQ(session->engine().group(3)->frame, onSide.frame);
    EXPECT_EQ(frameOf(3), Rect(2000, 400, 700, 500));
    EXPECT_EQ(overlay->barFor(onSide.id).renders.size(), renders + 1);
}

TEST_F(DisplaySettle, BarsOfGroupsOnAnotherDesktopHideAtOnceEvenWhileDisplaysSettle) {
    env.desktop->setSpaceCount(2);
    addWindow(1, editor, Rect(100, 100, 700, 500), 0u);
    addWindow(2, terminal, Rect(100, 100, 700, 500), 0u);
    start(false);
    const TabGroup group = groupWindows(1, 2);
    const FakeBarRecord& bar = overlay->barFor(group.id);

    env.desktop->setDisplays({mainDisplay});
    settle();
    ASSERT_TRUE(session->isDisplaySettling());
    env.desktop->switchSpace(1);
    settle();
    EXPECT_FALSE(bar.isShown) << "no member on the current desktop";
    env.desktop->switchSpace(0);
    settle();
    EXPECT_TRUE(bar.isShown);
    const std::size_t renders = bar.renders.size();
    run(6.0);
    EXPECT_TRUE(bar.isShown);
    EXPECT_GT(bar.renders.size(), renders) << "the first full sweep still renews the bar";
}

TEST_F(DisplaySettle, AMonitorUnpluggedMidDragLeavesTheGroupWholeOnTheRemainingDisplay) {
    twoGroups(true);
    focus(3);
    const Rect f = frameOf(3);
    play(titleDrag(3, {f.midX() + 200, f.minY() + titleStrip / 2 + 100}, 20, false), 0.5);
    ASSERT_TRUE(session->liveFollow());
    env.desktop->setDisplays({mainDisplay});
    run(0.2);
    input->leftMouseUp(input->pointerLocation());
    run(1.0);
    EXPECT_FALSE(session->liveFollow());

    run(5.0);
    const auto group = session->engine().group(3);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->windowIDs(), onSide.windowIDs());
    EXPECT_TRUE(within(group->frame, mainDisplay.visibleFrame)) << group->frame;
    EXPECT_EQ(frameOf(3), group->frame);
    EXPECT_EQ(frameOf(4), group->frame) << "the parked member came back to its group";
}

TEST(DisplaySettleBranch, AStoredDisplayWithinOnePointOnEveryEdgeIsStillThere) {
    using B = GroupSession::ResyncBranch;
    const std::vector<Rect> screens{Rect(0, 0, 1920, 1080), Rect(1920, 0, 1280, 1024)};
    EXPECT_EQ(GroupSession::resyncBranch(Rect(1921, -1, 1279, 1025), screens, 1.0), B::reassert);
    EXPECT_EQ(GroupSession::resyncBranch(Rect(1921.5, 0, 1280, 1024), screens, 1.0), B::reflow);
    EXPECT_EQ(GroupSession::resyncBranch(std::nullopt, screens, 1.0), B::reflow);
    EXPECT_EQ(GroupSession::resyncBranch(Rect(0, 0, 1920, 1080), {}, 1.0), B::reflow);
}

}  // namespace
}  // namespace tessaly::testing
