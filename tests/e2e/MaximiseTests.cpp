// Maximising a group, on the window managers people run as they come: by
// the window manager (as a pager or a keyboard shortcut asks for it, and by
// a double click on the title bar) and by a double click on the program's
// own bar. The group stays one group that fills the work area, with its bar
// on it, comes back to where it was, and follows a move afterwards.
//
// The group is handed over as a relaunch hands groups over: grouping by a
// drag is tested elsewhere, and the drag differs between window managers.
#include "EndToEndTest.h"
#include "GroupOnTop.h"

#include <time.h>

#include <algorithm>
#include <cmath>

#include <cstdio>
#include <string>
#include <thread>

namespace tessaly::e2e {
namespace {

using std::chrono::milliseconds;

constexpr const char* kBudgetExhausted = "snap-back budget exhausted: ";

// How long a window manager under load may take to act on a double click
// before the user clicks again.
constexpr std::chrono::seconds kClickTakenWithin{5};
// How long a user looks at a maximised or restored group before the next
// step: the window manager has long carried out the program's requests.
constexpr milliseconds kAMomentLater{2500};

class MaximiseTest : public EndToEndOnMaximisingWindowManager {
protected:
    // A terminal (the active member, which keeps to whole character cells)
    // and xlogo (which takes any size), sharing one frame.
    struct Group {
        xcb_window_t active = kNoWindow;
        xcb_window_t other = kNoWindow;
        Rect home;  // the group frame before anything is maximised
    };


    // Starts the program with the two windows handed over as one group.
    std::optional<Group> startWithGroup() {
        const auto terminal = desktop->launchXterm("maximise-terminal", "80x24+300+260");
        const auto logo = desktop->launchXlogo("300x300+900+300");
        if (!terminal || !logo) {
            ADD_FAILURE() << "the windows did not start";
            return std::nullopt;
        }
        Group group{terminal->window, logo->window, Rect::null()};
        // Looking on before the program runs; xlogo takes the terminal's
        // frame (a terminal keeps to its cells).
        user = std::make_unique<DesktopUser>(*desktop, 0);
        group.home = user->frame(group.active);
        desktop->windows().setFrame(group.other, group.home);
        if (!user->waitUntil([&] { return user->frame(group.other) == group.home; })) {
            ADD_FAILURE() << "xlogo did not take the terminal's frame " << DesktopUser::describe(group.home);
            return std::nullopt;
        }
        TessalyProgram::Options options;
        options.diagnostics = true;
        options.handoff = handoff(group, {terminal->pid, logo->pid});
        if (const auto started = startProgram(options); !started) {
            ADD_FAILURE() << started.message();
            return std::nullopt;
        }
        if (!user->focus(group.active) || !user->waitForBarAbove(group.active)) {
            ADD_FAILURE() << "no bar above the handed-over group (the program showed "
                          << DesktopUser::describe(user->overlays()) << ")";
            return std::nullopt;
        }
        return group;
    }

    // The handoff a relaunch leaves, with the group at its home frame.
    static std::string handoff(const Group& group, std::pair<pid_t, pid_t> pids) {
        timespec real{}, boot{};
        clock_gettime(CLOCK_REALTIME, &real);
        clock_gettime(CLOCK_BOOTTIME, &boot);
        const auto seconds = [](const timespec& t) { return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9; };
        const Rect& f = group.home;
        char text[1024];
        std::snprintf(text, sizeof text,
                      R"({"schemaVersion": 1, "bootTime": %.3f, "writtenAtUptime": %.3f, "groups": [{)"
                      R"("id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "frame": [[%.0f, %.0f], [%.0f, %.0f]], )"
                      R"("activeWindowID": %u, "members": [)"
                      R"({"windowID": %u, "pid": %d, "lastKnownTitle": "terminal"}, )"
                      R"({"windowID": %u, "pid": %d, "lastKnownTitle": "logo"}]}]})",
                      seconds(real) - seconds(boot), seconds(boot), f.minX(), f.minY(), f.width(), f.height(),
                      group.active, group.active, pids.first, group.other, pids.second);
        return text;
    }

    MaximizedAxes axes(xcb_window_t window) { return user->info(window).maximized(); }
    bool maximized(xcb_window_t window) { return axes(window) == MaximizedAxes::both(); }
    bool unmaximized(xcb_window_t window) { return !axes(window).any(); }

