#pragma once
// The handlers registered for workspace notifications, and their delivery on
// the main executor. Owned through a shared_ptr: a delivery still queued on
// the executor when the registry has gone does nothing.
#include "Platform/MainExecutor.h"
#include "Platform/Workspace.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace tessaly {

class WorkspaceObservers : public std::enable_shared_from_this<WorkspaceObservers> {
public:
    // The handler is registered while the handle lives.
    Subscription add(WorkspaceNotification kind, Workspace::Handler handler);

    // Posts `event` to `main`; there it goes to the handlers of its kind
    // registered at that moment, in registration order. Thread-safe.
    void post(MainExecutor& main, WorkspaceEvent event);

private:
    void deliver(const WorkspaceEvent& event) const;

    mutable std::mutex mutex_;
    std::map<std::uint64_t, std::pair<WorkspaceNotification, Workspace::Handler>> handlers_;
    std::uint64_t nextToken_ = 1;
};

}  // namespace tessaly
