#pragma once
// A deterministic main queue for tests, over a VirtualClock. Nothing runs by
// itself: the test runs posted work with runPending() and moves time with
// advance(), which fires every timer that falls due, one at a time, in order
// of due time and then of scheduling, with the clock standing at each
// timer's due time while it runs. Tolerances are accepted and ignored:
// timers fire exactly when due.
#include "Platform/Clock.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/TimerQueue.h"
#include "Platform/WorkList.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tessaly {

class ManualMainExecutor final : public MainExecutor {
public:
    // Runs on a clock of its own.
    ManualMainExecutor();
    // Runs on `clock`, which must outlive the executor.
    explicit ManualMainExecutor(VirtualClock& clock);
    ManualMainExecutor(const ManualMainExecutor&) = delete;
    ManualMainExecutor& operator=(const ManualMainExecutor&) = delete;

    VirtualClock& clock() { return clock_; }
    const VirtualClock& clock() const { return clock_; }

    // MainExecutor. All of these may be called from any thread and from
    // inside running work.
    void post(std::function<void()> fn) override;
    Subscription schedule(double delay, std::function<void()> fn, double tolerance = 0) override;
    Subscription scheduleRepeating(double interval, std::function<void()> fn, double tolerance = 0) override;

    // Runs posted work in posting order until none is left, including work
    // posted while running. Timers are left alone. Answers how many ran.
    std::size_t runPending();
    // Runs posted work and every timer already due, without moving the
    // clock (advance(0)). Answers how many ran.
    std::size_t drain();
    // Moves the clock `seconds` forward, running posted work and then each
    // timer as it falls due (with posted work run after each timer), and
    // leaves the clock `seconds` later than it was. Answers how many ran.
    std::size_t advance(double seconds);
    // Moves the clock to the next timer's due time and runs as advance()
    // does up to there; answers false when no timer is armed.
    bool advanceToNextTimer();

    std::size_t pendingPostCount() const;
    std::size_t pendingTimerCount() const;
    // Seconds from now until the next timer is due (0 when overdue).
    std::optional<double> nextTimerDelay() const;

private:
    std::size_t runTimersUpTo(double target);

    std::unique_ptr<VirtualClock> ownedClock_;
    VirtualClock& clock_;
    WorkList posted_;
    mutable std::mutex mutex_;  // guards the clock and the timers
    TimerQueue timers_;
    void cancel(TimerToken token);
    // The handle of a timer: it cancels through this executor while it lives.
    Subscription handleFor(TimerToken token);

    LifetimeToken lifetime_;  // last, so handles stop reaching in first
};

}  // namespace tessaly
