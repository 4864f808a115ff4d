#include "TessalyApp/Qt/AppGlyph.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace tessaly {

AppGlyph::Layout AppGlyph::layout(const QRectF& rect, double inset) {
    Layout result;
    const double fit = std::min((rect.width() - 2 * inset) / artWidth, (rect.height() - 2 * inset) / artHeight);
    result.lineWidth = std::max(fit * artStroke, minimumLineWidth);
    const double margin = result.lineWidth / 2 + inset;
    const QRectF box = rect.adjusted(margin, margin, -margin, -margin);
    result.scale = std::min(box.width() / artWidth, box.height() / artHeight);
    if (!(result.scale > 0) || !std::isfinite(result.scale)) return result;
    result.origin = QPointF(box.center().x() - result.scale * artWidth / 2,
                            box.center().y() - result.scale * artHeight / 2);
    result.drawable = true;
    return result;
}

void AppGlyph::drawDiamonds(QPainter& painter, const QRectF& rect, double inset, const QColor& ink) {
    const Layout where = layout(rect, inset);
    if (!where.drawable) return;
    const auto point = [&](double ax, double ay) {
        return QPointF(where.origin.x() + where.scale * (ax - artLeft), where.origin.y() + where.scale * (ay - artTop));
    };
    const double centreX = artLeft + artWidth / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    for (const Layer& layer : layers) {
        QPainterPath diamond;
        diamond.moveTo(point(centreX, layer.centreY - halfHeight));
        diamond.lineTo(point(centreX + halfWidth, layer.centreY));
        diamond.lineTo(point(centreX, layer.centreY + halfHeight));
        diamond.lineTo(point(centreX - halfWidth, layer.centreY));
        diamond.closeSubpath();
        QColor color = ink;
        color.setAlphaF(static_cast<float>(ink.alphaF() * layer.opacity));
        QPen pen(color, where.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawPath(diamond);
    }
    painter.restore();
}

QColor AppGlyph::ink(Panel panel) { return panel == Panel::light ? QColor(0, 0, 0) : QColor(255, 255, 255); }

QPixmap AppGlyph::pixmap(int size, Panel panel, qreal devicePixelRatio) {
    const int pixels = std::max(1, static_cast<int>(std::lround(size * devicePixelRatio)));
    QPixmap image(pixels, pixels);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawDiamonds(painter, QRectF(0, 0, size, size), 0.04 * size, ink(panel));
    painter.end();
    return image;
}

QIcon AppGlyph::icon(Panel panel) {
    QIcon icon;
    for (const int size : {16, 18, 22, 24, 32, 48, 64}) icon.addPixmap(pixmap(size, panel));
    return icon;
}

QPixmap AppGlyph::tile(int size) {
    const int pixels = std::max(1, size);
    QPixmap image(pixels, pixels);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square(0.5, 0.5, pixels - 1.0, pixels - 1.0);
    const double radius = pixels * 0.2;
    painter.setPen(QPen(QColor(0, 0, 0, 70), 1.0));
    painter.setBrush(QColor(0xF4, 0xF5, 0xF7));
    painter.drawRoundedRect(square, radius, radius);
    drawDiamonds(painter, QRectF(0, 0, pixels, pixels), 0.14 * pixels, QColor(0x20, 0x24, 0x2B));
    painter.end();
    return image;
}

QIcon AppGlyph::windowIcon() {
    // Every window carries each size (30 KB here): window managers scale
    // up for larger views.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) icon.addPixmap(tile(size));
    return icon;
}

}  // namespace tessaly
