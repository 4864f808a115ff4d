#include "OverlayUI/Qt/QtPixelMapping.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tessaly::QtPixelMapping {

namespace {

// The screen whose pixel area holds the point (the primary one otherwise),
// and its top-left corner, which is the same in both coordinates.
QPointF screenOrigin(QPointF point, bool pointInPixels) {
    const double factor = scaleFactor();
    const QScreen* found = nullptr;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const QRectF area = pointInPixels ? QRectF(g.topLeft(), QSizeF(g.size()) * factor) : QRectF(g);
        if (area.contains(point)) {
            found = screen;
            break;
        }
    }
    if (!found) found = QGuiApplication::primaryScreen();
    return found ? QPointF(found->geometry().topLeft()) : QPointF();
}

}  // namespace

double scaleFactor() {
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    const double factor = screen ? screen->devicePixelRatio() : 1.0;
    return factor > 0 ? factor : 1.0;
}

QPointF logicalPoint(Point pixels) {
    const QPointF p(pixels.x, pixels.y);
    const QPointF origin = screenOrigin(p, true);
    return origin + (p - origin) / scaleFactor();
}

Point pixelPoint(QPointF logical) {
    const QPointF origin = screenOrigin(logical, false);
    const QPointF p = origin + (logical - origin) * scaleFactor();
    return {p.x(), p.y()};
}

QRect logicalRect(const Rect& pixels) {
    const Rect r = pixels.standardized();
    const QPointF topLeft = logicalPoint(r.origin);
    const double factor = scaleFactor();
    return QRect(QPoint(static_cast<int>(std::lround(topLeft.x())), static_cast<int>(std::lround(topLeft.y()))),
                 QSize(static_cast<int>(std::lround(r.size.width / factor)),
                       static_cast<int>(std::lround(r.size.height / factor))));
}

Rect pixelRect(const QRect& logical) {
    const Point topLeft = pixelPoint(QPointF(logical.topLeft()));
    const double factor = scaleFactor();
    return Rect(topLeft.x, topLeft.y, logical.width() * factor, logical.height() * factor);
}

}  // namespace tessaly::QtPixelMapping
