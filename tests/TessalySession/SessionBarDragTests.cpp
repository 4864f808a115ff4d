// Dragging a whole group by its tab bar, on the simulated desktop: the
// active window and the bar follow while the other members wait behind it, the
// grouping modifier over another group offers a merge and the release makes
// it, a push past the display's edge offers the neighbouring display and the
// release moves the group there. Whatever ends a drag (the release, the bar
// hidden or closed, the group dissolving, shut-down, a display unplugged)
// ends it through the same path, with no member left behind.
#include "TessalyCore/L10n.h"
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class BarDrag : public SessionDesktop {
protected:
    static constexpr ProcessID viewer = 104;

    BarDrag() { env.desktop->addApplication({viewer, "org.example.Viewer", "Viewer", ""}); }

    // Two displays side by side, named as their monitors are.
    void twoDisplays() {
        env.desktop->setDisplays({DisplayInfo{1, "eDP-1", Rect(0, 0, 1920, 1080), Rect(0, 25, 1920, 1055)},
                                  DisplayInfo{2, "DP-2", Rect(1920, 0, 1920, 1080), Rect(1920, 0, 1920, 1080)}});
        settle();
    }
    // Windows `first` (editor) and `first + 1` (terminal) at `frame`, grouped, the second active.
    TabGroup pair(WindowID first, const Rect& frame) {
        addWindow(first, editor, frame);
        addWindow(first + 1, terminal, frame);
        if (!session) start(false);
        return groupWindows(first + 1, first);
    }
    void drag(const Uuid& group, Point delta) {
        session->tabBarDidDragBy(group, delta, input->modifierFlags());
        settle();
    }
    void release(const Uuid& group) {
        session->tabBarDidEndDrag(group);
        run(0.6);
    }
    std::optional<TabGroup> groupOf(const Uuid& id) const { return session->engine().group(id); }
    const FakeInsertPreviewRecord& mergePreview() const { return *overlay->previews.front(); }
    const FakeCrossPromptRecord& crossPrompt() const { return *overlay->prompts.front(); }
    Rect barFrame(const Uuid& group) const { return overlay->barFor(group).lastPlacement()->placement.frame; }
};

TEST_F(BarDrag, TheGroupFollowsItsBarAndMergesIntoTheGroupItIsShiftDroppedOn) {
    const TabGroup dragged = pair(1, home);
    const TabGroup target = pair(3, away);

    drag(dragged.id, {10, 5});
    const Rect moved{110, 105, 700, 500};
    EXPECT_EQ(frameOf(2), moved) << "the active window follows";
    EXPECT_TRUE(isBehind(1, 2)) << "the other member waits behind it: " << frameOf(1);
    EXPECT_EQ(barFrame(dragged.id), Rect(110, 75, 700, 30));
    EXPECT_EQ(groupOf(dragged.id)->frame, home) << "nothing is committed during the drag";
    ASSERT_TRUE(session->barDrags().contains(dragged.id));
    EXPECT_EQ(session->barDrags().at(dragged.id).parked.size(), 1u);

    // Over the other group without the grouping modifier: no offer.
    drag(dragged.id, {850, 60});
    EXPECT_EQ(frameOf(2), Rect(960, 165, 700, 500));
    EXPECT_FALSE(mergePreview().shown);
    EXPECT_EQ(groupOf(target.id)->frame, away) << "frame events of a dragged group are not adopted elsewhere";

    input->setModifierFlags(InputFlags::shift);
    drag(dragged.id, {1, 0});
    ASSERT_TRUE(mergePreview().shown);
    EXPECT_EQ(*mergePreview().over, Rect(1000, 170, 700, 530)) << "the target with its bar";
    EXPECT_FALSE(mergePreview().locked);
    input->setModifierFlags(0);
    drag(dragged.id, {-1, 0});
    EXPECT_FALSE(mergePreview().shown) << "Shift let go: the offer goes at the next step";
    input->setModifierFlags(InputFlags::shift);
    drag(dragged.id, {0, 0});
    EXPECT_TRUE(mergePreview().shown);
    // A step handled after Shift was let go counts with the modifiers its
    // own event carried.
    session->tabBarDidDragBy(dragged.id, {0, 0}, InputFlags::shift);
    input->setModifierFlags(0);
    settle();
    EXPECT_TRUE(mergePreview().shown);

    release(dragged.id);
    EXPECT_FALSE(mergePreview().shown);
    EXPECT_FALSE(groupOf(dragged.id));
    EXPECT_TRUE(overlay->barFor(dragged.id).isClosed);
    EXPECT_EQ(groupOf(target.id)->windowIDs(), (std::vector<WindowID>{3, 4, 1, 2}));
    for (const WindowID id : {1u, 2u, 3u, 4u}) EXPECT_EQ(frameOf(id), away) << id;
    EXPECT_TRUE(session->barDrags().empty());
    EXPECT_EQ(session->windowSystem().trackedCount(), 4u);
}

