// Maximising a group: the window manager maximising its active member (by
// its maximise button, a title-bar double click, the keyboard or a pager)
// and restoring it, one way or both, with borders it hides beyond the work
// area, while members refuse or vanish, during a drag and across a display
// change; and the bar's own maximise with a terminal in front.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

constexpr MaximizedAxes both = MaximizedAxes::both();
constexpr MaximizedAxes vertically{true, false};

class Maximise : public SessionDesktop {
protected:
    // Editor window 1 (active, focused) and terminal window 2 at `home`,
    // and, when asked, browser window 3.
    TabGroup makeGroup(bool withThird = false, bool dragGrouping = false) {
        addWindow(1, editor, home);
        addWindow(2, terminal, home);
        if (withThird) addWindow(3, browser, home);
        start(dragGrouping);
        groupWindows(2, 1);
        if (withThird) groupWindows(3, 1);
        focus(1);
        session->engine().setActive(1);
        run(1.0);
        env.desktop->clearAXCalls();
        return session->engine().group(1).value();
    }
    Rect groupFrame(const TabGroup& group) const { return session->engine().group(group.id)->frame; }
    MaximizedAxes maximized(WindowID id) const { return env.desktop->window(id)->maximized; }
    TabStripGeometry::Placement barPlacement(const TabGroup& group) const {
        return overlay->barFor(group.id).lastPlacement()->placement;
    }
    // The window manager maximises the active member and, once the group
    // has followed, restores it; answers whether the other member followed.
    bool maximiseAndRestore() {
        env.desktop->setMaximized(1, both);
        run(1.0);
        const bool followed = maximized(2) == both;
        env.desktop->setMaximized(1, {});
        run(0.05);
        return followed;
    }
    bool budgetExhausted(const LogCapture& log) const {
        return !log.matching(LogCategory::reconcile, "snap-back budget exhausted").empty();
    }
};

TEST_F(Maximise, TheWindowManagersMaximiseIsTheGroupsUntilItRestoresTheWindowAndTheGroupMovesOnAfterwards) {
    LogCapture log;
    const TabGroup group = makeGroup();

    // A double click on the title bar: the window manager maximises the
    // window while the button is still down, which is no drag.
    const Point titleBar{home.midX(), home.minY() + titleStrip / 2};
    input->leftMouseDown(titleBar);
    env.desktop->setMaximized(1, both);
    run(0.2);
    EXPECT_EQ(groupFrame(group), workArea) << "followed at once, no room kept for the bar";
    input->leftMouseUp(titleBar);
    run(1.0);
    EXPECT_EQ(groupFrame(group), workArea);
    EXPECT_EQ(barPlacement(group).mode, TabStripGeometry::Placement::Mode::overlap)
        << "the bar goes inside the title bar";
    EXPECT_EQ(maximized(1), both);
    EXPECT_EQ(frameWrites(1), 0) << "nothing unmaximises the window the window manager maximised";
    EXPECT_EQ(maximized(2), both) << "the other member is maximised the same way";
    EXPECT_EQ(frameOf(2), workArea);
    const ZoomRecord& record = session->zoomRecords().at(group.id);
    EXPECT_EQ(record.restoreFrame, home);
    EXPECT_EQ(record.windowManagerAxes, both);
    session->updateTabBarHeight(40);  // no room is kept for a taller bar either
    run(3.0);
    EXPECT_EQ(groupFrame(group), workArea);
    EXPECT_EQ(maximized(1), both) << "it stays so";
    EXPECT_EQ(maximized(2), both);
    EXPECT_EQ(session->snapBackBudget().sends(2), 0);

    // Restored (the state goes first, as openbox publishes it): every member
    // comes back where it was.
    env.desktop->setMaximized(1, {}, workArea);
    run(0.1);
    EXPECT_EQ(groupFrame(group), workArea) << "still on its way back";
    env.desktop->moveWindow(1, home);
    run(1.0);
    EXPECT_EQ(groupFrame(group), home);
    EXPECT_EQ(frameOf(2), home);
    EXPECT_EQ(maximized(2), MaximizedAxes{});
    EXPECT_TRUE(session->zoomRecords().at(group.id).restoredAt);
    EXPECT_EQ(barPlacement(group).mode, TabStripGeometry::Placement::Mode::above);

    // Moved afterwards, it follows as one, and nothing pulls it back.
    env.desktop->moveWindow(1, home.offsetBy(200, 100));
    run(1.0);
    EXPECT_EQ(groupFrame(group), home.offsetBy(200, 100));
    EXPECT_EQ(frameOf(2), home.offsetBy(200, 100));
    EXPECT_EQ(frameOf(1), home.offsetBy(200, 100));
    EXPECT_FALSE(budgetExhausted(log));
}

