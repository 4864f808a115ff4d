// Members follow the active member's move the moment the desktop reports it,
// before the session hears of it: exactly the members the session's own
// commit would move, once per change, never a window no group holds, and
// everything the session's rules hold back is left to the session.
#include <random>
#include <set>

#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class MemberFollowing : public SessionDesktop {
protected:
    static constexpr ProcessID viewer = 104;

    // Editor window 1 (active), terminal 2, browser 3 and viewer 4 in one group.
    void makeGroup() {
        env.desktop->addApplication({viewer, "org.example.Viewer", "Viewer", "/usr/share/applications/viewer.desktop"});
        addWindow(1, editor, Rect(200, 200, 800, 600));
        addWindow(2, terminal, Rect(300, 300, 700, 500));
        addWindow(3, browser, Rect(400, 400, 600, 400));
        addWindow(4, viewer, Rect(500, 300, 600, 400));
        start(false);
        groupWindows(2, 1);
        for (const WindowID id : {3u, 4u}) {
            session->group(element(id), element(1));
            run(1.0);
        }
        focus(1);
        session->engine().setActive(1);
        run(1.0);
        env.desktop->clearAXCalls();
    }
    TabGroup group() const { return session->engine().group(1).value(); }
    std::map<WindowID, int> positionWrites() const {
        std::map<WindowID, int> writes;
        for (const WindowID id : {1u, 2u, 3u, 4u}) writes[id] = frameWrites(id);
        return writes;
    }
    // What a commit from the active member moves.
    static std::set<WindowID> followers(const TabGroup& g, const std::map<WindowID, Rect>& aside) {
        std::set<WindowID> ids;
        for (const GroupMember& m : g.members) {
            if (m.windowID != g.activeWindowID && g.isUsable(m.windowID) && !aside.contains(m.windowID)) {
                ids.insert(m.windowID);
            }
        }
        return ids;
    }
    // A point on no window, for a press that starts no drag.
    static constexpr Point nowhere{1910, 1070};
};

// Over many states (members minimised, the active one switched, full screen,
// the button held, frames the session must confine, frames it has already,
// displays settling) every move of the active member is either moved at
// once for exactly the members the session's own commit would move, and
// then not sent again, or left entirely to the session; either way every
// member the group moves ends on the group's frame, each written at most
// once for the change. With the button held the members are kept behind
// the window, on its frame as it is, and sent again at the release only when
// the session confines it.
TEST_F(MemberFollowing, TheMembersMovedAtOnceAreTheSessionsOwnFanOutAndNothingIsSentTwice) {
    makeGroup();
    std::mt19937 random(20);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int movedAtOnce = 0;
    int keptBehind = 0;
    int leftToTheSession = 0;
    for (int step = 0; step < 400; ++step) {
        const TabGroup before = group();
        switch (pick(10)) {
            case 0: {  // a member (never the active one) minimised or back
                const WindowID id = static_cast<WindowID>(2 + pick(3));
                if (id != before.activeWindowID) env.desktop->setMinimized(id, !env.desktop->window(id)->spec.minimized);
                run(0.7);
                continue;
            }
            case 1: {  // another member becomes the active one
                const WindowID id = static_cast<WindowID>(1 + pick(4));
                if (before.isUsable(id)) {
                    focus(id);
                    session->engine().setActive(id);
                }
                run(0.3);
                continue;
            }
            case 2: {  // the displays change: moves are left to the session while they settle
                if (pick(4) != 0) continue;
                env.desktop->setDisplays(env.desktop->screens());
                settle();
                env.desktop->clearAXCalls();
                env.desktop->moveWindow(before.activeWindowID, before.frame.offsetBy(12, 12));
                for (const auto& [id, count] : positionWrites()) EXPECT_EQ(count, 0) << "step " << step;
                run(GroupSession::displaySettleWindow + 1.0);
                continue;
            }
            default: break;
        }
        const WindowID active = before.activeWindowID;
        const bool held = pick(6) == 0;
        Rect frame = before.frame.offsetBy(pick(41) - 20, pick(41) - 20);
        if (pick(8) == 0) frame = Rect(frame.minX(), 5, frame.size.width, frame.size.height);  // into the bar's room
        if (pick(10) == 0) frame = before.frame;
        if (pick(12) == 0) frame = Rect(frame.origin, Size{frame.size.width + 30, frame.size.height - 10});
        if (held) {
            // The session sees a first move with the button held; from then
            // on the members are kept behind the window at once.
            input->leftMouseDown(nowhere);
            env.desktop->moveWindow(active, frame.offsetBy(0, 1));
            run(0.01);
        }
        env.desktop->clearAXCalls();
        env.desktop->moveWindow(active, frame);
        const auto sentAtOnce = positionWrites();
        if (held) input->leftMouseUp(nowhere);
        run(0.5);
        const TabGroup after = group();
        const auto total = positionWrites();
        std::set<WindowID> moved;
        for (const auto& [id, count] : sentAtOnce) {
            if (count > 0) moved.insert(id);
        }
        const bool confined = !(after.frame == frame);
        if (!moved.empty()) {
            ++(held ? keptBehind : movedAtOnce);
            EXPECT_TRUE(held || !confined) << "step " << step;
            EXPECT_EQ(moved, followers(after, session->tabbedAside())) << "step " << step;
            for (const WindowID id : moved) {
                EXPECT_EQ(sentAtOnce.at(id), 1) << "step " << step << " window " << id;
                EXPECT_EQ(total.at(id), confined ? 2 : 1) << "step " << step << " window " << id;
            }
        } else if (!(frame == before.frame)) {
            ++leftToTheSession;
        }
        for (const WindowID id : followers(after, session->tabbedAside())) {
            EXPECT_EQ(frameOf(id), after.frame) << "step " << step << " window " << id;
            EXPECT_LE(total.at(id), held && confined ? 2 : 1) << "step " << step << " window " << id;
        }
    }
    // Moves within a moment of the session's own write to the active member
    // are its own (the desktop here reports no landing of that write).
    EXPECT_GT(movedAtOnce, 60);
    EXPECT_GT(keptBehind, 10);
    EXPECT_GT(leftToTheSession, 30);
}

