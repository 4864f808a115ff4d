#pragma once
// The insert preview in Qt: an outline in the control accent colour (grey
// with a lock badge for a locked group) over the target. While a
// compositing manager runs, the panel is translucent: a thin outline at 0.8
// around a fill at 0.25 that tints the target. Without one, a translucent
// window would show black, so the fill is left out: the panel's shape is a
// wider opaque ring (and the badge), and the target shows through
// untouched. It never takes the mouse or the focus.
#include <memory>

#include "OverlayUI/InsertPreviewPanel.h"
#include "OverlayUI/Qt/QtOverlayPanel.h"
#include "Platform/Compositing.h"
#include "Platform/Subscription.h"

namespace tessaly {

class InsertPreviewView;

class QtInsertPreviewPanel final : public InsertPreviewPanel {
public:
    // The opaque outline: wider than the translucent one, since nothing
    // tints the target inside it.
    static constexpr int ringWidth = 4;
    static constexpr double borderWidth = 2.0;
    static constexpr double cornerRadius = 8.0;
    static constexpr double fillAlpha = 0.25;
    static constexpr double borderAlpha = 0.8;

    // `compositing` null: always opaque.
    explicit QtInsertPreviewPanel(std::shared_ptr<Compositing> compositing = nullptr);
    ~QtInsertPreviewPanel() override;

    void show(const Rect& over, bool locked) override;
    void hide() override;
    bool isShown() const override { return panel_ && panel_->isVisible(); }

    // The window is made when first needed: most sessions never show it.
    QtOverlayPanel& panel();
    InsertPreviewView& view();

private:
    InsertPreviewView* view_ = nullptr;  // owned by panel_
    std::unique_ptr<QtOverlayPanel> panel_;
    std::shared_ptr<Compositing> compositing_;
    Subscription compositingObserver_;  // last: ends before the panel goes
};

// The preview's content (public for tests).
class InsertPreviewView : public QWidget {
public:
    InsertPreviewView();
    void setLocked(bool locked);
    bool isLocked() const { return locked_; }
    // The outline's colour, and the fill's (transparent without one): as
    // painted in the view's window, translucent or opaque.
    QColor outlineColor() const;
    QColor fillColor() const;
    // The window's shape follows whether it is translucent.
    void updateMask();
    // The lock badge's rectangle (empty when not locked).
    QRect badgeRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool translucent() const { return testAttribute(Qt::WA_TranslucentBackground); }
    bool locked_ = false;
};

}  // namespace tessaly
