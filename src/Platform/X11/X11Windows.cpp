#include "Platform/X11/X11Windows.h"

#include "Platform/Clock.h"
#include "Platform/X11/X11WindowCache.h"

#include <xcb/res.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tessaly {

namespace {

// A move target from what is kept of the window; none when a fact is
// missing.
template <typename MoveTarget>
std::optional<MoveTarget> remembered(const X11WindowCache::Lookup& known) {
    if (!known.known || !known.moveResize || !known.extents || !known.margins || !known.staticGravity ||
        !known.maximized) {
        return std::nullopt;
    }
    MoveTarget target;
    target.extents = *known.extents;
    target.extentsPublished = known.extentsPublished;
    target.margins = *known.margins;
    target.restingMargins = known.restingMargins;
    target.staticGravity = *known.staticGravity;
    target.clientBorder = known.clientBorder;
    target.size = known.size.value_or(Size{});
    target.moveResize = *known.moveResize;
    target.maximized = *known.maximized;
    return target;
}

constexpr std::uint32_t kSourcePager = 2;  // EWMH source indication: a pager or taskbar
constexpr std::uint32_t kIconicState = 3;  // ICCCM WM_STATE / WM_CHANGE_STATE
constexpr std::uint32_t kGravityNorthWest = 1;  // EWMH / ICCCM window gravity
constexpr std::uint32_t kStateRemove = 0;
constexpr std::uint32_t kStateAdd = 1;
// How long a write made again after unmaximising waits for extents that
// the window manager publishes after the state.
constexpr double kExtentsSettle = 0.5;
constexpr int kMaxTreeDepth = 32;

// The record's times: the process's monotonic clock (a held write is
// only ever compared with times read here).
double now() { return SystemClock::shared().monotonic(); }

FrameRecord::Inset asInset(const X11FrameExtents& e) { return {e.left, e.right, e.top, e.bottom}; }

std::uint32_t asCard(double value) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value)));
}

bool contains(const std::vector<std::uint32_t>& values, xcb_atom_t atom) {
    return std::find(values.begin(), values.end(), atom) != values.end();
}

xcb_res_query_client_ids_cookie_t askResourcePid(xcb_connection_t* c, xcb_window_t window) {
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    return xcb_res_query_client_ids(c, 1, &spec);
}

std::optional<ProcessID> resourcePid(const xcb_res_query_client_ids_reply_t* reply) {
    if (!reply) return std::nullopt;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply); it.rem; xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) && it.data->length >= 4) {
            return static_cast<ProcessID>(*xcb_res_client_id_value_value(it.data));
        }
    }
    return std::nullopt;
}

std::optional<ProcessID> publishedPid(const xcb_get_property_reply_t* reply) {
    if (const auto v = propertyCardinal(reply); v && *v > 0) return static_cast<ProcessID>(*v);
    return std::nullopt;
}

// _NET_FRAME_EXTENTS or _GTK_FRAME_EXTENTS: left, right, top, bottom;
// absent when not published.
std::optional<X11FrameExtents> frameExtents(const xcb_get_property_reply_t* reply) {
    const auto e = propertyCardinals(reply);
    if (e.size() < 4) return std::nullopt;
    return X11FrameExtents{static_cast<double>(e[0]), static_cast<double>(e[1]), static_cast<double>(e[2]),
                           static_cast<double>(e[3])};
}

// The outer rectangle of a window (border included), in its parent.
Rect outerBounds(const xcb_get_geometry_reply_t& g) {
    return Rect(g.x, g.y, g.width + 2.0 * g.border_width, g.height + 2.0 * g.border_width);
}

// The decoration between a client and the outer edges of its frame window.
X11FrameExtents extentsBetween(const Rect& client, const Rect& frame) {
    return {client.minX() - frame.minX(), frame.maxX() - client.maxX(), client.minY() - frame.minY(),
            frame.maxY() - client.maxY()};
}

// What the user sees of a client: its window grown by the decoration, less
// the margins it keeps invisible.
Rect frameAround(const Rect& client, const X11FrameExtents& decoration, const X11FrameExtents& margins) {
    const auto e = decoration.less(margins);
    return Rect(client.origin.x - e.left, client.origin.y - e.top, client.size.width + e.left + e.right,
                client.size.height + e.top + e.bottom);
}

// Whether WM_NORMAL_HINTS asks for Static window gravity.
bool asksStaticGravity(xcb_get_property_reply_t* reply) {
    xcb_size_hints_t hints{};
    return reply && xcb_icccm_get_wm_size_hints_from_reply(&hints, reply) &&
           (hints.flags & XCB_ICCCM_SIZE_HINT_P_WIN_GRAVITY) && hints.win_gravity == XCB_GRAVITY_STATIC;
}

}  // namespace

void X11WindowInfo::placeClient(const Rect& client) {
    clientFrame = client;
    if (!extentsPublished && frameWindow != window) extents = extentsBetween(clientFrame, frameBounds);
    frame = frameAround(clientFrame, extents, margins);
}

std::vector<xcb_window_t> X11Windows::clientList() const {
    if (cache_) {
        if (auto kept = cache_->clientList()) return std::move(*kept);
    }
    return propertyCardinals(x_.readProperty(x_.root(), x_.atoms().NET_CLIENT_LIST, 65536).get());
}

std::vector<xcb_window_t> X11Windows::stackingList() const {
    if (cache_) {
        if (auto kept = cache_->stackingList()) return std::move(*kept);
    }
    const auto since = cache_ ? cache_->generation() : 0;
    auto list = propertyCardinals(x_.readProperty(x_.root(), x_.atoms().NET_CLIENT_LIST_STACKING, 65536).get());
    if (cache_) cache_->rememberStackingList(since, list);
    return list;
}

xcb_window_t X11Windows::activeWindow() const {
    if (cache_) {
        if (const auto kept = cache_->activeWindow()) return *kept;
    }
    return readActiveWindow();
}

xcb_window_t X11Windows::readActiveWindow() const {
    const auto since = cache_ ? cache_->generation() : 0;
    const auto active =
        propertyCardinal(x_.readProperty(x_.root(), x_.atoms().NET_ACTIVE_WINDOW).get()).value_or(kNoWindow);
    if (cache_) cache_->rememberActiveWindow(since, active);
    return active;
}

