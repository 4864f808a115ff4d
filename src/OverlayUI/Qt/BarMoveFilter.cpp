#include "OverlayUI/Qt/BarMoveFilter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

#include <cstring>

#include "Platform/Qt/QtX11Connection.h"

namespace tessaly {

namespace {

// The size Qt gave the window last, in X pixels.
std::optional<std::pair<std::uint16_t, std::uint16_t>> sizeQtKnows(std::uint32_t window) {
    for (QWindow* w : QGuiApplication::allWindows()) {
        if (!w->handle() || w->winId() != window) continue;
        const QSize size = w->geometry().size() * w->devicePixelRatio();
        if (size.width() <= 0 || size.height() <= 0 || size.width() > 0xffff || size.height() > 0xffff) break;
        return std::pair{static_cast<std::uint16_t>(size.width()), static_cast<std::uint16_t>(size.height())};
    }
    return std::nullopt;
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

void BarMoveFilter::restNow() {
    rest_.stop();
    tellQt();
}

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
    for (auto& [window, w] : windows_) {
        if (!w.untold) continue;
        // Where the window went, at the size Qt gave it: Qt may have resized
        // it since the report was kept (its own report of that size is on
        // its way), and Qt takes a synthetic report as it stands.
        const auto size = sizeQtKnows(window);
        if (!size) {
            w.untold.reset();
            continue;
        }
        w.untold->width = size->first;
        w.untold->height = size->second;
        // Events go out as 32 bytes.
        char bytes[32] = {};
        w.untold->response_type = XCB_CONFIGURE_NOTIFY;
        std::memcpy(bytes, &*w.untold, sizeof(xcb_configure_notify_event_t));
        xcb_send_event(c, 0, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY, bytes);
        w.told = w.untold;
        w.overtaken = false;
        w.untold.reset();
    }
    xcb_flush(c);
}

}  // namespace tessaly
