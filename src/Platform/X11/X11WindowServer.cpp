#include "Platform/X11/X11WindowServer.h"

#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Applications.h"

#include <mutex>
#include <optional>
#include <vector>

namespace tessaly {

namespace {

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

// Applies the orders in the order given, in two round trips whatever their
// number: the frames of every window named, then the restacks. Each answer
// is checked from the last one back, so the first check covers the rest.
// A window of ours (an override-redirect panel) is stacked directly above or
// below the frame holding the other window; with no other window, at the top
// or bottom of everything.
std::vector<WindowServerError> applyOrders(const X11Backend& backend, const std::vector<Order>& orders) {
    const auto& x = backend.connection();
    std::vector<xcb_window_t> named;
    named.reserve(orders.size() * 2);
    for (const auto& o : orders) {
        named.push_back(o.window);
        named.push_back(o.relativeTo);
    }
    const auto frames = backend.windows().frameWindows(named);
    std::vector<WindowServerError> results(orders.size(), kWindowServerSuccess);
    std::vector<std::optional<xcb_void_cookie_t>> cookies(orders.size());
    for (std::size_t i = 0; i < orders.size(); ++i) {
        const auto& o = orders[i];
        const xcb_window_t frame = frames[2 * i];
        const xcb_window_t sibling = frames[2 * i + 1];
        if (o.order == X11WindowServer::orderOut) {
            cookies[i] = xcb_unmap_window_checked(x.get(), o.window);
            continue;
        }
        if (o.order != X11WindowServer::orderAbove && o.order != X11WindowServer::orderBelow) {
            results[i] = kWindowServerIllegalArgument;
            continue;
        }
        const std::uint32_t mode = o.order == X11WindowServer::orderAbove ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW;
        if (frame == kNoWindow) {
            results[i] = kWindowServerFailure;
        } else if (o.relativeTo == kNoWindow) {
            cookies[i] = xcb_configure_window_checked(x.get(), frame, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
        } else if (sibling == kNoWindow || sibling == frame) {
            // Gone, or a window of the same frame: the sibling must be
            // another root child (the client itself answers BadMatch).
            results[i] = kWindowServerFailure;
        } else {
            const std::uint32_t values[] = {sibling, mode};
            cookies[i] = xcb_configure_window_checked(x.get(), frame,
                                                      XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
        }
    }
    for (std::size_t i = orders.size(); i-- > 0;) {
        if (cookies[i] && !x.check(*cookies[i])) results[i] = kWindowServerFailure;
    }
    return results;
}

}  // namespace

AXGetWindowFunction X11WindowServer::axGetWindow() {
    return [backend = backend_](const AXElement& element, WindowID* out) {
        if (!out) return AXError::illegalArgument;
        if (element.isApplication() || (element.id >> 32) != 0) return AXError::illegalArgument;
        const xcb_window_t window = X11Accessibility::windowOf(element);
        // A client the reader watches is answered from memory, as reads of
        // it are; an owner that has exited took its windows along, whether
        // or not the reader has heard so yet.
        if (processHasExited(element.pid)) return AXError::invalidElement;
        const X11WindowCache* cache = backend->windows().cache();
        if (!(cache && cache->watches(window)) && !backend->windows().exists(window)) return AXError::invalidElement;
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
        if (!transaction) return kWindowServerIllegalArgument;
        std::vector<Order> orders;
        {
            std::lock_guard lock(transaction->mutex);
            orders.swap(transaction->orders);
        }
        WindowServerError result = kWindowServerSuccess;
        for (const auto e : applyOrders(*backend, orders)) {
            if (e != kWindowServerSuccess) result = e;
        }
        return result;
    };
    f.orderWindow = [backend](WindowServerConnection, WindowID window, std::int32_t order, WindowID relativeTo) {
        return applyOrders(*backend, {{window, order, relativeTo}}).front();
    };
    f.registerNotifyProc = [notifier = notifier_](WindowServerNotifyProc proc, std::uint32_t event, void* context) {
        return notifier->registerNotifyProc(proc, event, context);
    };
    f.requestNotificationsForWindows = [notifier = notifier_](WindowServerConnection, const WindowID* windows,
                                                              std::int32_t count) {
        return notifier->requestNotificationsForWindows(windows, count);
    };
    f.getWindowBounds = [backend](WindowServerConnection, WindowID window, Rect* out) -> WindowServerError {
        if (!out) return kWindowServerIllegalArgument;
        const auto info = backend->windows().read(window);
        if (!info) return kWindowServerFailure;
        *out = info->frameWindow != info->window ? info->frame : info->clientFrame;
        return kWindowServerSuccess;
    };
    return f;
}

}  // namespace tessaly
