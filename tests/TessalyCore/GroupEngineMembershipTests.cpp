// Membership: a window is in at most one group, every group has two members
// or more, and the events of each change come once per group touched, the
// old group first.
#include "TessalyCore/GroupEngineFixture.h"

namespace tessaly::testing {
namespace {

using Kind = GroupEvent::Kind;
using Calls = std::vector<WindowCall>;

class GroupingTests : public GroupEngineTest {};

TEST_F(GroupingTests, GroupingAWindowWithItselfDoesNothing) {
    engine.group(member(10), member(10), frameA);
    EXPECT_TRUE(engine.groups().empty());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(calls().empty());
}

TEST_F(GroupingTests, TwoUngroupedWindowsFormANewGroupInTheTargetFrame) {
    engine.group(member(10), member(20), frameA);
    ASSERT_EQ(engine.groupCount(), 1u);
    const TabGroup g = live(10);
    EXPECT_EQ(g.windowIDs(), (std::vector<WindowID>{20, 10}));
    EXPECT_EQ(g.activeWindowID, 10u);
    EXPECT_EQ(g.mru, (std::vector<WindowID>{10, 20}));
    EXPECT_EQ(g.frame, frameA);
    EXPECT_EQ(calls(), (Calls{WindowCall::setFrame(frameA, 10), WindowCall::raiseAndActivate(10)}));
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupCreated(g)}));
}

TEST_F(GroupingTests, JoiningAnExistingGroupUsesTheGroupFrameNotTheGivenOne) {
    makeGroup({30, 31}, 30, frameB);
    const GroupMember dragged(10, 7, "Dragged", std::string("Mine"), TabColor(1, 0, 0));
    engine.group(dragged, member(30), frameA);
    const TabGroup g = live(10);
    EXPECT_EQ(g.windowIDs(), (std::vector<WindowID>{30, 31, 10}));
    EXPECT_EQ(g.mru.front(), 10u);
    EXPECT_EQ(g.activeWindowID, 10u);
    EXPECT_EQ(*g.member(10), dragged);
    EXPECT_EQ(calls(), (Calls{WindowCall::setFrame(frameB, 10), WindowCall::raiseAndActivate(10)}));
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupChanged(g)}));
}

TEST_F(GroupingTests, LeavingATwoMemberGroupReportsTheOldGroupFirst) {
    const Uuid old = makeGroup({10, 11}, 10);
    engine.group(member(10), member(20), frameB);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], GroupEvent::groupDissolved(old));
    EXPECT_EQ(events[1].kind(), Kind::groupCreated);
    EXPECT_FALSE(engine.group(11).has_value());
    EXPECT_EQ(live(10).windowIDs(), (std::vector<WindowID>{20, 10}));
    // 11 is left where it is.
    for (const auto& call : calls()) EXPECT_NE(call.windowID, 11u);
}

TEST_F(GroupingTests, DroppingOntoAFellowMemberOnlyActivatesIt) {
    makeGroup({10, 11, 12}, 10);
    engine.group(member(12), member(11), frameB);
    EXPECT_EQ(live(12).activeWindowID, 12u);
    EXPECT_EQ(live(12).windowIDs(), (std::vector<WindowID>{10, 11, 12}));
    EXPECT_EQ(calls(), (Calls{WindowCall::raiseAndActivate(12)}));
    EXPECT_EQ(events.size(), 1u);
}

class LockTests : public GroupEngineTest {};

TEST_F(LockTests, GroupingOntoALockedGroupTakesTheWindowOutOfItsOwnGroupOnly) {
    // The dragged window leaves its old group (reported), the locked group
    // takes nothing in, and the window ends ungrouped and unmoved.
    makeGroup({10, 11, 12}, 10);
    const Uuid locked = makeGroup({30, 31}, 30);
    engine.setLocked(true, locked);
    const TabGroup lockedBefore = live(30);
    clearRecords();

    engine.group(member(10), member(30), frameA);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], GroupEvent::groupChanged(live(11)));
    EXPECT_EQ(live(11).windowIDs(), (std::vector<WindowID>{11, 12}));
    EXPECT_FALSE(engine.group(10).has_value());
    EXPECT_EQ(live(30), lockedBefore);
    for (const auto& call : calls()) EXPECT_NE(call.windowID, 10u) << "the dragged window is not moved";

    // Out of a pair, the old group dissolves and both windows end ungrouped.
    const Uuid pair = makeGroup({40, 41}, 40);
    engine.group(member(40), member(31), frameB);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupDissolved(pair)}));
    EXPECT_FALSE(engine.group(40).has_value());
    EXPECT_FALSE(engine.group(41).has_value());
    EXPECT_EQ(engine.groupCount(), 2u);
}

