#pragma once
// Tells the main thread when the window server restacks a window we keep a
// panel next to (the window manager raising a group's window over its bar,
// say), through the private "window reordered" notification. Reports arrive
// on the window server's thread and are handed to the main executor; once
// the watcher is gone none is delivered.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>

#include "Platform/MainExecutor.h"
#include "Platform/Types.h"
#include "PrivateAPIs/SkyLight.h"

namespace tessaly {

class WindowRestackWatcher {
public:
    using Handler = std::function<void(WindowID)>;

    // Registers for the notification at once; `onRestacked` runs on the main
    // thread with the restacked window's number.
    WindowRestackWatcher(std::shared_ptr<const SkyLight> skyLight, std::shared_ptr<MainExecutor> mainExecutor,
                         Handler onRestacked);
    ~WindowRestackWatcher();
    WindowRestackWatcher(const WindowRestackWatcher&) = delete;
    WindowRestackWatcher& operator=(const WindowRestackWatcher&) = delete;

    // Whether the window server accepted the registration.
    bool isAvailable() const { return registered_; }
    // Asks for reports on a window; a window asked about before is not asked again.
    void watch(WindowID window);
    bool isWatching(WindowID window) const { return watched_.contains(window); }

    // The notification code listened for.
    static constexpr std::uint32_t windowReorderedEvent = SkyLight::Event::windowReordered;

    // Where reports go; internal to the watcher.
    struct Target;

private:
    std::shared_ptr<const SkyLight> skyLight_;
    std::shared_ptr<Target> target_;
    std::uintptr_t key_ = 0;
    bool registered_ = false;
    std::set<WindowID> watched_;
};

}  // namespace tessaly
