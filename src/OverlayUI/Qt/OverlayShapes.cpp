#include "OverlayUI/Qt/OverlayShapes.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace tessaly::OverlayShapes {

void drawPadlock(QPainter& painter, const QRectF& box, double height, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double bodyHeight = height * 0.55;
    const double bodyWidth = height * 0.75;
    const QRectF body(box.center().x() - bodyWidth / 2, box.center().y() + height / 2 - bodyHeight, bodyWidth,
                      bodyHeight);
    const double shackleWidth = bodyWidth * 0.6;
    const double stroke = std::max(1.2, height * 0.12);
    QPen pen(color, stroke);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double shackleTop = body.top() - (height - bodyHeight) + stroke / 2;
    painter.drawArc(QRectF(body.center().x() - shackleWidth / 2, shackleTop, shackleWidth, (body.top() - shackleTop) * 2),
                    0, 180 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(body, bodyHeight * 0.15, bodyHeight * 0.15);
    painter.restore();
}

QPainterPath roundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void fillRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QColor& color) {
    const QRectF r = rect.normalized();
    const double c = std::clamp(radius, 0.0, std::min(r.width(), r.height()) / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(r.left() + c, r.top(), r.width() - 2 * c, r.height()), color);
    painter.fillRect(QRectF(r.left(), r.top() + c, c, r.height() - 2 * c), color);
    painter.fillRect(QRectF(r.right() - c, r.top() + c, c, r.height() - 2 * c), color);
    if (c > 0) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QPointF corners[] = {{r.left(), r.top()}, {r.right() - 2 * c, r.top()},
                                   {r.right() - 2 * c, r.bottom() - 2 * c}, {r.left(), r.bottom() - 2 * c}};
        const double starts[] = {90, 0, 270, 180};
        for (int i = 0; i < 4; ++i) {
            // A quarter disc filling the corner's c x c box.
            const QRectF circle(corners[i], QSizeF(2 * c, 2 * c));
            QPainterPath pie;
            pie.moveTo(circle.center());
            pie.arcTo(circle, starts[i], 90);
            pie.closeSubpath();
            painter.fillPath(pie, color);
        }
    }
    painter.restore();
}

QRegion ring(const QRect& rect, int width, double cornerRadius) {
    const QRectF outer(rect);
    return region(roundedRect(outer, cornerRadius)) -
           region(roundedRect(outer.adjusted(width, width, -width, -width), std::max(0.0, cornerRadius - width / 2.0)));
}

QRegion region(const QPainterPath& path) { return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill); }

QRegion uncovered(const QRegion& shape, const QRegion& cover) {
    const QRegion left = shape - cover;
    return left.isEmpty() ? QRegion(-1, -1, 1, 1) : left;
}

}  // namespace tessaly::OverlayShapes