TEST_F(Maximise, OneWayThenBothWithBordersBeyondTheWorkAreaTheGroupStaysInsideItAndTheBarRestoresIt) {
    LogCapture log;
    const TabGroup group = makeGroup();

    // The state first, then the frame (and a frame that never was between
    // them): nothing follows until the window fills the work area.
    env.desktop->setMaximized(1, vertically, Rect(100, 100, 700, 1055));
    run(0.5);
    EXPECT_EQ(groupFrame(group), home);
    EXPECT_EQ(frameWrites(1), 0);
    env.desktop->moveWindow(1, Rect(100, 25, 700, 1055));
    run(1.0);
    EXPECT_EQ(groupFrame(group), Rect(100, 25, 700, 1055));
    EXPECT_EQ(maximized(2), vertically);
    EXPECT_EQ(barPlacement(group).mode, TabStripGeometry::Placement::Mode::overlap);

    // Both ways, the way icewm does it: its borders lie beyond the screen
    // and under its panel. The group is the part inside the work area, and
    // still goes back to the frame from before the first maximise.
    const Rect beyond{-5, 20, 1930, 1064};
    env.desktop->setMaximized(1, both, beyond);
    run(0.1);
    env.desktop->setMaximized(2, both, beyond);  // as it maximises every window
    run(1.0);
    EXPECT_EQ(groupFrame(group), workArea);
    EXPECT_EQ(maximized(2), both);
    EXPECT_EQ(session->zoomRecords().at(group.id).restoreFrame, home);
    const Rect strip = barPlacement(group).frame;
    EXPECT_GE(strip.minX(), workArea.minX());
    EXPECT_LE(strip.maxX(), workArea.maxX());
    run(2.0);
    EXPECT_EQ(session->snapBackBudget().sends(2), 0) << "a member with hidden borders is not chased";

    // The same window frame again (another report of it) changes nothing.
    env.desktop->setFailingWrite(2, "AXMaximized");
    env.desktop->setMaximized(1, both, beyond);
    run(0.5);
    EXPECT_EQ(maximized(2), both);

    // A double click on the bar brings the whole group back, unmaximised.
    env.desktop->setFailingWrite(2, "AXMaximized", false);
    session->tabBarDidRequestMaximize(group.id);
    run(1.0);
    EXPECT_EQ(groupFrame(group), home);
    EXPECT_EQ(frameOf(1), home);
    EXPECT_EQ(frameOf(2), home);
    EXPECT_EQ(maximized(1), MaximizedAxes{});
    EXPECT_EQ(maximized(2), MaximizedAxes{});
    EXPECT_FALSE(budgetExhausted(log));
}

