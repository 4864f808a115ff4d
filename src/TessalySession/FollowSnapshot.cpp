#include "TessalySession/FollowSnapshot.h"

#include "TessalyCore/WindowPlacement.h"

#include <algorithm>

namespace tessaly {

namespace {

// The frame's size kept between `smallest` and the room the host has below
// the bar's (the host's size winning where the two meet).
Rect sizedForHost(const Rect& frame, const ScreenBox& host, const std::vector<ScreenBox>& screens, double barRoom,
                  Size smallest) {
    const Rect f = frame.standardized();
    const double widest = host.visible.width();
    const double tallest = host.visible.maxY() - (WindowPlacement::stripTopLimitCG(host, screens) + barRoom);
    const double width = std::min(std::max(f.width(), smallest.width), widest);
    const double height = std::min(std::max(f.height(), smallest.height), std::max(0.0, tallest));
    if (width == f.width() && height == f.height()) return frame;
    return Rect(f.origin, Size{width, height});
}

}  // namespace

Rect confinedToDropHost(const Rect& frame, std::optional<Point> cursor, const std::vector<ScreenBox>& screens,
                        double barRoom, double edgeKeep, Size smallest) {
    const std::optional<ScreenBox> host = WindowPlacement::dropHost(frame, cursor, screens);
    if (!host) return frame;
    return WindowPlacement::confine(sizedForHost(frame, *host, screens, barRoom, smallest), *host, screens, barRoom,
                                    edgeKeep, true);
}

std::optional<FollowPlan> FollowSnapshot::plan(const FollowRequest& request) const {
    const auto found = byActive.find(request.source);
    if (found == byActive.end()) return std::nullopt;
    const Group& group = found->second;
    if (group.movers.empty()) return std::nullopt;
    // Full screen, the window manager's maximise and a minimise are the
    // session's to follow.
    if (request.fullScreen || request.maximized || request.minimized || request.shaded) return std::nullopt;
    if (const auto quiet = quietUntil.find(request.source); quiet != quietUntil.end() && request.now < quiet->second) {
        return std::nullopt;
    }
    // Kept behind the active window only while the session knows of the
    // drag. The reader may lag behind the session, which hears the release
    // on a connection of its own: a move from before a release the session
    // has acted on already (a drop that made the dragged window the active
    // member of a new group) still reads as held, and moves nobody.
    if (group.dragged || (!request.buttonUp && group.held)) {
        if (group.barDragged) return std::nullopt;
        return FollowPlan{request.frame, group.movers, group.frame, true};
    }
    if (!request.buttonUp) return std::nullopt;
    // The session decides itself: a gesture of ours, an adoption waiting,
    // displays settling, a zoom or its undo, a frame to be confined.
    if (!group.open || settle.isSettling(request.now)) return std::nullopt;
    if (group.zoom && (group.zoom->windowManagerAxes.any() ||
                       group.zoom->isReZoom(request.frame, group.frame, tolerance, zoomMinInterval, request.now) ||
                       group.zoom->isEchoAfterRestore(request.frame, tolerance, zoomMinInterval, request.now))) {
        return std::nullopt;
    }
    if (!(confinedToDropHost(request.frame, std::nullopt, screens, barRoom, edgeKeep, smallestFrame) == request.frame)) {
        return std::nullopt;
    }
    return FollowPlan{request.frame, group.movers, group.frame};
}

}  // namespace tessaly
