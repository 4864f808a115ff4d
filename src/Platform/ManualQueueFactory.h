#pragma once
// Serial queues for tests: work submitted to them waits until the test runs
// it, on the test's own thread, in submission order per queue.
#include "Platform/DispatchQueue.h"
#include "Platform/WorkList.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tessaly {

class ManualQueue final : public DispatchQueue {
public:
    explicit ManualQueue(std::string label) : label_(std::move(label)) {}

    const std::string& label() const override { return label_; }
    // Holds fn until the test runs it. Thread-safe.
    void async(std::function<void()> fn) override { work_.push(std::move(fn)); }

    // Runs the oldest waiting item; answers false when there was none.
    bool runOne() { return work_.runOne(); }
    // Runs waiting items until none is left, including ones submitted while
    // running. Answers how many ran.
    std::size_t runAll() { return work_.runAll(); }
    std::size_t queuedCount() const { return work_.size(); }

private:
    std::string label_;
    WorkList work_;
};

class ManualQueueFactory final : public QueueFactory {
public:
    std::shared_ptr<DispatchQueue> makeSerialQueue(std::string label) override;

    // Runs every live queue's work, queue by queue in the order they were
    // made, and again while any work is left (work may submit more).
    // Answers how many items ran.
    std::size_t runAll();
    // Runs the work of the queues with this label until they are empty.
    std::size_t run(const std::string& label);
    // Items waiting on all live queues, or on those with this label.
    std::size_t queuedCount() const;
    std::size_t queuedCount(const std::string& label) const;
    // The live queues in the order they were made.
    std::vector<std::shared_ptr<ManualQueue>> queues() const;
    // The first live queue with this label, if any.
    std::shared_ptr<ManualQueue> queue(const std::string& label) const;

private:
    std::size_t runWhere(const std::function<bool(const ManualQueue&)>& matches);
    std::size_t countWhere(const std::function<bool(const ManualQueue&)>& matches) const;

    mutable std::mutex mutex_;
    mutable std::vector<std::weak_ptr<ManualQueue>> queues_;
};

}  // namespace tessaly
