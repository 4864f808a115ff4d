#include "OverlayUI/Qt/QtBarColors.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "OverlayUI/TabAccents.h"
#include "Platform/Qt/QtAppIconSource.h"

namespace tessaly::QtBarColors {

namespace {

double unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

// Icons larger than this on a side are not drawn (a window may claim any size).
constexpr int kLargestIconSide = 1024;

struct CachedIcon {
    std::weak_ptr<const AppIcon> icon;
    QPixmap pixmap;
};

}  // namespace

QColor color(const BarColor& c) { return QColor::fromRgbF(unit(c.red), unit(c.green), unit(c.blue), unit(c.alpha)); }

QColor color(const TabColor& c, double alpha) {
    return QColor::fromRgbF(unit(c.red), unit(c.green), unit(c.blue), unit(alpha));
}

QColor opaque(const BarColor& c, const QColor& under) {
    const double a = unit(c.alpha);
    return QColor::fromRgbF(unit(c.red) * a + under.redF() * (1 - a), unit(c.green) * a + under.greenF() * (1 - a),
                            unit(c.blue) * a + under.blueF() * (1 - a));
}

QColor barFill(const BarPalette& palette, const std::optional<TabColor>& groupAccent, double opacity,
               bool translucent) {
    BarColor fill = TabAccents::barFill(palette, groupAccent, opacity);
    if (!translucent) fill.alpha = 1.0;
    return color(fill);
}

QColor blend(const QColor& from, const QColor& to, double fraction) {
    const double f = unit(fraction);
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * f,
                            from.greenF() + (to.greenF() - from.greenF()) * f,
                            from.blueF() + (to.blueF() - from.blueF()) * f);
}

QPixmap iconPixmap(const std::shared_ptr<const AppIcon>& icon, int side, double devicePixelRatio) {
    if (!icon || icon->width <= 0 || icon->height <= 0 || icon->width > kLargestIconSide ||
        icon->height > kLargestIconSide ||
        icon->argb.size() != static_cast<std::size_t>(icon->width) * static_cast<std::size_t>(icon->height)) {
        return {};
    }
    static std::map<std::tuple<const AppIcon*, int, int>, CachedIcon> cache;
    const int pixels = std::max(1, static_cast<int>(std::lround(side * devicePixelRatio)));
    const auto key = std::make_tuple(icon.get(), side, pixels);
    if (const auto it = cache.find(key); it != cache.end()) {
        if (it->second.icon.lock() == icon) return it->second.pixmap;
        cache.erase(it);
    }
    std::erase_if(cache, [](const auto& entry) { return entry.second.icon.expired(); });
    QPixmap pixmap = QPixmap::fromImage(
        QtAppIconSource::toImage(*icon).scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    cache[key] = CachedIcon{icon, pixmap};
    return pixmap;
}

}  // namespace tessaly::QtBarColors
