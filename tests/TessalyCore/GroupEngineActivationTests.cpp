// The active member, recency order, the minimised and suspended sets, and who
// succeeds an active member that goes away.
#include "TessalyCore/GroupEngineFixture.h"

namespace tessaly::testing {
namespace {

using Calls = std::vector<WindowCall>;
using Ids = std::vector<WindowID>;

class RecencyTests : public GroupEngineTest {};

TEST_F(RecencyTests, SetActiveAlwaysRaisesAndReports) {
    makeGroup({1, 2, 3}, 1);
    engine.setActive(1);
    EXPECT_EQ(calls(), (Calls{WindowCall::raiseAndActivate(1)}));
    EXPECT_EQ(events.size(), 1u);
    engine.setActive(3);
    EXPECT_EQ(live(1).mru, (Ids{3, 1, 2}));
    engine.setActive(99);
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(RecencyTests, ExternalFocusPromotesWithoutWindowCalls) {
    makeGroup({1, 2, 3}, 1);
    engine.noteExternalFocus(1);  // already active
    EXPECT_TRUE(events.empty());
    engine.suspendMember(3);
    clearRecords();
    engine.noteExternalFocus(3);  // suspended
    EXPECT_TRUE(events.empty());

    engine.noteMinimized(2);
    clearRecords();
    engine.noteExternalFocus(2);  // minimised members are promoted all the same
    EXPECT_EQ(live(1).activeWindowID, 2u);
    EXPECT_EQ(live(1).mru, (Ids{2, 1, 3}));
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(RecencyTests, NewcomersJoinAtTheEndOfRecencyUntilActivated) {
    makeGroup({1, 2}, 1);
    makeGroup({5, 6}, 5);
    engine.suspendMember(6);
    engine.moveMember(6, 1, 0);  // a suspended newcomer is not activated
    EXPECT_EQ(live(1).mru, (Ids{1, 2, 6}));
    engine.group(member(9), member(2), frameA);
    EXPECT_EQ(live(1).mru, (Ids{9, 1, 2, 6}));
}

class CyclingTests : public GroupEngineTest {};

TEST_F(CyclingTests, CyclingSkipsMembersThatAreNotUsable) {
    makeGroup({1, 2, 3}, 3);  // A=1, B=2, C=3
    engine.noteMinimized(2);
    clearRecords();
    engine.cycleActive(2, true);  // starts from the active member, whichever is named
    EXPECT_EQ(live(1).activeWindowID, 1u);
    EXPECT_EQ(calls(), (Calls{WindowCall::raiseAndActivate(1)}));

    engine.noteDeminiaturized(2);
    engine.setActive(1);
    engine.suspendMember(3);
    clearRecords();
    engine.cycleActive(1, false);
    EXPECT_EQ(live(1).activeWindowID, 2u);
}

TEST_F(CyclingTests, NothingHappensWithoutAnotherUsableMember) {
    makeGroup({1, 2, 3}, 1);
    engine.noteMinimized(2);
    engine.suspendMember(3);
    clearRecords();
    engine.cycleActive(1, true);
    engine.cycleActive(1, false);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(calls().empty());
}

class SuccessionTests : public GroupEngineTest {};

TEST_F(SuccessionTests, RemovalPicksTheMostRecentUsableMember) {
    makeGroup({1, 2, 3}, 1);  // mru [1, 2, 3]
    engine.noteMinimized(2);
    engine.setActive(1);
    clearRecords();
    engine.detach(1, true);
    EXPECT_EQ(live(2).activeWindowID, 3u);
    EXPECT_EQ(live(2).mru, (Ids{2, 3}));  // not reordered
    EXPECT_EQ(calls(), (Calls{WindowCall::raiseAndActivate(3)}));
}

TEST_F(SuccessionTests, RemovalFallsBackToTheMostRecentMemberWithoutRaising) {
    makeGroup({1, 2, 3, 4}, 1);
    engine.noteMinimized(2);
    engine.suspendMember(3);
    engine.noteMinimized(4);
    engine.setActive(1);
    clearRecords();
    engine.handleWindowDestroyed(1);
    EXPECT_EQ(live(2).activeWindowID, 2u);
    EXPECT_TRUE(calls().empty());
}

TEST_F(SuccessionTests, DetachWithoutRaiseStillChoosesASuccessor) {
    makeGroup({1, 2, 3}, 1);
    engine.detach(1, false);
    EXPECT_EQ(live(2).activeWindowID, 2u);
    EXPECT_TRUE(calls().empty());
}

class SuspensionTests : public GroupEngineTest {};

TEST_F(SuspensionTests, SuspendingTheActiveMemberPromotesWithoutRaising) {
    makeGroup({1, 2, 3}, 1);
    engine.noteMinimized(2);
    engine.setActive(1);
    clearRecords();
    engine.suspendMember(1);
    EXPECT_EQ(live(1).activeWindowID, 3u);
    EXPECT_EQ(live(1).mru, (Ids{3, 1, 2}));
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(events.size(), 1u);
    engine.suspendMember(1);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(SuspensionTests, ResumingPutsTheMemberBackIntoTheFrame) {
    makeGroup({1, 2}, 1, frameB);
    engine.resumeMember(2);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(calls().empty());
    engine.suspendMember(2);
    clearRecords();
    engine.resumeMember(2);
    EXPECT_EQ(calls(), (Calls{WindowCall::setFrame(frameB, 2)}));
    EXPECT_EQ(live(1).activeWindowID, 1u);
    EXPECT_TRUE(live(1).suspended.empty());
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(SuspensionTests, MinimisingTheActiveMemberRaisesItsSuccessor) {
    makeGroup({1, 2, 3}, 1);
    engine.noteMinimized(1);
    EXPECT_EQ(live(1).activeWindowID, 2u);
    EXPECT_EQ(calls(), (Calls{WindowCall::raiseAndActivate(2)}));
    engine.noteMinimized(1);
    EXPECT_EQ(events.size(), 1u);

    engine.noteMinimized(3);
    engine.noteMinimized(2);  // the last usable member stays active
    EXPECT_EQ(live(1).activeWindowID, 2u);
    EXPECT_TRUE(live(1).isFullyMinimized());
    EXPECT_EQ(calls(), Calls{});
}

TEST_F(SuspensionTests, RestoringMakesTheMemberActiveInTheGroupFrame) {
    makeGroup({1, 2, 3}, 1, frameB);
    engine.noteMinimized(3);
    clearRecords();
    engine.noteDeminiaturized(3);
    EXPECT_EQ(calls(), (Calls{WindowCall::setFrame(frameB, 3), WindowCall::raiseAndActivate(3)}));
    EXPECT_EQ(live(1).activeWindowID, 3u);
    EXPECT_EQ(live(1).mru.front(), 3u);
    EXPECT_EQ(events.size(), 1u);
    engine.noteDeminiaturized(3);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(SuspensionTests, RestoringASuspendedMemberOnlyUpdatesTheSet) {
    makeGroup({1, 2}, 1);
    engine.noteMinimized(2);
    engine.suspendMember(2);
    clearRecords();
    engine.noteDeminiaturized(2);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(live(1).activeWindowID, 1u);
    EXPECT_TRUE(live(1).minimized.empty());
    EXPECT_EQ(live(1).suspended, (std::set<WindowID>{2}));
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(SuspensionTests, LeavingTheGroupClearsEverySet) {
    makeGroup({1, 2, 3}, 1);
    engine.noteMinimized(2);
    engine.suspendMember(2);
    engine.sweep(std::set<WindowID>{1, 3});
    engine.detach(2, false);
    const TabGroup g = live(1);
    EXPECT_TRUE(g.minimized.empty());
    EXPECT_TRUE(g.suspended.empty());
    EXPECT_TRUE(g.missingSweeps.empty());
}

}  // namespace
}  // namespace tessaly::testing
