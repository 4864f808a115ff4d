// Subscribers whose handlers ask the server hear of events in turn: what
// asks goes to the work queue, so the reader goes on meanwhile; the rest
// stays on the reader's thread unless earlier events still wait there. The
// workspace and accessibility services make no round trip on the reader's
// thread for a change of the client list, the active window or the
// displays, and still tell of each change, in order. Their re-read of a
// resized client stays on the reader's thread: the reader follows the
// resize's next report from it.
#include "Platform/MemberFollow.h"
#include "Platform/ThreadQueueFactory.h"
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11TestQueues.h"
#include "Platform/X11/X11Workspace.h"
#include "TessalySession/FollowSnapshot.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>

namespace tessaly::test {
namespace {

using Kind = X11Event::Kind;
using Turn = X11Backend::Turn;

class X11InTurnTest : public X11BackendTest {
protected:
    void TearDown() override {
        X11RoundTrips::setCounting(false);
        X11BackendTest::TearDown();
    }

    // A window of this very process (its pid is known before it exists), shown.
    xcb_window_t mapOwnWindow() {
        const xcb_window_t window = desktop->createOwnWindow(Rect(50, 50, 300, 200));
        xcb_map_window(desktop->connection().get(), window);
        desktop->connection().flush();
        return window;
    }