    // Asks the window manager to maximise the window along the axes, or to
    // restore it, as a pager or a keyboard shortcut does.
    void askWindowManager(xcb_window_t window, bool maximise, MaximizedAxes which = MaximizedAxes::both()) {
        const X11Connection& x = desktop->connection();
        const auto& a = x.atoms();
        const xcb_atom_t vertical = a.NET_WM_STATE_MAXIMIZED_VERT, horizontal = a.NET_WM_STATE_MAXIMIZED_HORZ;
        x.sendClientMessage(x.root(), window, a.NET_WM_STATE, maximise ? 1 : 0, which.vertical ? vertical : horizontal,
                            which.vertical && which.horizontal ? horizontal : xcb_atom_t{XCB_ATOM_NONE}, 2);
        x.flush();
    }

    void doubleClick(Point at) { user->input.doubleClick(at); }
    // The maximise button of fluxbox's stock title bar (its minimise,
    // maximise and close buttons, windows of their own, end it): the
    // middle one of the last three.
    std::optional<Point> fluxboxMaximiseButton(xcb_window_t client) {
        xcb_connection_t* c = desktop->connection().get();
        const auto children = [&](xcb_window_t w) {
            const auto tree = xcbReply(c, xcb_query_tree_reply, xcb_query_tree(c, w));
            if (!tree) return std::vector<xcb_window_t>{};
            const xcb_window_t* first = xcb_query_tree_children(tree.get());
            return std::vector<xcb_window_t>(first, first + xcb_query_tree_children_length(tree.get()));
        };
        std::vector<Rect> buttons;
        for (const xcb_window_t part : children(user->screen.frameWindow(client))) {
            for (const xcb_window_t w : children(part)) {
                const auto g = xcbReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, w));
                const auto at = xcbReply(c, xcb_translate_coordinates_reply,
                                         xcb_translate_coordinates(c, w, desktop->connection().root(), 0, 0));
                if (g && at && g->width == g->height && g->width < 30) {
                    buttons.emplace_back(at->dst_x, at->dst_y, g->width, g->height);
                }
            }
        }
        std::sort(buttons.begin(), buttons.end(), [](const Rect& a, const Rect& b) { return a.minX() < b.minX(); });
        if (buttons.size() < 3) return std::nullopt;
        const Rect& button = buttons[buttons.size() - 2];
        return Point{button.midX(), button.midY()};
    }
    // A double click on the title bar that turns the active member's
    // maximised state to `maximise`. xfwm4 now and then lets a double click
    // pass without acting on it (with or without the program), on a
    // maximised window one in three at times; the user then clicks again.
    void doubleClickTitleBar(const Group& g, bool maximise) {
        // Not again too soon: a double click taken late and then made again
        // would undo itself.
        for (int attempt = 0; attempt < 6; ++attempt) {
            doubleClick(freeTitleBarPoint(g.active));
            if (user->waitUntil([&] { return maximized(g.active) == maximise; }, kClickTakenWithin)) return;
        }
    }
    // A point of the title bar that the program's bar leaves free, also
    // when the bar lies inside the title bar.
    Point freeTitleBarPoint(xcb_window_t window) { return user->titleBarPoint(window, 50); }

    // Both members maximised by the window manager, in one frame.
    bool maximisedTogether(const Group& g) {
        return maximized(g.active) && maximized(g.other) && user->shareFrame(g.active, g.other);
    }
    // The same, with the bar on the frame.
    bool maximisedWithBar(const Group& g) { return maximisedTogether(g) && user->barAbove(g.active).has_value(); }
    // Both members back at `home`, neither maximised, the bar above.
    bool backAt(const Group& g, const Rect& home) {
        const Size step = user->screen.sizeIncrement(g.active);
        return unmaximized(g.active) && unmaximized(g.other) && user->screen.sameFrame(user->frame(g.active), home, step) &&
               user->shareFrame(g.active, g.other) && user->barAbove(g.active).has_value();
    }
    // What the user sees of the group, for failure messages: both frames,
    // the bars, and the stacking of the terminal (T), xlogo (L) and the
    // program's windows (by their heights).
    std::string describe(const Group& g) {
        std::string stack;
        const xcb_window_t a = user->screen.frameWindow(g.active), o = user->screen.frameWindow(g.other);
        for (const auto& w : user->screen.stack()) {
            if (w.window == a) stack += " T";
            else if (w.window == o) stack += " L";
            else if (w.overrideRedirect && w.pid == ProcessID{program->pid()}) {
                stack += " bar" + std::to_string(static_cast<int>(w.rect.height()));
            }
        }
        return "terminal " + DesktopUser::describe(user->frame(g.active)) + (maximized(g.active) ? " maximised" : "") +
               ", xlogo " + DesktopUser::describe(user->frame(g.other)) + (maximized(g.other) ? " maximised" : "") +
               ", bars " + DesktopUser::describe(user->bars()) + ", stacking (bottom to top)" + stack +
               ", active " + std::to_string(desktop->windows().activeWindow());
    }

    // The window manager's keys that tile the active window to the left and
    // the right half of the screen, and whether the same key pressed again
    // untiles it (else the other one does: muffin).
    struct TileKeys {
        xcb_keysym_t modifier;
        xcb_keysym_t left;
        xcb_keysym_t right;
        bool againUntiles = true;
    };
    std::optional<TileKeys> tileKeys() const {
        using Manager = test::X11WindowManager;
        switch (manager()) {
            case Manager::metacity:
            case Manager::mutter:
            case Manager::kwin:
            case Manager::kwinComposited: return TileKeys{KeySym::superL, KeySym::left, KeySym::right};
            case Manager::muffin: return TileKeys{KeySym::superL, KeySym::left, KeySym::right, false};
            case Manager::xfwm4: return TileKeys{KeySym::superL, KeySym::keypadLeft, KeySym::keypadRight};
            default: return std::nullopt;
        }
    }
    // Whether the window manager tiles a window dropped at a screen edge.
    bool tilesAtEdges() const {
        using Manager = test::X11WindowManager;
        const Manager m = manager();
        return m == Manager::metacity || m == Manager::marco || m == Manager::muffin || m == Manager::kwin ||
               m == Manager::kwinComposited;
    }

    // The user drags from `from` to `to` at a hand's pace, holds the window
    // there a moment (where the window manager shows what a release will
    // do, late on a busy machine: muffin then tiled nothing after 400 ms),
    // and lets go.
    ::testing::AssertionResult dragTo(xcb_window_t window, Point from, Point to) {
        const Point start = user->frame(window).origin;
        // Pressed after a moment's rest, as a hand presses: muffin starts
        // no move, half the time, from a press that comes with the
        // pointer's arrival on the title bar.
        user->input.moveTo(from);
        std::this_thread::sleep_for(milliseconds(150));
        user->input.press(1);
        // Towards `to` a few pixels at a time until the window manager moves
        // it (out of a tile or a maximise only once the pointer has gone
        // further than for a plain move: metacity, mutter), then to and fro.
        const auto moved = [&](Point) { return user->frame(window).origin != start; };
        const int steps = std::max(1, static_cast<int>(std::hypot(to.x - from.x, to.y - from.y) / 6));
        Point at = from;
        bool following = false;
        for (int i = 1; i <= steps && i <= 40 && !following; ++i) {
            at = Point{std::round(from.x + (to.x - from.x) * i / steps), std::round(from.y + (to.y - from.y) * i / steps)};
            user->input.moveTo(at);
            following = user->waitUntil([&] { return moved(at); }, milliseconds(100));
        }
        if (!following && !user->moveUntilFollowing(at, at, moved)) {
            user->input.release(1);
            return ::testing::AssertionFailure() << "the window manager did not move the window from "
                                                 << DesktopUser::describe(start);
        }
        user->movePointer(at, to, 8, [](Point) { return true; }, milliseconds(1));
        // Pushed on a little where it is, as a hand does at a screen edge.
        for (int push = 1; push <= 3; ++push) user->input.moveTo(Point{to.x, to.y + push});
        std::this_thread::sleep_for(milliseconds(800));
        user->input.release(1);
        return ::testing::AssertionSuccess();
    }

    bool activeInFront(const Group& g) { return topMemberOf(*user, {g.active, g.other}) == g.active; }
    // Both members tiled to one half of the work area, in one frame, the
    // active one in front, the bar in its title bar.
    bool tiledTogether(const Group& g, bool left) {
        const Rect area = user->screen.workArea();
        const Rect f = user->frame(g.active);
        const Size step = user->screen.sizeIncrement(g.active);
        const double slack = 4 + std::max(step.width, step.height);
        const bool atSide = left ? std::abs(f.minX() - area.minX()) <= slack : std::abs(f.maxX() - area.maxX()) <= slack;
        const bool half = std::abs(f.width() - area.width() / 2) <= slack;
        const bool tall = f.minY() <= area.minY() + slack && f.maxY() >= area.maxY() - slack;
        return atSide && half && tall && axes(g.active) == axes(g.other) && user->shareFrame(g.active, g.other) &&
               activeInFront(g) && user->barAbove(g.active).has_value();
    }
    void expectTiledTogether(const Group& g, bool left) {
        const char* side = left ? "left" : "right";
        EXPECT_TRUE(user->waitUntil([&] { return tiledTogether(g, left); })) << "not tiled together to the " << side
                                                                             << ": " << describe(g);
        EXPECT_TRUE(staysSo([&] { return tiledTogether(g, left); })) << "did not stay tiled: " << describe(g);
    }

    // After a moment, the members are still as `holds` wants them.
    bool staysSo(const std::function<bool()>& holds, milliseconds moment = milliseconds(1500)) {
        return !user->waitUntil([&] { return !holds(); }, moment);
    }

    // Both members maximised together, staying so, with the bar on them.
    void expectMaximisedTogether(const Group& g) {
        EXPECT_TRUE(user->waitUntil([&] { return maximisedWithBar(g); })) << "not maximised together: " << describe(g);
        EXPECT_TRUE(staysSo([&] { return maximisedTogether(g); })) << "did not stay maximised: " << describe(g);
        EXPECT_TRUE(user->waitUntil([&] { return maximisedWithBar(g); })) << "no bar on the frame: " << describe(g);
    }
    void expectBackHome(const Group& g) {
        EXPECT_TRUE(user->waitUntil([&] { return backAt(g, g.home); }))
            << "not back at " << DesktopUser::describe(g.home) << ": " << describe(g);
    }

    // Afterwards the group follows a plain move of its active member,
    // nothing sends the member back, and no member was sent back until the
    // program gave up.
    void expectMovesAsOne(const Group& g) {
        const Rect from = user->frame(g.active);
        const Point to{from.minX() + 90, from.minY() + 60};
        ASSERT_TRUE(desktop->windows().setPosition(g.active, to));
        EXPECT_TRUE(user->waitUntil([&] {
            return user->frame(g.active).origin == to && user->shareFrame(g.active, g.other) &&
                   user->barAbove(g.active).has_value();
        })) << "the group did not follow a move: "
            << describe(g);
        EXPECT_TRUE(staysSo([&] { return user->frame(g.active).origin == to; })) << "moved back: " << describe(g);
        EXPECT_EQ(program->process().count(kBudgetExhausted), 0u);
    }
};

