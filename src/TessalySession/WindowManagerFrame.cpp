#include "TessalySession/WindowManagerFrame.h"

#include <algorithm>

namespace tessaly {

namespace {

// One axis of the frame (from `start`, `length` long) against the work
// area's (from `areaStart`, `areaLength` long).
struct Axis {
    double start, length, areaStart, areaLength, tolerance, increment;

    double end() const { return start + length; }
    double areaEnd() const { return areaStart + areaLength; }
    // How far short of the work area's edge the window may stop: the
    // tolerance, or less than one increment.
    double shortBy() const { return increment > 0 ? std::max(tolerance, increment - 0.5) : tolerance; }
    bool startsAtArea(double slack) const { return start <= areaStart + slack; }
    bool endsAtArea(double slack) const { return end() >= areaEnd() - slack; }
    // Both edges at the work area's or beyond, one of them maybe short.
    bool fills() const {
        return (startsAtArea(tolerance) && endsAtArea(shortBy())) || (startsAtArea(shortBy()) && endsAtArea(tolerance));
    }
    bool inside() const { return start >= areaStart - tolerance && end() <= areaEnd() + tolerance; }
    bool narrower() const { return length < areaLength - shortBy(); }
    // Against the start or the end of the work area, not beyond it.
    bool atAnEdge() const { return inside() && (startsAtArea(tolerance) || endsAtArea(shortBy())); }
    // The part in the work area.
    void clip(double& clippedStart, double& clippedLength) const {
        clippedStart = std::max(start, areaStart);
        clippedLength = std::min(end(), areaEnd()) - clippedStart;
    }
};

}  // namespace

WindowManagerFrame WindowManagerFrame::judge(const Rect& frame, MaximizedAxes state, const Rect& workArea,
                                             Size increments, double tolerance) {
    const Rect f = frame.standardized();
    const Rect a = workArea.standardized();
    const Axis horizontal{f.minX(), f.width(), a.minX(), a.width(), tolerance, increments.width};
    const Axis vertical{f.minY(), f.height(), a.minY(), a.height(), tolerance, increments.height};

    WindowManagerFrame judged;
    judged.shown = f;
    const bool tile = vertical.fills() && horizontal.narrower() && horizontal.atAnEdge();
    if (state.any()) {
        if ((state.horizontal && !horizontal.fills()) || (state.vertical && !vertical.fills())) {
            judged.hold = Hold::halfWay;
            return judged;
        }
        judged.hold = state == MaximizedAxes{true, false} && tile ? Hold::tiled : Hold::maximized;
        if (state.horizontal) horizontal.clip(judged.shown.origin.x, judged.shown.size.width);
        if (state.vertical) vertical.clip(judged.shown.origin.y, judged.shown.size.height);
        return judged;
    }
    // Without a state, only a frame that lies in the work area: one reaching
    // beyond it is the user's.
    if (tile && vertical.inside()) {
        judged.hold = Hold::tiled;
        vertical.clip(judged.shown.origin.y, judged.shown.size.height);
    }
    return judged;
}

}  // namespace tessaly
