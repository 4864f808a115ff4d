#include "Platform/Qt/X11IconClient.h"

#include "Platform/X11/X11Connection.h"

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

}  // namespace

std::optional<std::vector<std::uint32_t>> iconClientProperty(const std::string& kind) {
    std::vector<std::uint32_t> values;
    if (kind == "none") return values;
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
