#pragma once
// The outline shown over a window or group while a dragged window (or a
// dragged bar) is held over it: releasing will group or merge. In its
// locked form it is grey with a lock badge ("This group is locked").
// Floating, never focused, never takes the mouse.
#include "Platform/Geometry.h"

namespace tessaly {

class InsertPreviewPanel {
public:
    virtual ~InsertPreviewPanel() = default;

    // Frames the preview on `over` (global top-left) and orders it front;
    // again while shown it moves and recolours.
    virtual void show(const Rect& over, bool locked) = 0;
    virtual void hide() = 0;
    virtual bool isShown() const = 0;
};

}  // namespace tessaly
