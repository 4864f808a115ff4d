#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/ManualMainExecutor.h"
#include "Platform/Sim/SimDesktop.h"
#include "TessalyCore/GroupEngineFixture.h"
#include "TessalyCore/OffSpaceReconciler.h"

namespace tessaly {
namespace {

using Set = OffSpaceReconciler::WindowIDSet;

class OffSpace : public testing::GroupEngineTest {
protected:
    void SetUp() override {
        GroupEngineTest::SetUp();
        group = makeGroup({1, 2, 3}, 1, frameA, {{1, 10}, {2, 20}, {3, 30}});
    }

    // One sweep with the given windows on the current Space; every window
    // of the group is alive unless told otherwise.
    void sweep(const Set& onScreen, double at, OffSpacePolicy policy = OffSpacePolicy::suspend) {
        reconciler.reconcile(
            alive, onScreen, at, policy, [this](const Uuid& id) { return !(busy && id == group); },
            [this](WindowID id) { return recentlyMinimized.contains(id); },
            [this](WindowID id) { return tabbedAside.contains(id); },
            [this](WindowID id) { rehomed.push_back(id); }, isAppHidden);
    }
    std::vector<WindowID> memberIDs() const { return live(1).windowIDs(); }
    bool suspended(WindowID id) const { return live(1).suspended.contains(id); }

