#include <gtest/gtest.h>

#include "DragTestDesktop.h"

namespace tessaly {
namespace {

using testing::DragTestDesktop;
using testing::DragTestWindows;
using E = DragGroupingEvent;
using L = DragLifecycleEvent;

constexpr DragCandidate windowA{1, 10, Rect(100, 100, 400, 300)};
constexpr DragCandidate windowB{2, 20, Rect(700, 100, 400, 300)};
constexpr DragCandidate windowC{3, 30, Rect(700, 500, 400, 300)};

// ---- The recogniser on its own, with explicit times ----

class DragRecogniser : public ::testing::Test {
protected:
    DragRecogniser() : controller(env, DragSettings{}) {
        env.windows = {windowA, windowB, windowC};
        controller.onEvent = [this](const E& e) { events.push_back(e); };
        controller.onLifecycle = [this](const L& e) { lifecycle.push_back(e); };
    }

    void press(Point p) {
        pressPoint = p;
        pressFrame = env.find(1)->frame;
        controller.mouseDown(p, t);
    }
    // Moves the pointer; window A follows it when `carry` (the user drags
    // it by its title bar).
    void drag(Point p, bool modifier, double dt = 0.02, bool carry = true) {
        t += dt;
        if (carry) env.find(1)->frame = pressFrame.offsetBy(p.x - pressPoint.x, p.y - pressPoint.y);
        controller.mouseDragged(p, modifier, t);
    }
    void tick(bool modifier, double dt = 0.02) {
        t += dt;
        controller.tick(modifier, t);
    }
    // Presses on A's title bar and drags it until the move is confirmed.
    void confirmMoveOfA(bool modifier = true) {
        press({300, 110});
        drag({306, 110}, modifier);
        drag({320, 110}, modifier);
        ASSERT_EQ(lifecycle, (std::vector<L>{L::confirmed(1, DragKind::move)}));
        ASSERT_TRUE(controller.isDragging());
    }
    // Presses near A's right edge and drags to the right; the window manager
    // widens A from the second step on.
    void dragRightEdge(Point pressAt, int steps) {
        press(pressAt);
        for (int i = 1; i <= steps; ++i) {
            const double x = pressAt.x + 6 * i;
            if (i > 1) env.find(1)->frame.size.width = windowA.frame.width() + (x - pressAt.x);
            drag({x, pressAt.y}, true, 0.02, false);
        }
    }
    DragTestWindows env;
    DragGroupingController controller;
    std::vector<E> events;
    std::vector<L> lifecycle;
    double t = 500;
    Point pressPoint;
    Rect pressFrame;
};

TEST_F(DragRecogniser, ClickOrSmallWiggleNeverAsksAndNeverReports) {
    press({300, 110});
    drag({303, 114}, true, 0.02, false);  // distance exactly 5
    tick(true, 0.5);
    controller.mouseUp({303, 114}, t);
    EXPECT_EQ(env.candidateQueries, 0);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(lifecycle.empty());
}

TEST_F(DragRecogniser, NoCandidateStaysPendingAndAsksAgain) {
    press({50, 50});  // desktop background
    drag({80, 50}, true, 0.02, false);
    drag({120, 120}, true, 0.02, false);  // now over A, which did not move
    EXPECT_EQ(env.candidateQueries, 2);
    EXPECT_FALSE(controller.isDragging());
}

TEST_F(DragRecogniser, ShiftDragOverTargetShowsPreviewAfterHoldDelayAndGroupsOnRelease) {
    confirmMoveOfA();
    drag({900, 150}, true);  // over B: hover starts now
    const double hoverStart = t;
    while (t - hoverStart < 0.28) tick(true);
    EXPECT_TRUE(events.empty());
    while (events.empty()) tick(true);
    EXPECT_GE(t - hoverStart, 0.3);
    EXPECT_LT(t - hoverStart, 0.3 + 0.02 + 1e-9);
    EXPECT_EQ(events, (std::vector<E>{E::previewShown(windowB)}));
    controller.mouseUp({900, 150}, t);
    EXPECT_EQ(events, (std::vector<E>{E::previewShown(windowB), E::previewHidden(), E::grouped(1, windowB)}));
    EXPECT_EQ(lifecycle.back(), L::ended(1));
    EXPECT_FALSE(controller.isDragging());
}

TEST_F(DragRecogniser, PreviewShowsTheTargetAsNowAndGroupingItsFirstSighting) {
    confirmMoveOfA();
    drag({900, 150}, true);  // B first seen here
    env.find(2)->frame = windowB.frame.offsetBy(0, 30);  // B moves a little meanwhile
    const DragCandidate movedB = *env.find(2);
    tick(true, 0.31);  // a new query finds B again, the hold has elapsed
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], E::previewShown(movedB));
    controller.mouseUp({900, 150}, t);
    EXPECT_EQ(events.back(), E::grouped(1, windowB));
}

