// The backend on the window managers people run, each with its stock
// configuration: one test per (window manager, behaviour), so a regression
// on one window manager shows at once (scripts/x11-wm-table.sh prints them
// as a table). Where a window manager makes a behaviour meaningless (a
// tiling window manager does not minimise), the test says so and skips.
#include "Platform/Log.h"
#include "Platform/ManualMainExecutor.h"
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11Displays.h"
#include "Platform/X11/X11EventLog.h"
#include "Platform/X11/X11MoveAssist.h"
#include "Platform/X11/X11WindowNotifications.h"
#include "Platform/X11/X11WindowServer.h"

#include <gmock/gmock.h>
#include <xcb/xcb_icccm.h>
#include <xcb/xtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

namespace tessaly::test {
namespace {

using Kind = X11Event::Kind;
using WM = X11WindowManager;

class X11OnWindowManager : public X11WindowManagerTest {
protected:
    void SetUp() override {
        X11WindowManagerTest::SetUp();
        if (!backend) return;
        subscription = backend->subscribe(log.handler());
        ASSERT_TRUE(subscription.isActive());
    }
    void TearDown() override {
        subscription.cancel();
        X11WindowManagerTest::TearDown();
    }

    WM manager() const { return GetParam(); }
    const X11Windows& windows() const { return backend->windows(); }
    std::optional<X11WindowInfo> info(xcb_window_t w) const { return windows().read(w); }
    // The outer rectangle of a root child, border included.
    Rect rootChildGeometry(xcb_window_t w) {
        xcb_connection_t* c = desktop->connection().get();
        const auto g = xcbReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, w));
        if (!g) return Rect();
        return Rect(g->x, g->y, g->width + 2.0 * g->border_width, g->height + 2.0 * g->border_width);
    }
    // Launches and waits until the backend's reader watches the new client.
    std::optional<X11Desktop::Client> launchWatched(const std::vector<std::string>& argv) {
        auto client = desktop->launch(argv);
        if (client && !log.waitForClient(client->window)) return std::nullopt;
        return client;
    }

    bool floatOnTilingManager(xcb_window_t w) { return desktop->floatOnTilingManager(w); }
    std::vector<xcb_window_t> rootChildren() {
        xcb_connection_t* c = desktop->connection().get();
        auto tree = xcbReply(c, xcb_query_tree_reply, xcb_query_tree(c, desktop->connection().root()));
        if (!tree) return {};
        const auto* kids = xcb_query_tree_children(tree.get());
        return std::vector<xcb_window_t>(kids, kids + xcb_query_tree_children_length(tree.get()));
    }
    // Whether the root child holding `upper` is above the one holding `lower`.
    bool stackedAbove(xcb_window_t upper, xcb_window_t lower) {
        const auto kids = rootChildren();
        const auto frames = windows().frameWindows({upper, lower});
        const auto u = std::find(kids.begin(), kids.end(), frames[0]);
        const auto l = std::find(kids.begin(), kids.end(), frames[1]);
        return u != kids.end() && l != kids.end() && u > l;
    }
    // A window of this process, mapped and managed, with optional Motif
    // hints, optionally asking for Static window gravity (as Qt windows do).
    xcb_window_t createManaged(const std::vector<std::uint32_t>& motifHints = {}, bool staticGravity = false) {
        X11Connection& x = desktop->connection();
        xcb_connection_t* c = x.get();
        const xcb_window_t w = desktop->createOwnWindow(Rect(200, 200, 240, 160));
        if (!motifHints.empty()) {
            const xcb_atom_t motif = x.internAtom("_MOTIF_WM_HINTS");
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, motif, motif, 32,
                                static_cast<std::uint32_t>(motifHints.size()), motifHints.data());
        }
        if (staticGravity) {
            xcb_size_hints_t hints{};
            xcb_icccm_size_hints_set_win_gravity(&hints, XCB_GRAVITY_STATIC);
            xcb_icccm_set_wm_normal_hints(c, w, &hints);
        }
        xcb_map_window(c, w);
        x.flush();
        const bool managed = desktop->waitUntil([&] {
            const auto list = windows().clientList();
            const auto i = windows().read(w);
            // metacity and marco leave an undecorated window unframed.
            const bool framed = i && (i->frameWindow != w || !motifHints.empty());
            return std::find(list.begin(), list.end(), w) != list.end() && framed && i->viewable;
        });
        return managed ? w : kNoWindow;
    }

    // The window server's functions, reporting reorders of `watched` into
    // `reorders` (which must outlive them).
    std::optional<WindowServerFunctions> watchReorders(xcb_window_t watched, WindowNotifications& reorders) {
        auto f = X11WindowServer(backend).openWindowServer();
        if (!f || f->registerNotifyProc(&WindowNotifications::record, X11WindowNotifier::windowReordered, &reorders)) {
            return std::nullopt;
        }
        const WindowID asked[] = {watched};
        if (f->requestNotificationsForWindows(f->mainConnectionID(), asked, 1)) return std::nullopt;
        return f;
    }

    // Input through XTEST, handled by the server before this returns.
    void fake(std::uint8_t type, std::uint8_t detail, double px = 0, double py = 0) {
        X11Connection& x = desktop->connection();
        xcb_test_fake_input(x.get(), type, detail, XCB_CURRENT_TIME, x.root(), static_cast<std::int16_t>(px),
                            static_cast<std::int16_t>(py), XCB_NONE);
        x.sync();
    }

    X11EventLog log;
    Subscription subscription;
};

