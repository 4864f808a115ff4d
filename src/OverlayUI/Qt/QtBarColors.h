#pragma once
// The overlay's toolkit-free colours as Qt colours, and the application
// icons of tabs as pixmaps.
#include <QColor>
#include <QPixmap>

#include <memory>
#include <optional>

#include "OverlayUI/BarPalette.h"
#include "Platform/AppIcon.h"
#include "TessalyCore/TabColor.h"

namespace tessaly::QtBarColors {

QColor color(const BarColor& c);
QColor color(const TabColor& c, double alpha = 1.0);
// The same colour without translucency: a translucent fill drawn as the
// colour it would show over `under`.
QColor opaque(const BarColor& c, const QColor& under);
// A bar's background (strip and backing): the palette's, tinted by the
// group accent; at the bar opacity in a translucent window, opaque in an
// opaque one (whose translucent pixels would show black).
QColor barFill(const BarPalette& palette, const std::optional<TabColor>& groupAccent, double opacity,
               bool translucent);
// `from` moved towards `to` by `fraction` (0...1), opaque.
QColor blend(const QColor& from, const QColor& to, double fraction);

// The icon at `side` x `side` logical pixels for a device pixel ratio; a
// null pixmap without an icon or for pixels that do not match the size.
// Scaled copies are kept per icon while the icon lives.
QPixmap iconPixmap(const std::shared_ptr<const AppIcon>& icon, int side, double devicePixelRatio);

}  // namespace tessaly::QtBarColors