TEST_F(DragRecogniser, ReleaseBeforePreviewOnlyEnds) {
    confirmMoveOfA();
    drag({900, 150}, true);
    tick(true, 0.1);
    controller.mouseUp({900, 150}, t);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(lifecycle, (std::vector<L>{L::confirmed(1, DragKind::move), L::ended(1)}));
}

TEST_F(DragRecogniser, ModifierPressedLateShowsAtOnceAndLettingGoHides) {
    confirmMoveOfA(false);
    drag({900, 150}, false);
    for (int i = 0; i < 50; ++i) tick(false);  // a second without the modifier
    EXPECT_TRUE(events.empty());
    tick(true);
    EXPECT_EQ(events, (std::vector<E>{E::previewShown(windowB)}));
    tick(false);
    EXPECT_EQ(events.back(), E::previewHidden());
    tick(true);  // hover start was kept: shown again at once
    EXPECT_EQ(events.size(), 3u);
    EXPECT_EQ(events.back(), E::previewShown(windowB));
}

TEST_F(DragRecogniser, NewTargetRestartsHoldAndEmptyDesktopHides) {
    confirmMoveOfA();
    drag({900, 150}, true);
    for (int i = 0; i < 20; ++i) tick(true);
    ASSERT_EQ(events, (std::vector<E>{E::previewShown(windowB)}));
    drag({900, 600}, true, 0.11);  // over C
    EXPECT_EQ(events.back(), E::previewHidden());
    const double hoverStart = t;
    while (events.size() < 3) tick(true);
    EXPECT_GE(t - hoverStart, 0.3);
    EXPECT_EQ(events.back(), E::previewShown(windowC));
    drag({1500, 1500}, true, 0.11);  // over nothing
    EXPECT_EQ(events.back(), E::previewHidden());
    controller.mouseUp({1500, 1500}, t);
    EXPECT_EQ(events.size(), 4u);  // no grouping
}

TEST_F(DragRecogniser, ZeroHoldDelayShowsOnTheQueryThatFindsTheTarget) {
    controller.settings.holdDelay = 0;
    confirmMoveOfA();
    drag({900, 150}, true, 0.11);
    EXPECT_EQ(events, (std::vector<E>{E::previewShown(windowB)}));
}

TEST_F(DragRecogniser, ResizeFromNearAnEdgeInsideOrOutside) {
    env.candidateSlop = 20;  // the window manager's resize border
    dragRightEdge({510, 300}, 2);  // 10 outside the right edge
    EXPECT_EQ(lifecycle, (std::vector<L>{L::confirmed(1, DragKind::resize)}));
    controller.mouseUp({530, 300}, t);

    lifecycle.clear();
    env.find(1)->frame = windowA.frame;
    dragRightEdge({490, 300}, 2);  // 10 inside
    EXPECT_EQ(lifecycle, (std::vector<L>{L::confirmed(1, DragKind::resize)}));
}

TEST_F(DragRecogniser, SizeChangeAwayFromTheEdgesFallsToTheMoveTest) {
    dragRightEdge({480, 300}, 4);  // 20 inside: not an edge
    EXPECT_TRUE(lifecycle.empty());
    EXPECT_FALSE(controller.isDragging());
}

TEST_F(DragRecogniser, ResizeNeverPreviewsNorGroups) {
    env.candidateSlop = 20;
    dragRightEdge({510, 300}, 2);
    ASSERT_TRUE(controller.isDragging());
    drag({900, 150}, true, 0.02, false);
    for (int i = 0; i < 60; ++i) tick(true);
    controller.mouseUp({900, 150}, t);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(env.dropTargetQueries, 0);
    EXPECT_EQ(lifecycle.back(), L::ended(1));
}

