// Subscribers whose handlers ask the server hear of events in turn: what
// asks goes to the work queue, the rest stays on the reader's thread unless
// earlier events still wait. The workspace and accessibility make no round
// trip on the reader's thread for a change of the client list, the active
// window or the displays, nor for a resize, a maximise, a minimise or a
// map, and tell of each all the same, in order; the reader follows a
// resize from the events themselves.
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
        ax.reset();
        X11BackendTest::TearDown();
    }

    // The program's arrangement: a lane on the worker, the accessibility's
    // observer of `pid` heard through the test's queue.
    std::unique_ptr<AXObserverConnection> observe(ProcessID pid, AXObserverConnection::Handler heard) {
        backend->setWorkQueue(queues.makeSerialQueue("test.x11.work"));
        ax = std::make_shared<X11Accessibility>(backend);
        auto observer = ax->createObserver(pid);
        if (observer) observer->start(std::make_shared<X11TestQueue>(work), std::move(heard));
        return observer;
    }

    // A window of this very process (its pid is known before it exists), shown.
    xcb_window_t mapOwnWindow() {
        const xcb_window_t window = desktop->createOwnWindow(Rect(50, 50, 300, 200));
        xcb_map_window(desktop->connection().get(), window);
        desktop->connection().flush();
        return window;
    }

    ThreadQueueFactory queues;
    X11TestWorkQueue work;
    std::shared_ptr<X11Accessibility> ax;
};

// The work queue held by the test: a title change behind a client-list
// change waits for it; once the queue is done the reader's thread takes
// the next; a handle ended while an event waits drops it.
TEST_F(X11InTurnTest, EventsReachTheHandlerInTheOrderTheyCame) {
    const auto xterm = desktop->launchXterm("in-turn");
    ASSERT_TRUE(xterm);
    backend->setWorkQueue(std::make_shared<X11TestQueue>(work));
    std::mutex mutex;
    std::vector<Kind> heard;
    const auto kinds = [&] {
        std::lock_guard lock(mutex);
        return heard;
    };
    std::atomic<int> titlesRead{0};
    Subscription subscription = backend->subscribeInTurn(
        [](const X11Event& e) {
            return e.kind == Kind::clientListChanged ? Turn::worker
                                                     : (e.kind == Kind::titleChanged ? Turn::reader : Turn::skip);
        },
        [&](const X11Event& event) {
            std::lock_guard lock(mutex);
            heard.push_back(event.kind);
        });
    Subscription reader = backend->subscribe([&](const X11Event& e) { titlesRead += e.kind == Kind::titleChanged; });

    desktop->setTitle(xterm->window, "first");
    ASSERT_TRUE(desktop->waitUntil([&] { return kinds() == std::vector<Kind>{Kind::titleChanged}; }));
    const xcb_window_t own = mapOwnWindow();
    ASSERT_TRUE(desktop->waitUntil([&] { return backend->windows().clientList().size() == 2; }));
    desktop->setTitle(xterm->window, "second");
    ASSERT_TRUE(desktop->waitUntil([&] { return titlesRead == 2; }));
    EXPECT_EQ(kinds().size(), 1u) << "a title change overtook the client-list change before it";
    work.drain();
    auto now = kinds();
    ASSERT_GE(now.size(), 3u);
    EXPECT_EQ(now.back(), Kind::titleChanged);
    EXPECT_TRUE(std::all_of(now.begin() + 1, now.end() - 1, [](Kind k) { return k == Kind::clientListChanged; }));

    desktop->setTitle(xterm->window, "third");
    ASSERT_TRUE(desktop->waitUntil([&] { return kinds().size() == now.size() + 1; })) << "not on the reader's thread";
    now = kinds();
    xcb_destroy_window(desktop->connection().get(), own);
    desktop->connection().flush();
    ASSERT_TRUE(desktop->waitUntil([&] { return backend->windows().clientList().size() == 1; }));
    subscription.cancel();
    work.drain();
    EXPECT_EQ(kinds(), now);
}