    X11TestWorkQueue work;
};

// The work queue held by the test: a title change behind a client-list
// change waits for it; the reader's thread handles events again once the
// queue is done; a handle ended while events wait drops them.
TEST_F(X11InTurnTest, EventsReachTheHandlerInTheOrderTheyCame) {
    const auto xterm = desktop->launchXterm("in-turn");
    ASSERT_TRUE(xterm);
    backend->setWorkQueue(std::make_shared<X11TestQueue>(work));
    std::mutex mutex;
    std::vector<Kind> heard;
    std::atomic<int> onReader{0};
    const auto kinds = [&] {
        std::lock_guard lock(mutex);
        return heard;
    };
    Subscription subscription = backend->subscribeInTurn(
        [](const X11Event& event) {
            if (event.kind == Kind::clientListChanged) return Turn::worker;
            return event.kind == Kind::titleChanged ? Turn::reader : Turn::skip;
        },
        [&](const X11Event& event) {
            std::lock_guard lock(mutex);
            heard.push_back(event.kind);
        });
    Subscription watch = backend->subscribe([&](const X11Event& event) {
        if (event.kind == Kind::titleChanged) ++onReader;
    });

    // Alone, a title change is heard on the reader's thread at once.
    desktop->setTitle(xterm->window, "first");
    ASSERT_TRUE(desktop->waitUntil([&] { return kinds().size() == 1; }));
    EXPECT_EQ(kinds(), std::vector<Kind>{Kind::titleChanged});

    // Behind a client-list change held on the work queue it waits.
    const xcb_window_t own = mapOwnWindow();
    ASSERT_TRUE(desktop->waitUntil([&] { return backend->windows().clientList().size() == 2; }));
    desktop->setTitle(xterm->window, "second");
    ASSERT_TRUE(desktop->waitUntil([&] { return onReader == 2; }));
    EXPECT_EQ(kinds().size(), 1u) << "a title change overtook the client-list change before it";
    work.drain();
    auto now = kinds();
    ASSERT_GE(now.size(), 3u);
    EXPECT_EQ(now.back(), Kind::titleChanged);
    EXPECT_TRUE(std::all_of(now.begin() + 1, now.end() - 1, [](Kind k) { return k == Kind::clientListChanged; }));

    // The queue is done: the reader's thread again.
    desktop->setTitle(xterm->window, "third");
    ASSERT_TRUE(desktop->waitUntil([&] { return kinds().size() == now.size() + 1; }));
    EXPECT_EQ(kinds().back(), Kind::titleChanged);
    now = kinds();

    // Ended with an event waiting: it is never handled.
    xcb_destroy_window(desktop->connection().get(), own);
    desktop->connection().flush();
    ASSERT_TRUE(desktop->waitUntil([&] { return backend->windows().clientList().size() == 1; }));
    subscription.cancel();
    work.drain();
    EXPECT_EQ(kinds(), now);
    watch.cancel();
    backend->setWorkQueue(nullptr);
}

// With the program's worker and every read going to the server (so any
// read on the reader's thread shows), the reader makes no round trip while
// the workspace and accessibility hear of a change of the client list, the
// active window or the displays; each is told all the same, in order.
TEST_F(X11InTurnTest, NoRoundTripOnTheReadersThreadForClientsActiveWindowOrDisplays) {
    const auto first = desktop->launchXterm("first");
    const auto second = desktop->launchXlogo();
    ASSERT_TRUE(first && second);
    desktop->windows().activate(second->window);
    ASSERT_TRUE(desktop->waitUntil([&] { return desktop->windows().activeWindow() == second->window; }));
    ThreadQueueFactory queues;
    backend->setWorkQueue(queues.makeSerialQueue("test.x11.work"));
    backend->setKeepsClients(false);
    X11RoundTrips::setCounting(true);

    // The reader's round trips between a probe before the services' handlers
    // and one after them, for the kinds that ask the server.
    const auto asks = [](Kind kind) {
        return kind == Kind::clientListChanged || kind == Kind::activeWindowChanged || kind == Kind::screenChanged;
    };
    std::atomic<std::uint64_t> tripsBefore{0};
    std::atomic<std::uint64_t> tripsBetween{0};
    std::mutex mutex;
    std::set<Kind> probed;
    Subscription before = backend->subscribe([&](const X11Event&) { tripsBefore = X11RoundTrips::countOnThisThread(); });

    std::vector<ProcessID> activated;
    int screenChanges = 0;
    std::vector<std::pair<AXElement, std::string>> heard;
    auto main = std::make_shared<X11TestExecutor>(work);
    auto workspace = std::make_unique<X11Workspace>(backend, main);
    std::vector<Subscription> observers;
    observers.push_back(workspace->addObserver(WorkspaceNotification::didActivateApplication,
                                               [&](const WorkspaceEvent& e) { activated.push_back(e.application->pid); }));
    observers.push_back(workspace->addObserver(WorkspaceNotification::screenParametersDidChange,
                                               [&](const WorkspaceEvent&) { ++screenChanges; }));
    auto ax = std::make_shared<X11Accessibility>(backend);
    auto observer = ax->createObserver(getpid());
    ASSERT_TRUE(observer);
    observer->start(std::make_shared<X11TestQueue>(work),
                    [&](const AXElement& e, const std::string& name) { heard.emplace_back(e, name); });
    ASSERT_EQ(observer->addNotification(AXElement::application(getpid()), "AXWindowCreated"), AXError::success);

    Subscription after = backend->subscribe([&](const X11Event& event) {
        if (!asks(event.kind)) return;
        tripsBetween += X11RoundTrips::countOnThisThread() - tripsBefore;
        std::lock_guard lock(mutex);
        probed.insert(event.kind);
    });

    // The client list grows by a window of this process.
    const xcb_window_t own = mapOwnWindow();
    const AXElement element = X11Accessibility::windowElement(getpid(), own);
    ASSERT_TRUE(work.runUntil([&] { return !heard.empty(); }));
    EXPECT_EQ(heard[0], std::make_pair(element, std::string("AXWindowCreated")));
    ASSERT_EQ(observer->addNotification(element, "AXUIElementDestroyed"), AXError::success);

    // The active window changes twice.
    activated.clear();
    desktop->windows().activate(first->window);
    ASSERT_TRUE(work.runUntil([&] { return std::count(activated.begin(), activated.end(), first->pid) > 0; }));
    desktop->windows().activate(second->window);
    ASSERT_TRUE(work.runUntil([&] { return !activated.empty() && activated.back() == second->pid; }));
    std::erase(activated, getpid());  // openbox may have focused the window above
    EXPECT_EQ(activated.front(), first->pid) << "told in the order of the changes";

    // The displays change and change back.
    ASSERT_EQ(desktop->run({"xrandr", "--setmonitor", "LEFT", "960/254x1080/286+0+0", "screen"}), 0);
    ASSERT_TRUE(work.runUntil([&] { return screenChanges >= 1; }));
    const int split = screenChanges;
    ASSERT_EQ(desktop->run({"xrandr", "--delmonitor", "LEFT"}), 0);
    ASSERT_TRUE(work.runUntil([&] { return screenChanges > split; }));

    // The client list loses the window: withdrawn, it counts as gone.
    xcb_unmap_window(desktop->connection().get(), own);
    desktop->connection().flush();
    ASSERT_TRUE(work.runUntil([&] { return heard.size() >= 2; }));
    EXPECT_EQ(heard[1], std::make_pair(element, std::string("AXUIElementDestroyed")));

    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(probed, (std::set<Kind>{Kind::clientListChanged, Kind::activeWindowChanged, Kind::screenChanged}));
    }
    EXPECT_EQ(tripsBetween.load(), 0u) << "the workspace or accessibility waited for the server on the reader's thread";

