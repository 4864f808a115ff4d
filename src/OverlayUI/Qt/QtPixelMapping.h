#pragma once
// Between the overlay's frames (X root pixels, top-left) and Qt's logical
// coordinates. Qt scales by one factor on every screen (QT_SCALE_FACTOR,
// Xft.dpi) and keeps each screen's top-left corner where it is in pixels:
// a point p on a screen with top-left o maps to o + (p - o) / factor.
// Without scaling (and offscreen) both are the same.
#include <QPoint>
#include <QPointF>
#include <QRect>

#include "Platform/Geometry.h"

class QScreen;

namespace tessaly::QtPixelMapping {

// X pixels per logical pixel (2 under QT_SCALE_FACTOR=2).
double scaleFactor();

QPointF logicalPoint(Point pixels);
Point pixelPoint(QPointF logical);
// The logical rectangle covering a pixel rectangle, rounded to whole
// logical pixels.
QRect logicalRect(const Rect& pixels);
Rect pixelRect(const QRect& logical);

}  // namespace tessaly::QtPixelMapping
