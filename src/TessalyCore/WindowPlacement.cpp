#include "TessalyCore/WindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace tessaly::WindowPlacement {

namespace {

// Two edges closer than this touch.
constexpr double edgeTolerance = 1.0;

bool touches(double a, double b) { return std::abs(a - b) < edgeTolerance; }

// Whether `other` abuts `host` on `side` (by their full frames).
bool abuts(const ScreenBox& other, const ScreenBox& host, Side side) {
    if (other == host) return false;
    const Rect& s = other.full;
    const Rect& h = host.full;
    const bool overlapsVertically = h.minY() < s.maxY() && s.minY() < h.maxY();
    const bool overlapsHorizontally = h.minX() < s.maxX() && s.minX() < h.maxX();
    switch (side) {
        case Side::left: return touches(s.maxX(), h.minX()) && overlapsVertically;
        case Side::right: return touches(s.minX(), h.maxX()) && overlapsVertically;
        case Side::top: return touches(s.maxY(), h.minY()) && overlapsHorizontally;
        case Side::bottom: return touches(s.minY(), h.maxY()) && overlapsHorizontally;
    }
    return false;
}

std::optional<ScreenBox> neighbour(const ScreenBox& of, Side side, const std::vector<ScreenBox>& screens) {
    for (const ScreenBox& screen : screens) {
        if (abuts(screen, of, side)) return screen;
    }
    return std::nullopt;
}

bool hasNeighbour(const ScreenBox& of, Side side, const std::vector<ScreenBox>& screens) {
    return neighbour(of, side, screens).has_value();
}

double area(const Rect& r) { return r.width() * r.height(); }

// One axis of relocate: the offset within `target` that keeps the relative
// place the frame had within `source`.
double relocateAxis(double position, double length, double sourceMin, double sourceLength, double targetMin,
                    double targetLength) {
    const double sourceRoom = sourceLength - length;
    const double targetRoom = targetLength - length;
    if (sourceRoom > 0 && targetRoom > 0) {
        const double t = std::clamp((position - sourceMin) / sourceRoom, 0.0, 1.0);
        return targetMin + t * targetRoom;
    }
    return targetMin;
}

}  // namespace

Rect popOutFrame(const Rect& from, const Rect& within, double offset) {
    Rect result = from.standardized();
    if (from.maxX() + offset <= within.maxX()) {
        result.origin.x += offset;
    } else if (within.minX() <= from.minX() - offset) {
        result.origin.x -= offset;
    }
    if (within.minY() <= from.minY() - offset) {
        result.origin.y -= offset;
    } else if (from.maxY() + offset <= within.maxY()) {
        result.origin.y += offset;
    }
    return result;
}

double stripTopLimitCG(const ScreenBox& from, const std::vector<ScreenBox>& screens) {
    ScreenBox current = from;
    if (screens.empty()) return current.visible.minY();
    for (std::size_t step = 1;; ++step) {
        // A screen with a band at its top (the menu bar) ends the climb.
        if (current.visible.minY() - current.full.minY() >= edgeTolerance) return current.visible.minY();
        const std::optional<ScreenBox> above = neighbour(current, Side::top, screens);
        if (!above) return current.visible.minY();
        current = *above;
        if (step == screens.size()) return current.visible.minY();
    }
}

std::optional<double> stripTopLimitCG(const Rect& forWindow, const std::vector<ScreenBox>& screens) {
    const Point topMiddle{forWindow.midX(), forWindow.minY()};
    for (const ScreenBox& screen : screens) {
        if (screen.full.contains(topMiddle)) return stripTopLimitCG(screen, screens);
    }
    for (const ScreenBox& screen : screens) {
        if (screen.full.intersects(forWindow)) return stripTopLimitCG(screen, screens);
    }
    return std::nullopt;
}

