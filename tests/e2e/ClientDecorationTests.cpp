// Windows that draw their own decoration (a GTK header bar, here
// gtk3-widget-factory's): while a compositor runs, such a window keeps an
// invisible shadow and resize margins around what it shows and publishes
// them (_GTK_FRAME_EXTENTS). The program groups it by what it shows: the
// insert preview outlines the visible window, the bar stands on its visible
// top edge and is as wide (to the other member's character cells), the
// other member takes the visible frame, and the window follows its group
// with what it shows.
#include "EndToEndTest.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace tessaly::e2e {
namespace {

using WM = test::X11WindowManager;

// xfwm4, metacity and marco composite by themselves and announce the
// margins to GTK; openbox announces nothing of them, so GTK draws no shadow
// there even under picom: it stands for the desktops whose header bars
// show all of their window.
class HeaderBarTest : public EndToEndOnWindowManager {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = EndToEndOnWindowManager::desktopOptions();
        options.compositor = manager() == WM::openbox;
        options.openGl = true;  // GTK 4 windows draw as on a user's desktop
        return options;
    }

    // The client's window in root coordinates, as the X server has it.
    Rect windowRect(xcb_window_t w) {
        xcb_connection_t* c = desktop->connection().get();
        const auto geometry = xcbReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, w));
        const auto origin = xcbReply(c, xcb_translate_coordinates_reply,
                                     xcb_translate_coordinates(c, w, desktop->connection().root(), 0, 0));
        if (!geometry || !origin) return Rect();
        return Rect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    }
    // The margins it publishes (left, right, top, bottom), all 0 without.
    std::array<double, 4> margins(xcb_window_t w) {
        const auto& x = desktop->connection();
        const auto values = propertyCardinals(x.readProperty(w, x.atoms().GTK_FRAME_EXTENTS).get());
        if (values.size() < 4) return {0, 0, 0, 0};
        return {double(values[0]), double(values[1]), double(values[2]), double(values[3])};
    }
    // What it shows: its window less its margins.
    Rect shown(xcb_window_t w) {
        const Rect r = windowRect(w);
        const auto [left, right, top, bottom] = margins(w);
        return Rect(r.minX() + left, r.minY() + top, r.width() - left - right, r.height() - top - bottom);
    }
    // The two windows grouped with `front` active, maximised and restored
    // four times over (Alt+F10 where the window manager has it, else as a
    // pager asks): what `hidden` shows lies on the group's frame (1 px
    // either way) each time, and comes to rest there once restored. A
    // `front` without a title bar of the window manager's leaves the bar no
    // room once maximised: its group is zoomed below the bar instead, and
    // the next maximise brings it back.
    void expectKeptThroughMaximiseCycles(xcb_window_t front, xcb_window_t hidden, bool frontHasHeaderBar) {
        const auto& a = desktop->connection().atoms();
        if (!desktop->connection().windowManagerSupports(a.NET_WM_STATE_MAXIMIZED_VERT)) GTEST_SKIP();
        // Where its bar has room above it (xfwm4 places a large window at
        // the top of the screen).
        const Point place{120, 90};
        ASSERT_TRUE(desktop->windows().setPosition(front, place));
        ASSERT_TRUE(desktop->waitUntil([&] {
            const auto info = desktop->windows().read(front);
            return info && info->frame.origin == place;
        }));
        TessalyProgram::Options options;
        options.diagnostics = true;
        ASSERT_TRUE(startProgramWithGroups({{front, hidden}}, options));
        ASSERT_TRUE(user->focus(front) && user->waitForBarAbove(front));
        const auto byWindowManager = [&] { return user->info(front).maximized().any(); };
        const auto maximized = [&] {
            if (!frontHasHeaderBar) return byWindowManager();
            const Rect work = user->screen.workArea(), f = user->frame(front);
            return !byWindowManager() && f.width() >= work.width() - 2 && f.minY() >= work.minY() + user->barHeight;
        };
        const auto toggle = [&] {
            if (manager() == WM::openbox) {
                const auto& x = desktop->connection();
                x.sendClientMessage(x.root(), front, a.NET_WM_STATE, 2, a.NET_WM_STATE_MAXIMIZED_VERT,
                                    a.NET_WM_STATE_MAXIMIZED_HORZ, 2);
                x.flush();
                return;
            }
            pressMaximiseShortcut();
        };
        const auto onGroup = [&] {
            const Rect group = user->frame(front), v = shown(hidden);
            return std::abs(v.minX() - group.minX()) <= 1 && std::abs(v.minY() - group.minY()) <= 1 &&
                   std::abs(v.maxX() - group.maxX()) <= 1 && std::abs(v.maxY() - group.maxY()) <= 1;
        };
        const auto describe = [&] {
            return "the group's frame " + DesktopUser::describe(user->frame(front)) + ", the hidden member shows " +
                   DesktopUser::describe(shown(hidden));
        };
        ASSERT_TRUE(user->waitUntil(onGroup)) << describe();
        // GTK eases its margins back in after a restore and, for a while
        // after, may ask for a size of its own again (longer on a busy
        // machine), to be sent back each time: what it shows has lain on
        // the group's frame for a whole second.
        const auto restsOnGroup = [&] {
            auto since = std::chrono::steady_clock::now();
            return user->waitUntil([&] {
                if (!onGroup()) since = std::chrono::steady_clock::now();
                return std::chrono::steady_clock::now() - since >= std::chrono::seconds(1);
            });
        };
        for (int cycle = 0; cycle < 4 && !HasFailure(); ++cycle) {
            SCOPED_TRACE("cycle " + std::to_string(cycle));
            const auto resting = margins(hidden);
            toggle();
            // Seen as soon as the state is published (the frames may still
            // agree at the old size): the restore that follows may then
            // reach the window manager before the hidden member's maximise
            // does, as a key pressed twice would, and the member must still
            // come back.
            EXPECT_TRUE(user->waitUntil([&] { return maximized() && onGroup(); })) << "maximised: " << describe();
            // A maximise within half a second of the zoom is taken for an
            // echo of it: a user's second click comes later.
            if (frontHasHeaderBar) desktop->waitUntil([] { return false; }, std::chrono::milliseconds(700));
            toggle();
            EXPECT_TRUE(user->waitUntil([&] { return !maximized() && !byWindowManager(); }))
            << "not restored: " << describe();
            EXPECT_TRUE(user->waitUntil([&] { return margins(hidden) == resting; }))
                << "GTK's margins did not come back";
            EXPECT_TRUE(restsOnGroup()) << "restored: " << describe();
        }
        EXPECT_EQ(program->process().count("snap-back budget exhausted: "), 0u);
    }
    bool overlayIs(const Rect& rect) {
        const auto all = user->overlays();
        return std::any_of(all.begin(), all.end(), [&](const ShownWindow& w) { return w.rect == rect; });
    }
};