// A pager or a keyboard shortcut maximises the active member, and restores it.
TEST_P(MaximiseTest, MaximiseByTheWindowManagerKeepsTheGroup) {
    const auto g = startWithGroup();
    ASSERT_TRUE(g);

    askWindowManager(g->active, true);
    expectMaximisedTogether(*g);
    askWindowManager(g->active, false);
    expectBackHome(*g);

    // From top to bottom only: the other member the same way.
    const MaximizedAxes vertically{true, false};
    askWindowManager(g->active, true, vertically);
    EXPECT_TRUE(user->waitUntil([&] {
        return axes(g->active) == vertically && axes(g->other) == vertically && user->shareFrame(g->active, g->other) &&
               user->barAbove(g->active).has_value();
    })) << "not maximised together from top to bottom: "
        << describe(*g);
    askWindowManager(g->active, false, vertically);
    expectBackHome(*g);
    expectMovesAsOne(*g);
}

// However the window manager is asked (by a pager, or by its keyboard
// shortcut, Alt+F10 or Meta+Page Up, where it has one), the whole group is maximised, every
// time: fluxbox maximises in two steps (the height first) that nothing may
// take for a move of the window.
TEST_P(MaximiseTest, EveryMaximiseMaximisesTheWholeGroup) {
    const auto g = startWithGroup();
    ASSERT_TRUE(g);
    const bool hasShortcut = manager() != test::X11WindowManager::openbox;
    const auto shortcut = [&] { pressMaximiseShortcut(); };
    for (int round = 0; round < 4 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        askWindowManager(g->active, true);
        expectMaximisedTogether(*g);
        askWindowManager(g->active, false);
        expectBackHome(*g);
        if (hasShortcut) {
            shortcut();
            expectMaximisedTogether(*g);
            shortcut();
            expectBackHome(*g);
        }
        if (manager() == test::X11WindowManager::fluxbox) {
            // Its maximise button, on the window and then on the maximised one.
            for (const bool maximise : {true, false}) {
                const auto button = fluxboxMaximiseButton(g->active);
                ASSERT_TRUE(button) << "no maximise button found";
                user->click(*button);
                if (maximise) expectMaximisedTogether(*g);
                else expectBackHome(*g);
            }
        }
    }
    expectMovesAsOne(*g);
}

