// The event reader's frames when a window manager dies and starts again:
// the server hands the numbers of the destroyed frames to the next windows
// made, and the new run's frames, 1x1 in the corner at first, often get
// them. Such a window is nobody's frame until the reader learns it is.
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11EventLog.h"

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

}  // namespace
}  // namespace tessaly::test
