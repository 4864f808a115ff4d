// Window actions on a real desktop, synchronised on the event reader's
// events and on values read back.
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11Monitors.h"
#include "Platform/X11/X11EventLog.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <future>
#include <string>

namespace tessaly::test {
namespace {

using Kind = X11Event::Kind;

class X11ActionsTest : public X11DesktopTest {
protected:
    void SetUp() override {
        X11DesktopTest::SetUp();
        if (!desktop) return;
        reader = X11EventReader::start(desktop->display(), log.handler());
        ASSERT_TRUE(reader);
    }
    void TearDown() override {
        reader.reset();
        X11DesktopTest::TearDown();
    }
    X11Windows& windows() { return desktop->windows(); }
    // Launches and waits until the reader watches the new client too.
    std::optional<X11Desktop::Client> launchWatched(const std::vector<std::string>& argv) {
        auto client = desktop->launch(argv);
        if (client && !log.waitForClient(client->window)) return std::nullopt;
        return client;
    }
    std::optional<X11WindowInfo> info(xcb_window_t w) { return windows().read(w); }

    X11EventLog log;
    std::unique_ptr<X11EventReader> reader;
};

TEST_F(X11ActionsTest, FramesLandWhereAskedAndReadBack) {
    auto xlogo = launchWatched({"xlogo"});
    auto xterm = launchWatched({"xterm", "-e", "cat"});
    ASSERT_TRUE(xlogo && xterm);

    // xlogo takes any size: the frame lands exactly, decoration included.
    ASSERT_TRUE(windows().setFrame(xlogo->window, Rect(300, 200, 500, 400)));
    ASSERT_TRUE(log.waitFor(Kind::frameChanged, xlogo->window));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == Rect(300, 200, 500, 400); }))
        << "frame " << info(xlogo->window)->frame.minX() << "," << info(xlogo->window)->frame.minY();
    const auto logo = info(xlogo->window);
    EXPECT_EQ(logo->clientFrame.minX(), 300 + logo->extents.left);
    EXPECT_EQ(logo->clientFrame.width(), 500 - logo->extents.left - logo->extents.right);

    // xterm snaps its size to character cells: the origin lands, the size is
    // the nearest smaller step.
    ASSERT_TRUE(windows().setFrame(xterm->window, Rect(50, 60, 613, 411)));
    ASSERT_TRUE(desktop->waitUntil([&] {
        const Rect f = info(xterm->window)->frame;
        return f.origin == Point{50, 60} && f.width() > 613 - 20 && f.height() > 411 - 30;
    }));
    const auto term = info(xterm->window);
    EXPECT_LE(term->frame.width(), 613);
    EXPECT_GT(term->frame.width(), 613 - 20);
    EXPECT_LE(term->frame.height(), 411);
    EXPECT_GT(term->frame.height(), 411 - 30);

    // Moving alone keeps the size; resizing alone keeps the origin.
    ASSERT_TRUE(windows().setPosition(xlogo->window, Point{10, 20}));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == Rect(10, 20, 500, 400); }));
    ASSERT_TRUE(windows().setSize(xlogo->window, Size{320, 240}));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == Rect(10, 20, 320, 240); }));
}

