#pragma once
// The session's answers to drag recognition: which window a drag beginning
// at a point moves (the frontmost application's focused window under the
// pointer), that window's live frame, and what a drop at a point would join
// (the frontmost ordinary window under the pointer, or the group whose tab
// bar is there). Main thread only.
//
// The members of a group whose active window is dragged are parked behind
// it, and passed over.
//
// Drop targets are ordinary windows of the current desktop: windows above
// the normal level (docks, panels, menus), nearly transparent ones, desktop
// elements and windows of other desktops are never targets.
#include <functional>
#include <memory>
#include <optional>

#include "AXKit/AXServices.h"
#include "AXKit/AXWindow.h"
#include "Platform/Uuid.h"
#include "TessalyCore/DragGroupingController.h"
#include "TessalyCore/GroupEngine.h"
#include "TessalyCore/WindowDiscovery.h"

namespace tessaly {

class LiveDragEnvironment final : public DragEnvironment {
public:
    // Messaging time-out of the focused-window read.
    static constexpr float focusedWindowTimeout = 0.25f;

    // `engine` must outlive the environment.
    LiveDragEnvironment(GroupEngine& engine, AXServicesRef services, std::shared_ptr<const WindowList> windowList);

    GroupEngine& engine;
    const ProcessID ownPID;
    // Replaced by the session; the defaults answer the neutral values.
    std::function<bool(ProcessID)> isExcluded = [](ProcessID) { return false; };
    std::function<std::optional<Uuid>(WindowID)> groupForPanel = [](WindowID) { return std::optional<Uuid>(); };
    std::function<std::optional<ProcessID>()> frontmostPID;  // default: the workspace's frontmost application
    std::function<bool()> isBarDragActive = [] { return false; };
    // The element of the window under drag, set by candidateWindow().
    AXWindowRef draggedAXWindow;

    // A press at the point: one on a window of our own (a tab bar) starts
    // no drag of another application's window, wherever the pointer goes
    // before the release (a bar drag moves a window along with it).
    void pressed(Point at);

    std::optional<DragCandidate> candidateWindow(Point at) override;
    std::optional<Rect> liveFrame(WindowID of) override;
    std::optional<DragCandidate> dropTarget(Point at, WindowID excludingDragged) override;

    // The dragged window's frame now: the window list's, else the element's;
    // absent unless the dragged element is this window.
    std::optional<Rect> draggedFrame(WindowID windowID) const;

private:
    std::optional<DragCandidate> windowUnderPointer(Point at);
    // Whether another ordinary window lies above the window at the point
    // (the program's own panels aside).
    bool isCovered(WindowID windowID, Point at) const;

    AXServicesRef services_;
    WindowDiscovery discovery_;
    bool pressOnOwnWindow_ = false;  // the last press; until the next one
};

}  // namespace tessaly
