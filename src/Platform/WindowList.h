#pragma once
// The window server's own list of windows, front to back, without asking the
// applications. Every field of an entry may be missing, as in the system's
// own dictionaries; readers decide what a missing field means.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Geometry.h"
#include "Platform/Subscription.h"
#include "Platform/Types.h"

namespace tessaly {

// Option bits of a window-list query.
namespace WindowListOption {
inline constexpr std::uint32_t all = 0;
inline constexpr std::uint32_t onScreenOnly = 1;
inline constexpr std::uint32_t onScreenAboveWindow = 2;
inline constexpr std::uint32_t onScreenBelowWindow = 4;
inline constexpr std::uint32_t includingWindow = 8;
inline constexpr std::uint32_t excludeDesktopElements = 16;
}  // namespace WindowListOption

// Window levels (layers) of the list.
namespace WindowLayer {
inline constexpr int normal = 0;
inline constexpr int floating = 3;
inline constexpr int dock = 20;
}  // namespace WindowLayer

struct WindowInfo {
    std::optional<WindowID> number;
    std::optional<ProcessID> ownerPID;
    std::optional<std::string> ownerName;
    std::optional<Rect> bounds;   // global top-left coordinates, points
    std::optional<int> layer;
    std::optional<double> alpha;
    std::optional<bool> isOnScreen;
    // The virtual desktop (Space) the window is on; allSpaces for every one.
    std::optional<std::uint32_t> space;

    static constexpr std::uint32_t allSpaces = 0xFFFFFFFFu;
};

class WindowList {
public:
    virtual ~WindowList() = default;

    // The windows selected by `options` (WindowListOption bits), front to
    // back; `relativeTo` names the window for the relative and including
    // options (0: none). Absent when the window server cannot be asked.
    virtual std::optional<std::vector<WindowInfo>> copyWindowInfo(std::uint32_t options, WindowID relativeTo) const = 0;

    // The level of the dock's ordinary windows.
    virtual int dockWindowLevel() const = 0;

    // Whether the desktop has a system overview, whose marker window the
    // list would show while it is up. Without one there is nothing to look
    // for in the list.
    virtual bool hasOverview() const { return true; }

    // Runs `handler` on the main thread, while the handle lives, after the
    // list changed in more than frames: a window came or went, was shown or
    // hidden, changed its state, its desktop or its place in the stacking,
    // or the current desktop or the window manager changed. Changes close
    // together may be told once. An empty handle where the window server
    // tells of no changes: only reading the list again finds them.
    virtual Subscription observeChanges(std::function<void()> handler) {
        (void)handler;
        return {};
    }
};

}  // namespace tessaly
