#include "OverlayUI/Qt/X11PanelOps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include <xcb/shape.h>

#include <QGuiApplication>

#include "Platform/Qt/QtX11Connection.h"

namespace tessaly::X11PanelOps {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

std::uint32_t pixel(double value) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value))); }

}  // namespace

xcb_connection_t* qtConnection() {
    // The platform never changes while an application lives.
    static const QGuiApplication* lookedUpFor = nullptr;
    static xcb_connection_t* connection = nullptr;
    if (qGuiApp != lookedUpFor) {
        lookedUpFor = qGuiApp;
        connection = QtX11Connection::get();
    }
    return connection;
}

void place(xcb_connection_t* c, XWindow window, const Rect& xPixels, XWindow sibling, bool above, bool flush) {
    if (!c || window == 0 || sibling == 0 || !xPixels.isSane()) return;
    const Rect r = xPixels.standardized();
    const std::uint32_t values[] = {pixel(r.origin.x),
                                    pixel(r.origin.y),
                                    std::max<std::uint32_t>(1, pixel(r.size.width)),
                                    std::max<std::uint32_t>(1, pixel(r.size.height)),
                                    sibling,
                                    static_cast<std::uint32_t>(above ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW)};
    xcb_configure_window(c, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT |
                             XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                         values);
    if (flush) xcb_flush(c);
}

void restack(XWindow window, XWindow sibling, bool above) {
    xcb_connection_t* c = qtConnection();
    if (!c || window == 0 || sibling == 0) return;
    const std::uint32_t values[] = {sibling,
                                    static_cast<std::uint32_t>(above ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW)};
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
}

void raise(XWindow window) {
    xcb_connection_t* c = qtConnection();
    if (!c || window == 0) return;
    const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
}

void handToRoot(XWindow window, const Rect& xPixels) {
    xcb_connection_t* c = qtConnection();
    if (!c || window == 0 || !xPixels.isSane()) return;
    xcb_reparent_window(c, window, QtX11Connection::root(), static_cast<std::int16_t>(std::lround(xPixels.minX())),
                        static_cast<std::int16_t>(std::lround(xPixels.minY())));
    xcb_flush(c);
}

XWindow rootChildOf(XWindow window) {
    xcb_connection_t* c = qtConnection();
    if (!c || window == 0) return 0;
    XWindow current = window;
    // A window manager nests a client a few levels deep at most; the bound
    // only guards against a tree that changes under the walk.
    for (int depth = 0; depth < 16; ++depth) {
        // An error (the window is gone) comes back as no reply.
        std::unique_ptr<xcb_query_tree_reply_t, FreeDeleter> reply(
            xcb_query_tree_reply(c, xcb_query_tree(c, current), nullptr));
        if (!reply) return 0;
        if (reply->parent == reply->root || reply->parent == XCB_WINDOW_NONE) return current;
        current = reply->parent;
    }
    return 0;
}

bool isShaped(XWindow window) {
    xcb_connection_t* c = qtConnection();
    if (!c || window == 0) return false;
    // Without the extension the request fails: no window is shaped then.
    std::unique_ptr<xcb_shape_query_extents_reply_t, FreeDeleter> reply(
        xcb_shape_query_extents_reply(c, xcb_shape_query_extents(c, window), nullptr));
    return reply && reply->bounding_shaped;
}

}  // namespace tessaly::X11PanelOps