TEST_F(X11ActionsTest, ActivateMinimiseRestoreAndCloseReportTheirEvents) {
    auto first = launchWatched({"xterm", "-T", "first", "-e", "cat"});
    auto second = launchWatched({"xterm", "-T", "second", "-geometry", "80x24+600+300", "-e", "cat"});
    ASSERT_TRUE(first && second);

    log.clear();
    ASSERT_TRUE(windows().activate(first->window));
    ASSERT_TRUE(log.waitFor(Kind::activeWindowChanged, first->window));
    EXPECT_EQ(windows().activeWindow(), first->window);
    // It is in front of the other one now.
    ASSERT_TRUE(desktop->waitUntil([&] { return windows().stackingList().back() == first->window; }));

    log.clear();
    ASSERT_TRUE(windows().minimize(first->window));
    ASSERT_TRUE(log.waitFor(Kind::wmStateChanged, first->window));
    // openbox marks the window iconic before it unmaps it; a map that comes
    // in between is lost, so the restore waits for both.
    ASSERT_TRUE(desktop->waitUntil([&] { return info(first->window)->iconic && !info(first->window)->viewable; }));
    EXPECT_TRUE(info(first->window)->isMinimized());

    log.clear();
    ASSERT_TRUE(windows().restore(first->window));
    ASSERT_TRUE(log.waitFor(Kind::mapped, first->window));
    ASSERT_TRUE(desktop->waitUntil([&] { return !info(first->window)->isMinimized() && info(first->window)->viewable; }));
    // openbox focuses a window it brings back.
    ASSERT_TRUE(log.waitFor(Kind::activeWindowChanged, first->window));

    // Raising without focus keeps the active window.
    log.clear();
    ASSERT_TRUE(windows().activate(second->window));
    ASSERT_TRUE(log.waitFor(Kind::activeWindowChanged, second->window));
    ASSERT_TRUE(windows().raise(first->window));
    ASSERT_TRUE(desktop->waitUntil([&] { return windows().stackingList().back() == first->window; }));
    EXPECT_EQ(windows().activeWindow(), second->window);

    log.clear();
    ASSERT_TRUE(windows().close(second->window));
    ASSERT_TRUE(log.waitFor(Kind::destroyed, second->window));
    EXPECT_TRUE(X11Desktop::waitForExit(second->pid, kX11Patience));
    // The list may change before or after the window's DestroyNotify.
    ASSERT_TRUE(log.waitFor([&](const X11Event& e) {
        return e.kind == Kind::clientListChanged &&
               std::find(e.clients.begin(), e.clients.end(), second->window) == e.clients.end();
    }));
    const auto list = windows().clientList();
    EXPECT_EQ(std::find(list.begin(), list.end(), second->window), list.end());
}

TEST_F(X11ActionsTest, AWindowThatVanishedIsAnOrdinaryFailure) {
    auto xlogo = launchWatched({"xlogo"});
    auto xterm = launchWatched({"xterm", "-e", "cat"});
    ASSERT_TRUE(xlogo && xterm);
    const xcb_window_t gone = xlogo->window;
    kill(xlogo->pid, SIGKILL);
    ASSERT_TRUE(log.waitFor(Kind::destroyed, gone));

    EXPECT_FALSE(windows().exists(gone));
    EXPECT_FALSE(windows().read(gone));
    EXPECT_FALSE(windows().setFrame(gone, Rect(0, 0, 100, 100)));
    EXPECT_FALSE(windows().setPosition(gone, Point{1, 1}));
    EXPECT_FALSE(windows().activate(gone));
    EXPECT_FALSE(windows().raise(gone));
    EXPECT_FALSE(windows().minimize(gone));
    EXPECT_FALSE(windows().restore(gone));
    EXPECT_FALSE(windows().close(gone));
    EXPECT_FALSE(windows().setFullScreen(gone, true));
    // A batch with a dead window in it answers the living ones.
    const auto infos = windows().read({gone, xterm->window, 0x7fffff0u});
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].window, xterm->window);
    EXPECT_EQ(windows().frameWindows({gone, xterm->window})[0], kNoWindow);
    // The connection is still good afterwards.
    EXPECT_TRUE(desktop->connection().isAlive());
    EXPECT_TRUE(windows().setPosition(xterm->window, Point{30, 40}));
    EXPECT_TRUE(desktop->waitUntil([&] { return info(xterm->window)->frame.origin == Point{30, 40}; }));
}

// Whether a thread of ours is blocked in poll(), as xcb is while it waits
// for a reply after sending its requests.
bool blockedInPoll(pid_t thread) {
    std::ifstream in("/proc/self/task/" + std::to_string(thread) + "/syscall");
    long number = -1;
    if (!(in >> number)) return false;
#ifdef SYS_poll
    if (number == SYS_poll) return true;
#endif
    return number == SYS_ppoll;
}

