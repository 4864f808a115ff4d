#include "Platform/X11/X11WindowList.h"

#include "Platform/X11/X11Applications.h"

#include <algorithm>
#include <unordered_set>

namespace tessaly {

namespace {

int layerOf(const X11WindowInfo& info) {
    if (info.overrideRedirect) return X11WindowList::popUpLevel;
    if (info.type == X11WindowType::dock) return WindowLayer::dock;
    if (info.type == X11WindowType::desktop) return X11WindowList::desktopLevel;
    if (info.state.above) return WindowLayer::floating;
    return WindowLayer::normal;
}

// Whether the event changes what the list tells beyond frames.
bool changesTheList(const X11Event& event) {
    using Kind = X11Event::Kind;
    switch (event.kind) {
    case Kind::clientListChanged:
    case Kind::destroyed:
    case Kind::mapped:
    case Kind::unmapped:
    case Kind::frameMapChanged:
    case Kind::reparented:
    case Kind::wmStateChanged:
    case Kind::stateChanged:
    case Kind::desktopChanged:
    case Kind::currentDesktopChanged:
    case Kind::windowManagerChanged: return true;
    case Kind::frameChanged:
    case Kind::rootChildConfigured: return event.rootChild && event.restacked && !event.overrideRedirect;
    default: return false;
    }
}

}  // namespace

X11WindowList::X11WindowList(std::shared_ptr<X11Backend> backend, std::shared_ptr<MainExecutor> main)
    : backend_(std::move(backend)), main_(std::move(main)) {
    subscription_ = backend_->subscribe([this](const X11Event& event) {
        if (main_ && changesTheList(event)) CoalescedNotice::post(changes_, *main_);
        using Kind = X11Event::Kind;
        switch (event.kind) {
        case Kind::rootChildConfigured: reported(event.window); return;
        case Kind::rootChildMapChanged: remapped(event.window); return;
        case Kind::windowManagerChanged:
        case Kind::connectionLost:
            windowManagers_.fetch_add(1);
            reported(kNoWindow);
            return;
        default: return;
        }
    });
}

Subscription X11WindowList::observeChanges(std::function<void()> handler) {
    if (!main_ || !subscription_.isActive()) return {};
    return changes_->add(std::move(handler));
}

X11WindowList::~X11WindowList() { subscription_.cancel(); }

void X11WindowList::reported(xcb_window_t window) {
    std::lock_guard lock(reportsMutex_);
    reports_.fetch_add(1);
    if (window != kNoWindow) reportedWindows_.push_back(window);
    else forgetAttributes_ = true;
}

void X11WindowList::remapped(xcb_window_t window) {
    std::lock_guard lock(reportsMutex_);
    remappedWindows_.push_back(window);
}

xcb_window_t X11WindowList::checkWindow() const {
    const std::uint64_t at = windowManagers_.load();
    if (checkWindow_ && checkWindowAt_ == at && subscription_.isActive()) return *checkWindow_;
    checkWindow_ = backend_->connection().windowManagerCheckWindow();
    checkWindowAt_ = at;
    return *checkWindow_;
}

std::unordered_map<xcb_window_t, X11WindowInfo> X11WindowList::listedOthers(
    const std::vector<xcb_window_t>& others, const std::vector<xcb_window_t>& asked,
    std::vector<XReply<xcb_get_window_attributes_reply_t>> attributes, std::uint64_t since) const {
    const X11Connection& x = backend_->connection();
    std::unordered_map<xcb_window_t, XReply<xcb_get_window_attributes_reply_t>> answers;
    for (std::size_t i = 0; i < asked.size(); ++i) answers.emplace(asked[i], std::move(attributes[i]));
    std::vector<xcb_window_t> unasked;
    for (const auto w : others) {
        if (!answers.count(w) && !others_.count(w)) unasked.push_back(w);
    }
    auto late = xcbPipeline(
        x.get(), unasked, [&](xcb_window_t w) { return xcb_get_window_attributes(x.get(), w); },
        xcb_get_window_attributes_reply);
    for (std::size_t i = 0; i < unasked.size(); ++i) answers.emplace(unasked[i], std::move(late[i]));

    // Forget the windows gone from the root and those reported since.
    const std::unordered_set<xcb_window_t> present(others.begin(), others.end());
    std::erase_if(others_, [&](const auto& entry) { return !present.count(entry.first); });
    std::vector<xcb_window_t> reportedWindows;
    {
        std::lock_guard lock(reportsMutex_);
        reportedWindows.swap(reportedWindows_);
    }
    for (const auto w : reportedWindows) {
        if (const auto it = others_.find(w); it != others_.end()) it->second.info.reset();
    }

    const xcb_window_t check = checkWindow();
    std::vector<xcb_window_t> listed;
    std::vector<xcb_window_t> unread;
    for (const auto w : others) {
        if (const auto answer = answers.find(w); answer != answers.end()) {
            const auto& a = answer->second;
            if (!a) {
                others_.erase(w);
                continue;
            }
            Other seen;
            seen.overrideRedirect = a->override_redirect != 0;
            seen.inputOutput = a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
            seen.viewable = a->map_state == XCB_MAP_STATE_VIEWABLE;
            Other& known = others_[w];
            // Shown anew, or a window under a reused number: read again.
            if (known.overrideRedirect != seen.overrideRedirect || known.inputOutput != seen.inputOutput ||
                known.viewable != seen.viewable) {
                known = seen;
            }
        }
        const auto kept = others_.find(w);
        if (kept == others_.end()) continue;
        const Other& other = kept->second;
        // The window manager's own marker is no window of anybody's.
        if (w == check || !other.overrideRedirect || !other.viewable || !other.inputOutput) continue;
        listed.push_back(w);
        if (!other.info) unread.push_back(w);
    }
    std::unordered_map<xcb_window_t, X11WindowInfo> shown;
    for (const auto w : listed) {
        if (const auto& info = others_[w].info) shown.emplace(w, *info);
    }
    // A report that came in meanwhile may have been read or not: what was
    // read then is listed this once, not kept.
    auto fresh = backend_->windows().read(unread);
    const bool keeps = subscription_.isActive() && reports_.load() == since;
    for (auto& info : fresh) {
        if (keeps) others_[info.window].info = info;
        shown.emplace(info.window, std::move(info));
    }
    return shown;
}

std::optional<std::vector<X11WindowList::Entry>> X11WindowList::entries() const {
    const X11Connection& x = backend_->connection();
    if (!x.isAlive()) return std::nullopt;
    const auto& windows = backend_->windows();
    std::lock_guard lock(mutex_);
    const std::uint64_t since = reports_.load();
    // The attributes of the windows holding no client that were mapped or
    // unmapped since the last list; those of every one after a change of
    // window manager.
    std::vector<xcb_window_t> asked;
    {
        std::lock_guard reportsLock(reportsMutex_);
        asked.swap(remappedWindows_);
        if (std::exchange(forgetAttributes_, false)) others_.clear();
    }
    std::erase_if(asked, [&](xcb_window_t w) { return !others_.count(w); });  // new ones are asked below
    std::sort(asked.begin(), asked.end());
    asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
    // The root's children, the current desktop and those attributes, in one round trip.
    const auto treeCookie = xcb_query_tree(x.get(), x.root());
    const auto desktopCookie = x.getProperty(x.root(), x.atoms().NET_CURRENT_DESKTOP);
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    attributeCookies.reserve(asked.size());
    for (const auto w : asked) attributeCookies.push_back(xcb_get_window_attributes(x.get(), w));
    const auto clientList = windows.clientList();
    // The last request's replies first: the earlier ones are queued by then.
    auto attributes = xcbReplies(x.get(), attributeCookies, xcb_get_window_attributes_reply);
    const auto current = propertyCardinal(xcbReply(x.get(), xcb_get_property_reply, desktopCookie).get());
    const auto tree = xcbReply(x.get(), xcb_query_tree_reply, treeCookie);
    if (!tree) return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    // Bottom to top in the reply; the list is front to back.
    std::vector<xcb_window_t> stack(children, children + xcb_query_tree_children_length(tree.get()));
    std::reverse(stack.begin(), stack.end());

    const auto clients = windows.read(clientList);
    std::unordered_map<xcb_window_t, const X11WindowInfo*> byFrame;
    for (const auto& c : clients) byFrame[c.frameWindow] = &c;
    std::vector<xcb_window_t> others;
    for (const auto w : stack) {
        if (!byFrame.count(w)) others.push_back(w);
    }
    const auto shown = listedOthers(others, asked, std::move(attributes), since);

    const Rect screen(0, 0, x.screen().width_in_pixels, x.screen().height_in_pixels);
    std::vector<Entry> entries;
    for (const auto w : stack) {
        const X11WindowInfo* info = nullptr;
        bool managed = false;
        if (const auto it = byFrame.find(w); it != byFrame.end()) {
            info = it->second;
            managed = true;
        } else if (const auto p = shown.find(w); p != shown.end()) {
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
        const bool mapped = (info->viewable && !info->state.hidden) || info->isRolledUp();
        e.info.isOnScreen = mapped && onDesktop && e.info.bounds->intersects(screen);
        e.info.space = info->desktop;
        e.desktopElement = info->type == X11WindowType::desktop;
        entries.push_back(std::move(e));
    }
    return entries;
}

std::optional<std::vector<WindowInfo>> X11WindowList::copyWindowInfo(std::uint32_t options, WindowID relativeTo) const {
    const auto listed = entries();
    if (!listed) return std::nullopt;
    const std::vector<Entry>& entries = *listed;
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
