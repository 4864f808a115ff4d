#pragma once
// Observers told on the main executor that something happened, on any
// thread: one telling for however many happenings come before it runs.
// Owned through a shared pointer, so that a telling still queued can outlive
// the owner.
#include "Platform/MainExecutor.h"
#include "Platform/ObserverList.h"
#include "Platform/Subscription.h"

#include <atomic>
#include <functional>
#include <memory>

namespace tessaly {

class CoalescedNotice {
public:
    // Main thread only.
    Subscription add(std::function<void()> handler) { return observers_.add(std::move(handler)); }

    // Any thread: tells the observers on `main` unless a telling is on its way.
    static void post(const std::shared_ptr<CoalescedNotice>& notice, MainExecutor& main) {
        if (notice->posted_.exchange(true)) return;
        main.post([notice] {
            notice->posted_ = false;
            notice->observers_.notify();
        });
    }

private:
    ObserverList observers_;
    std::atomic<bool> posted_{false};
};

}  // namespace tessaly