std::optional<std::uint32_t> X11Windows::currentDesktop() const {
    return propertyCardinal(x_.readProperty(x_.root(), x_.atoms().NET_CURRENT_DESKTOP).get());
}

std::optional<std::uint32_t> X11Windows::numberOfDesktops() const {
    return propertyCardinal(x_.readProperty(x_.root(), x_.atoms().NET_NUMBER_OF_DESKTOPS).get());
}

X11WindowType X11Windows::typeOf(const std::vector<std::uint32_t>& types) const {
    const auto& a = x_.atoms();
    // The first type the backend knows wins, as EWMH orders them by preference.
    for (const auto t : types) {
        if (t == a.NET_WM_WINDOW_TYPE_NORMAL) return X11WindowType::normal;
        if (t == a.NET_WM_WINDOW_TYPE_DIALOG) return X11WindowType::dialog;
        if (t == a.NET_WM_WINDOW_TYPE_UTILITY) return X11WindowType::utility;
        if (t == a.NET_WM_WINDOW_TYPE_TOOLBAR) return X11WindowType::toolbar;
        if (t == a.NET_WM_WINDOW_TYPE_MENU) return X11WindowType::menu;
        if (t == a.NET_WM_WINDOW_TYPE_SPLASH) return X11WindowType::splash;
        if (t == a.NET_WM_WINDOW_TYPE_DOCK) return X11WindowType::dock;
        if (t == a.NET_WM_WINDOW_TYPE_DESKTOP) return X11WindowType::desktop;
        if (t == a.NET_WM_WINDOW_TYPE_NOTIFICATION) return X11WindowType::notification;
    }
    return types.empty() ? X11WindowType::unspecified : X11WindowType::other;
}

X11WindowState X11Windows::stateOf(const std::vector<std::uint32_t>& atoms) const {
    const auto& a = x_.atoms();
    X11WindowState s;
    s.hidden = contains(atoms, a.NET_WM_STATE_HIDDEN);
    s.fullscreen = contains(atoms, a.NET_WM_STATE_FULLSCREEN);
    s.above = contains(atoms, a.NET_WM_STATE_ABOVE);
    s.below = contains(atoms, a.NET_WM_STATE_BELOW);
    s.maximizedVert = contains(atoms, a.NET_WM_STATE_MAXIMIZED_VERT);
    s.maximizedHorz = contains(atoms, a.NET_WM_STATE_MAXIMIZED_HORZ);
    s.shaded = contains(atoms, a.NET_WM_STATE_SHADED);
    s.sticky = contains(atoms, a.NET_WM_STATE_STICKY);
    s.modal = contains(atoms, a.NET_WM_STATE_MODAL);
    s.skipTaskbar = contains(atoms, a.NET_WM_STATE_SKIP_TASKBAR);
    s.demandsAttention = contains(atoms, a.NET_WM_STATE_DEMANDS_ATTENTION);
    return s;
}

std::vector<xcb_window_t> X11Windows::frameWindows(const std::vector<xcb_window_t>& windows) const {
    return frameWindows(windows, false);
}

std::vector<xcb_window_t> X11Windows::knownFrameWindows(const std::vector<xcb_window_t>& windows) const {
    return frameWindows(windows, true);
}

std::vector<xcb_window_t> X11Windows::frameWindows(const std::vector<xcb_window_t>& windows, bool fromMemory) const {
    std::vector<xcb_window_t> frames(windows.size(), kNoWindow);
    std::vector<std::size_t> pending;
    std::vector<xcb_window_t> current = windows;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        // A kept client's frame is followed by the reader (a new one drops it).
        const auto kept = fromMemory && cache_ ? cache_->frameWindow(windows[i]) : std::nullopt;
        if (kept) frames[i] = *kept;
        else pending.push_back(i);
    }
    for (int depth = 0; depth < kMaxTreeDepth && !pending.empty(); ++depth) {
        std::vector<xcb_window_t> asked;
        for (const auto i : pending) asked.push_back(current[i]);
        auto trees = xcbPipeline(
            x_.get(), asked, [this](xcb_window_t w) { return xcb_query_tree(x_.get(), w); }, xcb_query_tree_reply);
        std::vector<std::size_t> next;
        for (std::size_t k = 0; k < pending.size(); ++k) {
            const auto i = pending[k];
            const auto& tree = trees[k];
            if (!tree) continue;  // vanished: stays 0
            if (tree->parent == tree->root || tree->parent == kNoWindow) {
                frames[i] = current[i];
            } else {
                current[i] = tree->parent;
                next.push_back(i);
            }
        }
        pending = std::move(next);
    }
    return frames;
}

std::vector<std::optional<ProcessID>> X11Windows::resourcePids(const std::vector<xcb_window_t>& windows) const {
    auto replies = xcbPipeline(
        x_.get(), windows, [this](xcb_window_t w) { return askResourcePid(x_.get(), w); },
        xcb_res_query_client_ids_reply);
    std::vector<std::optional<ProcessID>> pids;
    pids.reserve(windows.size());
    for (const auto& reply : replies) pids.push_back(resourcePid(reply.get()));
    return pids;
}

std::vector<std::optional<ProcessID>> X11Windows::pids(const std::vector<xcb_window_t>& windows) const {
    if (cache_) {
        // An owner never changes while its window lives.
        std::vector<std::optional<ProcessID>> known;
        for (const auto w : windows) {
            const auto pid = cache_->lookup(w).pid;
            if (!pid) break;
            known.push_back(pid);
        }
        if (known.size() == windows.size()) return known;
    }
    const auto since = cache_ ? cache_->generation() : 0;
    auto replies = xcbPipeline(
        x_.get(), windows, [this](xcb_window_t w) { return x_.getProperty(w, x_.atoms().NET_WM_PID); },
        xcb_get_property_reply);
    std::vector<std::optional<ProcessID>> result(windows.size());
    std::vector<std::size_t> missing;
    std::vector<xcb_window_t> missingWindows;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (const auto pid = publishedPid(replies[i].get())) {
            result[i] = pid;
        } else {
            missing.push_back(i);
            missingWindows.push_back(windows[i]);
        }
    }
    if (!missingWindows.empty()) {
        const auto found = resourcePids(missingWindows);
        for (std::size_t k = 0; k < missing.size(); ++k) result[missing[k]] = found[k];
    }
    if (cache_) {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (result[i]) cache_->rememberPid(since, windows[i], *result[i]);
        }
    }
    return result;
}

