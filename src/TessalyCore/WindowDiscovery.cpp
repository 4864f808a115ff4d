#include "TessalyCore/WindowDiscovery.h"

#include <utility>

namespace tessaly {

WindowDiscovery::WindowDiscovery(std::shared_ptr<const WindowList> windowList) : windowList_(std::move(windowList)) {}

std::optional<DiscoveredWindow> WindowDiscovery::window(const WindowInfo& from, bool assumeOnScreen) {
    if (!from.number || !from.ownerPID || !from.bounds || !from.layer) return std::nullopt;
    if (!from.bounds->isSane()) return std::nullopt;
    DiscoveredWindow w;
    w.windowID = *from.number;
    w.pid = *from.ownerPID;
    w.frame = *from.bounds;
    w.layer = *from.layer;
    w.ownerName = from.ownerName;
    w.alpha = from.alpha.value_or(1.0);
    w.isOnScreen = from.isOnScreen.value_or(assumeOnScreen);
    w.space = from.space;
    return w;
}

std::vector<DiscoveredWindow> WindowDiscovery::allWindows(bool onScreenOnly) const {
    std::vector<DiscoveredWindow> result;
    if (!windowList_) return result;
    const std::uint32_t options = onScreenOnly
                                      ? (WindowListOption::onScreenOnly | WindowListOption::excludeDesktopElements)
                                      : WindowListOption::excludeDesktopElements;
    const auto list = windowList_->copyWindowInfo(options, 0);
    if (!list) return result;
    result.reserve(list->size());
    for (const WindowInfo& entry : *list) {
        if (auto w = window(entry, onScreenOnly)) result.push_back(std::move(*w));
    }
    return result;
}

std::optional<Rect> WindowDiscovery::frame(WindowID of) const {
    if (!windowList_) return std::nullopt;
    const auto list = windowList_->copyWindowInfo(WindowListOption::includingWindow, of);
    if (!list || list->empty()) return std::nullopt;
    const auto& bounds = list->front().bounds;
    if (!bounds || !bounds->isSane()) return std::nullopt;
    return bounds;
}

std::optional<DiscoveredWindow> WindowDiscovery::topmostWindow(Point at, const std::set<WindowID>& excluding,
                                                               const std::set<ProcessID>& excludingPIDs) const {
    return topmostWindow(allWindows(true), at, excluding, excludingPIDs);
}

std::optional<DiscoveredWindow> WindowDiscovery::topmostWindow(const std::vector<DiscoveredWindow>& onScreenWindows,
                                                               Point at, const std::set<WindowID>& excluding,
                                                               const std::set<ProcessID>& excludingPIDs) {
    for (const DiscoveredWindow& w : onScreenWindows) {
        if (w.layer != 0) continue;
        if (!(w.alpha > minimumHitAlpha)) continue;
        if (excluding.count(w.windowID)) continue;
        if (excludingPIDs.count(w.pid)) continue;
        if (w.frame.contains(at)) return w;
    }
    return std::nullopt;
}

}  // namespace tessaly
