#include "Platform/TimerQueue.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaly {

TimerToken TimerQueue::add(double due, std::function<void()> fn, double tolerance, std::optional<double> interval) {
    const TimerToken token = nextToken_++;
    if (interval) interval = std::max(*interval, minimumInterval);
    Timer timer;
    timer.due = due;
    timer.tolerance = std::isfinite(tolerance) ? std::max(tolerance, 0.0) : 0.0;
    timer.interval = interval;
    timer.fn = std::make_shared<const std::function<void()>>(std::move(fn));
    timers_.emplace(token, std::move(timer));
    order_.emplace(due, token);
    return token;
}

TimerToken TimerQueue::addOnce(double now, double delay, std::function<void()> fn, double tolerance) {
    return add(now + std::max(delay, 0.0), std::move(fn), tolerance, std::nullopt);
}

TimerToken TimerQueue::addRepeating(double now, double interval, std::function<void()> fn, double tolerance) {
    const double step = std::max(interval, minimumInterval);
    return add(now + step, std::move(fn), tolerance, step);
}

bool TimerQueue::cancel(TimerToken token) {
    const auto it = timers_.find(token);
    if (it == timers_.end()) return false;
    order_.erase({it->second.due, token});
    timers_.erase(it);
    return true;
}

std::optional<std::pair<double, TimerToken>> TimerQueue::earliest() const {
    if (order_.empty()) return std::nullopt;
    return *order_.begin();
}

std::optional<double> TimerQueue::coalescedFireTime() const {
    if (order_.empty()) return std::nullopt;
    double deadline = std::numeric_limits<double>::infinity();
    for (const auto& [token, timer] : timers_) deadline = std::min(deadline, timer.due + timer.tolerance);
    // Every timer due by the earliest deadline fires together; the latest of
    // their due times is the earliest moment that holds them all.
    double fireAt = order_.begin()->first;
    for (const auto& [due, token] : order_) {
        if (due > deadline) break;
        fireAt = due;
    }
    return fireAt;
}

std::optional<TimerQueue::Fire> TimerQueue::take(TimerToken token, double now) {
    const auto it = timers_.find(token);
    if (it == timers_.end()) return std::nullopt;
    Timer& timer = it->second;
    Fire fire{token, timer.due, timer.fn};
    order_.erase({timer.due, token});
    if (!timer.interval) {
        timers_.erase(it);
        return fire;
    }
    const double interval = *timer.interval;
    double next = timer.due + interval;
    if (next <= now) next += std::floor((now - next) / interval + 1) * interval;
    if (!(next > now)) next = now + interval;  // rounding at the boundary
    timer.due = next;
    order_.emplace(next, token);
    return fire;
}

}  // namespace tessaly
