#include "TessalyApp/GroupDemoTimeline.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessaly {

namespace GroupDemoTimeline {

namespace {

using L = GroupDemoLayout;

// The y of a cubic Bézier timing curve from (0,0) to (1,1) with control
// points (x1,y1) and (x2,y2) at the point whose x is `x`.
double bezier(double x, double x1, double y1, double x2, double y2) {
    if (x <= 0) return 0;
    if (x >= 1) return 1;
    const auto coordinate = [](double t, double p1, double p2) {
        const double u = 1 - t;
        return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
    };
    // x(t) is increasing: bisect for t.
    double low = 0, high = 1, t = x;
    for (int i = 0; i < 40; ++i) {
        t = (low + high) / 2;
        if (coordinate(t, x1, x2) < x) low = t;
        else high = t;
    }
    return coordinate(t, y1, y2);
}

// One animated property: from `from` to `to`, starting at `start`, over the curve.
template <class Curve>
double animate(double now, double start, double duration, double from, double to, Curve curve) {
    if (now <= start) return from;
    const double progress = curve((now - start) / duration);
    return from + (to - from) * progress;
}

constexpr double travelStart = 1.0, travelDuration = 1.7;
constexpr double hintStart = 1.6, hintDuration = 0.3;
constexpr double overlayStart = 2.75, overlayDuration = 0.35;
constexpr double dropStart = 3.75, springResponse = 0.45;
constexpr double resetStart = 5.95, resetDuration = 0.35;
constexpr double springSettles = 0.8;

// When the picture moves within a cycle, in order and not overlapping.
struct Motion {
    double start, end;
};
constexpr Motion motions[] = {
    {travelStart, travelStart + travelDuration},  // the keycap fades in meanwhile
    {overlayStart, overlayStart + overlayDuration},
    {dropStart, dropStart + springSettles},
    {resetStart, resetStart + resetDuration},
};

}  // namespace

double easeInOut(double x) { return bezier(x, 0.42, 0, 0.58, 1); }
double easeOut(double x) { return bezier(x, 0, 0, 0.58, 1); }

double criticalSpring(double seconds, double response) {
    if (seconds <= 0) return 0;
    const double omega = 2 * std::numbers::pi / response;
    return 1 - (1 + omega * seconds) * std::exp(-omega * seconds);
}

GroupDemoFrame frame(double elapsed, bool reduceMotion) {
    GroupDemoFrame picture;
    if (reduceMotion) {
        picture.grouped = 1;
        return picture;
    }
    const double t = std::fmod(std::max(elapsed, 0.0), cycleDuration);
    const auto spring = [](double now) { return criticalSpring(now - dropStart, springResponse); };
    const auto dropped = [&](double before, double after) {
        return t <= dropStart ? before : before + (after - before) * spring(t);
    };

    // Position: travel, drop, reset.
    double x = animate(t, travelStart, travelDuration, L::startX, L::dropX, easeInOut);
    double y = animate(t, travelStart, travelDuration, L::windowY, L::dropY, easeInOut);
    x = dropped(x, L::targetX);
    y = dropped(y, L::windowY);
    picture.grouped = dropped(0, 1);
    if (t > resetStart) {
        picture.draggedX = animate(t, resetStart, resetDuration, x, L::startX, easeOut);
        picture.draggedY = animate(t, resetStart, resetDuration, y, L::windowY, easeOut);
        picture.grouped = animate(t, resetStart, resetDuration, picture.grouped, 0, easeOut);
    } else {
        picture.draggedX = x;
        picture.draggedY = y;
    }
    picture.hintOpacity = dropped(animate(t, hintStart, hintDuration, 0, 1, easeInOut), 0);
    picture.overlayOpacity = dropped(animate(t, overlayStart, overlayDuration, 0, 1, easeInOut), 0);
    return picture;
}

double stillFor(double elapsed) {
    const double t = std::fmod(std::max(elapsed, 0.0), cycleDuration);
    for (const Motion& motion : motions) {
        if (t < motion.start) return motion.start - t;
        if (t <= motion.end) return 0;
    }
    return cycleDuration - t + motions[0].start;
}

}  // namespace GroupDemoTimeline

bool systemPrefersReducedMotion() { return false; }

}  // namespace tessaly