std::string describe(const Rect& r) {
    std::ostringstream out;
    out << r.minX() << "," << r.minY() << " " << r.width() << "x" << r.height();
    return out.str();
}

TEST_P(X11OnWindowManager, ListsClientsWithTheirFramesAndOwners) {
    auto xterm = launchWatched({"xterm", "-T", "listed terminal", "-geometry", "80x24+100+100", "-e", "cat"});
    auto xlogo = launchWatched({"xlogo", "-geometry", "200x200+600+300"});
    ASSERT_TRUE(xterm && xlogo);
    const auto list = windows().clientList();
    ASSERT_NE(std::find(list.begin(), list.end(), xterm->window), list.end());
    ASSERT_NE(std::find(list.begin(), list.end(), xlogo->window), list.end());

    const auto term = info(xterm->window);
    const auto logo = info(xlogo->window);
    ASSERT_TRUE(term && logo);
    EXPECT_EQ(term->title, "listed terminal");
    EXPECT_EQ(term->pid, xterm->pid);
    EXPECT_EQ(logo->pid, xlogo->pid) << "from the X-Resource query where the client does not publish it";
    EXPECT_EQ(term->className, "XTerm");
    EXPECT_TRUE(term->isStandard());
    EXPECT_FALSE(term->isMinimized());
    // The frame is the client with its decoration (a title bar at least),
    // inside the window manager's frame window (which may carry invisible
    // borders beyond it).
    for (const auto& i : {*term, *logo}) {
        ASSERT_NE(i.frameWindow, i.window);
        const Rect outer = rootChildGeometry(i.frameWindow);
        EXPECT_TRUE(i.frame.contains(i.clientFrame)) << describe(i.frame) << " holds " << describe(i.clientFrame);
        EXPECT_GT(i.frame.height(), i.clientFrame.height()) << "the decoration is part of the frame";
        EXPECT_TRUE(outer.contains(i.frame)) << describe(outer) << " holds " << describe(i.frame);
    }
}

// Each window manager composites as its desktop ships it: xfwm4, metacity,
// marco, KWin as it starts by default, mutter and muffin take the
// compositing selection; KWin with compositing turned off and the others
// leave it free.
TEST_P(X11OnWindowManager, CompositesAsItsDesktopShipsIt) {
    const bool composites = X11Desktop::compositesAsShipped(manager());
    // A compositor may take the selection a moment after the window manager manages windows.
    const bool taken = desktop->waitUntil([&] { return desktop->composited(); },
                                          composites ? kX11Patience : std::chrono::milliseconds(1000));
    EXPECT_EQ(taken, composites);
}

TEST_P(X11OnWindowManager, FramesLandWhereAskedAndMovesKeepTheSize) {
    auto xlogo = launchWatched({"xlogo", "-geometry", "200x200+400+300"});
    auto xterm = launchWatched({"xterm", "-T", "cells", "-geometry", "80x24+100+100", "-e", "cat"});
    ASSERT_TRUE(xlogo && xterm);
    ASSERT_TRUE(floatOnTilingManager(xlogo->window) && floatOnTilingManager(xterm->window));

    // xlogo takes any size: the frame lands exactly, decoration included.
    const Rect asked(300, 200, 500, 400);
    ASSERT_TRUE(windows().setFrame(xlogo->window, asked));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == asked; }))
        << describe(info(xlogo->window)->frame);
    // Moves alone keep the size, however many there are.
    for (int step = 1; step <= 3; ++step) {
        const Point to{300.0 + 40 * step, 200.0 + 30 * step};
        ASSERT_TRUE(windows().setPosition(xlogo->window, to));
        ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame.origin == to; }))
            << "step " << step << ": " << describe(info(xlogo->window)->frame);
        EXPECT_EQ(info(xlogo->window)->frame.size, asked.size) << "step " << step;
    }
    // Resizing alone keeps the origin.
    const Point last = info(xlogo->window)->frame.origin;
    ASSERT_TRUE(windows().setSize(xlogo->window, Size{320, 240}));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == Rect(last, Size{320, 240}); }))
        << describe(info(xlogo->window)->frame);

    // xterm snaps its size to character cells: the origin lands, the size is
    // the nearest step below.
    ASSERT_TRUE(windows().setFrame(xterm->window, Rect(50, 60, 613, 411)));
    ASSERT_TRUE(desktop->waitUntil([&] {
        const Rect f = info(xterm->window)->frame;
        return f.origin == Point{50, 60} && f.width() <= 613 && f.width() > 613 - 20 && f.height() <= 411 &&
               f.height() > 411 - 30;
    })) << describe(info(xterm->window)->frame);
}