TEST_P(HeaderBarTest, AHeaderBarWindowIsGroupedByWhatItShows) {
    // With the traces: a drag that shows no preview says what the program saw.
    TessalyProgram::Options traced;
    traced.diagnostics = true;
    ASSERT_TRUE(startProgram(traced));
    const auto factory = desktop->launch({"gtk3-widget-factory"});
    const auto terminal = desktop->launchXterm("beside", "70x18+1000+620");
    ASSERT_TRUE(factory && terminal);
    // The preview outlines the window as it stands during the hover.
    ASSERT_TRUE(waitForSteadyFrame(factory->window)) << "the window went on changing its size";
    const auto published = margins(factory->window);
    // GTK draws a shadow around its window only where a compositor runs
    // (and none under openbox, which GTK takes for one that runs none).
    if (manager() != WM::openbox && desktop->composited()) {
        ASSERT_GT(published[2], 0) << "GTK published no shadow under " << test::X11Desktop::name(manager());
    }
    const auto visible = [&] { return shown(factory->window); };
    // Where its bar has room above it.
    const Point place{100, 90};
    ASSERT_TRUE(desktop->windows().setPosition(factory->window, place));
    ASSERT_TRUE(user->waitUntil([&] { return visible().origin == place; })) << DesktopUser::describe(visible());

    // The preview over it during the hover outlines the visible window.
    std::string why;
    const Point onIt{std::round(visible().midX()), std::round(visible().midY())};
    ASSERT_TRUE(user->dragTitleBar(terminal->window, onIt, true, why, [&] { return overlayIs(visible()); }))
        << why << "; the program showed " << DesktopUser::describe(user->overlays()) << ", the window shows "
        << DesktopUser::describe(visible());

    // Grouped: the terminal takes the visible frame (to its character
    // cells), and the bar stands on the visible top edge, as wide.
    EXPECT_TRUE(user->waitUntil([&] {
        return user->screen.sameFrame(user->frame(terminal->window), visible(),
                                      user->screen.sizeIncrement(terminal->window));
    })) << "the terminal's frame is " << DesktopUser::describe(user->frame(terminal->window)) << ", the window shows "
        << DesktopUser::describe(visible());
    // The group's frame is the active member's: the terminal's, a little
    // narrower, when it got the focus back and the header bar window cannot
    // shrink to its cells.
    const auto barOnTop = [&] {
        const Rect v = visible();
        const double cell = user->screen.sizeIncrement(terminal->window).width;
        const auto bars = user->bars();
        return std::any_of(bars.begin(), bars.end(), [&](const ShownWindow& bar) {
            return bar.rect.minX() == v.minX() && bar.rect.maxY() == v.minY() &&
                   std::abs(bar.rect.width() - v.width()) < cell;
        });
    };
    EXPECT_TRUE(user->waitUntil(barOnTop))
        << "bars: " << DesktopUser::describe(user->bars()) << ", the window shows " << DesktopUser::describe(visible());

    // The terminal brought forward and moved: the header bar window follows
    // with what it shows.
    ASSERT_TRUE(user->focus(terminal->window));
    const Point to{visible().minX() + 40, visible().minY() + 30};
    ASSERT_TRUE(desktop->windows().setPosition(terminal->window, to));
    EXPECT_TRUE(user->waitUntil([&] { return visible().origin == to; }))
        << "the header bar window shows " << DesktopUser::describe(visible()) << ", the group's frame is at "
        << DesktopUser::describe(user->frame(terminal->window));
}