// The window goes while the requests about it wait in the server: another
// client grabs the server, the reads are sent and held back, the window is
// destroyed, the grab is let go.
TEST_F(X11ActionsTest, AWindowDestroyedMidOperationIsAnOrdinaryFailure) {
    auto readGone = launchWatched({"xlogo", "-geometry", "200x200+50+50"});
    auto moveGone = launchWatched({"xlogo", "-geometry", "200x200+300+50"});
    auto xterm = launchWatched({"xterm", "-e", "cat"});
    ASSERT_TRUE(readGone && moveGone && xterm);
    auto grabber = X11Connection::open(desktop->display());
    auto requests = X11Connection::open(desktop->display());
    ASSERT_TRUE(grabber && requests);
    const X11Windows other(*requests);

    // Runs `operation` on a thread of its own while `victim` is destroyed
    // between the sending of its requests and their handling.
    const auto destroyedMidway = [&]<typename Operation>(xcb_window_t victim, Operation operation) {
        xcb_grab_server(grabber->get());
        grabber->sync();
        std::atomic<pid_t> thread = 0;
        auto result = std::async(std::launch::async, [&] {
            thread = gettid();
            return operation();
        });
        const bool held = desktop->waitUntil([&] { return thread != 0 && blockedInPoll(thread); });
        xcb_destroy_window(grabber->get(), victim);
        grabber->sync();
        xcb_ungrab_server(grabber->get());
        grabber->flush();
        EXPECT_TRUE(held) << "the requests were not held back by the grab";
        return result.get();
    };

    const auto infos = destroyedMidway(readGone->window, [&] { return other.read({readGone->window, xterm->window}); });
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].window, xterm->window);
    EXPECT_FALSE(destroyedMidway(moveGone->window, [&] { return other.setFrame(moveGone->window, Rect(10, 10, 300, 200)); }));

    // Both connections are still good, and the living window still moves.
    EXPECT_TRUE(requests->isAlive());
    EXPECT_TRUE(desktop->connection().isAlive());
    EXPECT_TRUE(other.setPosition(xterm->window, Point{30, 40}));
    EXPECT_TRUE(desktop->waitUntil([&] { return info(xterm->window)->frame.origin == Point{30, 40}; }));
}

TEST_F(X11ActionsTest, FullScreenCoversTheMonitorAndComesBack) {
    auto xlogo = launchWatched({"xlogo", "-geometry", "200x200+100+100"});
    ASSERT_TRUE(xlogo);
    const Rect before = info(xlogo->window)->frame;
    ASSERT_TRUE(windows().setFullScreen(xlogo->window, true));
    ASSERT_TRUE(log.waitFor(Kind::stateChanged, xlogo->window));
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto i = info(xlogo->window);
        return i->state.fullscreen && i->frame == Rect(0, 0, 1920, 1080);
    }));
    ASSERT_TRUE(windows().setFullScreen(xlogo->window, false));
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto i = info(xlogo->window);
        return !i->state.fullscreen && i->frame == before;
    }));
}

TEST_F(X11ActionsTest, TitleChangesAreReported) {
    auto xterm = launchWatched({"xterm", "-T", "before", "-e", "cat"});
    ASSERT_TRUE(xterm);
    log.clear();
    // xterm sets its title from an escape sequence; the simplest outside
    // change is a property write, as the client itself would do.
    const std::string title = "after";
    xcb_change_property(desktop->connection().get(), XCB_PROP_MODE_REPLACE, xterm->window,
                        desktop->connection().atoms().NET_WM_NAME, desktop->connection().atoms().UTF8_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    desktop->connection().flush();
    ASSERT_TRUE(log.waitFor(Kind::titleChanged, xterm->window));
    EXPECT_EQ(info(xterm->window)->title, "after");
}

class X11DesktopsTest : public X11ActionsTest {
protected:
    X11Desktop::Options desktopOptions() const override {
        X11Desktop::Options o;
        o.desktops = 3;
        return o;
    }
};

TEST_F(X11DesktopsTest, SwitchesDesktopsAndMovesWindowsBetweenThem) {
    auto xterm = launchWatched({"xterm", "-e", "cat"});
    ASSERT_TRUE(xterm);
    EXPECT_EQ(windows().numberOfDesktops(), 3u);
    EXPECT_EQ(windows().currentDesktop(), 0u);
    EXPECT_EQ(info(xterm->window)->desktop, 0u);

    ASSERT_TRUE(windows().moveToDesktop(xterm->window, 2));
    ASSERT_TRUE(log.waitFor(Kind::desktopChanged, xterm->window));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xterm->window)->desktop == 2u && !info(xterm->window)->viewable; }));

    ASSERT_TRUE(windows().switchToDesktop(2));
    ASSERT_TRUE(log.waitFor(Kind::currentDesktopChanged, kNoWindow));
    ASSERT_TRUE(desktop->waitUntil([&] { return windows().currentDesktop() == 2u && info(xterm->window)->viewable; }));

    EXPECT_FALSE(windows().switchToDesktop(3));
    EXPECT_FALSE(windows().moveToDesktop(xterm->window, 7));
}

