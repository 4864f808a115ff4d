// What the backend keeps of each watched client in memory stays what the
// server says: a move or a resize is followed from its ConfigureNotify
// without asking the server again, a title or a state change is read anew,
// a read that raced a change is not kept, and a window id given back and
// reused never shows the old window.
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11EventLog.h"
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11WindowCache.h"
#include "Platform/X11/X11WindowServer.h"

#include <thread>

namespace tessaly::test {
namespace {

constexpr ProcessID kFirstOwner = 4101;  // made up: only compared
constexpr ProcessID kSecondOwner = 4102;

// A read of `client` in `frameWindow`, as the backend makes one: the frame's
// bounds and the client's place on the root (and in the frame, when it is
// the client's parent).
X11WindowInfo framedRead(xcb_window_t client, xcb_window_t frameWindow, Rect frameBounds, Rect clientBounds,
                         std::optional<Point> inParent = std::nullopt) {
    X11WindowInfo read;
    read.window = client;
    read.frameWindow = frameWindow;
    read.pid = kFirstOwner;
    if (inParent) {
        read.parentIsFrame = true;
        read.inParent = *inParent;
    }
    read.frameBounds = frameBounds;
    read.placeClient(clientBounds);
    return read;
}

class X11ClientCacheTest : public X11BackendTest {
protected:
    void SetUp() override {
        X11BackendTest::SetUp();
        if (!backend) return;
        subscription = backend->subscribe(log.handler());
        X11RoundTrips::setCounting(true);
    }
    void TearDown() override {
        X11RoundTrips::setCounting(false);
        subscription.cancel();
        X11BackendTest::TearDown();
    }

    // The client as the server has it now, with no memory involved.
    std::optional<X11WindowInfo> fromServer(xcb_window_t w) { return X11Windows(desktop->connection()).read(w); }

    // The backend's read, and the round trips it made.
    std::optional<X11WindowInfo> kept(xcb_window_t w, std::uint64_t& trips) {
        const auto before = X11RoundTrips::countOnThisThread();
        auto info = backend->windows().read(w);
        trips = X11RoundTrips::countOnThisThread() - before;
        return info;
    }

    // The window number accessibility gives an element of `w` (of a live
    // owner: this process).
    static std::optional<WindowID> windowNumber(const std::shared_ptr<X11Backend>& of, xcb_window_t w) {
        WindowID number = 0;
        const auto element = X11Accessibility::windowElement(getpid(), w);
        if (X11WindowServer(of).axGetWindow()(element, &number) != AXError::success) return std::nullopt;
        return number;
    }

    static bool same(const std::optional<X11WindowInfo>& a, const std::optional<X11WindowInfo>& b) {
        return a && b && a->frame == b->frame && a->clientFrame == b->clientFrame && a->extents == b->extents &&
               a->frameWindow == b->frameWindow && a->title == b->title && a->pid == b->pid &&
               a->state.fullscreen == b->state.fullscreen && a->isMinimized() == b->isMinimized() &&
               a->viewable == b->viewable;
    }

    // Waits until the server has `w`'s frame at `frame` and the backend's
    // reader has seen the frame window's ConfigureNotify that put it there
    // (and, when `resized`, the client's own).
    bool landed(xcb_window_t w, const Rect& frame, bool resized) {
        if (!desktop->waitUntil([&] { return fromServer(w) && fromServer(w)->frame == frame; })) return false;
        const auto server = fromServer(w);
        xcb_connection_t* c = desktop->connection().get();
        const auto g = xcbReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, server->frameWindow));
        if (!g) return false;
        const Rect outer(g->x, g->y, g->width + 2.0 * g->border_width, g->height + 2.0 * g->border_width);
        return log.waitFor([&](const X11Event& e) {
                   return e.kind == X11Event::Kind::frameChanged && e.window == w && e.rootChild && e.geometry == outer;
               }) &&
               (!resized || log.waitFor([&](const X11Event& e) {
                    return e.kind == X11Event::Kind::frameChanged && e.window == w && !e.rootChild && !e.synthetic &&
                           e.size == server->clientFrame.size;
                }));
    }