// A window that draws its own decoration (a GTK header bar) keeps an
// invisible shadow and resize margins around what it shows while a
// compositor runs, and publishes them (_GTK_FRAME_EXTENTS): its frame is
// what it shows, in reads and writes alike, and follows the margins when
// they change (with maximising, or when the compositor goes).
TEST_P(X11OnWindowManager, AWindowsMarginsAreLeftOutOfItsFrameBothWays) {
    const xcb_window_t w = createManaged({2, 0, 0, 0, 0});  // undecorated, as such a window asks
    ASSERT_NE(w, kNoWindow);
    ASSERT_TRUE(floatOnTilingManager(w));
    X11Connection& x = desktop->connection();
    const auto setMargins = [&](const std::vector<std::uint32_t>& m) {
        if (m.empty()) xcb_delete_property(x.get(), w, x.atoms().GTK_FRAME_EXTENTS);
        else xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, w, x.atoms().GTK_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 32,
                                 4, m.data());
        x.flush();
    };
    const auto frameBecomes = [&](const Rect& expected) {
        return desktop->waitUntil([&] { return info(w)->frame == expected; });
    };
    // When the margins change, the window manager leaves the window where
    // it is (what shows grows or shrinks by them) or, where it honours them
    // (mutter, muffin, KWin), keeps what showed in place and resizes the
    // window around it.
    const auto framedAs = [&](const Rect& windowStays, const Rect& shownStays, const Rect& windowResized) {
        return desktop->waitUntil([&] {
            const auto i = info(w);
            return i->frame == windowStays || (i->frame == shownStays && i->clientFrame == windowResized);
        });
    };
    const auto grown = [](const Rect& r) { return Rect(r.minX() - 20, r.minY() - 16, r.width() + 44, r.height() + 46); };
    const auto inset = [](const Rect& r) { return Rect(r.minX() + 20, r.minY() + 16, r.width() - 44, r.height() - 46); };
    const Rect whole = info(w)->frame;
    setMargins({20, 24, 16, 30});  // left, right, top, bottom
    ASSERT_TRUE(framedAs(inset(whole), whole, grown(whole))) << describe(info(w)->frame);

    const Rect asked(300, 200, 420, 260);
    ASSERT_TRUE(windows().setFrame(w, asked));
    ASSERT_TRUE(frameBecomes(asked)) << describe(info(w)->frame);
    // A move alone, from what the backend remembers of the window.
    const Rect moved(Point{340, 230}, asked.size);
    ASSERT_TRUE(windows().setPosition(w, moved.origin));
    ASSERT_TRUE(frameBecomes(moved)) << describe(info(w)->frame);
    // Without margins all of the window shows: it was put around the frame.
    setMargins({});
    EXPECT_TRUE(framedAs(grown(moved), moved, moved)) << describe(info(w)->frame);

    // Maximised, it drops its margins, and shows them again only once it has
    // redrawn after an unmaximise, on a busy machine well after the state
    // changed. A write that unmaximises it waits for them, so that it lands
    // once they come.
    const auto& a = x.atoms();
    if (!x.windowManagerSupports(a.NET_WM_STATE_MAXIMIZED_VERT)) return;
    setMargins({20, 24, 16, 30});
    ASSERT_TRUE(frameBecomes(moved)) << describe(info(w)->frame);
    x.sendClientMessage(x.root(), w, a.NET_WM_STATE, 1, a.NET_WM_STATE_MAXIMIZED_VERT, a.NET_WM_STATE_MAXIMIZED_HORZ,
                        2);
    x.flush();
    ASSERT_TRUE(desktop->waitUntil([&] { return info(w)->state.maximizedVert; }));
    setMargins({0, 0, 0, 0});
    ASSERT_TRUE(desktop->waitUntil([&] { return info(w)->margins == X11FrameExtents{}; }));
    ASSERT_TRUE(windows().setFrame(w, asked));
    ASSERT_TRUE(desktop->waitUntil([&] { return !info(w)->state.maximizedVert; }));
    // (Longer than a write made stays open to a change of the decoration.)
    desktop->waitUntil([] { return false; }, std::chrono::milliseconds(700));
    setMargins({20, 24, 16, 30});
    ASSERT_TRUE(desktop->waitUntil([&] { return info(w)->margins.left == 20; }));
    EXPECT_TRUE(frameBecomes(asked)) << describe(info(w)->frame);
}

// A window that asks for Static window gravity (every Qt window does) lands
// where it is put, and the window manager still knows where it is: a drag of
// its title bar moves it as far as the pointer went, within a pointer step
// (fluxbox starts moving at the second motion). openbox lost track of such a
// window moved with another gravity: the next drag put it a title bar's
// height off the pointer.
TEST_P(X11OnWindowManager, AStaticGravityWindowLandsWhereAskedAndFollowsTheNextDrag) {
    if (manager() == WM::i3) GTEST_SKIP() << "i3 tiles windows: a drag does not move them";
    const xcb_window_t w = createManaged({}, true);
    ASSERT_NE(w, kNoWindow);
    const Point to{300, 240};
    ASSERT_TRUE(windows().setPosition(w, to));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(w)->frame.origin == to; })) << describe(info(w)->frame);

    const auto i = info(w);
    const Point grab{i->frame.minX() + 60, std::floor((i->frame.minY() + i->clientFrame.minY()) / 2)};
    constexpr Point step{12, 6};
    constexpr int steps = 10;
    const auto followed = [&](int n) {
        const Point o = info(w)->frame.origin;
        return std::abs(o.x - to.x - step.x * n) <= step.x && std::abs(o.y - to.y - step.y * n) <= step.y;
    };
    fake(XCB_MOTION_NOTIFY, 0, grab.x, grab.y);
    fake(XCB_BUTTON_PRESS, 1);
    for (int n = 1; n <= steps; ++n) {
        fake(XCB_MOTION_NOTIFY, 0, grab.x + step.x * n, grab.y + step.y * n);
        desktop->waitUntil([&] { return n > 1 && followed(n); }, std::chrono::milliseconds(300));
    }
    fake(XCB_BUTTON_RELEASE, 1);
    EXPECT_TRUE(desktop->waitUntil([&] { return followed(steps); })) << describe(info(w)->frame);
}

