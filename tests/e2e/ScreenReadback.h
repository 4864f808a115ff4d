#pragma once
// What a user sees on the test desktop, read back from the X server: the
// shown top-level windows in stacking order with their places and owners,
// a client's frame and its size increments (terminals snap to character
// cells), whether one window stands directly above another, and whether
// the screen shows a window's own pixels somewhere (nothing covers it).
#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11Monitors.h"

#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

namespace tessaly::e2e {

// A viewable child of the root.
struct ShownWindow {
    xcb_window_t window = kNoWindow;
    Rect rect;  // root coordinates, border included
    bool overrideRedirect = false;
    std::optional<ProcessID> pid;
};

class ScreenReadback {
public:
    explicit ScreenReadback(test::X11Desktop& desktop) : desktop_(desktop) {}

    // The root's viewable children that can show (not input-only, as
    // KWin's resize borders are), bottom to top.
    std::vector<ShownWindow> stack() const {
        const X11Connection& x = desktop_.connection();
        xcb_connection_t* c = x.get();
        auto tree = xcbReply(c, xcb_query_tree_reply, xcb_query_tree(c, x.root()));
        if (!tree) return {};
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const std::vector<xcb_window_t> all(children, children + xcb_query_tree_children_length(tree.get()));
        const auto attributes = xcbPipeline(c, all, [c](xcb_window_t w) { return xcb_get_window_attributes(c, w); },
                                            xcb_get_window_attributes_reply);
        const auto geometries =
            xcbPipeline(c, all, [c](xcb_window_t w) { return xcb_get_geometry(c, w); }, xcb_get_geometry_reply);
        std::vector<ShownWindow> shown;
        std::vector<xcb_window_t> ids;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (!attributes[i] || !geometries[i] || attributes[i]->map_state != XCB_MAP_STATE_VIEWABLE ||
                attributes[i]->_class == XCB_WINDOW_CLASS_INPUT_ONLY) {
                continue;
            }
            const auto& g = *geometries[i];
            const double border = 2.0 * g.border_width;
            shown.push_back({all[i], Rect(g.x, g.y, g.width + border, g.height + border),
                             attributes[i]->override_redirect != 0, std::nullopt});
            ids.push_back(all[i]);
        }
        const auto pids = desktop_.windows().pids(ids);
        for (std::size_t i = 0; i < shown.size(); ++i) shown[i].pid = pids[i];
        return shown;
    }

    // The shown override-redirect windows of one process, bottom to top.
    std::vector<ShownWindow> overrideRedirectOf(pid_t pid) const {
        auto all = stack();
        std::erase_if(all, [pid](const ShownWindow& w) { return !w.overrideRedirect || w.pid != ProcessID{pid}; });
        return all;
    }

    // Whether `upper` is the shown window directly above `lower`.
    bool isDirectlyAbove(xcb_window_t upper, xcb_window_t lower) const {
        const auto all = stack();
        const auto at = [&](xcb_window_t w) {
            return std::find_if(all.begin(), all.end(), [w](const ShownWindow& s) { return s.window == w; });
        };
        const auto u = at(upper);
        const auto l = at(lower);
        return u != all.end() && l != all.end() && u == l + 1;
    }

    // Whether the screen shows `window`'s own pixels over `area` (root
    // coordinates, inside the window): nothing covers it there. Judged by
    // brightness alone, as alike in pattern (a compositor may lay a
    // window's shadow or dim it) or, for a plain area, in level.
    bool showsOwnPixels(xcb_window_t window, const Rect& area) const {
        xcb_connection_t* c = desktop_.connection().get();
        const xcb_window_t root = desktop_.connection().root();
        const auto at = xcbReply(c, xcb_translate_coordinates_reply, xcb_translate_coordinates(c, window, root, 0, 0));
        if (!at || area.isEmpty()) return false;
        const std::size_t count = static_cast<std::size_t>(area.size.width * area.size.height);
        const auto brightness = [&](xcb_window_t from, double x, double y) {
            std::vector<double> values;
            auto image = xcbReply(c, xcb_get_image_reply,
                                  xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, from, static_cast<std::int16_t>(x),
                                                static_cast<std::int16_t>(y), static_cast<std::uint16_t>(area.size.width),
                                                static_cast<std::uint16_t>(area.size.height), ~0u));
            if (!image || xcb_get_image_data_length(image.get()) < static_cast<int>(4 * count)) return values;
            const auto* pixels = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image.get()));
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint32_t p = pixels[i];
                values.push_back(0.299 * ((p >> 16) & 0xff) + 0.587 * ((p >> 8) & 0xff) + 0.114 * (p & 0xff));
            }
            return values;
        };
        const auto screen = brightness(root, area.minX(), area.minY());
        const auto own = brightness(window, area.minX() - at->dst_x, area.minY() - at->dst_y);
        if (screen.size() != count || own.size() != count) return false;
        const auto mean = [&](const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / count; };
        const double ms = mean(screen), mo = mean(own);
        double covariance = 0, vs = 0, vo = 0;
        for (std::size_t i = 0; i < count; ++i) {
            covariance += (screen[i] - ms) * (own[i] - mo);
            vs += (screen[i] - ms) * (screen[i] - ms);
            vo += (own[i] - mo) * (own[i] - mo);
        }
        if (vo / count < 4) return vs / count < 16 && std::abs(ms - mo) <= 8;  // a plain area
        return vs > 0 && covariance / std::sqrt(vs * vo) >= 0.9;
    }

    std::optional<X11WindowInfo> client(xcb_window_t window) const { return desktop_.windows().read(window); }
    // The frame (decoration included) of a client; empty when it is gone.
    std::optional<Rect> frame(xcb_window_t window) const {
        const auto info = client(window);
        if (!info) return std::nullopt;
        return info->frame;
    }
    xcb_window_t frameWindow(xcb_window_t window) const {
        const auto frames = desktop_.windows().frameWindows({window});
        return frames.empty() ? kNoWindow : frames.front();
    }

    // The work area of the current desktop (_NET_WORKAREA), the root's
    // bounds where the window manager publishes none.
    Rect workArea() const {
        const X11Connection& x = desktop_.connection();
        if (const auto area = X11Monitors(x).workArea()) return *area;
        return Rect(0, 0, x.screen().width_in_pixels, x.screen().height_in_pixels);
    }

    // WM_NORMAL_HINTS size increments (1 x 1 when the client sets none).
    Size sizeIncrement(xcb_window_t window) const {
        xcb_connection_t* c = desktop_.connection().get();
        xcb_size_hints_t hints{};
        if (!xcb_icccm_get_wm_normal_hints_reply(c, xcb_icccm_get_wm_normal_hints(c, window), &hints, nullptr) ||
            !(hints.flags & XCB_ICCCM_SIZE_HINT_P_RESIZE_INC)) {
            return Size{1, 1};
        }
        return Size{static_cast<double>(std::max(1, hints.width_inc)), static_cast<double>(std::max(1, hints.height_inc))};
    }

    // Two frames are one group frame as far as `window` can take it: the
    // same origin, and sizes apart by less than one size increment.
    bool sameFrame(const Rect& a, const Rect& b, Size increment) const {
        return a.origin == b.origin && std::abs(a.size.width - b.size.width) < increment.width &&
               std::abs(a.size.height - b.size.height) < increment.height;
    }

private:
    test::X11Desktop& desktop_;
};

}  // namespace tessaly::e2e
