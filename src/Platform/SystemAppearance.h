#pragma once
// The desktop's own light or dark preference, which views set to follow
// the system take. Main thread only.
#include "Platform/Subscription.h"

#include <functional>

namespace tessaly {

class SystemAppearance {
public:
    virtual ~SystemAppearance() = default;
    // Whether the system prefers a dark appearance now.
    virtual bool prefersDark() const = 0;
    // Runs `handler` on the main thread each time prefersDark() changes,
    // while the handle lives.
    virtual Subscription addObserver(std::function<void()> handler) = 0;
};

}  // namespace tessaly