TEST_P(X11OnWindowManager, ActivationFocusesAndRaises) {
    auto first = launchWatched({"xterm", "-T", "first", "-geometry", "80x24+50+50", "-e", "cat"});
    auto second = launchWatched({"xterm", "-T", "second", "-geometry", "80x24+300+200", "-e", "cat"});
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(floatOnTilingManager(first->window) && floatOnTilingManager(second->window));
    for (const auto& client : {*first, *second, *first}) {
        ASSERT_TRUE(windows().activate(client.window));
        ASSERT_TRUE(desktop->waitUntil([&] { return windows().activeWindow() == client.window; }));
        const auto other = client.window == first->window ? second->window : first->window;
        ASSERT_TRUE(desktop->waitUntil([&] { return stackedAbove(client.window, other); }));
    }
}

TEST_P(X11OnWindowManager, MinimisesAndRestoresEvenRightAfterAMinimise) {
    if (manager() == WM::i3) GTEST_SKIP() << "i3 does not minimise windows";
    auto xterm = launchWatched({"xterm", "-T", "minimised", "-e", "cat"});
    ASSERT_TRUE(xterm);
    const bool staysMapped = X11Desktop::keepsMinimisedWindowsMapped(manager());
    const auto hidden = [&] {
        const auto i = info(xterm->window);
        return i->isMinimized() && (!i->viewable || staysMapped);
    };
    const auto shown = [&] {
        const auto i = info(xterm->window);
        return !i->isMinimized() && !i->iconic && i->viewable;
    };
    ASSERT_TRUE(windows().minimize(xterm->window));
    ASSERT_TRUE(desktop->waitUntil(hidden));
    ASSERT_TRUE(windows().restore(xterm->window));
    ASSERT_TRUE(desktop->waitUntil(shown));

    // A restore sent before the window manager has carried out the
    // minimise: the window is hidden (some window managers do that later,
    // when idle) and shown again.
    for (int round = 1; round <= 3; ++round) {
        log.clear();
        ASSERT_TRUE(windows().minimize(xterm->window));
        ASSERT_TRUE(windows().restore(xterm->window));
        if (!staysMapped) {
            ASSERT_TRUE(log.waitFor(Kind::unmapped, xterm->window)) << "round " << round;
            ASSERT_TRUE(log.waitFor(Kind::mapped, xterm->window)) << "round " << round;
        } else {
            // Still mapped: WM_STATE changed twice, hidden and shown again
            // (one change may be the last round's, told late).
            const auto changes = [&] {
                const auto events = log.events();
                return std::count_if(events.begin(), events.end(), [&](const X11Event& e) {
                    return e.kind == Kind::wmStateChanged && e.window == xterm->window;
                });
            };
            ASSERT_TRUE(desktop->waitUntil([&] { return changes() >= 2; })) << "round " << round;
        }
        ASSERT_TRUE(desktop->waitUntil(shown)) << "round " << round;
    }
    // Restoring a window that is shown changes nothing.
    ASSERT_TRUE(windows().restore(xterm->window));
    desktop->connection().sync();
    EXPECT_TRUE(shown());
}

// A window manager that takes a minimised window over from the one it
// replaced keeps the window's frame unmapped and the window itself mapped:
// mapping it asks nothing then. It is shown all the same.
TEST_P(X11OnWindowManager, AWindowMinimisedBeforeTheWindowManagerWasReplacedIsRestored) {
    if (manager() == WM::i3) GTEST_SKIP() << "i3 does not minimise windows";
    if (manager() == WM::fluxbox) GTEST_SKIP() << "fluxbox cannot replace a running window manager";
    if (manager() == WM::kwin || manager() == WM::kwinComposited) {
        GTEST_SKIP() << "kwin shows a minimised window again when it takes over from another window manager";
    }
    auto xterm = launchWatched({"xterm", "-T", "minimised", "-e", "cat"});
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(windows().minimize(xterm->window));
    const bool staysMapped = X11Desktop::keepsMinimisedWindowsMapped(manager());
    ASSERT_TRUE(desktop->waitUntil(
        [&] { return info(xterm->window)->isMinimized() && (!info(xterm->window)->viewable || staysMapped); }));
    std::string why;
    ASSERT_TRUE(desktop->replaceWindowManager(why)) << why;
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xterm->window)->isMinimized(); }));
    ASSERT_TRUE(windows().restore(xterm->window));
    EXPECT_TRUE(desktop->waitUntil([&] { return !info(xterm->window)->isMinimized() && info(xterm->window)->viewable; }))
        << "still minimised";
}

