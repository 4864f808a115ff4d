#include "OverlayUI/Qt/HoverGlowButton.h"

#include <QPainter>
#include <QPainterPath>

namespace tessaly {

HoverGlowButton::HoverGlowButton(OverlayShapes::Symbol symbol, double size, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), size_(size) {
    setText(OverlayShapes::symbolText(symbol));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void HoverGlowButton::setColors(const QColor& tint, const QColor& glow) {
    if (tint == tint_ && glow == glow_) return;
    tint_ = tint;
    glow_ = glow;
    update();
}

void HoverGlowButton::setContentOpacity(double opacity) {
    if (opacity == opacity_) return;
    opacity_ = opacity;
    update();
}

QSize HoverGlowButton::sizeHint() const { return {22, 22}; }

void HoverGlowButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity_);
    if (hovered_) {
        QPainterPath glow;
        glow.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.fillPath(glow, glow_);
    }
    OverlayShapes::drawSymbol(painter, symbol_, QRectF(rect()), size_, tint_);
}

void HoverGlowButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void HoverGlowButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void HoverGlowButton::hideEvent(QHideEvent* event) {
    // A button hidden under the pointer gets no leave event: no glow is left behind.
    hovered_ = false;
    QAbstractButton::hideEvent(event);
}

}  // namespace tessaly