std::vector<X11WindowInfo> X11Windows::read(const std::vector<xcb_window_t>& windows) const {
    if (!cache_) {
        auto infos = readFromServer(windows);
        readAgainIfTorn(infos);
        return infos;
    }
    std::vector<std::optional<X11WindowInfo>> kept(windows.size());
    std::vector<xcb_window_t> missing;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        kept[i] = cache_->client(windows[i]);
        if (!kept[i]) missing.push_back(windows[i]);
    }
    auto fresh = readFromServer(missing);  // in the order asked, without the vanished
    readAgainIfTorn(fresh);
    if (missing.size() == windows.size()) return fresh;
    std::vector<X11WindowInfo> infos;
    infos.reserve(windows.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (kept[i]) {
            infos.push_back(std::move(*kept[i]));
        } else if (next < fresh.size() && fresh[next].window == windows[i]) {
            infos.push_back(std::move(fresh[next++]));
        }
    }
    return infos;
}

void X11Windows::readAgainIfTorn(std::vector<X11WindowInfo>& infos) const {
    // A client reaching out of its frame window was read while the window
    // manager was between its requests for one change (the frame moved and
    // resized, the client not yet): a frame that never was. Read again; a
    // window that stays so (shaded) is taken as it is.
    const auto torn = [](const X11WindowInfo& info) {
        const Rect& f = info.frameBounds;
        const Rect& c = info.clientFrame;
        return info.parentIsFrame && !f.isEmpty() &&
               (c.minX() < f.minX() || c.minY() < f.minY() || c.maxX() > f.maxX() || c.maxY() > f.maxY());
    };
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<xcb_window_t> again;
        for (const auto& info : infos) {
            if (torn(info)) again.push_back(info.window);
        }
        if (again.empty()) return;
        for (auto& fresh : readFromServer(again)) {
            const auto at = std::find_if(infos.begin(), infos.end(),
                                         [&](const X11WindowInfo& info) { return info.window == fresh.window; });
            if (at != infos.end()) *at = std::move(fresh);
        }
    }
}