TEST_P(X11OnWindowManager, ARefusedMinimiseFails) {
    X11Connection& x = desktop->connection();
    const xcb_atom_t allowed = x.internAtom("_NET_WM_ALLOWED_ACTIONS");
    if (!x.windowManagerSupports(allowed)) {
        // Nothing tells beforehand what such a window manager refuses; the
        // window's state does, once it has had time to answer (i3 minimises
        // no window at all). The request does not wait for that: a minimise
        // that was ignored is logged afterwards.
        ASSERT_TRUE(windows().minimizeMayBeIgnored());
        const auto main = std::make_shared<ManualMainExecutor>();
        X11Accessibility ax(backend, main);
        const xcb_window_t window = createManaged();
        ASSERT_NE(window, kNoWindow);
        std::vector<std::string> logged;
        Log::setSink([&logged](LogLevel level, LogCategory, std::string_view line) {
            if (level == LogLevel::error) logged.emplace_back(line);
        });
        const auto asked = std::chrono::steady_clock::now();
        EXPECT_EQ(ax.setAttributeValue(X11Accessibility::windowElement(getpid(), window), "AXMinimized", true, 0),
                  AXError::success);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, X11Windows::minimizeConfirmation)
            << "the minimise waited for the window manager";
        const auto hidden = [&] {
            const auto now = info(window);
            return now->isMinimized() || !now->viewable;
        };
        desktop->waitUntil(hidden, X11Windows::minimizeConfirmation);
        main->runPending();
        main->advance(std::chrono::duration<double>(X11Windows::minimizeConfirmation).count());
        Log::setSink(nullptr);
        const bool carriedOut = hidden();
        EXPECT_EQ(logged.size(), carriedOut ? 0u : 1u) << "the log does not say what happened";
        if (manager() == WM::i3) {
            EXPECT_FALSE(carriedOut);
            EXPECT_THAT(logged, ::testing::ElementsAre(::testing::HasSubstr("ignored the minimise")))
                << "i3 ignored the minimise, and nobody heard of it";
        }
        return;
    }
    // Motif hints that leave minimising out of the window's functions.
    constexpr std::uint32_t functionsGiven = 1, move = 4, resize = 2, close = 32;
    const xcb_window_t fixed = createManaged({functionsGiven, move | resize | close, 0, 0, 0});
    const xcb_window_t ordinary = createManaged();
    ASSERT_TRUE(fixed != kNoWindow && ordinary != kNoWindow);
    const xcb_atom_t minimise = x.internAtom("_NET_WM_ACTION_MINIMIZE");
    const auto actions = [&](xcb_window_t w) { return propertyCardinals(x.readProperty(w, allowed).get()); };
    if (!desktop->waitUntil([&] { return !actions(fixed).empty(); }, std::chrono::seconds(2))) {
        GTEST_SKIP() << X11Desktop::name(manager()) << " publishes no allowed actions";
    }
    const auto listed = actions(fixed);
    if (std::find(listed.begin(), listed.end(), minimise) != listed.end()) {
        GTEST_SKIP() << X11Desktop::name(manager()) << " allows minimising a window whose hints leave it out";
    }
    EXPECT_FALSE(windows().minimize(fixed));
    EXPECT_TRUE(windows().minimize(ordinary));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(ordinary)->isMinimized(); }));
    EXPECT_FALSE(info(fixed)->isMinimized());
}

TEST_P(X11OnWindowManager, AMaximisedWindowIsUnmaximisedToMove) {
    X11Connection& x = desktop->connection();
    const auto& a = x.atoms();
    if (!x.windowManagerSupports(a.NET_WM_STATE_MAXIMIZED_VERT)) {
        GTEST_SKIP() << X11Desktop::name(manager()) << " does not maximise windows";
    }
    // One window for each write: a write made again just after unmaximising
    // is not mistaken for an answer to the next maximise. A frame written
    // as a size and then a move (as accessibility writes one) comes whole.
    enum class Write { frame, sizeThenMove, move };
    for (const Write write : {Write::frame, Write::sizeThenMove, Write::move}) {
        auto xlogo = launchWatched({"xlogo", "-geometry", "200x200+400+300"});
        ASSERT_TRUE(xlogo);
        x.sendClientMessage(x.root(), xlogo->window, a.NET_WM_STATE, 1, a.NET_WM_STATE_MAXIMIZED_VERT,
                            a.NET_WM_STATE_MAXIMIZED_HORZ, 2);
        x.flush();
        ASSERT_TRUE(desktop->waitUntil([&] {
            const auto i = info(xlogo->window);
            return i->state.maximizedVert && i->state.maximizedHorz && i->frame.width() > 1000;
        }));
        const auto unmaximised = [&] {
            const auto i = info(xlogo->window);
            return !i->state.maximizedVert && !i->state.maximizedHorz;
        };
        if (write != Write::move) {
            const Rect asked(150, 120, 420, 320);
            if (write == Write::frame) {
                ASSERT_TRUE(windows().setFrame(xlogo->window, asked));
                // Held in the record until made (and a moment after, for
                // late extents): no move is sent past it meanwhile.
                EXPECT_TRUE(windows().holdsWrite(xlogo->window));
            } else {
                ASSERT_TRUE(windows().setSize(xlogo->window, asked.size));
                ASSERT_TRUE(windows().setPosition(xlogo->window, asked.origin));
            }
            ASSERT_TRUE(desktop->waitUntil([&] { return unmaximised() && info(xlogo->window)->frame == asked; }))
                << describe(info(xlogo->window)->frame);
            EXPECT_TRUE(desktop->waitUntil([&] { return !windows().holdsWrite(xlogo->window); }))
                << "the write is forgotten once made and settled";
        } else {
            ASSERT_TRUE(windows().setPosition(xlogo->window, Point{60, 40}));
            ASSERT_TRUE(desktop->waitUntil(
                [&] { return unmaximised() && info(xlogo->window)->frame.origin == Point(60, 40); }))
                << describe(info(xlogo->window)->frame);
        }
    }
}