    bool create(xcb_window_t w, ProcessID owner, const std::string& title, std::int16_t at) {
        X11Connection& x = desktop->connection();
        xcb_connection_t* c = x.get();
        const std::uint32_t values[] = {x.screen().white_pixel};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, x.root(), at, at, 160, 120, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
        const auto pid = static_cast<std::uint32_t>(owner);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, x.atoms().NET_WM_PID, XCB_ATOM_CARDINAL, 32, 1, &pid);
        desktop->setTitle(w, title);
        xcb_map_window(c, w);
        x.flush();
        return log.waitForClient(w) && desktop->waitUntil([&] {
            const auto info = fromServer(w);
            return info && info->frameWindow != w && info->viewable && info->extents.top > 0;
        });
    }

    X11EventLog log;
    Subscription subscription;
};

// The stacking list is read once and kept until the window manager
// restacks: a read after the report is the server's new order.
TEST_F(X11ClientCacheTest, TheStackingListIsKeptUntilTheWindowManagerRestacks) {
    ASSERT_TRUE(subscription.isActive());
    const auto& windows = backend->windows();
    X11Connection& x = desktop->connection();
    const xcb_window_t first = xcb_generate_id(x.get());
    ASSERT_TRUE(create(first, kFirstOwner, "first", 100));
    const xcb_window_t second = xcb_generate_id(x.get());
    ASSERT_TRUE(create(second, kFirstOwner, "second", 300));
    const auto serverList = [&] { return X11Windows(desktop->connection()).stackingList(); };
    ASSERT_TRUE(desktop->waitUntil([&] { return !serverList().empty() && serverList().back() == second; }));

    const auto readKept = [&](std::uint64_t& trips) {
        const auto before = X11RoundTrips::countOnThisThread();
        auto list = windows.stackingList();
        trips = X11RoundTrips::countOnThisThread() - before;
        return list;
    };
    std::uint64_t trips = 0;
    ASSERT_TRUE(desktop->waitUntil([&] { return readKept(trips) == serverList() && trips == 0; }))
        << "read once, then kept";

    log.clear();
    ASSERT_TRUE(windows.raise(first));
    ASSERT_TRUE(desktop->waitUntil([&] { return serverList().back() == first; }));
    ASSERT_TRUE(log.waitFor([](const X11Event& e) { return e.kind == X11Event::Kind::stackingListChanged; }));
    EXPECT_EQ(readKept(trips), serverList()) << "the restack is not answered from memory";
    EXPECT_GT(trips, 0u);
}

// Started ahead of its first subscriber, on a thread of its own, a backend
// has every client, its frame and the monitors in memory: the first look at
// the desktop asks nothing, and sees what the server says.
TEST_F(X11ClientCacheTest, ABackendWatchingAheadHasEveryClientInMemory) {
    X11Connection& x = desktop->connection();
    std::vector<xcb_window_t> clients;
    for (std::int16_t at : {100, 300}) {
        clients.push_back(xcb_generate_id(x.get()));
        ASSERT_TRUE(create(clients.back(), kFirstOwner, "client", at));
    }
    const auto ahead = X11Backend::open(desktop->display());
    ASSERT_TRUE(ahead);
    bool started = false;
    std::thread([&] { started = ahead->startWatching(); }).join();
    ASSERT_TRUE(started);
    const auto before = X11RoundTrips::countOnThisThread();
    const auto infos = ahead->windows().read(clients);
    const auto frames = ahead->windows().knownFrameWindows(clients);
    const bool named = windowNumber(ahead, clients[0]) == clients[0] && windowNumber(ahead, clients[1]) == clients[1];
    const auto monitors = ahead->monitors();
    EXPECT_EQ(X11RoundTrips::countOnThisThread() - before, 0u);
    ASSERT_EQ(infos.size(), clients.size());
    for (const auto& info : infos) EXPECT_TRUE(same(info, fromServer(info.window))) << info.window;
    for (std::size_t i = 0; i < clients.size(); ++i) EXPECT_EQ(frames[i], fromServer(clients[i])->frameWindow);
    EXPECT_TRUE(named);
    EXPECT_EQ(monitors, X11Monitors(desktop->connection()).monitors());
}

