#include "Platform/X11/X11WindowList.h"

#include "Platform/X11/X11Applications.h"

#include <algorithm>
#include <unordered_map>

namespace tessaly {

namespace {

int layerOf(const X11WindowInfo& info) {
    if (info.overrideRedirect) return X11WindowList::popUpLevel;
    if (info.type == X11WindowType::dock) return WindowLayer::dock;
    if (info.type == X11WindowType::desktop) return X11WindowList::desktopLevel;
    if (info.state.above) return WindowLayer::floating;
    return WindowLayer::normal;
}

struct Entry {
    WindowInfo info;
    bool desktopElement = false;
};

}  // namespace

std::optional<std::vector<WindowInfo>> X11WindowList::copyWindowInfo(std::uint32_t options, WindowID relativeTo) const {
    const X11Connection& x = backend_->connection();
    if (!x.isAlive()) return std::nullopt;
    const auto& windows = backend_->windows();
    // The root's children, the client list and the current desktop in one round trip.
    const auto treeCookie = xcb_query_tree(x.get(), x.root());
    const auto desktopCookie = x.getProperty(x.root(), x.atoms().NET_CURRENT_DESKTOP);
    const auto clientList = windows.clientList();
    const auto tree = xcbReply(x.get(), xcb_query_tree_reply, treeCookie);
    const auto current = propertyCardinal(xcbReply(x.get(), xcb_get_property_reply, desktopCookie).get());
    if (!tree) return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    // Bottom to top in the reply; the list is front to back.
    std::vector<xcb_window_t> stack(children, children + xcb_query_tree_children_length(tree.get()));
    std::reverse(stack.begin(), stack.end());

    const auto clients = windows.read(clientList);
    std::unordered_map<xcb_window_t, const X11WindowInfo*> byFrame;
    for (const auto& c : clients) byFrame[c.frameWindow] = &c;

    // Root children that hold no client: keep the visible override-redirect ones.
    std::vector<xcb_window_t> others;
    for (const auto w : stack) {
        if (!byFrame.count(w)) others.push_back(w);
    }
    auto attributes = xcbPipeline(
        x.get(), others, [&](xcb_window_t w) { return xcb_get_window_attributes(x.get(), w); },
        xcb_get_window_attributes_reply);
    std::vector<xcb_window_t> panels;
    const xcb_window_t check = x.windowManagerCheckWindow();
    const Rect screen(0, 0, x.screen().width_in_pixels, x.screen().height_in_pixels);
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (others[i] == check) continue;  // the window manager's own marker
        const auto& a = attributes[i];
        if (a && a->override_redirect && a->map_state == XCB_MAP_STATE_VIEWABLE && a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT)
            panels.push_back(others[i]);
    }
    std::unordered_map<xcb_window_t, X11WindowInfo> panelInfo;
    for (auto& info : windows.read(panels)) panelInfo.emplace(info.window, std::move(info));

    std::vector<Entry> entries;
    for (const auto w : stack) {
        const X11WindowInfo* info = nullptr;
        bool managed = false;
        if (const auto it = byFrame.find(w); it != byFrame.end()) {
            info = it->second;
            managed = true;
        } else if (const auto p = panelInfo.find(w); p != panelInfo.end()) {
            info = &p->second;
        }
        if (!info) continue;
        Entry e;
        e.info.number = info->window;
        e.info.ownerPID = info->pid;
        if (!info->className.empty()) e.info.ownerName = info->className;
        else if (info->pid) e.info.ownerName = processCommand(*info->pid);
        e.info.bounds = managed ? info->frame : info->clientFrame;
        e.info.layer = layerOf(*info);
        e.info.alpha = info->alpha;
        const bool onDesktop = !info->desktop || !current || *info->desktop == kX11AllDesktops || *info->desktop == *current;
        e.info.isOnScreen = info->viewable && onDesktop && !info->state.hidden && e.info.bounds->intersects(screen);
        e.desktopElement = info->type == X11WindowType::desktop;
        entries.push_back(std::move(e));
    }

    const bool onScreenOnly = options & (WindowListOption::onScreenOnly | WindowListOption::onScreenAboveWindow |
                                         WindowListOption::onScreenBelowWindow);
    std::optional<std::size_t> anchor;
    if (relativeTo != 0) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].info.number == relativeTo) anchor = i;
        }
    }
    std::vector<WindowInfo> result;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const bool isAnchor = anchor && *anchor == i;
        if ((options & WindowListOption::excludeDesktopElements) && e.desktopElement) continue;
        const bool includeAnchor = isAnchor && (options & WindowListOption::includingWindow);
        if (onScreenOnly && !e.info.isOnScreen.value_or(false) && !includeAnchor) continue;
        if (anchor && (options & (WindowListOption::onScreenAboveWindow | WindowListOption::onScreenBelowWindow))) {
            if (isAnchor) {
                if (!(options & WindowListOption::includingWindow)) continue;
            } else if ((options & WindowListOption::onScreenAboveWindow) && i > *anchor) {
                continue;
            } else if ((options & WindowListOption::onScreenBelowWindow) && i < *anchor) {
                continue;
            }
        }
        result.push_back(e.info);
    }
    // "Including window" alone: just that window.
    if (options == WindowListOption::includingWindow) {
        std::erase_if(result, [&](const WindowInfo& w) { return w.number != relativeTo; });
    }
    return result;
}

}  // namespace tessaly
