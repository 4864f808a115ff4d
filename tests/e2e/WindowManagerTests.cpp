// Where the window manager acts on its own, on each window manager people
// run (stock configurations): the move it runs for a grouping drag, the
// stacking of bars among other windows, its replacement by a new instance.
#include "EndToEndTest.h"
#include "Platform/X11/ProcessStop.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

namespace tessaly::e2e {
namespace {

using WM = test::X11WindowManager;

class StockWindowManagerTest : public EndToEndOnWindowManager {
protected:
    // Starts the program with the grouping modifier a user of this window
    // manager chooses: Control where a Shift-drag snaps the window to edges
    // (metacity, marco, mutter, muffin), else the program's own (Control on
    // KWin, which takes Shift-drags, Shift elsewhere).
    ::testing::AssertionResult startGroupingProgram(TessalyProgram::Options options = {}) {
        const bool snapsOnShift =
            manager() == WM::metacity || manager() == WM::marco || manager() == WM::mutter || manager() == WM::muffin;
        if (snapsOnShift) options.defaults["dragModifierGate"] = "\"control\"";
        auto started = startProgram(options);
        if (!started) return started;
        if (snapsOnShift) user->groupingKey = KeySym::controlL;
        user->barsStackWithWindows = keepsStacking();
        return started;
    }
    // Whether another client holds the pointer (a window manager still
    // running a move): a grab of our own is refused then.
    bool pointerHeldByAnother() {
        X11Connection& x = desktop->connection();
        xcb_connection_t* c = x.get();
        const auto reply = xcbReply(c, xcb_grab_pointer_reply,
                                    xcb_grab_pointer(c, 0, x.root(), 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                                                     XCB_NONE, XCB_NONE, XCB_CURRENT_TIME));
        if (!reply || reply->status != XCB_GRAB_STATUS_SUCCESS) return true;
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        x.sync();
        return false;
    }
    // Whether the window manager leaves a grouping drag's move to the
    // program: it does not move a window on a title-bar press with the
    // grouping modifier held (the others do so by themselves).
    bool leavesGroupingMoveToProgram() const { return manager() == WM::openbox || manager() == WM::fluxbox; }
    // How far a compositing window manager draws a window's shadow.
    static constexpr double kShadow = 24;
    // Whether the window manager keeps the stacking the program asks for
    // (metacity puts every override-redirect window above its own, and
    // mutter and muffin restack the bars as well).
    bool keepsStacking() const {
        return manager() != WM::metacity && manager() != WM::mutter && manager() != WM::muffin;
    }
    // Where `area` lies left of `over` (a window over its right part; none:
    // all of it), with room for the window's shadow.
    Rect leftOf(Rect area, xcb_window_t over) {
        if (over != kNoWindow) area.size.width = std::min(area.maxX(), user->frame(over).minX() - kShadow) - area.minX();
        return area;
    }
    // Whether the bar on the client shows on screen, left of `over` (true
    // when nothing of it is left there).
    bool barShows(xcb_window_t client, xcb_window_t over = kNoWindow) {
        const auto bar = user->barAbove(client);
        if (!bar) return false;
        const Rect visible = leftOf(bar->rect.insetBy(12, 6), over);  // the rounded corners aside
        return visible.size.width < 16 || user->screen.showsOwnPixels(bar->window, visible);
    }
    // Whether the client's title bar shows its own pixels (its title) in the
    // band a backing would lie in, left of `over`.
    bool titleShows(xcb_window_t client, xcb_window_t over = kNoWindow) {
        const auto i = user->info(client);
        const double top = i.frame.minY() + 3, bottom = std::min(i.frame.minY() + 18, i.clientFrame.minY()) - 1;
        const Rect band = leftOf(Rect(i.frame.minX() + 8, top, i.frame.size.width - 16, bottom - top), over);
        return band.size.width < 16 || user->screen.showsOwnPixels(i.frameWindow, band);
    }
    // Whether the root child holding `upper` is above the window `lower`.
    bool above(xcb_window_t upper, xcb_window_t lower) {
        const auto stack = user->screen.stack();
        const xcb_window_t frame = user->screen.frameWindow(upper);
        const auto at = [&](xcb_window_t w) {
            return std::find_if(stack.begin(), stack.end(), [w](const ShownWindow& s) { return s.window == w; });
        };
        return at(frame) != stack.end() && at(lower) != stack.end() && at(frame) > at(lower);
    }
    // Opens the program's settings window as a second start does; its
    // window once it shows.
    xcb_window_t openSettingsWindow() {
        auto variables = desktopVariables(desktop->display(), program->folders());
        TessalyProgram::keepOffAutolaunchedBus(variables);
        auto again = ChildProcess::start({TessalyProgram::path()}, variables);
        if (!again || !again->waitForExit(test::kX11Patience)) return kNoWindow;
        xcb_window_t found = kNoWindow;
        user->waitUntil([&] {
            for (const auto& info : desktop->windows().read(desktop->windows().clientList())) {
                if (info.pid == ProcessID{program->pid()} && info.title == "Tessaly Settings" && info.viewable) {
                    found = info.window;
                }
            }
            return found != kNoWindow;
        });
        return found;
    }
    // The shown windows that are not the program's (frames, panels and
    // popups of the window manager).
    std::set<xcb_window_t> othersShown() {
        std::set<xcb_window_t> shown;
        for (const auto& w : user->screen.stack()) {
            if (w.pid != ProcessID{program->pid()}) shown.insert(w.window);
        }
        return shown;
    }
};

// A grouping drag whose move the window manager runs (by itself, or asked
// by the program where the grouping modifier keeps it from moving the
// window) leaves nothing behind: no popup or pointer grab of the window
// manager stays, and plain drags of a title bar move their window. So do
// grouping drags let go at once, before a move could begin, where the
// program asks for it.
TEST_P(StockWindowManagerTest, APlainDragAfterAGroupingMovesTheWindow) {
    ASSERT_TRUE(startGroupingProgram());
    const auto left = desktop->launchXterm("left", "80x20+60+120");
    const auto right = desktop->launchXterm("right", "80x20+760+120");
    const auto other = desktop->launchXterm("other", "40x10+620+600");
    const auto flicked = desktop->launchXterm("flicked", "40x10+1100+150");
    ASSERT_TRUE(left && right && other && flicked);
    const auto before = othersShown();
    const auto leftAlone = [&] { return !pointerHeldByAnother() && othersShown() == before; };
    std::string why;
    ASSERT_TRUE(user->groupByDragRetrying(right->window, left->window, why)) << why;
    EXPECT_TRUE(user->waitUntil(leftAlone)) << "the grouping drag left the window manager moving";

    // Pressed, flicked, let go, as fast as a hand can: the release races the
    // program's request. A window manager that moves the window by itself is
    // let go once its move has begun: one that gets there only after the
    // release loses track of the button, with or without this program.
    // xfwm4 lets go of the pointer between telling a drag from a click and
    // grabbing it for the move (a release meanwhile goes to the client
    // window, and the move runs until the next click); metacity and marco,
    // taking the press in late, pass over the next press on another window.
    const Point flick = user->titleBarPoint(flicked->window);
    const Point home = user->frame(flicked->window).origin;
    user->input.moveTo(flick);
    user->input.keyDown(user->groupingKey);
    user->input.press(1);
    const Point flung{flick.x + 40, flick.y + 20};
    for (int step = 1; step <= 10; ++step) user->input.moveTo(Point{flick.x + 4.0 * step, flick.y + 2.0 * step});
    if (!leavesGroupingMoveToProgram()) {
        Point at;
        const auto moved = [&](Point) { return user->frame(flicked->window).origin != home; };
        EXPECT_TRUE(user->moveUntilFollowing(flung, at, moved)) << "the window manager did not move the flicked window";
    }
    user->input.release(1);
    user->input.keyUp(user->groupingKey);
    EXPECT_TRUE(user->waitUntil(leftAlone)) << "the flick left the window manager moving";

    // Two plain drags, of two windows (a second press soon after on the
    // same title bar is a double click), away from other windows' edges,
    // where a window manager may hold a window.
    for (const auto& [dragged, by] : {std::pair{other->window, Point{180, -100}}, {flicked->window, Point{-180, 100}}}) {
        const Point grab = user->titleBarPoint(dragged);
        EXPECT_TRUE(user->dragTitleBar(dragged, Point{grab.x + by.x, grab.y + by.y}, false, why)) << why;
        EXPECT_TRUE(user->waitUntil(leftAlone)) << "a plain drag left the window manager moving";
    }
}

// A move the program asks for ends with its press also when the program
// lags behind the pointer (a busy machine): a grouping flick it takes in
// only once the user has let go and is dragging another window by its
// title bar asks for no move then (the button held is that drag's) and
// cancels none (which would end that drag), so the window manager goes on
// moving the window dragged. Where the window manager moves a window on
// the grouping press by itself, the program asks for nothing.
TEST_P(StockWindowManagerTest, AFlickTakenInLateLeavesTheNextDragAlone) {
    if (!leavesGroupingMoveToProgram()) GTEST_SKIP() << "the window manager moves the window by itself";
    TessalyProgram::Options options;
    options.diagnostics = true;  // the move assist tells what it took in
    ASSERT_TRUE(startGroupingProgram(options));
    const auto flicked = desktop->launchXterm("flicked", "40x10+1100+150");
    const auto other = desktop->launchXterm("other", "40x10+620+600");
    ASSERT_TRUE(flicked && other);
    ChildProcess& process = program->process();
    const std::string pressLine = "move assist: a title-bar press on window " + std::to_string(flicked->window);
    const std::string releaseLine = "move assist: released window " + std::to_string(flicked->window);

    // A grouping drag whose move the program asks for: it knows then that
    // this window manager needs asking, and asks at once the next time.
    std::string why;
    const Point first = user->titleBarPoint(flicked->window);
    ASSERT_TRUE(user->dragTitleBar(flicked->window, Point{first.x - 200, first.y + 100}, true, why)) << why;
    ASSERT_TRUE(process.waitForOutput("move assist: asked the window manager to move window", test::kX11Patience));

    // The flick's press, taken in; the rest reaches the program only after
    // the other window's move has begun.
    const Point flick = user->titleBarPoint(flicked->window);
    const Rect flickedAt = user->frame(flicked->window);
    user->input.moveTo(flick);
    user->input.keyDown(user->groupingKey);
    user->input.press(1);
    ASSERT_TRUE(process.waitForOutput(pressLine, test::kX11Patience, 2));
    const Point grab = user->titleBarPoint(other->window);
    const Rect start = user->frame(other->window);
    // Whether the other window has moved, as far as the pointer from `grab`.
    const auto follows = [&](Point p) {
        const Point origin = user->frame(other->window).origin;
        const double dx = origin.x - start.minX() - (p.x - grab.x), dy = origin.y - start.minY() - (p.y - grab.y);
        return origin != start.origin && std::abs(dx) <= DesktopUser::kEdgeResistance &&
               std::abs(dy) <= DesktopUser::kEdgeResistance;
    };
    Point at = grab;
    {
        ProcessStop stop(process.pid());
        ASSERT_TRUE(desktop->waitUntil([&] { return stop.stopped(); }));
        for (int step = 1; step <= 4; ++step) user->input.moveTo(Point{flick.x + 6.0 * step, flick.y});
        user->input.release(1);
        user->input.keyUp(user->groupingKey);
        user->input.moveTo(grab);
        user->input.press(1);
        ASSERT_TRUE(user->moveUntilFollowing(grab, at, follows)) << "the window manager never moved the other window";
    }
    ASSERT_TRUE(process.waitForOutput(releaseLine, test::kX11Patience, 2)) << "the program did not catch up";

    // The other window follows the pointer to the end; the flicked one stays.
    const bool followed = user->movePointer(at, Point{at.x + 120, at.y - 60}, DesktopUser::kDragStep, follows);
    user->input.release(1);
    EXPECT_TRUE(followed) << "the other window stopped following the pointer, at "
                          << DesktopUser::describe(user->frame(other->window));
    EXPECT_EQ(user->frame(flicked->window), flickedAt) << "the flicked window moved";
    EXPECT_TRUE(user->waitUntil([&] { return !pointerHeldByAnother(); })) << "the window manager goes on moving";
}

// A bar stands directly above its group's window: a window activated over
// the group covers it, so does the program's own settings window, and the
// band behind the window's top edge never hides the window's own title;
// also after the window manager was replaced (which frames the group where
// it was, exactly). What the screen shows is
// checked everywhere (metacity stacks the bars above all windows, whatever
// it is asked: there they are cut to look so), the server's stacking order
// where the window manager keeps it.
TEST_P(StockWindowManagerTest, ABarStacksWithItsWindowBelowTheWindowsAbove) {
    ASSERT_TRUE(startGroupingProgram());
    const auto left = desktop->launchXterm("left", "80x20+60+200");
    const auto right = desktop->launchXterm("right", "80x20+760+200");
    ASSERT_TRUE(left && right);
    std::string why;
    ASSERT_TRUE(user->groupByDragRetrying(right->window, left->window, why)) << why;
    const xcb_window_t active = desktop->windows().activeWindow();

    // Where nothing covers them: the whole bar and the window's title.
    const auto wholeBarAndTitleShow = [&](const char* when) {
        EXPECT_TRUE(user->waitUntil([&] { return barShows(active) && titleShows(active); }))
            << when << ":" << (barShows(active) ? "" : " the bar is hidden;")
            << (titleShows(active) ? "" : " the title is hidden;");
    };
    wholeBarAndTitleShow("grouped");

    // Another window over the right part of the bar and of the title bar;
    // in its place then the settings window, over the whole bar.
    const auto cover = desktop->launchXterm("cover", "50x8+380+120");
    ASSERT_TRUE(cover);
    ASSERT_TRUE(user->focus(cover->window));
    const auto coveredAt = [&](xcb_window_t over, const char* what) {
        std::string seen;
        EXPECT_TRUE(user->waitUntil([&] {
            const auto bar = user->barAbove(active);
            if (!bar) return false;
            const Rect part = user->info(over).clientFrame.intersection(bar->rect.insetBy(12, 4));
            const bool covers = !part.isEmpty() && user->screen.showsOwnPixels(over, part);
            const bool rest = barShows(active, over), title = titleShows(active, over);
            const bool stacked = !keepsStacking() || above(over, bar->window);
            seen = std::string(covers ? "" : " it does not cover the bar;") + (rest ? "" : " the rest of the bar is hidden;") +
                   (title ? "" : " the window's title is hidden;") + (stacked ? "" : " it is below the bar in the stacking;");
            return covers && rest && title && stacked;
        })) << what << ":" << seen;
    };
    coveredAt(cover->window, "a window activated over the group");

    ASSERT_TRUE(desktop->windows().close(cover->window));
    const auto settings = openSettingsWindow();
    ASSERT_NE(settings, kNoWindow) << "no settings window";
    const Rect group = user->frame(active);
    ASSERT_TRUE(desktop->windows().setPosition(settings, Point{group.minX() - 40, group.minY() - 100}));
    coveredAt(settings, "the settings window");
    ASSERT_TRUE(desktop->windows().close(settings));

    ASSERT_TRUE(user->focus(active));
    wholeBarAndTitleShow("the group's window activated again");

    // A new window manager frames the group where it was, exactly.
    if (manager() == WM::fluxbox) return;  // it has no --replace
    const xcb_window_t oldFrame = user->screen.frameWindow(active);
    const xcb_window_t inactive = active == left->window ? right->window : left->window;
    const Rect before = user->frame(active);
    ASSERT_TRUE(desktop->replaceWindowManager(why)) << why;
    ASSERT_TRUE(user->waitUntil([&] { return user->screen.frameWindow(active) != oldFrame; }))
        << "the new window manager did not frame the windows";
    ASSERT_TRUE(user->focus(active));
    EXPECT_TRUE(user->waitUntil([&] { return user->frame(active) == before && user->shareFrame(inactive, active); }))
        << "the group was at " << DesktopUser::describe(before) << ", now its members at "
        << DesktopUser::describe(user->frame(active)) << " and " << DesktopUser::describe(user->frame(inactive));
    wholeBarAndTitleShow("after the window manager was replaced");
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, StockWindowManagerTest,
                         ::testing::Values(WM::openbox, WM::xfwm4, WM::fluxbox, WM::icewm, WM::metacity, WM::marco, WM::kwin, WM::kwinComposited, WM::mutter, WM::muffin),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