TEST_F(DragRecogniser, StillWindowIsGivenUpBeyondTwoHundredPoints) {
    press({300, 200});  // inside the content: the window stays
    drag({310, 200}, true, 0.02, false);  // tracking starts at 310
    drag({509, 200}, true, 0.02, false);  // 199 from the tracking start
    drag({510, 200}, true, 0.02, false);  // 200: not yet
    env.find(1)->frame = windowA.frame.offsetBy(0, 0);
    drag({511, 200}, true, 0.02, false);  // beyond 200: given up
    // The window moving now changes nothing: the press is over.
    env.find(1)->frame = windowA.frame.offsetBy(215, 0);
    drag({530, 200}, true, 0.02, false);
    controller.mouseUp({530, 200}, t);
    EXPECT_TRUE(lifecycle.empty());
    EXPECT_EQ(env.candidateQueries, 1);
}

TEST_F(DragRecogniser, WindowThatMovesWithoutFollowingIsKeptTracking) {
    press({300, 110});
    drag({306, 110}, true, 0.02, false);
    env.find(1)->frame = windowA.frame.offsetBy(100, 0);  // jumped away
    drag({700, 110}, true, 0.02, false);
    EXPECT_FALSE(controller.isDragging());
    env.find(1)->frame = windowA.frame.offsetBy(700 - 306 + 6, 0);  // caught up
    drag({706, 110}, true, 0.02, false);
    EXPECT_EQ(lifecycle, (std::vector<L>{L::confirmed(1, DragKind::move)}));
}

// The window was taken once the pointer had gone some way (the program was
// busy), still in place; then the move began and brought it to the pointer
// from the press, and from there it moves as the pointer does: a move.
TEST_F(DragRecogniser, AWindowWhoseMoveBeganAfterItWasTakenIsMovedOnceItMovesWithThePointer) {
    press({300, 110});
    drag({340, 130}, true, 0.02, false);  // taken here, 40 across from the press
    env.find(1)->frame = windowA.frame.offsetBy(60, 30);  // caught up from the press
    drag({360, 140}, true, 0.02, false);
    EXPECT_FALSE(controller.isDragging());
    env.find(1)->frame = windowA.frame.offsetBy(72, 36);
    drag({372, 146}, true, 0.02, false);
    EXPECT_EQ(lifecycle, (std::vector<L>{L::confirmed(1, DragKind::move)}));
}

// Where the window manager snaps a window moved with the modifier held from
// edge to edge (metacity while Shift is held), the window under the press is
// the one dragged, even when it has jumped away from the pointer by the
// first drag step, and its jump is the move. Without the modifier, or where
// the window manager does not snap, such a window is kept tracking as above.
TEST_F(DragRecogniser, WhereMovesSnapWithTheModifierTheWindowPressedIsMovedByItsJumps) {
    int asked = 0;
    bool snaps = true;
    controller.modifierSnapsMoves = [&] {
        ++asked;
        return snaps;
    };
    const auto jumpAway = [&] { env.find(1)->frame = windowA.frame.offsetBy(-100, 300); };
    press({300, 110});
    drag({306, 110}, false, 0.02, false);
    jumpAway();
    drag({330, 112}, false, 0.02, false);
    EXPECT_FALSE(controller.isDragging());
    EXPECT_EQ(asked, 0) << "not asked without the modifier";
    controller.mouseUp({330, 112}, t);

    env.find(1)->frame = windowA.frame;
    press({300, 110});
    controller.modifierHeldAtPress();
    jumpAway();  // before the first drag step: nothing lies under the pointer now
    drag({330, 112}, true, 0.02, false);
    EXPECT_EQ(lifecycle, (std::vector<L>{L::confirmed(1, DragKind::move)}));
    EXPECT_EQ(env.candidateQueries, 2);
    controller.mouseUp({330, 112}, t);

    snaps = false;
    lifecycle.clear();
    env.find(1)->frame = windowA.frame;
    press({300, 110});
    controller.modifierHeldAtPress();
    drag({306, 110}, true, 0.02, false);
    jumpAway();
    drag({330, 112}, true, 0.02, false);
    EXPECT_FALSE(controller.isDragging());
    EXPECT_EQ(asked, 4);
}

TEST_F(DragRecogniser, UnreadableCandidateDropsThePress) {
    env.liveFramesReadable = false;
    press({300, 110});
    drag({306, 110}, true);
    env.liveFramesReadable = true;
    drag({340, 110}, true);
    EXPECT_FALSE(controller.isDragging());
    EXPECT_EQ(env.candidateQueries, 1);
}

