// Every rule that holds a move of the active member back from its members,
// driven both ways on the simulated desktop: closed, the desktop moves no
// member at once and the session decides; open again, the members are moved
// the moment the desktop reports the move, exactly those the session's own
// commit would move. The rounds come in a seeded order, so that each rule is
// also met right after the others.
#include <algorithm>
#include <functional>
#include <numeric>
#include <random>
#include <set>

#include "Platform/FrameRecord.h"
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

// Where the group of these scenarios rests.
constexpr Rect restingFrame{300, 300, 700, 500};
// A point on no window, for a press that starts no drag.
constexpr Point nowhere{1910, 1070};

class FollowGates : public SessionDesktop {
protected:
    // Editor window 1 (active), terminal 2 and browser 3 in one group at its resting frame.
    void makeGroup() {
        addWindow(1, editor, restingFrame);
        addWindow(2, terminal, restingFrame);
        addWindow(3, browser, restingFrame);
        start(true);
        groupWindows(2, 1);
        groupWindows(3, 1);
        backToOne();
    }
    TabGroup group() const { return session->engine().group(1).value(); }
    // Window 1 active and in front again, its group at rest.
    void backToOne() {
        focus(1);
        session->engine().setActive(1);
        run(1.0);
    }
    // What a commit from window 1 moves.
    std::set<WindowID> followers() const {
        const TabGroup g = group();
        std::set<WindowID> ids;
        for (const GroupMember& m : g.members) {
            if (m.windowID != 1 && g.isUsable(m.windowID)) ids.insert(m.windowID);
        }
        return ids;
    }
    // The desktop reports window 1 at `frame`: the members it moved before
    // the session heard of it.
    std::set<WindowID> movedAtOnce(const Rect& frame) {
        env.desktop->clearAXCalls();
        env.desktop->moveWindow(1, frame);
        std::set<WindowID> moved;
        for (const WindowID id : {2u, 3u}) {
            if (frameWrites(id) + frameWrites(id, "AXSize") > 0) moved.insert(id);
        }
        return moved;
    }
    // A move the desktop must leave to the session.
    void expectHeldBack(const Rect& frame, const std::string& rule) {
        EXPECT_EQ(movedAtOnce(frame), std::set<WindowID>{}) << rule << ": closed, yet members moved at once";
        ++closed[rule];
    }
    // A move the desktop follows at once; the session then holds the group
    // there, with every member on the frame, each written once.
    void expectFollowed(const Rect& frame, const std::string& rule) {
        EXPECT_EQ(movedAtOnce(frame), followers()) << rule << ": open, yet not followed at once";
        run(0.5);
        EXPECT_EQ(group().frame, frame) << rule;
        for (const WindowID id : followers()) {
            EXPECT_EQ(frameOf(id), frame) << rule << ": window " << id;
            EXPECT_EQ(frameWrites(id), 1) << rule << ": window " << id << " written again";
        }
        ++opened[rule];
    }
    // Somewhere about the resting frame, clear of the bar's room.
    static Rect near(int dx, int dy) { return restingFrame.offsetBy(dx, dy); }

    std::map<std::string, int> closed;
    std::map<std::string, int> opened;
};

