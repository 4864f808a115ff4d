#include "Platform/X11/X11WindowNotifier.h"

#include <algorithm>
#include <utility>

namespace tessaly {

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
    if (!proc || (event != windowReordered && event != windowDestroyed)) return kWindowServerIllegalArgument;
    if (!subscribe()) return kWindowServerFailure;
    std::lock_guard lock(mutex_);
    registrations_.push_back({proc, event, context});
    return kWindowServerSuccess;
}

WindowServerError X11WindowNotifier::requestNotificationsForWindows(const WindowID* windows, std::int32_t count) {
    if (count < 0 || (count > 0 && !windows)) return kWindowServerIllegalArgument;
    // Listening before the windows are looked at, so that no restack after
    // the look goes unseen.
    if (!subscribe()) return kWindowServerFailure;
    const std::vector<xcb_window_t> asked(windows, windows + count);
    // A window destroyed meanwhile is dropped again once its end is read.
    const auto frames = backend_->windows().knownFrameWindows(asked);
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < asked.size(); ++i) {
        if (frames[i] != kNoWindow) watched_.insert(asked[i]);  // else gone
    }
    return kWindowServerSuccess;
}

void X11WindowNotifier::handle(const X11Event& event) {
    using Kind = X11Event::Kind;
    std::vector<std::pair<std::uint32_t, WindowID>> reports;
    {
        std::lock_guard lock(mutex_);
        const auto watched = [&](xcb_window_t w) { return w != kNoWindow && watched_.count(w) != 0; };
        switch (event.kind) {
        case Kind::destroyed:
            if (watched_.erase(event.window)) reports.emplace_back(windowDestroyed, event.window);
            break;
        case Kind::reparented:
            if (watched(event.window)) reports.emplace_back(windowReordered, event.window);
            break;
        case Kind::frameChanged:
        case Kind::rootChildConfigured: {
            if (!event.rootChild || !event.restacked) break;
            const auto report = [&](xcb_window_t w) {
                const auto entry = std::make_pair(windowReordered, WindowID{w});
                if (std::find(reports.begin(), reports.end(), entry) == reports.end()) reports.push_back(entry);
            };
            if (watched(event.window)) report(event.window);
            // Another frame put directly above a watched one, as some window
            // managers do instead of restacking the watched frame itself.
            if (!event.overrideRedirect && watched(event.below)) report(event.below);
            // A window that stood directly above a watched one went
            // elsewhere (some window managers restack panels too).
            if (watched(event.uncovered)) report(event.uncovered);
            break;
        }
        default: break;
        }
    }
    for (const auto& [code, window] : reports) send(code, window);
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
