// Groups keep their frame: the active member's moves are adopted and every
// other member follows; strays are sent back within a budget; frames are
// read back and sent once more; terminals that snap to their cells are home;
// a move with the button held is adopted once, at the release, the other
// members kept behind the window meanwhile; focus makes a member the active
// one.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class GroupFrames : public SessionDesktop {
protected:
    // A group of editor window 1 (active) and terminal window 2, and, when
    // asked, browser window 3; the editor has the focus.
    TabGroup makeGroup(bool withThird = false) {
        addWindow(1, editor, Rect(200, 200, 800, 600));
        addWindow(2, terminal, Rect(300, 300, 700, 500));
        if (withThird) addWindow(3, browser, Rect(400, 400, 600, 400));
        start(false);
        groupWindows(2, 1);
        if (withThird) {
            session->group(element(3), element(1));
            run(1.0);
        }
        focus(1);
        session->engine().setActive(1);
        run(1.0);
        env.desktop->clearAXCalls();
        return session->engine().group(1).value();
    }
};

TEST_F(GroupFrames, TheActiveMembersMovesAreAdoptedAndAStrayIsSentBackUntilItsBudgetIsSpent) {
    LogCapture log;
    TabGroup group = makeGroup();
    ASSERT_EQ(group.activeWindowID, 1u);

    env.desktop->moveWindow(1, Rect(250, 150, 900, 650));
    run(1.0);
    group = session->engine().group(1).value();
    EXPECT_EQ(group.frame, Rect(250, 150, 900, 650));
    EXPECT_EQ(frameOf(2), group.frame);
    EXPECT_EQ(overlay->barFor(group.id).lastPlacement()->placement.frame.minY(), 120);

    // The user moves the inactive member away, again and again.
    const Rect elsewhere = group.frame.offsetBy(600, 200);
    for (int stray = 1; stray <= 8; ++stray) {
        env.desktop->moveWindow(2, elsewhere);
        run(0.3);
        EXPECT_EQ(frameOf(2), group.frame) << "sent back, stray " << stray;
    }
    EXPECT_TRUE(log.matching(LogCategory::reconcile, "snap-back budget exhausted").empty());
    env.desktop->moveWindow(2, elsewhere);
    run(0.3);
    env.desktop->moveWindow(2, elsewhere.offsetBy(10, 0));
    run(0.3);
    EXPECT_EQ(frameOf(2), elsewhere.offsetBy(10, 0)) << "the budget for this group frame is spent";
    const auto exhausted = log.matching(LogCategory::reconcile, "snap-back budget exhausted");
    ASSERT_EQ(exhausted.size(), 1u);
    EXPECT_EQ(exhausted[0], "snap-back budget exhausted: 2 read=850,350 900x650 want=250,150 900x650 after 8 attempts");

    // A new group frame is a new target with a fresh budget.
    env.desktop->moveWindow(1, Rect(200, 150, 900, 650));
    run(0.5);
    EXPECT_EQ(frameOf(2), Rect(200, 150, 900, 650));
    env.desktop->moveWindow(2, Rect(800, 350, 900, 650));
    run(0.3);
    EXPECT_EQ(frameOf(2), Rect(200, 150, 900, 650));
}

TEST_F(GroupFrames, MembersThatSnapToTheirCellsAreHomeAndMembersThatClampAreNotChasedForever) {
    makeGroup(true);
    // Window 2 is a terminal of 8 x 16 cells, window 3 an application with a
    // size limit; both end up 5 points short of every frame they are sent.
    hints->hints[2] = SizeHints{Size{8, 16}, Size{4, 4}};
    SimFrameBehaviour clamp{SimFrameBehaviour::Kind::clamp, Size{}, Size{895, 645}};
    env.desktop->setFrameBehaviour(2, clamp);
    env.desktop->setFrameBehaviour(3, clamp);
    env.desktop->clearAXCalls();

    const int moves = 6;
    for (int i = 0; i < moves; ++i) {
        env.desktop->moveWindow(1, Rect(100 + 20 * i, 150, 900, 650));
        run(1.0);
    }
    EXPECT_EQ(frameWrites(2, "AXSize"), moves) << "one send per group frame: the terminal is home";
    EXPECT_EQ(session->snapBackBudget().sends(2), 0);
    // Without increments each commit costs a re-send more (the first one's
    // move and resize make one report); then the window no longer changes
    // and nothing is sent again.
    EXPECT_EQ(frameWrites(3, "AXSize"), 2 * moves);
    EXPECT_EQ(frameOf(3), Rect(200, 150, 895, 645));
}

TEST_F(GroupFrames, AConfinedFrameIsSetOnTheWindowAndSentOnceMoreWhenItDidNotLand) {
    makeGroup();
    env.desktop->setFrameBehaviour(1, {SimFrameBehaviour::Kind::refuse, {}, {}});
    // The window reaches under the top of the display, into the bar's room.
    env.desktop->moveWindow(1, Rect(300, 10, 800, 600));
    run(0.2);
    const Rect confined = session->engine().group(1)->frame;
    EXPECT_EQ(confined.minY(), 25 + 30) << "room for the bar below the top of the visible area";
    EXPECT_EQ(frameWrites(1), 1);
    EXPECT_EQ(frameOf(2), confined);
    run(0.5);
    EXPECT_EQ(frameWrites(1), 2) << "read back half a second later and sent once more";
    run(3.0);
    EXPECT_EQ(frameWrites(1), 2) << "never verified again";
}

