// Drag to group and live follow, end to end on the simulated desktop: the
// mouse, the window manager moving the dragged window, the session's drop
// targets, the insert preview, the grouping at the release, and a group
// following its dragged active window.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class DragToGroup : public SessionDesktop {
protected:
    const FakeInsertPreviewRecord& preview() const {
        const auto* panel = dynamic_cast<const FakeInsertPreviewPanel*>(session->dragPreview());
        EXPECT_NE(panel, nullptr);
        return *panel->record;
    }
    // Shift-drags `id` by its title bar to `to`, holds there for `hold`
    // seconds (the release comes after that, unless `release` is false).
    void shiftDragTo(WindowID id, Point to, double hold, bool release = true) {
        auto path = titleDrag(id, to, 30, false, InputFlags::shift);
        const double reached = path.back().at;
        if (release) path.push_back({reached + hold, PointerStep::Kind::up, to, 0});
        play(path, reached + hold + 0.2);
    }
};

TEST_F(DragToGroup, ShiftDragHoverAndReleaseMakesOneGroupWithOneFrameAndABar) {
    addWindow(1, editor, Rect(100, 100, 600, 400));
    addWindow(2, terminal, Rect(900, 200, 700, 500));
    start();
    EXPECT_EQ(moveAssist->calls, (std::vector<EventFlags>{InputFlags::shift}));

    shiftDragTo(1, titlePointFor(frameOf(2)), 0.5, false);
    ASSERT_TRUE(preview().shown);
    EXPECT_EQ(*preview().over, Rect(900, 200, 700, 500));
    EXPECT_FALSE(preview().locked);

    input->leftMouseUp(input->pointerLocation());
    run(1.0);
    EXPECT_FALSE(preview().shown);
    const auto group = session->engine().group(1);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->windowIDs(), (std::vector<WindowID>{2, 1}));
    EXPECT_EQ(group->activeWindowID, 1u);
    EXPECT_EQ(group->frame, Rect(900, 200, 700, 500));
    EXPECT_EQ(frameOf(1), group->frame);
    EXPECT_EQ(frameOf(2), group->frame);
    const FakeBarRecord& bar = overlay->barFor(group->id);
    EXPECT_TRUE(bar.isShown);
    EXPECT_EQ(bar.lastRender().tabs.size(), 2u);
    EXPECT_EQ(session->memberIndex().at(group->id), (std::vector<WindowID>{2, 1}));
    EXPECT_EQ(session->windowSystem().trackedCount(), 2u);

    // Turning drag grouping off gives the tap back and stops the move assist.
    session->disableDragGrouping();
    EXPECT_EQ(input->runningTapCount(), 0);
    EXPECT_EQ(moveAssist->calls.back(), 0u);
}

// The user lets go of the button and Shift at once while the program is
// still busy with the last drag steps: steps handled after the release do not
// take the preview back, and the release groups.
TEST_F(DragToGroup, ALastDragStepHandledAfterTheReleaseAndShiftWereLetGoStillGroups) {
    addWindow(1, editor, Rect(100, 100, 600, 400));
    addWindow(2, terminal, Rect(900, 200, 700, 500));
    start();
    shiftDragTo(1, titlePointFor(frameOf(2)), 0.5, false);
    ASSERT_TRUE(preview().shown);
    run(1.0 / 60);  // away from the last look: the step is not held back as too soon
    const Point at = input->pointerLocation();
    input->leftMouseDragged(Point{at.x + 8, at.y});
    input->leftMouseUp(Point{at.x + 8, at.y});
    input->setModifierFlags(0);
    run(1.0);
    const auto group = session->engine().group(1);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->windowIDs(), (std::vector<WindowID>{2, 1}));
}