// The window manager's title bar is known. Maximised, the bar lies in it
// and leaves the windows' content alone. A window the window manager draws
// no title bar for (a header bar of its own) leaves the bar no room once
// maximised: the group is zoomed below the bar instead, the window's header
// bar uncovered, and the next maximise brings it back.
TEST_F(Maximise, TheBarFitsTheTitleBarAndAHeaderBarWindowIsZoomedBelowTheBar) {
    LogCapture log;
    const TabGroup group = makeGroup();
    env.desktop->setTitleBarHeight(1, 20);
    env.desktop->setTitleBarHeight(2, 20);

    env.desktop->setMaximized(1, both);
    run(1.0);
    EXPECT_EQ(groupFrame(group), workArea);
    EXPECT_EQ(maximized(2), both);
    EXPECT_EQ(barPlacement(group), (TabStripGeometry::Placement{TabStripGeometry::Placement::Mode::overlap,
                                                                Rect(120, 26, 1680, 18), 18}))
        << "inside the 20 points of title bar, clear of the buttons";
    // The other member, with a header bar of its own, brought forward:
    // the group goes below the bar, and the next maximise brings it back.
    const Rect zoomed(workArea.minX(), workArea.minY() + 30, workArea.width(), workArea.height() - 30);
    env.desktop->setTitleBarHeight(2, 0);
    session->tabBarDidSelectTab(group.id, 2);
    run(1.0);
    EXPECT_EQ(groupFrame(group), zoomed);
    EXPECT_EQ(maximized(1), MaximizedAxes{});
    EXPECT_EQ(maximized(2), MaximizedAxes{});
    EXPECT_EQ(barPlacement(group).frame, Rect(0, 25, 1920, 30));
    env.desktop->setMaximized(2, both);
    run(1.0);
    EXPECT_EQ(groupFrame(group), home);
    EXPECT_EQ(frameOf(1), home);
    session->tabBarDidSelectTab(group.id, 1);
    run(1.0);

    // Now a header bar of its own: maximised by its button, the group fills
    // the work area below the bar, the bar above it, nothing maximised.
    env.desktop->setTitleBarHeight(1, 0);
    env.desktop->setMaximized(1, both);
    run(1.0);
    EXPECT_EQ(groupFrame(group), zoomed);
    EXPECT_EQ(frameOf(1), zoomed);
    EXPECT_EQ(frameOf(2), zoomed);
    EXPECT_EQ(maximized(1), MaximizedAxes{});
    EXPECT_EQ(maximized(2), MaximizedAxes{});
    EXPECT_EQ(barPlacement(group).mode, TabStripGeometry::Placement::Mode::above);
    EXPECT_EQ(barPlacement(group).frame, Rect(0, 25, 1920, 30));
    run(2.0);
    EXPECT_EQ(groupFrame(group), zoomed) << "it stays so";

    // Its maximise button again (the window shows itself unmaximised): back.
    env.desktop->setMaximized(1, both);
    run(1.0);
    EXPECT_EQ(groupFrame(group), home);
    EXPECT_EQ(frameOf(1), home);
    EXPECT_EQ(frameOf(2), home);
    EXPECT_EQ(maximized(1), MaximizedAxes{});
    EXPECT_FALSE(budgetExhausted(log));
}

// A header-bar window zoomed below the bar, maximised again at once (a key
// pressed twice) while the window system's reports run late on a busy
// machine: the zoom's put-back, verified meanwhile, finds the window
// maximised before its report comes. It leaves it so, and the report,
// when it comes, brings the group back.
TEST_F(Maximise, AMaximiseReadBeforeItsReportCameIsLeftForTheReportToBringTheGroupBack) {
    LogCapture log;
    const TabGroup group = makeGroup();
    env.desktop->setTitleBarHeight(1, 0);
    env.desktop->setMaximized(1, both);
    run(1.0);
    const Rect zoomed(workArea.minX(), workArea.minY() + 30, workArea.width(), workArea.height() - 30);
    ASSERT_EQ(groupFrame(group), zoomed);
    ASSERT_EQ(maximized(1), MaximizedAxes{});

    // The window manager's answer to the zoom's unmaximise ends a little
    // inside it first (metacity's): put back, and looked at again soon.
    env.desktop->moveWindow(1, Rect(zoomed.minX() + 26, zoomed.minY() + 23, zoomed.width() - 52,
                                    zoomed.height() - 52));
    run(0.1);
    ASSERT_EQ(frameOf(1), zoomed);

    env.desktop->setReportLag(1, 0.6);
    env.desktop->setMaximized(1, both);
    run(2.0);
    EXPECT_EQ(groupFrame(group), home) << "the second maximise brings the group back";
    EXPECT_EQ(frameOf(1), home);
    EXPECT_EQ(frameOf(2), home);
    EXPECT_EQ(maximized(1), MaximizedAxes{});
    EXPECT_FALSE(budgetExhausted(log));
}

