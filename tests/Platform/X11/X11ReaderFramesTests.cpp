// The event reader's frames when a window manager dies and starts again:
// the server hands the numbers of the destroyed frames to the next windows
// made, and the new run's frames, 1x1 in the corner at first, often get
// them. Such a window is nobody's frame until the reader learns it is.
#include "Platform/ThreadQueueFactory.h"
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11EventLog.h"
#include "Platform/X11/X11TestQueues.h"

#include <unistd.h>

namespace tessaly::test {
namespace {

using Kind = X11Event::Kind;

// The test plays the window manager: it frames one client of the desktop's
// connection in a window of its own and lists it.
class X11ReaderFramesTest : public X11WithoutWindowManagerTest {
protected:
    void SetUp() override {
        X11WithoutWindowManagerTest::SetUp();
        if (!desktop) return;
        wm = X11Connection::open(desktop->display());
        ASSERT_TRUE(wm);
        client = desktop->createOwnWindow(Rect(0, 0, 200, 150));
        desktop->connection().sync();
        frame = makeWindow(Rect(100, 80, 200, 170));
        xcb_reparent_window(wm->get(), client, frame, 0, 20);
        xcb_map_window(wm->get(), client);
        xcb_map_window(wm->get(), frame);
        xcb_change_property(wm->get(), XCB_PROP_MODE_REPLACE, wm->root(), wm->atoms().NET_CLIENT_LIST, XCB_ATOM_WINDOW,
                            32, 1, &client);
        wm->sync();
        reader = X11EventReader::start(desktop->display(), log.handler());
        ASSERT_TRUE(reader);
        // The reader knows the frame: a move of it is the client's.
        configure(frame, Rect(120, 90, 200, 170));
        ASSERT_TRUE(log.waitFor([&](const X11Event& e) {
            return e.kind == Kind::frameChanged && e.window == client && e.frameWindow == frame;
        }));
    }
    void TearDown() override {
        reader.reset();
        wm.reset();
        X11WithoutWindowManagerTest::TearDown();
    }

