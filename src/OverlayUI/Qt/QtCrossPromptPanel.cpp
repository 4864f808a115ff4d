#include "OverlayUI/Qt/QtCrossPromptPanel.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <cmath>

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

int CrossPromptView::textWidth() const {
    // Measured on this widget's device, rounded up: the text is laid out in
    // fractional pixels, and a pill of the rounded-down width cuts it.
    return static_cast<int>(std::ceil(QFontMetricsF(font(), this).horizontalAdvance(text_)));
}

QRect CrossPromptView::pillRect() const {
    const int width = std::min(this->width(), textWidth() + 2 * kPillInsetH);
    const int height = static_cast<int>(std::ceil(QFontMetricsF(font(), this).height())) + 2 * kPillInsetV;
    return QRect((this->width() - width) / 2, (this->height() - height) / 2, width, height);
}

QString CrossPromptView::shownText() const {
    const int room = pillRect().width() - 2 * kPillInsetH;
    if (textWidth() <= room) return text_;
    // Only a target narrower than the text cuts it.
    return QFontMetricsF(font(), this).elidedText(text_, Qt::ElideRight, room);
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
    // Centred on the pill, not clipped to its inset: the text may round up
    // into the inset by a fraction of a pixel.
    painter.drawText(pill, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, shownText());
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
