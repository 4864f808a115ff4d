#include "TessalySession/FollowSnapshot.h"

#include "TessalyCore/WindowPlacement.h"

namespace tessaly {

Rect confinedToDropHost(const Rect& frame, std::optional<Point> cursor, const std::vector<ScreenBox>& screens,
                        double barRoom, double edgeKeep) {
    const std::optional<ScreenBox> host = WindowPlacement::dropHost(frame, cursor, screens);
    if (!host) return frame;
    return WindowPlacement::confine(frame, *host, screens, barRoom, edgeKeep, true);
}

std::optional<FollowPlan> FollowSnapshot::plan(const FollowRequest& request) const {
    const auto found = byActive.find(request.source);
    if (found == byActive.end()) return std::nullopt;
    const Group& group = found->second;
    if (group.movers.empty()) return std::nullopt;
    // Full screen, the window manager's maximise and a minimise are the
    // session's to follow.
    if (request.fullScreen || request.maximized || request.minimized) return std::nullopt;
    if (const auto quiet = quietUntil.find(request.source); quiet != quietUntil.end() && request.now < quiet->second) {
        return std::nullopt;
    }
    if (!request.buttonUp || group.dragged) {
        if (group.barDragged) return std::nullopt;
        return FollowPlan{request.frame, group.movers, group.frame, true};
    }
    // The session decides itself: a gesture of ours, an adoption waiting,
    // displays settling, a zoom or its undo, a frame to be confined.
    if (!group.open || settle.isSettling(request.now)) return std::nullopt;
    if (group.zoom && (group.zoom->windowManagerAxes.any() ||
                       group.zoom->isReZoom(request.frame, group.frame, tolerance, zoomMinInterval, request.now) ||
                       group.zoom->isEchoAfterRestore(request.frame, tolerance, zoomMinInterval, request.now))) {
        return std::nullopt;
    }
    if (!(confinedToDropHost(request.frame, std::nullopt, screens, barRoom, edgeKeep) == request.frame)) {
        return std::nullopt;
    }
    return FollowPlan{request.frame, group.movers, group.frame};
}

}  // namespace tessaly