TEST_F(FollowGates, EachRuleHoldsTheMembersBackWhileItAppliesAndLetsThemFollowAtOnceAfterwards) {
    makeGroup();
    std::mt19937 random(28);
    const auto offset = [&] { return static_cast<int>(random() % 41) - 20; };
    const Rect screenSized = env.desktop->screens().front().frame;

    const std::vector<std::pair<std::string, std::function<void()>>> rules = {
        {"full screen",
         [&] {
             // Reported with the move, before the session has heard of it.
             env.desktop->setFullScreen(1, true);
             expectHeldBack(screenSized, "full screen");
             env.desktop->setFullScreen(1, false);
             run(1.0);
             backToOne();
             expectFollowed(near(offset(), offset()), "full screen");
         }},
        {"minimised",
         [&] {
             env.desktop->setMinimized(1, true);
             expectHeldBack(near(offset(), offset()), "minimised");
             env.desktop->setMinimized(1, false);
             env.desktop->moveWindow(1, group().frame);
             // Its frames are the session's for a moment after a minimise
             // changes, then followed again.
             focus(1);
             session->engine().setActive(1);
             run(0.1);
             expectHeldBack(near(offset(), offset()), "quiet after a minimise");
             run(GroupSession::minimizeQuietPeriod + 0.5);
             backToOne();
             expectFollowed(near(offset(), offset()), "minimised");
             expectFollowed(near(offset(), offset()), "quiet after a minimise");
         }},
        {"shaded",
         [&] {
             env.desktop->setShaded(1, true);
             expectHeldBack(near(offset(), offset()), "shaded");
             env.desktop->setShaded(1, false);
             run(1.0);
             backToOne();
             expectFollowed(near(offset(), offset()), "shaded");
         }},
        {"button down",
         [&] {
             // The first move with the button down, before the session knows
             // of a drag: the session decides at the release.
             input->leftMouseDown(nowhere);
             const Rect first = near(offset(), offset());
             expectHeldBack(first, "button down");
             input->leftMouseUp(nowhere);
             run(0.5);
             EXPECT_EQ(group().frame, first) << "adopted at the release";
             expectFollowed(near(offset(), offset()), "button down");
         }},
        {"held",
         [&] {
             // Once the session has seen the button held, the members are
             // kept behind the window, on its frame, whatever it is.
             input->leftMouseDown(nowhere);
             env.desktop->moveWindow(1, group().frame.offsetBy(0, 1));
             run(0.01);
             const Rect anywhere(40 + offset(), 3, 500, 400);
             EXPECT_EQ(movedAtOnce(anywhere), followers()) << "kept behind";
             input->leftMouseUp(nowhere);
             // The session confines the frame: the window's reports are
             // its own until it lands (or a while has passed).
             run(FrameRecord::lifetime + 0.1);
             for (const WindowID id : followers()) EXPECT_EQ(frameOf(id), group().frame) << id;
             ++opened["held"];
             expectFollowed(near(offset(), offset()), "after a drag");
         }},
        {"our drag",
         [&] {
             // The window dragged by its title bar: the members are kept
             // behind it from the moment the session knows of the drag.
             const Rect f = frameOf(1);
             const Point grip{f.midX(), f.minY() + titleStrip / 2};
             input->schedulePointerPath(SimInput::straightDrag(grip, {grip.x + 40, grip.y + 30}, 10, 1.0 / 60, false));
             run(0.4);
             ASSERT_TRUE(session->liveFollow());
             EXPECT_EQ(movedAtOnce(f.offsetBy(44, 32)), followers()) << "kept behind during our drag";
             input->leftMouseUp(input->pointerLocation());
             run(1.0);
             ASSERT_FALSE(session->liveFollow());
             expectFollowed(near(offset(), offset()), "our drag");
         }},
        {"bar drag",
         [&] {
             // The session moves the members itself while its bar is dragged.
             const Uuid id = group().id;
             session->tabBarDidDragBy(id, {12, 8}, 0);
             run(0.1);
             ASSERT_TRUE(session->barDrags().contains(id));
             expectHeldBack(near(offset(), offset()), "bar drag");
             session->tabBarDidEndDrag(id);
             run(1.0);
             backToOne();
             expectFollowed(near(offset(), offset()), "bar drag");
         }},
        {"settling",
         [&] {
             env.desktop->setDisplays(env.desktop->screens());
             settle();
             expectHeldBack(near(offset(), offset()), "settling");
             run(GroupSession::displaySettleWindow + 1.0);
             env.desktop->moveWindow(1, group().frame);
             backToOne();
             expectFollowed(near(offset(), offset()), "settling");
         }},
        {"confined and zoomed",
         [&] {
             // Into the bar's room: the session puts it lower, and remembers
             // the zoom. The same request again undoes it; its echo is
             // dropped.
             const Rect before = group().frame;
             const Rect asked(before.minX(), 5, before.width(), before.height() + 60);
             expectHeldBack(asked, "confined");
             run(1.0);
             const Rect zoomed = group().frame;
             EXPECT_GT(zoomed.minY(), asked.minY());
             EXPECT_TRUE(session->zoomRecords().contains(group().id));
             run(GroupSession::zoomMinInterval);
             // The session waits a moment for a maximise state before it
             // takes a frame it must confine.
             expectHeldBack(asked, "re-zoom");
             run(GroupSession::maximizeStepsWait + 0.05);
             EXPECT_EQ(group().frame, before) << "the zoom undone";
             expectHeldBack(asked, "zoom echo");
             // The undo is read back and sent again, to a window that says
             // nothing of it landing: its reports are its own a while later.
             run(GroupSession::frameVerifyDelay + FrameRecord::lifetime + 0.1);
             EXPECT_EQ(group().frame, before) << "an echo is no new frame";
             expectFollowed(near(offset(), offset()), "confined");
             expectFollowed(near(offset(), offset()), "re-zoom");
             expectFollowed(near(offset(), offset()), "zoom echo");
         }},
        {"maximised by the window manager",
         [&] {
             const Rect before = group().frame;
             env.desktop->setMaximized(1, MaximizedAxes::both());
             run(0.5);
             EXPECT_EQ(group().frame, workArea);
             expectHeldBack(workArea.offsetBy(0, 1), "maximised");
             run(0.5);
             // Restored: the state first, then the frame.
             env.desktop->setMaximized(1, {}, workArea);
             run(0.05);
             expectHeldBack(workArea, "maximised, on its way back");
             env.desktop->moveWindow(1, before);
             run(1.0);
             EXPECT_EQ(group().frame, before);
             for (const WindowID id : followers()) EXPECT_EQ(frameOf(id), before) << id;
             // The record of the maximise stays, restored: it holds nothing back.
             ASSERT_TRUE(session->zoomRecords().contains(group().id));
             EXPECT_TRUE(session->zoomRecords().at(group().id).restoredAt);
             expectFollowed(near(offset(), offset()), "maximised");
             expectFollowed(near(offset(), offset()), "maximised, on its way back");
         }},
    };

    std::vector<std::size_t> order(rules.size());
    for (int pass = 0; pass < 3; ++pass) {
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), random);
        for (const std::size_t index : order) {
            const auto& [name, drive] = rules[index];
            SCOPED_TRACE("pass " + std::to_string(pass) + ": " + name);
            drive();
            if (::testing::Test::HasFatalFailure()) return;
            expectFollowed(near(offset(), offset()), "between rounds");
        }
    }
    for (const auto& [rule, count] : closed) {
        EXPECT_GT(opened[rule], 0) << rule << " was never open";
    }
    EXPECT_EQ(closed.size(), 12u) << "every rule held a move back at least once";
    EXPECT_EQ(opened.size(), 16u);
}

}  // namespace
}  // namespace tessaly::testing
