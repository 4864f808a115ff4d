#include "Platform/Qt/QtMainExecutor.h"

#include "Platform/Clock.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_ignore_thread_begin();
extern "C" void __tsan_ignore_thread_end();
#endif

namespace tessaly {

namespace {

double monotonicNow() { return SystemClock::shared().monotonic(); }

// Qt's timers count whole milliseconds: round up, so nothing fires early.
// A wait too long for a timer fires early and finds nothing due; the next
// arming covers the rest.
int timerMilliseconds(double seconds) {
    constexpr double longest = 24.0 * 3600 * 1000;  // a day
    const double ms = std::ceil(seconds * 1000);
    if (!(ms > 0)) return 0;  // also NaN
    return static_cast<int>(std::min(ms, longest));
}

}  // namespace

QtMainExecutor::QtMainExecutor() {
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake_, &QTimer::timeout, &context_, [this] { runDueTimers(); });
}

QtMainExecutor::~QtMainExecutor() { wake_.stop(); }

bool QtMainExecutor::onMainThread() const { return QThread::currentThread() == context_.thread(); }

void QtMainExecutor::invokeOnMain(std::function<void()> fn) {
#if defined(__SANITIZE_THREAD__)
    // Qt's event queue hands the call over under locks ThreadSanitizer
    // cannot see (Qt waits on futexes itself): what this thread writes of
    // the queued call is left out of its checks. The work the call runs
    // comes through posted_ and mutex_, which it sees.
    __tsan_ignore_thread_begin();
    QMetaObject::invokeMethod(&context_, std::move(fn), Qt::QueuedConnection);
    __tsan_ignore_thread_end();
#else
    QMetaObject::invokeMethod(&context_, std::move(fn), Qt::QueuedConnection);
#endif
}

void QtMainExecutor::post(std::function<void()> fn) {
    if (!fn) return;
    posted_.push(std::move(fn));
    if (!postWakePending_.exchange(true)) invokeOnMain([this] { runPosted(); });
}

void QtMainExecutor::runPosted() {
    postWakePending_.store(false);
    // Work posted while this turn runs waits for the next turn, behind
    // whatever else the event loop has to do. Items are taken one at a time,
    // so a nested event loop inside one of them keeps the order.
    for (std::size_t count = posted_.size(); count > 0; --count) {
        if (!posted_.runOne()) break;
    }
    if (posted_.size() > 0 && !postWakePending_.exchange(true)) invokeOnMain([this] { runPosted(); });
}

Subscription QtMainExecutor::schedule(double delay, std::function<void()> fn, double tolerance) {
    return arm(delay, std::move(fn), tolerance, false);
}

Subscription QtMainExecutor::scheduleRepeating(double interval, std::function<void()> fn, double tolerance) {
    return arm(interval, std::move(fn), tolerance, true);
}

Subscription QtMainExecutor::arm(double delay, std::function<void()> fn, double tolerance, bool repeating) {
    TimerToken token = 0;
    {
        std::lock_guard lock(mutex_);
        const double now = monotonicNow();
        token = repeating ? timers_.addRepeating(now, delay, std::move(fn), tolerance)
                          : timers_.addOnce(now, delay, std::move(fn), tolerance);
    }
    rearm();
    return Subscription([alive = lifetime_.watch(), this, token] {
        if (!alive.expired()) cancel(token);
    });
}

void QtMainExecutor::cancel(TimerToken token) {
    // The Qt timer may stay armed for the cancelled one: it then wakes,
    // finds nothing due and re-arms for what is left.
    std::lock_guard lock(mutex_);
    timers_.cancel(token);
}

void QtMainExecutor::rearm() {
    if (onMainThread()) rearmOnMain();
    else invokeOnMain([this] { rearmOnMain(); });
}

void QtMainExecutor::rearmOnMain() {
    std::optional<double> fireAt;
    {
        std::lock_guard lock(mutex_);
        fireAt = timers_.coalescedFireTime();
    }
    if (!fireAt) {
        wake_.stop();
        return;
    }
    wake_.start(timerMilliseconds(*fireAt - monotonicNow()));
}

void QtMainExecutor::runDueTimers() {
    // Fire what was due when this turn began, in due order; a timer armed by
    // one of them waits for a later turn.
    const double now = monotonicNow();
    for (;;) {
        std::optional<TimerQueue::Fire> fire;
        {
            std::lock_guard lock(mutex_);
            const auto next = timers_.earliest();
            if (!next || next->first > now) break;
            fire = timers_.take(next->second, now);
        }
        // Armed before the callback runs, so that a nested event loop inside
        // it still fires the other timers.
        rearmOnMain();
        if (fire && *fire->fn) (*fire->fn)();
    }
    rearmOnMain();
}

std::size_t QtMainExecutor::pendingTimerCount() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
}

}  // namespace tessaly
