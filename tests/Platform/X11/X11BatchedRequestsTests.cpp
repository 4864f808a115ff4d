// Requests the backend folds into one batch: moves and resizes check the
// window's owner together with the rest of what they read (a window of
// another process is never touched, whether its owner is published in
// _NET_WM_PID or found through X-Resource), and window reads find the frame
// of a client reparented one level deep without a second batch. Later
// writes answer from what earlier ones learnt, which the event reader keeps
// current. A batch's replies are waited for once, and so is a window list of
// a desktop at rest.
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11EventLog.h"
#include "Platform/X11/X11WindowList.h"

#include <algorithm>

namespace tessaly::test {
namespace {

class X11BatchedRequestsTest : public X11BackendTest {
protected:
    Rect frameOf(xcb_window_t window) {
        const auto info = backend->windows().read(window);
        return info ? info->frame : Rect();
    }

    // Creates window `w` (a fresh id or one given back) claiming `owner` in
    // _NET_WM_PID, and waits until openbox manages it and the backend's
    // event reader has seen it join the client list.
    bool createManaged(xcb_window_t w, ProcessID owner, X11EventLog& log) {
        X11Connection& x = desktop->connection();
        xcb_connection_t* c = x.get();
        const std::uint32_t values[] = {x.screen().white_pixel};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, x.root(), 100, 100, 160, 120, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
        const auto pid = static_cast<std::uint32_t>(owner);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, x.atoms().NET_WM_PID, XCB_ATOM_CARDINAL, 32, 1, &pid);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, x.atoms().NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 32, 1,
                            &x.atoms().NET_WM_WINDOW_TYPE_NORMAL);
        xcb_map_window(c, w);
        x.flush();
        return log.waitFor([w](const X11Event& e) {
            return e.kind == X11Event::Kind::clientListChanged &&
                   std::find(e.clients.begin(), e.clients.end(), w) != e.clients.end();
        }) && desktop->waitUntil([&] {
            const auto info = backend->windows().read(w);
            return info && info->frameWindow != w && info->viewable;
        });
    }
};

TEST_F(X11BatchedRequestsTest, WritesToAWindowOfAnotherProcessAreRefusedAndSendNothing) {
    auto xterm = desktop->launchXterm("owner check", "80x24+50+50");  // publishes its pid
    auto xlogo = desktop->launchXlogo("200x200+700+300");               // does not
    ASSERT_TRUE(xterm && xlogo);
    X11Accessibility ax(backend);
    const auto& windows = backend->windows();

    for (const auto& [owner, other] : {std::pair{*xterm, *xlogo}, std::pair{*xlogo, *xterm}}) {
        const X11Desktop::Client client = owner;
        const X11Desktop::Client stranger = other;
        const Rect before = frameOf(client.window);
        const AXElement wrong = X11Accessibility::windowElement(stranger.pid, client.window);
        EXPECT_EQ(ax.setAttributeValue(wrong, "AXPosition", Point{5, 5}, 0), AXError::invalidElement);
        EXPECT_EQ(ax.setAttributeValue(wrong, "AXSize", Size{250, 250}, 0), AXError::invalidElement);
        // A value of the wrong type on an element that is not valid: the element is what is wrong.
        EXPECT_EQ(ax.setAttributeValue(wrong, "AXPosition", std::string("no"), 0), AXError::invalidElement);
        EXPECT_FALSE(windows.setPosition(client.window, Point{5, 5}, stranger.pid));
        EXPECT_FALSE(windows.setSize(client.window, Size{250, 250}, stranger.pid));
        backend->connection().sync();
        EXPECT_EQ(frameOf(client.window), before);

        const AXElement right = X11Accessibility::windowElement(client.pid, client.window);
        EXPECT_EQ(ax.setAttributeValue(right, "AXPosition", std::string("no"), 0), AXError::illegalArgument);
        const Point target{before.origin.x + 30, before.origin.y + 20};
        ASSERT_EQ(ax.setAttributeValue(right, "AXPosition", target, 0), AXError::success);
        EXPECT_TRUE(desktop->waitUntil([&] { return frameOf(client.window).origin == target; }));
    }
}