TEST_F(DragToGroup, AWindowDraggedWithoutBeingFocusedFirstStillGroups) {
    pressFocuses = false;
    addWindow(1, editor, Rect(100, 100, 600, 400));
    addWindow(2, terminal, Rect(900, 200, 700, 500));
    addWindow(3, browser, Rect(1300, 750, 400, 300));
    addWindow(4, editor, Rect(100, 600, 500, 300));
    start();
    focus(2);
    shiftDragTo(1, titlePointFor(frameOf(2)), 0.5);
    const auto group = session->engine().group(1);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->windowIDs(), (std::vector<WindowID>{2, 1}));
    EXPECT_EQ(frameOf(1), Rect(900, 200, 700, 500));

    // Pressed where it lies over the focused window: the window on top is
    // the one dragged, not the focused one under it.
    focus(2);
    env.desktop->moveWindow(3, Rect(950, 300, 400, 300));
    env.desktop->raiseWindow(3);
    settle();
    shiftDragTo(3, titlePointFor(frameOf(4)), 0.5);
    const auto second = session->engine().group(3);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->windowIDs(), (std::vector<WindowID>{4, 3}));
    EXPECT_EQ(session->engine().group(2)->windowIDs(), (std::vector<WindowID>{2, 1}));
}

// A busy window manager moves the window only once the pointer has come to
// rest over the target: no motion follows that move, yet the drag is taken,
// the hover shows the preview and the release groups.
TEST_F(DragToGroup, AMoveTheWindowManagerMakesOnlyOnceThePointerRestsStillGroups) {
    addWindow(1, editor, Rect(100, 100, 600, 400));
    addWindow(2, terminal, Rect(760, 180, 600, 400));
    start();
    focus(1);
    input->setPointerObserver(nullptr);  // this test is the window manager
    const Point grab{650, 114};
    const Point rest{800, 220};
    auto path = SimInput::straightDrag(grab, rest, 30, 1.0 / 60, false);
    path.insert(path.begin(), PointerStep{0, PointerStep::Kind::modifiers, {}, InputFlags::shift});
    play(path, path.back().at + 0.2);
    EXPECT_EQ(preview().showCount, 0) << "the window has not moved yet";

    env.desktop->moveWindow(1, Rect(100, 100, 600, 400).offsetBy(rest.x - grab.x, rest.y - grab.y));
    run(0.6);
    ASSERT_TRUE(preview().shown) << "the move seen at rest makes the drag";
    EXPECT_EQ(*preview().over, Rect(760, 180, 600, 400));
    input->leftMouseUp(rest);
    run(1.0);
    ASSERT_TRUE(session->engine().group(1));
    EXPECT_EQ(session->engine().group(1)->windowIDs(), (std::vector<WindowID>{2, 1}));
}

TEST_F(DragToGroup, OnlyOrdinaryWindowsOfTheCurrentDesktopAreTargets) {
    env.desktop->setSpaceCount(2);
    addWindow(1, editor, Rect(50, 600, 400, 300));
    addWindow(2, terminal, Rect(500, 100, 300, 300), 1u);  // on the other desktop
    addWindow(3, browser, Rect(900, 100, 300, 300));        // a dock
    env.desktop->setLayerAndAlpha(3, WindowLayer::dock, 1.0);
    addWindow(4, terminal, Rect(1300, 100, 500, 300));      // behind a nearly invisible window
    addWindow(5, browser, Rect(1300, 100, 300, 300));
    env.desktop->setLayerAndAlpha(5, 0, 0.05);
    SimWindowSpec desktopWindow;
    desktopWindow.id = 6;
    desktopWindow.pid = browser;
    desktopWindow.frame = Rect(0, 0, 1920, 1080);
    desktopWindow.isDesktopElement = true;
    env.desktop->addWindow(desktopWindow);
    env.desktop->raiseWindow(1);
    start();

    auto path = titleDrag(1, {650, 250}, 20, false, InputFlags::shift);
    double t = path.back().at + 0.6;
    for (const Point p : {Point{1050, 250}, Point{300, 400}, Point{1400, 250}}) {
        path.push_back({t, PointerStep::Kind::drag, p, 0});
        t += 0.6;
    }
    input->schedulePointerPath(path);
    run(path.back().at - 0.05);
    EXPECT_EQ(preview().showCount, 0) << "the other desktop's window, the dock and the desktop are passed over";
    run(0.7);
    ASSERT_TRUE(preview().shown);
    EXPECT_EQ(*preview().over, Rect(1300, 100, 500, 300)) << "the window behind the invisible one";
    input->leftMouseUp(input->pointerLocation());
    run(1.0);
    EXPECT_EQ(session->engine().group(1)->windowIDs(), (std::vector<WindowID>{4, 1}));
}