TEST_F(Maximise, AMemberThatRefusesToBeMaximisedTakesTheFrameAndOneThatVanishesLeavesNoGap) {
    LogCapture log;
    const TabGroup group = makeGroup(true);
    env.desktop->setFailingWrite(2, "AXMaximized");

    env.desktop->setMaximized(1, both);
    env.desktop->destroyWindow(3);  // while its maximise is on the way
    run(1.0);
    EXPECT_EQ(groupFrame(group), workArea);
    EXPECT_EQ(session->engine().group(group.id)->windowIDs(), (std::vector<WindowID>{1, 2}));
    EXPECT_EQ(maximized(2), MaximizedAxes{});
    EXPECT_EQ(frameOf(2), workArea) << "refused the maximise: given the frame";

    // Restored, the member that took the frame comes back too, or, while
    // it refuses the move, with the group's next frame.
    env.desktop->setFrameBehaviour(2, {SimFrameBehaviour::Kind::refuse, {}, {}});
    env.desktop->setMaximized(1, {});
    run(1.0);
    EXPECT_EQ(groupFrame(group), home);
    EXPECT_EQ(frameOf(1), home);
    EXPECT_EQ(frameOf(2), workArea);
    env.desktop->setFrameBehaviour(2, {});
    env.desktop->moveWindow(1, home.offsetBy(40, 0));
    run(1.0);
    EXPECT_EQ(frameOf(2), home.offsetBy(40, 0)) << "not split for good";
    EXPECT_FALSE(budgetExhausted(log));
}

TEST_F(Maximise, AMaximiseDuringADragIsTheGroupsOnceTheDragEndsAndOutlastsDesktopAndDisplayChanges) {
    LogCapture log;
    const TabGroup group = makeGroup(false, true);

    // Dragged by its title bar and maximised by the window manager at the
    // end of the drag (at the top edge): the parked member is maximised too.
    const Rect f = frameOf(1);
    const Point grip{f.midX(), f.minY() + titleStrip / 2};
    input->schedulePointerPath(SimInput::straightDrag(grip, {grip.x + 200, grip.y + 100}, 20, 1.0 / 60, false));
    run(0.6);
    ASSERT_TRUE(session->liveFollow());
    ASSERT_TRUE(isBehind(2, 1)) << "parked behind it";
    env.desktop->setMaximized(1, both);
    settle();
    input->leftMouseUp(input->pointerLocation());
    run(1.0);
    EXPECT_FALSE(session->liveFollow());
    EXPECT_EQ(groupFrame(group), workArea);
    EXPECT_EQ(maximized(1), both);
    EXPECT_EQ(maximized(2), both);
    EXPECT_EQ(frameOf(2), workArea);

    // Another desktop and back: the group is as it was, with its bar.
    env.desktop->setSpaceCount(2);
    for (const WindowID id : {1u, 2u}) env.desktop->moveWindowToSpace(id, 0);
    env.desktop->switchSpace(1);
    run(1.5);
    EXPECT_FALSE(overlay->barFor(group.id).isShown);
    env.desktop->switchSpace(0);
    run(1.5);
    EXPECT_EQ(groupFrame(group), workArea);
    EXPECT_EQ(maximized(2), both);
    EXPECT_TRUE(overlay->barFor(group.id).isShown);

    // The displays change while it is maximised: the window manager fits
    // its maximised windows to the new work area and the group follows.
    const Rect smaller{0, 30, 1600, 870};
    env.desktop->setDisplays({DisplayInfo{1, "eDP-1", Rect(0, 0, 1600, 900), smaller}});
    env.desktop->setMaximized(1, both, smaller);
    env.desktop->setMaximized(2, both, smaller);
    run(6.0);
    EXPECT_EQ(groupFrame(group), smaller);
    EXPECT_EQ(maximized(1), both) << "the resync does not unmaximise it";
    EXPECT_EQ(frameWrites(1), 0);
    EXPECT_FALSE(budgetExhausted(log));
}