// A double click on the active member's title bar maximises the group, and
// another brings it back.
TEST_P(MaximiseTest, ADoubleClickOnTheTitleBarMaximisesAndRestoresTheGroup) {
    if (manager() == test::X11WindowManager::fluxbox) GTEST_SKIP() << "fluxbox shades a window on that double click";
    const auto g = startWithGroup();
    ASSERT_TRUE(g);

    doubleClickTitleBar(*g, true);
    expectMaximisedTogether(*g);
    doubleClickTitleBar(*g, false);
    expectBackHome(*g);
    expectMovesAsOne(*g);
}

// A double click on the program's bar fills the work area below the bar
// with a terminal in front (which keeps to whole character cells), and
// another brings the group back.
TEST_P(MaximiseTest, ADoubleClickOnTheBarMaximisesAndRestoresATerminal) {
    const auto g = startWithGroup();
    ASSERT_TRUE(g);
    const auto wide = [&] { return user->frame(g->active).width() > g->home.width() + 200; };
    // Under a heavily loaded sanitizer build the bar now and then takes a
    // double click for two single clicks; the user then clicks again.
    const auto doubleClickBar = [&](bool widens) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto bar = user->barAbove(g->active);
            ASSERT_TRUE(bar) << describe(*g);
            doubleClick(Point{bar->rect.maxX() - 12, bar->rect.midY()});
            if (user->waitUntil([&] { return wide() == widens; }, kClickTakenWithin)) return;
        }
    };

    // The bar grown with the group is drawn whole on screen: marco's
    // compositor now and then went on showing it at its old width. Its
    // rounded end shows what lies behind it, so that is left out.
    const auto drawnWhole = [&] {
        const auto bar = user->barAbove(g->active);
        if (!bar || bar->rect.width() <= g->home.width() + 200) return false;
        const Rect grown(bar->rect.minX() + g->home.width(), bar->rect.minY(),
                         bar->rect.width() - g->home.width() - bar->rect.height(), bar->rect.height());
        return user->screen.showsOwnPixels(bar->window, grown);
    };
    doubleClickBar(true);
    EXPECT_TRUE(user->waitUntil([&] {
        return wide() && user->shareFrame(g->active, g->other) && user->barAbove(g->active).has_value();
    })) << "not maximised: "
        << describe(*g);
    EXPECT_TRUE(user->waitUntil(drawnWhole)) << "the bar is not drawn whole";
    doubleClickBar(false);
    expectBackHome(*g);
    expectMovesAsOne(*g);
}

