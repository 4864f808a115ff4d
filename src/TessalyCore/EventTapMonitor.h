#pragma once
// A system-wide, listen-only observer of the left mouse button. Every press,
// drag step and release, in whatever application, is handed to the main
// thread as a phase, a location, the event's modifier flags and a time stamp
// (monotonic seconds, read when the event reaches the tap thread).
//
// The tap's events are handled on a serial queue of their own,
// "tessaly.event-tap"; only the reports reach the main thread, in the order
// the tap saw them. shutdown() is synchronous: when it returns the tap is
// off, no work on the tap queue touches the monitor's collaborators any
// more, and a late "switched off" notice re-enables nothing.
#include <functional>
#include <memory>
#include <mutex>

#include "Platform/Clock.h"
#include "Platform/DispatchQueue.h"
#include "Platform/Geometry.h"
#include "Platform/InputMonitor.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"

namespace tessaly {

class EventTapMonitor {
public:
    enum class Phase { down, dragged, up };

    using MouseCallback = std::function<void(Phase phase, Point location, EventFlags flags, double time)>;

    static constexpr const char* threadName = "tessaly.event-tap";

    // Creates the tap and starts it on a new serial queue from `queues`;
    // null when the system refuses a tap. `main` and `clock` must outlive
    // the monitor's shutdown.
    static std::unique_ptr<EventTapMonitor> create(InputMonitor& input, QueueFactory& queues, MainExecutor& main,
                                                   const Clock& clock);

    ~EventTapMonitor();  // shuts down when the owner has not
    EventTapMonitor(const EventTapMonitor&) = delete;
    EventTapMonitor& operator=(const EventTapMonitor&) = delete;

    // Receiver of every report; set and read on the main thread. An event
    // that arrives while it is empty is lost.
    MouseCallback onMouse;

    // Switches the tap off and detaches it from its thread. Idempotent.
    void shutdown();

private:
    struct TapThreadState;

    EventTapMonitor() = default;
    void deliver(Phase phase, Point location, EventFlags flags, double time);
    static void handle(const std::shared_ptr<TapThreadState>& state, const MouseTapEvent& event);

    std::shared_ptr<TapThreadState> state_;
    std::shared_ptr<DispatchQueue> thread_;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