TEST_F(X11ClientCacheTest, ReadsFromMemoryStayWhatTheServerSays) {
    ASSERT_TRUE(subscription.isActive());
    const auto& windows = backend->windows();
    X11Connection& x = desktop->connection();
    const xcb_window_t w = xcb_generate_id(x.get());
    ASSERT_TRUE(create(w, kFirstOwner, "first", 100));
    std::uint64_t trips = 0;
    // Read once, then kept: the next read makes no round trip.
    ASSERT_TRUE(desktop->waitUntil([&] { return same(kept(w, trips), fromServer(w)) && trips == 0; }));

    // A move and a resize: followed, not read again.
    log.clear();
    const Rect moved(Point{260, 190}, fromServer(w)->frame.size);
    ASSERT_TRUE(windows.setPosition(w, moved.origin));
    ASSERT_TRUE(landed(w, moved, false));
    EXPECT_TRUE(same(kept(w, trips), fromServer(w)));
    EXPECT_EQ(trips, 0u) << "a move is followed from its ConfigureNotify";
    // A resize: followed from the client's ConfigureNotify and its frame's.
    log.clear();
    const Rect resized(200, 150, 320, 240);
    ASSERT_TRUE(windows.setFrame(w, resized));
    ASSERT_TRUE(landed(w, resized, true));
    EXPECT_TRUE(same(kept(w, trips), fromServer(w)));
    EXPECT_EQ(trips, 0u) << "a resize is followed from its two ConfigureNotify";

    // A title, full screen and minimising: read anew.
    log.clear();
    desktop->setTitle(w, "second title");
    ASSERT_TRUE(log.waitFor(X11Event::Kind::titleChanged, w));
    EXPECT_EQ(kept(w, trips)->title, "second title");
    const auto& a = x.atoms();
    x.sendClientMessage(x.root(), w, a.NET_WM_STATE, 1, a.NET_WM_STATE_FULLSCREEN, 0, 2);
    x.flush();
    EXPECT_TRUE(desktop->waitUntil([&] {
        const auto k = kept(w, trips);
        return k && k->state.fullscreen && same(k, fromServer(w));
    }));
    x.sendClientMessage(x.root(), w, a.NET_WM_STATE, 0, a.NET_WM_STATE_FULLSCREEN, 0, 2);
    x.sendClientMessage(x.root(), w, a.WM_CHANGE_STATE, 3);  // iconic
    x.flush();
    EXPECT_TRUE(desktop->waitUntil([&] {
        const auto k = kept(w, trips);
        return k && k->isMinimized() && !k->state.fullscreen && same(k, fromServer(w));
    }));
    xcb_map_window(x.get(), w);
    x.flush();
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto k = kept(w, trips);
        return k && !k->isMinimized() && k->viewable && same(k, fromServer(w));
    }));

    // A read that began before a move and answers after it is not kept.
    X11WindowCache& cache = *windows.cache();
    const auto since = cache.generation();
    const auto stale = fromServer(w);
    log.clear();
    const Point away{stale->frame.minX() + 40, stale->frame.minY() + 30};
    ASSERT_TRUE(windows.setPosition(w, away));
    ASSERT_TRUE(landed(w, Rect(away, stale->frame.size), false));
    cache.rememberClient(since, *stale);
    EXPECT_EQ(kept(w, trips)->frame.origin, away);
    EXPECT_TRUE(same(kept(w, trips), fromServer(w)));

    // The id given back and used for another window: never the old one.
    log.clear();
    xcb_destroy_window(x.get(), w);
    x.flush();
    ASSERT_TRUE(log.waitFor(X11Event::Kind::destroyed, w));
    EXPECT_FALSE(kept(w, trips));
    EXPECT_EQ(windowNumber(backend, w), std::nullopt);
    EXPECT_EQ(windows.knownFrameWindows({w}).front(), kNoWindow);
    ASSERT_TRUE(create(w, kSecondOwner, "reused", 300));
    const auto reused = kept(w, trips);
    ASSERT_TRUE(reused);
    EXPECT_EQ(reused->pid, kSecondOwner);
    EXPECT_EQ(reused->title, "reused");
    EXPECT_TRUE(same(reused, fromServer(w)));
    EXPECT_EQ(windowNumber(backend, w), w);
    EXPECT_EQ(windows.knownFrameWindows({w}).front(), fromServer(w)->frameWindow);
}

// Every window manager's frames carry their client along when they move or
// resize, however deep inside the client sits (icewm holds it in a window
// of its own), whichever of the two it sizes first: the change is followed
// from memory, and the window read from memory is the server's.
class X11ClientCacheOnWindowManagerTest : public X11ClientCacheTest,
                                          public ::testing::WithParamInterface<X11WindowManager> {
protected:
    X11Desktop::Options desktopOptions() const override {
        X11Desktop::Options o;
        o.manager = GetParam();
        return o;
    }

    // Whether the window manager changed more of `w` than its frame's place
    // since the log was cleared (its state as the focus comes to it, say):
    // that is read anew, rightly.
    bool changedOtherwise(xcb_window_t w) {
        for (const auto& e : log.events()) {
            if (e.window != w) continue;
            if (e.kind != X11Event::Kind::frameChanged || e.property != XCB_ATOM_NONE || (!e.rootChild && !e.synthetic)) {
                return true;
            }
        }
        return false;
    }
};

