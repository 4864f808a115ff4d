#pragma once
// The main loop of a program without a toolkit: the thread that calls run()
// is the main thread until stop(). Work may be posted from any thread; timers
// run on the monotonic clock, and a timer's tolerance lets the loop fire it
// late, together with others, to wake less often.
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/TimerQueue.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace tessaly {

class EventLoop final : public MainExecutor {
public:
    // Work still queued when the loop dies is dropped without running.
    EventLoop() = default;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    // MainExecutor; all thread-safe.
    void post(std::function<void()> fn) override;
    Subscription schedule(double delay, std::function<void()> fn, double tolerance = 0) override;
    Subscription scheduleRepeating(double interval, std::function<void()> fn, double tolerance = 0) override;

    // Runs posted work and timers on the calling thread until stop(). Each
    // turn runs the work posted before it began, then the timers that are
    // due; so a stream of posts cannot starve the timers.
    void run();
    // Makes run() return once the work or timer running now is done.
    // Thread-safe; a stop() before run() makes the next run() return at once.
    void stop();
    bool isRunning() const;

    std::size_t pendingTimerCount() const;

private:
    static double monotonicNow();
    // Adds a timer through `add` (given the current monotonic reading) under
    // the lock, then wakes the loop.
    template <typename Add>
    TimerToken arm(Add add);
    void runPosted();
    void runDueTimers();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> posted_;
    TimerQueue timers_;
    bool stopRequested_ = false;
    bool running_ = false;
    void cancel(TimerToken token);
    // The handle of a timer: it cancels through this executor while it lives.
    Subscription handleFor(TimerToken token);

    LifetimeToken lifetime_;  // last, so handles stop reaching in first
};

}  // namespace tessaly
