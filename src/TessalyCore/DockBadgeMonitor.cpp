#include "TessalyCore/DockBadgeMonitor.h"

#include <utility>

namespace tessaly {

DockBadgeMonitor::DockBadgeMonitor(Reader read, std::shared_ptr<MainExecutor> main, QueueFactory& queues,
                                   double interval)
    : read_(std::move(read)), main_(std::move(main)), queue_(queues.makeSerialQueue(queueLabel)), interval_(interval) {}

DockBadgeMonitor::~DockBadgeMonitor() = default;

void DockBadgeMonitor::setActive(bool active) {
    if (active == isActive_) return;
    isActive_ = active;
    if (active) {
        tick();
        timer_ = main_->scheduleRepeating(interval_, lifetime_.guarded([this] { tick(); }), 0.4 * interval_);
        return;
    }
    timer_.cancel();
    std::set<std::string> cleared;
    for (const auto& [path, label] : badges_) cleared.insert(path);
    badges_.clear();
    if (!cleared.empty() && onChange) onChange(cleared);
}

void DockBadgeMonitor::tick() {
    if (!isActive_ || inFlight_) return;
    inFlight_ = true;
    queue_->async([read = read_, main = main_, apply = lifetime_.guarded([this](BadgeMap result) {
                       this->apply(std::move(result));
                   })]() mutable {
        BadgeMap result = read ? read() : BadgeMap{};
        main->post([apply = std::move(apply), result = std::move(result)]() mutable { apply(std::move(result)); });
    });
}

void DockBadgeMonitor::apply(BadgeMap result) {
    inFlight_ = false;
    if (!isActive_) return;
    const std::set<std::string> changed = changedPaths(badges_, result);
    badges_ = std::move(result);
    if (!changed.empty() && onChange) onChange(changed);
}

std::set<std::string> DockBadgeMonitor::changedPaths(const BadgeMap& old, const BadgeMap& updated) {
    std::set<std::string> changed;
    for (const auto& [path, label] : updated) {
        const auto it = old.find(path);
        if (it == old.end() || it->second != label) changed.insert(path);
    }
    for (const auto& [path, label] : old) {
        if (!updated.count(path)) changed.insert(path);
    }
    return changed;
}

}  // namespace tessaly