TEST_P(X11ClientCacheOnWindowManagerTest, MovesAndResizesAreFollowedFromMemory) {
    ASSERT_TRUE(subscription.isActive());
    const xcb_window_t w = xcb_generate_id(desktop->connection().get());
    ASSERT_TRUE(create(w, kFirstOwner, "moved", 100));
    std::uint64_t trips = 0;
    ASSERT_TRUE(desktop->waitUntil([&] { return same(kept(w, trips), fromServer(w)) && trips == 0; }));
    for (const Point to : {Point{260, 190}, Point{140, 230}, Point{300, 120}}) {
        log.clear();
        const Rect moved(to, fromServer(w)->frame.size);
        ASSERT_TRUE(backend->windows().setPosition(w, to));
        ASSERT_TRUE(landed(w, moved, false)) << "to " << to.x << "," << to.y;
        EXPECT_TRUE(same(kept(w, trips), fromServer(w))) << "to " << to.x << "," << to.y;
        EXPECT_TRUE(trips == 0 || changedOtherwise(w))
            << "the move to " << to.x << "," << to.y << " was read from the server again";
    }
    // Wider and taller, then smaller again from the top-left (the frame
    // moves and resizes at once).
    for (const Rect to : {Rect(240, 170, 360, 260), Rect(280, 200, 300, 210)}) {
        log.clear();
        ASSERT_TRUE(backend->windows().setFrame(w, to));
        ASSERT_TRUE(landed(w, to, true)) << "to " << to.size.width << "x" << to.size.height;
        EXPECT_TRUE(same(kept(w, trips), fromServer(w))) << "to " << to.size.width << "x" << to.size.height;
        EXPECT_TRUE(trips == 0 || changedOtherwise(w))
            << "the resize to " << to.size.width << "x" << to.size.height << " was read from the server again";
    }
}

// Driven report by report: between a client's ConfigureNotify and its
// frame's (in either order) memory answers nothing, as the two make no
// frame that ever was; once both came it answers the whole window without
// a read. A frame changing alone (rolled up) stays unanswered until read.
TEST(X11ClientCacheReportsTest, AResizeIsWholeAgainOnceBothReportsCame) {
    constexpr xcb_window_t client = 0x400001;
    constexpr xcb_window_t frameWindow = 0x200001;
    X11WindowCache cache;
    cache.watching({client});
    // A frame with a 4-pixel border and a 20-pixel title bar.
    const X11WindowInfo read =
        framedRead(client, frameWindow, Rect(100, 100, 208, 228), Rect(104, 124, 200, 200), Point{4, 24});
    const Rect frameBefore = read.frame;
    cache.rememberClient(cache.generation(), read);
    ASSERT_TRUE(cache.client(client));

    // The client first (openbox): 100 wider, 50 taller.
    cache.configured(client, Size{300, 250}, false, Rect(4, 24, 300, 250));
    EXPECT_FALSE(cache.client(client)) << "a frame that never was";
    EXPECT_FALSE(cache.holdsClient(client));
    cache.frameConfigured(client, frameWindow, Rect(100, 100, 308, 278), 0);
    auto whole = cache.client(client);
    ASSERT_TRUE(whole) << "both reports came";
    EXPECT_EQ(whole->clientFrame, Rect(104, 124, 300, 250));
    EXPECT_EQ(whole->frame, Rect(frameBefore.origin, Size{308, 278}));

    // The frame first, moving left and up as it grows from its top-left.
    cache.frameConfigured(client, frameWindow, Rect(60, 80, 348, 298), 0);
    EXPECT_FALSE(cache.client(client));
    cache.configured(client, Size{340, 270}, false, Rect(4, 24, 340, 270));
    whole = cache.client(client);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->clientFrame, Rect(64, 104, 340, 270));
    EXPECT_EQ(whole->frame, Rect(60, 80, 348, 298));
    // A synthetic ConfigureNotify (a move's) changes nothing of it.
    cache.configured(client, Size{340, 270}, true, Rect(64, 104, 340, 270));
    EXPECT_EQ(cache.client(client)->frame, Rect(60, 80, 348, 298));

    // Read between the two reports of a resize (the window manager sized
    // the frame, not yet the client): still torn until the client's report,
    // which mends it whatever size the read already kept.
    cache.frameConfigured(client, frameWindow, Rect(60, 80, 358, 308), 0);
    X11WindowInfo midway = *whole;
    midway.frameBounds = Rect(60, 80, 358, 308);
    cache.rememberClient(cache.generation(), midway);
    EXPECT_FALSE(cache.client(client)) << "a frame that never was";
    cache.configured(client, Size{350, 280}, false, Rect(4, 24, 350, 280));
    ASSERT_TRUE(cache.client(client));
    EXPECT_EQ(cache.client(client)->frame, Rect(60, 80, 358, 308));
    cache.frameConfigured(client, frameWindow, Rect(60, 80, 368, 318), 0);
    midway.frameBounds = Rect(60, 80, 368, 318);
    midway.placeClient(Rect(64, 104, 360, 290));
    cache.rememberClient(cache.generation(), midway);
    cache.configured(client, Size{360, 290}, false, Rect(4, 24, 360, 290));
    ASSERT_TRUE(cache.client(client)) << "the client's report came, of the size the read kept";
    EXPECT_EQ(cache.client(client)->frame, Rect(60, 80, 368, 318));

    // Rolled up: the frame alone shrinks to its title bar as the state
    // says so, which lets go of the client; a read says what it is.
    cache.frameConfigured(client, frameWindow, Rect(60, 80, 368, 28), 0);
    cache.stateChanged(client);
    cache.frameConfigured(client, frameWindow, Rect(70, 90, 368, 28), 0);
    EXPECT_FALSE(cache.client(client));
    X11WindowInfo rolled = midway;
    rolled.frameBounds = Rect(70, 90, 368, 28);
    rolled.placeClient(Rect(74, 114, 360, 290));
    cache.rememberClient(cache.generation(), rolled);
    ASSERT_TRUE(cache.client(client));
    EXPECT_EQ(cache.client(client)->frameBounds, Rect(70, 90, 368, 28));
    // A state change still lets go of the client for a read.
    cache.stateChanged(client);
    EXPECT_FALSE(cache.client(client));
}