// The pointer's own reports of a bar drag may come before the bar's: the
// pointer is then over the window the bar drag moves along with it, which
// must not be taken for a drag of that window (its follow would send the
// parked member back to where the group was once the merge is made).
TEST_F(BarDrag, APressOnTheBarIsNoDragOfTheWindowItMovesWhateverTheOrderOfReports) {
    const TabGroup dragged = pair(1, home);
    const TabGroup target = pair(3, away);
    ASSERT_TRUE(session->enableDragGrouping(DragSettings{}));
    env.desktop->addApplication({::getpid(), "org.example.Tessaly", "Tessaly", ""});
    SimWindowSpec bar;
    bar.id = 30;
    bar.pid = ::getpid();
    bar.frame = barFrame(dragged.id);
    env.desktop->addWindow(bar);
    env.desktop->setLayerAndAlpha(bar.id, 101, 1.0);
    focus(2);
    input->setModifierFlags(InputFlags::shift);

    Point pointer{bar.frame.maxX() - 12, bar.frame.midY()};
    input->leftMouseDown(pointer);
    run(0.05);
    const auto step = [&](Point delta) {
        pointer = {pointer.x + delta.x, pointer.y + delta.y};
        input->leftMouseDragged(pointer);
        run(0.05);
        drag(dragged.id, delta);
        EXPECT_FALSE(session->liveFollow()) << "a drag of the window itself at " << pointer;
    };
    step({0, 40});
    step({0, 40});
    step({900, 60});
    ASSERT_TRUE(mergePreview().shown);
    release(dragged.id);
    input->leftMouseUp(pointer);
    run(1.0);
    EXPECT_EQ(groupOf(target.id)->windowIDs(), (std::vector<WindowID>{3, 4, 1, 2}));
    for (const WindowID id : {1u, 2u, 3u, 4u}) EXPECT_EQ(frameOf(id), away) << id;
}

TEST_F(BarDrag, WithoutAMergeTheReleaseCommitsTheFrameShownAndBringsTheParkedMembersBack) {
    const TabGroup dragged = pair(1, home);
    const TabGroup target = pair(3, away);
    addWindow(5, viewer, home);
    session->group(element(5), element(2));
    run(0.5);
    session->tabBarDidSelectTab(dragged.id, 2);
    settle();
    input->setModifierFlags(InputFlags::shift);

    // A locked dragged group never merges.
    session->tabBarDidToggleLock(dragged.id);
    settle();
    drag(dragged.id, {860, 60});
    EXPECT_TRUE(mergePreview().shown);
    release(dragged.id);
    const Rect shown{960, 160, 700, 500};
    EXPECT_EQ(groupOf(dragged.id)->frame, shown);
    for (const WindowID id : {1u, 2u, 5u}) EXPECT_EQ(frameOf(id), shown) << id;
    EXPECT_EQ(groupOf(target.id)->windowIDs(), (std::vector<WindowID>{3, 4}));
    session->tabBarDidToggleLock(dragged.id);
    settle();

    // A target that locks before the release is not merged into; a locked
    // group is never offered.
    drag(dragged.id, {10, 0});
    EXPECT_TRUE(mergePreview().shown);
    session->tabBarDidToggleLock(target.id);
    settle();
    release(dragged.id);
    EXPECT_EQ(groupOf(dragged.id)->frame, Rect(970, 160, 700, 500));
    EXPECT_EQ(groupOf(target.id)->windowIDs(), (std::vector<WindowID>{3, 4}));
    drag(dragged.id, {10, 0});
    EXPECT_FALSE(mergePreview().shown);

    // A drag that ends where it began still brings the parked members back.
    drag(dragged.id, {-10, 0});
    EXPECT_TRUE(isBehind(5, 2));
    release(dragged.id);
    for (const WindowID id : {1u, 2u, 5u}) EXPECT_EQ(frameOf(id), Rect(970, 160, 700, 500)) << id;

    // A release with no drag only hides what a drag shows.
    release(dragged.id);
    EXPECT_FALSE(mergePreview().shown);
    EXPECT_FALSE(crossPrompt().shown);

    // The dragged window closes: a parked member takes its place in front
    // and, at the release, the frame shown.
    drag(dragged.id, {0, 100});
    env.desktop->destroyWindow(2);
    settle();
    release(dragged.id);
    EXPECT_EQ(groupOf(dragged.id)->windowIDs(), (std::vector<WindowID>{1, 5}));
    for (const WindowID id : {1u, 5u}) EXPECT_EQ(frameOf(id), Rect(970, 260, 700, 500)) << id;
}

