#include "Platform/X11/X11InputMonitor.h"

#include "Platform/X11/X11EventThread.h"
#include "Platform/X11/X11RawInput.h"

#include <xcb/xinput.h>

#include <mutex>

namespace tessaly {

namespace {

constexpr std::uint32_t kLeftButton = 1;

class X11MouseTap final : public MouseTap {
public:
    X11MouseTap(X11RawInput input, X11ModifierMasks masks, std::shared_ptr<X11ButtonState> tapped)
        : input_(std::move(input)), x_(input_.connection.get()), masks_(masks), tapped_(std::move(tapped)) {}
    ~X11MouseTap() override { invalidate(); }

    void start(std::shared_ptr<DispatchQueue> thread, Handler handler) override {
        std::lock_guard lock(mutex_);
        if (invalid_ || thread_.isRunning()) return;
        queue_ = std::move(thread);
        handler_ = std::move(handler);
        input_.select();  // selected before start() returns
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
        tapped_->setLeft(ButtonState::unknown);
    }

private:
    void handle(const xcb_generic_event_t& event) {
        std::uint32_t button = 0;
        const int raw = input_.rawType(event, &button);
        MouseTapEventType type = MouseTapEventType::other;
        switch (raw) {
        case XCB_INPUT_RAW_BUTTON_PRESS:
        case XCB_INPUT_RAW_BUTTON_RELEASE: {
            if (button != kLeftButton) return;
            const bool press = raw == XCB_INPUT_RAW_BUTTON_PRESS;
            leftDown_ = press;
            tapped_->setLeft(press ? ButtonState::down : ButtonState::up);
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

    X11RawInput input_;
    X11Connection* const x_;  // input_'s
    const X11ModifierMasks masks_;
    const std::shared_ptr<X11ButtonState> tapped_;
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
    auto input = X11RawInput::open(*backend_, false);
    if (!input) return nullptr;
    const auto masks = X11ModifierMasks::read(*input->connection);
    return std::make_unique<X11MouseTap>(std::move(*input), masks, tapped_);
}

XReply<xcb_query_pointer_reply_t> X11InputMonitor::queryPointer() const {
    const auto& x = backend_->connection();
    return xcbReply(x.get(), xcb_query_pointer_reply, xcb_query_pointer(x.get(), x.root()));
}

ButtonState X11InputMonitor::leftButtonState() const {
    const ButtonState read = backend_->buttons().left();
    const ButtonState tapped = tapped_->left();
    // The tap reads a connection of its own: where it saw otherwise, one of
    // the two has not caught up yet (a drag the tap started must not look
    // released because the reader lags), and the server decides.
    if (read != ButtonState::unknown && (tapped == ButtonState::unknown || tapped == read)) return read;
    ++buttonQueries_;
    const auto pointer = queryPointer();
    if (!pointer) return ButtonState::unknown;
    return (pointer->mask & XCB_BUTTON_MASK_1) ? ButtonState::down : ButtonState::up;
}

bool X11InputMonitor::isLeftButtonDown() const { return leftButtonState() == ButtonState::down; }

EventFlags X11InputMonitor::modifierFlags() const {
    const auto pointer = queryPointer();
    return pointer ? masks_.eventFlags(pointer->mask) : 0;
}

Point X11InputMonitor::pointerLocation() const {
    const auto pointer = queryPointer();
    if (!pointer) return Point{};
    return Point{static_cast<double>(pointer->root_x), static_cast<double>(pointer->root_y)};
}

InputMonitor::PointerState X11InputMonitor::pointerState() const {
    const auto pointer = queryPointer();
    if (!pointer) return {};
    return {Point{static_cast<double>(pointer->root_x), static_cast<double>(pointer->root_y)},
            masks_.eventFlags(pointer->mask), (pointer->mask & XCB_BUTTON_MASK_1) != 0};
}

}  // namespace tessaly
