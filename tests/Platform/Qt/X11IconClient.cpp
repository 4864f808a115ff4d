#include "Platform/Qt/X11IconClient.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace tessaly::test {

namespace {

void addImage(std::vector<std::uint32_t>& values, std::uint32_t width, std::uint32_t height, std::uint32_t argb,
              std::size_t pixels) {
    values.push_back(width);
    values.push_back(height);
    values.insert(values.end(), pixels, argb);
}

// A pixmap of `depth` filled with `fill`, `set` drawn over the rectangle
// (x, y, w, h) when it is not empty.
xcb_pixmap_t makePixmap(xcb_connection_t* c, xcb_window_t root, int depth, int side, std::uint32_t fill,
                        std::uint32_t set, xcb_rectangle_t area) {
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    const auto s = static_cast<std::uint16_t>(side);
    xcb_create_pixmap(c, static_cast<std::uint8_t>(depth), pixmap, root, s, s);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, XCB_GC_FOREGROUND, &fill);
    const xcb_rectangle_t all{0, 0, s, s};
    xcb_poly_fill_rectangle(c, pixmap, gc, 1, &all);
    if (area.width > 0) {
        xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &set);
        xcb_poly_fill_rectangle(c, pixmap, gc, 1, &area);
    }
    xcb_free_gc(c, gc);
    return pixmap;
}

}  // namespace

bool setIconClientHints(const X11Connection& x, xcb_window_t window, const std::string& kind) {
    xcb_connection_t* c = x.get();
    const xcb_window_t root = x.root();
    const int depth = x.screen().root_depth;
    xcb_pixmap_t icon = XCB_NONE;
    xcb_pixmap_t mask = XCB_NONE;
    if (kind == "hints") {
        icon = makePixmap(c, root, depth, 20, 0xff0000, 0, {});
        mask = makePixmap(c, root, 1, 20, 0, 1, {0, 0, 10, 20});
    } else if (kind == "hints-bitmap") {
        icon = makePixmap(c, root, 1, 16, 0, 1, {0, 0, 16, 8});
    } else if (kind == "hints-huge") {
        icon = makePixmap(c, root, depth, 600, 0xff0000, 0, {});
    } else if (kind == "hints-deep") {
        icon = makePixmap(c, root, 8, 16, 3, 0, {});
    } else {
        return false;
    }
    // flags, input, initial state, icon pixmap, icon window, icon x, y, icon mask, window group
    const std::uint32_t flags = (1u << 2) | (mask != XCB_NONE ? 1u << 5 : 0u);
    const std::uint32_t hints[9] = {flags, 0, 0, icon, 0, 0, 0, mask, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
    return true;
}

std::optional<std::vector<std::uint32_t>> iconClientProperty(const std::string& kind) {
    std::vector<std::uint32_t> values;
    if (kind == "none" || kind.starts_with("hints")) return values;
    if (kind == "choice") {
        addImage(values, 16, 16, 0xff0000ff, 16 * 16);
        addImage(values, 32, 32, 0xff00ff00, 32 * 32);
        addImage(values, 48, 48, 0xffff0000, 48 * 48);
    } else if (kind == "truncated") {
        addImage(values, 64, 64, 0xff00ff00, 100);
    } else if (kind == "huge") {
        addImage(values, 100000, 100000, 0xff00ff00, 16);
    } else if (kind == "oversized") {
        addImage(values, 724, 724, 0xff00ff00, 724 * 724);
    } else if (kind == "cut-after-16") {
        addImage(values, 16, 16, 0xffffff00, 16 * 16);
        addImage(values, 64, 64, 0xff00ff00, 64 * 10);
    } else {
        return std::nullopt;
    }
    return values;
}

int runIconClient(const std::string& kind) {
    const auto icon = iconClientProperty(kind);
    const auto x = X11Connection::open();
    if (!icon || !x) return 2;
    xcb_connection_t* c = x->get();
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, x->root(), 300, 300, 200, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string title = "icon client " + kind;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    const std::string wmClass = std::string("tessaly-icon-client") + '\0' + kIconClientClass + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
    const auto pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, x->atoms().NET_WM_PID, XCB_ATOM_CARDINAL, 32, 1, &pid);
    setIconClientHints(*x, window, kind);
    if (!icon->empty()) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, x->internAtom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 32,
                            static_cast<std::uint32_t>(icon->size()), icon->data());
    }
    xcb_map_window(c, window);
    xcb_flush(c);
    while (XEvent event{xcb_wait_for_event(c)}) {
    }
    return 0;
}

}  // namespace tessaly::test
