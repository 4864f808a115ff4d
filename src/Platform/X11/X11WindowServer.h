#pragma once
// The window-server functions over X11. The window number of an element is
// its X window; ordering a window of ours (an override-redirect panel)
// relative to another window restacks it against that window's frame, the
// root's child holding the client. Window bounds read the frame. Functions
// with no X11 counterpart (notification registration, window levels) are
// left empty, so callers treat them as missing.
#include "Platform/PrivateWindowServer.h"
#include "Platform/X11/X11Backend.h"

#include <memory>

namespace tessaly {

class X11WindowServer final : public PrivateSymbols {
public:
    // Order values of the window-server functions.
    static constexpr std::int32_t orderAbove = 1;
    static constexpr std::int32_t orderBelow = -1;
    static constexpr std::int32_t orderOut = 0;

    explicit X11WindowServer(std::shared_ptr<X11Backend> backend) : backend_(std::move(backend)) {}

    AXGetWindowFunction axGetWindow() override;
    std::optional<WindowServerFunctions> openWindowServer() override;

private:
    std::shared_ptr<X11Backend> backend_;
};

}  // namespace tessaly
