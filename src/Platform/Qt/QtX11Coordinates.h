#pragma once
// Between Qt's logical coordinates and X root pixels. Both are top-left
// global coordinates; they differ when Qt scales (QT_SCALE_FACTOR, or an
// Xft.dpi above 96): each screen then keeps its top-left corner and is
// scaled by its device pixel ratio from there, as Qt itself maps windows.
// Without scaling both directions are the identity.
//
// Values stay fractional here; a window is placed in whole X pixels with
// QtX11Connection::configure, which is exact where QWidget::move of a
// logical position can miss an odd pixel.
#include "Platform/Geometry.h"

#include <QPointF>
#include <QRectF>

class QScreen;

namespace tessaly {

class QtX11Coordinates {
public:
    // Through the screen holding the point (logical for toX, X pixels for
    // fromX); the primary screen when none does.
    static Point toX(QPointF logical);
    static QPointF fromX(Point xPixels);
    // Through the screen holding the rectangle's top-left corner, so that a
    // window straddling two screens keeps its size.
    static Rect toX(const QRectF& logical);
    static QRectF fromX(const Rect& xPixels);

    // Through a given screen (none: no scaling).
    static Point toX(QPointF logical, const QScreen* screen);
    static QPointF fromX(Point xPixels, const QScreen* screen);

    // The screen whose X pixel area holds the point.
    static QScreen* screenAtX(Point xPixels);
};

}  // namespace tessaly
