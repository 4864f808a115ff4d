#include "TessalyCore/LiveFollowGate.h"

#include <algorithm>
#include <cmath>

namespace tessaly::LiveFollowGate {

namespace {

double jump(Point a, Point b) { return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)); }

}  // namespace

Decision decide(const Rect& frame, const std::optional<Rect>& lastGood, Point cursor,
                std::optional<Point> cursorAtLastGood, int rejectStreak, double glitchJump, int maxReject) {
    if (!lastGood) return {true, 0};
    const double frameJump = jump(frame.origin, lastGood->origin);
    const double cursorJump = cursorAtLastGood ? jump(cursor, *cursorAtLastGood) : 0;
    const bool suspicious = frameJump > glitchJump && frameJump > cursorJump + glitchJump;
    if (suspicious && rejectStreak < maxReject) return {false, rejectStreak + 1};
    return {true, 0};
}

bool acceptFinalFrame(const Rect& fresh, const Rect& lastGood, Point cursorNow, Point cursorAtLastGood,
                      double glitchJump) {
    const Point expected{lastGood.origin.x + (cursorNow.x - cursorAtLastGood.x),
                         lastGood.origin.y + (cursorNow.y - cursorAtLastGood.y)};
    return std::abs(fresh.origin.x - expected.x) <= glitchJump && std::abs(fresh.origin.y - expected.y) <= glitchJump;
}

Rect finalFrame(const std::optional<Rect>& fresh, const std::optional<Rect>& lastGood,
                std::optional<Point> cursorNow, std::optional<Point> cursorAtLastGood, const Rect& original,
                double glitchJump) {
    if (!lastGood) return fresh ? *fresh : original;
    if (!fresh) return *lastGood;
    if (!cursorNow) return *fresh;
    if (!cursorAtLastGood) return *lastGood;
    return acceptFinalFrame(*fresh, *lastGood, *cursorNow, *cursorAtLastGood, glitchJump) ? *fresh : *lastGood;
}

}  // namespace tessaly::LiveFollowGate