std::vector<X11WindowInfo> X11Windows::readFromServer(const std::vector<xcb_window_t>& windows) const {
    xcb_connection_t* c = x_.get();
    const auto& a = x_.atoms();
    enum Prop { pid, netName, wmName, wmClass, type, transient, netState, wmState, desktop, opacity, extents, margins,
                gtkID, kdeFile, propCount };
    const xcb_atom_t propAtoms[propCount] = {a.NET_WM_PID,  a.NET_WM_NAME,    XCB_ATOM_WM_NAME,      XCB_ATOM_WM_CLASS,
                                             a.NET_WM_WINDOW_TYPE, XCB_ATOM_WM_TRANSIENT_FOR, a.NET_WM_STATE,
                                             a.WM_STATE,    a.NET_WM_DESKTOP, a.NET_WM_WINDOW_OPACITY, a.NET_FRAME_EXTENTS,
                                             a.GTK_FRAME_EXTENTS, a.GTK_APPLICATION_ID, a.KDE_NET_WM_DESKTOP_FILE};
    struct Cookies {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
        xcb_query_tree_cookie_t tree;
        xcb_get_property_cookie_t props[propCount];
    };
    // The root's children ride along: a client whose parent is one of them
    // (the usual single level of reparenting) needs no second batch.
    std::optional<xcb_query_tree_cookie_t> rootCookie;
    if (!windows.empty()) rootCookie = xcb_query_tree(c, x_.root());
    // Where the window manager keeps _NET_WM_STATE_HIDDEN, Iconic alone also
    // marks windows of other desktops (openbox): only the state says minimised.
    const bool hiddenPublished = !windows.empty() && x_.windowManagerSupports(a.NET_WM_STATE_HIDDEN);
    const auto since = cache_ ? cache_->generation() : 0;
    std::vector<Cookies> cookies(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto w = windows[i];
        auto& k = cookies[i];
        k.attributes = xcb_get_window_attributes(c, w);
        k.geometry = xcb_get_geometry(c, w);
        k.origin = xcb_translate_coordinates(c, w, x_.root(), 0, 0);
        k.tree = xcb_query_tree(c, w);
        for (int p = 0; p < propCount; ++p) k.props[p] = x_.getProperty(w, propAtoms[p]);
    }

    std::vector<xcb_window_t> topLevel;  // the root's children, sorted
    if (rootCookie) {
        if (const auto rootTree = xcbReply(c, xcb_query_tree_reply, *rootCookie)) {
            const xcb_window_t* children = xcb_query_tree_children(rootTree.get());
            topLevel.assign(children, children + xcb_query_tree_children_length(rootTree.get()));
            std::sort(topLevel.begin(), topLevel.end());
        }
    }
    std::vector<X11WindowInfo> infos;
    std::vector<xcb_window_t> parents;  // per info: the parent when it is not the root
    infos.reserve(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        auto& k = cookies[i];
        auto attributes = xcbReply(c, xcb_get_window_attributes_reply, k.attributes);
        auto geometry = xcbReply(c, xcb_get_geometry_reply, k.geometry);
        auto origin = xcbReply(c, xcb_translate_coordinates_reply, k.origin);
        auto tree = xcbReply(c, xcb_query_tree_reply, k.tree);
        XReply<xcb_get_property_reply_t> props[propCount];
        for (int p = 0; p < propCount; ++p) props[p] = xcbReply(c, xcb_get_property_reply, k.props[p]);
        if (!attributes || !geometry || !origin || !tree) continue;

        X11WindowInfo info;
        info.window = windows[i];
        info.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        info.overrideRedirect = attributes->override_redirect != 0;
        info.clientFrame = Rect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        if (const auto v = propertyCardinal(props[pid].get()); v && *v > 0) info.pid = static_cast<ProcessID>(*v);
        info.title = propertyText(props[netName].get(), a.UTF8_STRING);
        if (info.title.empty()) info.title = propertyText(props[wmName].get(), a.UTF8_STRING);
        const auto classes = propertyStrings(props[wmClass].get());
        if (!classes.empty()) info.instanceName = classes[0];
        if (classes.size() > 1) info.className = classes[1];
        info.applicationID = propertyText(props[gtkID].get(), a.UTF8_STRING);
        if (info.applicationID.empty()) info.applicationID = propertyText(props[kdeFile].get(), a.UTF8_STRING);
        info.type = typeOf(propertyCardinals(props[type].get()));
        info.transientFor = propertyCardinal(props[transient].get()).value_or(kNoWindow);
        info.state = stateOf(propertyCardinals(props[netState].get()));
        info.iconic = propertyCardinal(props[wmState].get()) == kIconicState;
        info.hiddenPublished = hiddenPublished;
        info.desktop = propertyCardinal(props[desktop].get());
        if (const auto v = propertyCardinal(props[opacity].get())) info.alpha = static_cast<double>(*v) / 0xFFFFFFFFu;
        if (const auto published = frameExtents(props[extents].get())) {
            info.extents = *published;
            info.extentsPublished = true;
        }
        info.margins = frameExtents(props[margins].get()).value_or(X11FrameExtents{});
        info.frame = frameAround(info.clientFrame, info.extents, info.margins);
        info.inParent = Point{static_cast<double>(geometry->x + geometry->border_width),
                              static_cast<double>(geometry->y + geometry->border_width)};
        if (tree->parent == tree->root || tree->parent == kNoWindow) {
            info.frameWindow = info.window;
            parents.push_back(kNoWindow);
        } else if (std::binary_search(topLevel.begin(), topLevel.end(), tree->parent)) {
            info.frameWindow = tree->parent;
            info.parentIsFrame = true;
            parents.push_back(kNoWindow);
        } else {
            info.frameWindow = kNoWindow;
            parents.push_back(tree->parent);
        }
        infos.push_back(std::move(info));
    }

    // Second batch: frames nested deeper than one level and pids the
    // clients did not publish.
    std::vector<std::size_t> nested;
    std::vector<xcb_window_t> nestedParents;
    std::vector<std::size_t> pidless;
    std::vector<xcb_window_t> pidlessWindows;
    for (std::size_t i = 0; i < infos.size(); ++i) {
        if (parents[i] != kNoWindow) {
            nested.push_back(i);
            nestedParents.push_back(parents[i]);
        }
        if (!infos[i].pid) {
            pidless.push_back(i);
            pidlessWindows.push_back(infos[i].window);
        }
    }
    if (!nestedParents.empty()) {
        const auto frames = frameWindows(nestedParents);
        for (std::size_t k = 0; k < nested.size(); ++k) infos[nested[k]].frameWindow = frames[k];
    }
    if (!pidlessWindows.empty()) {
        const auto pids = resourcePids(pidlessWindows);
        for (std::size_t k = 0; k < pidless.size(); ++k) infos[pidless[k]].pid = pids[k];
    }
    // A frame that vanished between the batches takes its window with it.
    std::erase_if(infos, [](const X11WindowInfo& info) { return info.frameWindow == kNoWindow; });
    // The frame windows' own bounds: without published extents the
    // decoration is what the frame window holds beyond the client.
    std::vector<std::size_t> framed;
    std::vector<xcb_window_t> frames;
    for (std::size_t i = 0; i < infos.size(); ++i) {
        if (infos[i].frameWindow != infos[i].window) {
            framed.push_back(i);
            frames.push_back(infos[i].frameWindow);
        }
    }
    if (!frames.empty()) {
        const auto geometries =
            xcbPipeline(c, frames, [c](xcb_window_t w) { return xcb_get_geometry(c, w); }, xcb_get_geometry_reply);
        for (std::size_t k = 0; k < framed.size(); ++k) {
            auto& info = infos[framed[k]];
            if (!geometries[k]) continue;
            info.frameBounds = outerBounds(*geometries[k]);
            info.placeClient(info.clientFrame);
        }
    }
    readFrameMapStates(infos);
    if (cache_) {
        for (const auto& info : infos) {
            if (info.pid) cache_->rememberPid(since, info.window, *info.pid);
            if (info.extentsPublished) cache_->rememberExtents(since, info.window, info.extents);
            cache_->rememberMargins(since, info.window, info.margins);
            cache_->rememberSize(since, info.window, info.clientFrame.size);
            // A frame measured from a vanished frame window is not kept, nor
            // a client in a frame still being made.
            const bool measured = !info.extentsPublished && info.frameWindow != info.window;
            if ((!measured || !info.frameBounds.isEmpty()) && !info.isBeingFramed()) cache_->rememberClient(since, info);
        }
    }
    return infos;
}

void X11Windows::readFrameMapStates(std::vector<X11WindowInfo>& infos) const {
    // Only a rolled-up window needs it: its frame stays mapped, unless the
    // window is also minimised.
    std::vector<X11WindowInfo*> shaded;
    std::vector<xcb_window_t> frames;
    for (auto& info : infos) {
        if (!info.state.shaded) continue;
        shaded.push_back(&info);
        frames.push_back(info.frameWindow);
    }
    if (frames.empty()) return;
    xcb_connection_t* c = x_.get();
    const auto attributes = xcbPipeline(
        c, frames, [c](xcb_window_t w) { return xcb_get_window_attributes(c, w); }, xcb_get_window_attributes_reply);
    for (std::size_t k = 0; k < shaded.size(); ++k) {
        shaded[k]->frameViewable = attributes[k] && attributes[k]->map_state == XCB_MAP_STATE_VIEWABLE;
    }
}

std::optional<X11WindowInfo> X11Windows::read(xcb_window_t window) const {
    auto infos = read(std::vector<xcb_window_t>{window});
    if (infos.empty()) return std::nullopt;
    return std::move(infos.front());
}

bool X11Windows::exists(xcb_window_t window) const {
    return xcbReply(x_.get(), xcb_get_window_attributes_reply, xcb_get_window_attributes(x_.get(), window)) != nullptr;
}

