// Groups carried across a relaunch: the record written from live groups,
// the members a relaunch could not bind (warned about, detached, and left out
// of the record), and the groups rebuilt on the same windows by the next
// process, also when windows vanished or changed hands meanwhile.
#include <nlohmann/json.hpp>

#include <functional>
#include <utility>

#include "TessalySession/SessionDesktop.h"

namespace tessaly {
// The shell saves and rebuilds groups through these two.
static_assert(requires(GroupSession& session, const UpdateHandoff& handoff) {
    { session.makeUpdateHandoff() } -> std::same_as<std::optional<UpdateHandoff>>;
    session.restore(handoff);
});
}  // namespace tessaly

namespace tessaly::testing {
namespace {

class RelaunchHandoff : public SessionDesktop {
protected:
    static constexpr ProcessID player = 104;

    // What the shell does around a relaunch: the record goes through the
    // file's form, the old session ends, a new one starts and restores it.
    // `meanwhile` happens while the restore is under way.
    void relaunch(const UpdateHandoff& written, const std::function<void()>& meanwhile = {}) {
        const auto read = UpdateHandoff::fromJSON(written.toJSON());
        ASSERT_TRUE(read);
        session.reset();
        overlay = std::make_shared<FakeOverlayFactory>();
        start(false);
        session->restore(*read);
        if (meanwhile) meanwhile();
        settle();
    }
    // Editor window 1 and terminal window 2 grouped at `saved`, and the
    // record the session hands off as it ends.
    std::pair<TabGroup, std::optional<UpdateHandoff>> groupedPairHandedOff(const Rect& saved) {
        env.desktop->setKernelBootTime(1.8e9);
        addWindow(1, editor, saved);
        addWindow(2, terminal, saved);
        start(false);
        const TabGroup group = groupWindows(2, 1);
        session->shutdown();
        return {group, session->makeUpdateHandoff()};
    }
};

TEST_F(RelaunchHandoff, GroupsComeBackOnTheSameWindowsWithTheirNamesColoursAndMinimisedMembers) {
    env.desktop->setKernelBootTime(1.8e9);
    const Rect work(100, 100, 700, 500);
    const Rect side(1000, 200, 700, 500);
    addWindow(1, editor, work);
    addWindow(2, terminal, work);
    addWindow(3, browser, work);
    addWindow(4, terminal, side);
    addWindow(5, browser, side);
    env.desktop->addApplication({player, "org.example.Player", "Player", "/usr/share/applications/player.desktop"});
    addWindow(6, player, work);
    start(false);
    groupWindows(2, 1);
    groupWindows(6, 1);
    const TabGroup first = groupWindows(3, 1);
    const TabGroup second = groupWindows(5, 4);
    session->engine().setName("Work", first.id);
    session->engine().setGroupAccent(TabColor(0, 0, 1), first.id);
    session->engine().setMemberAccent(TabColor(1, 0, 0), 2);
    session->engine().setActive(5);
    settle();
    env.desktop->setMinimized(5, true);
    run(1.0);

    // The shell ends the session first, then writes what it holds.
    session->shutdown();
    const auto handoff = session->makeUpdateHandoff();
    ASSERT_TRUE(handoff);
    ASSERT_EQ(handoff->groups.size(), 2u);
    EXPECT_TRUE(handoff->isFresh(1.8e9, env.clock->now() - 1.8e9));

    // Window 3 closes while the program restarts, the player stops
    // answering (its live window 6 cannot be listed), window 5 is still
    // minimised.
    env.desktop->destroyWindow(3);
    env.desktop->hang(player);
    env.desktop->clearAXCalls();
    relaunch(*handoff);

    const auto work2 = session->engine().group(first.id);
    ASSERT_TRUE(work2);
    EXPECT_EQ(work2->windowIDs(), (std::vector<WindowID>{1, 2}));
    EXPECT_EQ(work2->name, "Work");
    EXPECT_EQ(work2->groupAccent, TabColor(0, 0, 1));
    EXPECT_EQ(work2->member(2)->accent, TabColor(1, 0, 0));
    EXPECT_EQ(work2->frame, first.frame);
    const auto side2 = session->engine().group(second.id);
    ASSERT_TRUE(side2);
    EXPECT_EQ(side2->minimized, (std::set<WindowID>{5}));
    EXPECT_EQ(side2->activeWindowID, 4u) << "a minimised window is not made the active one";
    EXPECT_TRUE(overlay->barFor(first.id).isShown);
    EXPECT_EQ(session->windowSystem().trackedCount(), 4u);
    for (const WindowID id : {1u, 2u, 4u}) EXPECT_EQ(frameWrites(id), 0) << id << " stays where it is";
    EXPECT_FALSE(session->engine().group(6));

    // The same record again: its windows are grouped now, so both groups are
    // refused and nothing else gets tracked. A record of windows that are
    // gone, or that belong to another process now, rebuilds nothing.
    session->restore(*handoff);
    UpdateHandoff stale = *handoff;
    stale.groups[0].id = Uuid();
    stale.groups[0].members = {{77, editor, "gone", {}, {}}, {4, editor, "other pid", {}, {}}};
    session->restore(stale);
    settle();
    EXPECT_EQ(session->engine().groupCount(), 2u);
    EXPECT_EQ(session->windowSystem().trackedCount(), 4u);

    session->engine().dissolveGroup(first.id);
    session->engine().dissolveGroup(second.id);
    EXPECT_FALSE(session->makeUpdateHandoff()) << "no group, no record";
}

// The windows moved while no process followed them: the group comes back
// where its active window is, its bar on that window and its other members
// with it, at once.
TEST_F(RelaunchHandoff, AGroupWhoseWindowsMovedMeanwhileComesBackWhereItsActiveWindowIs) {
    const auto [group, handoff] = groupedPairHandedOff(Rect(100, 100, 700, 500));
    ASSERT_TRUE(handoff);

    const Rect moved(400, 300, 700, 500);
    env.desktop->moveWindow(group.activeWindowID, moved);
    env.desktop->moveWindow(group.activeWindowID == 1 ? 2 : 1, Rect(900, 50, 500, 400));
    relaunch(*handoff);

    const auto back = session->engine().group(group.id);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->frame, moved);
    for (const WindowID id : {1u, 2u}) EXPECT_EQ(frameOf(id), moved) << id;
    EXPECT_EQ(overlay->barFor(group.id).lastPlacement()->placement.frame.minY(), moved.minY() - 30);
}

TEST_F(RelaunchHandoff, AGroupMaximisedWhileItComesBackIsMaximisedWhole) {
    const auto [group, handoff] = groupedPairHandedOff(Rect(100, 100, 700, 500));
    ASSERT_TRUE(handoff);

    // The window manager maximises the active window before the new
    // session has heard of it: the frame the restore reads back is the
    // maximised one, its state comes after.
    const WindowID active = group.activeWindowID;
    relaunch(*handoff, [&] { env.desktop->setMaximized(active, MaximizedAxes::both()); });
    run(1.0);

    const auto back = session->engine().group(group.id);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->frame, workArea);
    for (const WindowID id : {1u, 2u}) {
        EXPECT_EQ(frameOf(id), workArea) << id;
        EXPECT_EQ(env.desktop->window(id)->maximized, MaximizedAxes::both()) << id << " is not unmaximised";
    }
}