// The platform's reader lags behind the release the session heard on a
// connection of its own (a Shift-drop that made the dragged window the
// active member of a new group): the drag's last moves still read as held.
// They move no member at once; the session keeps the group on one frame.
TEST_F(MemberFollowing, AMoveReadAsHeldThatTheSessionKnowsNoDragOfMovesNobodyAtOnce) {
    makeGroup();
    env.desktop->setLeftButtonSource([] { return true; });
    env.desktop->moveWindow(1, group().frame.offsetBy(-52, 87));
    for (const auto& [id, count] : positionWrites()) EXPECT_EQ(count, 0) << "window " << id;
    env.desktop->setLeftButtonSource([input = input] { return input->isLeftButtonDown(); });
    run(0.5);
    for (const WindowID id : followers(group(), session->tabbedAside())) EXPECT_EQ(frameOf(id), group().frame) << id;
}

// The session's own change of the active member's frame, reported on its
// way there (a window manager that moves a frame before it resizes it, or a
// report from before the change): no member follows that at once. Once the
// frame is reported where the session put it, moves are followed again.
TEST_F(MemberFollowing, AFrameTheSessionWroteIsNotFollowedOnItsWay) {
    makeGroup();
    const Rect before = group().frame;
    session->tabBarDidRequestMaximize(group().id);
    run(0.5);
    const Rect zoomed = group().frame;
    ASSERT_NE(zoomed, before);
    env.desktop->clearAXCalls();
    env.desktop->moveWindow(1, Rect(zoomed.origin, before.size));  // moved, not resized yet
    env.desktop->moveWindow(1, before);                             // a report from before
    for (const auto& [id, count] : positionWrites()) EXPECT_EQ(count, 0) << "window " << id;
    env.desktop->moveWindow(1, zoomed);
    run(1.0);
    for (const WindowID id : {2u, 3u, 4u}) EXPECT_EQ(frameOf(id), zoomed) << "window " << id;

    session->tabBarDidRequestMaximize(group().id);  // back
    run(0.5);
    ASSERT_EQ(group().frame, before);
    env.desktop->moveWindow(1, before);  // landed
    env.desktop->clearAXCalls();
    env.desktop->moveWindow(1, before.offsetBy(15, 10));
    for (const WindowID id : {2u, 3u, 4u}) EXPECT_EQ(frameWrites(id), 1) << "window " << id;
}