// A pager (or the application itself) maximises the member hidden behind
// the active one, and later restores it: the whole group is maximised and
// restored, a member in front with its tab lit (the active one, or the one
// maximised where the window manager gave it the focus for that: mutter).
TEST_P(MaximiseTest, AMaximiseOfAnInactiveMemberMaximisesAndRestoresTheWholeGroup) {
    const auto g = startWithGroup();
    ASSERT_TRUE(g);
    // The group as the user sees it: the member in front as its active one.
    const auto shown = [&] {
        Group now = *g;
        if (topMemberOf(*user, {g->active, g->other}) == g->other) std::swap(now.active, now.other);
        return now;
    };
    const auto tabOnTop = [&] { return selectedTabOnTop(*desktop, *user, {g->active, g->other}); };
    for (int round = 0; round < 2 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Group before = shown();
        askWindowManager(before.other, true);
        EXPECT_TRUE(user->waitUntil([&] { return maximisedWithBar(shown()); })) << "not maximised together: "
                                                                                << describe(*g);
        EXPECT_TRUE(tabOnTop());
        // Some seconds later, as a user does.
        EXPECT_TRUE(staysSo([&] { return maximisedWithBar(shown()); }, kAMomentLater)) << describe(*g);
        askWindowManager(before.other, false);
        EXPECT_TRUE(user->waitUntil([&] { return backAt(shown(), g->home); })) << "not back at "
                                                                              << DesktopUser::describe(g->home)
                                                                              << ": " << describe(*g);
        EXPECT_TRUE(tabOnTop());
        EXPECT_TRUE(staysSo([&] { return backAt(shown(), g->home); }, kAMomentLater)) << describe(*g);
    }
    expectMovesAsOne(shown());
}

