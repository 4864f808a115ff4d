#pragma once
// The bookkeeping shared by every MainExecutor: armed timers ordered by due
// time, then by the order in which they were scheduled. It is not
// thread-safe; its owner guards it. Callbacks are handed out as shared
// pointers so that a timer cancelled from inside its own callback (or the
// executor's state changing under it) never frees the function that runs.
#include "Platform/MainExecutor.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

namespace tessaly {

class TimerQueue {
public:
    // Shortest interval a repeating timer may have; anything shorter
    // (including zero or negative) is raised to it.
    static constexpr double minimumInterval = 0.0001;

    struct Fire {
        TimerToken token = 0;
        double due = 0;
        std::shared_ptr<const std::function<void()>> fn;
    };

    // Arms a one-shot timer `delay` seconds after `now` (a negative delay
    // counts as none).
    TimerToken addOnce(double now, double delay, std::function<void()> fn, double tolerance);
    // Arms a timer first due one interval after `now`, then every interval.
    TimerToken addRepeating(double now, double interval, std::function<void()> fn, double tolerance);
    // Arms a timer due at `due`; an interval makes it repeat.
    TimerToken add(double due, std::function<void()> fn, double tolerance, std::optional<double> interval);
    // Disarms a timer; answers whether it was armed.
    bool cancel(TimerToken token);
    bool contains(TimerToken token) const { return timers_.count(token) != 0; }
    std::size_t size() const { return timers_.size(); }
    bool empty() const { return timers_.empty(); }

    // The earliest armed timer: its due time and token.
    std::optional<std::pair<double, TimerToken>> earliest() const;
    // When to fire next so that as many timers as possible run together:
    // the latest due time that misses no timer's tolerance.
    std::optional<double> coalescedFireTime() const;

    // Takes the timer out for running. A one-shot timer is disarmed; a
    // repeating one is re-armed from its due time, skipping beats that
    // would already lie at or before `now`.
    std::optional<Fire> take(TimerToken token, double now);

private:
    struct Timer {
        double due = 0;
        double tolerance = 0;
        std::optional<double> interval;
        std::shared_ptr<const std::function<void()>> fn;
    };

    std::unordered_map<TimerToken, Timer> timers_;
    std::set<std::pair<double, TimerToken>> order_;  // (due, token); tokens grow in scheduling order
    TimerToken nextToken_ = 1;
};

}  // namespace tessaly