    xcb_window_t makeWindow(const Rect& r, xcb_window_t id = kNoWindow) {
        if (id == kNoWindow) id = xcb_generate_id(wm->get());
        xcb_create_window(wm->get(), XCB_COPY_FROM_PARENT, id, wm->root(), static_cast<std::int16_t>(r.minX()),
                          static_cast<std::int16_t>(r.minY()), static_cast<std::uint16_t>(r.width()),
                          static_cast<std::uint16_t>(r.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        return id;
    }
    void configure(xcb_window_t window, const Rect& r) {
        const std::uint32_t values[] = {static_cast<std::uint32_t>(r.minX()), static_cast<std::uint32_t>(r.minY()),
                                        static_cast<std::uint32_t>(r.width()), static_cast<std::uint32_t>(r.height())};
        xcb_configure_window(wm->get(), window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             values);
        wm->flush();
    }

    std::unique_ptr<X11Connection> wm;
    X11EventLog log;
    std::unique_ptr<X11EventReader> reader;
    xcb_window_t client = kNoWindow;
    xcb_window_t frame = kNoWindow;
};

TEST_F(X11ReaderFramesTest, ANewWindowWithADestroyedFramesNumberIsNotItsClientsFrame) {
    log.clear();
    // The window manager gone: its client back on the root, its frame
    // destroyed; the next run makes its first frame with that number and
    // sizes it, all before the reader has heard of any of it.
    xcb_reparent_window(wm->get(), client, wm->root(), 120, 110);
    xcb_destroy_window(wm->get(), frame);
    makeWindow(Rect(0, 0, 1, 1), frame);
    configure(frame, Rect(0, 0, 2, 2));
    ASSERT_TRUE(log.waitFor([&](const X11Event& e) {
        return (e.kind == Kind::frameChanged || e.kind == Kind::rootChildConfigured) && e.frameWindow == frame;
    }));
    for (const X11Event& e : log.events()) {
        EXPECT_FALSE(e.kind == Kind::frameChanged && e.window == client && e.frameWindow == frame)
            << "the client was said to stand at " << e.geometry.minX() << "," << e.geometry.minY() << " "
            << e.geometry.width() << "x" << e.geometry.height();
    }
    // The client, on the root now, is its own frame: its moves are its own.
    configure(client, Rect(130, 120, 200, 150));
    EXPECT_TRUE(log.waitFor([&](const X11Event& e) {
        return e.kind == Kind::frameChanged && e.window == client && e.geometry.minX() == 130;
    }));
}

// The next window manager frames the client anew: it makes the frame 1x1 in
// the corner and puts the client in it at 0,0 before it sizes the frame.
// Until then the window has no frame to tell, neither the corner nor the
// client's place in it; once the frame is sized, it has that one.
TEST_F(X11ReaderFramesTest, AFrameNotYetSizedIsNoFrameOfTheWindow) {
    const auto backend = X11Backend::open(desktop->display());
    ASSERT_TRUE(backend);
    ThreadQueueFactory queues;
    X11TestWorkQueue work;
    backend->setWorkQueue(queues.makeSerialQueue("test.x11.work"));
    X11Accessibility ax(backend);
    std::vector<Point> moves;
    const auto observer = ax.createObserver(getpid());
    ASSERT_TRUE(observer);
    observer->start(std::make_shared<X11TestQueue>(work), [&](const AXElement& e, const std::string& name) {
        if (name != "AXWindowMoved") return;
        const auto at = ax.copyAttributeValue(e, "AXPosition", 0);
        if (at.error == AXError::success) moves.push_back(std::get<Point>(at.value));
    });
    const AXElement element = X11Accessibility::windowElement(getpid(), client);
    ASSERT_EQ(observer->addNotification(element, "AXWindowMoved"), AXError::success);
    const auto position = [&] { return ax.copyAttributeValue(element, "AXPosition", 0); };
    const auto isAt = [&](Point p) {
        const auto now = position();
        return now.ok() && std::get<Point>(now.value) == p;
    };
    ASSERT_TRUE(isAt(Point{120, 90}));

    const xcb_window_t next = makeWindow(Rect(0, 0, 1, 1));
    xcb_reparent_window(wm->get(), client, wm->root(), 120, 110);
    xcb_destroy_window(wm->get(), frame);
    xcb_reparent_window(wm->get(), client, next, 0, 0);
    xcb_map_window(wm->get(), next);
    wm->sync();
    // (Reads come from memory until the backend has heard of the change.)
    desktop->waitUntil([&] { return !isAt(Point{120, 90}); });
    EXPECT_EQ(position().error, AXError::cannotComplete) << "a frame not yet sized was read as the window's";

    configure(next, Rect(300, 200, 200, 170));
    configure(client, Rect(0, 20, 200, 150));
    ASSERT_TRUE(desktop->waitUntil([&] { return isAt(Point{300, 200}); })) << "the sized frame is not the window's";
    work.runUntil([&] { return !moves.empty() && moves.back() == Point{300, 200}; });
    for (const Point& p : moves) EXPECT_EQ(p, (Point{300, 200})) << "a move to a frame not yet sized was told";

    // A window that draws its own decoration, maximised: the frame cuts off
    // its invisible margins (metacity and marco do), and still is its frame.
    const std::uint32_t margins[] = {10, 10, 10, 10};
    const std::uint32_t none[] = {0, 0, 0, 0};
    xcb_change_property(wm->get(), XCB_PROP_MODE_REPLACE, client, wm->atoms().GTK_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 32,
                        4, margins);
    xcb_change_property(wm->get(), XCB_PROP_MODE_REPLACE, client, wm->atoms().NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 32,
                        4, none);
    configure(next, Rect(0, 0, 400, 300));
    configure(client, Rect(-10, -10, 420, 320));
    // (Sooner than a window between window managers is taken as it is.)
    EXPECT_TRUE(desktop->waitUntil([&] { return isAt(Point{0, 0}); }, std::chrono::seconds(4)))
        << "a frame that cuts off the margins is not the window's";
}

}  // namespace
}  // namespace tessaly::test
