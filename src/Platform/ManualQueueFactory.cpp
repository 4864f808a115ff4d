#include "Platform/ManualQueueFactory.h"

#include <algorithm>
#include <utility>

namespace tessaly {

std::shared_ptr<DispatchQueue> ManualQueueFactory::makeSerialQueue(std::string label) {
    auto queue = std::make_shared<ManualQueue>(std::move(label));
    std::lock_guard lock(mutex_);
    queues_.push_back(queue);
    return queue;
}

std::vector<std::shared_ptr<ManualQueue>> ManualQueueFactory::queues() const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<ManualQueue>> live;
    live.reserve(queues_.size());
    for (const auto& weak : queues_) {
        if (auto queue = weak.lock()) live.push_back(std::move(queue));
    }
    std::erase_if(queues_, [](const auto& weak) { return weak.expired(); });
    return live;
}

std::shared_ptr<ManualQueue> ManualQueueFactory::queue(const std::string& label) const {
    for (auto& queue : queues()) {
        if (queue->label() == label) return queue;
    }
    return nullptr;
}

std::size_t ManualQueueFactory::runWhere(const std::function<bool(const ManualQueue&)>& matches) {
    std::size_t ran = 0;
    for (;;) {
        std::size_t pass = 0;
        for (const auto& queue : queues()) {
            if (matches(*queue)) pass += queue->runAll();
        }
        if (pass == 0) return ran;
        ran += pass;
    }
}

std::size_t ManualQueueFactory::countWhere(const std::function<bool(const ManualQueue&)>& matches) const {
    std::size_t count = 0;
    for (const auto& queue : queues()) {
        if (matches(*queue)) count += queue->queuedCount();
    }
    return count;
}

std::size_t ManualQueueFactory::runAll() {
    return runWhere([](const ManualQueue&) { return true; });
}

std::size_t ManualQueueFactory::run(const std::string& label) {
    return runWhere([&](const ManualQueue& queue) { return queue.label() == label; });
}

std::size_t ManualQueueFactory::queuedCount() const {
    return countWhere([](const ManualQueue&) { return true; });
}

std::size_t ManualQueueFactory::queuedCount(const std::string& label) const {
    return countWhere([&](const ManualQueue& queue) { return queue.label() == label; });
}

}  // namespace tessaly