TEST_F(DragToGroup, AWindowDroppedOnALockedGroupLeavesItsOwnGroupAndStaysAlone) {
    addWindow(1, editor, Rect(100, 600, 500, 300));
    addWindow(2, editor, Rect(100, 600, 500, 300));
    addWindow(3, terminal, Rect(900, 100, 600, 400));
    addWindow(4, browser, Rect(900, 100, 600, 400));
    start();
    const TabGroup own = groupWindows(1, 2);
    const TabGroup locked = groupWindows(4, 3);
    session->engine().setLocked(true, locked.id);
    focus(1);

    shiftDragTo(1, titlePointFor(frameOf(4)), 0.5, false);
    ASSERT_TRUE(preview().shown);
    EXPECT_TRUE(preview().locked) << "the preview shows the lock";
    EXPECT_EQ(*preview().over, Rect(900, 70, 600, 430)) << "the group frame with its bar";
    input->leftMouseUp(input->pointerLocation());
    run(1.0);

    EXPECT_FALSE(session->engine().group(1));
    EXPECT_FALSE(session->engine().group(own.id)) << "a pair without the dragged window dissolves";
    EXPECT_EQ(session->engine().group(locked.id)->windowIDs(), (std::vector<WindowID>{3, 4}));
    EXPECT_TRUE(overlay->barFor(own.id).isClosed);
    EXPECT_EQ(session->windowSystem().trackedCount(), 2u) << "only the locked group's windows stay tracked";
}

TEST_F(DragToGroup, TheGroupFollowsItsDraggedActiveWindowAndSettlesAtTheRelease) {
    addWindow(1, editor, Rect(200, 200, 600, 400));
    addWindow(2, terminal, Rect(200, 200, 600, 400));
    addWindow(3, browser, Rect(200, 200, 600, 400));
    start();
    groupWindows(2, 1);
    const TabGroup group = groupWindows(1, 2);  // {1, 2, 3}? no: 1 joins 2's group, active 1
    ASSERT_EQ(group.activeWindowID, 1u);
    session->group(element(3), element(1));
    run(1.0);
    focus(1);
    const Rect original = session->engine().group(1)->frame;
    const FakeBarRecord& bar = overlay->barFor(group.id);
    const std::size_t placementsBefore = bar.placements.size();

    const Rect f = frameOf(1);
    const Point grip{f.midX(), f.minY() + titleStrip / 2};
    auto path = SimInput::straightDrag(grip, {grip.x + 300, grip.y + 150}, 30, 1.0 / 60, false);
    input->schedulePointerPath(path);
    run(0.6);
    ASSERT_TRUE(session->liveFollow());
    EXPECT_EQ(session->liveFollow()->windowID, 1u);
    for (const WindowID parked : {2u, 3u}) {
        EXPECT_TRUE(isBehind(parked, 1)) << parked << " is parked behind the dragged window";
    }
    EXPECT_GT(bar.placements.size(), placementsBefore + 10) << "the bar follows the window";
    EXPECT_EQ(session->engine().group(1)->frame, original) << "nothing is committed during the drag";

    input->leftMouseUp(input->pointerLocation());
    run(1.0);
    EXPECT_FALSE(session->liveFollow());
    const Rect moved = original.offsetBy(300, 150);
    EXPECT_EQ(frameOf(1), moved);
    EXPECT_EQ(session->engine().group(1)->frame, moved);
    EXPECT_EQ(frameOf(2), moved);
    EXPECT_EQ(frameOf(3), moved);
    EXPECT_EQ(bar.lastPlacement()->placement.frame.minY(), moved.minY() - 30);
}