std::optional<X11FrameExtents> X11Windows::measuredExtents(xcb_window_t window) const {
    const xcb_window_t frame = frameWindows({window}).front();
    if (frame == kNoWindow) return std::nullopt;
    if (frame == window) return X11FrameExtents{};
    xcb_connection_t* c = x_.get();
    const auto frameCookie = xcb_get_geometry(c, frame);
    const auto clientCookie = xcb_get_geometry(c, window);
    const auto originCookie = xcb_translate_coordinates(c, window, x_.root(), 0, 0);
    const auto frameGeometry = xcbReply(c, xcb_get_geometry_reply, frameCookie);
    const auto clientGeometry = xcbReply(c, xcb_get_geometry_reply, clientCookie);
    const auto origin = xcbReply(c, xcb_translate_coordinates_reply, originCookie);
    if (!frameGeometry || !clientGeometry || !origin) return std::nullopt;
    return extentsBetween(Rect(origin->dst_x, origin->dst_y, clientGeometry->width, clientGeometry->height),
                          outerBounds(*frameGeometry));
}

std::optional<X11Windows::MoveTarget> X11Windows::moveTarget(xcb_window_t window, std::optional<ProcessID> owner,
                                                             bool needsSize) const {
    X11WindowCache::Lookup known;
    if (cache_) {
        cache_->activate();
        known = cache_->lookup(window);
    }
    // An owner never changes while the window lives.
    if (owner && known.pid && known.pid != owner) return std::nullopt;
    if ((!owner || known.pid) && (!needsSize || known.size)) {
        if (auto target = remembered<MoveTarget>(known)) return target;
    }

    xcb_connection_t* c = x_.get();
    const auto& a = x_.atoms();
    const auto extentsCookie = x_.getProperty(window, a.NET_FRAME_EXTENTS);
    const auto geometryCookie = xcb_get_geometry(c, window);
    const auto stateCookie = x_.getProperty(window, a.NET_WM_STATE);
    const auto marginsCookie = x_.getProperty(window, a.GTK_FRAME_EXTENTS);
    const auto hintsCookie = x_.getProperty(window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ICCCM_NUM_WM_SIZE_HINTS_ELEMENTS);
    std::optional<xcb_get_property_cookie_t> pidCookie;
    std::optional<xcb_res_query_client_ids_cookie_t> resourceCookie;
    if (owner) {
        pidCookie = x_.getProperty(window, a.NET_WM_PID);
        resourceCookie = askResourcePid(c, window);
    }
    // The window manager check's reads follow the requests above, so the
    // replies to all of them come back in the same round trip.
    MoveTarget target;
    target.restingMargins = known.restingMargins;
    if (known.moveResize) {
        target.moveResize = *known.moveResize;
    } else {
        target.moveResize = x_.windowManagerSupports(a.NET_MOVERESIZE_WINDOW);
        if (cache_) cache_->rememberMoveResize(known.generation, target.moveResize);
    }
    // A property read of a window that is gone fails: no reply.
    const auto extentsReply = xcbReply(c, xcb_get_property_reply, extentsCookie);
    const auto geometry = xcbReply(c, xcb_get_geometry_reply, geometryCookie);
    const auto state = xcbReply(c, xcb_get_property_reply, stateCookie);
    const auto marginsReply = xcbReply(c, xcb_get_property_reply, marginsCookie);
    const auto hints = xcbReply(c, xcb_get_property_reply, hintsCookie);
    std::optional<ProcessID> pid;
    if (owner) {
        const auto published = xcbReply(c, xcb_get_property_reply, *pidCookie);
        const auto resource = xcbReply(c, xcb_res_query_client_ids_reply, *resourceCookie);
        pid = publishedPid(published.get());
        if (!pid) pid = resourcePid(resource.get());
    }
    if (!extentsReply || !geometry) return std::nullopt;
    const Size readSize{static_cast<double>(geometry->width), static_cast<double>(geometry->height)};
    // A size asked for a moment ago may not have reached the window yet: a
    // move names that one, not the one it is leaving.
    target.size = known.size && known.sizeAsked ? *known.size : readSize;
    target.clientBorder = geometry->border_width;
    const auto states = stateOf(propertyCardinals(state.get()));
    target.maximized = states.maximizedVert || states.maximizedHorz;
    target.margins = frameExtents(marginsReply.get()).value_or(X11FrameExtents{});
    target.staticGravity = asksStaticGravity(hints.get());
    if (cache_) {
        cache_->rememberSize(known.generation, window, readSize);
        cache_->rememberMaximized(known.generation, window, target.maximized);
        cache_->rememberMargins(known.generation, window, target.margins);
        cache_->rememberGravity(known.generation, window, target.staticGravity);
        if (pid) cache_->rememberPid(known.generation, window, *pid);
    }
    if (owner && pid != owner) return std::nullopt;
    if (const auto published = frameExtents(extentsReply.get())) {
        target.extents = *published;
        target.extentsPublished = true;
        if (cache_) cache_->rememberExtents(known.generation, window, target.extents);
    } else {
        const auto measured = measuredExtents(window);
        if (!measured) return std::nullopt;
        target.extents = *measured;
        if (cache_) cache_->rememberMeasuredExtents(known.generation, window, target.extents, target.clientBorder);
    }
    return target;
}

bool X11Windows::mayMoveResize(xcb_window_t window, const MoveTarget& target, const FrameRecord::HeldWrite& pending,
                               bool replaying) const {
    if (!target.maximized) {
        // This write takes the place of one held; made while the decoration
        // may still change, it is held in its turn (see writeFrame).
        if (record_ && !replaying) {
            if (pending.madeWith) record_->hold(window, pending, now(), kExtentsSettle);
            else record_->release(window);
        }
        return true;
    }
    if (replaying) return false;  // still maximised: it waits on
    // Window managers keep a maximised window where it is: it stops being
    // maximised first (they handle requests in order), and the write is
    // made again once it has, with the decoration it has then. It is held
    // before the request leaves: the reader makes it again only if it finds
    // it held when the state changes.
    // A frame comes as a size and a move: the record keeps of a write held
    // already what this one leaves out.
    if (record_) record_->hold(window, pending, now());
    const auto& a = x_.atoms();
    x_.sendClientMessage(x_.root(), window, a.NET_WM_STATE, kStateRemove, a.NET_WM_STATE_MAXIMIZED_VERT,
                         a.NET_WM_STATE_MAXIMIZED_HORZ, kSourcePager);
    x_.flush();
    return !record_;
}

