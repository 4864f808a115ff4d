#include "OverlayUI/BarDragGesture.h"

#include <cmath>

namespace tessaly {

namespace {

bool isFinite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

void BarDragGesture::press(int clickCount, Point global) {
    // A drag still held here lost its release: it ends before anything new starts.
    end();
    if (clickCount == 2) {
        if (onMaximize) onMaximize();
        return;
    }
    if (!isFinite(global)) return;
    // Held before activating: should the activation hide the bar, its
    // cancel finds the drag and ends it.
    lastDragLocation_ = global;
    if (onActivate) onActivate();
}

void BarDragGesture::move(Point global) {
    if (!lastDragLocation_ || !isFinite(global)) return;
    const Point last = *lastDragLocation_;
    lastDragLocation_ = global;
    if (onDrag) onDrag({global.x - last.x, global.y - last.y});
}

void BarDragGesture::release() { end(); }

void BarDragGesture::cancel() { end(); }

void BarDragGesture::end() {
    if (!lastDragLocation_) return;
    lastDragLocation_.reset();
    if (onDragEnd) onDragEnd();
}

}  // namespace tessaly