Rect reReserveTopForHeightChange(const Rect& frame, double stripTopLimitCG, double oldHeight, double newHeight,
                                 double visibleBottom) {
    Rect result = frame.standardized();
    const double newTop = stripTopLimitCG + newHeight;
    const double roomToBottom = std::max(0.0, visibleBottom - newTop);
    if (touches(frame.minY(), stripTopLimitCG + oldHeight)) {
        // The frame sat right under the old bar: it follows the bar's bottom,
        // keeping its bottom on the visible bottom when it was there.
        const bool reachedBottom = touches(frame.maxY(), visibleBottom);
        result.origin.y = newTop;
        if (reachedBottom || newTop + result.size.height > visibleBottom) result.size.height = roomToBottom;
        return result;
    }
    if (frame.minY() < newTop - edgeTolerance) {
        result.origin.y = newTop;
        if (newTop + result.size.height > visibleBottom) result.size.height = roomToBottom;
        return result;
    }
    return frame;
}

Rect confine(const Rect& frame, const ScreenBox& into, const std::vector<ScreenBox>& screens, double strip,
             double edgeKeep, bool snapFitOnScreen) {
    const Rect& full = into.full;
    const Rect& visible = into.visible;
    const bool hasLeft = hasNeighbour(into, Side::left, screens);
    const bool hasRight = hasNeighbour(into, Side::right, screens);
    const bool hasBelow = hasNeighbour(into, Side::bottom, screens);
    const double top = stripTopLimitCG(into, screens) + strip;

    double x = frame.minX();
    const double incomingY = frame.minY();
    double width = frame.width();
    double height = frame.height();

    if (hasRight && width > full.width()) {
        width = full.width();
        x = full.minX();
    }
    bool bottomFitted = false;
    if (hasBelow) {
        height = std::min(height, std::max(0.0, visible.maxY() - top));
        bottomFitted = true;
    }

    double lower = 0;
    double upper = 0;
    if (!snapFitOnScreen) {
        lower = hasLeft ? full.minX() : full.minX() - (width - edgeKeep);
        upper = hasRight ? full.maxX() - width : full.maxX() - edgeKeep;
    } else {
        lower = full.minX();
        upper = (width > full.width() && !hasRight) ? full.maxX() - edgeKeep : full.maxX() - width;
        if (height <= visible.maxY() - top) bottomFitted = true;
    }
    x = std::max(lower, std::min(upper, x));

    const double lowestTop =
        bottomFitted ? visible.maxY() - height : std::max(top, std::min(full.maxY() - edgeKeep, visible.maxY()));
    const double y = std::max(top, std::min(lowestTop, incomingY));

    if (incomingY < top && y + height > visible.maxY()) height = std::max(0.0, visible.maxY() - y);
    return Rect(x, y, width, height);
}

std::optional<ScreenBox> dropHost(const Rect& frame, std::optional<Point> cursor,
                                  const std::vector<ScreenBox>& screens) {
    if (cursor && !screens.empty()) {
        for (const ScreenBox& screen : screens) {
            if (screen.full.contains(*cursor)) {
                if (screen.full.intersects(frame)) return screen;
                break;
            }
        }
    }
    return hostScreen(frame, screens);
}

std::optional<ScreenBox> hostScreen(const Rect& frame, const std::vector<ScreenBox>& screens) {
    const Point centre = frame.center();
    std::optional<ScreenBox> best;
    double bestArea = 0;
    for (const ScreenBox& screen : screens) {
        const Rect overlap = screen.full.intersection(frame);
        if (overlap.isNull()) continue;
        const double overlapArea = area(overlap);
        const bool better =
            !best || overlapArea > bestArea ||
            (overlapArea == bestArea && screen.full.contains(centre) && !best->full.contains(centre));
        if (better) {
            best = screen;
            bestArea = overlapArea;
        }
    }
    return best;
}

bool straddles(const Rect& frame, const std::vector<ScreenBox>& screens) {
    const auto meeting = std::count_if(screens.begin(), screens.end(),
                                       [&](const ScreenBox& screen) { return screen.full.intersects(frame); });
    return meeting >= 2;
}