// The members follow the active window at once; the session then moves the
// whole group (dragged by its bar) and the active window goes back to
// exactly where it was followed to: the members were told another frame
// since, so they go with it at once again.
TEST_F(MemberFollowing, AGroupTheSessionMovedFollowsItsActiveWindowBackToAFrameFollowedBefore) {
    makeGroup();
    const Rect home = group().frame;
    const Rect away = home.offsetBy(40, 30);
    env.desktop->moveWindow(1, away);
    run(1.0);
    ASSERT_EQ(group().frame, away);
    session->tabBarDidDragBy(group().id, {-40, -30}, input->modifierFlags());
    run(0.1);
    session->tabBarDidEndDrag(group().id);
    run(1.5);
    ASSERT_EQ(group().frame, home);
    env.desktop->clearAXCalls();
    env.desktop->moveWindow(1, away);
    for (const WindowID id : {2u, 3u, 4u}) EXPECT_EQ(frameWrites(id), 1) << "window " << id << " moved at once";
    run(1.0);
    for (const WindowID id : {2u, 3u, 4u}) {
        EXPECT_EQ(frameOf(id), away) << "window " << id;
        EXPECT_EQ(frameWrites(id), 1) << "window " << id << " written once";
    }
}

TEST_F(MemberFollowing, NoMoveForAWindowThatLeftAndAGroupChangedMidMoveEndsOnOneFrame) {
    makeGroup();
    // Detached: its group moves without it from then on.
    session->engine().detach(4, false);
    run(1.0);
    const Rect left = frameOf(4);
    env.desktop->clearAXCalls();
    env.desktop->moveWindow(1, Rect(260, 180, 800, 600));
    EXPECT_EQ(frameWrites(2), 1) << "moved at once";
    EXPECT_EQ(frameWrites(4), 0) << "no longer a member";
    run(1.0);
    EXPECT_EQ(frameOf(4), left);
    EXPECT_EQ(frameOf(2), Rect(260, 180, 800, 600));

    // Moved at once, then the group changes before the session hears of the
    // move: a member leaves, another closes.
    env.desktop->clearAXCalls();
    env.desktop->moveWindow(1, Rect(300, 220, 800, 600));
    ASSERT_EQ(frameWrites(3), 1);
    session->engine().detach(3, false);
    env.desktop->destroyWindow(2);
    run(1.0);
    EXPECT_FALSE(session->engine().group(3));
    EXPECT_FALSE(session->engine().group(2));
    EXPECT_EQ(frameOf(1), Rect(300, 220, 800, 600));
    EXPECT_EQ(frameWrites(3), 1) << "nothing sent after it left";
    env.desktop->clearAXCalls();
    env.desktop->moveWindow(1, Rect(320, 240, 800, 600));
    run(1.0);
    EXPECT_EQ(frameWrites(3), 0);
    EXPECT_EQ(frameOf(3), Rect(300, 220, 800, 600));
}

TEST_F(MemberFollowing, ABurstOfAThousandMovesEndsOnOneFrameWithOneMovePerChange) {
    makeGroup();
    env.desktop->setMinimized(3, true);
    run(1.0);
    env.desktop->clearAXCalls();
    const Rect start = group().frame;
    // Away and back before the session hears of either: it finds the group
    // where it holds it, and the members come back all the same.
    env.desktop->moveWindow(1, start.offsetBy(24, 24));
    env.desktop->moveWindow(1, start);
    run(1.5);
    for (const WindowID id : {2u, 4u}) EXPECT_EQ(frameOf(id), start);
    env.desktop->clearAXCalls();
    Rect frame = start;
    for (int i = 1; i <= 1000; ++i) {
        frame = start.offsetBy(i % 37, (i % 23) - (i % 7));
        env.desktop->moveWindow(1, frame);
        if (i % 50 == 0) settle();  // the session catches up now and then
    }
    run(1.0);
    EXPECT_EQ(group().frame, frame);
    for (const WindowID id : {2u, 4u}) {
        EXPECT_EQ(frameOf(id), frame);
        EXPECT_EQ(frameWrites(id), 1000) << "each change moved it at once, and only then";
    }
    EXPECT_EQ(frameWrites(3), 0) << "minimised members keep their place";
    EXPECT_EQ(session->snapBackBudget().sends(2), 0);
}

}  // namespace
}  // namespace tessaly::testing
