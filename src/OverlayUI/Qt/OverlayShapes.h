#pragma once
// Small shapes the overlay draws itself: the padlock of a locked group and
// the symbols of its buttons and tabs (drawn, not set in a font: the fonts
// a desktop has may lack them, and a missing glyph shows as a box), rounded
// rectangles, and the ring a panel is cut to when it must leave the window
// beneath it visible (without a compositor a panel cannot be translucent).
#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QRegion>
#include <QString>

class QPainter;

namespace tessaly::OverlayShapes {

// A filled padlock centred in `box`, `height` pixels high.
void drawPadlock(QPainter& painter, const QRectF& box, double height, const QColor& color);

enum class Symbol {
    add,            // "+": the add button
    popOut,         // "↗": a tab's pop-out button
    moveToDisplay,  // "⧉": the move-to-display button
    suspended,      // "⛶": before a suspended tab's title
};
// The character a symbol stands for, as text (accessible names, titles).
QString symbolText(Symbol symbol);
// The symbol centred in `box`, about `size` pixels high (as a glyph of a
// font of that pixel size would be).
void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, double size, const QColor& color);

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
