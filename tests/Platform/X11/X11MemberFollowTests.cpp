// A group's members are moved by the event reader the moment it reads the
// active member's new frame: before any subscriber (the bar's follower among
// them) hears of the change, without waiting for a reply (not even for the
// value of an active-window change read just before), only where memory
// knows all a move needs, and a burst of moves ends with every member where
// the active one stopped; the server takes the moves before ordinary
// clients' requests. What moves is planned by the session's own planner.
#include <signal.h>
#include <xcb/sync.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "Platform/MemberFollow.h"
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11EventLog.h"
#include "TessalySession/FollowSnapshot.h"

namespace tessaly::test {
namespace {

class X11MemberFollowTest : public X11BackendTest {
protected:
    void TearDown() override {
        if (backend) backend->setMemberFollow(nullptr);
        subscription.cancel();
        X11RoundTrips::setCounting(false);
        X11BackendTest::TearDown();
    }

    std::optional<X11WindowInfo> fromServer(xcb_window_t w) { return X11Windows(desktop->connection()).read(w); }

    // Once read and written, memory holds them (the reader watches them).
    void makeKnownForMoves(const std::vector<X11Desktop::Client>& clients) {
        subscription = backend->subscribe(log.handler());
        const auto& windows = backend->windows();
        for (const auto& client : clients) {
            const auto info = windows.read(client.window);
            ASSERT_TRUE(info);
            ASSERT_TRUE(windows.setPosition(client.window, info->frame.origin, client.pid));
            ASSERT_TRUE(desktop->waitUntil([&] { return knownForMoves(client.window); }));
        }
    }

    // The session's planner for one group of `active` and `members`,
    // committed at the active member's frame now, at rest.
    FollowPlanner planner(const X11Desktop::Client& active, const std::vector<FollowMove>& members) {
        FollowSnapshot snapshot;
        FollowSnapshot::Group group;
        group.state.frame = fromServer(active.window)->frame;
        group.movers = members;
        snapshot.byActive[active.window] = group;
        return [snapshot](const FollowRequest& request) { return snapshot.plan(request); };
    }

    // `member` follows every change of `active` through `send`; the reader
    // lets go of it when the answer goes.
    std::shared_ptr<void> follow(const X11Desktop::Client& active, const X11Desktop::Client& member,
                                 MemberFollow::Sender send) {
        auto follow = std::make_shared<MemberFollow>(std::make_shared<SystemClock>(), std::move(send));
        follow->setPlanner(planner(active, {{member.window, member.pid}}));
        backend->setMemberFollow(follow);
        return std::shared_ptr<void>(nullptr, [this](void*) { backend->setMemberFollow(nullptr); });
    }

    // Memory knows the window and all a move of it needs.
    bool knownForMoves(xcb_window_t w) {
        const auto known = backend->windows().cache()->lookup(w);
        return known.known && known.pid && known.moveResize && known.extents && known.size && known.maximized;
    }