TEST_F(X11BatchedRequestsTest, WritesAnswerFromMemoryUntilTheWindowOrItsExtentsChange) {
    X11EventLog log;
    auto subscription = backend->subscribe(log.handler());
    ASSERT_TRUE(subscription.isActive());
    const auto& windows = backend->windows();
    const X11WindowCache& cache = *windows.cache();
    X11Connection& x = desktop->connection();
    xcb_connection_t* c = x.get();
    // Owners made up for the test: they are only compared.
    constexpr ProcessID firstOwner = 4001;
    constexpr ProcessID secondOwner = 4002;
    const xcb_window_t w = xcb_generate_id(c);
    ASSERT_TRUE(createManaged(w, firstOwner, log));

    // A write learns the owner, the extents and the window manager (unless
    // a report came in meanwhile, as when openbox settles a new window's
    // extents: then the next write does); later ones answer from that,
    // refusals included, and still land.
    const auto& a = x.atoms();
    ASSERT_TRUE(desktop->waitUntil([&] {
        EXPECT_TRUE(windows.setSize(w, Size{300, 200}, firstOwner));
        const auto known = cache.lookup(w);
        return known.pid && known.extents && known.moveResize;
    }));
    const auto known = cache.lookup(w);
    EXPECT_EQ(known.pid, firstOwner);
    EXPECT_GT(known.extents->top, 0);
    EXPECT_EQ(known.moveResize, true);
    EXPECT_FALSE(windows.setPosition(w, Point{5, 5}, secondOwner));
    EXPECT_FALSE(windows.setSize(w, Size{250, 250}, secondOwner));
    const Point moved{260, 190};
    ASSERT_TRUE(windows.setPosition(w, moved, firstOwner));
    EXPECT_TRUE(desktop->waitUntil([&] { return frameOf(w) == Rect(moved.x, moved.y, 300, 200); }));

    // New extents are read again, not taken from memory.
    const std::uint32_t extents[] = {1, 2, 3, 4};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, a.NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 32, 4, extents);
    x.flush();
    ASSERT_TRUE(log.waitFor([&](const X11Event& e) { return e.window == w && e.property == a.NET_FRAME_EXTENTS; }));
    EXPECT_FALSE(cache.lookup(w).extents);
    EXPECT_EQ(cache.lookup(w).pid, firstOwner);
    EXPECT_TRUE(desktop->waitUntil([&] {
        const auto info = windows.read(w);
        const auto remembered = cache.lookup(w).extents;
        return info && info->extents.bottom == 4 && remembered && remembered->bottom == 4;
    }));

    // So is the window manager's check, when it is announced again.
    const auto check = propertyCardinal(x.readProperty(x.root(), a.NET_SUPPORTING_WM_CHECK).get());
    ASSERT_TRUE(check);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, x.root(), a.NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 32, 1,
                        &*check);
    x.flush();
    ASSERT_TRUE(log.waitFor(X11Event::Kind::windowManagerChanged, kNoWindow));
    EXPECT_FALSE(cache.lookup(w).moveResize);
    ASSERT_TRUE(windows.setPosition(w, Point{240, 180}, firstOwner));
    EXPECT_EQ(cache.lookup(w).moveResize, true);

    // A destroyed window is forgotten: writing to it fails as before.
    xcb_destroy_window(c, w);
    x.flush();
    ASSERT_TRUE(log.waitFor(X11Event::Kind::destroyed, w));
    EXPECT_FALSE(cache.lookup(w).known);
    EXPECT_FALSE(windows.setPosition(w, moved, firstOwner));
    EXPECT_FALSE(windows.setFrame(w, Rect(10, 10, 200, 200)));

    // Its id given to a window of another owner is not answered for the old one.
    log.clear();
    ASSERT_TRUE(createManaged(w, secondOwner, log));
    EXPECT_FALSE(windows.setPosition(w, moved, firstOwner));
    EXPECT_NE(cache.lookup(w).pid, firstOwner);
    ASSERT_TRUE(windows.setPosition(w, moved, secondOwner));
    EXPECT_TRUE(desktop->waitUntil([&] { return frameOf(w).origin == moved; }));

    // A write racing with the window's end answers as it may, harmlessly.
    xcb_destroy_window(c, w);
    x.flush();
    windows.setPosition(w, Point{30, 30}, secondOwner);
    windows.setFrame(w, Rect(30, 30, 200, 200));
    backend->connection().sync();
    EXPECT_TRUE(backend->connection().isAlive());
    subscription.cancel();
}

TEST_F(X11BatchedRequestsTest, WritesStartTheReaderThatKeepsTheirMemoryCurrent) {
    // No subscriber: the first write starts the event reader, after which
    // the window's owner is remembered.
    auto xterm = desktop->launchXterm("remembered", "80x24+50+50");
    ASSERT_TRUE(xterm);
    const auto& windows = backend->windows();
    EXPECT_FALSE(windows.cache()->isActive());
    ASSERT_TRUE(windows.setPosition(xterm->window, Point{60, 60}, xterm->pid));
    EXPECT_TRUE(windows.cache()->isActive());
    ASSERT_TRUE(windows.setPosition(xterm->window, Point{80, 70}, xterm->pid));
    EXPECT_EQ(windows.cache()->lookup(xterm->window).pid, xterm->pid);
    EXPECT_TRUE(desktop->waitUntil([&] { return frameOf(xterm->window).origin == Point(80, 70); }));
}

