// The frame watch on a real desktop (Xvfb + openbox): a frame asked for at
// once, before the watch's own connection is up, is reported on every move
// with the geometry the server holds, and once when the window manager
// lets go of it; never again after that.
#include <algorithm>
#include <mutex>

#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11FrameWatch.h"

namespace tessaly::test {
namespace {

class X11FrameWatchTest : public X11DesktopTest {
protected:
    std::vector<X11FrameWatch::Report> reports() {
        std::lock_guard lock(mutex);
        return heard;
    }
    Rect serverGeometry(xcb_window_t window) {
        auto& x = desktop->connection();
        XReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(x.get(), xcb_get_geometry(x.get(), window), nullptr));
        return g ? Rect(g->x, g->y, g->width + 2.0 * g->border_width, g->height + 2.0 * g->border_width) : Rect::null();
    }

    std::mutex mutex;
    std::vector<X11FrameWatch::Report> heard;
};

TEST_F(X11FrameWatchTest, AFrameIsReportedOnEveryMoveUntilItsWindowManagerLetsGoOfIt) {
    const auto client = desktop->launchXlogo("200x140+60+60");
    ASSERT_TRUE(client);
    const xcb_window_t frame = desktop->windows().frameWindows({client->window}).at(0);
    ASSERT_NE(frame, client->window);
    X11FrameWatch watch(desktop->display(), [this](const X11FrameWatch::Report& r) {
        std::lock_guard lock(mutex);
        heard.push_back(r);
    });
    watch.watch(frame);
    watch.watch(frame);  // one selection, one report per change

    const auto moveTo = [&](Point at) {
        return desktop->windows().setPosition(client->window, at) &&
               desktop->waitUntil([&] { return serverGeometry(frame).origin == at; });
    };
    // Moves may go before the watch is up: once one is heard, every later one is.
    for (int i = 0; reports().empty(); ++i) {
        ASSERT_LT(i, 100) << "the watch never came up";
        ASSERT_TRUE(moveTo(Point{60.0 + i % 2, 60}));
    }
    std::vector<Rect> landed;
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(moveTo(Point{100.0 + 31 * i, 80.0 + 17 * i}));
        landed.push_back(serverGeometry(frame));
    }
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto r = reports();
        return !r.empty() && r.back().geometry == landed.back();
    })) << "the last move was not reported as the server holds it";
    std::vector<Rect> moves;
    for (const auto& r : reports()) {
        EXPECT_EQ(r.window, frame);
        EXPECT_FALSE(r.gone);
        if (moves.empty() || !(moves.back() == r.geometry)) moves.push_back(r.geometry);
    }
    // Each move once, in order.
    ASSERT_GE(moves.size(), landed.size());
    EXPECT_TRUE(std::equal(landed.begin(), landed.end(), moves.end() - static_cast<long>(landed.size())));

    // A restarted window manager hands the window back and drops its frame.
    std::string why;
    ASSERT_TRUE(desktop->restartWindowManager(why)) << why;
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto r = reports();
        return std::any_of(r.begin(), r.end(), [](const auto& report) { return report.gone; });
    })) << "the frame's end was not reported";
    const std::size_t afterEnd = reports().size();
    ASSERT_TRUE(desktop->windows().setPosition(client->window, Point{300, 200}));
    desktop->waitUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(reports().size(), afterEnd) << "a frame no longer watched was reported";
}

}  // namespace
}  // namespace tessaly::test
