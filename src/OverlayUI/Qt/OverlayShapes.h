#pragma once
// Small shapes the overlay draws itself: the padlock of a locked group
// (the desktop offers no symbol font), rounded rectangles, and the ring a
// panel is cut to when it must leave the window beneath it visible (no
// compositor is assumed, so a panel cannot be translucent).
#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QRegion>

class QPainter;

namespace tessaly::OverlayShapes {

// A filled padlock centred in `box`, `height` pixels high.
void drawPadlock(QPainter& painter, const QRectF& box, double height, const QColor& color);

QPainterPath roundedRect(const QRectF& rect, double radius);
// The band `width` pixels wide along the inside of `rect`'s rounded edge.
QRegion ring(const QRect& rect, int width, double cornerRadius);
// A shape as a window region.
QRegion region(const QPainterPath& path);

}  // namespace tessaly::OverlayShapes