TEST_F(RelaunchHandoff, UnreachableMembersAreDetachedOrLeftOutSoTheirGroupsStillComeBack) {
    env.desktop->setSpaceCount(2);
    const Rect frame(100, 100, 700, 500);
    addWindow(1, editor, frame);
    addWindow(2, terminal, frame);
    addWindow(3, browser, frame);
    addWindow(4, editor, Rect(1000, 200, 700, 500));
    addWindow(5, terminal, Rect(1000, 200, 700, 500));
    addWindow(6, browser, Rect(1000, 200, 700, 500));
    start(false);
    groupWindows(2, 1);
    const TabGroup locked = groupWindows(3, 1);
    groupWindows(5, 4);
    const TabGroup open = groupWindows(6, 4);
    session->engine().setLocked(true, locked.id);
    env.desktop->setMinimized(2, true);
    run(1.0);

    // Windows 3 and 6 go to the other desktop: alive, but off screen, and
    // kept in their groups (suspended) to be found unreachable.
    session->offSpacePolicy = OffSpacePolicy::suspend;
    env.desktop->moveWindowToSpace(3, 1);
    env.desktop->moveWindowToSpace(6, 1);
    settle();
    const std::vector<WindowID> unreachable = session->membersUnreachableAfterRelaunch();
    EXPECT_EQ(unreachable, (std::vector<WindowID>{3, 6})) << "a minimised member is not unreachable";
    session->detachBeforeRelaunch(unreachable);
    EXPECT_EQ(session->engine().group(open.id)->windowIDs(), (std::vector<WindowID>{4, 5}));
    EXPECT_EQ(session->engine().group(locked.id)->windowIDs(), (std::vector<WindowID>{1, 2, 3}))
        << "a locked group keeps its members";

    // The browser stops answering: window 3 cannot be listed now, nor after
    // the relaunch, which would cost the whole locked group.
    env.desktop->hang(browser);
    const auto handoff = session->makeUpdateHandoff();
    ASSERT_TRUE(handoff);
    ASSERT_EQ(handoff->groups.size(), 2u);
    EXPECT_EQ(handoff->groups[0].members.size(), 2u) << "the unreachable member is left out of the record";
    relaunch(*handoff);
    ASSERT_TRUE(session->engine().group(locked.id));
    EXPECT_EQ(session->engine().group(locked.id)->windowIDs(), (std::vector<WindowID>{1, 2}));
    EXPECT_EQ(session->engine().group(locked.id)->minimized, (std::set<WindowID>{2}));
    EXPECT_EQ(session->engine().group(open.id)->windowIDs(), (std::vector<WindowID>{4, 5}));
    EXPECT_FALSE(session->engine().group(3));
}

}  // namespace
}  // namespace tessaly::testing
