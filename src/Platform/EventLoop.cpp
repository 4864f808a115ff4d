#include "Platform/EventLoop.h"

#include "Platform/Clock.h"

#include <chrono>
#include <utility>

namespace tessaly {

double EventLoop::monotonicNow() { return SystemClock::shared().monotonic(); }

void EventLoop::post(std::function<void()> fn) {
    if (!fn) return;
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(fn));
    }
    wake_.notify_one();
}

template <typename Add>
TimerToken EventLoop::arm(Add add) {
    TimerToken token = 0;
    {
        std::lock_guard lock(mutex_);
        token = add(monotonicNow());
    }
    wake_.notify_one();  // the loop may be waiting for a later timer
    return token;
}

Subscription EventLoop::schedule(double delay, std::function<void()> fn, double tolerance) {
    return handleFor(arm([&](double now) { return timers_.addOnce(now, delay, std::move(fn), tolerance); }));
}

Subscription EventLoop::scheduleRepeating(double interval, std::function<void()> fn, double tolerance) {
    return handleFor(arm([&](double now) { return timers_.addRepeating(now, interval, std::move(fn), tolerance); }));
}

Subscription EventLoop::handleFor(TimerToken token) {
    return Subscription([alive = lifetime_.watch(), this, token] {
        if (!alive.expired()) cancel(token);
    });
}

void EventLoop::cancel(TimerToken token) {
    std::lock_guard lock(mutex_);
    timers_.cancel(token);
}

void EventLoop::stop() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
}

bool EventLoop::isRunning() const {
    std::lock_guard lock(mutex_);
    return running_;
}

std::size_t EventLoop::pendingTimerCount() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
}

void EventLoop::runPosted() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(posted_);
    }
    while (!batch.empty()) {
        {
            std::lock_guard lock(mutex_);
            if (stopRequested_) {
                // Keep what has not run for a later run(), ahead of newer work.
                posted_.insert(posted_.begin(), std::make_move_iterator(batch.begin()),
                               std::make_move_iterator(batch.end()));
                return;
            }
        }
        auto fn = std::move(batch.front());
        batch.pop_front();
        fn();
    }
}

void EventLoop::runDueTimers() {
    // Fire what was due when this turn began, in due order; a timer armed
    // by one of them waits for the next turn.
    const double now = monotonicNow();
    for (;;) {
        std::optional<TimerQueue::Fire> fire;
        {
            std::lock_guard lock(mutex_);
            if (stopRequested_) return;
            const auto next = timers_.earliest();
            if (!next || next->first > now) return;
            fire = timers_.take(next->second, now);
        }
        if (fire && *fire->fn) (*fire->fn)();
    }
}

void EventLoop::run() {
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    for (;;) {
        runPosted();
        runDueTimers();
        std::unique_lock lock(mutex_);
        for (;;) {
            if (stopRequested_) {
                stopRequested_ = false;
                running_ = false;
                return;
            }
            if (!posted_.empty()) break;
            const auto fireAt = timers_.coalescedFireTime();
            if (!fireAt) {
                wake_.wait(lock);
                continue;
            }
            const double wait = *fireAt - monotonicNow();
            if (wait <= 0) break;
            wake_.wait_for(lock, std::chrono::duration<double>(wait));
        }
    }
}

}  // namespace tessaly