// The size a move names is the one a write asked for until the window
// manager has answered it: neither a report sent before the write nor
// what the window still shows once the server has passed the request on
// (a read, a move's report) undoes it. A window the window manager leaves
// unframed (metacity and marco do so with an undecorated one) reports a
// resize only as a root child. A size the window manager does not allow
// lapses, and the size the window reports counts again.
TEST(X11ClientCacheReportsTest, ASizeAskedForIsNamedUntilTheWindowManagerAnswers) {
    constexpr xcb_window_t client = 0x400002;
    constexpr xcb_window_t framed = 0x400003;
    VirtualClock clock;
    X11WindowCache cache(clock);
    int marks = 0;
    cache.setMarker([&] { ++marks; });
    cache.watching({client, framed});
    cache.rememberSize(cache.generation(), client, Size{240, 160});

    cache.sizeRequested(client, Size{464, 306});
    EXPECT_EQ(marks, 1);
    cache.frameConfigured(client, client, Rect(200, 200, 240, 160), 0);  // sent before the write
    EXPECT_EQ(cache.lookup(client).size, (Size{464, 306}));
    EXPECT_TRUE(cache.lookup(client).sizeAsked);

    cache.marked();
    // Read, and moved, while the request waited for the window manager.
    cache.rememberSize(cache.generation(), client, Size{240, 160});
    cache.frameConfigured(client, client, Rect(300, 200, 242, 162), 1);
    EXPECT_EQ(cache.lookup(client).size, (Size{464, 306})) << "the size the window leaves";
    EXPECT_TRUE(cache.lookup(client).sizeAsked);
    cache.frameConfigured(client, client, Rect(300, 200, 466, 308), 1);
    EXPECT_EQ(cache.lookup(client).size, (Size{464, 306})) << "the answer, its border left out";
    EXPECT_FALSE(cache.lookup(client).sizeAsked);
    // Moves alone keep it; a resize of the window manager's own is followed.
    cache.frameConfigured(client, client, Rect(340, 230, 466, 308), 1);
    EXPECT_EQ(cache.lookup(client).size, (Size{464, 306}));
    cache.frameConfigured(client, client, Rect(340, 230, 402, 302), 1);
    EXPECT_EQ(cache.lookup(client).size, (Size{400, 300}));

    // A framed client, its own reports; a screen-sized write it is not
    // allowed is answered with less.
    cache.rememberSize(cache.generation(), framed, Size{200, 200});
    cache.sizeRequested(framed, Size{3000, 2000});
    cache.marked();
    cache.configured(framed, Size{200, 200}, true);  // a move's, before the answer
    cache.configured(framed, Size{1920, 1043}, false);
    clock.advance(X11WindowCache::kSizeAnswerPatience);
    EXPECT_EQ(cache.lookup(framed).size, (Size{1920, 1043}));
    EXPECT_FALSE(cache.lookup(framed).sizeAsked);
}

