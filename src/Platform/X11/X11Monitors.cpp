#include "Platform/X11/X11Monitors.h"

#include "Platform/X11/X11Windows.h"

#include <xcb/randr.h>

#include <algorithm>
#include <iterator>
#include <unordered_set>

namespace tessaly {

namespace {

// Whether the spans [a0, a1) and [b0, b1) overlap.
bool overlaps(double a0, double a1, double b0, double b1) { return a0 < b1 && b0 < a1; }

}  // namespace

Rect visibleFrame(const Rect& monitor, const std::vector<X11Strut>& struts, Size rootSize,
                  const std::optional<Rect>& workArea) {
    if (struts.empty() && workArea) {
        const Rect inside = monitor.intersection(*workArea);
        if (!inside.isEmpty()) return inside;
    }
    double minX = monitor.minX(), maxX = monitor.maxX(), minY = monitor.minY(), maxY = monitor.maxY();
    for (const auto& s : struts) {
        // End coordinates are inclusive in EWMH.
        if (s.left > 0 && overlaps(s.leftStartY, s.leftEndY + 1, monitor.minY(), monitor.maxY()) && s.left > monitor.minX())
            minX = std::max(minX, s.left);
        if (s.right > 0 && overlaps(s.rightStartY, s.rightEndY + 1, monitor.minY(), monitor.maxY()) &&
            rootSize.width - s.right < monitor.maxX())
            maxX = std::min(maxX, rootSize.width - s.right);
        if (s.top > 0 && overlaps(s.topStartX, s.topEndX + 1, monitor.minX(), monitor.maxX()) && s.top > monitor.minY())
            minY = std::max(minY, s.top);
        if (s.bottom > 0 && overlaps(s.bottomStartX, s.bottomEndX + 1, monitor.minX(), monitor.maxX()) &&
            rootSize.height - s.bottom < monitor.maxY())
            maxY = std::min(maxY, rootSize.height - s.bottom);
    }
    if (maxX <= minX || maxY <= minY) return monitor;  // a strut that swallows a monitor is ignored
    return Rect(minX, minY, maxX - minX, maxY - minY);
}

std::vector<X11TopLevel> shownTopLevels(const X11Connection& x, const std::vector<xcb_window_t>& rootChildren) {
    xcb_connection_t* c = x.get();
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    std::vector<xcb_query_tree_cookie_t> treeCookies;
    for (const auto w : rootChildren) {
        attributeCookies.push_back(xcb_get_window_attributes(c, w));
        treeCookies.push_back(xcb_query_tree(c, w));
    }
    const auto attributes = xcbReplies(c, attributeCookies, xcb_get_window_attributes_reply);
    const auto trees = xcbReplies(c, treeCookies, xcb_query_tree_reply);
    std::vector<X11TopLevel> shown;
    std::vector<X11TopLevel> inside;
    for (std::size_t i = 0; i < rootChildren.size(); ++i) {
        const auto& a = attributes[i];
        if (!a || a->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        shown.push_back({rootChildren[i], rootChildren[i]});
        if (!trees[i]) continue;
        const xcb_window_t* kids = xcb_query_tree_children(trees[i].get());
        for (int k = 0; k < xcb_query_tree_children_length(trees[i].get()); ++k) inside.push_back({kids[k], rootChildren[i]});
    }
    const auto innerAttributes = xcbPipeline(
        c, inside, [c](const X11TopLevel& t) { return xcb_get_window_attributes(c, t.window); },
        xcb_get_window_attributes_reply);
    for (std::size_t i = 0; i < inside.size(); ++i) {
        if (innerAttributes[i] && innerAttributes[i]->map_state == XCB_MAP_STATE_VIEWABLE) shown.push_back(inside[i]);
    }
    return shown;
}

std::vector<std::optional<X11Strut>> readStruts(const X11Connection& x, const std::vector<xcb_window_t>& windows) {
    struct Cookies {
        xcb_get_property_cookie_t partial, plain;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(windows.size());
    for (const auto w : windows) {
        cookies.push_back({x.getProperty(w, x.atoms().NET_WM_STRUT_PARTIAL), x.getProperty(w, x.atoms().NET_WM_STRUT)});
    }
    const double width = x.screen().width_in_pixels;
    const double height = x.screen().height_in_pixels;
    std::vector<std::optional<X11Strut>> result;
    result.reserve(windows.size());
    for (const auto& k : cookies) {
        const auto partial = propertyCardinals(xcbReply(x.get(), xcb_get_property_reply, k.partial).get());
        const auto plain = propertyCardinals(xcbReply(x.get(), xcb_get_property_reply, k.plain).get());
        X11Strut s;
        if (partial.size() >= 12) {
            const auto d = [&](int i) { return static_cast<double>(partial[static_cast<std::size_t>(i)]); };
            s = {d(0), d(1), d(2), d(3), d(4), d(5), d(6), d(7), d(8), d(9), d(10), d(11)};
        } else if (plain.size() >= 4) {
            // The older form spans the whole edge.
            s.left = plain[0];
            s.right = plain[1];
            s.top = plain[2];
            s.bottom = plain[3];
            s.leftEndY = s.rightEndY = height - 1;
            s.topEndX = s.bottomEndX = width - 1;
        } else {
            result.emplace_back();
            continue;
        }
        result.push_back(s);
    }
    return result;
}

std::vector<X11Strut> X11Monitors::struts() const {
    const X11Windows uncached(x_);
    const X11Windows& listed = windows_ ? *windows_ : uncached;
    std::vector<xcb_window_t> windows = listed.clientList();
    // Listed clients count as before, shown or not; a window both listed
    // and shown counts once. Their frames carry no struts of their own.
    std::unordered_set<xcb_window_t> seen(windows.begin(), windows.end());
    for (const auto frame : listed.knownFrameWindows(windows)) seen.insert(frame);
    std::vector<xcb_window_t> rootChildren;
    if (auto tree = xcbReply(x_.get(), xcb_query_tree_reply, xcb_query_tree(x_.get(), x_.root()))) {
        const xcb_window_t* kids = xcb_query_tree_children(tree.get());
        std::copy_if(kids, kids + xcb_query_tree_children_length(tree.get()), std::back_inserter(rootChildren),
                     [&](xcb_window_t w) { return !seen.contains(w); });
    }
    for (const auto& t : shownTopLevels(x_, rootChildren)) {
        if (seen.insert(t.window).second) windows.push_back(t.window);
    }
    std::vector<X11Strut> result;
    for (const auto& s : readStruts(x_, windows)) {
        if (s) result.push_back(*s);
    }
    return result;
}

std::optional<Rect> X11Monitors::workArea() const {
    const auto desktop = X11Windows(x_).currentDesktop().value_or(0);
    const auto areas = propertyCardinals(x_.readProperty(x_.root(), x_.atoms().NET_WORKAREA, 1024).get());
    if (areas.size() < 4 * (std::size_t{desktop} + 1)) return std::nullopt;
    const auto* a = &areas[4 * std::size_t{desktop}];
    return Rect(static_cast<std::int32_t>(a[0]), static_cast<std::int32_t>(a[1]), a[2], a[3]);
}

std::vector<X11Monitor> X11Monitors::monitors() const {
    const Size rootSize{static_cast<double>(x_.screen().width_in_pixels),
                        static_cast<double>(x_.screen().height_in_pixels)};
    std::vector<X11Monitor> result;
    const auto* randr = xcb_get_extension_data(x_.get(), &xcb_randr_id);
    if (randr && randr->present) {
        auto reply = xcbReply(x_.get(), xcb_randr_get_monitors_reply, xcb_randr_get_monitors(x_.get(), x_.root(), 1));
        if (reply) {
            std::vector<xcb_atom_t> names;
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem; xcb_randr_monitor_info_next(&it)) {
                X11Monitor m;
                m.frame = Rect(it.data->x, it.data->y, it.data->width, it.data->height);
                m.isPrimary = it.data->primary != 0;
                m.id = it.data->name;
                names.push_back(it.data->name);
                result.push_back(m);
            }
            auto nameReplies = xcbPipeline(
                x_.get(), names, [this](xcb_atom_t atom) { return xcb_get_atom_name(x_.get(), atom); },
                xcb_get_atom_name_reply);
            for (std::size_t i = 0; i < result.size(); ++i) {
                if (const auto& n = nameReplies[i]) {
                    result[i].name.assign(xcb_get_atom_name_name(n.get()),
                                          static_cast<std::size_t>(xcb_get_atom_name_name_length(n.get())));
                }
            }
        }
    }
    if (result.empty()) result.push_back({1, "screen", Rect(0, 0, rootSize.width, rootSize.height), {}, true});
    std::stable_partition(result.begin(), result.end(), [](const X11Monitor& m) { return m.isPrimary; });
    const auto reserved = struts();
    const auto area = reserved.empty() ? workArea() : std::nullopt;
    for (auto& m : result) m.visibleFrame = visibleFrame(m.frame, reserved, rootSize, area);
    return result;
}

}  // namespace tessaly
