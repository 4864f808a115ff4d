#include "Platform/ManualMainExecutor.h"

#include <algorithm>
#include <utility>

namespace tessaly {

ManualMainExecutor::ManualMainExecutor()
    : ownedClock_(std::make_unique<VirtualClock>()), clock_(*ownedClock_) {}

ManualMainExecutor::ManualMainExecutor(VirtualClock& clock) : clock_(clock) {}

void ManualMainExecutor::post(std::function<void()> fn) { posted_.push(std::move(fn)); }

Subscription ManualMainExecutor::schedule(double delay, std::function<void()> fn, double tolerance) {
    std::unique_lock lock(mutex_);
    const TimerToken token = timers_.addOnce(clock_.monotonic(), delay, std::move(fn), tolerance);
    lock.unlock();
    return handleFor(token);
}

Subscription ManualMainExecutor::scheduleRepeating(double interval, std::function<void()> fn, double tolerance) {
    std::unique_lock lock(mutex_);
    const TimerToken token = timers_.addRepeating(clock_.monotonic(), interval, std::move(fn), tolerance);
    lock.unlock();
    return handleFor(token);
}

Subscription ManualMainExecutor::handleFor(TimerToken token) {
    return Subscription([alive = lifetime_.watch(), this, token] {
        if (!alive.expired()) cancel(token);
    });
}

void ManualMainExecutor::cancel(TimerToken token) {
    std::lock_guard lock(mutex_);
    timers_.cancel(token);
}

std::size_t ManualMainExecutor::runPending() { return posted_.runAll(); }

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

std::size_t ManualMainExecutor::pendingPostCount() const { return posted_.size(); }

std::size_t ManualMainExecutor::pendingTimerCount() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
}

std::optional<double> ManualMainExecutor::nextTimerDelay() const {
    std::lock_guard lock(mutex_);
    const auto next = timers_.earliest();
    if (!next) return std::nullopt;
    return std::max(next->first - clock_.monotonic(), 0.0);
}

}  // namespace tessaly