// marco and metacity write the client list anew with every restack, the
// same clients in the same or another order: a read under way then is still
// kept (the next read asks nothing), and the list's order is followed. A
// client that joins the list drops the reads under way: one of it may have
// seen it before the window manager framed it.
TEST(X11ClientCacheReportsTest, AClientListWrittenAnewWithTheSameClientsKeepsTheReadsUnderWay) {
    constexpr xcb_window_t client = 0x400001;
    constexpr xcb_window_t other = 0x400002;
    constexpr xcb_window_t joining = 0x400003;
    constexpr xcb_window_t frameWindow = 0x200001;
    X11WindowCache cache;
    cache.watching({client, other});
    const X11WindowInfo read =
        framedRead(client, frameWindow, Rect(867, 457, 186, 166), Rect(880, 490, 160, 120), Point{13, 33});

    auto since = cache.generation();
    cache.clientsChanged({client, other});
    cache.clientsChanged({other, client});
    cache.rememberClient(since, read);
    cache.rememberPid(since, client, kFirstOwner);
    EXPECT_TRUE(cache.client(client)) << "written anew, restacked";
    EXPECT_EQ(cache.lookup(client).pid, kFirstOwner);
    EXPECT_EQ(cache.clientList(), (std::vector<xcb_window_t>{other, client}));

    // Read before the window manager listed (and framed) it.
    X11WindowInfo unframed;
    unframed.window = unframed.frameWindow = joining;
    unframed.frameBounds = Rect(0, 0, 160, 120);
    unframed.placeClient(Rect(0, 0, 160, 120));
    since = cache.generation();
    cache.clientsChanged({other, client, joining});
    cache.rememberClient(since, unframed);
    cache.rememberPid(since, joining, kSecondOwner);
    EXPECT_FALSE(cache.client(joining)) << "read before it was listed";
    EXPECT_FALSE(cache.lookup(joining).pid);
    EXPECT_TRUE(cache.client(client));
}

// A client held deeper in its frame (icewm) keeps its place in the frame as
// the frame moves. A read made while the window manager moved it can find
// the client where it was and the frame where it went (they come in two
// batches) and be kept before the move's report comes: that report lets go
// of it, rather than keep the client where it was for good.
TEST(X11ClientCacheReportsTest, ANestedClientReadInTheMiddleOfAMoveIsNotKeptWhereItWas) {
    constexpr xcb_window_t client = 0x400001;
    constexpr xcb_window_t frameWindow = 0x200001;
    X11WindowCache cache;
    cache.watching({client});
    // A 5-pixel border, a 24-pixel title bar, the client's 1-pixel border.
    const X11WindowInfo read = framedRead(client, frameWindow, Rect(400, 300, 210, 229), Rect(405, 324, 202, 202));
    cache.rememberClient(cache.generation(), read);
    cache.frameConfigured(client, frameWindow, Rect(60, 40, 210, 229), 0);
    ASSERT_TRUE(cache.client(client));
    EXPECT_EQ(cache.client(client)->clientFrame, Rect(65, 64, 202, 202)) << "moved with its frame";

    // Moved back; the read saw the client still at 65,64, the frame back.
    const auto since = cache.generation();
    X11WindowInfo torn = read;
    torn.frameBounds = Rect(400, 300, 210, 229);
    torn.placeClient(Rect(65, 64, 202, 202));
    cache.rememberClient(since, torn);
    cache.frameConfigured(client, frameWindow, Rect(400, 300, 210, 229), 0);
    EXPECT_FALSE(cache.client(client)) << "not kept where it was: a read says where it is";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11ClientCacheOnWindowManagerTest,
                         ::testing::Values(X11WindowManager::openbox, X11WindowManager::xfwm4, X11WindowManager::icewm,
                                           X11WindowManager::fluxbox, X11WindowManager::metacity,
                                           X11WindowManager::marco, X11WindowManager::kwin, X11WindowManager::kwinComposited, X11WindowManager::mutter, X11WindowManager::muffin),
                         X11WindowManagerName());

}  // namespace
}  // namespace tessaly::test
