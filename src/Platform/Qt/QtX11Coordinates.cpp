#include "Platform/Qt/QtX11Coordinates.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tessaly {

namespace {

QScreen* screenAtLogical(QPointF logical) {
    const QPoint pixel(static_cast<int>(std::floor(logical.x())), static_cast<int>(std::floor(logical.y())));
    if (QScreen* screen = QGuiApplication::screenAt(pixel)) return screen;
    return QGuiApplication::primaryScreen();
}

// The screen's area in X pixels: its corner is where Qt puts it in both
// spaces, its size is scaled.
QRectF xArea(const QScreen& screen) {
    const QRect logical = screen.geometry();
    const double ratio = screen.devicePixelRatio();
    return QRectF(logical.topLeft(), QSizeF(logical.size()) * ratio);
}

}  // namespace

Point QtX11Coordinates::toX(QPointF logical, const QScreen* screen) {
    if (!screen) return {logical.x(), logical.y()};
    const QPointF origin = screen->geometry().topLeft();
    const QPointF x = (logical - origin) * screen->devicePixelRatio() + origin;
    return {x.x(), x.y()};
}

QPointF QtX11Coordinates::fromX(Point xPixels, const QScreen* screen) {
    const QPointF x(xPixels.x, xPixels.y);
    if (!screen) return x;
    const QPointF origin = screen->geometry().topLeft();
    return (x - origin) / screen->devicePixelRatio() + origin;
}

QScreen* QtX11Coordinates::screenAtX(Point xPixels) {
    const QPointF point(xPixels.x, xPixels.y);
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRectF area = xArea(*screen);
        // Half-open: the right and bottom edges belong to the next screen.
        if (point.x() >= area.left() && point.x() < area.right() && point.y() >= area.top() && point.y() < area.bottom()) {
            return screen;
        }
    }
    return nullptr;
}

Point QtX11Coordinates::toX(QPointF logical) { return toX(logical, screenAtLogical(logical)); }

QPointF QtX11Coordinates::fromX(Point xPixels) {
    QScreen* screen = screenAtX(xPixels);
    return fromX(xPixels, screen ? screen : QGuiApplication::primaryScreen());
}

Rect QtX11Coordinates::toX(const QRectF& logical) {
    const QScreen* screen = screenAtLogical(logical.topLeft());
    const double ratio = screen ? screen->devicePixelRatio() : 1.0;
    return Rect(toX(logical.topLeft(), screen), Size{logical.width() * ratio, logical.height() * ratio});
}

QRectF QtX11Coordinates::fromX(const Rect& xPixels) {
    const Rect r = xPixels.standardized();
    QScreen* screen = screenAtX(r.origin);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const double ratio = screen ? screen->devicePixelRatio() : 1.0;
    return QRectF(fromX(r.origin, screen), QSizeF(r.size.width / ratio, r.size.height / ratio));
}

}  // namespace tessaly