TEST_F(X11ActionsTest, MonitorsFollowXrandr) {
    X11Monitors displays(desktop->connection());
    auto one = displays.monitors();
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].frame, Rect(0, 0, 1920, 1080));
    EXPECT_EQ(one[0].visibleFrame, one[0].frame);

    log.clear();
    ASSERT_EQ(desktop->run({"xrandr", "--setmonitor", "LEFT", "960/254x1080/286+0+0", "screen"}), 0);
    ASSERT_EQ(desktop->run({"xrandr", "--setmonitor", "RIGHT", "960/254x1080/286+960+0", "none"}), 0);
    ASSERT_TRUE(log.waitFor([](const X11Event& e) { return e.kind == Kind::screenChanged; }));
    const auto two = displays.monitors();
    ASSERT_EQ(two.size(), 2u);
    std::vector<Rect> frames{two[0].frame, two[1].frame};
    EXPECT_NE(std::find(frames.begin(), frames.end(), Rect(0, 0, 960, 1080)), frames.end());
    EXPECT_NE(std::find(frames.begin(), frames.end(), Rect(960, 0, 960, 1080)), frames.end());
    if (two[1].isPrimary) ADD_FAILURE() << "the primary monitor comes first";

    // A 30-pixel panel along the top of the left monitor reserves it there only.
    auto& x = desktop->connection();
    const xcb_window_t dock = xcb_generate_id(x.get());
    xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, dock, x.root(), 0, 0, 960, 30, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t dockType = x.atoms().NET_WM_WINDOW_TYPE_DOCK;
    xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, dock, x.atoms().NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 32, 1, &dockType);
    const std::uint32_t strut[12] = {0, 0, 30, 0, 0, 0, 0, 0, 0, 959, 0, 0};
    xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, dock, x.atoms().NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 32, 12,
                        strut);
    log.clear();
    xcb_map_window(x.get(), dock);
    x.flush();
    ASSERT_TRUE(log.waitFor([](const X11Event& e) { return e.kind == Kind::screenChanged; }));
    ASSERT_TRUE(desktop->waitUntil([&] {
        for (const auto& m : displays.monitors()) {
            if (m.frame == Rect(0, 0, 960, 1080) && m.visibleFrame == Rect(0, 30, 960, 1050)) return true;
        }
        return false;
    }));
    for (const auto& m : displays.monitors()) {
        if (m.frame == Rect(960, 0, 960, 1080)) {
            EXPECT_EQ(m.visibleFrame, m.frame);
        }
    }
}

TEST(X11VisibleFrame, StrutsReserveOnlyTheMonitorsTheyTouch) {
    const Size root{1920, 1080};
    const Rect left(0, 0, 960, 1080), right(960, 0, 960, 1080);
    X11Strut topPanel;  // a 30-pixel panel along the top of the left monitor only
    topPanel.top = 30;
    topPanel.topStartX = 0;
    topPanel.topEndX = 959;
    EXPECT_EQ(visibleFrame(left, {topPanel}, root), Rect(0, 30, 960, 1050));
    EXPECT_EQ(visibleFrame(right, {topPanel}, root), right);

    X11Strut bottomDock;  // across the whole bottom edge
    bottomDock.bottom = 48;
    bottomDock.bottomStartX = 0;
    bottomDock.bottomEndX = 1919;
    EXPECT_EQ(visibleFrame(right, {topPanel, bottomDock}, root), Rect(960, 0, 960, 1032));

    X11Strut rightBar;  // on the right edge of the root: only the right monitor
    rightBar.right = 64;
    rightBar.rightStartY = 0;
    rightBar.rightEndY = 1079;
    EXPECT_EQ(visibleFrame(left, {rightBar}, root), left);
    EXPECT_EQ(visibleFrame(right, {rightBar}, root), Rect(960, 0, 896, 1080));

    // A window manager's own taskbar (icewm's) reserves no strut: only the
    // work area tells. Where struts tell, they alone count (the one work
    // area spans every monitor).
    const Rect workArea(0, 0, 1920, 1054);
    EXPECT_EQ(visibleFrame(left, {}, root, workArea), Rect(0, 0, 960, 1054));
    EXPECT_EQ(visibleFrame(right, {rightBar}, root, Rect(0, 30, 1856, 1050)), Rect(960, 0, 896, 1080));
    EXPECT_EQ(visibleFrame(left, {}, root, Rect(2000, 0, 100, 100)), left) << "a work area elsewhere";
}

