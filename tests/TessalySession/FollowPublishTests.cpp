// What the desktop moves a group's members by, the moment it reads a move of
// the active member, is the session's state as it stands after each of its
// turns: every kind of change (members, gestures, the button held, sleep and
// settling displays, the screens, a minimise, the bar's room) reaches the
// desktop before its next move, with nobody handing it over by hand.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class FollowPublishing : public SessionDesktop {
protected:
    static constexpr Point nowhere{1910, 1070};

    TabGroup group() const { return session->engine().group(1).value(); }
    // The user moves the active member (window 1) to `to`: whether the
    // desktop moved member `member` at once, before the session heard of it.
    // The session then catches up.
    bool followedAtOnce(const Rect& to, WindowID member = 2) {
        env.desktop->clearAXCalls();
        env.desktop->moveWindow(1, to);
        const bool moved = frameWrites(member) > 0;
        run(0.5);
        return moved;
    }
    bool followedAtOnce(Point by) { return followedAtOnce(group().frame.offsetBy(by.x, by.y)); }
    // The active member reports the frame the session last wrote to it: its
    // next move is the user's again, not one on the way there.
    void landed() {
        env.desktop->moveWindow(1, frameOf(1));
        run(0.5);
    }
};

TEST_F(FollowPublishing, EveryChangeOfTheSessionsStateReachesTheDesktopBeforeItsNextMove) {
    addWindow(1, editor, Rect(300, 300, 700, 500));
    addWindow(2, terminal, Rect(320, 320, 700, 500));
    addWindow(3, browser, Rect(340, 340, 700, 500));
    start(false);
    groupWindows(2, 1);
    focus(1);
    session->engine().setActive(1);
    run(1.0);
    ASSERT_TRUE(followedAtOnce({10, 10}));

    // Members: one joins, then leaves by its bar's menu.
    session->group(element(3), element(1));
    focus(1);
    session->engine().setActive(1);
    run(1.0);
    EXPECT_TRUE(followedAtOnce(group().frame.offsetBy(10, 0), 3)) << "a new member";
    session->tabBarDidPopOutTab(group().id, 3);
    run(1.0);
    EXPECT_FALSE(followedAtOnce(group().frame.offsetBy(10, 0), 3)) << "a member that left";

    // A drag by the bar: the session moves the group itself until the release.
    const Uuid id = group().id;
    session->tabBarDidDragBy(id, {20, 0}, 0);
    env.queues->runAll();  // the step's writes land; the session has not heard of them yet
    EXPECT_FALSE(followedAtOnce(frameOf(1))) << "during a drag by the bar";
    session->tabBarDidEndDrag(id);
    run(0.6);
    EXPECT_TRUE(followedAtOnce({5, 5})) << "after a drag by the bar";

    // The button held: once the session has seen a move so, the members
    // are kept behind the window at once; after the release they follow.
    input->leftMouseDown(nowhere);
    env.desktop->moveWindow(1, group().frame.offsetBy(0, 1));
    run(0.01);
    env.desktop->clearAXCalls();
    env.desktop->moveWindow(1, group().frame.offsetBy(30, 1));
    EXPECT_EQ(frameWrites(2), 1) << "kept behind while the button is held";
    input->leftMouseUp(nowhere);
    run(0.5);
    EXPECT_TRUE(followedAtOnce({5, -5})) << "after the release";

    // Asleep, then the displays settling after the wake.
    env.desktop->sleep();
    settle();
    EXPECT_FALSE(followedAtOnce({5, 5})) << "asleep";
    env.desktop->wake();
    settle();
    EXPECT_FALSE(followedAtOnce({5, 5})) << "displays settling";
    run(GroupSession::displaySettleWindow + 0.5);
    landed();
    EXPECT_TRUE(followedAtOnce({5, 5})) << "settled";

    // A display comes: a frame on it is one the group may have.
    env.desktop->setDisplays({mainDisplay, sideDisplay});
    run(GroupSession::displaySettleWindow + 0.5);
    landed();
    EXPECT_TRUE(followedAtOnce(Rect(2200, 300, 700, 500))) << "on the new display";
    EXPECT_TRUE(followedAtOnce(Rect(300, 300, 700, 500))) << "back";

    // The active member minimised and back: its moves wait a moment.
    env.desktop->setMinimized(1, true);
    run(1.0);
    env.desktop->setMinimized(1, false);
    settle();
    ASSERT_EQ(group().activeWindowID, 1u);
    env.desktop->moveWindow(1, group().frame);  // where the session put it back
    EXPECT_FALSE(followedAtOnce({5, 5})) << "just after the minimise";
    run(GroupSession::minimizeQuietPeriod);
    EXPECT_TRUE(followedAtOnce({5, 5})) << "a moment later";

    // The bar's room grows: a frame in the new room is the session's to
    // confine; shrunk back, it is one the group may have.
    const double room = session->overlay().barRoom();
    const double top = mainDisplay.visibleFrame.minY();
    const Rect high(group().frame.minX(), top + room + 4, 700, 500);
    session->updateTabBarHeight(session->overlay().tabBarHeight() + 12);
    settle();
    ASSERT_GT(session->overlay().barRoom(), room + 4);
    EXPECT_FALSE(followedAtOnce(high)) << "in the grown bar's room";
    session->updateTabBarHeight(session->overlay().tabBarHeight() - 12);
    settle();
    landed();
    EXPECT_TRUE(followedAtOnce(high)) << "below the bar's room again";
    EXPECT_EQ(frameOf(2), high);
}

}  // namespace
}  // namespace tessaly::testing
