#pragma once
// The insert preview in Qt: an outline in the control accent colour (grey
// with a lock badge for a locked group) over the target. No compositor is
// assumed, so the fill that would tint the target is left out: the panel's
// shape is the outline ring (and the badge), and the target shows through
// untouched. It never takes the mouse or the focus.
#include <memory>

#include "OverlayUI/InsertPreviewPanel.h"
#include "OverlayUI/Qt/QtOverlayPanel.h"

namespace tessaly {

class InsertPreviewView;

class QtInsertPreviewPanel final : public InsertPreviewPanel {
public:
    // Wider than a translucent outline would be, since nothing tints the
    // target inside it.
    static constexpr int ringWidth = 4;
    static constexpr double cornerRadius = 8.0;

    QtInsertPreviewPanel();
    ~QtInsertPreviewPanel() override;

    void show(const Rect& over, bool locked) override;
    void hide() override;
    bool isShown() const override { return panel_.isVisible(); }

    QtOverlayPanel& panel() { return panel_; }
    InsertPreviewView& view() const { return *view_; }

private:
    InsertPreviewView* view_ = nullptr;  // owned by panel_
    QtOverlayPanel panel_;
};

// The preview's content (public for tests).
class InsertPreviewView : public QWidget {
public:
    InsertPreviewView();
    void setLocked(bool locked);
    bool isLocked() const { return locked_; }
    QColor outlineColor() const;
    // The lock badge's rectangle (empty when not locked).
    QRect badgeRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateMask();
    bool locked_ = false;
};

}  // namespace tessaly