// Every read going to the server (so any read on the reader's thread
// shows), the reader's round trips are counted between a probe before the
// services' handlers and one after them.
TEST_F(X11InTurnTest, NoRoundTripOnTheReadersThreadForClientsActiveWindowOrDisplays) {
    const auto first = desktop->launchXterm("first");
    const auto second = desktop->launchXlogo();
    ASSERT_TRUE(first && second);
    desktop->windows().activate(second->window);
    ASSERT_TRUE(desktop->waitUntil([&] { return desktop->windows().activeWindow() == second->window; }));
    backend->setKeepsClients(false);
    X11RoundTrips::setCounting(true);
    std::atomic<std::uint64_t> tripsBefore{0};
    std::atomic<std::uint64_t> tripsBetween{0};
    std::mutex mutex;
    std::set<Kind> probed;
    Subscription before =
        backend->subscribe([&](const X11Event&) { tripsBefore = X11RoundTrips::countOnThisThread(); });

    std::vector<ProcessID> activated;
    int screenChanges = 0;
    std::vector<std::pair<AXElement, std::string>> heard;
    X11Workspace workspace(backend, std::make_shared<X11TestExecutor>(work));
    const auto activation = workspace.addObserver(
        WorkspaceNotification::didActivateApplication,
        [&](const WorkspaceEvent& e) { activated.push_back(e.application->pid); });
    const auto screens = workspace.addObserver(WorkspaceNotification::screenParametersDidChange,
                                               [&](const WorkspaceEvent&) { ++screenChanges; });
    const auto observer =
        observe(getpid(), [&](const AXElement& e, const std::string& name) { heard.emplace_back(e, name); });
    ASSERT_TRUE(observer);
    ASSERT_EQ(observer->addNotification(AXElement::application(getpid()), "AXWindowCreated"), AXError::success);
    Subscription after = backend->subscribe([&](const X11Event& event) {
        if (event.kind != Kind::clientListChanged && event.kind != Kind::activeWindowChanged &&
            event.kind != Kind::screenChanged) {
            return;
        }
        tripsBetween += X11RoundTrips::countOnThisThread() - tripsBefore;
        std::lock_guard lock(mutex);
        probed.insert(event.kind);
    });

    // The client list grows by a window of this process, then the active
    // window changes twice, the displays change and change back, and the
    // window is withdrawn (it counts as gone).
    const xcb_window_t own = mapOwnWindow();
    const AXElement element = X11Accessibility::windowElement(getpid(), own);
    ASSERT_TRUE(work.runUntil([&] { return !heard.empty(); }));
    EXPECT_EQ(heard[0], std::make_pair(element, std::string("AXWindowCreated")));
    ASSERT_EQ(observer->addNotification(element, "AXUIElementDestroyed"), AXError::success);
    desktop->windows().activate(first->window);
    ASSERT_TRUE(work.runUntil([&] { return std::count(activated.begin(), activated.end(), first->pid) > 0; }));
    desktop->windows().activate(second->window);
    ASSERT_TRUE(work.runUntil([&] { return !activated.empty() && activated.back() == second->pid; }));
    std::erase(activated, getpid());  // openbox may have focused the new window
    EXPECT_EQ(activated, (std::vector<ProcessID>{first->pid, second->pid}));
    ASSERT_EQ(desktop->run({"xrandr", "--setmonitor", "LEFT", "960/254x1080/286+0+0", "screen"}), 0);
    ASSERT_TRUE(work.runUntil([&] { return screenChanges >= 1; }));
    const int split = screenChanges;
    ASSERT_EQ(desktop->run({"xrandr", "--delmonitor", "LEFT"}), 0);
    ASSERT_TRUE(work.runUntil([&] { return screenChanges > split; }));
    xcb_unmap_window(desktop->connection().get(), own);
    desktop->connection().flush();
    ASSERT_TRUE(work.runUntil([&] { return heard.size() >= 2; }));
    EXPECT_EQ(heard[1], std::make_pair(element, std::string("AXUIElementDestroyed")));

    std::lock_guard lock(mutex);
    EXPECT_EQ(probed, (std::set<Kind>{Kind::clientListChanged, Kind::activeWindowChanged, Kind::screenChanged}));
    EXPECT_EQ(tripsBetween.load(), 0u) << "the workspace or accessibility waited for the server on the reader's thread";
}