// A window manager that keeps windows on screen (icewm) stops a group
// dragged past the left edge short of where the bar was taken: once let go,
// the group and its bar stand where the window manager put the window.
TEST_F(BarDrag, AGroupTheWindowManagerKeepsOnScreenHasItsBarWhereTheWindowsAre) {
    const TabGroup group = pair(1, home);
    SimFrameBehaviour keptOnScreen{SimFrameBehaviour::Kind::clamp, {}, {}};
    keptOnScreen.maxSize = Size{1e6, 1e6};
    keptOnScreen.minOrigin = Point{-5, 0};
    for (const WindowID id : {1u, 2u}) env.desktop->setFrameBehaviour(id, keptOnScreen);
    const double barInset = barFrame(group.id).minX() - home.minX();

    drag(group.id, {-150, 0});
    drag(group.id, {-105, 20});
    EXPECT_EQ(frameOf(2), Rect(-5, 120, 700, 500));
    release(group.id);
    // Where the window manager put the window, made whole on the display
    // as every frame the group takes from its active window.
    const Rect kept{0, 120, 700, 500};
    EXPECT_EQ(groupOf(group.id)->frame, kept);
    for (const WindowID id : {1u, 2u}) EXPECT_EQ(frameOf(id), kept) << id;
    EXPECT_EQ(barFrame(group.id).minX(), kept.minX() + barInset);
    EXPECT_EQ(barFrame(group.id).minY(), kept.minY() - 30);
}

TEST_F(BarDrag, PushedPastTheEdgeTowardsAnotherDisplayTheGroupMovesThereOnRelease) {
    twoDisplays();
    const Rect start{1100, 200, 700, 500};
    const TabGroup group = pair(1, start);
    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    session->tabBarDidRequestMaximize(group.id);
    run(0.6);
    ASSERT_TRUE(session->zoomRecords().contains(group.id));

    drag(group.id, {120, 0});
    EXPECT_EQ(frameOf(2), Rect(1220, 200, 700, 500)) << "held on its display at the shared edge";
    drag(group.id, {16, 0});
    EXPECT_FALSE(crossPrompt().shown) << "a push of exactly 16 points arms nothing";
    drag(group.id, {0.5, 0});
    ASSERT_TRUE(crossPrompt().shown);
    EXPECT_EQ(crossPrompt().text, L10n::releaseToMove("DP-2"));
    EXPECT_EQ(*crossPrompt().over, Rect(1220, 200, 700, 500));
    drag(group.id, {500, 0});
    EXPECT_EQ(session->barDrags().at(group.id).raw, Rect(1244, 200, 700, 500)) << "at most 24 points past";
    EXPECT_EQ(frameOf(2), Rect(1220, 200, 700, 500));

    release(group.id);
    const Rect crossed{1920, 200, 700, 500};
    EXPECT_FALSE(crossPrompt().shown);
    EXPECT_EQ(groupOf(group.id)->frame, crossed);
    EXPECT_EQ(frameOf(1), crossed);
    EXPECT_EQ(frameOf(2), crossed);
    EXPECT_FALSE(session->zoomRecords().contains(group.id));

    // The frame is checked half a second later and sent once more when the
    // window did not take it.
    drag(group.id, {-900, 0});
    drag(group.id, {-40, 0});
    ASSERT_TRUE(crossPrompt().shown);
    EXPECT_EQ(crossPrompt().text, L10n::releaseToMove("eDP-1"));
    env.desktop->setFrameBehaviour(2, {SimFrameBehaviour::Kind::refuse, {}, {}});
    session->tabBarDidEndDrag(group.id);
    run(0.1);
    const int writes = frameWrites(2);
    run(0.6);
    EXPECT_EQ(frameWrites(2), writes + 1);
    EXPECT_EQ(groupOf(group.id)->frame, Rect(1220, 200, 700, 500));
}

