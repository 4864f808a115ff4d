#include "OverlayUI/Qt/TabDragChip.h"

#include <QPainter>
#include <QWidget>

#include "OverlayUI/Qt/OverlayShapes.h"
#include "OverlayUI/Qt/TabItemView.h"

namespace tessaly {

// The chip's content: the picture stretched over the chip, cut to the
// tab's rounded corners.
class TabDragChipView : public QWidget {
public:
    TabDragChipView() : QWidget(nullptr) { setAttribute(Qt::WA_OpaquePaintEvent); }

    void setPicture(const QPixmap& picture, const QColor& background) {
        picture_ = picture;
        background_ = background;
        update();
    }
    const QPixmap& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), background_);
        if (!picture_.isNull()) painter.drawPixmap(rect(), picture_);
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        setMask(OverlayShapes::region(OverlayShapes::roundedRect(QRectF(rect()), TabItemView::cornerRadius)));
    }

private:
    QPixmap picture_;
    QColor background_{Qt::white};
};

TabDragChip::TabDragChip()
    : panel_(QtOverlayPanel::content(std::make_unique<TabDragChipView>(), view_), nullptr,
             {.takesMouse = false, .floating = true}) {}

TabDragChip::~TabDragChip() = default;

void TabDragChip::show(const QPixmap& picture, const QColor& background, const Rect& frame) {
    view_->setPicture(picture, background);
    panel_.setFrame(frame);
    panel_.orderFront();
}

void TabDragChip::move(const Rect& frame) { panel_.setFrame(frame); }

void TabDragChip::hide() { panel_.orderOut(); }

const QPixmap& TabDragChip::picture() const { return view_->picture(); }

}  // namespace tessaly
