#include "TessalyApp/Qt/DesktopIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

#include <cstdio>

#include "TessalyApp/Qt/AppGlyph.h"

namespace tessaly {

namespace {

QColor white() { return QColor(255, 255, 255); }

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string result(text);
    while (result.back() == '0') result.pop_back();
    if (result.back() == '.') result.pop_back();
    return result;
}

std::string hex(QRgb rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", qRed(rgb), qGreen(rgb), qBlue(rgb));
    return text;
}

}  // namespace

void DesktopIcon::paint(QPainter& painter, double side) {
    const double margin = tileMargin * side;
    const QRectF tile(margin, margin, side - 2 * margin, side - 2 * margin);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, QColor::fromRgb(tileTop));
    fill.setColorAt(1, QColor::fromRgb(tileBottom));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, cornerRadius * side, cornerRadius * side);
    painter.restore();
    AppGlyph::drawDiamonds(painter, QRectF(0, 0, side, side), glyphInset * side, white());
}

QImage DesktopIcon::image(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, side);
    painter.end();
    return image;
}

QIcon DesktopIcon::icon() {
    QIcon icon;
    // Every window, the bars too, carries these in its _NET_WM_ICON: the
    // sizes a task bar shows, no more, since larger ones cost the first bars
    // at start tens of milliseconds and the painter's pool threads.
    for (const int side : {16, 32}) icon.addPixmap(QPixmap::fromImage(image(side)));
    return icon;
}

std::string DesktopIcon::svg() {
    const double side = svgSide;
    const double margin = tileMargin * side;
    const double radius = cornerRadius * side;
    const AppGlyph::Layout where = AppGlyph::layout(QRectF(0, 0, side, side), glyphInset * side);
    std::string text = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(side) + "\" height=\"" +
                       number(side) + "\" viewBox=\"0 0 " + number(side) + " " + number(side) + "\">\n";
    text += "  <defs>\n    <linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
            "      <stop offset=\"0\" stop-color=\"" + hex(tileTop) + "\"/>\n"
            "      <stop offset=\"1\" stop-color=\"" + hex(tileBottom) + "\"/>\n"
            "    </linearGradient>\n  </defs>\n";
    text += "  <rect x=\"" + number(margin) + "\" y=\"" + number(margin) + "\" width=\"" + number(side - 2 * margin) +
            "\" height=\"" + number(side - 2 * margin) + "\" rx=\"" + number(radius) + "\" ry=\"" + number(radius) +
            "\" fill=\"url(#tile)\"/>\n";
    text += "  <g fill=\"none\" stroke=\"#ffffff\" stroke-width=\"" + number(where.lineWidth) +
            "\" stroke-linejoin=\"miter\" stroke-miterlimit=\"4\">\n";
    for (const AppGlyph::Layer& layer : AppGlyph::layers) {
        const QPolygonF corners = AppGlyph::diamond(where, layer.centreY);
        std::string path;
        for (const QPointF& corner : corners) {
            path += (path.empty() ? "M" : " L") + number(corner.x()) + " " + number(corner.y());
        }
        text += "    <path d=\"" + path + " Z\" stroke-opacity=\"" + number(layer.opacity) + "\"/>\n";
    }
    text += "  </g>\n</svg>\n";
    return text;
}

}  // namespace tessaly
