// Moves and resizes check the window's owner in the same round trip as the
// rest of what they read: a window of another process is never touched,
// whether its owner is published (_NET_WM_PID) or found through X-Resource.
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Desktop.h"

namespace tessaly::test {
namespace {

class X11MoveOwnerTest : public X11BackendTest {
protected:
    Rect frameOf(xcb_window_t window) {
        const auto info = backend->windows().read(window);
        return info ? info->frame : Rect();
    }
};

TEST_F(X11MoveOwnerTest, WritesToAWindowOfAnotherProcessAreRefusedAndSendNothing) {
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

}  // namespace
}  // namespace tessaly::test
