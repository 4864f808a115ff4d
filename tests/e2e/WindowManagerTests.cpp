// Where the window manager acts on its own, on each window manager people
// run (stock configurations): the move it runs for a grouping drag.
#include "EndToEndTest.h"

#include <algorithm>
#include <set>

namespace tessaly::e2e {
namespace {

using WM = test::X11WindowManager;

class StockWindowManagerTest : public EndToEndOnWindowManager {
protected:
    // Starts the program with the grouping modifier a user of this window
    // manager chooses: Control where a Shift-drag snaps the window to edges
    // (metacity, marco), else Shift.
    ::testing::AssertionResult startGroupingProgram() {
        const bool snapsOnShift = manager() == WM::metacity || manager() == WM::marco;
        TessalyProgram::Options options;
        if (snapsOnShift) options.defaults["dragModifierGate"] = "\"control\"";
        auto started = startProgram(options);
        if (!started) return started;
        if (snapsOnShift) user->groupingKey = KeySym::controlL;
        user->barsStackWithWindows = manager() != WM::metacity;
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
// grouping drags let go at once, before a move could begin.
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

    // Pressed, flicked, let go, as fast as a hand can.
    const Point flick = user->titleBarPoint(flicked->window);
    user->input.moveTo(flick);
    user->input.keyDown(user->groupingKey);
    user->input.press(1);
    for (int step = 1; step <= 10; ++step) user->input.moveTo(Point{flick.x + 4.0 * step, flick.y + 2.0 * step});
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

INSTANTIATE_TEST_SUITE_P(WindowManagers, StockWindowManagerTest,
                         ::testing::Values(WM::openbox, WM::xfwm4, WM::fluxbox, WM::icewm, WM::metacity, WM::marco),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