Point parkOrigin(const Rect& frame, const ScreenBox& host, const std::vector<ScreenBox>& screens, double sliver) {
    const Rect& full = host.full;
    const double width = frame.width();
    const double height = frame.height();
    const Point corner{full.maxX() - sliver, full.maxY() - sliver};

    std::vector<Rect> others;
    for (const ScreenBox& screen : screens) {
        if (!(screen.full == full)) others.push_back(screen.full);
    }
    if (others.empty()) return corner;

    const double clampedX = std::max(full.minX(), std::min(full.maxX() - width, frame.minX()));
    const double clampedY = std::max(host.visible.minY(), std::min(full.maxY() - height, frame.minY()));
    const Point candidates[] = {corner, {full.maxX() - sliver, clampedY}, {clampedX, full.maxY() - sliver}};
    for (const Point& candidate : candidates) {
        const Rect parked(candidate, Size{width, height});
        const bool free =
            std::none_of(others.begin(), others.end(), [&](const Rect& other) { return other.intersects(parked); });
        if (free) return candidate;
    }
    return corner;
}

Rect relocate(const Rect& frame, const ScreenBox& from, const ScreenBox& to) {
    const Rect& a = from.visible;
    const Rect& b = to.visible;
    const double width = frame.width();
    const double height = frame.height();
    const double x = relocateAxis(frame.minX(), width, a.minX(), a.width(), b.minX(), b.width());
    const double y = relocateAxis(frame.minY(), height, a.minY(), a.height(), b.minY(), b.height());
    return Rect(x, y, width, height);
}

BarDragResolution resolveBarDrag(const Rect& raw, const ScreenBox& host, const std::vector<ScreenBox>& screens,
                                 double strip, double edgePushCap, double crossArmPush, double edgeKeep) {
    const Rect confined = confine(raw, host, screens, strip, edgeKeep, false);
    const double dx = raw.minX() - confined.minX();
    const double dy = raw.minY() - confined.minY();

    std::optional<Side> side;
    if (std::abs(dy) <= std::abs(dx)) {
        if (dx > crossArmPush) side = Side::right;
        else if (dx < -crossArmPush) side = Side::left;
    } else {
        if (dy > crossArmPush) side = Side::bottom;
        else if (dy < -crossArmPush) side = Side::top;
    }

    BarDragResolution resolution;
    resolution.displayed = confined;
    resolution.raw = confined.offsetBy(std::clamp(dx, -edgePushCap, edgePushCap),
                                       std::clamp(dy, -edgePushCap, edgePushCap));
    if (side) {
        if (std::optional<ScreenBox> target = neighbour(host, *side, screens)) {
            resolution.crossing = Crossing{*side, *target};
        }
    }
    return resolution;
}

Rect crossed(const Rect& frame, const Crossing& through, const std::vector<ScreenBox>& screens, double strip,
             double edgeKeep) {
    const Rect& target = through.target.full;
    Rect placed = frame.standardized();
    switch (through.side) {
        case Side::left: placed.origin.x = target.maxX() - placed.size.width; break;
        case Side::right: placed.origin.x = target.minX(); break;
        case Side::top: placed.origin.y = target.maxY() - placed.size.height; break;
        case Side::bottom: placed.origin.y = target.minY(); break;
    }
    return confine(placed, through.target, screens, strip, edgeKeep, false);
}

std::ostream& operator<<(std::ostream& os, Side side) {
    switch (side) {
        case Side::left: return os << "left";
        case Side::right: return os << "right";
        case Side::top: return os << "top";
        case Side::bottom: return os << "bottom";
    }
    return os;
}

std::ostream& operator<<(std::ostream& os, const Crossing& crossing) {
    return os << "Crossing(" << crossing.side << ", " << crossing.target << ")";
}

std::ostream& operator<<(std::ostream& os, const BarDragResolution& resolution) {
    os << "BarDragResolution(raw: " << resolution.raw << ", displayed: " << resolution.displayed << ", crossing: ";
    if (resolution.crossing) return os << *resolution.crossing << ")";
    return os << "none)";
}

}  // namespace tessaly::WindowPlacement