// The other members of a dragged group stay out of sight: from the first
// move of its active window on, they stand on its frame behind it, by its
// title bar and by the bar alike; the drop, the grouping onto another
// window and the return to the group's frame are as before.
TEST_F(DragToGroup, ParkedMembersStayBehindTheDraggedWindowFromItsFirstMoveToTheDrop) {
    env.desktop->addApplication({104, "org.example.Viewer", "Viewer", ""});
    const Rect home{200, 200, 600, 400};
    for (const auto& [id, pid] : {std::pair<WindowID, ProcessID>{1, editor}, {2, terminal}, {3, browser}}) {
        addWindow(id, pid, home);
    }
    addWindow(4, 104, Rect(1100, 500, 600, 400));
    start();
    groupWindows(2, 1);
    session->group(element(3), element(1));
    run(1.0);
    focus(1);
    session->engine().setActive(1);
    run(0.5);
    const auto hidden = [&] { return isBehind(2, 1) && isBehind(3, 1); };
    ASSERT_TRUE(hidden());

    // By the title bar, step by step: out of sight at every step, also
    // before the drag is recognised; nothing committed until the drop.
    const Rect f = frameOf(1);
    const Point grip{f.midX(), f.minY() + titleStrip / 2};
    input->schedulePointerPath(SimInput::straightDrag(grip, {grip.x + 240, grip.y + 120}, 24, 1.0 / 60, false));
    for (int step = 0; step < 30; ++step) {
        run(1.0 / 60);
        EXPECT_TRUE(hidden()) << "step " << step << ": " << frameOf(1) << " " << frameOf(2) << " " << frameOf(3);
    }
    ASSERT_TRUE(session->liveFollow());
    EXPECT_EQ(session->engine().group(1)->frame, home);
    input->leftMouseUp(input->pointerLocation());
    run(1.0);
    const Rect dropped = home.offsetBy(240, 120);
    EXPECT_EQ(session->engine().group(1)->frame, dropped);
    EXPECT_TRUE(hidden());

    // By the bar: behind the window at every step, and at the release.
    const Uuid id = session->engine().group(1)->id;
    for (int step = 1; step <= 10; ++step) {
        session->tabBarDidDragBy(id, {-12, 5}, 0);
        settle();
        EXPECT_TRUE(hidden()) << "bar step " << step;
        EXPECT_EQ(frameOf(1), dropped.offsetBy(-12 * step, 5 * step));
    }
    session->tabBarDidEndDrag(id);
    run(0.6);
    const Rect barDropped = dropped.offsetBy(-120, 50);
    EXPECT_EQ(session->engine().group(1)->frame, barDropped);
    EXPECT_TRUE(hidden());

    // Onto another window, with the grouping modifier: the members behind
    // the dragged window are no target; the window joins the other one and
    // the members go back to their group's frame, as one group.
    shiftDragTo(1, titlePointFor(frameOf(4)), 0.5, false);
    ASSERT_TRUE(preview().shown);
    EXPECT_EQ(*preview().over, frameOf(4)) << "the window under the members' window";
    input->leftMouseUp(input->pointerLocation());
    run(1.0);
    ASSERT_TRUE(session->engine().group(4));
    EXPECT_TRUE(session->engine().group(4)->contains(1));
    const auto left = session->engine().group(2);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->windowIDs(), (std::vector<WindowID>{2, 3}));
    EXPECT_EQ(frameOf(2), barDropped);
    EXPECT_EQ(frameOf(3), barDropped);
}

