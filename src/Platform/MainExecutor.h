#pragma once
// The main thread's queue: everything that touches models, sessions and the
// overlay runs here. Work may be posted from any thread; timers are armed
// and cancelled on the main thread.
#include <cstdint>
#include <functional>

namespace tessaly {

using TimerToken = std::uint64_t;  // 0 is never a live timer

class MainExecutor {
public:
    virtual ~MainExecutor() = default;
    // Runs fn on the main thread after what is already queued. Thread-safe.
    virtual void post(std::function<void()> fn) = 0;
    // Runs fn once, `delay` seconds from now (monotonic); `tolerance` lets
    // the executor coalesce it up to that much later.
    virtual TimerToken schedule(double delay, std::function<void()> fn, double tolerance = 0) = 0;
    // Runs fn every `interval` seconds until cancelled.
    virtual TimerToken scheduleRepeating(double interval, std::function<void()> fn, double tolerance = 0) = 0;
    // Cancels a timer; unknown or spent tokens are ignored. A timer may
    // cancel itself from inside its own callback.
    virtual void cancel(TimerToken token) = 0;
};

}  // namespace tessaly
