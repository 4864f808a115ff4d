#pragma once
// What the window server's notification callback reported (from the event
// thread), for tests to wait on and count.
#include "Platform/PrivateWindowServer.h"
#include "Platform/X11/X11TestTimeout.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace tessaly::test {

struct WindowNotifications {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<std::uint32_t, WindowID>> seen;

    static void record(std::uint32_t event, void* data, std::size_t length, void* context, WindowServerConnection) {
        auto* self = static_cast<WindowNotifications*>(context);
        WindowID window = 0;
        if (data && length == sizeof window) std::memcpy(&window, data, sizeof window);
        std::lock_guard lock(self->mutex);
        self->seen.emplace_back(event, window);
        self->changed.notify_all();
    }
    bool waitFor(std::uint32_t event, WindowID window) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kX11Patience, [&] {
            return std::find(seen.begin(), seen.end(), std::make_pair(event, window)) != seen.end();
        });
    }
    std::size_t count(std::uint32_t event, WindowID window) {
        std::lock_guard lock(mutex);
        return static_cast<std::size_t>(std::count(seen.begin(), seen.end(), std::make_pair(event, window)));
    }
    void clear() {
        std::lock_guard lock(mutex);
        seen.clear();
    }
};

}  // namespace tessaly::test
