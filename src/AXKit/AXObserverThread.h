#pragma once
// The one background queue that handles the accessibility notifications of
// every observed application, one after another ("tessaly.ax-observer").
#include <memory>

#include "Platform/DispatchQueue.h"

namespace tessaly {

class AXObserverThread {
public:
    static constexpr const char* label = "tessaly.ax-observer";

    explicit AXObserverThread(QueueFactory& factory) : queue_(factory.makeSerialQueue(label)) {}

    const std::shared_ptr<DispatchQueue>& queue() const { return queue_; }

private:
    std::shared_ptr<DispatchQueue> queue_;
};

}  // namespace tessaly
