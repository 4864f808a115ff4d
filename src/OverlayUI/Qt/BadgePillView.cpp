#include "OverlayUI/Qt/BadgePillView.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "OverlayUI/Qt/QtBarColors.h"

namespace tessaly {

namespace {

QFont pillFont() {
    QFont font;
    font.setPixelSize(9);
    font.setBold(true);
    return font;
}

}  // namespace

BadgePillView::BadgePillView(const QString& text, const TabColor& color, QWidget* parent)
    : QWidget(parent), text_(text), color_(color) {
    setFont(pillFont());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(sizeHint());
}

void BadgePillView::setColor(const TabColor& color) {
    color_ = color;
    update();
}

void BadgePillView::setContentOpacity(double opacity) {
    opacity_ = opacity;
    update();
}

QColor BadgePillView::textColor() const { return color_.prefersDarkText() ? QColor(Qt::black) : QColor(Qt::white); }

QSize BadgePillView::sizeHint() const {
    const int natural = fontMetrics().horizontalAdvance(text_) + 2 * horizontalPadding;
    return {std::max(minimumWidth, natural), height};
}

void BadgePillView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity_);
    QPainterPath capsule;
    const double radius = height * 0.5;
    capsule.addRoundedRect(QRectF(rect()), radius, radius);
    painter.fillPath(capsule, QtBarColors::color(color_));
    painter.setPen(textColor());
    painter.drawText(rect(), Qt::AlignCenter, text_);
}

}  // namespace tessaly
