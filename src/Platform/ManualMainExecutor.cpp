#include "Platform/ManualMainExecutor.h"

#include <algorithm>
#include <utility>

namespace tessaly {

ManualMainExecutor::ManualMainExecutor()
    : ownedClock_(std::make_unique<VirtualClock>()), clock_(*ownedClock_) {}

ManualMainExecutor::ManualMainExecutor(VirtualClock& clock) : clock_(clock) {}

ManualMainExecutor::~ManualMainExecutor() {
    // Destroy the held callbacks outside the lock: their captures may post or
    // cancel on the way out.
    std::deque<std::function<void()>> posted;
    TimerQueue timers;
    {
        std::lock_guard lock(mutex_);
        posted.swap(posted_);
        std::swap(timers, timers_);
    }
}

void ManualMainExecutor::post(std::function<void()> fn) {
    if (!fn) return;
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(fn));
}

TimerToken ManualMainExecutor::schedule(double delay, std::function<void()> fn, double tolerance) {
    std::lock_guard lock(mutex_);
    return timers_.add(clock_.monotonic() + std::max(delay, 0.0), std::move(fn), tolerance, std::nullopt);
}

TimerToken ManualMainExecutor::scheduleRepeating(double interval, std::function<void()> fn, double tolerance) {
    std::lock_guard lock(mutex_);
    const double step = std::max(interval, TimerQueue::minimumInterval);
    return timers_.add(clock_.monotonic() + step, std::move(fn), tolerance, step);
}

void ManualMainExecutor::cancel(TimerToken token) {
    std::lock_guard lock(mutex_);
    timers_.cancel(token);
}

std::size_t ManualMainExecutor::runPending() {
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(mutex_);
            if (posted_.empty()) return ran;
            fn = std::move(posted_.front());
            posted_.pop_front();
        }
        fn();
        ++ran;
    }
}

std::size_t ManualMainExecutor::drain() { return advance(0); }

std::size_t ManualMainExecutor::advance(double seconds) {
    double target = 0;
    {
        std::lock_guard lock(mutex_);
        target = clock_.monotonic() + std::max(seconds, 0.0);
    }
    return runTimersUpTo(target);
}

bool ManualMainExecutor::advanceToNextTimer() {
    std::optional<double> due;
    {
        std::lock_guard lock(mutex_);
        if (const auto next = timers_.earliest()) due = std::max(next->first, clock_.monotonic());
    }
    if (!due) return false;
    runTimersUpTo(*due);
    return true;
}

std::size_t ManualMainExecutor::runTimersUpTo(double target) {
    std::size_t ran = runPending();
    for (;;) {
        std::optional<TimerQueue::Fire> fire;
        {
            std::lock_guard lock(mutex_);
            const auto next = timers_.earliest();
            if (!next || next->first > target) break;
            // The clock never runs backwards: a timer that became due while
            // the clock was already past it runs at the current time.
            clock_.advanceTo(next->first);
            fire = timers_.take(next->second, clock_.monotonic());
        }
        if (fire && *fire->fn) (*fire->fn)();
        ++ran;
        ran += runPending();
    }
    {
        std::lock_guard lock(mutex_);
        clock_.advanceTo(target);
    }
    return ran + runPending();
}

std::size_t ManualMainExecutor::pendingPostCount() const {
    std::lock_guard lock(mutex_);
    return posted_.size();
}

std::size_t ManualMainExecutor::pendingTimerCount() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
}

bool ManualMainExecutor::isTimerPending(TimerToken token) const {
    std::lock_guard lock(mutex_);
    return timers_.contains(token);
}

std::optional<double> ManualMainExecutor::nextTimerDelay() const {
    std::lock_guard lock(mutex_);
    const auto next = timers_.earliest();
    if (!next) return std::nullopt;
    return std::max(next->first - clock_.monotonic(), 0.0);
}

}  // namespace tessaly
