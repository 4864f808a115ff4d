#pragma once
// The picture of a tab popped out of its bar, following the pointer over
// the screen: a floating overlay panel (override-redirect, never focused)
// whose input region is empty, so that the pointer, clicks and other
// applications' drags find what lies under it. Raised to the top of the
// stack every time it is shown. Made on a bar's first pop-out and kept for
// the bar's life; the bar view owns it.
#include <QColor>
#include <QPixmap>

#include "OverlayUI/Qt/QtOverlayPanel.h"
#include "Platform/Geometry.h"

namespace tessaly {

class TabDragChipView;

class TabDragChip {
public:
    TabDragChip();
    ~TabDragChip();
    TabDragChip(const TabDragChip&) = delete;
    TabDragChip& operator=(const TabDragChip&) = delete;

    // Shows `picture` at `frame` (X pixels) over everything; `background`
    // shows where the picture is transparent (no compositor is assumed).
    void show(const QPixmap& picture, const QColor& background, const Rect& frame);
    void move(const Rect& frame);
    void hide();

    bool isShown() const { return panel_.isVisible(); }
    QtOverlayPanel& panel() { return panel_; }
    const QPixmap& picture() const;

private:
    TabDragChipView* view_ = nullptr;  // owned by panel_
    QtOverlayPanel panel_;
};

}  // namespace tessaly
