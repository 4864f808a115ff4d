// Groups keep their frame: the active member's moves are adopted and every
// other member follows; strays are sent back within a budget; frames are
// read back and sent once more; terminals that snap to their cells are home;
// a move with the button held is adopted once, at the release, the other
// members kept behind the window meanwhile; focus makes a member the active
// one; an active member rolled up to its title bar takes the others along,
// and back.
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
    // move and resize make one report) and one after it is read back; then
    // the window no longer changes and nothing is sent again.
    EXPECT_EQ(frameWrites(3, "AXSize"), 3 * moves);
    EXPECT_EQ(frameOf(3), Rect(200, 150, 895, 645));
}

// A window that has just left a far larger frame (GTK 4 after a maximise)
// takes the group's and at once asks for its own, taller size again, and
// the send-back finds it so, with no report after: it is read back once it
// has settled and ends on its group's frame.
TEST_F(GroupFrames, AMemberThatTakesItsOwnSizeAgainAfterASendBackIsSentOnceMore) {
    LogCapture log;
    const TabGroup group = makeGroup();
    const Rect taller(group.frame.origin, Size{group.frame.width(), group.frame.height() + 11});
    env.desktop->setFrameBehaviour(2, {SimFrameBehaviour::Kind::clamp, taller.size});
    env.desktop->moveWindow(2, Rect(0, 25, 1600, 875));
    run(0.3);
    EXPECT_EQ(frameOf(2), taller) << "sent back, and taller again at once";
    // It lets go of its own size a moment later, telling no one.
    env.desktop->setFrameBehaviour(2, {});
    run(1.0);
    EXPECT_EQ(frameOf(2), group.frame);
    EXPECT_EQ(session->engine().group(1)->frame, group.frame);
    run(3.0);
    EXPECT_EQ(frameOf(2), group.frame) << "and stays";
    EXPECT_TRUE(log.matching(LogCategory::reconcile, "snap-back budget exhausted").empty());
}

