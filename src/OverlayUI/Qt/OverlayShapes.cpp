#include "OverlayUI/Qt/OverlayShapes.h"

#include <QPainter>
#include <QPen>
#include <QPolygonF>

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

QString symbolText(Symbol symbol) {
    switch (symbol) {
    case Symbol::add: return QStringLiteral("+");
    case Symbol::popOut: return QStringLiteral("\u2197");
    case Symbol::moveToDisplay: return QStringLiteral("\u29C9");
    case Symbol::suspended: return QStringLiteral("\u26F6");
    }
    return {};
}

void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, double size, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    const double s = size;
    // Strokes about as heavy as the glyph's, for a weight relative to the size.
    const auto stroke = [&](double weight) {
        painter.setPen(QPen(color, std::max(1.0, s * weight), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    };
    switch (symbol) {
    case Symbol::add: {
        stroke(0.13);
        const double arm = s * 0.34;
        painter.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() + arm, c.y()));
        painter.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
        break;
    }
    case Symbol::popOut: {
        stroke(0.13);
        const double reach = s * 0.3;
        const QPointF tip(c.x() + reach, c.y() - reach);
        painter.drawLine(QPointF(c.x() - reach, c.y() + reach), tip);
        painter.drawPolyline(QPolygonF{{tip.x() - reach * 1.25, tip.y()}, tip, {tip.x(), tip.y() + reach * 1.25}});
        break;
    }
    case Symbol::moveToDisplay: {
        stroke(0.09);
        // Two squares overlapping at a corner.
        const double side = s * 0.5;
        const double shift = s * 0.24;
        const QRectF lower(c.x() - side / 2 + shift / 2, c.y() - side / 2 + shift / 2, side, side);
        painter.drawRect(lower.translated(-shift, -shift));
        painter.drawRect(lower);
        break;
    }
    case Symbol::suspended: {
        stroke(0.1);
        // The four corners of a square.
        const double half = s * 0.36;
        const double leg = half * 0.7;
        const QRectF square(c.x() - half, c.y() - half, 2 * half, 2 * half);
        for (const QPointF& corner : {square.topLeft(), square.topRight(), square.bottomRight(), square.bottomLeft()}) {
            const double dx = corner.x() < c.x() ? leg : -leg;
            const double dy = corner.y() < c.y() ? leg : -leg;
            painter.drawPolyline(QPolygonF{{corner.x() + dx, corner.y()}, corner, {corner.x(), corner.y() + dy}});
        }
        break;
    }
    }
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
