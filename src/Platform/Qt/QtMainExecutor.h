#pragma once
// The main thread's queue when Qt owns the main loop: posted work and timers
// run on the thread of the QCoreApplication, inside its event loop (also
// inside nested loops such as a modal dialog's).
//
// Guarantees, as for the other executors:
// - post() is thread-safe; work runs in posting order. Each turn runs the
//   work posted before the turn began, so a stream of posts cannot starve
//   timers or input.
// - Timers never fire early; a tolerance lets one wait for a later timer so
//   that both run on one wake-up. Due timers run in due order, then in
//   scheduling order. A repeating timer re-arms from its due time.
// - The returned handle cancels; cancelling from inside the timer's own
//   callback works, and a handle that outlives the executor does nothing.
// - Timers may be armed from any thread; they run on the main thread.
// - Work still queued when the executor goes is dropped without running.
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/TimerQueue.h"
#include "Platform/WorkList.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>

namespace tessaly {

class QtMainExecutor final : public MainExecutor {
public:
    // Made on the main thread, once the QCoreApplication exists.
    QtMainExecutor();
    ~QtMainExecutor() override;
    QtMainExecutor(const QtMainExecutor&) = delete;
    QtMainExecutor& operator=(const QtMainExecutor&) = delete;

    void post(std::function<void()> fn) override;
    Subscription schedule(double delay, std::function<void()> fn, double tolerance = 0) override;
    Subscription scheduleRepeating(double interval, std::function<void()> fn, double tolerance = 0) override;

    std::size_t pendingTimerCount() const;

private:
    bool onMainThread() const;
    // Hands `fn` to the main thread's event loop (queued, thread-safe).
    void invokeOnMain(std::function<void()> fn);
    void runPosted();
    void runDueTimers();
    // Points the one Qt timer at the next moment a timer must fire; from
    // another thread, asks the main thread to do so.
    void rearm();
    void rearmOnMain();
    Subscription arm(double delay, std::function<void()> fn, double tolerance, bool repeating);
    void cancel(TimerToken token);

    QObject context_;  // lives on the main thread; queued calls die with it
    QTimer wake_;
    WorkList posted_;
    std::atomic<bool> postWakePending_{false};
    mutable std::mutex mutex_;  // guards timers_
    TimerQueue timers_;

    LifetimeToken lifetime_;  // last, so handles stop reaching in first
};

}  // namespace tessaly
