#include "OverlayUI/TabReorderGeometry.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace tessaly::TabReorderGeometry {

namespace {

// The left edge of slot `slot` with the tabs in `order`.
double slotX(const std::vector<double>& widths, const std::vector<std::size_t>& order, double spacing, double leadingX,
             std::size_t slot) {
    double x = leadingX;
    for (std::size_t k = 0; k < slot; ++k) x += widths[order[k]] + spacing;
    return x;
}

}  // namespace

int dropInsertionIndex(const std::vector<double>& midXs, double pointX) {
    for (std::size_t i = 0; i < midXs.size(); ++i) {
        if (midXs[i] > pointX) return static_cast<int>(i);
    }
    return static_cast<int>(midXs.size());
}

int targetIndex(const std::vector<double>& widths, double spacing, double leadingX, int draggedIndex,
                double draggedOriginX) {
    const auto count = static_cast<int>(widths.size());
    if (draggedIndex < 0 || draggedIndex >= count) return draggedIndex;
    std::vector<std::size_t> order(widths.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    auto p = static_cast<std::size_t>(draggedIndex);
    const double rightEdge = draggedOriginX + widths[p];

    for (std::size_t q = p + 1; q < widths.size(); ++q) {
        const double mid = slotX(widths, order, spacing, leadingX, q) + widths[order[q]] * 0.5;
        if (!(mid < rightEdge)) break;
        std::swap(order[p], order[q]);
        p = q;
    }
    if (static_cast<int>(p) != draggedIndex) return static_cast<int>(p);

    while (p > 0) {
        const double mid = slotX(widths, order, spacing, leadingX, p - 1) + widths[order[p - 1]] * 0.5;
        if (!(mid > draggedOriginX)) return static_cast<int>(p);
        std::swap(order[p], order[p - 1]);
        --p;
    }
    return 0;
}

double restingX(const std::vector<double>& widths, double spacing, double leadingX, int index) {
    const auto m = static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(widths.size())));
    double x = leadingX;
    for (std::size_t k = 0; k < m; ++k) x += widths[k] + spacing;
    return x;
}

}  // namespace tessaly::TabReorderGeometry
