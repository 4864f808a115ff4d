#include "TessalySession/FollowGate.h"

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

// The window manager holds the group maximised, or put it back less than
// the zoom interval ago (its restore may still be under way).
bool isWindowManagersMaximize(const std::optional<ZoomRecord>& zoom, const Rect& groupFrame, double now,
                              double interval) {
    if (!zoom || !zoom->windowManagerAxes.any()) return false;
    return zoom->isCurrent(groupFrame) || (zoom->restoredAt && now - *zoom->restoredAt < interval);
}

}  // namespace

Rect confinedToDropHost(const Rect& frame, std::optional<Point> cursor, const std::vector<ScreenBox>& screens,
                        double barRoom, double edgeKeep, Size smallest) {
    const std::optional<ScreenBox> host = WindowPlacement::dropHost(frame, cursor, screens);
    if (!host) return frame;
    return WindowPlacement::confine(sizedForHost(frame, *host, screens, barRoom, smallest), *host, screens, barRoom,
                                    edgeKeep, true);
}

FollowVerdict followVerdict(const FollowRequest& request, const FollowGroupState& group,
                            std::optional<double> minimizeChangedAt, const FollowRules& rules) {
    using V = FollowVerdict;
    if (request.fullScreen) return V::fullScreen;
    if (request.minimized) return V::minimized;
    if (request.shaded) return V::shaded;
    if (group.barDragged) return V::gesture;
    if (group.dragged) return request.maximized ? V::gesture : V::dragged;
    if (isMinimizeQuiet(minimizeChangedAt, request.now, rules.minimizeQuietPeriod)) return V::quiet;
    if (rules.settle.isSettling(request.now)) return V::settling;
    if (request.maximized || isWindowManagersMaximize(group.zoom, group.frame, request.now, rules.zoomMinInterval)) {
        return V::maximize;
    }
    // The reader may lag behind the session, which hears the release on a
    // connection of its own: a move from before a release the session has
    // acted on already still reads as held, and is the session's.
    if (!request.buttonUp) return group.held ? V::held : V::buttonDown;
    if (!(confinedToDropHost(request.frame, std::nullopt, rules.screens, rules.barRoom, rules.edgeKeep,
                             rules.smallestFrame) == request.frame)) {
        return V::confine;
    }
    if (!group.open) return V::releasePending;
    if (group.zoom) {
        const ZoomRecord& zoom = *group.zoom;
        if (zoom.isReZoom(request.frame, group.frame, rules.tolerance, rules.zoomMinInterval, request.now)) {
            return V::reZoom;
        }
        if (zoom.isEchoAfterRestore(request.frame, rules.tolerance, rules.zoomMinInterval, request.now)) {
            return V::zoomEcho;
        }
    }
    return V::follow;
}

}  // namespace tessaly