// As accessibility writes a frame: its size, then at once its place. The
// move names the size just asked for, not the one the window still has,
// also where the window manager carries the resize out only after the
// server has passed the move on too, as a busy one does: held up
// meanwhile, with a read in between that still finds the old size.
TEST_P(X11OnWindowManager, AFrameWrittenAsASizeAndAMoveLandsWhole) {
    auto xlogo = launchWatched({"xlogo", "-geometry", "200x200+400+300"});
    ASSERT_TRUE(xlogo);
    ASSERT_TRUE(floatOnTilingManager(xlogo->window));
    for (const Rect& asked : {Rect(100, 120, 600, 420), Rect(300, 200, 380, 260), Rect(150, 140, 640, 480)}) {
        ASSERT_TRUE(windows().setSize(xlogo->window, asked.size));
        ASSERT_TRUE(windows().setPosition(xlogo->window, asked.origin));
        EXPECT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == asked; }))
            << "asked " << describe(asked) << ", got " << describe(info(xlogo->window)->frame);
    }

    backend->setKeepsClients(false);  // the read in between asks the server
    const Rect before = info(xlogo->window)->frame;
    const Rect asked(120, 100, 520, 360);
    {
        const auto held = desktop->holdWindowManager();
        ASSERT_TRUE(held) << "the window manager did not stop";
        log.clear();
        ASSERT_TRUE(windows().setSize(xlogo->window, asked.size));
        // The server has the request: the reader has seen the write's mark.
        ASSERT_TRUE(log.waitFor([](const X11Event& e) { return e.kind == Kind::marked; }));
        EXPECT_EQ(info(xlogo->window)->frame, before) << "resized while held";
        ASSERT_TRUE(windows().setPosition(xlogo->window, asked.origin));
    }
    EXPECT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == asked; }))
        << "asked " << describe(asked) << " of a held window manager, got " << describe(info(xlogo->window)->frame);
}

TEST_P(X11OnWindowManager, AWindowIsMaximisedAlongTheAxesAskedFor) {
    const auto& a = desktop->connection().atoms();
    if (!desktop->connection().windowManagerSupports(a.NET_WM_STATE_MAXIMIZED_VERT)) {
        GTEST_SKIP() << X11Desktop::name(manager()) << " does not maximise windows";
    }
    auto xlogo = launchWatched({"xlogo", "-geometry", "200x200+400+300"});
    ASSERT_TRUE(xlogo);
    const Rect before = info(xlogo->window)->frame;
    const auto holds = [&](MaximizedAxes axes) {
        return desktop->waitUntil([&] { return info(xlogo->window)->maximized() == axes; });
    };
    ASSERT_TRUE(windows().setMaximized(xlogo->window, {true, false}));
    EXPECT_TRUE(holds({true, false}));
    ASSERT_TRUE(windows().setMaximized(xlogo->window, MaximizedAxes::both()));
    EXPECT_TRUE(holds(MaximizedAxes::both())) << "both ways in one request";
    // The state may come before the frame that goes with it.
    EXPECT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame.width() > 1000; }))
        << describe(info(xlogo->window)->frame);
    ASSERT_TRUE(windows().setMaximized(xlogo->window, {false, true}));
    EXPECT_TRUE(holds({false, true})) << "one way taken away";
    ASSERT_TRUE(windows().setMaximized(xlogo->window, {}));
    EXPECT_TRUE(holds({}));
    EXPECT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->frame == before; }))
        << describe(info(xlogo->window)->frame);
}

// A window put on a tile: its frame is written first (held until the window
// is unmaximised, a maximised window being kept where it is), then it is
// maximised one way, which waits for the frame: it ends maximised from top
// to bottom at the frame's place and width, from a maximise both ways and
// from another tile.
TEST_P(X11OnWindowManager, AFrameAndThenAMaximiseOneWayPutAMaximisedWindowOnATile) {
    const auto& a = desktop->connection().atoms();
    if (!desktop->connection().windowManagerSupports(a.NET_WM_STATE_MAXIMIZED_VERT)) {
        GTEST_SKIP() << X11Desktop::name(manager()) << " does not maximise windows";
    }
    auto xlogo = launchWatched({"xlogo", "-geometry", "200x200+400+300"});
    ASSERT_TRUE(xlogo);
    ASSERT_TRUE(windows().setMaximized(xlogo->window, MaximizedAxes::both()));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(xlogo->window)->maximized() == MaximizedAxes::both(); }));
    const Rect area = X11Displays(backend).screens().at(0).visibleFrame;
    const MaximizedAxes vertically{true, false};
    for (const double x : {area.minX(), area.midX()}) {
        const Rect tile(x, area.minY(), area.width() / 2, area.height());
        ASSERT_TRUE(windows().setFrame(xlogo->window, tile));
        ASSERT_TRUE(windows().setMaximized(xlogo->window, vertically));
        EXPECT_TRUE(desktop->waitUntil([&] {
            const auto now = info(xlogo->window);
            return now && now->maximized() == vertically && std::abs(now->frame.minX() - tile.minX()) <= 4 &&
                   std::abs(now->frame.width() - tile.width()) <= 4;
        })) << "asked " << describe(tile) << ", got " << describe(info(xlogo->window)->frame) << " maximised "
            << info(xlogo->window)->maximized();
    }
}

// A dock reserves its edge whether the window manager lists it or not (i3
// lists no dock and publishes no work area): the visible frame leaves it out
// from when it shows, follows a change of its strut, and gets the edge back
// when it goes.
TEST_P(X11OnWindowManager, ADockReservesItsEdgeListedOrNot) {
    X11Displays displays(backend);
    const auto screen = [&] { return displays.screens().at(0); };
    const double bottom = screen().frame.maxY();
    const xcb_window_t dock = desktop->showDock(40);
    ASSERT_NE(dock, kNoWindow);
    EXPECT_TRUE(desktop->waitUntil([&] { return screen().visibleFrame.maxY() == bottom - 40; }))
        << describe(screen().visibleFrame);

    X11Connection& x = desktop->connection();
    const std::uint32_t width = x.screen().width_in_pixels;
    const std::uint32_t taller[12] = {0, 0, 0, 64, 0, 0, 0, 0, 0, 0, 0, width - 1};
    xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, dock, x.atoms().NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 32,
                        12, taller);
    x.flush();
    EXPECT_TRUE(desktop->waitUntil([&] { return screen().visibleFrame.maxY() == bottom - 64; }))
        << "the strut's change is not followed: " << describe(screen().visibleFrame);

    xcb_unmap_window(x.get(), dock);
    x.flush();
    // (A panel of the window manager's own, icewm's, may have come up since.)
    EXPECT_TRUE(desktop->waitUntil([&] { return screen().visibleFrame.maxY() > bottom - 40; }))
        << "the edge is still reserved after the dock went: " << describe(screen().visibleFrame);
}

