#include "OverlayUI/Qt/X11PanelOps.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace tessaly::X11PanelOps {

namespace {

xcb_connection_t* connection() {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

std::int32_t pixel(double value) { return static_cast<std::int32_t>(std::lround(value)); }
std::uint32_t extent(double value) {
    const long rounded = std::lround(value);
    return static_cast<std::uint32_t>(rounded < 1 ? 1 : rounded);
}

}  // namespace

bool available() { return connection() != nullptr; }

void configure(XWindow window, const Rect& pixels) {
    xcb_connection_t* c = connection();
    if (!c || window == 0) return;
    const Rect r = pixels.standardized();
    // Signed positions travel as their 32-bit two's complement.
    const std::uint32_t values[] = {static_cast<std::uint32_t>(pixel(r.origin.x)),
                                    static_cast<std::uint32_t>(pixel(r.origin.y)), extent(r.size.width),
                                    extent(r.size.height)};
    xcb_configure_window(c, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(c);
}

void restack(XWindow window, XWindow sibling, bool above) {
    xcb_connection_t* c = connection();
    if (!c || window == 0 || sibling == 0) return;
    const std::uint32_t values[] = {sibling,
                                    static_cast<std::uint32_t>(above ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW)};
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    xcb_flush(c);
}

void raise(XWindow window) {
    xcb_connection_t* c = connection();
    if (!c || window == 0) return;
    const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
    xcb_flush(c);
}

XWindow rootChildOf(XWindow window) {
    xcb_connection_t* c = connection();
    if (!c || window == 0) return 0;
    XWindow current = window;
    // A window manager nests a client a few levels deep at most; the bound
    // only guards against a tree that changes under the walk.
    for (int depth = 0; depth < 16; ++depth) {
        std::unique_ptr<xcb_query_tree_reply_t, FreeDeleter> reply(
            xcb_query_tree_reply(c, xcb_query_tree(c, current), nullptr));
        if (!reply) return 0;
        if (reply->parent == reply->root || reply->parent == XCB_WINDOW_NONE) return current;
        current = reply->parent;
    }
    return 0;
}

void sync() {
    xcb_connection_t* c = connection();
    if (!c) return;
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

}  // namespace tessaly::X11PanelOps