TEST_F(LockTests, AMemberOfALockedGroupCannotBeDraggedOutButCanBeActivated) {
    const Uuid locked = makeGroup({10, 11}, 11);
    engine.setLocked(true, locked);
    clearRecords();
    engine.group(member(10), member(20), frameA);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(engine.groupCount(), 1u);

    engine.group(member(10), member(11), frameA);
    EXPECT_EQ(live(10).activeWindowID, 10u);
    EXPECT_EQ(calls(), (Calls{WindowCall::raiseAndActivate(10)}));
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(LockTests, LockRefusesUserMembershipChangesOnly) {
    const Uuid locked = makeGroup({1, 2, 3}, 1);
    const Uuid other = makeGroup({4, 5}, 4);
    engine.setLocked(true, locked);
    clearRecords();

    engine.detach(2, true);
    engine.dissolveGroup(locked);
    engine.mergeGroups(other, locked);
    engine.mergeGroups(locked, other);
    engine.moveMember(4, 1, 0);
    engine.moveMember(1, 4, 0);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(live(1).windowIDs().size(), 3u);

    // Reordering, attributes and departures of windows still happen.
    engine.reorderTab(3, 0);
    engine.moveMember(3, 2, 2);
    engine.setName("Kept", locked);
    engine.handleWindowDestroyed(2);
    EXPECT_EQ(live(1).windowIDs(), (std::vector<WindowID>{1, 3}));
    EXPECT_EQ(events.size(), 4u);
}

class AdoptionTests : public GroupEngineTest {};

TEST_F(AdoptionTests, InvalidGroupsAreRefusedSilently) {
    makeGroup({1, 2}, 1);
    const std::vector<TabGroup> refused = {
        TabGroup(Uuid::random(), {member(7)}, 7, frameA),
        TabGroup(Uuid::random(), {member(7), member(8)}, 9, frameA),
        TabGroup(Uuid::random(), {member(7), member(2)}, 7, frameA),
        TabGroup(Uuid::random(), {member(7), member(8), member(7)}, 7, frameA),  // a window twice
        TabGroup(live(1).id, {member(7), member(8)}, 7, frameA),                // a live group's id
    };
    for (const auto& g : refused) engine.adoptGroup(g);
    EXPECT_EQ(engine.groupCount(), 1u);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(calls().empty());
}

TEST_F(AdoptionTests, AdoptionKeepsAttributesAndRebuildsRecency) {
    TabGroup g(Uuid::random(), {member(1), member(2), member(3)}, 2, frameB);
    g.mru = {3, 1, 2};
    g.missingSweeps = {{1, 3}};
    g.minimized = {3, 99};  // 99 is no member and must not stay
    g.suspended = {1};
    g.isLocked = true;
    g.name = "Work";
    g.groupAccent = TabColor(0, 1, 0);
    engine.adoptGroup(g);

    const TabGroup adopted = live(1);
    EXPECT_EQ(adopted.mru, (std::vector<WindowID>{2, 1, 3}));
    EXPECT_TRUE(adopted.missingSweeps.empty());
    EXPECT_EQ(adopted.minimized, (std::set<WindowID>{3}));
    EXPECT_EQ(adopted.suspended, (std::set<WindowID>{1}));
    EXPECT_TRUE(adopted.isLocked);
    EXPECT_EQ(adopted.name, "Work");
    EXPECT_EQ(adopted.groupAccent, TabColor(0, 1, 0));
    EXPECT_EQ(adopted.frame, frameB);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupCreated(adopted)}));
    EXPECT_TRUE(calls().empty());
}

class RemovalTests : public GroupEngineTest {};

TEST_F(RemovalTests, RemovingANonActiveMemberKeepsTheActiveOne) {
    makeGroup({1, 2, 3}, 1);
    engine.detach(2, true);
    EXPECT_EQ(live(1).activeWindowID, 1u);
    EXPECT_EQ(live(1).windowIDs(), (std::vector<WindowID>{1, 3}));
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(events.size(), 1u);
    EXPECT_FALSE(engine.group(2).has_value());
}

TEST_F(RemovalTests, RemovingFromATwoMemberGroupDissolvesItWithoutTouchingTheRest) {
    const Uuid id = makeGroup({1, 2}, 1);
    engine.handleWindowDestroyed(1);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupDissolved(id)}));
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(engine.group(2).has_value());
}

