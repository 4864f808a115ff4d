#include "Platform/X11/X11InputMonitor.h"

#include "Platform/X11/X11EventThread.h"

#include <xcb/xinput.h>

#include <mutex>

namespace tessaly {

namespace {

constexpr std::uint32_t kLeftButton = 1;

class X11MouseTap final : public MouseTap {
public:
    X11MouseTap(std::unique_ptr<X11Connection> connection, std::uint8_t opcode, X11ModifierMasks masks)
        : x_(std::move(connection)), opcode_(opcode), masks_(masks) {}
    ~X11MouseTap() override { invalidate(); }

    void start(std::shared_ptr<DispatchQueue> thread, Handler handler) override {
        std::lock_guard lock(mutex_);
        if (invalid_ || thread_.isRunning()) return;
        queue_ = std::move(thread);
        handler_ = std::move(handler);
        struct {
            xcb_input_event_mask_t head;
            std::uint32_t mask;
        } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
                    XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE |
                        XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
        xcb_input_xi_select_events(x_->get(), x_->root(), 1, &selection.head);
        x_->sync();  // selected before start() returns
        thread_.start(*x_, [this](const xcb_generic_event_t& event) { handle(event); });
    }

    void enable() override {}  // X never switches the listener off

    void invalidate() override {
        {
            std::lock_guard lock(mutex_);
            invalid_ = true;
            handler_ = nullptr;
            queue_.reset();
        }
        // Outside the lock: the thread may be waiting for it to queue an event.
        std::lock_guard stopping(stopMutex_);
        thread_.stop();
    }

private:
    void handle(const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) != XCB_GE_GENERIC) return;
        const auto& generic = *reinterpret_cast<const xcb_ge_generic_event_t*>(&event);
        if (generic.extension != opcode_) return;
        MouseTapEventType type = MouseTapEventType::other;
        switch (generic.event_type) {
        case XCB_INPUT_RAW_BUTTON_PRESS:
        case XCB_INPUT_RAW_BUTTON_RELEASE: {
            const auto& raw = *reinterpret_cast<const xcb_input_raw_button_press_event_t*>(&event);
            if (raw.detail != kLeftButton) return;
            const bool press = generic.event_type == XCB_INPUT_RAW_BUTTON_PRESS;
            leftDown_ = press;
            type = press ? MouseTapEventType::leftMouseDown : MouseTapEventType::leftMouseUp;
            break;
        }
        case XCB_INPUT_RAW_MOTION:
            if (!leftDown_) return;
            type = MouseTapEventType::leftMouseDragged;
            break;
        default: return;
        }
        MouseTapEvent out;
        out.type = type;
        if (auto pointer = xcbReply(x_->get(), xcb_query_pointer_reply, xcb_query_pointer(x_->get(), x_->root()))) {
            out.location = Point{static_cast<double>(pointer->root_x), static_cast<double>(pointer->root_y)};
            out.flags = masks_.eventFlags(pointer->mask);
        }
        std::lock_guard lock(mutex_);
        if (invalid_ || !queue_ || !handler_) return;
        queue_->async([handler = handler_, out] { handler(out); });
    }

    std::unique_ptr<X11Connection> x_;
    const std::uint8_t opcode_;
    const X11ModifierMasks masks_;
    bool leftDown_ = false;  // tap thread only

    std::mutex mutex_;
    bool invalid_ = false;
    std::shared_ptr<DispatchQueue> queue_;
    Handler handler_;
    std::mutex stopMutex_;  // invalidate() may come from several threads
    X11EventThread thread_;
};

}  // namespace

X11InputMonitor::X11InputMonitor(std::shared_ptr<X11Backend> backend)
    : backend_(std::move(backend)), masks_(X11ModifierMasks::read(backend_->connection())) {}

std::unique_ptr<MouseTap> X11InputMonitor::makeMouseTap() {
    auto connection = X11Connection::open(backend_->display());
    if (!connection) return nullptr;
    xcb_connection_t* c = connection->get();
    const auto* ext = xcb_get_extension_data(c, &xcb_input_id);
    if (!ext || !ext->present) return nullptr;
    auto version = xcbReply(c, xcb_input_xi_query_version_reply, xcb_input_xi_query_version(c, 2, 2));
    if (!version || version->major_version < 2) return nullptr;
    const auto masks = X11ModifierMasks::read(*connection);
    return std::make_unique<X11MouseTap>(std::move(connection), ext->major_opcode, masks);
}

XReply<xcb_query_pointer_reply_t> X11InputMonitor::queryPointer() const {
    const auto& x = backend_->connection();
    return xcbReply(x.get(), xcb_query_pointer_reply, xcb_query_pointer(x.get(), x.root()));
}

bool X11InputMonitor::isLeftButtonDown() const {
    const auto pointer = queryPointer();
    return pointer && (pointer->mask & XCB_BUTTON_MASK_1);
}

EventFlags X11InputMonitor::modifierFlags() const {
    const auto pointer = queryPointer();
    return pointer ? masks_.eventFlags(pointer->mask) : 0;
}

Point X11InputMonitor::pointerLocation() const {
    const auto pointer = queryPointer();
    if (!pointer) return Point{};
    return Point{static_cast<double>(pointer->root_x), static_cast<double>(pointer->root_y)};
}

}  // namespace tessaly