    X11EventLog log;
    Subscription subscription;
};

TEST_F(X11MemberFollowTest, MembersMoveOnTheReadersThreadBeforeSubscribersWithoutWaitingForAReply) {
    const auto active = desktop->launchXlogo("200x140+60+60");
    const auto member = desktop->launchXlogo("200x140+400+60");
    const auto other = desktop->launchXlogo("200x140+700+60");
    ASSERT_TRUE(active && member && other);
    const auto& windows = backend->windows();
    ASSERT_NO_FATAL_FAILURE(makeKnownForMoves({*active, *member, *other}));

    // The reader's thread: how many moves had left when a subscriber first
    // heard of the active member's move, and the replies it had waited for
    // by the event it handled last and by each move it sent.
    X11RoundTrips::setCounting(true);
    std::atomic<int> sent{0};
    std::atomic<int> sentWhenHeard{-1};
    std::atomic<std::uint64_t> tripsByLastEvent{0};
    std::atomic<std::uint64_t> tripsAtLastMove{0};
    std::atomic<bool> activeChangeHeard{false};
    const Rect target(Point{180, 220}, windows.read(active->window)->frame.size);
    auto follow = std::make_shared<MemberFollow>(std::make_shared<SystemClock>(),
                                                 [&](const FollowMove& move, const Rect& frame) {
                                                     if (!windows.sendFrameIfKnown(move.window, frame, move.pid)) {
                                                         return false;
                                                     }
                                                     tripsAtLastMove = X11RoundTrips::countOnThisThread();
                                                     ++sent;
                                                     return true;
                                                 });
    // The second is no window of that process: memory refuses it.
    follow->setPlanner(planner(*active, {{member->window, member->pid}, {other->window, member->pid}}));
    backend->setMemberFollow(follow);
    // The reader lets go of what this test's locals back before they go.
    const std::shared_ptr<void> unset(nullptr, [this](void*) { backend->setMemberFollow(nullptr); });
    Subscription heard = backend->subscribe([&](const X11Event& event) {
        tripsByLastEvent = X11RoundTrips::countOnThisThread();
        if (event.kind == X11Event::Kind::activeWindowChanged && event.window == other->window) activeChangeHeard = true;
        if (event.kind != X11Event::Kind::frameChanged || event.window != active->window || sentWhenHeard >= 0) return;
        sentWhenHeard = sent.load();
    });

    ASSERT_TRUE(windows.setPosition(active->window, target.origin, active->pid));
    ASSERT_TRUE(desktop->waitUntil([&] { return sentWhenHeard >= 0; }));
    EXPECT_EQ(sentWhenHeard, 1) << "the member's move left before any subscriber heard of the change";
    EXPECT_TRUE(desktop->waitUntil([&] { return fromServer(member->window)->frame == target; }));
    EXPECT_EQ(fromServer(other->window)->frame.origin, Point(700, 60)) << "memory knew it as another's";

    // The active window changes and the active member is moved right behind
    // that (the change is made on the connection the move leaves on, so the
    // reader reads it first): the member's move leaves without the reader
    // waiting for the server, not for the new active window either (it is
    // told of it once the value has come, in its turn).
    desktop->waitUntil([] { return false; }, std::chrono::milliseconds(200));  // the reader at rest
    const std::uint64_t tripsBefore = tripsByLastEvent;
    const int sentBefore = sent;
    const Rect moved(Point{240, 260}, target.size);
    const X11Connection& requests = backend->connection();
    xcb_change_property(requests.get(), XCB_PROP_MODE_REPLACE, requests.root(), requests.atoms().NET_ACTIVE_WINDOW,
                        XCB_ATOM_WINDOW, 32, 1, &other->window);
    ASSERT_TRUE(windows.setPosition(active->window, moved.origin, active->pid));
    ASSERT_TRUE(desktop->waitUntil([&] { return sent > sentBefore && activeChangeHeard; }));
    EXPECT_EQ(tripsAtLastMove - tripsBefore, 0u) << "the reader waited for the server on the way to the move";
    EXPECT_TRUE(desktop->waitUntil([&] { return windows.activeWindow() == other->window; }))
        << "the active window as the reader was told of it";
    EXPECT_TRUE(desktop->waitUntil([&] { return fromServer(member->window)->frame == moved; }));

    // A burst: every member ends where the active one stopped.
    Rect last = target;
    for (int i = 1; i <= 200; ++i) {
        last = Rect(Point{180.0 + i % 40, 220.0 + i % 25}, target.size);
        windows.setPosition(active->window, last.origin, active->pid);
    }
    EXPECT_TRUE(desktop->waitUntil([&] {
        return fromServer(active->window)->frame == last && fromServer(member->window)->frame == last;
    }));

    // The server takes the connection the moves leave on before ordinary
    // clients that wait with it.
    const auto priorityOf = [](const X11Connection& x) {
        const auto reply = xcbReply(x.get(), xcb_sync_get_priority_reply, xcb_sync_get_priority(x.get(), XCB_NONE));
        return reply ? reply->priority : -1;
    };
    const auto ordinary = X11Connection::open(desktop->display());
    ASSERT_TRUE(ordinary);
    EXPECT_GT(priorityOf(backend->connection()), priorityOf(*ordinary));
}

// i3 keeps a tiled member where it tiles it: every move sent to it is
// refused. The active member floats and is moved again and again; each of
// its changes sends the member one move and no more (no retry from the
// reader), and a later change is followed as before.
class X11MemberFollowOnI3Test : public X11MemberFollowTest {
protected:
    X11Desktop::Options desktopOptions() const override {
        X11Desktop::Options o;
        o.manager = X11WindowManager::i3;
        return o;
    }
};

TEST_F(X11MemberFollowOnI3Test, ARefusedMoveIsSentOncePerChangeOfTheActiveMember) {
    const auto active = desktop->launchXlogo("200x140+60+60");
    const auto member = desktop->launchXlogo("200x140+400+60");
    ASSERT_TRUE(active && member);
    ASSERT_TRUE(desktop->floatOnTilingManager(active->window));
    const auto& windows = backend->windows();
    ASSERT_NO_FATAL_FAILURE(makeKnownForMoves({*active, *member}));
    const Rect tiled = fromServer(member->window)->frame;
    std::mutex mutex;
    std::vector<Point> sent;  // the frames' top-left corners
    const auto following = follow(*active, *member, [&](const FollowMove& move, const Rect& frame) {
        if (!windows.sendFrameIfKnown(move.window, frame, move.pid)) return false;
        std::lock_guard lock(mutex);
        sent.push_back(frame.origin);
        return true;
    });

    std::vector<Point> places;
    for (int i = 0; i < 5; ++i) {
        const Point at{120.0 + 40 * i, 90.0 + 10 * i};
        places.push_back(at);
        ASSERT_TRUE(windows.setPosition(active->window, at, active->pid));
        ASSERT_TRUE(desktop->waitUntil([&] {
            std::lock_guard lock(mutex);
            return fromServer(active->window)->frame.origin == at &&
                   std::find(sent.begin(), sent.end(), at) != sent.end();
        })) << "the change to " << at << " was not followed";
    }
    desktop->waitUntil([] { return false; }, std::chrono::milliseconds(300));
    std::lock_guard lock(mutex);
    EXPECT_EQ(sent, places) << "one move per change of the active member, in order";
    EXPECT_EQ(fromServer(member->window)->frame, tiled) << "i3 let a tiled window move";
}

// The server goes away in the middle of a burst: the reader stops, no move
// is sent once the loss is known, and nothing waits for a server that is gone.
TEST_F(X11MemberFollowTest, AServerThatGoesAwayMidBurstEndsTheFollow) {
    const auto active = desktop->launchXlogo("200x140+60+60");
    const auto member = desktop->launchXlogo("200x140+400+60");
    ASSERT_TRUE(active && member);
    const auto& windows = backend->windows();
    ASSERT_NO_FATAL_FAILURE(makeKnownForMoves({*active, *member}));
    std::atomic<bool> lost{false};
    std::atomic<int> sent{0};
    std::atomic<int> sentAfterLoss{0};
    const auto following = follow(*active, *member, [&](const FollowMove& move, const Rect& frame) {
        const bool known = lost.load();
        if (!windows.sendFrameIfKnown(move.window, frame, move.pid)) return false;
        ++sent;
        if (known) ++sentAfterLoss;
        return true;
    });
    ASSERT_TRUE(backend->setConnectionLostHandler([&] { lost = true; }));

    const Size size = windows.read(active->window)->frame.size;
    for (int i = 1; i <= 1000; ++i) {
        windows.setPosition(active->window, Point{100.0 + i % 50, 100.0 + i % 30}, active->pid);
        if (i == 400) {
            ASSERT_TRUE(desktop->waitUntil([&] { return sent > 0; })) << "the burst was followed";
            kill(desktop->serverPid(), SIGKILL);
        }
    }
    ASSERT_TRUE(X11Desktop::waitForExit(desktop->serverPid(), kX11Patience));
    ASSERT_TRUE(desktop->waitUntil([&] { return lost.load(); }, kX11Patience)) << "the reader told of the loss";
    EXPECT_EQ(sentAfterLoss, 0) << "no move once the server is known gone";
    EXPECT_FALSE(windows.sendFrameIfKnown(member->window, Rect(Point{10, 10}, size), member->pid));
    EXPECT_FALSE(windows.setPosition(active->window, Point{10, 10}, active->pid));
}

}  // namespace
}  // namespace tessaly::test