    OffSpaceReconciler reconciler{engine};
    Uuid group;
    Set alive{1, 2, 3};
    Set recentlyMinimized;
    Set tabbedAside;
    bool busy = false;
    std::function<bool(ProcessID)> isAppHidden = [](ProcessID) { return false; };
    std::vector<WindowID> rehomed;
    const double t0 = 5000;
};

TEST_F(OffSpace, SuspendPolicySuspendsAStrayAtOnce) {
    sweep({1, 2}, t0);
    EXPECT_TRUE(suspended(3));
    EXPECT_TRUE(reconciler.isOffSpaceSuspended(3));
    EXPECT_FALSE(reconciler.isOffSpaceSuspended(2));
}

TEST_F(OffSpace, DetachPolicyWaitsAFullSecond) {
    sweep({1, 2}, t0, OffSpacePolicy::detach);
    sweep({1, 2}, t0 + 0.99, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs(), (std::vector<WindowID>{1, 2, 3}));
    clearRecords();
    sweep({1, 2}, t0 + 1.0, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs(), (std::vector<WindowID>{1, 2}));
    // The remaining members were not raised.
    for (const auto& call : windows->calls) EXPECT_NE(call.kind, testing::WindowCall::Kind::raiseAndActivate);
    EXPECT_TRUE(reconciler.detachCountdowns().empty());
}

TEST_F(OffSpace, ReturningDropsTheDetachCountdown) {
    sweep({1, 2}, t0, OffSpacePolicy::detach);
    sweep({1, 2, 3}, t0 + 0.5, OffSpacePolicy::detach);
    EXPECT_TRUE(reconciler.detachCountdowns().empty());
    sweep({1, 2}, t0 + 0.8, OffSpacePolicy::detach);
    sweep({1, 2}, t0 + 1.7, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs().size(), 3u);
    sweep({1, 2}, t0 + 1.8, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs().size(), 2u);
}

TEST_F(OffSpace, GroupEntirelyElsewhereIsLeftAlone) {
    sweep({}, t0, OffSpacePolicy::suspend);
    sweep({99}, t0 + 5, OffSpacePolicy::detach);
    EXPECT_TRUE(live(1).suspended.empty());
    EXPECT_EQ(memberIDs().size(), 3u);
    EXPECT_TRUE(reconciler.detachCountdowns().empty());
}

TEST_F(OffSpace, OnlySuspendedMembersOnScreenIsNoHomePresence) {
    engine.suspendMember(2);
    sweep({2}, t0, OffSpacePolicy::suspend);
    EXPECT_FALSE(suspended(1));
    EXPECT_FALSE(suspended(3));
}

TEST_F(OffSpace, ReturnedMemberIsResumedAfterHalfASecondWithTheActiveWindow) {
    sweep({1, 2}, t0);
    ASSERT_TRUE(suspended(3));
    sweep({1, 2, 3}, t0 + 1);
    sweep({1, 2, 3}, t0 + 1.49);
    EXPECT_TRUE(suspended(3));
    sweep({2, 3}, t0 + 1.6);  // the active window is away: the countdown starts over
    sweep({1, 2, 3}, t0 + 1.7);
    sweep({1, 2, 3}, t0 + 2.1);
    EXPECT_TRUE(suspended(3));
    sweep({1, 2, 3}, t0 + 2.2);
    EXPECT_FALSE(suspended(3));
    EXPECT_FALSE(reconciler.isOffSpaceSuspended(3));
}

TEST_F(OffSpace, SomeoneElsesSuspensionIsNeverResumed) {
    engine.suspendMember(3);
    sweep({1, 2, 3}, t0);
    sweep({1, 2, 3}, t0 + 10);
    EXPECT_TRUE(suspended(3));
}

TEST_F(OffSpace, AbsencesWithAnotherExplanationAreNotStrays) {
    engine.noteMinimized(2);
    recentlyMinimized = {3};
    sweep({1}, t0);
    EXPECT_FALSE(suspended(2));
    EXPECT_FALSE(suspended(3));

    recentlyMinimized.clear();
    tabbedAside = {3};
    sweep({1}, t0 + 1);
    EXPECT_FALSE(suspended(3));

    tabbedAside.clear();
    isAppHidden = [](ProcessID pid) { return pid == 30; };
    sweep({1}, t0 + 2);
    EXPECT_FALSE(suspended(3));

    isAppHidden = [](ProcessID) { return false; };
    alive = {1, 2};  // window 3 is gone
    sweep({1}, t0 + 3);
    EXPECT_FALSE(suspended(3));
}

TEST_F(OffSpace, DefaultHiddenTestAsksTheWorkspace) {
    VirtualClock clock;
    ManualMainExecutor main(clock);
    auto desktop = std::make_shared<SimDesktop>(clock, main);
    desktop->addApplication({30, "org.example.three", "Three", "/apps/three.desktop"});
    desktop->setHidden(30, true);
    EXPECT_TRUE(OffSpaceReconciler::isAppHiddenByAppKit(*desktop, 30));
    EXPECT_FALSE(OffSpaceReconciler::isAppHiddenByAppKit(*desktop, 31));

    OffSpaceReconciler withWorkspace(engine, desktop);
    withWorkspace.reconcile(alive, {1, 2}, t0, OffSpacePolicy::suspend, {}, {}, {}, {});
    EXPECT_FALSE(suspended(3));
    desktop->setHidden(30, false);
    withWorkspace.reconcile(alive, {1, 2}, t0 + 1, OffSpacePolicy::suspend, {}, {}, {}, {});
    EXPECT_TRUE(suspended(3));
}

TEST_F(OffSpace, RehomeGraceGivesEachStrayOneAttemptFirst) {
    reconciler.noteDisplaySettleEnded(t0);
    EXPECT_TRUE(reconciler.isInRehomeGrace(t0 + 14.9));
    EXPECT_FALSE(reconciler.isInRehomeGrace(t0 + 15));
    sweep({1, 2}, t0 + 1);
    EXPECT_EQ(rehomed, (std::vector<WindowID>{3}));
    EXPECT_FALSE(suspended(3));
    sweep({1, 2}, t0 + 2);  // still in the grace: the policy applies now
    EXPECT_EQ(rehomed.size(), 1u);
    EXPECT_TRUE(suspended(3));
}

TEST_F(OffSpace, NewSettleGivesAFreshAttempt) {
    reconciler.noteDisplaySettleEnded(t0);
    sweep({1, 2}, t0 + 1, OffSpacePolicy::detach);
    sweep({1, 2}, t0 + 2, OffSpacePolicy::detach);  // detach countdown starts
    reconciler.noteDisplaySettleEnded(t0 + 2.5);
    sweep({1, 2}, t0 + 3, OffSpacePolicy::detach);
    EXPECT_EQ(rehomed, (std::vector<WindowID>{3, 3}));
    EXPECT_EQ(memberIDs().size(), 3u);
    // The pass that rehomed did not keep counting: the countdown starts again.
    EXPECT_TRUE(reconciler.detachCountdowns().empty());
}

TEST_F(OffSpace, GroupMovedByAGestureIsSkipped) {
    sweep({1, 2}, t0);  // 3 suspended by us
    sweep({1, 2, 3}, t0 + 1);  // rejoin countdown starts
    ASSERT_TRUE(reconciler.rejoinCountdowns().contains(3));
    busy = true;
    sweep({1, 2, 3}, t0 + 5);
    EXPECT_TRUE(suspended(3));
    EXPECT_TRUE(reconciler.rejoinCountdowns().contains(3));  // kept
    busy = false;
    sweep({1, 2, 3}, t0 + 5.1);
    EXPECT_FALSE(suspended(3));
}

TEST_F(OffSpace, GestureDropsDetachCountdowns) {
    sweep({1, 2}, t0, OffSpacePolicy::detach);
    busy = true;
    sweep({1, 2}, t0 + 0.5, OffSpacePolicy::detach);
    EXPECT_TRUE(reconciler.detachCountdowns().empty());
    busy = false;
    sweep({1, 2}, t0 + 1.2, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs().size(), 3u);  // counting afresh from here
}

TEST_F(OffSpace, LockedGroupKeepsItsStrayAndTriesAgainLater) {
    std::vector<std::string> lines;
    Log::setDiagnosticsEnabled(true);
    Log::setSink([&](LogLevel, LogCategory category, std::string_view message) {
        if (category == LogCategory::reconcile) lines.emplace_back(message);
    });
    engine.setLocked(true, group);
    sweep({1, 2}, t0, OffSpacePolicy::detach);
    sweep({1, 2}, t0 + 1, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs().size(), 3u);
    EXPECT_TRUE(reconciler.detachCountdowns().empty());
    sweep({1, 2}, t0 + 1.5, OffSpacePolicy::detach);
    sweep({1, 2}, t0 + 2.5, OffSpacePolicy::detach);
    Log::setSink(nullptr);
    Log::setDiagnosticsEnabled(false);
    EXPECT_EQ(lines, (std::vector<std::string>{"off-Space DETACH 3 'Window 3'", "off-Space DETACH 3 'Window 3'"}));
}

TEST_F(OffSpace, ResetAndCountdownClearing) {
    sweep({1, 2}, t0);  // 3 suspended
    sweep({1, 2, 3}, t0 + 1);
    reconciler.clearConfirmationCountdowns();
    EXPECT_TRUE(reconciler.rejoinCountdowns().empty());
    EXPECT_TRUE(reconciler.isOffSpaceSuspended(3));
    reconciler.noteDisplaySettleEnded(t0);
    reconciler.reset();
    EXPECT_FALSE(reconciler.isOffSpaceSuspended(3));
    EXPECT_FALSE(reconciler.isInRehomeGrace(t0));
}

TEST_F(OffSpace, TablesForgetWindowsThatLeftTheGroups) {
    sweep({1, 2}, t0);
    ASSERT_TRUE(reconciler.isOffSpaceSuspended(3));
    engine.handleWindowDestroyed(3);
    sweep({1, 2}, t0 + 1);
    EXPECT_FALSE(reconciler.isOffSpaceSuspended(3));
}

TEST_F(OffSpace, SpaceVerdictSetsAMemberAgainstTheRestOfItsGroup) {
    using V = OffSpaceReconciler::SpaceVerdict;
    const TabGroup g = live(1);
    const auto verdict = [&](std::unordered_map<WindowID, std::uint32_t> spaces) {
        return OffSpaceReconciler::spaceVerdict(3, g, spaces);
    };
    EXPECT_EQ(verdict({{1, 0}, {2, 0}, {3, 1}}), V::apart);
    EXPECT_EQ(verdict({{1, 1}, {2, 0}, {3, 1}}), V::together) << "one member shares its desktop";
    EXPECT_EQ(verdict({{1, WindowInfo::allSpaces}, {3, 1}}), V::together) << "a window on every desktop shares any";
    EXPECT_EQ(verdict({{1, 0}, {3, WindowInfo::allSpaces}}), V::together);
    EXPECT_EQ(verdict({{1, 0}, {2, 0}}), V::unknown) << "its own desktop unknown";
    EXPECT_EQ(verdict({{3, 1}}), V::unknown) << "nobody to compare with";
    engine.suspendMember(2);
    EXPECT_EQ(OffSpaceReconciler::spaceVerdict(3, live(1), {{2, 1}, {3, 1}}), V::unknown)
        << "a suspended member is not where the group is";
}

// The window manager's word that a member went elsewhere needs no
// confirmation, and following the member there does not turn the tables.
TEST_F(OffSpace, AMemberTheWindowManagerMovedAwayLeavesAtTheNextPassWhereverTheUserLooks) {
    reconciler.noteDisplaySettleEnded(t0 - 1);  // a rehome would not bring it back either
    reconciler.noteMemberMoved(3, OffSpaceReconciler::SpaceVerdict::apart);
    EXPECT_TRUE(reconciler.hasLeftGroupSpace(3));
    // The user is where it went: 3 is the only member on screen.
    sweep({3}, t0, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs(), (std::vector<WindowID>{1, 2}));
    EXPECT_TRUE(rehomed.empty());
    EXPECT_TRUE(reconciler.detachCountdowns().empty());
    EXPECT_FALSE(reconciler.hasLeftGroupSpace(3));

    // Under suspend it is set aside at once and its mark dropped; a mark
    // taken back before a pass changes nothing.
    reconciler.noteMemberMoved(2, OffSpaceReconciler::SpaceVerdict::apart);
    reconciler.noteMemberMoved(1, OffSpaceReconciler::SpaceVerdict::apart);
    reconciler.noteMemberMoved(1, OffSpaceReconciler::SpaceVerdict::together);
    reconciler.noteMemberMoved(1, OffSpaceReconciler::SpaceVerdict::unknown);
    sweep({1}, t0 + 0.1, OffSpacePolicy::suspend);
    EXPECT_TRUE(suspended(2));
    EXPECT_FALSE(suspended(1));
    EXPECT_FALSE(reconciler.hasLeftGroupSpace(2));
}

TEST_F(OffSpace, AMemberThatLeftWaitsOutAGestureAndALock) {
    reconciler.noteMemberMoved(3, OffSpaceReconciler::SpaceVerdict::apart);
    busy = true;
    sweep({1, 2}, t0, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs().size(), 3u);
    EXPECT_TRUE(reconciler.hasLeftGroupSpace(3)) << "kept through the gesture";
    busy = false;
    engine.setLocked(true, group);
    sweep({1, 2}, t0 + 0.1, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs().size(), 3u);
    EXPECT_TRUE(reconciler.hasLeftGroupSpace(3)) << "a locked group keeps it, and so does the mark";
    engine.setLocked(false, group);
    sweep({3}, t0 + 0.2, OffSpacePolicy::detach);
    EXPECT_EQ(memberIDs(), (std::vector<WindowID>{1, 2}));
}

}  // namespace
}  // namespace tessaly
