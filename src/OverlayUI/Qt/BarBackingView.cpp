#include "OverlayUI/Qt/BarBackingView.h"

#include <QPaintEvent>
#include <QPainter>

#include "OverlayUI/Qt/QtBarColors.h"

namespace tessaly {

BarBackingView::BarBackingView() : QWidget(nullptr) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BarBackingView::setTabBarOpacity(double opacity) {
    if (opacity == tabBarOpacity_) return;
    tabBarOpacity_ = opacity;
    update();
}

void BarBackingView::setGroupAccent(const std::optional<TabColor>& accent) {
    if (accent == groupAccent_) return;
    groupAccent_ = accent;
    update();
}

void BarBackingView::setBarPalette(const BarPalette& palette) {
    if (palette == palette_) return;
    palette_ = palette;
    update();
}

QColor BarBackingView::fillColor() const {
    return QtBarColors::barFill(palette_, groupAccent_, tabBarOpacity_, testAttribute(Qt::WA_TranslucentBackground));
}

void BarBackingView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(event->rect(), fillColor());
}

}  // namespace tessaly
