#include "OverlayUI/Qt/BarMoveFilter.h"

#include <QCoreApplication>

#include <cstring>

#include "Platform/Geometry.h"
#include "Platform/Qt/QtX11Connection.h"
#include "Platform/X11/X11Connection.h"

namespace tessaly {

namespace {

// Where the server has each window now (none for one that is gone), in one round trip.
std::vector<std::optional<Rect>> serverGeometries(xcb_connection_t* c, const std::vector<std::uint32_t>& windows) {
    const auto replies = xcbPipeline(
        c, windows, [c](std::uint32_t w) { return xcb_get_geometry(c, w); }, xcb_get_geometry_reply);
    std::vector<std::optional<Rect>> geometries;
    for (const auto& r : replies) {
        geometries.push_back(r ? std::optional(Rect(r->x, r->y, r->width, r->height)) : std::nullopt);
    }
    return geometries;
}

}  // namespace

BarMoveFilter::BarMoveFilter() {
    rest_.setSingleShot(true);
    rest_.setInterval(kRestMilliseconds);
    QObject::connect(&rest_, &QTimer::timeout, [this] { tellQt(); });
    if (QCoreApplication::instance() && QtX11Connection::isAvailable()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        installed_ = true;
    }
}

BarMoveFilter::~BarMoveFilter() {
    if (installed_ && QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

void BarMoveFilter::watch(std::uint32_t window) {
    if (installed_ && window != 0) windows_.try_emplace(window);
}

void BarMoveFilter::unwatch(std::uint32_t window) { windows_.erase(window); }

bool BarMoveFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (windows_.empty() || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY) return false;
    const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
    const auto watched = windows_.find(configure->window);
    if (watched == windows_.end() || configure->event != configure->window) return false;
    Watched& w = watched->second;
    const std::pair size{configure->width, configure->height};
    // A synthetic report (ours among them) costs Qt no round trip for the
    // position; a new size Qt must see.
    const bool synthetic = (event->response_type & 0x80) != 0;
    if (w.told && synthetic && w.told->x == configure->x && w.told->y == configure->y &&
        w.told->width == configure->width && w.told->height == configure->height) {
        // Ours, back: a report the server made since it was sent stands.
        const bool stale = w.overtaken;
        w.told.reset();
        if (stale) return true;
    } else if (w.told && !synthetic) {
        w.overtaken = true;
    }
    if (synthetic || w.size != size) {
        if (restackAfterResize_ && !synthetic && w.size) {
            resized_.insert(configure->window);
            rest_.start();
        }
        w.size = size;
        w.untold.reset();
        return false;
    }
    w.untold = *configure;
    rest_.start();  // again: Qt is told once the bars rest
    return true;
}

void BarMoveFilter::tellQt() {
    xcb_connection_t* c = QtX11Connection::get();
    if (!c) return;
    restackResized(c);
    std::vector<std::uint32_t> untold;
    for (const auto& [window, w] : windows_) {
        if (w.untold) untold.push_back(window);
    }
    if (untold.empty()) return;
    // Where the server has each window now, not where the kept report put
    // it: Qt drops a window's report when a later one of it is queued, so a
    // resize still queued when this is sent would be lost to Qt behind a
    // report of the old size. The bars move on another thread too: once
    // sent, the windows are asked again, and those that went elsewhere
    // meanwhile are told again.
    std::vector<std::optional<Rect>> at = serverGeometries(c, untold);
    for (int attempt = 0; attempt < kTellAttempts && !untold.empty(); ++attempt) {
        for (std::size_t i = 0; i < untold.size(); ++i) {
            if (at[i]) tell(c, untold[i], *at[i]);
        }
        const std::vector<std::optional<Rect>> after = serverGeometries(c, untold);
        std::vector<std::uint32_t> moved;
        std::vector<std::optional<Rect>> movedTo;
        for (std::size_t i = 0; i < untold.size(); ++i) {
            if (at[i] && after[i] && !(*after[i] == *at[i])) {
                moved.push_back(untold[i]);
                movedTo.push_back(after[i]);
            }
        }
        untold = std::move(moved);
        at = std::move(movedTo);
    }
    for (auto& [window, w] : windows_) w.untold.reset();
    xcb_flush(c);
}

void BarMoveFilter::restackResized(xcb_connection_t* c) {
    if (resized_.empty()) return;
    // The window under each one as the server stacks it now: the last report
    // Qt's connection read may be older than an ordering made on another
    // connection, and a restack around that sibling would undo it.
    const auto tree = xcbReply(c, xcb_query_tree_reply, xcb_query_tree(c, QtX11Connection::root()));
    std::unordered_map<std::uint32_t, xcb_window_t> under;
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        for (int i = 1; i < count; ++i) {
            if (resized_.contains(children[i])) under[children[i]] = children[i - 1];
        }
    }
    for (const auto& [window, sibling] : under) {
        if (!windows_.contains(window)) continue;
        if (onRestacking) onRestacking(window);
        // Two changes, so that each is reported: a window put where it
        // stands is not.
        for (const std::uint32_t mode : {XCB_STACK_MODE_BELOW, XCB_STACK_MODE_ABOVE}) {
            const std::uint32_t values[] = {sibling, mode};
            xcb_configure_window(c, window, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
        }
    }
    xcb_flush(c);
    resized_.clear();
}

void BarMoveFilter::tell(xcb_connection_t* c, std::uint32_t window, const Rect& at) {
    Watched& w = windows_.at(window);
    xcb_configure_notify_event_t report = *w.untold;
    report.response_type = XCB_CONFIGURE_NOTIFY;
    report.x = static_cast<std::int16_t>(at.minX());
    report.y = static_cast<std::int16_t>(at.minY());
    report.width = static_cast<std::uint16_t>(at.width());
    report.height = static_cast<std::uint16_t>(at.height());
    // Events go out as 32 bytes.
    char bytes[32] = {};
    std::memcpy(bytes, &report, sizeof report);
    xcb_send_event(c, 0, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY, bytes);
    w.told = report;
    w.overtaken = false;
}

}  // namespace tessaly
