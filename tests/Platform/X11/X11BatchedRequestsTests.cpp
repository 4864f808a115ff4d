// Requests the backend folds into one batch: moves and resizes check the
// window's owner together with the rest of what they read (a window of
// another process is never touched, whether its owner is published in
// _NET_WM_PID or found through X-Resource), and window reads find the frame
// of a client reparented one level deep without a second batch.
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Desktop.h"

namespace tessaly::test {
namespace {

class X11BatchedRequestsTest : public X11BackendTest {
protected:
    Rect frameOf(xcb_window_t window) {
        const auto info = backend->windows().read(window);
        return info ? info->frame : Rect();
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

}  // namespace
}  // namespace tessaly::test