// A window of this process resized, maximised and restored, minimised
// and shown again: the accessibility tells of each in order, and the
// reader's thread never waits for the server meanwhile (what memory does
// not hold whole is read on the worker).
TEST_F(X11InTurnTest, NoRoundTripOnTheReadersThreadForResizesStateChangesOrMaps) {
    X11RoundTrips::setCounting(true);
    std::atomic<std::uint64_t> tripsBefore{0};
    std::atomic<std::uint64_t> tripsBetween{0};
    std::atomic<int> probed{0};
    Subscription before =
        backend->subscribe([&](const X11Event&) { tripsBefore = X11RoundTrips::countOnThisThread(); });
    std::vector<std::string> heard;
    const auto observer = observe(getpid(), [&](const AXElement&, const std::string& name) { heard.push_back(name); });
    ASSERT_TRUE(observer);
    ASSERT_EQ(observer->addNotification(AXElement::application(getpid()), "AXWindowCreated"), AXError::success);
    Subscription after = backend->subscribe([&](const X11Event&) {
        tripsBetween += X11RoundTrips::countOnThisThread() - tripsBefore;
        ++probed;
    });
    const xcb_window_t own = mapOwnWindow();
    ASSERT_TRUE(work.runUntil([&] { return !heard.empty(); }));
    const AXElement element = X11Accessibility::windowElement(getpid(), own);
    for (const char* name : {"AXWindowMoved", "AXWindowResized", "AXWindowMiniaturized", "AXWindowDeminiaturized"}) {
        ASSERT_EQ(observer->addNotification(element, name), AXError::success) << name;
    }
    const auto& windows = backend->windows();
    const auto heardSince = [&](std::size_t from, const std::string& name) {
        return std::find(heard.begin() + static_cast<std::ptrdiff_t>(from), heard.end(), name) != heard.end();
    };
    ASSERT_TRUE(work.runUntil([&] { return windows.read(own).has_value(); }));
    const auto probedBefore = probed.load();

    // Resized from the bottom-right.
    std::size_t mark = heard.size();
    const Rect frame = windows.read(own)->frame;
    ASSERT_TRUE(windows.setSize(own, Size{frame.size.width + 80, frame.size.height + 40}, getpid()));
    ASSERT_TRUE(work.runUntil([&] { return heardSince(mark, "AXWindowResized"); }));
    // Maximised and restored by the window manager.
    X11Connection& x = desktop->connection();
    const auto& a = x.atoms();
    for (const std::uint32_t action : {1u, 0u}) {
        mark = heard.size();
        x.sendClientMessage(x.root(), own, a.NET_WM_STATE, action, a.NET_WM_STATE_MAXIMIZED_VERT,
                            a.NET_WM_STATE_MAXIMIZED_HORZ, 2);
        x.flush();
        ASSERT_TRUE(work.runUntil([&] {
            const auto info = windows.read(own);
            return heardSince(mark, "AXWindowResized") && info && info->maximized().any() == (action == 1);
        })) << (action ? "maximise" : "restore");
    }
    // Minimised (unmapped) and shown again (mapped).
    mark = heard.size();
    x.sendClientMessage(x.root(), own, a.WM_CHANGE_STATE, 3);  // iconic
    x.flush();
    // Mapped once the window manager has unmapped it (mapping a mapped window does nothing).
    ASSERT_TRUE(work.runUntil([&] {
        const auto info = windows.read(own);
        return heardSince(mark, "AXWindowMiniaturized") && info && !info->viewable;
    }));
    mark = heard.size();
    xcb_map_window(x.get(), own);
    x.flush();
    ASSERT_TRUE(work.runUntil([&] { return heardSince(mark, "AXWindowDeminiaturized"); }));

    EXPECT_GT(probed.load(), probedBefore + 4);
    EXPECT_EQ(tripsBetween.load(), 0u) << "the accessibility waited for the server on the reader's thread";
}

// Memory keeps a resized window through the client's report and the
// frame's right behind it, so the member follows each step on the reader's
// thread with nothing read (the accessibility's re-read, were it needed,
// would be on the worker and too late for the step).
TEST_F(X11InTurnTest, AResizedActiveMemberIsFollowedFromItsOwnReports) {
    const auto active = desktop->launchXlogo("200x140+60+60");
    const auto member = desktop->launchXlogo("200x140+400+60");
    ASSERT_TRUE(active && member);
    const auto observer = observe(active->pid, [](const AXElement&, const std::string&) {});
    ASSERT_TRUE(observer);
    const auto& windows = backend->windows();
    for (const auto& client : {*active, *member}) {  // once read and written, memory holds all a move needs
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
    const auto send = [&](const FollowMove& move, const Rect& frame) {
        const bool out = windows.sendFrameIfKnown(move.window, frame, move.pid);
        sent += out;
        return out;
    };
    auto follow = std::make_shared<MemberFollow>(std::make_shared<SystemClock>(), send);
    follow->setPlanner([snapshot](const FollowRequest& request) { return snapshot.plan(request); });
    backend->setMemberFollow(follow);
    // Let go of before `sent` goes.
    const std::shared_ptr<void> unset(nullptr, [this](void*) { backend->setMemberFollow(nullptr); });

    // Each step waits for the reader to have read the frame's report of it.
    std::mutex mutex;
    Size reported;
    Subscription reports = backend->subscribe([&](const X11Event& event) {
        std::lock_guard lock(mutex);
        const bool ofFrame = event.kind == Kind::frameChanged && event.rootChild && event.hasGeometry;
        if (ofFrame && event.window == active->window) reported = event.geometry.size;
    });
    for (int step = 1; step <= 10; ++step) {
        const Size size{200.0 + 10 * step, 140.0 + 5 * step};
        ASSERT_TRUE(windows.setSize(active->window, size, active->pid));
        ASSERT_TRUE(desktop->waitUntil([&] {
            std::lock_guard lock(mutex);
            return reported == size;
        }));
    }
    EXPECT_GE(sent, 7) << "steps of the resize were not followed by the reader: " << sent << " of 10";
}

}  // namespace
}  // namespace tessaly::test
