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
// Fills a rounded rectangle: the straight parts as plain rectangles, only
// the corners antialiased. Qt's rasteriser hands an antialiased shape of many
// scan lines (any tab at device pixel ratio 2) to its thread pool, and
// waking it costs more than the fill itself. The parts do not overlap, so a
// translucent fill blends once everywhere.
void fillRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QColor& color);
// The band `width` pixels wide along the inside of `rect`'s rounded edge.
QRegion ring(const QRect& rect, int width, double cornerRadius);
// A shape as a window region.
QRegion region(const QPainterPath& path);
// A window's shape less what covers it. Qt takes an empty mask for none at
// all: a window covered whole gets a shape that shows nothing of it.
QRegion uncovered(const QRegion& shape, const QRegion& cover);

}  // namespace tessaly::OverlayShapes
