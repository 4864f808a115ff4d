#include "TessalySession/FrameLanding.h"

#include <cmath>

namespace tessaly::FrameLanding {

namespace {

bool within(double difference, double tolerance) { return std::abs(difference) <= tolerance; }

// One side's length: within the tolerance, or less than one increment away.
bool sideLanded(double read, double asked, double tolerance, double increment) {
    const double difference = read - asked;
    if (within(difference, tolerance)) return true;
    return increment > 0 && std::abs(difference) < increment;
}

}  // namespace

bool isLanded(const Rect& read, const Rect& asked, double tolerance, Size increment) {
    return within(read.origin.x - asked.origin.x, tolerance) && within(read.origin.y - asked.origin.y, tolerance) &&
           sideLanded(read.size.width, asked.size.width, tolerance, increment.width) &&
           sideLanded(read.size.height, asked.size.height, tolerance, increment.height);
}

Size increments(const WindowHints* hints, WindowID window) {
    if (!hints) return {};
    const std::optional<SizeHints> found = hints->sizeHints(window);
    if (!found) return {};
    const auto usable = [](double value) { return std::isfinite(value) && value > 0 ? value : 0.0; };
    return Size{usable(found->increment.width), usable(found->increment.height)};
}

}  // namespace tessaly::FrameLanding
