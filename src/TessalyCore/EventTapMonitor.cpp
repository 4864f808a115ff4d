#include "TessalyCore/EventTapMonitor.h"

#include <optional>
#include <utility>

namespace tessaly {

// What the tap thread may reach. It outlives the monitor for as long as work
// is queued on the tap thread; `lock` (the run-loop lock) guards `tap`, and
// once shutdown() has taken it no work uses the tap, the clock or the main
// queue again.
struct EventTapMonitor::TapThreadState {
    std::mutex lock;
    std::shared_ptr<MouseTap> tap;
    const Clock* clock = nullptr;
    // Posts a report to the main thread; set once before the tap starts.
    std::function<void(Phase, Point, EventFlags, double)> post;
};

std::unique_ptr<EventTapMonitor> EventTapMonitor::create(InputMonitor& input, QueueFactory& queues,
                                                         MainExecutor& main, const Clock& clock) {
    std::shared_ptr<MouseTap> tap = input.makeMouseTap();
    if (!tap) return nullptr;

    std::unique_ptr<EventTapMonitor> monitor(new EventTapMonitor());
    auto state = std::make_shared<TapThreadState>();
    state->clock = &clock;
    // The report holds the monitor weakly: once it is gone the event is
    // dropped on the main thread.
    state->post = [&main, deliver = monitor->lifetime_.guarded(
                              [raw = monitor.get()](Phase p, Point l, EventFlags f, double t) {
                                  raw->deliver(p, l, f, t);
                              })](Phase p, Point l, EventFlags f, double t) {
        main.post([deliver, p, l, f, t] { deliver(p, l, f, t); });
    };
    {
        std::lock_guard guard(state->lock);
        state->tap = tap;
    }
    monitor->state_ = state;
    monitor->thread_ = queues.makeSerialQueue(threadName);
    tap->start(monitor->thread_, [state](const MouseTapEvent& event) { handle(state, event); });
    return monitor;
}

EventTapMonitor::~EventTapMonitor() { shutdown(); }

void EventTapMonitor::handle(const std::shared_ptr<TapThreadState>& state, const MouseTapEvent& event) {
    std::optional<Phase> phase;
    switch (event.type) {
        case MouseTapEventType::tapDisabledByTimeout:
        case MouseTapEventType::tapDisabledByUserInput: {
            std::shared_ptr<MouseTap> tap;
            {
                std::lock_guard guard(state->lock);
                tap = state->tap;
            }
            if (tap) tap->enable();
            return;
        }
        case MouseTapEventType::leftMouseDown: phase = Phase::down; break;
        case MouseTapEventType::leftMouseDragged: phase = Phase::dragged; break;
        case MouseTapEventType::leftMouseUp: phase = Phase::up; break;
        case MouseTapEventType::other: return;
    }
    // Held while the clock is read and the report posted (no call on the
    // tap): shutdown() waits for a report in flight and then no other starts.
    std::lock_guard guard(state->lock);
    if (!state->tap) return;
    state->post(*phase, event.location, event.flags, state->clock->monotonic());
}

void EventTapMonitor::deliver(Phase phase, Point location, EventFlags flags, double time) {
    if (onMouse) onMouse(phase, location, flags, time);
}

void EventTapMonitor::shutdown() {
    if (!state_) return;
    std::shared_ptr<MouseTap> tap;
    {
        std::lock_guard guard(state_->lock);
        tap = std::move(state_->tap);
        state_->tap.reset();
    }
    if (tap) tap->invalidate();
    // Our reference to the tap queue goes last; work queued on it before
    // the tap went off still runs, and finds the tap gone.
    thread_.reset();
}

}  // namespace tessaly
