#pragma once
// The program's mark, drawn rather than loaded: three outlined diamonds
// stacked vertically and overlapping, the top one fully opaque and the
// lower ones fainter. It serves the tray icon (18 px), the onboarding window
// (48 px), the How To page and, on a blue tile, the desktop icon.
//
// A tray here does not tint a template image, so the mark comes in two
// inks: dark strokes for a light panel, light strokes for a dark one.
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>

class QPainter;

namespace tessaly {

class AppGlyph {
public:
    enum class Panel { light, dark };

    // The mark in art units (y grows downwards).
    static constexpr double halfWidth = 300.0;
    static constexpr double halfHeight = 150.0;
    static constexpr double artLeft = 212.0;
    static constexpr double artTop = 180.0;
    static constexpr double artWidth = 600.0;
    static constexpr double artHeight = 664.0;
    static constexpr double artStroke = 40.0;
    static constexpr double minimumLineWidth = 1.25;

    struct Layer {
        double centreY;
        double opacity;
    };
    static constexpr Layer layers[] = {{694.0, 0.35}, {512.0, 0.65}, {330.0, 1.0}};  // drawing order

    // Where the mark goes in a rectangle: the stroke width, the scale of art
    // units and the top-left corner of the art box; nothing is drawn when
    // `drawable` is false (no usable room).
    struct Layout {
        double lineWidth = 0;
        double scale = 0;
        QPointF origin;
        bool drawable = false;
    };
    static Layout layout(const QRectF& rect, double inset);
    // The corners of the diamond centred at art height `centreY`, where a
    // layout puts them: top, right, bottom, left.
    static QPolygonF diamond(const Layout& where, double centreY);

    // Strokes the three diamonds into `rect`, kept `inset` from its edges,
    // centred with the mark's aspect ratio, in `ink` (each layer with its
    // own opacity).
    static void drawDiamonds(QPainter& painter, const QRectF& rect, double inset, const QColor& ink);

    // The ink that reads on a panel.
    static QColor ink(Panel panel);
    // The mark on a transparent square of `size` logical pixels (inset 4 %).
    static QPixmap pixmap(int size, Panel panel, qreal devicePixelRatio = 1.0);
    // The mark at the usual icon sizes, for a tray.
    static QIcon icon(Panel panel);
};

}  // namespace tessaly
