#pragma once
// Collects the event reader's events (from its thread) for tests to wait on.
#include "Platform/X11/X11EventReader.h"
#include "Platform/X11/X11TestTimeout.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace tessaly::test {

class X11EventLog {
public:
    X11EventReader::Handler handler() {
        return [this](const X11Event& event) {
            std::lock_guard lock(mutex_);
            events_.push_back(event);
            changed_.notify_all();
        };
    }
    // Waits until an event recorded since the last clear() matches.
    bool waitFor(const std::function<bool(const X11Event&)>& match,
                 std::chrono::milliseconds timeout = kX11Patience) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            for (const auto& e : events_) {
                if (match(e)) return true;
            }
            return false;
        });
    }
    bool waitFor(X11Event::Kind kind, xcb_window_t window, std::chrono::milliseconds timeout = kX11Patience) {
        return waitFor([&](const X11Event& e) { return e.kind == kind && e.window == window; }, timeout);
    }
    // Waits until a client-list change names `client` among the clients.
    bool waitForClient(xcb_window_t client) {
        return waitFor([client](const X11Event& e) {
            return e.kind == X11Event::Kind::clientListChanged &&
                   std::find(e.clients.begin(), e.clients.end(), client) != e.clients.end();
        });
    }
    void clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }
    std::vector<X11Event> events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<X11Event> events_;
};

}  // namespace tessaly::test
