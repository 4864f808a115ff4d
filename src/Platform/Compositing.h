#pragma once
// Whether a compositing manager draws the desktop now: only then do
// translucent windows show what lies below them (without one, the
// transparent parts of a window show black). Compositing managers start
// and stop while the program runs. Main thread only.
#include "Platform/Subscription.h"

#include <functional>

namespace tessaly {

class Compositing {
public:
    virtual ~Compositing() = default;
    virtual bool isActive() const = 0;
    // Runs `handler` on the main thread each time isActive() changes, while
    // the handle lives.
    virtual Subscription addObserver(std::function<void()> handler) = 0;
};

}  // namespace tessaly