TEST_P(X11OnWindowManager, ClosesPolitely) {
    auto xterm = launchWatched({"xterm", "-T", "closed", "-e", "cat"});
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(windows().close(xterm->window));
    ASSERT_TRUE(log.waitFor(Kind::destroyed, xterm->window));
    EXPECT_TRUE(X11Desktop::waitForExit(xterm->pid, kX11Patience));
}

// A panel of ours kept directly above a window's frame, as the tab bars
// are: it re-orders itself only when the window server reports that the
// window was reordered, through whatever the window manager does.
TEST_P(X11OnWindowManager, APanelKeptAboveAFrameFollowsEveryRestack) {
    auto lower = launchWatched({"xterm", "-T", "lower", "-geometry", "80x24+50+50", "-e", "cat"});
    auto watched = launchWatched({"xterm", "-T", "watched", "-geometry", "80x24+200+150", "-e", "cat"});
    ASSERT_TRUE(lower && watched);
    ASSERT_TRUE(floatOnTilingManager(lower->window) && floatOnTilingManager(watched->window));
    xcb_connection_t* c = desktop->connection().get();
    const xcb_window_t panel = xcb_generate_id(c);
    const std::uint32_t overrideRedirect[] = {1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, panel, desktop->connection().root(), 0, 0, 200, 30, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, overrideRedirect);
    xcb_map_window(c, panel);
    desktop->connection().sync();

    WindowNotifications reorders;
    const auto f = watchReorders(watched->window, reorders);
    ASSERT_TRUE(f);
    const auto conn = f->mainConnectionID();
    ASSERT_EQ(f->orderWindow(conn, panel, X11WindowServer::orderAbove, watched->window), 0);

    const auto panelDirectlyAbove = [&] {
        const auto kids = rootChildren();
        const auto frame = windows().frameWindows({watched->window}).front();
        const auto at = std::find(kids.begin(), kids.end(), frame);
        return at != kids.end() && at + 1 != kids.end() && *(at + 1) == panel;
    };
    std::size_t handled = 0;
    // Re-orders on each new report until the panel is in place.
    const auto kept = [&] {
        return desktop->waitUntil([&] {
            const auto reported = reorders.count(X11WindowNotifier::windowReordered, watched->window);
            if (reported != handled) {
                handled = reported;
                EXPECT_EQ(f->orderWindow(conn, panel, X11WindowServer::orderAbove, watched->window), 0);
            }
            return panelDirectlyAbove();
        });
    };
    // (The window manager may still be restacking the windows it has just
    // mapped, as mutter was once under ThreadSanitizer.)
    ASSERT_TRUE(kept());
    // Raising the other window (which the window manager may do by putting
    // it between the frame and the panel), then the watched one again (with
    // the window that used to be below it restacked meanwhile).
    for (int round = 1; round <= 2; ++round) {
        for (const auto& client : {*lower, *watched}) {
            ASSERT_TRUE(windows().activate(client.window));
            const auto other = client.window == lower->window ? watched->window : lower->window;
            ASSERT_TRUE(desktop->waitUntil(
                [&] { return windows().activeWindow() == client.window && stackedAbove(client.window, other); }));
            desktop->connection().sync();
            ASSERT_TRUE(kept()) << "round " << round << ", after raising " << (client.window == lower->window ? "the other window" : "the watched window");
        }
    }
    // Moving in place and ordering the panel report nothing.
    const auto before = reorders.count(X11WindowNotifier::windowReordered, watched->window);
    ASSERT_TRUE(windows().setPosition(watched->window, Point{260, 190}));
    ASSERT_TRUE(desktop->waitUntil([&] { return info(watched->window)->frame.origin == Point(260, 190); }));
    ASSERT_EQ(f->orderWindow(conn, panel, X11WindowServer::orderAbove, watched->window), 0);
    desktop->connection().sync();
    backend->connection().sync();
    EXPECT_EQ(reorders.count(X11WindowNotifier::windowReordered, watched->window), before);
}