// Dropped with the pointer at the screen's left edge, where the window
// manager tiles the window a moment after the release, or a second after
// it when busy, the window reaching off the screen or held flush with its
// edge (metacity and its kin resist a drag there): nothing is written to
// the window meanwhile, and the whole group takes the tile.
TEST_F(Maximise, ADropAtTheScreensEdgeTilesTheWholeGroupAtOnceOrLate) {
    LogCapture log;
    const TabGroup group = makeGroup(false, true);
    const Rect tile{0, 25, 960, 1055};
    for (const auto& [tiledAfter, flush] : {std::pair{0.05, true}, {0.05, false}, {1.0, true}, {1.0, false}}) {
        SCOPED_TRACE("tiled after " + std::to_string(tiledAfter) + " s" + (flush ? ", flush" : ""));
        const Rect f = frameOf(1);
        const Point grip{flush ? f.minX() + 1 : f.midX(), f.minY() + titleStrip / 2};
        const Point edge{flush ? 1.0 : 0.0, grip.y + 100};
        input->schedulePointerPath(SimInput::straightDrag(grip, edge, 20, 1.0 / 60, false));
        run(0.6);
        ASSERT_TRUE(session->liveFollow());
        env.desktop->clearAXCalls();
        input->leftMouseUp(edge);
        run(tiledAfter);
        EXPECT_EQ(frameWrites(1), 0) << "the window waits for its tile";
        env.desktop->setMaximized(1, vertically, tile);
        run(1.0);
        EXPECT_EQ(groupFrame(group), tile);
        EXPECT_EQ(frameOf(2), tile);
        EXPECT_EQ(maximized(2), vertically);
        EXPECT_EQ(frameWrites(1), 0);
        // Untiled, for the next drop.
        env.desktop->setMaximized(1, {});
        run(1.0);
        EXPECT_EQ(maximized(2), MaximizedAxes{});
    }
    EXPECT_FALSE(budgetExhausted(log));
}

TEST_F(Maximise, AWindowManagerThatMaximisesInStepsMaximisesTheWholeGroupEveryTime) {
    LogCapture log;
    const TabGroup group = makeGroup();
    // As fluxbox does: the height first (into the bar's room, without the
    // state), the width and the state a moment later; also for the members
    // it is asked to maximise.
    env.desktop->setMaximizesInSteps(0.01);

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        env.desktop->clearAXCalls();
        env.desktop->setMaximized(1, both);
        run(1.0);
        EXPECT_EQ(groupFrame(group), workArea);
        EXPECT_EQ(maximized(1), both);
        EXPECT_EQ(frameOf(1), workArea);
        EXPECT_EQ(maximized(2), both);
        EXPECT_EQ(frameOf(2), workArea);
        EXPECT_EQ(frameWrites(1), 0) << "the window being maximised is not clamped";
        EXPECT_EQ(frameWrites(1, "AXSize"), 0);
        EXPECT_EQ(frameWrites(2), 0) << "the member being maximised is not sent back";
        EXPECT_EQ(frameWrites(2, "AXSize"), 0);
        EXPECT_EQ(session->zoomRecords().at(group.id).restoreFrame, home);

        // Restored, and maximised again at once (the next round).
        env.desktop->setMaximized(1, {});
        run(0.25);
        EXPECT_EQ(groupFrame(group), home);
        EXPECT_EQ(frameOf(2), home);
        EXPECT_EQ(maximized(2), MaximizedAxes{});
    }

    // A move of its own into the bar's room is still confined, a moment later.
    const Rect high{300, 25, 700, 500};
    env.desktop->moveWindow(1, high);
    run(1.0);
    EXPECT_EQ(frameOf(1), high.offsetBy(0, session->overlay().barRoom()));
    EXPECT_EQ(groupFrame(group), frameOf(1));
    EXPECT_EQ(frameOf(2), frameOf(1));
    EXPECT_FALSE(budgetExhausted(log));
}