TEST_F(DragRecogniser, MissedReleaseIsClosedByTheNextPress) {
    confirmMoveOfA();
    drag({900, 150}, true);
    for (int i = 0; i < 20; ++i) tick(true);
    ASSERT_EQ(events.size(), 1u);
    press({50, 50});
    EXPECT_EQ(events.back(), E::previewHidden());
    EXPECT_EQ(lifecycle, (std::vector<L>{L::confirmed(1, DragKind::move), L::ended(1)}));
    EXPECT_FALSE(controller.isDragging());
}

TEST_F(DragRecogniser, EvaluationsAreThrottledButThePointerIsStored) {
    press({300, 110});
    drag({303, 110}, true, 0.02, false);
    drag({400, 110}, true, 0.001, false);  // too soon: not evaluated
    EXPECT_EQ(env.candidateQueries, 0);
    tick(true, 0.017);  // evaluates with the stored point
    EXPECT_EQ(env.candidateQueries, 1);
}

TEST_F(DragRecogniser, DropTargetIsAskedAtMostTenTimesASecond) {
    confirmMoveOfA();
    drag({900, 150}, true);
    const int before = env.dropTargetQueries;
    for (int i = 0; i < 60; ++i) tick(true, 1.0 / 60);
    EXPECT_LE(env.dropTargetQueries - before, 11);
    EXPECT_GE(env.dropTargetQueries - before, 7);
}

TEST_F(DragRecogniser, AbsentCallbacksStillChangeState) {
    controller.onEvent = nullptr;
    controller.onLifecycle = nullptr;
    press({300, 110});
    drag({306, 110}, true);
    drag({320, 110}, true);
    EXPECT_TRUE(controller.isDragging());
    controller.mouseUp({320, 110}, t);
    EXPECT_FALSE(controller.isDragging());
}

TEST_F(DragRecogniser, IsDraggingIsTrueInsideTheConfirmation) {
    bool seen = false;
    controller.onLifecycle = [&](const L&) { seen = controller.isDragging(); };
    press({300, 110});
    drag({306, 110}, true);
    drag({320, 110}, true);
    EXPECT_TRUE(seen);
}

TEST_F(DragRecogniser, IsDraggingHoldsThroughTheReportsOfTheEnd) {
    std::vector<bool> seen;
    controller.onEvent = [&](const E& e) {
        events.push_back(e);
        seen.push_back(controller.isDragging());
    };
    controller.onLifecycle = [&](const L& e) {
        lifecycle.push_back(e);
        seen.push_back(controller.isDragging());
    };
    confirmMoveOfA();
    drag({900, 150}, true);
    tick(true, 0.31);
    controller.mouseUp({900, 150}, t);  // previewHidden, grouped, ended
    EXPECT_EQ(seen, (std::vector<bool>{true, true, true, true, true}));
    EXPECT_FALSE(controller.isDragging());

    // A press that closes a drag whose release was never seen.
    seen.clear();
    lifecycle.clear();
    env.find(1)->frame = windowA.frame;
    confirmMoveOfA();  // confirmed
    press({50, 50});   // ended
    EXPECT_EQ(seen, (std::vector<bool>{true, true}));
    EXPECT_FALSE(controller.isDragging());
}

// ---- Scripted pointer paths through the event tap, on the virtual clock ----

std::vector<PointerStep> dragAOntoB(double releaseAt) {
    auto path = SimInput::straightDrag({300, 110}, {900, 150}, 20, 1.0 / 60, /*release=*/false);
    path.push_back({releaseAt, PointerStep::Kind::up, {900, 150}, 0});
    return path;
}

class ScriptedDrag : public ::testing::Test {
protected:
    void SetUp() override { desk.windows.windows = {windowA, windowB, windowC}; }
    DragCandidate bNow() { return *desk.windows.find(2); }
    DragTestDesktop desk;
};

TEST_F(ScriptedDrag, ShiftDragRestingOnTargetGroups) {
    desk.hold(InputFlags::shift);
    desk.play(dragAOntoB(1.0), 1.2);
    EXPECT_EQ(desk.recorded.lifecycle, (std::vector<L>{L::confirmed(1, DragKind::move), L::ended(1)}));
    EXPECT_EQ(desk.recorded.events,
              (std::vector<E>{E::previewShown(bNow()), E::previewHidden(), E::grouped(1, bNow())}));
    EXPECT_FALSE(desk.tickTimer.isActive());
}

