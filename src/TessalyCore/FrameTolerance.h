#pragma once
// Comparing frames that window servers and applications round or nudge.
#include <cmath>

#include "Platform/Geometry.h"

namespace tessaly {

// Whether the standardised origins and sizes of `a` and `b` differ by at
// most `tolerance` in each of the four values. NaN is never within.
inline bool framesWithin(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.minX() - b.minX()) <= tolerance && std::abs(a.minY() - b.minY()) <= tolerance &&
           std::abs(a.width() - b.width()) <= tolerance && std::abs(a.height() - b.height()) <= tolerance;
}

}  // namespace tessaly