TEST_F(BarDrag, ShutDownLeavesDraggedGroupsWhereTheyAreShownMergingNothingAndMovingNowhere) {
    twoDisplays();
    const TabGroup merging = pair(1, home);
    const TabGroup target = pair(3, Rect(1000, 100, 700, 400));
    const TabGroup crossing = pair(5, Rect(1100, 600, 700, 400));
    input->setModifierFlags(InputFlags::shift);
    drag(merging.id, {900, 0});
    ASSERT_EQ(session->barDrags().at(merging.id).mergeTarget, target.id);
    drag(crossing.id, {200, 0});
    ASSERT_TRUE(session->barDrags().at(crossing.id).crossing);

    session->shutdown();
    settle();
    EXPECT_TRUE(session->barDrags().empty());
    EXPECT_EQ(groupOf(target.id)->windowIDs(), (std::vector<WindowID>{3, 4}));
    EXPECT_EQ(groupOf(merging.id)->frame, Rect(1000, 100, 700, 500));
    EXPECT_EQ(frameOf(1), Rect(1000, 100, 700, 500));
    EXPECT_EQ(groupOf(crossing.id)->frame, Rect(1220, 600, 700, 400));
    EXPECT_EQ(frameOf(5), Rect(1220, 600, 700, 400));
}

TEST_F(BarDrag, AHiddenBarOrADissolvedGroupEndsTheDragThroughTheReleasePath) {
    LogCapture log;
    addWindow(7, viewer, home);
    const TabGroup group = pair(1, home);
    session->group(element(7), element(2));
    run(0.5);
    ASSERT_EQ(groupOf(group.id)->activeWindowID, 7u);
    FakeBarRecord& bar = overlay->barFor(group.id);
    // As the toolkit's bar does: hiding it ends the drag it carries.
    bar.onHide = [this, id = group.id] { session->tabBarDidEndDrag(id); };

    drag(group.id, {50, 40});
    env.desktop->destroyWindow(1);  // a parked member closes
    settle();
    session->overlay().missionControlProbe = [] { return true; };
    session->overlay().updateMissionControlState();
    run(0.6);
    const Rect shown{150, 140, 700, 500};
    EXPECT_TRUE(session->barDrags().empty());
    EXPECT_FALSE(session->isGestureActive(group.id));
    EXPECT_EQ(groupOf(group.id)->frame, shown);
    EXPECT_EQ(frameOf(2), shown);
    EXPECT_EQ(frameOf(7), shown);
    EXPECT_EQ(log.matching(LogCategory::drag, "bar drag: restored 1 stranded parked member(s), group " +
                                                  group.id.uuidString() + " survived")
                  .size(),
              1u);
    session->overlay().missionControlProbe = [] { return false; };
    session->overlay().updateMissionControlState();
    env.desktop->moveWindow(7, Rect(300, 300, 700, 500));
    run(0.6);
    EXPECT_EQ(groupOf(group.id)->frame, Rect(300, 300, 700, 500)) << "the group follows its window again";

    // The last other member closes mid-drag: the group dissolves, its bar
    // closes, and the drag ends with nothing to commit.
    bar.onHide = [this, id = group.id] { session->tabBarDidEndDrag(id); };
    drag(group.id, {20, 0});
    ASSERT_TRUE(isBehind(2, 7));
    env.desktop->destroyWindow(2);
    run(0.6);
    EXPECT_FALSE(groupOf(group.id));
    EXPECT_TRUE(session->barDrags().empty());
    EXPECT_EQ(frameOf(7), Rect(320, 300, 700, 500)) << "left where it was shown";
    EXPECT_EQ(log.matching(LogCategory::drag, group.id.uuidString() + " dissolved").size(), 1u);
    EXPECT_EQ(session->windowSystem().trackedCount(), 0u);
    drag(group.id, {20, 0});
    EXPECT_TRUE(session->barDrags().empty()) << "a step for a group that is gone opens nothing";
}

