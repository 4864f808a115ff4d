#include "TessalyCore/HandoffRestorePlanner.h"

#include <limits>

#include <gtest/gtest.h>

#include "Platform/ManualMainExecutor.h"
#include "Platform/Sim/SimDesktop.h"
#include "TessalyCore/UpdateHandoffForecast.h"

namespace tessaly {
namespace {

using HandoffRestorePlanner::plan;

UpdateHandoff::Member m(WindowID id, ProcessID pid = 1) {
    UpdateHandoff::Member member;
    member.windowID = id;
    member.pid = pid;
    member.lastKnownTitle = "w";
    return member;
}

UpdateHandoff::Group g(std::vector<UpdateHandoff::Member> members, WindowID active, Uuid id = Uuid::random()) {
    UpdateHandoff::Group group;
    group.id = id;
    group.name = "n";
    group.frame = Rect(0, 0, 100, 100);
    group.activeWindowID = active;
    group.members = std::move(members);
    return group;
}

std::vector<WindowID> ids(const HandoffRestorePlanner::GroupPlan& p) {
    std::vector<WindowID> result;
    for (const auto& member : p.members) result.push_back(member.windowID);
    return result;
}

const std::map<WindowID, ProcessID> alive{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 2}};
const std::set<WindowID> all{1, 2, 3, 4, 5};

TEST(HandoffRestorePlannerTests, KeepsLiveMembersInSavedOrder) {
    const UpdateHandoff h(0, 0, {g({m(3), m(9), m(1)}, 3)});
    const auto plans = plan(h, alive, all, {});
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_EQ(ids(plans[0]), (std::vector<WindowID>{3, 1}));
    EXPECT_EQ(plans[0].activeWindowID, 3u);
    EXPECT_EQ(plans[0].name, "n");
    EXPECT_EQ(plans[0].id, h.groups[0].id);
    // Two members, one closed: nothing.
    EXPECT_TRUE(plan(UpdateHandoff(0, 0, {g({m(1), m(9)}, 1)}), alive, all, {}).empty());
    // An id now owned by another process counts as closed.
    EXPECT_TRUE(plan(UpdateHandoff(0, 0, {g({m(1), m(5, 1)}, 1)}), alive, all, {}).empty());
}

TEST(HandoffRestorePlannerTests, UnlistableMemberSkipsTheGroupAndFreesItsWindows) {
    const UpdateHandoff h(0, 0, {g({m(1), m(2), m(3)}, 1), g({m(1), m(2)}, 2)});
    const auto plans = plan(h, alive, {1, 2}, {});
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_EQ(plans[0].id, h.groups[1].id);
    EXPECT_TRUE(plan(h, alive, {}, {}).empty());
    EXPECT_TRUE(plan(h, {}, all, {}).empty());
    EXPECT_TRUE(plan(UpdateHandoff(0, 0, {}), alive, all, {}).empty());
}

TEST(HandoffRestorePlannerTests, AWindowGoesToTheFirstGroupOnly) {
    const UpdateHandoff h(0, 0, {g({m(1), m(2)}, 1), g({m(2), m(3), m(4)}, 2)});
    const auto plans = plan(h, alive, all, {});
    ASSERT_EQ(plans.size(), 2u);
    EXPECT_EQ(ids(plans[1]), (std::vector<WindowID>{3, 4}));
    EXPECT_EQ(plans[1].activeWindowID, 3u);  // the saved active one was taken
}

TEST(HandoffRestorePlannerTests, ActiveMemberAvoidsMinimisedWindows) {
    const UpdateHandoff h(0, 0, {g({m(1), m(2), m(3)}, 2)});
    auto plans = plan(h, alive, all, {2});
    EXPECT_EQ(plans[0].activeWindowID, 1u);
    EXPECT_EQ(plans[0].minimized, (std::set<WindowID>{2}));
    plans = plan(h, alive, all, {1, 2, 3});
    EXPECT_EQ(plans[0].activeWindowID, 2u);
    EXPECT_EQ(plans[0].minimized, (std::set<WindowID>{1, 2, 3}));
    plans = plan(UpdateHandoff(0, 0, {g({m(1), m(2), m(3)}, 9)}), alive, all, {1, 2, 3});
    EXPECT_EQ(plans[0].activeWindowID, 1u);
}

TEST(HandoffRestorePlannerTests, DuplicatesAndBadFramesNeverReachTheEngine) {
    const Uuid same = Uuid::random();
    auto bad = g({m(3), m(4)}, 3);
    bad.frame = Rect(std::numeric_limits<double>::quiet_NaN(), 0, 1, 1);
    const UpdateHandoff h(0, 0, {g({m(1), m(1), m(2)}, 1, same), g({m(3), m(4)}, 3, same), bad});
    const auto plans = plan(h, alive, all, {});
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_EQ(ids(plans[0]), (std::vector<WindowID>{1, 2}));
}

TabGroup tabGroup(std::vector<WindowID> windows) {
    std::vector<GroupMember> members;
    for (const WindowID id : windows) members.emplace_back(id, static_cast<ProcessID>(id * 10), "t");
    return TabGroup(Uuid::random(), members, windows.front(), Rect(0, 0, 10, 10));
}

TEST(UpdateHandoffForecastTests, GroupsWithoutAVisibleUsableMemberListNothing) {
    using UpdateHandoffForecast::unbindableMembers;
    const auto never = [](WindowID) { return false; };
    const auto visible = [](ProcessID) { return false; };
    EXPECT_TRUE(unbindableMembers({tabGroup({1, 2})}, {1, 2}, {}, never, visible).empty());
    auto suspendedOnly = tabGroup({1, 2});
    suspendedOnly.suspended = {1};
    EXPECT_TRUE(unbindableMembers({suspendedOnly}, {1, 2}, {1}, never, visible).empty());
}

TEST(UpdateHandoffForecastTests, ListsSuspendedAndHiddenAwayMembers) {
    using UpdateHandoffForecast::unbindableMembers;
    auto group = tabGroup({1, 2, 3, 4, 5, 6, 7});
    group.suspended = {2};
    group.minimized = {3};
    // 1 on screen; 4 gone; 5 of a hidden app; 6 recently minimised; 7 alive off screen.
    std::vector<WindowID> hiddenAsked;
    const auto listed = unbindableMembers(
        {group}, {1, 2, 3, 5, 6, 7}, {1}, [](WindowID id) { return id == 6; },
        [&](ProcessID pid) {
            hiddenAsked.push_back(static_cast<WindowID>(pid / 10));
            return pid == 50;
        });
    EXPECT_EQ(listed, (std::vector<WindowID>{2, 7}));
    EXPECT_EQ(hiddenAsked, (std::vector<WindowID>{5, 6, 7}));
}

TEST(UpdateHandoffForecastTests, WindowsANewProcessListsOnEveryDesktopAreNeverLost) {
    using UpdateHandoffForecast::unbindableMembers;
    const auto never = [](WindowID) { return false; };
    const auto visible = [](ProcessID) { return false; };
    // 1 on screen; 2 suspended on another desktop; 3 alive on another desktop.
    auto group = tabGroup({1, 2, 3});
    group.suspended = {2};
    EXPECT_EQ(unbindableMembers({group}, {1, 2, 3}, {1}, never, visible), (std::vector<WindowID>{2, 3}))
        << "where only the current desktop's windows are listed, both are lost";
    EXPECT_TRUE(unbindableMembers({group}, {1, 2, 3}, {1}, never, visible, {1, 2, 3}).empty())
        << "where every desktop's windows are listed, both are found again";
}

TEST(UpdateHandoffForecastTests, HiddenApplicationsAreAskedOfTheWorkspace) {
    VirtualClock clock;
    ManualMainExecutor main(clock);
    const auto desktop = std::make_shared<SimDesktop>(clock, main);
    desktop->addApplication({20, "org.example.two", "Two", "/apps/two.desktop"});
    desktop->addApplication({30, "org.example.three", "Three", "/apps/three.desktop"});
    desktop->setHidden(20, true);
    // 1 on screen; 2 belongs to a hidden application, 3 to a visible one.
    const auto listed = UpdateHandoffForecast::unbindableMembers({tabGroup({1, 2, 3})}, {1, 2, 3}, {1},
                                                                 [](WindowID) { return false; }, *desktop);
    EXPECT_EQ(listed, (std::vector<WindowID>{3}));
}

}  // namespace
}  // namespace tessaly
