// The window list of 200 real windows on a headless desktop (Xvfb +
// openbox): the X11 backend's front-to-back listing (owner, bounds, layer,
// alpha, on-screen) against one pipelined batch of the requests those
// fields need, written directly with xcb. Target: backend within 2x.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Platform/X11/X11WindowList.h"
#include "X11BenchDesktop.h"

namespace {

using namespace tessaly;

constexpr int kWindows = 200;

struct Fixture {
    std::unique_ptr<test::X11Desktop> desktop;
    std::shared_ptr<X11Backend> backend;
    std::unique_ptr<X11WindowList> windowList;
    std::unique_ptr<X11Connection> bare;  // the bare batch's own connection
};

Fixture* fixture = nullptr;

// The same listing written straight on xcb: one round trip for the root's
// children, the client list and the current desktop, then one batch for
// every client (attributes, geometry, position, parent, and the properties
// behind owner, layer, alpha and on-screen) and every root child's
// attributes (to find override-redirect panels).
std::vector<WindowInfo> bareWindowList(const X11Connection& x) {
    xcb_connection_t* c = x.get();
    const auto& a = x.atoms();
    const auto treeCookie = xcb_query_tree(c, x.root());
    const auto clientsCookie = x.getProperty(x.root(), a.NET_CLIENT_LIST, 65536);
    const auto desktopCookie = x.getProperty(x.root(), a.NET_CURRENT_DESKTOP);
    const auto tree = xcbReply(c, xcb_query_tree_reply, treeCookie);
    const auto clients = propertyCardinals(xcbReply(c, xcb_get_property_reply, clientsCookie).get());
    const auto current = propertyCardinal(xcbReply(c, xcb_get_property_reply, desktopCookie).get());
    if (!tree) return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const std::vector<xcb_window_t> stack(children, children + xcb_query_tree_children_length(tree.get()));

    enum Prop { pid, wmClass, type, state, desktop, opacity, extents, propCount };
    const xcb_atom_t atoms[propCount] = {a.NET_WM_PID,     XCB_ATOM_WM_CLASS,         a.NET_WM_WINDOW_TYPE,
                                         a.NET_WM_STATE,   a.NET_WM_DESKTOP,          a.NET_WM_WINDOW_OPACITY,
                                         a.NET_FRAME_EXTENTS};
    struct Cookies {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
        xcb_query_tree_cookie_t tree;
        xcb_get_property_cookie_t props[propCount];
    };
    std::vector<Cookies> cookies(clients.size());
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const xcb_window_t w = clients[i];
        cookies[i].attributes = xcb_get_window_attributes(c, w);
        cookies[i].geometry = xcb_get_geometry(c, w);
        cookies[i].origin = xcb_translate_coordinates(c, w, x.root(), 0, 0);
        cookies[i].tree = xcb_query_tree(c, w);
        for (int p = 0; p < propCount; ++p) cookies[i].props[p] = x.getProperty(w, atoms[p]);
    }
    std::vector<xcb_get_window_attributes_cookie_t> childCookies;
    for (const auto w : stack) childCookies.push_back(xcb_get_window_attributes(c, w));

    const Rect screen(0, 0, x.screen().width_in_pixels, x.screen().height_in_pixels);
    std::unordered_map<xcb_window_t, WindowInfo> byFrame;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        auto& k = cookies[i];
        const auto attributes = xcbReply(c, xcb_get_window_attributes_reply, k.attributes);
        const auto geometry = xcbReply(c, xcb_get_geometry_reply, k.geometry);
        const auto origin = xcbReply(c, xcb_translate_coordinates_reply, k.origin);
        const auto parent = xcbReply(c, xcb_query_tree_reply, k.tree);
        XReply<xcb_get_property_reply_t> props[propCount];
        for (int p = 0; p < propCount; ++p) props[p] = xcbReply(c, xcb_get_property_reply, k.props[p]);
        if (!attributes || !geometry || !origin || !parent) continue;