// A header-bar window on top when a group's bar comes up: a window manager
// that keeps bars above all of its windows (metacity, marco) lifts them
// over it, and the bar's backing band, which belongs behind the group's
// window, must not be left lying over that window's title bar.
TEST_P(HeaderBarTest, ABackingBandNeverLiesOverTheGroupsTitleBar) {
    // The group right of where the header-bar window comes up (at the top left).
    const auto first = desktop->launchXterm("first", "60x18+1450+300");
    const auto second = desktop->launchXterm("second", "60x18+1450+300");
    ASSERT_TRUE(first && second);
    const auto factory = desktop->launch({"gtk3-widget-factory"});
    ASSERT_TRUE(factory);
    ASSERT_TRUE(startProgramWithGroups({{second->window, first->window}}));
    ASSERT_TRUE(user->waitUntil([&] { return user->barAbove(second->window, true).has_value(); }))
        << "the group did not come up";
    const xcb_window_t frame = user->screen.frameWindow(second->window);
    const auto bandOverTheWindow = [&] {
        const auto all = user->screen.stack();  // bottom to top
        const auto at = std::find_if(all.begin(), all.end(), [&](const ShownWindow& w) { return w.window == frame; });
        if (at == all.end()) return false;
        return std::any_of(at + 1, all.end(), [&](const ShownWindow& w) {
            return w.overrideRedirect && w.pid == ProcessID{program->pid()} &&
                   w.rect.height() == DesktopUser::kBackingReach && !w.rect.intersection(at->rect).isEmpty();
        });
    };
    // Once the window manager is done with the bar, looked at for a second.
    desktop->waitUntil([] { return false; }, std::chrono::milliseconds(1500));
    int seen = 0;
    for (int i = 0; i < 20; ++i) {
        seen += bandOverTheWindow();
        desktop->waitUntil([] { return false; }, std::chrono::milliseconds(50));
    }
    EXPECT_EQ(seen, 0) << "the backing band lay over the title bar in " << seen << " of 20 looks";
    EXPECT_TRUE(user->barAbove(second->window, true).has_value());
}

// A header-bar window behind the group's front window, through maximise
// and restore cycles of the group: GTK drops its shadow margins while the
// window is maximised and publishes them again after the restore (easing
// them in), and the window must still show exactly the group's frame
// afterwards, every time.
TEST_P(HeaderBarTest, AHiddenHeaderBarMemberKeepsToItsGroupThroughMaximiseCycles) {
    const auto terminal = desktop->launchXterm("front", "110x36+200+150");
    const auto calculator = desktop->launch({"gnome-calculator"});
    ASSERT_TRUE(terminal && calculator);
    expectKeptThroughMaximiseCycles(terminal->window, calculator->window, false);
}

// The same behind another header-bar window, which eases its own margins;
// maximised, its group is zoomed below the bar, next to the screen's edges.
// marco keeps a GTK 4 window's invisible margins on screen (a GTK 3
// window's it lets past the edge): there the hidden member is a GTK 3
// window with a header bar.
TEST_P(HeaderBarTest, AHiddenHeaderBarMemberKeepsToAHeaderBarWindowThroughMaximiseCycles) {
    const auto factory = desktop->launch({"gtk3-widget-factory"});
    const auto hidden = desktop->launch({manager() == WM::marco ? "gtk3-demo" : "gnome-calculator"});
    ASSERT_TRUE(factory && hidden);
    expectKeptThroughMaximiseCycles(factory->window, hidden->window, true);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, HeaderBarTest,
                         ::testing::Values(WM::xfwm4, WM::metacity, WM::marco, WM::openbox, WM::kwin, WM::kwinComposited, WM::mutter, WM::muffin),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
