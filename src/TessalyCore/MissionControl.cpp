#include "TessalyCore/MissionControl.h"

#include "Platform/WindowList.h"

namespace tessaly::MissionControl {

namespace {

bool coversSomeScreen(const Rect& frame, const std::vector<Size>& screenSizes) {
    for (const Size& screen : screenSizes) {
        if (coverage * screen.width <= frame.width() && coverage * screen.height <= frame.height()) return true;
    }
    return false;
}

}  // namespace

std::optional<DiscoveredWindow> activeMarker(const std::vector<DiscoveredWindow>& windows,
                                             const std::vector<Size>& screenSizes) {
    if (screenSizes.empty() || windows.empty()) return std::nullopt;
    for (const DiscoveredWindow& window : windows) {
        if (!window.isOnScreen) continue;
        if (!window.ownerName || *window.ownerName != dockOwnerName) continue;
        if (window.layer == WindowLayer::dock) continue;
        if (coversSomeScreen(window.frame, screenSizes)) return window;
    }
    return std::nullopt;
}

bool isActive(const std::vector<DiscoveredWindow>& windows, const std::vector<Size>& screenSizes) {
    return activeMarker(windows, screenSizes).has_value();
}

bool isActive(const WindowDiscovery& discovery, const std::vector<Size>& screenSizes) {
    if (screenSizes.empty()) return false;
    return isActive(discovery.allWindows(true), screenSizes);
}

}  // namespace tessaly::MissionControl
