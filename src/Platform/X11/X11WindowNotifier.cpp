#include "Platform/X11/X11WindowNotifier.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr WindowServerError kSuccess = 0;
constexpr WindowServerError kFailure = 1000;
constexpr WindowServerError kIllegalArgument = 1001;

}  // namespace

X11WindowNotifier::~X11WindowNotifier() {
    std::lock_guard lock(subscribeMutex_);
    subscription_.cancel();
}

bool X11WindowNotifier::subscribe() {
    if (subscribed_) return true;  // without the lock: a callback may call in here
    std::lock_guard lock(subscribeMutex_);
    if (!subscription_) subscription_ = backend_->subscribe([this](const X11Event& event) { handle(event); });
    subscribed_ = subscription_.isActive();
    return subscribed_;
}

WindowServerError X11WindowNotifier::registerNotifyProc(WindowServerNotifyProc proc, std::uint32_t event,
                                                        void* context) {
    if (!proc || (event != windowReordered && event != windowDestroyed)) return kIllegalArgument;
    if (!subscribe()) return kFailure;
    std::lock_guard lock(mutex_);
    registrations_.push_back({proc, event, context});
    return kSuccess;
}

WindowServerError X11WindowNotifier::requestNotificationsForWindows(const WindowID* windows, std::int32_t count) {
    if (count < 0 || (count > 0 && !windows)) return kIllegalArgument;
    // Listening before the stacking is read, so that no restack after the
    // read goes unseen.
    if (!subscribe()) return kFailure;
    const std::vector<xcb_window_t> asked(windows, windows + count);
    const auto& x = backend_->connection();
    auto tree = xcbReply(x.get(), xcb_query_tree_reply, xcb_query_tree(x.get(), x.root()));
    if (!tree) return kFailure;
    const auto* kids = xcb_query_tree_children(tree.get());
    const std::vector<xcb_window_t> stack(kids, kids + xcb_query_tree_children_length(tree.get()));
    const auto frames = backend_->windows().frameWindows(asked);
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < asked.size(); ++i) {
        const auto at = std::find(stack.begin(), stack.end(), frames[i]);
        if (frames[i] == kNoWindow || at == stack.end()) continue;  // gone
        below_[asked[i]] = at == stack.begin() ? kNoWindow : *(at - 1);
    }
    return kSuccess;
}

void X11WindowNotifier::handle(const X11Event& event) {
    const bool configured = event.rootChild && (event.kind == X11Event::Kind::frameChanged ||
                                                event.kind == X11Event::Kind::rootChildConfigured);
    if (!configured && event.kind != X11Event::Kind::destroyed) return;
    {
        std::lock_guard lock(mutex_);
        const auto it = below_.find(event.window);
        if (it == below_.end()) return;
        if (event.kind == X11Event::Kind::destroyed) {
            below_.erase(it);
        } else {
            if (it->second == event.aboveSibling) return;  // moved or resized in place
            it->second = event.aboveSibling;
        }
    }
    send(event.kind == X11Event::Kind::destroyed ? windowDestroyed : windowReordered, event.window);
}

void X11WindowNotifier::send(std::uint32_t code, WindowID window) {
    std::vector<Registration> chosen;
    {
        std::lock_guard lock(mutex_);
        for (const auto& r : registrations_) {
            if (r.event == code) chosen.push_back(r);
        }
    }
    // Outside the lock: a callback may ask for more windows.
    for (const auto& r : chosen) {
        WindowID data = window;
        r.proc(code, &data, sizeof data, r.context, WindowServerConnection{1});
    }
}

}  // namespace tessaly