// A frame's moves are read through the frame itself and through the root:
// each still reaches the program once, in the server's order, and a frame
// that goes away is no client that went away.
TEST_F(X11ActionsTest, EachConfigureOfAFrameIsReportedOnce) {
    auto xlogo = launchWatched({"xlogo"});
    ASSERT_TRUE(xlogo);
    const xcb_window_t frame = windows().frameWindows({xlogo->window})[0];
    ASSERT_NE(frame, xlogo->window) << "the window manager frames its clients";

    // What the server says, seen from a connection that watches only the root.
    auto truth = X11Connection::open(desktop->display());
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(truth->get(), truth->root(), XCB_CW_EVENT_MASK, &mask);
    truth->sync();
    log.clear();
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(windows().setPosition(xlogo->window, Point{100.0 + 7 * i, 80.0 + 3 * i}));
    ASSERT_TRUE(windows().setFrame(xlogo->window, Rect(40, 50, 300, 200)));
    ASSERT_TRUE(log.waitFor([&](const X11Event& e) {
        return e.frameWindow == frame && e.rootChild && e.geometry == Rect(40, 50, 300, 200);
    }));
    truth->sync();
    std::vector<Rect> told;
    while (XEvent event{xcb_poll_for_event(truth->get())}) {
        if ((event->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY) continue;
        const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(event.get());
        if (e->window == frame) told.emplace_back(e->x, e->y, e->width + 2.0 * e->border_width, e->height + 2.0 * e->border_width);
    }
    std::vector<Rect> reported;
    for (const auto& e : log.events()) {
        if (e.frameWindow == frame && e.rootChild && e.hasGeometry) reported.push_back(e.geometry);
    }
    EXPECT_EQ(reported, told);

    log.clear();
    ASSERT_TRUE(windows().close(xlogo->window));
    ASSERT_TRUE(log.waitFor(Kind::destroyed, xlogo->window));
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto tree = windows().stackingList();
        return std::find(tree.begin(), tree.end(), xlogo->window) == tree.end();
    }));
    // The frame goes with its client, or soon after.
    const auto windowsNow = [&] { return xcbReply(desktop->connection().get(), xcb_get_window_attributes_reply,
                                                  xcb_get_window_attributes(desktop->connection().get(), frame)); };
    ASSERT_TRUE(desktop->waitUntil([&] { return !windowsNow(); }));
    for (const auto& e : log.events()) {
        EXPECT_FALSE(e.kind == Kind::destroyed && e.window == frame) << "the frame was reported as a client";
    }
}

TEST_F(X11ActionsTest, TheReaderStopsPromptlyAndCanRestart) {
    reader.reset();
    X11EventLog other;
    for (int i = 0; i < 3; ++i) {
        auto r = X11EventReader::start(desktop->display(), other.handler());
        ASSERT_TRUE(r);
        r->stop();
        EXPECT_FALSE(r->isRunning());
    }
    EXPECT_FALSE(X11EventReader::start(":4093", other.handler()));
}

}  // namespace
}  // namespace tessaly::test

namespace tessaly::test {
namespace {

TEST_F(X11WithoutWindowManagerTest, WindowsAreConfiguredDirectly) {
    auto& x = desktop->connection();
    const xcb_window_t window = xcb_generate_id(x.get());
    xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, window, x.root(), 0, 0, 100, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(x.get(), window);
    x.sync();
    X11Windows windows(x);
    EXPECT_EQ(x.windowManagerCheckWindow(), kNoWindow);
    ASSERT_TRUE(windows.setFrame(window, Rect(10, 20, 300, 200)));
    x.sync();
    const auto info = windows.read(window);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->frameWindow, window);
    EXPECT_EQ(info->frame, Rect(10, 20, 300, 200));
    ASSERT_TRUE(windows.setPosition(window, Point{5, 6}));
    x.sync();
    EXPECT_EQ(windows.read(window)->frame, Rect(5, 6, 300, 200));
    // Without a window manager there is nobody to ask for a polite close.
    EXPECT_FALSE(windows.close(window));
    EXPECT_FALSE(windows.switchToDesktop(0));
}

}  // namespace
}  // namespace tessaly::test