TEST_F(RemovalTests, DissolvingLeavesEveryWindowInPlace) {
    const Uuid id = makeGroup({1, 2, 3}, 1);
    engine.dissolveGroup(id);
    engine.dissolveGroup(id);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupDissolved(id)}));
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(engine.groupCount(), 0u);
}

TEST_F(RemovalTests, ClosingOnlyAsksTheWindows) {
    const Uuid id = makeGroup({1, 2, 3}, 1);
    engine.closeGroup(id);
    engine.closeTab(42);
    EXPECT_EQ(calls(), (Calls{WindowCall::close(1), WindowCall::close(2), WindowCall::close(3), WindowCall::close(42)}));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(live(1).windowIDs().size(), 3u);
}

TEST_F(RemovalTests, TerminatedApplicationRemovesItsActiveMemberLast) {
    makeGroup({5, 6, 7, 8}, 5, frameA, {{5, 9}, {6, 9}});
    engine.handleAppTerminated(9);
    const TabGroup g = live(7);
    EXPECT_EQ(g.windowIDs(), (std::vector<WindowID>{7, 8}));
    EXPECT_EQ(g.activeWindowID, 7u);
    EXPECT_EQ(calls(), (Calls{WindowCall::raiseAndActivate(7)}));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].group()->windowIDs(), (std::vector<WindowID>{5, 7, 8}));
    EXPECT_EQ(events[1], GroupEvent::groupChanged(g));
}

TEST_F(RemovalTests, TerminatedApplicationOwningAWholeGroupDissolvesItOnce) {
    const Uuid id = makeGroup({1, 2}, 2, frameA, {{1, 9}, {2, 9}});
    makeGroup({3, 4}, 3);
    engine.handleAppTerminated(9);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupDissolved(id)}));
    EXPECT_EQ(engine.groupCount(), 1u);
    EXPECT_EQ(live(3).windowIDs(), (std::vector<WindowID>{3, 4}));
}

class MoveAndMergeTests : public GroupEngineTest {};

TEST_F(MoveAndMergeTests, ReorderCountsPositionsInTheFinalOrder) {
    makeGroup({1, 2, 3}, 1);
    engine.reorderTab(1, 1);
    EXPECT_EQ(live(1).windowIDs(), (std::vector<WindowID>{2, 1, 3}));
    engine.reorderTab(1, 2);
    EXPECT_EQ(live(1).windowIDs(), (std::vector<WindowID>{2, 3, 1}));
    engine.reorderTab(1, -3);
    EXPECT_EQ(live(1).windowIDs(), (std::vector<WindowID>{1, 2, 3}));
    engine.reorderTab(1, 99);
    EXPECT_EQ(live(1).windowIDs(), (std::vector<WindowID>{2, 3, 1}));
    engine.reorderTab(1, 2);  // where it already is
    EXPECT_EQ(events.size(), 5u);
    EXPECT_EQ(live(1).mru, (std::vector<WindowID>{1, 2, 3}));
    EXPECT_TRUE(calls().empty());
}

TEST_F(MoveAndMergeTests, MovingTheActiveMemberOfATwoMemberGroup) {
    const Uuid source = makeGroup({4, 5}, 4, frameA);
    makeGroup({7, 8}, 7, frameB);
    engine.moveMember(4, 8, 1);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], GroupEvent::groupDissolved(source));
    const TabGroup g = live(4);
    EXPECT_EQ(events[1], GroupEvent::groupChanged(g));
    EXPECT_EQ(g.windowIDs(), (std::vector<WindowID>{7, 4, 8}));
    EXPECT_EQ(g.mru.front(), 4u);
    EXPECT_EQ(calls(), (Calls{WindowCall::setFrame(frameB, 4), WindowCall::raiseAndActivate(4)}));
    EXPECT_FALSE(engine.group(5).has_value());
}

TEST_F(MoveAndMergeTests, AMovedMinimisedMemberKeepsItsStateAndTheTargetItsActiveMember) {
    makeGroup({1, 2, 3}, 1);
    makeGroup({7, 8}, 7);
    engine.noteMinimized(2);
    clearRecords();
    engine.moveMember(2, 7, 5);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].group()->windowIDs(), (std::vector<WindowID>{1, 3}));
    const TabGroup g = live(2);
    EXPECT_EQ(events[1], GroupEvent::groupChanged(g));
    EXPECT_EQ(g.windowIDs(), (std::vector<WindowID>{7, 8, 2}));
    EXPECT_EQ(g.minimized, (std::set<WindowID>{2}));
    EXPECT_EQ(g.activeWindowID, 7u);
    EXPECT_EQ(g.mru.back(), 2u);
    EXPECT_TRUE(calls().empty());
}

