#include "TessalyApp/SettingsWindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace tessaly::SettingsWindowPlacement {

Size windowSize(Size preferred, const Rect& available) {
    if (available.isEmpty()) return preferred;
    return {std::min(preferred.width, available.width()), std::min(preferred.height, available.height())};
}

std::optional<Rect> frameInside(const Rect& frame, const Rect& available) {
    if (available.isEmpty() || available.contains(frame)) return std::nullopt;
    const Size size{std::min(frame.width(), available.width()), std::min(frame.height(), available.height())};
    const double x = std::clamp(frame.minX(), available.minX(), available.maxX() - size.width);
    const double y = std::clamp(frame.minY(), available.minY(), available.maxY() - size.height);
    return Rect(Point{x, y}, size);
}

std::optional<Point> colorPanelOrigin(const std::optional<Point>& lastCentered, const Point& current,
                                      const Rect& window, const Size& panel, const std::optional<Rect>& visible) {
    if (lastCentered &&
        (std::abs(current.x - lastCentered->x) > 1.0 || std::abs(current.y - lastCentered->y) > 1.0)) {
        return std::nullopt;
    }
    Point origin{window.midX() - panel.width / 2, window.midY() - panel.height / 2};
    if (visible) {
        origin.x = std::max(visible->minX(), std::min(origin.x, visible->maxX() - panel.width));
        origin.y = std::min(std::max(origin.y, visible->minY()), visible->maxY() - panel.height);
    }
    return origin;
}

}  // namespace tessaly::SettingsWindowPlacement
