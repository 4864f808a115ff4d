#pragma once
// Which windows there are, in which order and where, from the window
// server's own list (front to back, so "first" means "frontmost"), without
// asking the applications. Nothing is cached: each call asks anew.
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "Platform/WindowList.h"

namespace tessaly {

struct DiscoveredWindow {
    WindowID windowID = 0;
    ProcessID pid = 0;
    std::optional<std::string> ownerName;
    Rect frame;   // global top-left coordinates, points
    int layer = 0;
    double alpha = 1.0;
    bool isOnScreen = false;
    std::optional<std::uint32_t> space;  // WindowInfo::allSpaces: every Space

    friend bool operator==(const DiscoveredWindow&, const DiscoveredWindow&) = default;
};

class WindowDiscovery {
public:
    // A window counts for hit-testing only above this opacity.
    static constexpr double minimumHitAlpha = 0.05;

    explicit WindowDiscovery(std::shared_ptr<const WindowList> windowList);

    // Every window (on-screen ones only when asked), desktop elements left
    // out, front to back.
    std::vector<DiscoveredWindow> allWindows(bool onScreenOnly) const;
    // The window list's current bounds of one window.
    std::optional<Rect> frame(WindowID of) const;
    // The frontmost ordinary (level 0, visible) window containing the point,
    // skipping the excluded windows and processes.
    std::optional<DiscoveredWindow> topmostWindow(Point at, const std::set<WindowID>& excluding,
                                                  const std::set<ProcessID>& excludingPIDs) const;
    // The same over a list already taken.
    static std::optional<DiscoveredWindow> topmostWindow(const std::vector<DiscoveredWindow>& onScreenWindows, Point at,
                                                         const std::set<WindowID>& excluding,
                                                         const std::set<ProcessID>& excludingPIDs);

    // One list entry as a window; absent when it lacks its number, owner,
    // bounds or layer. A missing on-screen flag reads as `assumeOnScreen`.
    static std::optional<DiscoveredWindow> window(const WindowInfo& from, bool assumeOnScreen);

private:
    std::shared_ptr<const WindowList> windowList_;
};

}  // namespace tessaly