TEST_F(X11BatchedRequestsTest, MovesKeepTheSizeTheWindowLandedOn) {
    // xterm snaps a size it is given to character cells: the size a move
    // names is the one it landed on, learnt once the events from before
    // the resize have come by, not the one asked for.
    auto xterm = desktop->launchXterm("cells", "80x24+50+50");
    ASSERT_TRUE(xterm);
    const auto& windows = backend->windows();
    const auto landed = [&] { return windows.read(xterm->window)->clientFrame.size; };
    const Size before = landed();
    ASSERT_TRUE(windows.setPosition(xterm->window, Point{60, 60}, xterm->pid));
    ASSERT_TRUE(windows.setSize(xterm->window, Size{613, 411}, xterm->pid));
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto size = landed();
        return size != before && size.width < 613 && windows.cache()->lookup(xterm->window).size == size;
    }));
    const Size size = landed();
    for (int step = 1; step <= 3; ++step) {
        const Point to{60.0 + 25 * step, 60.0 + 10 * step};
        ASSERT_TRUE(windows.setPosition(xterm->window, to, xterm->pid));
        ASSERT_TRUE(desktop->waitUntil([&] { return frameOf(xterm->window).origin == to; }));
        EXPECT_EQ(landed(), size) << "step " << step;
    }
}

TEST_F(X11BatchedRequestsTest, FramesAreTheRootsChildrenAtAnyDepth) {
    // Unmanaged windows nested three deep: top (a root child) > middle > inner.
    xcb_connection_t* c = desktop->connection().get();
    const xcb_window_t root = desktop->connection().root();
    const std::uint32_t overrideRedirect = 1;
    xcb_window_t parent = root;
    std::vector<xcb_window_t> chain;
    for (int depth = 0; depth < 3; ++depth) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, 10, 10, 100, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, depth == 0 ? std::uint32_t{XCB_CW_OVERRIDE_REDIRECT} : 0u, &overrideRedirect);
        chain.push_back(w);
        parent = w;
    }
    desktop->connection().sync();

    const auto infos = backend->windows().read(chain);
    ASSERT_EQ(infos.size(), 3u);
    for (const auto& info : infos) EXPECT_EQ(info.frameWindow, chain[0]);
    EXPECT_EQ(backend->windows().frameWindows(chain), std::vector<xcb_window_t>(3, chain[0]));
    // A window that is gone is left out, the others keep their order.
    xcb_destroy_window(c, chain[2]);
    desktop->connection().sync();
    const auto rest = backend->windows().read({chain[2], chain[1], chain[0]});
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].window, chain[1]);
    EXPECT_EQ(rest[1].window, chain[0]);
}

TEST_F(X11BatchedRequestsTest, ABatchAndAWindowListAtRestWaitOnceForTheirReplies) {
    X11RoundTrips::setCounting(true);
    struct StopCounting {
        ~StopCounting() { X11RoundTrips::setCounting(false); }
    } stopCounting;
    const X11Connection& x = backend->connection();
    xcb_connection_t* c = x.get();
    // Far more replies than one read of the connection takes: collected in
    // order, the later ones would be waited for again, read by read.
    const std::vector<xcb_window_t> windows(20000, x.root());
    const auto before = X11RoundTrips::countOnThisThread();
    const auto replies = xcbPipeline(
        c, windows, [c](xcb_window_t w) { return xcb_get_window_attributes(c, w); }, xcb_get_window_attributes_reply);
    EXPECT_EQ(X11RoundTrips::countOnThisThread() - before, 1u);
    EXPECT_TRUE(std::all_of(replies.begin(), replies.end(), [](const auto& reply) { return reply != nullptr; }));

    auto xlogo = desktop->launchXlogo("200x200+300+300");
    ASSERT_TRUE(xlogo);
    X11WindowList list(backend);
    const auto waits = [&] {
        const auto at = X11RoundTrips::countOnThisThread();
        const auto listed = list.copyWindowInfo(WindowListOption::all, 0);
        return listed && !listed->empty() ? X11RoundTrips::countOnThisThread() - at : 0;
    };
    // Once what the list keeps is filled, nothing but the stacking is asked.
    EXPECT_TRUE(desktop->waitUntil([&] { return waits() == 1; }));
}

// A connection opened beside another to the same server takes its atoms
// from it instead of waiting for them again, and they name what they named.
TEST_F(X11BatchedRequestsTest, AConnectionBesideAnotherWaitsForNoAtoms) {
    X11Connection& first = desktop->connection();
    X11RoundTrips::setCounting(true);
    const auto before = X11RoundTrips::countOnThisThread();
    const auto beside = X11Connection::open(desktop->display(), first);
    const auto waited = X11RoundTrips::countOnThisThread() - before;
    X11RoundTrips::setCounting(false);
    ASSERT_TRUE(beside);
    EXPECT_EQ(waited, 0u);
    const char name[] = "_NET_ACTIVE_WINDOW";
    const auto own = xcbReply(beside->get(), xcb_intern_atom_reply,
                              xcb_intern_atom(beside->get(), 1, sizeof name - 1, name));
    ASSERT_TRUE(own);
    EXPECT_EQ(beside->atoms().NET_ACTIVE_WINDOW, own->atom);
    EXPECT_EQ(beside->windowManagerCheckWindow(), first.windowManagerCheckWindow());
}

}  // namespace
}  // namespace tessaly::test
