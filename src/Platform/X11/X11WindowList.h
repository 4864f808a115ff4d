#pragma once
// The window list over X11: the root's children front to back, each managed
// frame standing for its client (number = the client window), plus visible
// override-redirect windows (menus, tooltips, notifications, our own
// panels) under their own number, on the pop-up menu level: never an
// ordinary window, so never taken for a drop target or a window to group.
#include "Platform/WindowList.h"
#include "Platform/X11/X11Backend.h"

#include <memory>

namespace tessaly {

class X11WindowList final : public WindowList {
public:
    explicit X11WindowList(std::shared_ptr<X11Backend> backend) : backend_(std::move(backend)) {}

    std::optional<std::vector<WindowInfo>> copyWindowInfo(std::uint32_t options, WindowID relativeTo) const override;
    int dockWindowLevel() const override { return WindowLayer::dock; }

    // The level the list gives a desktop window (below everything).
    static constexpr int desktopLevel = -2147483623;
    // The level of override-redirect windows (the pop-up menu level).
    static constexpr int popUpLevel = 101;

private:
    std::shared_ptr<X11Backend> backend_;
};

}  // namespace tessaly
