// Members sent to another desktop by the window manager, on the simulated
// desktop: the off-desktop policy applies as the window manager reports the
// move, for the active member as for any other, the user following the
// member there changes nothing for the rest of its group, and no bar shows
// on a desktop where its group has no member. A move during a drag of the
// group waits for the drag's end and leaves nothing apart.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class SessionDesktops : public SessionDesktop {
protected:
    // Windows 1 to 3 on desktop 0, one group, window 1 active.
    TabGroup trio(OffSpacePolicy policy) {
        env.desktop->setSpaceCount(2);
        addWindow(1, editor, home, 0u);
        addWindow(2, terminal, home, 0u);
        addWindow(3, browser, home, 0u);
        start(false);
        session->offSpacePolicy = policy;
        groupWindows(2, 1);
        groupWindows(3, 1);
        session->engine().setActive(1);
        run(0.1);
        return *session->engine().group(1);
    }
    const FakeBarRecord& bar(const TabGroup& group) const { return overlay->barFor(group.id); }
    std::vector<WindowID> members(const TabGroup& group) const { return session->engine().group(group.id)->windowIDs(); }
};

TEST_F(SessionDesktops, TheActiveMemberSentAwayLeavesAtOnceAndTheBarStaysWithTheRest) {
    const TabGroup group = trio(OffSpacePolicy::detach);
    ASSERT_TRUE(bar(group).isShown);

    env.desktop->moveWindowToSpace(1, 1);
    settle();  // no sweep, no countdown: the report is enough
    EXPECT_EQ(members(group), (std::vector<WindowID>{2, 3}));
    EXPECT_TRUE(bar(group).isShown);
    EXPECT_NE(bar(group).lastRender().tabs.size(), 3u);

    // The user follows it: the rest of the group is not taken for strays,
    // and its bar does not come along.
    env.desktop->switchSpace(1);
    run(3.0);
    EXPECT_FALSE(bar(group).isShown);
    EXPECT_EQ(members(group), (std::vector<WindowID>{2, 3}));
    env.desktop->switchSpace(0);
    settle();
    EXPECT_TRUE(bar(group).isShown);
}

TEST_F(SessionDesktops, UnderSuspendTheMemberFollowedAwayIsSetAsideAndTakenBackOnItsReturn) {
    const TabGroup group = trio(OffSpacePolicy::suspend);

    // Sent away, the user at once after it (the window manager tells of the
    // window first).
    env.desktop->moveWindowToSpace(1, 1);
    env.desktop->switchSpace(1);
    settle();
    const TabGroup now = *session->engine().group(group.id);
    EXPECT_EQ(now.suspended, (std::set<WindowID>{1}));
    EXPECT_NE(now.activeWindowID, 1u) << "a member on the group's desktop took over";
    EXPECT_FALSE(bar(group).isShown) << "nothing of the group is usable here";
    run(3.0);
    EXPECT_EQ(session->engine().group(group.id)->suspended, (std::set<WindowID>{1}));

    // Back with its group, it rejoins the group frame.
    env.desktop->moveWindow(1, Rect(300, 300, 500, 400));
    env.desktop->moveWindowToSpace(1, 0);
    env.desktop->switchSpace(0);
    run(1.2);
    EXPECT_TRUE(session->engine().group(group.id)->suspended.empty());
    EXPECT_EQ(frameOf(1), home);
    EXPECT_TRUE(bar(group).isShown);
}

TEST_F(SessionDesktops, AMemberSentAwayDuringABarDragLeavesWhenTheDragEndsAndTheRestStaysTogether) {
    const TabGroup group = trio(OffSpacePolicy::detach);
    session->tabBarDidDragBy(group.id, {40, 30}, 0);
    settle();
    ASSERT_TRUE(session->barDrags().contains(group.id));

    env.desktop->moveWindowToSpace(3, 1);
    run(2.0);
    EXPECT_EQ(members(group).size(), 3u) << "left alone while its group is dragged";

    session->tabBarDidEndDrag(group.id);
    run(1.2);
    EXPECT_EQ(members(group), (std::vector<WindowID>{1, 2}));
    const Rect dropped = session->engine().group(group.id)->frame;
    EXPECT_EQ(dropped, Rect(140, 130, 700, 500));
    EXPECT_EQ(frameOf(1), dropped);
    EXPECT_EQ(frameOf(2), dropped) << "the parked member came back";
    EXPECT_TRUE(bar(group).isShown);
}

TEST_F(SessionDesktops, TheActiveMemberSentAwayDuringAMaximiseLeavesTheRestMaximisedTogether) {
    const TabGroup group = trio(OffSpacePolicy::detach);
    const Rect maximised{0, 55, 1920, 1025};
    session->tabBarDidRequestMaximize(group.id);
    env.desktop->moveWindowToSpace(1, 1);
    run(1.5);
    EXPECT_EQ(members(group), (std::vector<WindowID>{2, 3}));
    EXPECT_EQ(session->engine().group(group.id)->frame, maximised);
    EXPECT_EQ(frameOf(2), maximised);
    EXPECT_EQ(frameOf(3), maximised);
    EXPECT_TRUE(bar(group).isShown);
}

}  // namespace
}  // namespace tessaly::testing
