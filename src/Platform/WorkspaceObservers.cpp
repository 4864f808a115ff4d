#include "Platform/WorkspaceObservers.h"

#include <vector>

namespace tessaly {

Workspace::ObserverToken WorkspaceObservers::add(WorkspaceNotification kind, Workspace::Handler handler) {
    std::lock_guard lock(mutex_);
    const Workspace::ObserverToken token = nextToken_++;
    handlers_.emplace(token, std::pair{kind, std::move(handler)});
    return token;
}

void WorkspaceObservers::remove(Workspace::ObserverToken token) {
    std::lock_guard lock(mutex_);
    handlers_.erase(token);
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