    after.cancel();
    observer->invalidate();
    observers.clear();
    workspace.reset();
    ax.reset();
    before.cancel();
    backend->setWorkQueue(nullptr);
}

// Memory lets go of a resized window until it is read again; the
// frame's own report comes right behind. Read again by the accessibility
// on the reader's thread, the window is known when that report is read,
// and the member follows there (off it, no step would be).
TEST_F(X11InTurnTest, AResizedActiveMemberIsFollowedFromTheReadersOwnReRead) {
    const auto active = desktop->launchXlogo("200x140+60+60");
    const auto member = desktop->launchXlogo("200x140+400+60");
    ASSERT_TRUE(active && member);
    ThreadQueueFactory queues;
    backend->setWorkQueue(queues.makeSerialQueue("test.x11.work"));
    auto ax = std::make_shared<X11Accessibility>(backend);
    auto observer = ax->createObserver(active->pid);
    ASSERT_TRUE(observer);
    observer->start(std::make_shared<X11TestQueue>(work), [](const AXElement&, const std::string&) {});

    // Once read and written, memory holds all a move needs.
    const auto& windows = backend->windows();
    for (const auto& client : {*active, *member}) {
        const auto info = windows.read(client.window);
        ASSERT_TRUE(info && windows.setPosition(client.window, info->frame.origin, client.pid));
        ASSERT_TRUE(desktop->waitUntil([&] {
            const auto known = windows.cache()->lookup(client.window);
            return known.known && known.pid && known.moveResize && known.extents && known.size && known.maximized;
        }));
    }
    FollowSnapshot snapshot;
    snapshot.byActive[active->window].state.frame = windows.read(active->window)->frame;
    snapshot.byActive[active->window].movers = {{member->window, member->pid}};
    std::atomic<int> sent{0};
    auto follow = std::make_shared<MemberFollow>(std::make_shared<SystemClock>(),
                                                 [&](const FollowMove& move, const Rect& frame) {
                                                     const bool out = windows.sendFrameIfKnown(move.window, frame, move.pid);
                                                     if (out) ++sent;
                                                     return out;
                                                 });
    follow->setPlanner([snapshot](const FollowRequest& request) { return snapshot.plan(request); });
    backend->setMemberFollow(follow);

    // Each step waits for the reader to have read the frame's report of it
    // (and so to have followed it or not).
    std::mutex mutex;
    Size reported;
    Subscription reports = backend->subscribe([&](const X11Event& event) {
        if (event.kind != Kind::frameChanged || event.window != active->window || !event.rootChild) return;
        std::lock_guard lock(mutex);
        if (event.hasGeometry) reported = event.geometry.size;
    });
    constexpr int steps = 10;
    for (int step = 1; step <= steps; ++step) {
        const Size size{200.0 + 10 * step, 140.0 + 5 * step};
        ASSERT_TRUE(windows.setSize(active->window, size, active->pid));
        ASSERT_TRUE(desktop->waitUntil([&] {
            std::lock_guard lock(mutex);
            return reported == size;
        }));
    }
    // Not always every step: a re-read may find the frame on its way.
    EXPECT_GT(sent, 0) << "no step of the resize was followed by the reader";
    reports.cancel();

    backend->setMemberFollow(nullptr);
    observer->invalidate();
    ax.reset();
    backend->setWorkQueue(nullptr);
}

}  // namespace
}  // namespace tessaly::test
