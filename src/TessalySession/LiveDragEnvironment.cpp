#include "TessalySession/LiveDragEnvironment.h"

#include <unistd.h>

#include <utility>

#include "AXKit/AXApplication.h"

namespace tessaly {

LiveDragEnvironment::LiveDragEnvironment(GroupEngine& engineRef, AXServicesRef services,
                                         std::shared_ptr<const WindowList> windowList)
    : engine(engineRef), ownPID(::getpid()), services_(std::move(services)), discovery_(std::move(windowList)) {
    frontmostPID = [workspace = services_->workspace]() -> std::optional<ProcessID> {
        if (!workspace) return std::nullopt;
        const auto front = workspace->frontmostApplication();
        if (!front) return std::nullopt;
        return front->pid;
    };
}

void LiveDragEnvironment::pressed(Point at) {
    pressOnOwnWindow_ = false;
    for (const DiscoveredWindow& window : discovery_.allWindows(true)) {
        if (!window.frame.contains(at)) continue;
        pressOnOwnWindow_ = window.pid == ownPID;
        return;
    }
}

std::optional<DragCandidate> LiveDragEnvironment::candidateWindow(Point at) {
    if (pressOnOwnWindow_ || (isBarDragActive && isBarDragActive())) return std::nullopt;
    const std::optional<ProcessID> pid = frontmostPID ? frontmostPID() : std::nullopt;
    if (!pid || *pid == ownPID) return std::nullopt;
    if (isExcluded && isExcluded(*pid)) return std::nullopt;
    const AXWindowRef focused = AXApplication(services_, *pid, focusedWindowTimeout).focusedWindow();
    if (focused && focused->windowID) {
        const WindowID id = *focused->windowID;
        if (const std::optional<Rect> axFrame = focused->frame();
            axFrame && axFrame->contains(at) && !isCovered(id, at)) {
            draggedAXWindow = focused;
            return DragCandidate{id, *pid, discovery_.frame(id).value_or(*axFrame)};
        }
    }
    return windowUnderPointer(at);
}

// A press lands on the topmost window: the focused window lying under
// another one at the press is not the one dragged (the window manager may
// not have focused the pressed one yet, or not at all with a modifier held).
bool LiveDragEnvironment::isCovered(WindowID windowID, Point at) const {
    for (const DiscoveredWindow& window : discovery_.allWindows(true)) {
        if (!window.frame.contains(at) || window.pid == ownPID) continue;
        if (window.windowID == windowID) return false;
        if (window.layer == WindowLayer::normal && window.alpha > WindowDiscovery::minimumHitAlpha) return true;
    }
    return false;
}

// Many X11 window managers neither focus nor raise a window pressed with a
// modifier held, so the window being dragged need not be the focused one:
// then it is the topmost ordinary window under the press.
std::optional<DragCandidate> LiveDragEnvironment::windowUnderPointer(Point at) {
    for (const DiscoveredWindow& window : discovery_.allWindows(true)) {
        if (!window.frame.contains(at)) continue;
        if (window.pid == ownPID || window.layer != WindowLayer::normal ||
            window.alpha <= WindowDiscovery::minimumHitAlpha) {
            return std::nullopt;
        }
        if (isExcluded && isExcluded(window.pid)) return std::nullopt;
        for (AXWindowRef& candidate : AXApplication(services_, window.pid, focusedWindowTimeout).windows(false)) {
            if (candidate && candidate->windowID == window.windowID) {
                draggedAXWindow = std::move(candidate);
                return DragCandidate{window.windowID, window.pid, window.frame};
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<Rect> LiveDragEnvironment::draggedFrame(WindowID windowID) const {
    if (!draggedAXWindow || draggedAXWindow->windowID != windowID) return std::nullopt;
    if (auto listed = discovery_.frame(windowID)) return listed;
    return draggedAXWindow->frame();
}

std::optional<Rect> LiveDragEnvironment::liveFrame(WindowID of) { return draggedFrame(of); }

std::optional<DragCandidate> LiveDragEnvironment::dropTarget(Point at, WindowID excludingDragged) {
    const auto draggedGroup = engine.group(excludingDragged);
    for (const DiscoveredWindow& window : discovery_.allWindows(true)) {
        if (!window.frame.contains(at)) continue;
        if (window.pid == ownPID) {
            // One of our own panels: a tab bar targets its group's active member.
            const std::optional<Uuid> groupID = groupForPanel ? groupForPanel(window.windowID) : std::nullopt;
            const auto group = groupID ? engine.group(*groupID) : std::nullopt;
            if (!group) continue;
            const auto active = group->member(group->activeWindowID);
            if (!active) continue;
            if (group->contains(excludingDragged)) return std::nullopt;
            return DragCandidate{active->windowID, active->pid, group->frame};
        }
        if (window.layer != WindowLayer::normal || window.alpha <= WindowDiscovery::minimumHitAlpha) continue;
        if (window.windowID == excludingDragged) continue;
        if (isExcluded && isExcluded(window.pid)) return std::nullopt;
        if (draggedGroup && draggedGroup->contains(window.windowID)) {
            // The group's other members wait behind its dragged active window.
            if (draggedGroup->activeWindowID == excludingDragged) continue;
            return std::nullopt;
        }
        return DragCandidate{window.windowID, window.pid, window.frame};
    }
    return std::nullopt;
}

}  // namespace tessaly