TEST_F(GroupFrames, AMoveWithTheButtonHeldIsAdoptedOnceAtTheRelease) {
    makeGroup(true);
    input->leftMouseDown(Point{5, 1070});
    for (int step = 1; step <= 20; ++step) {
        env.desktop->moveWindow(1, Rect(200 + 5 * step, 200, 800 + 5 * step, 600));
        run(0.1);
    }
    const Rect final = frameOf(1);
    EXPECT_EQ(session->engine().group(1)->frame, Rect(200, 200, 800, 600)) << "nothing adopted while held";
    EXPECT_TRUE(isBehind(2, 1) && isBehind(3, 1)) << "kept out of sight behind the window";
    EXPECT_EQ(frameWrites(2), 20) << "one move a step";
    EXPECT_EQ(session->pointerSettlePending().size(), 1u);

    input->leftMouseUp(Point{5, 1070});
    run(0.06);
    EXPECT_EQ(session->engine().group(1)->frame, final);
    EXPECT_EQ(frameOf(2), final);
    EXPECT_EQ(frameOf(3), final);
    EXPECT_LE(frameWrites(2), 21) << "at most once more at the release";
    EXPECT_TRUE(session->pointerSettlePending().empty());
}

TEST_F(GroupFrames, FocusMakesAMemberActiveAndAFocusedStrayTakesTheGroupAlong) {
    TabGroup group = makeGroup(true);
    const std::size_t rendersBefore = overlay->barFor(group.id).renders.size();

    // The user brings the terminal forward.
    focus(2);
    run(0.2);
    group = session->engine().group(1).value();
    EXPECT_EQ(group.activeWindowID, 2u);
    EXPECT_GT(overlay->barFor(group.id).renders.size(), rendersBefore);
    EXPECT_TRUE(overlay->barFor(group.id).lastRender().tabs[0].isActive == false);

    // The browser member is focused and moved by the user at once: it is
    // no stray but the group's new place.
    env.desktop->raiseWindow(3);
    env.desktop->bringToFront(browser);
    env.desktop->moveWindow(3, Rect(600, 300, 640, 480));
    run(1.0);
    group = session->engine().group(1).value();
    EXPECT_EQ(group.activeWindowID, 3u);
    EXPECT_EQ(group.frame, Rect(600, 300, 640, 480));
    EXPECT_EQ(frameOf(1), group.frame);
    EXPECT_EQ(frameOf(2), group.frame);

    // A focus change reported for a process that is not frontmost moves
    // nothing; the raise itself is followed at the next look at the stacking.
    env.desktop->raiseWindow(1);
    settle();
    EXPECT_EQ(session->engine().group(1)->activeWindowID, 3u);
    run(0.2);
    EXPECT_EQ(session->engine().group(1)->activeWindowID, 1u);
}

TEST_F(GroupFrames, MinimisingAndFullScreenFollowThePolicies) {
    TabGroup group = makeGroup(true);
    // A member restored from the minimised state takes the group frame and
    // becomes active; for 0.6 s its moves are not taken for the user's.
    env.desktop->setMinimized(2, true);
    run(0.2);
    EXPECT_TRUE(session->engine().group(2)->minimized.contains(2));
    env.desktop->setMinimized(2, false);
    run(0.2);
    EXPECT_EQ(session->engine().group(2)->activeWindowID, 2u);
    env.desktop->moveWindow(2, Rect(0, 500, 300, 300));
    run(0.2);
    EXPECT_EQ(session->engine().group(2)->frame, group.frame) << "inside the quiet period";
    EXPECT_EQ(frameOf(1), group.frame);
    run(0.3);
    env.desktop->moveWindow(2, Rect(0, 500, 400, 300));
    run(0.2);
    EXPECT_EQ(session->engine().group(2)->frame, Rect(0, 500, 400, 300));
    EXPECT_EQ(frameOf(1), Rect(0, 500, 400, 300));

    // Under the suspend policy a member that goes full screen is suspended;
    // when it comes back it is resumed.
    env.desktop->setFullScreen(3, true);
    run(0.2);
    EXPECT_TRUE(session->engine().group(3)->suspended.contains(3));
    env.desktop->setFullScreen(3, false);
    run(0.2);
    EXPECT_FALSE(session->engine().group(3)->suspended.contains(3));

    // Under the detach policy it leaves the group.
    session->fullscreenPolicy = FullscreenPolicy::detach;
    env.desktop->setFullScreen(3, true);
    run(0.2);
    EXPECT_FALSE(session->engine().group(3));
    EXPECT_EQ(session->engine().group(1)->windowIDs(), (std::vector<WindowID>{1, 2}));
    (void)group;
}

}  // namespace
}  // namespace tessaly::testing