std::optional<bool> X11Windows::allows(xcb_window_t window, xcb_atom_t action) const {
    const auto& a = x_.atoms();
    const auto cookie = x_.getProperty(window, a.NET_WM_ALLOWED_ACTIONS, 64);
    // In the same round trip as the read above.
    const bool published = x_.windowManagerSupports(a.NET_WM_ALLOWED_ACTIONS);
    const auto reply = xcbReply(x_.get(), xcb_get_property_reply, cookie);
    if (!reply) return std::nullopt;  // gone
    // A window the window manager has not described (yet) is not refused
    // anything; nor is one described by a window manager that left.
    if (!published || reply->type == XCB_ATOM_NONE) return true;
    return contains(propertyCardinals(reply.get()), action);
}

namespace {

// _NET_MOVERESIZE_WINDOW flags: gravity, which values are present, source.
constexpr std::uint32_t kGravityStatic = 10;
constexpr std::uint32_t kPosition = (1u << 8) | (1u << 9);
constexpr std::uint32_t kSize = (1u << 10) | (1u << 11);
constexpr std::uint32_t kFromPager = kSourcePager << 12;

}  // namespace

void X11Windows::sendMoveResize(xcb_window_t window, const MoveTarget& target, std::optional<Point> frameOrigin,
                                Size clientSize, bool flush) const {
    // The decoration's top-left is given with NorthWest gravity. A window
    // manager that publishes no extents (i3) may ignore the gravity and
    // place the client there; one that takes the request's gravity as the
    // window's for the move (openbox) starts its next interactive move of a
    // window that asked for Static gravity (every Qt window) off by the
    // decoration. Both get the client's top-left (its border's outer
    // corner) with Static gravity, which means the same to every kind.
    const auto& e = target.extents;
    const Point at = frameOrigin ? *frameOrigin : Point{};
    const auto inset = e.less(target.margins);  // from the frame to the client window
    const Point client{at.x + inset.left, at.y + inset.top};
    if (target.moveResize) {
        const bool asStatic = !target.extentsPublished || target.staticGravity;
        const double border = target.clientBorder;
        const Point sent =
            asStatic ? Point{client.x - border, client.y - border} : Point{client.x - e.left, client.y - e.top};
        x_.sendClientMessage(x_.root(), window, x_.atoms().NET_MOVERESIZE_WINDOW,
                             (asStatic ? kGravityStatic : kGravityNorthWest) | kSize | kFromPager |
                                 (frameOrigin ? kPosition : 0u),
                             asCard(sent.x), asCard(sent.y), asCard(clientSize.width), asCard(clientSize.height));
    } else if (frameOrigin) {
        const std::uint32_t values[] = {asCard(client.x), asCard(client.y), asCard(clientSize.width),
                                        asCard(clientSize.height)};
        xcb_configure_window(x_.get(), window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             values);
    } else {
        const std::uint32_t values[] = {asCard(clientSize.width), asCard(clientSize.height)};
        xcb_configure_window(x_.get(), window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    }
    if (flush) x_.flush();
}

Size X11Windows::clientSize(Size size, const X11FrameExtents& extents) {
    return Size{std::round(std::max(1.0, size.width - extents.left - extents.right)),
                std::round(std::max(1.0, size.height - extents.top - extents.bottom))};
}

bool X11Windows::sendFrameIfKnown(xcb_window_t window, const Rect& frame, ProcessID owner) const {
    if (!cache_ || !frame.isFinite() || frame.isNull()) return false;
    const X11WindowCache::Lookup known = cache_->lookup(window);
    const auto target = remembered<MoveTarget>(known);
    if (!target || known.pid != owner || !known.size || target->maximized || holdsWrite(window)) return false;
    const Rect f = frame.standardized();
    const Size client = clientSize(f.size, target->extents.less(target->margins));
    if (!(client == target->size)) cache_->sizeRequested(window, client);
    sendMoveResize(window, *target, f.origin, client, false);
    return true;
}

bool X11Windows::setFrame(xcb_window_t window, const Rect& frame, std::optional<ProcessID> owner) const {
    if (!frame.isFinite() || frame.isNull()) return false;
    const Rect f = frame.standardized();
    return writeFrame(window, f.origin, f.size, owner, false);
}

bool X11Windows::setPosition(xcb_window_t window, Point topLeft, std::optional<ProcessID> owner) const {
    if (!std::isfinite(topLeft.x) || !std::isfinite(topLeft.y)) return false;
    return writeFrame(window, topLeft, std::nullopt, owner, false);
}

bool X11Windows::setSize(xcb_window_t window, Size size, std::optional<ProcessID> owner) const {
    if (!std::isfinite(size.width) || !std::isfinite(size.height)) return false;
    return writeFrame(window, std::nullopt, Size{std::abs(size.width), std::abs(size.height)}, owner, false);
}

bool X11Windows::writeFrame(xcb_window_t window, std::optional<Point> origin, std::optional<Size> size,
                            std::optional<ProcessID> owner, bool replaying, X11FrameExtents* made) const {
    // A write that comes while one is held for an unmaximise of ours (not
    // yet made, or made and waiting for the decoration to settle) takes
    // its place: it keeps what that one named and this one leaves out (a
    // frame comes as a size and a move), and is made again in its turn if
    // the decoration changes after it.
    const auto before = record_ && !replaying ? record_->held(window, now()) : std::nullopt;
    if (before) {
        if (!origin) origin = before->origin;
        if (!size) size = before->size;
    }
    // A move names the size it keeps: some window managers (fluxbox) grow
    // a window moved without one.
    const auto target = moveTarget(window, owner, !size);
    if (!target) return false;
    // A write taking the place of one held for our unmaximise and not made
    // yet waits with it for the window's margins (see replayPendingWrite).
    if (before && !before->madeWith && target->awaitsMargins()) {
        record_->hold(window, {origin, size, owner, std::nullopt, {}}, now());
        return true;
    }
    const auto inset = target->extents.less(target->margins);
    std::optional<FrameRecord::Inset> settling;
    if (before && !target->maximized) settling = asInset(inset);
    if (!mayMoveResize(window, *target, {origin, size, owner, settling, {}}, replaying)) {
        // Waiting for the window to be unmaximised is no failure.
        return target->maximized && record_ && !replaying;
    }
    Size client = target->size;
    if (size) {
        client = clientSize(*size, inset);
        if (cache_) cache_->sizeRequested(window, client);
    }
    sendMoveResize(window, *target, origin, client);
    if (made) *made = inset;
    return true;
}

bool X11Windows::holdsWrite(xcb_window_t window) const { return record_ && record_->held(window, now()); }

void X11Windows::replayPendingWrite(xcb_window_t window, bool extentsChanged, double seen) const {
    if (!record_) return;
    auto pending = record_->held(window, seen);
    if (!pending) return;
    if (pending->madeWith) {
        // Made already: once more for extents that came after it.
        if (!extentsChanged) return;
        record_->release(window);
        const auto target = moveTarget(window, pending->owner, false);
        if (target && !(asInset(target->extents.less(target->margins)) == *pending->madeWith)) {
            writeFrame(window, pending->origin, pending->size, pending->owner, true);
        }
        return;
    }
    // Unmaximised, a window that draws its own decoration shows its margins
    // again only once it has redrawn (on a busy machine, a second later),
    // and the window manager places it by the margins it knows: a write
    // made before they come leaves it off by them once they do, and mutter
    // then keeps it there. The write waits for them, while it is held.
    const auto target = moveTarget(window, pending->owner, false);
    if (target && target->awaitsMargins()) return;
    X11FrameExtents made;
    if (writeFrame(window, pending->origin, pending->size, pending->owner, true, &made)) {
        const auto axes = record_->made(window, *pending, asInset(made), now(), kExtentsSettle);
        if (axes.any()) sendMaximized(window, {}, axes);
    }
}

bool X11Windows::raise(xcb_window_t window) const {
    if (!exists(window)) return false;
    if (x_.windowManagerSupports(x_.atoms().NET_RESTACK_WINDOW)) {
        x_.sendClientMessage(x_.root(), window, x_.atoms().NET_RESTACK_WINDOW, kSourcePager, kNoWindow,
                             XCB_STACK_MODE_ABOVE);
    } else {
        const auto frame = frameWindows({window}).front();
        if (frame == kNoWindow) return false;
        const std::uint32_t values[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(x_.get(), frame, XCB_CONFIG_WINDOW_STACK_MODE, values);
    }
    x_.flush();
    return true;
}

bool X11Windows::activate(xcb_window_t window) const {
    if (!exists(window)) return false;
    x_.sendClientMessage(x_.root(), window, x_.atoms().NET_ACTIVE_WINDOW, kSourcePager, XCB_CURRENT_TIME,
                         activeWindow());
    x_.flush();
    return true;
}

bool X11Windows::minimize(xcb_window_t window) const {
    const auto& a = x_.atoms();
    if (allows(window, a.NET_WM_ACTION_MINIMIZE) != true) return false;
    if (cache_) {
        cache_->activate();  // the reader must see the unmap a restore may wait for
        cache_->minimizeSent(window);
    }
    x_.sendClientMessage(x_.root(), window, a.WM_CHANGE_STATE, kIconicState);
    x_.flush();
    return true;
}

bool X11Windows::minimizeMayBeIgnored() const {
    return !x_.windowManagerSupports(x_.atoms().NET_WM_ALLOWED_ACTIONS);
}

std::optional<X11Windows::Visibility> X11Windows::visibility(xcb_window_t window) const {
    xcb_connection_t* c = x_.get();
    const auto attributesCookie = xcb_get_window_attributes(c, window);
    const auto wmStateCookie = x_.getProperty(window, x_.atoms().WM_STATE);
    const auto netStateCookie = x_.getProperty(window, x_.atoms().NET_WM_STATE);
    const auto attributes = xcbReply(c, xcb_get_window_attributes_reply, attributesCookie);
    const auto wmState = xcbReply(c, xcb_get_property_reply, wmStateCookie);
    const auto netState = xcbReply(c, xcb_get_property_reply, netStateCookie);
    if (!attributes) return std::nullopt;
    const bool iconic = propertyCardinal(wmState.get()) == kIconicState ||
                        contains(propertyCardinals(netState.get()), x_.atoms().NET_WM_STATE_HIDDEN);
    return Visibility{attributes->map_state, iconic};
}

std::optional<bool> X11Windows::keepsMinimisedMapped() const {
    if (x_.windowManagerCheckWindow() == kNoWindow) return std::nullopt;
    // mutter ("Mutter"), muffin ("Mutter (Muffin)") and GNOME Shell.
    const std::string name = x_.windowManagerName();
    return name.starts_with("Mutter") || name.starts_with("GNOME Shell");
}

bool X11Windows::minimiseCarriedOut(const Visibility& seen) const {
    if (!seen.iconic || seen.mapState == XCB_MAP_STATE_UNVIEWABLE) return false;
    return seen.mapState == XCB_MAP_STATE_UNMAPPED || keepsMinimisedMapped() == true;
}

std::optional<bool> X11Windows::iconified(xcb_window_t window) const {
    const auto seen = visibility(window);
    if (!seen) return std::nullopt;
    return minimiseCarriedOut(*seen);
}

void X11Windows::show(xcb_window_t window, std::uint8_t mapState) const {
    if (mapState == XCB_MAP_STATE_UNMAPPED) {
        xcb_map_window(x_.get(), window);
    } else {
        // Iconic, and mapped all the same: a window manager that keeps
        // minimised windows mapped (mutter), or that took the window over
        // minimised from the one it replaced (it keeps only the frame
        // unmapped), is asked nothing by a map. Asked to activate the
        // window, every one shows it.
        x_.sendClientMessage(x_.root(), window, x_.atoms().NET_ACTIVE_WINDOW, kSourcePager, XCB_CURRENT_TIME,
                             activeWindow());
    }
    x_.flush();
}

bool X11Windows::restore(xcb_window_t window) const {
    // Mapping an iconic window asks the window manager to show it (ICCCM).
    // A window still mapped ignores the map: when a minimise of ours is on
    // its way, the map is made once it has been carried out (by the reader,
    // or here when that has happened already). Mapping in the middle of the
    // window manager's own minimising may be lost.
    bool deferred = false;
    if (cache_) {
        cache_->activate();
        deferred = cache_->deferRestore(window);
    }
    const auto seen = visibility(window);
    if (!seen) {
        if (deferred) cache_->takeDeferredRestore(window);
        return false;
    }
    // Iconic and mapped all the same is minimised where the window manager
    // keeps minimised windows mapped, and where none announces itself: one
    // that replaced mutter may find mutter's announcement taken away by the
    // mutter leaving.
    const bool done = seen->iconic && (seen->mapState != XCB_MAP_STATE_VIEWABLE || keepsMinimisedMapped() != false);
    if (deferred && !(done && cache_->takeDeferredRestore(window))) return true;
    show(window, done ? seen->mapState : std::uint8_t{XCB_MAP_STATE_UNMAPPED});
    return true;
}

void X11Windows::restoreIfWaiting(xcb_window_t window) const {
    if (!cache_ || !cache_->restoreWaiting(window)) return;
    const auto seen = visibility(window);
    if (!seen || !minimiseCarriedOut(*seen) || !cache_->takeDeferredRestore(window)) return;
    show(window, seen->mapState);
}

bool X11Windows::close(xcb_window_t window) const {
    const auto& a = x_.atoms();
    if (allows(window, a.NET_WM_ACTION_CLOSE) != true) return false;
    if (x_.windowManagerSupports(a.NET_CLOSE_WINDOW)) {
        x_.sendClientMessage(x_.root(), window, a.NET_CLOSE_WINDOW, XCB_CURRENT_TIME, kSourcePager);
    } else {
        const auto protocols = propertyCardinals(x_.readProperty(window, a.WM_PROTOCOLS).get());
        if (!contains(protocols, a.WM_DELETE_WINDOW)) return false;
        x_.sendClientMessage(window, window, a.WM_PROTOCOLS, a.WM_DELETE_WINDOW, XCB_CURRENT_TIME);
    }
    x_.flush();
    return true;
}

bool X11Windows::setFullScreen(xcb_window_t window, bool fullScreen) const {
    if (allows(window, x_.atoms().NET_WM_ACTION_FULLSCREEN) != true) return false;
    x_.sendClientMessage(x_.root(), window, x_.atoms().NET_WM_STATE, fullScreen ? kStateAdd : kStateRemove,
                         x_.atoms().NET_WM_STATE_FULLSCREEN, 0, kSourcePager);
    x_.flush();
    return true;
}

bool X11Windows::setShaded(xcb_window_t window, bool shaded) const {
    if (!read(window)) return false;
    x_.sendClientMessage(x_.root(), window, x_.atoms().NET_WM_STATE, shaded ? kStateAdd : kStateRemove,
                         x_.atoms().NET_WM_STATE_SHADED, 0, kSourcePager);
    x_.flush();
    return true;
}

bool X11Windows::setMaximized(xcb_window_t window, MaximizedAxes axes) const {
    const auto& a = x_.atoms();
    if (axes.vertical && allows(window, a.NET_WM_ACTION_MAXIMIZE_VERT) != true) return false;
    if (axes.horizontal && allows(window, a.NET_WM_ACTION_MAXIMIZE_HORZ) != true) return false;
    // A frame held until the window is unmaximised was asked for first (a
    // tile's place for a window maximised along one axis): the axes are
    // asked for once it is made, or they would be carried out before it.
    if (record_ && record_->maximizeAfterHeld(window, axes, now())) return true;
    const auto now = read(window);
    if (!now) return false;
    sendMaximized(window, now->maximized(), axes);
    return true;
}

void X11Windows::sendMaximized(xcb_window_t window, MaximizedAxes held, MaximizedAxes axes) const {
    if (held == axes) return;
    const auto& a = x_.atoms();
    // Axes taken away alone are one removal. Axes added go through a
    // restore: xfwm4 adds axes only to a window that is not maximised at all
    // (and takes both axes added to a window maximised one way for a
    // restore). A removal and an add for what one removal does leave fluxbox
    // now and then with the state of one and the frame of the other.
    const auto send = [&](std::uint32_t action, MaximizedAxes which) {
        if (!which.any()) return;
        const xcb_atom_t first = which.vertical ? a.NET_WM_STATE_MAXIMIZED_VERT : a.NET_WM_STATE_MAXIMIZED_HORZ;
        const xcb_atom_t second =
            which.vertical && which.horizontal ? a.NET_WM_STATE_MAXIMIZED_HORZ : xcb_atom_t{XCB_ATOM_NONE};
        x_.sendClientMessage(x_.root(), window, a.NET_WM_STATE, action, first, second, kSourcePager);
    };
    const bool adds = (axes.vertical && !held.vertical) || (axes.horizontal && !held.horizontal);
    if (adds) {
        send(kStateRemove, held);
        send(kStateAdd, axes);
    } else {
        send(kStateRemove, {held.vertical && !axes.vertical, held.horizontal && !axes.horizontal});
    }
    x_.flush();
}

bool X11Windows::moveToDesktop(xcb_window_t window, std::uint32_t desktop) const {
    if (allows(window, x_.atoms().NET_WM_ACTION_CHANGE_DESKTOP) != true) return false;
    const auto count = numberOfDesktops();
    if (desktop != kX11AllDesktops && (!count || desktop >= *count)) return false;
    x_.sendClientMessage(x_.root(), window, x_.atoms().NET_WM_DESKTOP, desktop, kSourcePager);
    x_.flush();
    return true;
}

bool X11Windows::switchToDesktop(std::uint32_t desktop) const {
    const auto count = numberOfDesktops();
    if (!count || desktop >= *count) return false;
    x_.sendClientMessage(x_.root(), x_.root(), x_.atoms().NET_CURRENT_DESKTOP, desktop, XCB_CURRENT_TIME);
    x_.flush();
    return true;
}

}  // namespace tessaly