TEST_F(BarDrag, ADisplayUnpluggedMidDragLeavesTheGroupOnADisplayThatIsLeft) {
    twoDisplays();
    const TabGroup group = pair(1, Rect(1100, 200, 700, 500));
    const DisplayInfo main{1, "eDP-1", Rect(0, 0, 1920, 1080), Rect(0, 25, 1920, 1055)};

    // Unplugged while the prompt offers it: the release keeps the group here.
    drag(group.id, {200, 0});
    ASSERT_TRUE(crossPrompt().shown);
    env.desktop->setDisplays({main});
    settle();
    release(group.id);
    EXPECT_EQ(groupOf(group.id)->frame, Rect(1220, 200, 700, 500));
    EXPECT_EQ(frameOf(1), Rect(1220, 200, 700, 500));

    // The display the drag began on goes: the drag goes on on the one left.
    twoDisplays();
    drag(group.id, {200, 0});
    release(group.id);
    ASSERT_EQ(groupOf(group.id)->frame, Rect(1920, 200, 700, 500));
    drag(group.id, {-40, 0});
    env.desktop->setDisplays({main});
    settle();
    drag(group.id, {-700, 0});
    EXPECT_FALSE(crossPrompt().shown);
    release(group.id);
    const Rect landed = groupOf(group.id)->frame;
    EXPECT_TRUE(Rect(0, 0, 1920, 1080).contains(landed)) << landed;
    EXPECT_EQ(frameOf(1), landed);
    EXPECT_EQ(frameOf(2), landed);
}

// ---- The decisions ----

TEST(BarDropDecisions, TheMergeTargetOverlapsMostByAtLeastItsSpanAndAQuarter) {
    const Uuid a = Uuid::random(), b = Uuid::random(), c = Uuid::random();
    const Rect dragged{0, 0, 1000, 800};
    const auto pick = [&](std::vector<MergeCandidate> among) {
        return GroupSession::mergeTargetPick(dragged, among);
    };
    // 39.9 wide never qualifies, however large the share; 40 does.
    EXPECT_FALSE(pick({{a, Rect(960.1, 0, 100, 800), false, true}}));
    EXPECT_EQ(pick({{a, Rect(960, 0, 100, 800), false, true}}), a);
    // A small group must be overlapped by a quarter of its own area (exactly
    // a quarter will do); a large one by a quarter of the dragged frame's.
    EXPECT_FALSE(pick({{a, Rect(900, 710, 200, 200), false, true}}));  // 100 x 90 of 200 x 200
    EXPECT_EQ(pick({{a, Rect(900, 700, 200, 200), false, true}}), a);   // 100 x 100
    EXPECT_FALSE(pick({{a, Rect(751, 0, 2000, 1000), false, true}}));  // 249 x 800 of 1000 x 800
    EXPECT_EQ(pick({{a, Rect(750, 0, 2000, 1000), false, true}}), a);
    // Locked, or nothing on the desktop: never; equal overlaps: the earlier.
    EXPECT_FALSE(pick({{a, dragged, true, true}, {b, dragged, false, false}}));
    EXPECT_EQ(pick({{a, Rect(500, 0, 1000, 800), false, true}, {b, Rect(-500, 0, 1000, 800), false, true},
                    {c, Rect(0, 100, 1000, 800), false, true}}),
              c);
    EXPECT_EQ(pick({{a, Rect(500, 0, 1000, 800), false, true}, {b, Rect(-500, 0, 1000, 800), false, true}}), a);

    int asked = 0;
    const auto mergeable = [&](bool answer) {
        return [&asked, answer](const Uuid&) {
            ++asked;
            return answer;
        };
    };
    EXPECT_EQ(GroupSession::barDropOutcome(false, a, false, mergeable(true)), BarDropOutcome::abandon());
    EXPECT_EQ(GroupSession::barDropOutcome(true, std::nullopt, false, mergeable(true)), BarDropOutcome::commitFrame());
    EXPECT_EQ(GroupSession::barDropOutcome(true, a, true, mergeable(true)), BarDropOutcome::commitFrame());
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(GroupSession::barDropOutcome(true, a, false, mergeable(false)), BarDropOutcome::commitFrame());
    EXPECT_EQ(GroupSession::barDropOutcome(true, a, false, mergeable(true)), BarDropOutcome::merge(a));
    EXPECT_NE(BarDropOutcome::merge(a), BarDropOutcome::merge(b));
    EXPECT_EQ(asked, 2);

    const std::vector<ParkedMember> parked{{3, nullptr}, {1, nullptr}, {2, nullptr}};
    const auto stranded = GroupSession::parkedToRestore(parked, {1, 4});
    ASSERT_EQ(stranded.size(), 2u);
    EXPECT_EQ(stranded[0].windowID, 3u);
    EXPECT_EQ(stranded[1].windowID, 2u);
}

}  // namespace
}  // namespace tessaly::testing
