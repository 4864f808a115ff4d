#include "Platform/FrameLanding.h"

#include <cmath>

namespace tessaly::FrameLanding {

namespace {

bool within(double difference, double tolerance) { return std::abs(difference) <= tolerance; }

// One axis, from its start and its length.
bool axisLanded(double readStart, double readLength, double askedStart, double askedLength, double tolerance,
                double increment) {
    const bool startKept = within(readStart - askedStart, tolerance);
    const double difference = readLength - askedLength;
    if (startKept && within(difference, tolerance)) return true;
    if (!(increment > 0 && std::abs(difference) < increment)) return false;
    return startKept || within(readStart + readLength - (askedStart + askedLength), tolerance);
}

}  // namespace

bool isLanded(const Rect& read, const Rect& asked, double tolerance, Size increment) {
    return axisLanded(read.origin.x, read.size.width, asked.origin.x, asked.size.width, tolerance, increment.width) &&
           axisLanded(read.origin.y, read.size.height, asked.origin.y, asked.size.height, tolerance,
                      increment.height);
}

bool isLandedBeside(const Rect& read, const Rect& asked, MaximizedAxes maximized, double tolerance, Size increment) {
    return (maximized.horizontal || axisLanded(read.origin.x, read.size.width, asked.origin.x, asked.size.width,
                                               tolerance, increment.width)) &&
           (maximized.vertical || axisLanded(read.origin.y, read.size.height, asked.origin.y, asked.size.height,
                                             tolerance, increment.height));
}

Size increments(const WindowHints* hints, WindowID window) {
    if (!hints) return {};
    const std::optional<SizeHints> found = hints->sizeHints(window);
    if (!found) return {};
    const auto usable = [](double value) { return std::isfinite(value) && value > 0 ? value : 0.0; };
    return Size{usable(found->increment.width), usable(found->increment.height)};
}

}  // namespace tessaly::FrameLanding
