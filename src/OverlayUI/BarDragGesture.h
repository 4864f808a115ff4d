#pragma once
// Presses on the background of a tab bar (outside its tabs and buttons): a
// single press activates the group and starts dragging the whole group by
// its bar, every pointer move reports the step since the last one, the
// release ends the drag; a double press asks to maximise (or restore) the
// group and starts nothing.
//
// The bar view owns one. Widget events (global pointer positions, X root
// pixels; Qt's implicit grab delivers moves outside the bar):
//
//   mousePressEvent (left)        -> press(1, global)
//   mouseDoubleClickEvent (left)  -> press(2, global)
//   mouseMoveEvent (left held)    -> move(global)
//   mouseReleaseEvent (left)      -> release()
//   bar hidden, closed, grab lost -> cancel()
//
// A drag ends only through one path, whatever ends it: a release, a cancel
// (the bar was hidden or closed, or lost the pointer grab, so no release
// will come), or a new press while a drag is still held (its release was
// lost). Each reports onDragEnd once, so the owner never keeps a drag that
// nothing will finish.
//
// Main thread only. Callbacks may re-enter (hide the bar, which cancels).
#include <functional>
#include <optional>

#include "Platform/Geometry.h"

namespace tessaly {

class BarDragGesture {
public:
    // ---- What the gesture reports (absent callbacks do nothing) ----
    std::function<void()> onActivate;    // a single press
    std::function<void()> onMaximize;    // the second press of a double click
    std::function<void(Point)> onDrag;   // the pointer's step since the last report, y down
    std::function<void()> onDragEnd;     // the drag ended (release or cancel)

    // ---- Events ----
    void press(int clickCount, Point global);
    void move(Point global);
    void release();
    void cancel();

    bool isDragging() const { return lastDragLocation_.has_value(); }

private:
    void end();

    std::optional<Point> lastDragLocation_;
};

}  // namespace tessaly