TEST_F(DragToGroup, AFailedDropAfterTheFollowEndedPutsTheDraggedMemberBackIntoItsGroup) {
    LogCapture log;
    addWindow(1, editor, Rect(200, 500, 600, 400));
    addWindow(2, terminal, Rect(200, 500, 600, 400));
    addWindow(3, browser, Rect(1000, 100, 600, 400));
    start();
    const TabGroup group = groupWindows(1, 2);
    focus(1);
    // The target's application does not tell which window is which.
    env.desktop->setHidesNumber(3, true);

    shiftDragTo(1, titlePointFor(frameOf(3)), 0.5, false);
    ASSERT_TRUE(preview().shown);
    ASSERT_TRUE(session->liveFollow());
    input->leftMouseUp(input->pointerLocation());
    run(1.0);

    EXPECT_EQ(log.matching(LogCategory::drag, "drop resolution failed: dragged=1 target=3 pid=103").size(), 1u);
    const auto after = session->engine().group(1);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->id, group.id);
    EXPECT_EQ(after->frame, group.frame);
    EXPECT_EQ(frameOf(1), group.frame) << "the dragged member is back in its group's frame";
    EXPECT_EQ(frameOf(2), group.frame);
    EXPECT_EQ(overlay->barFor(group.id).lastPlacement()->placement.frame.minY(), group.frame.minY() - 30);
}

TEST_F(DragToGroup, WindowsThatVanishOrApplicationsThatDieMidDragGroupNothingAndKeepNothingTracked) {
    addWindow(1, editor, Rect(100, 600, 500, 300));
    addWindow(2, terminal, Rect(900, 100, 600, 400));
    addWindow(3, browser, Rect(900, 100, 600, 400));
    start();

    // The target closes while the preview shows.
    shiftDragTo(1, titlePointFor(frameOf(3)), 0.5, false);
    ASSERT_TRUE(preview().shown);
    env.desktop->destroyWindow(3);
    input->leftMouseUp(input->pointerLocation());
    run(1.0);
    EXPECT_EQ(session->engine().groupCount(), 0u);

    // The dragged window's application dies during the hover.
    env.desktop->moveWindow(1, Rect(100, 600, 500, 300));
    focus(1);
    shiftDragTo(1, titlePointFor(frameOf(2)), 0.5, false);
    ASSERT_TRUE(preview().shown);
    env.desktop->terminate(editor);
    input->leftMouseUp(input->pointerLocation());
    run(1.0);
    EXPECT_EQ(session->engine().groupCount(), 0u);
    EXPECT_FALSE(preview().shown);
    EXPECT_EQ(session->windowSystem().trackedCount(), 0u);
    EXPECT_FALSE(session->liveFollow());
}

TEST_F(DragToGroup, ShutDownMidFollowSettlesTheGroupAndDetachesEverything) {
    addWindow(1, editor, Rect(200, 200, 600, 400));
    addWindow(2, terminal, Rect(200, 200, 600, 400));
    start();
    const TabGroup group = groupWindows(1, 2);
    focus(1);
    const Rect f = frameOf(1);
    const Point grip{f.midX(), f.minY() + titleStrip / 2};
    input->schedulePointerPath(SimInput::straightDrag(grip, {grip.x + 100, grip.y + 100}, 20, 1.0 / 60, false));
    run(0.5);
    ASSERT_TRUE(session->liveFollow());

    session->shutdown();
    run(0.5);
    EXPECT_FALSE(session->liveFollow());
    EXPECT_FALSE(session->isDragGroupingActive());
    EXPECT_EQ(input->runningTapCount(), 0);
    EXPECT_TRUE(overlay->barFor(group.id).isClosed);
    const Rect settled = session->engine().group(1)->frame;
    EXPECT_EQ(settled, f.offsetBy(100, 100)) << "the drag ended as a drop where the window was";
    EXPECT_EQ(frameOf(2), settled) << "the parked member came back";

    // Nothing reaches the session any more.
    env.desktop->clearAXCalls();
    input->leftMouseUp(input->pointerLocation());
    env.desktop->moveWindow(1, Rect(0, 300, 500, 500));
    env.desktop->destroyWindow(2);

    env.desktop->sleep();
    run(3.0);
    EXPECT_EQ(session->engine().group(1)->frame, settled);
    EXPECT_TRUE(session->engine().group(2)) << "the engine keeps its groups for the shell to save";
    EXPECT_TRUE(env.desktop->axCalls().empty());
    EXPECT_FALSE(session->settleState().asleep);
}

}  // namespace
}  // namespace tessaly::testing