TEST_F(GroupFrames, AConfinedFrameIsSetOnTheWindowAndSentOnceMoreWhenItDidNotLand) {
    makeGroup();
    env.desktop->setFrameBehaviour(1, {SimFrameBehaviour::Kind::refuse, {}, {}});
    // The window reaches under the top of the display, into the bar's room
    // (confined once no window manager's maximise can be under way).
    env.desktop->moveWindow(1, Rect(300, 10, 800, 600));
    run(GroupSession::maximizeStepsWait + 0.2);
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
    EXPECT_EQ(frameWrites(2), 19) << "one move a step once the session has seen the first";
    EXPECT_EQ(session->pointerSettlePending().size(), 1u);

    input->leftMouseUp(Point{5, 1070});
    run(0.06);
    EXPECT_EQ(session->engine().group(1)->frame, final);
    EXPECT_EQ(frameOf(2), final);
    EXPECT_EQ(frameOf(3), final);
    EXPECT_LE(frameWrites(2), 21) << "at most once more at the release";
    EXPECT_TRUE(session->pointerSettlePending().empty());

    // Moved again with the button held; before the release another window
    // joins the group and becomes its active member at the group's frame:
    // the window moved is now a stray, and goes back to the group.
    addWindow(4, editor, Rect(600, 600, 400, 300));
    input->leftMouseDown(Point{5, 1070});
    env.desktop->moveWindow(1, final.offsetBy(8, 74));
    run(0.1);
    ASSERT_TRUE(session->group(element(4), element(1)));
    run(0.1);
    ASSERT_EQ(session->engine().group(1)->activeWindowID, 4u);
    input->leftMouseUp(Point{5, 1070});
    run(0.5);
    const Rect shared = session->engine().group(1)->frame;
    for (const WindowID id : {1u, 2u, 3u, 4u}) EXPECT_EQ(frameOf(id), shared) << id;
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

// A member whose size hints are absurd (its window manager makes it 5000
// points wide and high, then 3 x 26) does not take the group along: the group
// frame stays within the visible area of its display and never gets smaller
// than the bar needs, and once the member is gone the others follow the
// group as before.
TEST_F(GroupFrames, AMembersAbsurdSizeHintsLeaveTheGroupFrameOnItsDisplay) {
    makeGroup(true);
    focus(3);
    session->engine().setActive(3);
    run(1.0);
    const Rect visible(0, 25, 1920, 1055);
    const double barRoom = 30;
    const auto expectSane = [&](const char* what) {
        const Rect frame = session->engine().group(1)->frame;
        EXPECT_LE(frame.width(), visible.width()) << what;
        EXPECT_LE(frame.height(), visible.height() - barRoom) << what;
        EXPECT_GE(frame.width(), 120) << what;
        EXPECT_GE(frame.height(), barRoom) << what;
        EXPECT_TRUE(visible.contains(frame.origin)) << what;
        for (const WindowID member : {1u, 2u}) {
            EXPECT_EQ(frameOf(member), frame) << what << ": member " << member;
        }
    };

    // Too large: at least 5000 x 5000, and it keeps to that.
    env.desktop->setFrameBehaviour(3, {SimFrameBehaviour::Kind::clamp, Size{5000, 5000}, {}});
    env.desktop->moveWindow(3, Rect(200, 200, 5002, 5021));
    run(1.0);
    expectSane("at least 5000 x 5000");
    // Too small: at most 3 x 26.
    env.desktop->setFrameBehaviour(3, {SimFrameBehaviour::Kind::clamp, {}, Size{3, 26}});
    env.desktop->moveWindow(3, Rect(300, 200, 3, 26));
    run(1.0);
    expectSane("at most 3 x 26");
    env.desktop->setFrameBehaviour(3, {SimFrameBehaviour::Kind::clamp, Size{3000, 3000}, {}});
    env.desktop->moveWindow(3, Rect(100, 100, 3002, 3021));
    run(1.0);
    expectSane("at least 3000 x 3000");

    // The window goes; the others are a group as before.
    env.desktop->destroyWindow(3);
    run(1.0);
    focus(1);
    run(1.0);
    env.desktop->moveWindow(1, Rect(250, 150, 900, 650));
    run(1.0);
    EXPECT_EQ(session->engine().group(1)->frame, Rect(250, 150, 900, 650));
    EXPECT_EQ(frameOf(2), Rect(250, 150, 900, 650));
}

// Another client (a pager) moves an inactive member in bursts of moves,
// each answered by the window before the next: every burst is one stray,
// sent back once from where it ended, and a window that keeps its own frame
// still spends its budget. (On openbox one burst of twenty moves used up the
// budget and left the member apart from its group.)
TEST_F(GroupFrames, ABurstOfMovesOfAnInactiveMemberIsOneStraySentBackOnce) {
    LogCapture log;
    const TabGroup group = makeGroup();
    for (int burst = 1; burst <= 3; ++burst) {
        for (int step = 1; step <= 20; ++step) {
            env.desktop->moveWindow(2, group.frame.offsetBy(12 * step, 3 * burst));
            run(0.01);
        }
        run(0.3);
        EXPECT_EQ(frameOf(2), group.frame) << "burst " << burst;
        EXPECT_EQ(frameWrites(2), burst) << "sent back once per burst";
    }
    EXPECT_TRUE(log.matching(LogCategory::reconcile, "snap-back budget exhausted").empty());
    EXPECT_EQ(session->engine().group(1)->frame, group.frame);
}

// The window manager carries out the user's drag of an inactive member
// (openbox left the focus, and so the tab, on the member below it): sent
// back while the button is held, it was only moved on again until the
// budget ran out, and stayed apart for good. It goes back once, at the
// release; made active by a click on its tab before that, it takes the
// group along instead.
TEST_F(GroupFrames, AnInactiveMemberDraggedByTheUserGoesBackAtTheReleaseOrTakesTheGroupWhenMadeActive) {
    LogCapture log;
    const TabGroup group = makeGroup();
    input->leftMouseDown(Point{5, 1070});
    for (int step = 1; step <= 30; ++step) {
        env.desktop->moveWindow(2, group.frame.offsetBy(4 * step, 2 * step));
        run(0.2);
    }
    EXPECT_EQ(frameWrites(2), 0) << "not fought while held";
    input->leftMouseUp(Point{5, 1070});
    run(0.5);
    EXPECT_EQ(frameOf(2), group.frame);
    EXPECT_EQ(frameWrites(2), 1);
    EXPECT_TRUE(log.matching(LogCategory::reconcile, "snap-back budget exhausted").empty());

    const Rect dropped = group.frame.offsetBy(36, 12);
    input->leftMouseDown(Point{5, 1070});
    env.desktop->moveWindow(2, dropped);
    run(0.2);
    input->leftMouseUp(Point{5, 1070});
    run(0.06);
    session->engine().setActive(2);
    run(0.5);
    EXPECT_EQ(session->engine().group(1)->frame, dropped);
    EXPECT_EQ(frameOf(1), dropped);
    EXPECT_EQ(frameOf(2), dropped);
}

// A member restored and at once dragged away by the user, the button let go
// inside the quiet period that follows a restore: once the period is over,
// the group stands where the user left the window. (On openbox a restore
// followed by a quick drag left the group's other members behind for good.)
TEST_F(GroupFrames, AMemberDraggedRightAfterItsRestoreTakesTheGroupAlongOnceTheQuietPeriodIsOver) {
    const TabGroup group = makeGroup(true);
    env.desktop->setMinimized(2, true);
    run(0.2);
    env.desktop->setMinimized(2, false);
    run(0.05);
    ASSERT_EQ(session->engine().group(2)->activeWindowID, 2u);
    ASSERT_EQ(frameOf(2), group.frame);

    const Point grip{group.frame.midX(), group.frame.minY() + titleStrip / 2};
    play(titleDrag(2, Point{grip.x + 150, grip.y + 80}, 12), 0.3);
    const Rect dropped = group.frame.offsetBy(150, 80);
    ASSERT_EQ(frameOf(2), dropped);
    EXPECT_EQ(session->engine().group(2)->frame, group.frame) << "inside the quiet period";

    run(0.4);
    EXPECT_EQ(session->engine().group(2)->frame, dropped);
    EXPECT_EQ(frameOf(1), dropped);
    EXPECT_EQ(frameOf(3), dropped);
    EXPECT_EQ(overlay->barFor(group.id).lastPlacement()->placement.frame.minY(), dropped.minY() - 30);

    // Moved by another client inside the next quiet period (no button at
    // all): the same.
    env.desktop->setMinimized(2, true);
    run(0.2);
    env.desktop->setMinimized(2, false);
    run(0.05);
    for (int step = 1; step <= 5; ++step) {
        env.desktop->moveWindow(2, dropped.offsetBy(-20 * step, 10 * step));
        run(0.02);
    }
    run(0.6);
    EXPECT_EQ(session->engine().group(2)->frame, dropped.offsetBy(-100, 50));
    EXPECT_EQ(frameOf(1), dropped.offsetBy(-100, 50));
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

// While the active member is rolled up to its title bar, so are the others
// (none shows below it), whichever member is selected meanwhile; the frame
// a window manager reports for a rolled-up window is not the group's; rolled
// down, every member comes back to the group frame.
TEST_F(GroupFrames, AMemberRolledUpTakesTheOthersAlongAndBack) {
    const TabGroup group = makeGroup(true);
    const auto shaded = [&](WindowID id) { return env.desktop->window(id)->shaded; };

    env.desktop->setShaded(1, true);
    run(0.5);
    EXPECT_TRUE(shaded(2));
    EXPECT_TRUE(shaded(3));
    // The window manager tells of the rolled-up frame: nothing follows it.
    env.desktop->moveWindow(1, Rect(group.frame.origin, Size{group.frame.width(), 22}));
    run(1.0);
    EXPECT_EQ(session->engine().group(1)->frame, group.frame);
    EXPECT_EQ(frameOf(2), group.frame);
    EXPECT_EQ(frameOf(3), group.frame);

    // Another tab while rolled up: it comes on top, rolled up as well.
    session->tabBarDidSelectTab(group.id, 3);
    run(1.0);
    EXPECT_EQ(env.desktop->stacking().front(), 3u);
    EXPECT_TRUE(shaded(1) && shaded(2) && shaded(3));

    // Rolled down: all of them, on the group frame, the selected one on top.
    env.desktop->setShaded(3, false);
    run(1.0);
    for (const WindowID id : {1u, 2u, 3u}) {
        EXPECT_FALSE(shaded(id)) << id;
        EXPECT_EQ(frameOf(id), group.frame) << id;
    }
    EXPECT_EQ(session->engine().group(1)->activeWindowID, 3u);
    EXPECT_EQ(env.desktop->stacking().front(), 3u);
    EXPECT_EQ(session->engine().group(1)->frame, group.frame);
}

// Some window managers (metacity, marco) focus each window they roll up or
// down, the members rolled for the group included, and may report such a
// member's frame a moment as it was rolled up. The
// member the user rolled keeps the tab, the focus and the front, and the
// group keeps its frame, round after round.
TEST_F(GroupFrames, MembersFocusedAsTheyAreRolledForTheGroupTakeNoTab) {
    const TabGroup group = makeGroup(true);
    const Rect titleOnly(group.frame.origin, Size{group.frame.width(), 22});
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        env.desktop->setShaded(1, true);
        run(0.1);
        focus(3);  // handed on from the window rolled up
        run(0.5);
        ASSERT_TRUE(env.desktop->window(2)->shaded && env.desktop->window(3)->shaded);

        env.desktop->setShaded(1, false);
        run(0.05);
        for (const WindowID rolled : {2u, 3u}) {
            env.desktop->moveWindow(rolled, titleOnly);
            focus(rolled);
        }
        run(1.0);
        const TabGroup now = session->engine().group(1).value();
        EXPECT_EQ(now.activeWindowID, 1u);
        EXPECT_EQ(env.desktop->stacking().front(), 1u);
        EXPECT_EQ(env.desktop->frontmostApplication()->pid, env.desktop->window(1)->pid());
        EXPECT_EQ(now.frame, group.frame);
        for (const WindowID id : {1u, 2u, 3u}) {
            EXPECT_FALSE(env.desktop->window(id)->shaded) << id;
            EXPECT_EQ(frameOf(id), group.frame) << id;
        }
        run(1.0);  // past the window manager's focusing: the user's clicks count again
    }
    // Afterwards a member the user focuses is the group's choice again.
    focus(2);
    run(0.5);
    EXPECT_EQ(session->engine().group(1)->activeWindowID, 2u);
}

// Rolled up again soon after the group came down with it, the window the
// user rolls hands the focus to a member the program rolled down a moment
// ago, and the program may hear of the focus before the roll. Such a focus
// is no member's rolled for the group: the window rolled up is not raised
// for it (which would roll it down again), and the whole group stays up.
TEST_F(GroupFrames, ARollUpSoonAfterARollDownStaysUpWhenTheFocusIsHeardFirst) {
    makeGroup(true);
    const auto shaded = [&](WindowID id) { return env.desktop->window(id)->shaded; };
    env.desktop->setRollsDownWhenRaised(true);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        env.desktop->setShaded(1, true);
        // The focus is told before the roll is read.
        env.desktop->raiseWindow(3);
        env.desktop->bringToFront(env.desktop->window(3)->pid());
        run(0.5);
        for (const WindowID id : {1u, 2u, 3u}) EXPECT_TRUE(shaded(id)) << id;
        EXPECT_EQ(session->engine().group(1)->activeWindowID, 1u);

        env.desktop->setShaded(1, false);
        run(0.3 + 0.1 * round);  // the members' rolls down are recent
    }
}

