#pragma once
// Serial queues that share one worker thread: every queue made by one
// factory is a lane on the factory's worker ("tessaly.worker"), however many
// queues there are. The worker runs the work of all its lanes one item at a
// time, in the order it was submitted (one FIFO over every lane): each
// queue's work runs in order, and no two items ever run at once. An item
// holds up every lane while it runs, so work here must not wait for long (a
// round trip to the X server is fine; polling is not).
//
// Releasing a queue never waits. The work it still has waiting runs in its
// turn (drain) or is dropped at once, on the releasing thread (discard); an
// item already running finishes. A queue may be released from inside its
// own work. The worker starts with the first queue and ends, after the
// drained work, once the factory and all of its queues are gone. Should
// that happen on the worker itself (an item holding the last reference),
// the thread is joined by the next worker to end, or at process exit.
#include "Platform/DispatchQueue.h"

#include <memory>
#include <mutex>
#include <string>

namespace tessaly {

class ThreadQueueFactory final : public QueueFactory {
public:
    enum class Shutdown { drain, discard };

    static constexpr const char* workerName = "tessaly.worker";

    explicit ThreadQueueFactory(Shutdown shutdown = Shutdown::drain) : shutdown_(shutdown) {}

    // Thread-safe.
    std::shared_ptr<DispatchQueue> makeSerialQueue(std::string label) override;

    class Worker;

private:
    const Shutdown shutdown_;
    std::mutex mutex_;
    std::shared_ptr<Worker> worker_;  // made with the first queue
};

}  // namespace tessaly
