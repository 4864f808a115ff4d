#pragma once
// Recognises the system's overview of all windows and desktops from the
// window list: while it is shown, the dock process owns a window that covers
// (nearly) a whole screen at a level other than the dock's own. The overlay
// hides every tab bar while a marker exists.
#include <optional>
#include <vector>

#include "Platform/Geometry.h"
#include "TessalyCore/WindowDiscovery.h"

namespace tessaly::MissionControl {

// The owner name of the marker's process.
inline constexpr const char* dockOwnerName = "Dock";
// The share of a screen's width and height a marker covers at least.
inline constexpr double coverage = 0.9;

// The first window of the list (front to back) that marks the overview: on
// screen, owned by the dock, at a level other than the dock's own, and at
// least 90 % of some screen size in width and in height (position ignored).
std::optional<DiscoveredWindow> activeMarker(const std::vector<DiscoveredWindow>& windows,
                                             const std::vector<Size>& screenSizes);

bool isActive(const std::vector<DiscoveredWindow>& windows, const std::vector<Size>& screenSizes);
// The same over the current on-screen window list.
bool isActive(const WindowDiscovery& discovery, const std::vector<Size>& screenSizes);

}  // namespace tessaly::MissionControl
