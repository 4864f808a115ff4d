#pragma once
// Serial queues on threads of their own: each queue made here has one worker
// thread, named after the queue's label (its first 15 characters), that runs
// the queue's work in submission order.
//
// When the last reference to a queue goes, the queue first runs (drain) or
// drops (discard) the work still waiting, then its thread ends and is
// joined. Should the last reference go on the queue's own thread (a work
// item holding it), the thread is joined by the next queue to close, or at
// process exit, instead.
#include "Platform/DispatchQueue.h"

#include <memory>
#include <string>

namespace tessaly {

class ThreadQueueFactory final : public QueueFactory {
public:
    enum class Shutdown { drain, discard };

    explicit ThreadQueueFactory(Shutdown shutdown = Shutdown::drain) : shutdown_(shutdown) {}

    std::shared_ptr<DispatchQueue> makeSerialQueue(std::string label) override;

private:
    Shutdown shutdown_;
};

}  // namespace tessaly
