#pragma once
// The left button as the event reader last saw it, written by the reader's
// thread and read from any thread without a round trip. Unknown until the
// reader has a reason to know (and again whenever it may have missed a
// press or a release): whoever needs the answer then asks the server.
#include "Platform/InputMonitor.h"

#include <atomic>

namespace tessaly {

class X11ButtonState {
public:
    ButtonState left() const { return left_.load(std::memory_order_acquire); }
    void setLeft(ButtonState state) { left_.store(state, std::memory_order_release); }

private:
    std::atomic<ButtonState> left_{ButtonState::unknown};
};

}  // namespace tessaly