// The window the user rolls may roll down and up again at once (fluxbox
// takes a press right after a double click for another double click), while
// the members' rolls asked for the first change are still on their way; a
// member's frame report from before they land tells its old state. Every
// change those requests bring is the program's own: the group ends as the
// window the user rolled, with its tab, and rolls down with it later.
TEST_F(GroupFrames, RollsAskedOfMembersLandingAfterTheGroupTurnedBackAreNotTheUsers) {
    const TabGroup group = makeGroup(true);
    const auto shaded = [&](WindowID id) { return env.desktop->window(id)->shaded; };
    env.desktop->setRollsAfter(0.02);
    env.desktop->setShaded(1, true);
    run(0.5);
    ASSERT_TRUE(shaded(2) && shaded(3));
    for (const bool toldBeforeTheyLand : {true, false}) {
        SCOPED_TRACE(toldBeforeTheyLand);
        env.desktop->setShaded(1, false);
        run(0.005);
        env.desktop->setShaded(1, true);
        run(0.005);
        // The window manager resizes the member's rolled-up frame first.
        if (toldBeforeTheyLand) env.desktop->moveWindow(2, Rect(group.frame.origin, Size{group.frame.width(), 22}));
        run(1.5);
        for (const WindowID id : {1u, 2u, 3u}) EXPECT_TRUE(shaded(id)) << id;
        EXPECT_EQ(session->engine().group(1)->activeWindowID, 1u);
    }
    env.desktop->setShaded(1, false);
    run(1.5);
    const TabGroup now = session->engine().group(1).value();
    EXPECT_EQ(now.activeWindowID, 1u);
    EXPECT_EQ(env.desktop->stacking().front(), 1u);
    EXPECT_EQ(now.frame, group.frame);
    for (const WindowID id : {1u, 2u, 3u}) {
        EXPECT_FALSE(shaded(id)) << id;
        EXPECT_EQ(frameOf(id), group.frame) << id;
    }
}

}  // namespace
}  // namespace tessaly::testing