// Half-screen tiling by the window manager's keys, one half, the other,
// and back; and from a maximised group. Every member takes the tile, none
// shows beside it, the bar lies in the title bar, and untiling brings the
// group back whole.
TEST_P(MaximiseTest, HalfScreenTilingByKeysTakesTheWholeGroupAndUntilingBringsItBack) {
    const auto keys = tileKeys();
    if (!keys) GTEST_SKIP() << test::X11Desktop::name(manager()) << " tiles by no key of its own";
    const auto g = startWithGroup();
    ASSERT_TRUE(g);
    // KWin takes its shortcuts only a while after it starts, later when it
    // is busy: a key pressed before that is lost, and the user, seeing
    // nothing move, presses it again.
    const auto press = [&](xcb_keysym_t arrow) {
        const Rect before = user->frame(g->active);
        for (int attempt = 0; attempt < 4; ++attempt) {
            user->input.keyDown(keys->modifier);
            user->input.keyDown(arrow);
            user->input.keyUp(arrow);
            user->input.keyUp(keys->modifier);
            if (user->waitUntil([&] { return user->frame(g->active) != before; }, kClickTakenWithin)) return;
        }
    };
    const auto untile = [&](bool left) { press(left == keys->againUntiles ? keys->left : keys->right); };
    for (const bool left : {true, false}) {
        press(left ? keys->left : keys->right);
        expectTiledTogether(*g, left);
        untile(left);
        expectBackHome(*g);
    }

    // From a maximised group: untiled, the group is whole again, where the
    // window manager puts it back (maximised, or where it was before).
    askWindowManager(g->active, true);
    expectMaximisedTogether(*g);
    press(keys->left);
    expectTiledTogether(*g, true);
    untile(true);
    EXPECT_TRUE(user->waitUntil([&] {
        return !tiledTogether(*g, true) && axes(g->active) == axes(g->other) &&
               user->shareFrame(g->active, g->other) && activeInFront(*g) && user->barAbove(g->active).has_value();
    })) << "not whole once untiled: "
        << describe(*g);
    if (maximized(g->active)) {
        EXPECT_TRUE(staysSo([&] { return maximisedTogether(*g); }, kAMomentLater)) << describe(*g);
        askWindowManager(g->active, false);
    }
    expectBackHome(*g);
    expectMovesAsOne(*g);
}

// The group's active member dragged by its title bar to the left edge of
// the screen, where the window manager tiles it: the whole group is tiled;
// dragged away again, it is whole at its own size.
TEST_P(MaximiseTest, DraggingTheGroupToTheScreensEdgeTilesItWhole) {
    if (!tilesAtEdges()) GTEST_SKIP() << test::X11Desktop::name(manager()) << " tiles no window dropped at a screen edge";
    const auto g = startWithGroup();
    ASSERT_TRUE(g);
    const Point grip = freeTitleBarPoint(g->active);
    ASSERT_TRUE(dragTo(g->active, grip, Point{0, grip.y + 200})) << describe(*g);
    expectTiledTogether(*g, true);

    // Dragged away again, the window manager gives it its size back.
    ASSERT_TRUE(dragTo(g->active, freeTitleBarPoint(g->active), Point{g->home.midX(), g->home.minY() + 10}))
        << describe(*g);
    EXPECT_TRUE(user->waitUntil([&] {
        return unmaximized(g->active) && unmaximized(g->other) && user->shareFrame(g->active, g->other) &&
               user->screen.sameFrame(Rect(user->frame(g->active).origin, g->home.size), user->frame(g->active),
                                      user->screen.sizeIncrement(g->active)) &&
               user->barAbove(g->active).has_value() && activeInFront(*g);
    })) << "not whole after the drag away: "
        << describe(*g);
    expectMovesAsOne(*g);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, MaximiseTest,
                         ::testing::Values(test::X11WindowManager::openbox, test::X11WindowManager::xfwm4,
                                           test::X11WindowManager::fluxbox, test::X11WindowManager::icewm,
                                           test::X11WindowManager::metacity,
                                           test::X11WindowManager::marco, test::X11WindowManager::kwin,
                                           test::X11WindowManager::kwinComposited, test::X11WindowManager::mutter,
                                           test::X11WindowManager::muffin),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
