#pragma once
// Polls the launcher badges while switched on and reports which
// applications' badges changed. The reader runs on the serial queue
// "tessaly.dock-badge", at most one read at a time; everything else runs on
// the main thread.
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "AXKit/DockBadgeReader.h"
#include "Platform/DispatchQueue.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"

namespace tessaly {

class DockBadgeMonitor {
public:
    static constexpr double defaultInterval = 5.0;
    static constexpr const char* queueLabel = "tessaly.dock-badge";

    using Reader = std::function<BadgeMap()>;

    DockBadgeMonitor(Reader read, std::shared_ptr<MainExecutor> main, QueueFactory& queues,
                     double interval = defaultInterval);
    ~DockBadgeMonitor();
    DockBadgeMonitor(const DockBadgeMonitor&) = delete;
    DockBadgeMonitor& operator=(const DockBadgeMonitor&) = delete;

    // Receives the paths whose badge appeared, changed or vanished.
    std::function<void(const std::set<std::string>&)> onChange;

    bool isActive() const { return isActive_; }
    const BadgeMap& badges() const { return badges_; }
    double interval() const { return interval_; }

    void setActive(bool active);
    void tick();

    static std::set<std::string> changedPaths(const BadgeMap& old, const BadgeMap& updated);

private:
    void apply(BadgeMap result);

    Reader read_;
    std::shared_ptr<MainExecutor> main_;
    std::shared_ptr<DispatchQueue> queue_;
    double interval_;
    bool isActive_ = false;
    BadgeMap badges_;
    Subscription timer_;
    bool inFlight_ = false;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