        WindowInfo info;
        info.number = clients[i];
        if (const auto v = propertyCardinal(props[pid].get()); v && *v > 0) info.ownerPID = static_cast<ProcessID>(*v);
        if (const auto names = propertyStrings(props[wmClass].get()); names.size() > 1) info.ownerName = names[1];
        const auto e = propertyCardinals(props[extents].get());
        const double left = e.size() >= 4 ? e[0] : 0, right = e.size() >= 4 ? e[1] : 0;
        const double top = e.size() >= 4 ? e[2] : 0, bottom = e.size() >= 4 ? e[3] : 0;
        const Rect bounds(origin->dst_x - left, origin->dst_y - top, geometry->width + left + right,
                          geometry->height + top + bottom);
        info.bounds = bounds;
        const auto types = propertyCardinals(props[type].get());
        const auto states = propertyCardinals(props[state].get());
        const auto has = [](const std::vector<std::uint32_t>& list, xcb_atom_t atom) {
            return std::find(list.begin(), list.end(), atom) != list.end();
        };
        const xcb_atom_t firstType = types.empty() ? xcb_atom_t{XCB_ATOM_NONE} : types.front();
        info.layer = firstType == a.NET_WM_WINDOW_TYPE_DOCK        ? WindowLayer::dock
                     : firstType == a.NET_WM_WINDOW_TYPE_DESKTOP   ? X11WindowList::desktopLevel
                     : has(states, a.NET_WM_STATE_ABOVE)           ? WindowLayer::floating
                                                                   : WindowLayer::normal;
        const auto alpha = propertyCardinal(props[opacity].get());
        info.alpha = alpha ? static_cast<double>(*alpha) / 0xFFFFFFFFu : 1.0;
        const auto onDesktop = propertyCardinal(props[desktop].get());
        const bool onCurrent = !onDesktop || !current || *onDesktop == kX11AllDesktops || *onDesktop == *current;
        info.isOnScreen = attributes->map_state == XCB_MAP_STATE_VIEWABLE && onCurrent &&
                          !has(states, a.NET_WM_STATE_HIDDEN) && bounds.intersects(screen);
        const bool topLevel = parent->parent == parent->root || parent->parent == kNoWindow;
        byFrame.emplace(topLevel ? clients[i] : parent->parent, std::move(info));
    }
    // Visible override-redirect root children would be listed too; count
    // them so a desktop that has some is noticed.
    std::size_t panels = 0;
    for (std::size_t i = 0; i < stack.size(); ++i) {
        const auto attributes = xcbReply(c, xcb_get_window_attributes_reply, childCookies[i]);
        if (attributes && !byFrame.count(stack[i]) && attributes->override_redirect &&
            attributes->map_state == XCB_MAP_STATE_VIEWABLE && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT) {
            ++panels;
        }
    }
    std::vector<WindowInfo> list;
    list.reserve(byFrame.size() + panels);
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if (const auto found = byFrame.find(*it); found != byFrame.end()) list.push_back(found->second);
    }
    return list;
}

bool sameEntry(const WindowInfo& l, const WindowInfo& r) {
    return l.number == r.number && l.ownerPID == r.ownerPID && l.ownerName == r.ownerName && l.bounds == r.bounds &&
           l.layer == r.layer && l.alpha == r.alpha && l.isOnScreen == r.isOnScreen;
}

bench::PairedTimes results;

// The backend's listing (the benchmark's time), with the bare batch run in
// alternation.
void BM_WindowList(benchmark::State& state) {
    bench::runPaired(
        state, results,
        [] {
            auto list = fixture->windowList->copyWindowInfo(WindowListOption::all, 0);
            benchmark::DoNotOptimize(list);
            return list.has_value();
        },
        [] {
            auto list = bareWindowList(*fixture->bare);
            benchmark::DoNotOptimize(list);
            return !list.empty();
        });
    state.counters["windows"] = kWindows;
}

// 200 windows on a 20 x 10 grid over the screen, all managed by openbox.
bool setUp(Fixture& f) {
    std::vector<bench::WindowPlace> places;
    for (int i = 0; i < kWindows; ++i) {
        places.push_back({static_cast<std::int16_t>(10 + (i % 20) * 95), static_cast<std::int16_t>(10 + (i / 20) * 105)});
    }
    if (bench::createManagedWindows(*f.desktop, places, 80, 60).empty()) return false;
    f.backend = X11Backend::open(f.desktop->display());
    f.bare = X11Connection::open(f.desktop->display());
    if (!f.backend || !f.bare) return false;
    f.windowList = std::make_unique<X11WindowList>(f.backend);
    return true;
}

// The comparison only means something if both produce the same list.
void compareLists(const Fixture& f) {
    const auto backend = f.windowList->copyWindowInfo(WindowListOption::all, 0).value_or(std::vector<WindowInfo>{});
    const auto bare = bareWindowList(*f.bare);
    bool same = backend.size() == bare.size();
    for (std::size_t i = 0; same && i < bare.size(); ++i) same = sameEntry(backend[i], bare[i]);
    if (!same) {
        std::printf("bench_x11_window_list: note: the bare listing differs from the backend's (%zu vs %zu entries)\n",
                    bare.size(), backend.size());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fixture f;
    f.desktop = bench::startDesktopOrSkip("bench_x11_window_list");
    if (!f.desktop) return 0;
    if (!setUp(f)) {
        std::printf("bench_x11_window_list: the test desktop did not manage %d windows\n", kWindows);
        return 1;
    }
    fixture = &f;
    compareLists(f);

    benchmark::RegisterBenchmark("BM_WindowList", BM_WindowList)->UseManualTime()->Unit(benchmark::kMicrosecond);
    bench::runBenchmarks();

    if (!results.backend.empty() && !results.bare.empty()) {
        std::printf("window list of %d windows: backend/bare = %.2fx (median %.1f us vs %.1f us over %zu passes; "
                    "target 2x)\n",
                    kWindows, results.ratio(), results.backendMedian() * 1e6, results.bareMedian() * 1e6,
                    results.bare.size());
    }
    fixture = nullptr;
    return 0;
}