TEST_F(Maximise, AMemberThatEasesItselfAboutAfterEachRestoreEndsOnTheGroupEveryCycle) {
    LogCapture log;
    const TabGroup group = makeGroup();
    // A GTK window eases its shadow margins back in after a restore and
    // resizes itself to them, step by step: what it shows wanders off by
    // a few points at a time, a dozen times, over a fifth of a second.
    const auto easeAbout = [&] {
        for (int step = 1; step <= 12; ++step) {
            env.desktop->moveWindow(2, Rect(home.minX() + 2 * step, home.minY() + 2 * step, home.width() - 3 * step,
                                            home.height() - 2 * step));
            run(1.0 / 60);
        }
    };
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        ASSERT_TRUE(maximiseAndRestore());
        env.desktop->clearAXCalls();
        easeAbout();
        run(1.0);
        EXPECT_EQ(frameOf(2), home) << "what it shows lies on the group";
        EXPECT_LE(frameWrites(2), 1) << "sent back once it is still, not at every step";
    }
    EXPECT_FALSE(budgetExhausted(log));
}

TEST_F(Maximise, AMemberThatTakesItsOwnSizeBackAfterEachRestoreIsSentBackEveryCycle) {
    LogCapture log;
    const TabGroup group = makeGroup();
    // A GTK 4 window on a busy machine: for a while after a restore it asks
    // for a size of its own again after each frame sent to it, three times
    // a cycle. The group comes back to the same frame every time.
    const Rect own(home.origin, Size{580, 480});
    for (int cycle = 0; cycle < 4; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        ASSERT_TRUE(maximiseAndRestore());
        for (int again = 0; again < 3; ++again) {
            env.desktop->moveWindow(2, own);
            run(0.6);
            EXPECT_EQ(frameOf(2), home) << "sent back after its own size " << again + 1;
        }
        run(1.0);
        EXPECT_EQ(groupFrame(group), home);
    }
    EXPECT_FALSE(budgetExhausted(log)) << "each restore is a frame of its own to send the member to";
}

TEST_F(Maximise, AMembersMaximiseThatLandsAfterTheRestoreIsUndoneEveryCycle) {
    LogCapture log;
    const TabGroup group = makeGroup();
    // A busy window manager carries out the member's maximise late: after
    // the user (a key pressed twice, a pager) has restored the group.
    env.desktop->setMaximizeLag(2, 0.3);
    // Restored at once, a moment after the maximise, and (the last cycle)
    // once the member's maximise has landed.
    for (const double maximisedFor : {0.05, 0.2, 0.1, 1.0}) {
        SCOPED_TRACE("maximised for " + std::to_string(maximisedFor));
        env.desktop->setMaximized(1, both);
        run(maximisedFor);
        EXPECT_EQ(groupFrame(group), workArea);
        env.desktop->setMaximized(1, {});
        run(2.0);
        EXPECT_EQ(groupFrame(group), home);
        EXPECT_EQ(frameOf(2), home) << "the member is back on its group";
        EXPECT_EQ(maximized(2), MaximizedAxes{});
        EXPECT_EQ(frameOf(1), home);
        EXPECT_EQ(maximized(1), MaximizedAxes{}) << "the active member is left alone";
    }
    EXPECT_FALSE(budgetExhausted(log));
}

// KWin maximising a terminal: the state first (the frame as it was), then
// a resize to the work area, then one to the terminal's cells, short of
// the work area's bottom; a busy reader may see only the last of them.
// Every time the whole group is maximised, the bar in the title bar.
TEST_F(Maximise, AMaximiseThatEndsShortOfTheWorkAreaByATerminalsCellsIsTheWholeGroups) {
    LogCapture log;
    const TabGroup group = makeGroup();
    hints->hints[1] = SizeHints{Size{8, 13}, Size{4, 4}};
    env.desktop->setTitleBarHeight(1, 28);
    const Rect cells{0, 25, 1920, 1045};
    for (const bool everyStep : {true, false, true}) {
        SCOPED_TRACE(everyStep ? "every step reported" : "the last step only");
        env.desktop->setMaximized(1, both, home);
        run(0.02);
        if (everyStep) {
            env.desktop->moveWindow(1, Rect(0, 25, 1920, 1052));
            run(0.02);
        }
        env.desktop->moveWindow(1, cells);
        run(1.0);
        EXPECT_EQ(groupFrame(group), cells);
        EXPECT_EQ(maximized(2), both);
        EXPECT_EQ(frameOf(2), workArea);
        EXPECT_EQ(barPlacement(group).mode, TabStripGeometry::Placement::Mode::overlap);
        EXPECT_EQ(frameWrites(1), 0) << "the window the window manager maximised is left alone";
        run(2.0);
        env.desktop->setMaximized(1, {});
        run(1.0);
        EXPECT_EQ(groupFrame(group), home);
        EXPECT_EQ(frameOf(2), home);
        EXPECT_EQ(maximized(2), MaximizedAxes{});
        EXPECT_EQ(barPlacement(group).mode, TabStripGeometry::Placement::Mode::above);
    }
    EXPECT_FALSE(budgetExhausted(log));
}

