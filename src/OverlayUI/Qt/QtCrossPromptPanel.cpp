#include "OverlayUI/Qt/QtCrossPromptPanel.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include "OverlayUI/TabStripGeometry.h"
#include "OverlayUI/Qt/OverlayShapes.h"
#include "OverlayUI/Qt/ShownText.h"

namespace tessaly {

namespace {

constexpr int kPillInsetH = 16;
constexpr int kPillInsetV = 8;
constexpr double kPillCornerRadius = 10.0;
constexpr std::size_t kLongestText = 200;

}  // namespace

CrossPromptView::CrossPromptView() : QWidget(nullptr) {
    QFont font;
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    setFont(font);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CrossPromptView::setText(const std::string& text) {
    const QString shown = ShownText::sanitizedAndCut(text, kLongestText);
    if (shown == text_) return;
    text_ = shown;
    updateMask();
    update();
}

QRect CrossPromptView::pillRect() const {
    const QFontMetrics metrics(font());
    const int width = std::min(this->width(), metrics.horizontalAdvance(text_) + 2 * kPillInsetH);
    const int height = metrics.height() + 2 * kPillInsetV;
    return QRect((this->width() - width) / 2, (this->height() - height) / 2, width, height);
}

void CrossPromptView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMask();
}

void CrossPromptView::updateMask() {
    if (width() <= 0 || height() <= 0) return;
    setMask(OverlayShapes::ring(rect(), ringWidth, TabStripGeometry::windowCornerRadius) +
            OverlayShapes::region(OverlayShapes::roundedRect(QRectF(pillRect()), kPillCornerRadius)));
}

void CrossPromptView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The dimming ring: black at 0.4 over a mid-grey window, drawn opaque.
    painter.fillRect(rect(), QColor(72, 72, 72));
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect pill = pillRect();
    painter.fillPath(OverlayShapes::roundedRect(QRectF(pill), kPillCornerRadius), QApplication::palette().color(QPalette::Highlight));
    painter.setPen(Qt::white);
    painter.drawText(pill.adjusted(kPillInsetH, 0, -kPillInsetH, 0), Qt::AlignCenter | Qt::TextSingleLine,
                     QFontMetrics(font()).elidedText(text_, Qt::ElideRight, pill.width() - 2 * kPillInsetH));
}

QtCrossPromptPanel::QtCrossPromptPanel() = default;

QtOverlayPanel& QtCrossPromptPanel::panel() {
    if (!panel_) {
        panel_ = std::make_unique<QtOverlayPanel>(QtOverlayPanel::content(std::make_unique<CrossPromptView>(), view_),
                                                  nullptr,
                                                  QtOverlayPanel::Options{.takesMouse = false, .floating = true});
    }
    return *panel_;
}

CrossPromptView& QtCrossPromptPanel::view() {
    panel();
    return *view_;
}

QtCrossPromptPanel::~QtCrossPromptPanel() = default;

void QtCrossPromptPanel::show(const std::string& text, const Rect& over) {
    view().setText(text);
    panel_->setFrame(over);
    panel_->orderFront();
}

void QtCrossPromptPanel::hide() {
    if (panel_) panel_->orderOut();
}

}  // namespace tessaly
