#pragma once
// The window-server functions over X11. The window number of an element is
// its X window; ordering a window of ours (an override-redirect panel)
// relative to another window restacks it against that window's frame, the
// root's child holding the client. Window bounds read the frame.
// Notifications (a window's frame restacked, a window destroyed) come from
// the backend's event thread, see X11WindowNotifier. Window levels have no
// X11 counterpart: that function is left empty, so callers treat it as
// missing.
#include "Platform/PrivateWindowServer.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11WindowNotifier.h"

#include <memory>

namespace tessaly {

class X11WindowServer final : public PrivateSymbols {
public:
    // Order values of the window-server functions.
    static constexpr std::int32_t orderAbove = 1;
    static constexpr std::int32_t orderBelow = -1;
    static constexpr std::int32_t orderOut = 0;

    explicit X11WindowServer(std::shared_ptr<X11Backend> backend)
        : backend_(std::move(backend)), notifier_(std::make_shared<X11WindowNotifier>(backend_)) {}

    AXGetWindowFunction axGetWindow() override;
    std::optional<WindowServerFunctions> openWindowServer() override;

private:
    std::shared_ptr<X11Backend> backend_;
    std::shared_ptr<X11WindowNotifier> notifier_;
};

}  // namespace tessaly