// Half-screen tiling: metacity's, marco's, mutter's and muffin's maximise
// the window from top to bottom at one half of the work area; KWin's moves
// it there without a state and keeps it there. Every member takes the tile
// (maximised the same way), the bar lies in the title bar, and untiling
// brings the group back whole.
TEST_F(Maximise, HalfScreenTilingTakesEveryMemberToTheTileAndUntilingBringsTheGroupBack) {
    LogCapture log;
    const TabGroup group = makeGroup(true);
    for (const WindowID id : {1u, 2u, 3u}) env.desktop->setTitleBarHeight(id, 28);
    const Rect left{0, 25, 960, 1055}, right{960, 25, 960, 1055};
    const auto expectTiled = [&](const Rect& tile, MaximizedAxes axes) {
        EXPECT_EQ(groupFrame(group), tile);
        for (const WindowID id : {2u, 3u}) {
            EXPECT_EQ(frameOf(id), tile) << id;
            EXPECT_EQ(maximized(id), axes) << id;
            EXPECT_TRUE(isBehind(id, 1)) << id << " shows beside the tiled window";
        }
        EXPECT_EQ(barPlacement(group).mode, TabStripGeometry::Placement::Mode::overlap);
        EXPECT_EQ(frameWrites(1), 0) << "nothing moves the tiled window";
    };
    const auto expectHome = [&] {
        EXPECT_EQ(groupFrame(group), home);
        for (const WindowID id : {1u, 2u, 3u}) {
            EXPECT_EQ(frameOf(id), home) << id;
            EXPECT_EQ(maximized(id), MaximizedAxes{}) << id;
        }
        EXPECT_EQ(barPlacement(group).mode, TabStripGeometry::Placement::Mode::above);
    };

    // Super+Left, Super+Right, and Super+Right again (metacity's untile).
    env.desktop->setMaximized(1, vertically, left);
    run(1.0);
    expectTiled(left, vertically);
    env.desktop->setMaximized(1, vertically, right);
    run(1.0);
    expectTiled(right, vertically);
    env.desktop->setMaximized(1, {});
    run(1.0);
    expectHome();

    // Maximised, then tiled from there, then untiled: back to the frame
    // from before the maximise.
    env.desktop->setMaximized(1, both);
    run(1.0);
    env.desktop->clearAXCalls();
    env.desktop->setMaximized(1, vertically, left);
    run(1.0);
    expectTiled(left, vertically);
    env.desktop->setMaximized(1, {});
    run(1.0);
    expectHome();

    // KWin's quick tiling, no state told, a terminal short of the tile by
    // its cells; and back.
    hints->hints[1] = SizeHints{Size{8, 13}, Size{4, 4}};
    const Rect kwinTile{0, 25, 958, 1046};
    env.desktop->clearAXCalls();
    env.desktop->moveWindow(1, kwinTile);
    run(1.0);
    expectTiled(kwinTile, MaximizedAxes{});
    env.desktop->moveWindow(1, home);
    run(1.0);
    expectHome();
    EXPECT_FALSE(budgetExhausted(log));
}

