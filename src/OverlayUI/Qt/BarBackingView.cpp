#include "OverlayUI/Qt/BarBackingView.h"

#include <QPaintEvent>
#include <QPainter>

#include "OverlayUI/Qt/QtBarColors.h"
#include "OverlayUI/Qt/X11PanelOps.h"

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
    const QColor fill = fillColor();
    painter.fillRect(event->rect(), fill);
    // The pixel of the window's visual: premultiplied ARGB with an alpha
    // channel, RGB without.
    const auto window = static_cast<std::uint32_t>(internalWinId());
    const std::uint32_t pixel =
        testAttribute(Qt::WA_TranslucentBackground) ? qPremultiply(fill.rgba()) : (fill.rgb() & 0xffffffu);
    if (window != 0 && (window != backgroundWindow_ || pixel != backgroundPixel_)) {
        X11PanelOps::setBackground(window, pixel);
        backgroundWindow_ = window;
        backgroundPixel_ = pixel;
    }
}

}  // namespace tessaly