namespace tessaly::test {
namespace {

// The test plays a window manager that keeps a minimised window mapped and
// hides it with its compositor, as mutter does: it announces itself, lists
// one client, and answers a minimise by setting WM_STATE Iconic alone.
class X11KeptMappedMinimiseTest : public X11WithoutWindowManagerTest {
protected:
    void SetUp() override {
        X11WithoutWindowManagerTest::SetUp();
        if (!desktop) return;
        wm = X11Connection::open(desktop->display());
        ASSERT_TRUE(wm);
        const std::uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        xcb_change_window_attributes(wm->get(), wm->root(), XCB_CW_EVENT_MASK, &redirect);
        announce("Mutter");
        backend = X11Backend::open(desktop->display());
        ASSERT_TRUE(backend);
        subscription = backend->subscribe(log.handler());
        client = desktop->createOwnWindow(Rect(100, 100, 200, 150));
        desktop->connection().sync();
        xcb_map_window(wm->get(), client);
        xcb_change_property(wm->get(), XCB_PROP_MODE_REPLACE, wm->root(), wm->atoms().NET_CLIENT_LIST, XCB_ATOM_WINDOW,
                            32, 1, &client);
        wm->flush();
        ASSERT_TRUE(log.waitForClient(client));
    }
    void TearDown() override {
        subscription.cancel();
        backend.reset();
        wm.reset();
        X11WithoutWindowManagerTest::TearDown();
    }

    // A window manager named `name` takes over (a new check window).
    void announce(const std::string& name) {
        const xcb_window_t check = xcb_generate_id(wm->get());
        xcb_create_window(wm->get(), 0, check, wm->root(), -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        for (const xcb_window_t on : {check, wm->root()}) {
            xcb_change_property(wm->get(), XCB_PROP_MODE_REPLACE, on, wm->atoms().NET_SUPPORTING_WM_CHECK,
                                XCB_ATOM_WINDOW, 32, 1, &check);
        }
        xcb_change_property(wm->get(), XCB_PROP_MODE_REPLACE, check, wm->atoms().NET_WM_NAME, wm->atoms().UTF8_STRING, 8,
                            static_cast<std::uint32_t>(name.size()), name.data());
        wm->sync();
    }
    // The minimise carried out: iconic, and still mapped.
    void iconify() {
        const std::uint32_t state[] = {3 /* IconicState */, XCB_WINDOW_NONE};
        xcb_change_property(wm->get(), XCB_PROP_MODE_REPLACE, client, wm->atoms().WM_STATE, wm->atoms().WM_STATE, 32, 2,
                            state);
        wm->flush();
    }
    // Whether a client message `type` about the client reached the window
    // manager within `patience`.
    bool asked(xcb_atom_t type, std::chrono::milliseconds patience = kX11Patience) {
        bool seen = false;
        return desktop->waitUntil([&] {
            while (XEvent event{xcb_poll_for_event(wm->get())}) {
                const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
                seen = seen || ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == type &&
                                message->window == client);
            }
            return seen;
        }, patience);
    }

    std::unique_ptr<X11Connection> wm;
    std::shared_ptr<X11Backend> backend;
    X11EventLog log;
    Subscription subscription;
    xcb_window_t client = kNoWindow;
};

TEST_F(X11KeptMappedMinimiseTest, AMinimisedWindowKeptMappedIsRestoredByActivatingItEvenRightAfterTheMinimise) {
    const auto& windows = backend->windows();
    const auto& a = wm->atoms();
    // A restore right behind the minimise waits for it to be carried out,
    // which here is WM_STATE Iconic with the window still mapped.
    ASSERT_TRUE(windows.minimize(client));
    ASSERT_TRUE(asked(a.WM_CHANGE_STATE));
    ASSERT_TRUE(windows.restore(client));
    EXPECT_FALSE(asked(a.NET_ACTIVE_WINDOW, std::chrono::milliseconds(100))) << "shown before it was minimised";
    iconify();
    EXPECT_TRUE(asked(a.NET_ACTIVE_WINDOW)) << "the waiting restore was not made";
    EXPECT_EQ(windows.iconified(client), true);
    // Minimised a while: shown at once.
    ASSERT_TRUE(windows.restore(client));
    EXPECT_TRUE(asked(a.NET_ACTIVE_WINDOW));

    // Another window manager, which unmaps what it minimises: an iconic
    // window it keeps mapped is on its way to being minimised, not yet there.
    announce("Openbox");
    EXPECT_EQ(windows.iconified(client), false);
    ASSERT_TRUE(windows.restore(client));
    EXPECT_FALSE(asked(a.NET_ACTIVE_WINDOW, std::chrono::milliseconds(100)));

    // None announced: a mutter that replaced another leaves none, as the
    // one leaving takes the announcement away. The window is shown still.
    xcb_delete_property(wm->get(), wm->root(), a.NET_SUPPORTING_WM_CHECK);
    wm->sync();
    ASSERT_TRUE(windows.restore(client));
    EXPECT_TRUE(asked(a.NET_ACTIVE_WINDOW));
}

}  // namespace
}  // namespace tessaly::test
