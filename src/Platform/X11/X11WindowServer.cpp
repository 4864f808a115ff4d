#include "Platform/X11/X11WindowServer.h"

#include "Platform/X11/X11Accessibility.h"

#include <mutex>
#include <vector>

namespace tessaly {

namespace {

constexpr WindowServerError kSuccess = 0;
constexpr WindowServerError kFailure = 1000;  // the window server's generic failure
constexpr WindowServerError kIllegalArgument = 1001;

struct Order {
    WindowID window = 0;
    std::int32_t order = 0;
    WindowID relativeTo = 0;
};

class X11Transaction final : public WindowServerTransaction {
public:
    std::mutex mutex;
    std::vector<Order> orders;
};

WindowServerError applyOrder(const X11Backend& backend, const Order& o) {
    const auto& windows = backend.windows();
    if (o.order == X11WindowServer::orderOut) {
        return backend.connection().check(xcb_unmap_window_checked(backend.connection().get(), o.window)) ? kSuccess
                                                                                                         : kFailure;
    }
    if (o.order != X11WindowServer::orderAbove && o.order != X11WindowServer::orderBelow) return kIllegalArgument;
    return windows.stackRelative(o.window, o.order == X11WindowServer::orderAbove, o.relativeTo) ? kSuccess : kFailure;
}

}  // namespace

AXGetWindowFunction X11WindowServer::axGetWindow() {
    return [backend = backend_](const AXElement& element, WindowID* out) {
        if (!out) return AXError::illegalArgument;
        if (element.isApplication() || (element.id >> 32) != 0) return AXError::illegalArgument;
        const xcb_window_t window = X11Accessibility::windowOf(element);
        if (!backend->windows().exists(window)) return AXError::invalidElement;
        *out = window;
        return AXError::success;
    };
}

std::optional<WindowServerFunctions> X11WindowServer::openWindowServer() {
    if (!backend_->connection().isAlive()) return std::nullopt;
    WindowServerFunctions f;
    std::shared_ptr<X11Backend> backend = backend_;
    f.mainConnectionID = [] { return WindowServerConnection{1}; };
    f.transactionCreate = [](WindowServerConnection) -> TransactionRef { return std::make_shared<X11Transaction>(); };
    f.transactionOrderWindow = [](const TransactionRef& t, WindowID window, std::int32_t order, WindowID relativeTo) {
        auto* transaction = dynamic_cast<X11Transaction*>(t.get());
        if (!transaction) return;
        std::lock_guard lock(transaction->mutex);
        transaction->orders.push_back({window, order, relativeTo});
    };
    f.transactionCommit = [backend](const TransactionRef& t, std::int32_t) -> WindowServerError {
        auto* transaction = dynamic_cast<X11Transaction*>(t.get());
        if (!transaction) return kIllegalArgument;
        std::vector<Order> orders;
        {
            std::lock_guard lock(transaction->mutex);
            orders.swap(transaction->orders);
        }
        WindowServerError result = kSuccess;
        for (const auto& o : orders) {
            if (const auto e = applyOrder(*backend, o); e != kSuccess) result = e;
        }
        return result;
    };
    f.orderWindow = [backend](WindowServerConnection, WindowID window, std::int32_t order, WindowID relativeTo) {
        return applyOrder(*backend, {window, order, relativeTo});
    };
    f.registerNotifyProc = [notifier = notifier_](WindowServerNotifyProc proc, std::uint32_t event, void* context) {
        return notifier->registerNotifyProc(proc, event, context);
    };
    f.requestNotificationsForWindows = [notifier = notifier_](WindowServerConnection, const WindowID* windows,
                                                              std::int32_t count) {
        return notifier->requestNotificationsForWindows(windows, count);
    };
    f.getWindowBounds = [backend](WindowServerConnection, WindowID window, Rect* out) -> WindowServerError {
        if (!out) return kIllegalArgument;
        const auto info = backend->windows().read(window);
        if (!info) return kFailure;
        *out = info->frameWindow != info->window ? info->frame : info->clientFrame;
        return kSuccess;
    };
    return f;
}

}  // namespace tessaly