// A maximise asked for an inactive member, hidden behind the active one
// (by a pager, or by the application itself), or its restore: the whole
// group is maximised or restored, the active member staying in front.
TEST_F(Maximise, AMaximiseOrRestoreOfAnInactiveMemberIsTheWholeGroups) {
    LogCapture log;
    const TabGroup group = makeGroup(true);
    env.desktop->setMaximized(2, both);
    run(1.0);
    EXPECT_EQ(groupFrame(group), workArea);
    for (const WindowID id : {1u, 2u, 3u}) EXPECT_EQ(maximized(id), both) << id;
    EXPECT_EQ(session->engine().group(group.id)->activeWindowID, 1u);
    EXPECT_EQ(frameOf(3), workArea);
    run(2.0);
    env.desktop->setMaximized(3, {});
    run(1.0);
    EXPECT_EQ(groupFrame(group), home);
    for (const WindowID id : {1u, 2u, 3u}) {
        EXPECT_EQ(maximized(id), MaximizedAxes{}) << id;
        EXPECT_EQ(frameOf(id), home) << id;
    }

    // Tiled by the application: the group is tiled with it.
    const Rect left{0, 25, 960, 1055};
    run(2.0);
    env.desktop->setMaximized(3, vertically, left);
    run(1.0);
    EXPECT_EQ(groupFrame(group), left);
    for (const WindowID id : {1u, 2u, 3u}) {
        EXPECT_EQ(maximized(id), vertically) << id;
        EXPECT_EQ(frameOf(id), left) << id;
    }
    run(2.0);
    env.desktop->setMaximized(2, {});
    run(1.0);
    EXPECT_EQ(groupFrame(group), home);
    EXPECT_EQ(frameOf(2), home);
    EXPECT_EQ(frameOf(3), home);

    // Its active member draws a header bar of its own, so the group is
    // zoomed below the bar when maximised; the other member's maximise
    // toggled brings it back to its frame, unmaximised, and again zooms it.
    env.desktop->setTitleBarHeight(1, 0);
    env.desktop->setMaximized(1, both);
    run(3.0);
    const Rect zoomed(workArea.minX(), workArea.minY() + 30, workArea.width(), workArea.height() - 30);
    ASSERT_EQ(groupFrame(group), zoomed);
    env.desktop->setMaximized(2, both);
    run(3.0);
    EXPECT_EQ(groupFrame(group), home);
    for (const WindowID id : {1u, 2u, 3u}) {
        EXPECT_EQ(frameOf(id), home) << id;
        EXPECT_EQ(maximized(id), MaximizedAxes{}) << id;
    }
    env.desktop->setMaximized(2, both);
    run(3.0);
    EXPECT_EQ(groupFrame(group), zoomed);
    EXPECT_EQ(frameOf(2), zoomed);
    EXPECT_EQ(maximized(2), MaximizedAxes{});
    EXPECT_FALSE(budgetExhausted(log));
}

TEST_F(Maximise, TheBarsMaximiseOfATerminalRestoresAlthoughItKeepsToItsCells) {
    const TabGroup group = makeGroup();
    // The active window is a terminal of 8 x 16 cells: it lands short of
    // every frame, and metacity snaps it keeping its bottom edge.
    hints->hints[1] = SizeHints{Size{8, 16}, Size{4, 4}};
    const Rect zoomed{0, 55, 1920, 1025};

    session->tabBarDidRequestMaximize(group.id);
    run(0.1);
    ASSERT_EQ(frameOf(1), zoomed);
    env.desktop->moveWindow(1, Rect(0, 66, 1916, 1014));
    run(1.0);
    EXPECT_EQ(groupFrame(group), Rect(0, 66, 1916, 1014));
    ASSERT_TRUE(session->zoomRecords().contains(group.id));

    session->tabBarDidRequestMaximize(group.id);
    run(1.0);
    EXPECT_EQ(groupFrame(group), home) << "the second double click restores";
    EXPECT_EQ(frameOf(2), home);

    // Already filling the work area as far as its cells let it: nothing is
    // recorded, and a later double click does not bring back the frame it
    // had before.
    env.desktop->moveWindow(1, Rect(0, 55, 1914, 1020));
    run(1.0);
    session->tabBarDidRequestMaximize(group.id);
    run(1.0);
    EXPECT_TRUE(session->zoomRecords().at(group.id).restoredAt) << "no new record";
}

}  // namespace
}  // namespace tessaly::testing
