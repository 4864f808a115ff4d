#pragma once
// Serial background queues: work submitted to one queue runs one item at a
// time, in submission order, off the main thread.
#include <functional>
#include <memory>
#include <string>

namespace tessaly {

class DispatchQueue {
public:
    virtual ~DispatchQueue() = default;
    virtual const std::string& label() const = 0;
    // Queues fn; returns at once. Thread-safe.
    virtual void async(std::function<void()> fn) = 0;
};

// Makes serial queues. The real factory runs all of its queues on one shared
// worker thread; the deterministic one used in tests holds the work until
// the test runs it.
class QueueFactory {
public:
    virtual ~QueueFactory() = default;
    virtual std::shared_ptr<DispatchQueue> makeSerialQueue(std::string label) = 0;
};

}  // namespace tessaly
