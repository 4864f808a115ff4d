#include "Platform/WorkspaceObservers.h"

#include <vector>

namespace tessaly {

Subscription WorkspaceObservers::add(WorkspaceNotification kind, Workspace::Handler handler) {
    std::lock_guard lock(mutex_);
    const std::uint64_t token = nextToken_++;
    handlers_.emplace(token, std::pair{kind, std::move(handler)});
    return Subscription([weak = weak_from_this(), token] {
        if (const auto self = weak.lock()) {
            std::lock_guard relock(self->mutex_);
            self->handlers_.erase(token);
        }
    });
}

void WorkspaceObservers::post(MainExecutor& main, WorkspaceEvent event) {
    main.post([weak = weak_from_this(), event = std::move(event)] {
        if (const auto self = weak.lock()) self->deliver(event);
    });
}

void WorkspaceObservers::deliver(const WorkspaceEvent& event) const {
    std::vector<Workspace::Handler> chosen;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [token, entry] : handlers_) {
            if (entry.first == event.kind) chosen.push_back(entry.second);
        }
    }
    // Outside the lock: a handler may add or remove observers.
    for (const auto& handler : chosen) handler(event);
}

}  // namespace tessaly