TEST_F(MoveAndMergeTests, MergeAppendsTheSourceAndKeepsTheTargetsAttributes) {
    const Uuid source = makeGroup({1, 2}, 1, frameA);
    const Uuid target = makeGroup({3, 4}, 3, frameB);
    engine.noteMinimized(2);
    engine.setName("Target", target);
    engine.setName("Source", source);
    clearRecords();

    engine.mergeGroups(source, source);
    engine.mergeGroups(source, Uuid::random());
    EXPECT_TRUE(events.empty());

    engine.mergeGroups(source, target);
    const TabGroup g = live(1);
    EXPECT_EQ(g.id, target);
    EXPECT_EQ(g.windowIDs(), (std::vector<WindowID>{3, 4, 1, 2}));
    EXPECT_EQ(g.mru, (std::vector<WindowID>{3, 4, 1, 2}));
    EXPECT_EQ(g.minimized, (std::set<WindowID>{2}));
    EXPECT_EQ(g.activeWindowID, 3u);
    EXPECT_EQ(g.name, "Target");
    EXPECT_EQ(calls(), (Calls{WindowCall::setFrame(frameB, 1), WindowCall::raiseAndActivate(3)}));
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupDissolved(source), GroupEvent::groupChanged(g)}));
}

TEST_F(MoveAndMergeTests, RepointKeepsPlaceRecencyAndState) {
    makeGroup({1, 2, 3}, 2);
    engine.noteExternalFocus(3);
    engine.setActive(2);
    engine.noteMinimized(2);  // 3 takes over
    engine.setActive(2);      // an explicit activation still makes 2 active
    engine.setMemberAccent(TabColor(1, 0, 0), 2);
    const auto mruBefore = live(2).mru;
    clearRecords();

    engine.repointMember(2, 3, "Taken");  // 3 is grouped already
    engine.repointMember(50, 51, "None");
    EXPECT_TRUE(events.empty());

    engine.repointMember(2, 20, "Sibling");
    const TabGroup g = live(20);
    EXPECT_FALSE(engine.group(2).has_value());
    EXPECT_EQ(g.windowIDs(), (std::vector<WindowID>{1, 20, 3}));
    EXPECT_EQ(g.activeWindowID, 20u);
    EXPECT_EQ(g.minimized, (std::set<WindowID>{20}));
    EXPECT_EQ(g.mru[static_cast<std::size_t>(std::find(mruBefore.begin(), mruBefore.end(), 2) - mruBefore.begin())],
              20u);
    EXPECT_EQ(g.member(20)->lastKnownTitle, "Sibling");
    EXPECT_EQ(g.member(20)->accent, TabColor(1, 0, 0));
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupChanged(g)}));
    EXPECT_TRUE(calls().empty());
}

TEST_F(MoveAndMergeTests, HandlersMayCallBackIntoTheEngine) {
    // A handler that dissolves any group it is told about while an operation
    // that touches two groups is still running.
    makeGroup({1, 2}, 1);
    makeGroup({3, 4}, 3);
    engine.onEvent = [this](const GroupEvent& event) {
        events.push_back(event);
        if (event.kind() == Kind::groupChanged) engine.dissolveGroup(event.groupID());
    };
    engine.moveMember(1, 3, 0);
    engine.group(member(5), member(3), frameA);
    expectInvariants();
}

TEST_F(MoveAndMergeTests, AMergeReportsTheTargetAsItStandsAfterTheSourceEnded) {
    const Uuid source = makeGroup({1, 2}, 1);
    const Uuid target = makeGroup({3, 4}, 3);
    // A handler that ends the target when told of the source's end: no
    // report may then bring the target back.
    engine.onEvent = [this, target](const GroupEvent& event) {
        events.push_back(event);
        if (event.kind() == Kind::groupDissolved && event.groupID() != target) engine.dissolveGroup(target);
    };
    engine.mergeGroups(source, target);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupDissolved(source), GroupEvent::groupDissolved(target)}));
    EXPECT_EQ(engine.groupCount(), 0u);
}

}  // namespace
}  // namespace tessaly::testing
