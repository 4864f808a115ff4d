#pragma once
// The main thread's queue: everything that touches models, sessions and the
// overlay runs here. Work may be posted from any thread; timers are armed
// and cancelled on the main thread.
#include "Platform/Subscription.h"

#include <cstdint>
#include <functional>

namespace tessaly {

using TimerToken = std::uint64_t;  // an executor's own name for a timer; 0 is never a live one

class MainExecutor {
public:
    virtual ~MainExecutor() = default;
    // Runs fn on the main thread after what is already queued. Thread-safe.
    virtual void post(std::function<void()> fn) = 0;
    // Runs fn once, `delay` seconds from now (monotonic); `tolerance` lets
    // the executor coalesce it up to that much later. The timer lives as long
    // as the handle; dropping the handle cancels it, also from inside the
    // timer's own callback.
    virtual Subscription schedule(double delay, std::function<void()> fn, double tolerance = 0) = 0;
    // Runs fn every `interval` seconds while the handle lives.
    virtual Subscription scheduleRepeating(double interval, std::function<void()> fn, double tolerance = 0) = 0;
    // Runs fn once, `delay` seconds from now, with nobody able to cancel it.
    void postAfter(double delay, std::function<void()> fn, double tolerance = 0) {
        schedule(delay, std::move(fn), tolerance).detach();
    }
};

}  // namespace tessaly