// The window manager restarts (`--replace`, as a user does): clients are
// still listed, their new frames are read and reported as reordered (so a
// panel goes back above them), and writes land as before.
TEST_P(X11OnWindowManager, AWindowManagerRestartKeepsTheBackendWorking) {
    if (manager() == WM::fluxbox) GTEST_SKIP() << "fluxbox has no --replace";
    auto first = launchWatched({"xterm", "-T", "first", "-geometry", "80x24+50+50", "-e", "cat"});
    auto second = launchWatched({"xlogo", "-geometry", "200x200+700+300"});
    ASSERT_TRUE(first && second);
    WindowNotifications reorders;
    const auto f = watchReorders(first->window, reorders);
    ASSERT_TRUE(f);
    const xcb_window_t oldFrame = info(first->window)->frameWindow;

    std::string why;
    ASSERT_TRUE(desktop->replaceWindowManager(why)) << why;
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto i = info(first->window);
        return i && i->frameWindow != oldFrame && i->frameWindow != first->window && i->viewable;
    }));
    ASSERT_TRUE(desktop->waitUntil(
        [&] { return reorders.count(X11WindowNotifier::windowReordered, first->window) > 0; }));
    // The new window manager lists the clients once it has framed them,
    // which may come after the first frame's report.
    const auto listed = [&](xcb_window_t w) {
        const auto clients = backend->clientsFrontToBack();
        return std::any_of(clients.begin(), clients.end(), [&](const auto& c) { return c.window == w; });
    };
    for (const auto w : {first->window, second->window}) {
        EXPECT_TRUE(desktop->waitUntil([&] { return listed(w); })) << "window " << w << " no longer listed";
    }
    ASSERT_TRUE(floatOnTilingManager(first->window));
    ASSERT_TRUE(windows().setPosition(first->window, Point{120, 90}));
    EXPECT_TRUE(desktop->waitUntil([&] { return info(first->window)->frame.origin == Point(120, 90); }))
        << describe(info(first->window)->frame);
}

// The grouping gesture (a title-bar drag with Shift held) moves the window
// on every window manager: most do not move it on that press by themselves
// (openbox's stock configuration matches modifiers exactly), and the assist
// asks them to; those that do are left to it.
TEST_P(X11OnWindowManager, AShiftDragOnATitleBarMovesTheWindow) {
    if (manager() == WM::i3) GTEST_SKIP() << "i3 tiles windows: a drag does not move them";
    auto xterm = launchWatched({"xterm", "-T", "dragged", "-geometry", "80x24+300+250", "-e", "cat"});
    ASSERT_TRUE(xterm);
    auto assist = X11MoveAssist::create(backend);
    ASSERT_TRUE(assist);
    assist->setGroupingModifiers(InputFlags::shift);
    constexpr std::uint8_t shiftKey = 50;
    const auto origin = [&] { return info(xterm->window)->frame.origin; };
    // Drags from `from` in steps with Shift held, then by (200, 120) in all;
    // answers how far the frame went (0 when it never moved).
    const auto drag = [&](Point from) {
        const Point before = origin();
        fake(XCB_MOTION_NOTIFY, 0, from.x, from.y);
        fake(XCB_KEY_PRESS, shiftKey);
        fake(XCB_BUTTON_PRESS, 1);
        bool following = false;
        for (int step = 1; step <= 8 && !following; ++step) {
            fake(XCB_MOTION_NOTIFY, 0, from.x + 6 * step, from.y + 4 * step);
            following = desktop->waitUntil([&] { return origin() != before; }, std::chrono::milliseconds(150));
        }
        if (following) {
            fake(XCB_MOTION_NOTIFY, 0, from.x + 200, from.y + 120);
            desktop->waitUntil(
                [&] { return std::abs(origin().x - before.x - 200) <= 16 && std::abs(origin().y - before.y - 120) <= 12; },
                std::chrono::seconds(2));
        }
        fake(XCB_BUTTON_RELEASE, 1);
        fake(XCB_KEY_RELEASE, shiftKey);
        return Point{origin().x - before.x, origin().y - before.y};
    };
    const auto titleBar = [&] {
        const auto i = info(xterm->window);
        return Point{i->frame.minX() + 60, std::floor((i->frame.minY() + i->clientFrame.minY()) / 2)};
    };
    const Point start = origin();
    const Point moved = drag(titleBar());
    // metacity, marco, mutter and muffin snap a window moved with Shift held
    // to screen and window edges, as the assist knows.
    EXPECT_EQ(assist->snapsMovesWithShift(), manager() == WM::metacity || manager() == WM::marco ||
                                                 manager() == WM::mutter || manager() == WM::muffin);
    EXPECT_EQ(assist->takesShiftDrags(), manager() == WM::kwin || manager() == WM::kwinComposited);
    // KWin drops a window moved with Shift held into the custom tile under
    // the pointer, during the move or after the release, as soon as it has
    // the Shift press: where the window ends is its tiling's, not the
    // pointer's, and on a busy machine it may move it only after the release.
    if (assist->takesShiftDrags()) {
        EXPECT_TRUE(desktop->waitUntil([&] { return origin() != start; })) << "the window did not move";
        return;
    }
    // It follows the pointer from where the move began (the window manager
    // may start from where the pointer is when it is asked).
    ASSERT_NE(moved, Point{}) << "the window did not move";
    if (!assist->snapsMovesWithShift()) {
        EXPECT_NEAR(moved.x, 200, 16);
        EXPECT_NEAR(moved.y, 120, 12);
    }
    // The release ended the move: the pointer goes on alone.
    const Point settled = origin();
    fake(XCB_MOTION_NOTIFY, 0, 50, 50);
    backend->connection().sync();
    EXPECT_EQ(origin(), settled);

    // Where the window manager does not move on that press by itself: a
    // press in the client area, or with the assist off, moves nothing.
    if (manager() != WM::openbox && manager() != WM::fluxbox) return;
    const auto inside = [&] {
        const auto i = info(xterm->window);
        return Point{std::floor(i->clientFrame.midX()), std::floor(i->clientFrame.midY())};
    };
    EXPECT_EQ(drag(inside()), Point{}) << "a press in the client area";
    assist->setGroupingModifiers(0);
    EXPECT_EQ(drag(titleBar()), Point{}) << "the assist switched off";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11OnWindowManager, ::testing::ValuesIn(X11Desktop::windowManagers()),
                         X11WindowManagerName());

}  // namespace
}  // namespace tessaly::test
