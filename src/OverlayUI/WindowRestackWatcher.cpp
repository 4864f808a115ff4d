#include "OverlayUI/WindowRestackWatcher.h"

#include <cstring>
#include <map>
#include <mutex>

namespace tessaly {

// What a report reaches: the main executor and the handler, which runs
// there only.
struct WindowRestackWatcher::Target {
    std::shared_ptr<MainExecutor> mainExecutor;
    Handler onRestacked;
};

namespace {

// The window server keeps a registration for the life of the process, with
// no way to take it back, so its context is a key into this table rather
// than a pointer: a report for a watcher that is gone finds nothing.
struct Registry {
    std::mutex mutex;
    std::uintptr_t nextKey = 1;
    std::map<std::uintptr_t, std::weak_ptr<WindowRestackWatcher::Target>> targets;

    static Registry& shared() {
        static Registry registry;
        return registry;
    }
};

void receive(std::uint32_t, void* data, std::size_t length, void* context, WindowServerConnection) {
    if (!data || length < sizeof(WindowID)) return;
    WindowID window = 0;
    std::memcpy(&window, data, sizeof window);
    std::weak_ptr<WindowRestackWatcher::Target> weak;
    {
        Registry& registry = Registry::shared();
        std::lock_guard lock(registry.mutex);
        const auto it = registry.targets.find(reinterpret_cast<std::uintptr_t>(context));
        if (it == registry.targets.end()) return;
        weak = it->second;
    }
    const auto target = weak.lock();
    if (!target || !target->mainExecutor) return;
    target->mainExecutor->post([weak, window] {
        // The target is dropped on the main thread only, so it cannot go
        // while this runs.
        if (const auto live = weak.lock(); live && live->onRestacked) live->onRestacked(window);
    });
}

}  // namespace

WindowRestackWatcher::WindowRestackWatcher(std::shared_ptr<const SkyLight> skyLight,
                                           std::shared_ptr<MainExecutor> mainExecutor, Handler onRestacked)
    : skyLight_(std::move(skyLight)),
      target_(std::make_shared<Target>(Target{std::move(mainExecutor), std::move(onRestacked)})) {
    const WindowServerFunctions* f = skyLight_ ? skyLight_->functions() : nullptr;
    if (!f || !f->registerNotifyProc || !f->requestNotificationsForWindows || !target_->mainExecutor) return;
    {
        Registry& registry = Registry::shared();
        std::lock_guard lock(registry.mutex);
        key_ = registry.nextKey++;
        registry.targets[key_] = target_;
    }
    registered_ = f->registerNotifyProc(&receive, windowReorderedEvent, reinterpret_cast<void*>(key_)) == 0;
}

WindowRestackWatcher::~WindowRestackWatcher() {
    if (key_ == 0) return;
    Registry& registry = Registry::shared();
    std::lock_guard lock(registry.mutex);
    registry.targets.erase(key_);
}

void WindowRestackWatcher::watch(WindowID window) {
    if (!registered_ || window == 0 || watched_.contains(window)) return;
    const WindowServerFunctions* f = skyLight_->functions();
    const WindowServerConnection connection = f->mainConnectionID ? f->mainConnectionID() : 0;
    if (f->requestNotificationsForWindows(connection, &window, 1) == 0) watched_.insert(window);
}

}  // namespace tessaly
