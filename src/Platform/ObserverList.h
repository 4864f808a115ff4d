#pragma once
// Handlers to run when something changes, each registered while its handle
// lives. A handler may end its own or another's registration, or the list's
// owner, while the list runs them. One thread only.
#include "Platform/Lifetime.h"
#include "Platform/Subscription.h"

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace tessaly {

class ObserverList {
public:
    Subscription add(std::function<void()> handler) {
        const std::uint64_t id = next_++;
        handlers_.emplace(id, std::move(handler));
        return Subscription(lifetime_.guarded([this, id] { handlers_.erase(id); }));
    }

    // Runs every handler registered now that is still registered when its turn comes.
    void notify() {
        std::vector<std::uint64_t> ids;
        for (const auto& entry : handlers_) ids.push_back(entry.first);
        const auto alive = lifetime_.watch();
        for (const auto id : ids) {
            if (alive.expired()) return;
            const auto it = handlers_.find(id);
            if (it == handlers_.end()) continue;
            auto handler = it->second;
            if (handler) handler();
        }
    }

private:
    std::map<std::uint64_t, std::function<void()>> handlers_;
    std::uint64_t next_ = 1;
    LifetimeToken lifetime_;  // last: handles stop reaching in first
};

}  // namespace tessaly