TEST_F(ScriptedDrag, WrongModifierNeverPreviews) {
    desk.controller.settings.modifierGate = ModifierGate::option;
    desk.hold(InputFlags::shift | InputFlags::command);
    desk.play(dragAOntoB(1.0), 1.2);
    EXPECT_TRUE(desk.recorded.events.empty());
    EXPECT_EQ(desk.recorded.lifecycle.size(), 2u);
}

TEST_F(ScriptedDrag, GateNoneNeedsNoModifier) {
    desk.controller.settings.modifierGate = ModifierGate::none;
    desk.play(dragAOntoB(1.0), 1.2);
    ASSERT_EQ(desk.recorded.events.size(), 3u);
    EXPECT_EQ(desk.recorded.events[2], E::grouped(1, bNow()));
}

TEST_F(ScriptedDrag, ModifierPressedWhileRestingShowsPreview) {
    auto path = dragAOntoB(2.0);
    path.push_back({1.2, PointerStep::Kind::modifiers, {}, InputFlags::shift});
    desk.input.schedulePointerPath(path);
    desk.run(1.19);
    EXPECT_TRUE(desk.recorded.events.empty());
    desk.run(0.05);  // the next tick sees Shift
    EXPECT_EQ(desk.recorded.events, (std::vector<E>{E::previewShown(bNow())}));
    desk.run(1.0);
    EXPECT_EQ(desk.recorded.events.back(), E::grouped(1, bNow()));
}

TEST_F(ScriptedDrag, HoldDelayFollowsTheMonotonicClockNotTheWallClock) {
    desk.hold(InputFlags::shift);
    desk.input.schedulePointerPath(dragAOntoB(5.0));
    desk.run(0.36);  // the pointer has just reached B
    ASSERT_TRUE(desk.recorded.events.empty());
    desk.clock.stepWall(-3600);  // the user sets the clock back an hour
    desk.run(0.2);
    EXPECT_TRUE(desk.recorded.events.empty());
    desk.run(0.3);
    EXPECT_EQ(desk.recorded.events.size(), 1u);

    // A step forward does not show a preview early either.
    desk.run(5.0);
    desk.recorded = {};
    desk.play(SimInput::straightDrag({300, 110}, {900, 600}, 20, 1.0 / 60, false), 0.36);
    desk.clock.stepWall(+3600);
    desk.run(0.1);
    EXPECT_EQ(desk.recorded.events.size(), 0u);
}

TEST_F(ScriptedDrag, CornerDragIsAResizeAndNeverGroups) {
    desk.hold(InputFlags::shift);
    auto path = SimInput::straightDrag({495, 395}, {900, 150}, 20, 1.0 / 60, false);
    path.push_back({1.5, PointerStep::Kind::up, {900, 150}, 0});
    desk.play(path, 1.6);
    EXPECT_EQ(desk.recorded.lifecycle, (std::vector<L>{L::confirmed(1, DragKind::resize), L::ended(1)}));
    EXPECT_TRUE(desk.recorded.events.empty());
}

TEST_F(ScriptedDrag, ContentDragIsGivenUp) {
    desk.hold(InputFlags::shift);
    auto path = SimInput::straightDrag({300, 250}, {900, 150}, 20, 1.0 / 60, false);
    path.push_back({1.5, PointerStep::Kind::up, {900, 150}, 0});
    desk.play(path, 1.6);
    EXPECT_TRUE(desk.recorded.lifecycle.empty());
    EXPECT_TRUE(desk.recorded.events.empty());
    EXPECT_EQ(desk.windows.find(1)->frame, windowA.frame);
}

TEST_F(ScriptedDrag, ReleaseTheTapMissedIsSeenByTheTick) {
    desk.hold(InputFlags::shift);
    desk.play(SimInput::straightDrag({300, 110}, {900, 150}, 20, 1.0 / 60, false), 0.8);
    ASSERT_EQ(desk.recorded.events.size(), 1u);
    desk.input.releaseLeftButtonUnseen();
    desk.run(0.1);
    EXPECT_EQ(desk.recorded.events.back(), E::grouped(1, bNow()));
    EXPECT_EQ(desk.recorded.lifecycle.back(), L::ended(1));
    EXPECT_FALSE(desk.tickTimer.isActive());
}

}  // namespace
}  // namespace tessaly
