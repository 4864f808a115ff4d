#pragma once
// The program's icon for the desktop (application menu, window icon): the
// mark of AppGlyph in white on a rounded blue tile, which reads on light
// and dark menus alike. It is painted (the window icon, the icon theme's
// PNG files) and written as SVG (the theme's scalable icon) from the same
// numbers and the same diamonds, so every size shows one design.
#include <QIcon>
#include <QImage>
#include <QRgb>

#include <string>

class QPainter;

namespace tessaly {

class DesktopIcon {
public:
    // Fractions of the icon's side.
    static constexpr double tileMargin = 1.0 / 16;  // the tile keeps off the edges
    static constexpr double cornerRadius = 0.19;
    static constexpr double glyphInset = 0.2;  // the mark keeps off the edges
    // The tile's gradient, top to bottom.
    static constexpr QRgb tileTop = 0xff4a6fb0;
    static constexpr QRgb tileBottom = 0xff263d6c;
    // The side of the SVG's view box.
    static constexpr int svgSide = 256;

    // The icon on a square of `side` pixels.
    static void paint(QPainter& painter, double side);
    // The icon as an image of side x side pixels (transparent around the tile).
    static QImage image(int side);
    // The icon at the sizes of a window's icon.
    static QIcon icon();
    // The icon as an SVG document.
    static std::string svg();
};

}  // namespace tessaly
