#include "Platform/X11/X11FrameWatch.h"

namespace tessaly {

X11FrameWatch::X11FrameWatch(std::string display, Handler handler)
    : display_(std::move(display)), handler_(std::move(handler)) {
    thread_.start([this] { return connect(); }, [this](const xcb_generic_event_t& e) { handle(e); });
}

X11FrameWatch::~X11FrameWatch() { thread_.stop(); }

const X11Connection* X11FrameWatch::connect() {
    auto connection = X11Connection::open(display_);
    std::lock_guard lock(mutex_);
    if (!connection) return nullptr;
    x_ = std::move(connection);
    for (const xcb_window_t window : watched_) select(window);
    x_->flush();
    return x_.get();
}

void X11FrameWatch::watch(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    if (!watched_.insert(window).second || !x_) return;
    select(window);
    x_->flush();
}

void X11FrameWatch::select(xcb_window_t window) {
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x_->get(), window, XCB_CW_EVENT_MASK, &mask);
}

void X11FrameWatch::handle(const xcb_generic_event_t& event) {
    Report report;
    const auto type = event.response_type & 0x7f;
    switch (type) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        report.window = e.window;
        report.geometry = Rect(e.x, e.y, e.width + 2.0 * e.border_width, e.height + 2.0 * e.border_width);
        break;
    }
    case XCB_DESTROY_NOTIFY:
        report.window = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
        report.gone = true;
        break;
    case XCB_REPARENT_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (e.event != e.window) return;
        report.window = e.window;
        report.gone = true;
        break;
    }
    default: return;  // maps, errors about windows already gone
    }
    {
        std::lock_guard lock(mutex_);
        if (!watched_.contains(report.window)) return;
        if (report.gone) {
            watched_.erase(report.window);
            if (x_ && type == XCB_REPARENT_NOTIFY) {
                const std::uint32_t none = 0;
                xcb_change_window_attributes(x_->get(), report.window, XCB_CW_EVENT_MASK, &none);
                x_->flush();
            }
        }
    }
    handler_(report);
}

}  // namespace tessaly
