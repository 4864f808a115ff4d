#pragma once
// Frames and numbers as the session's log lines write them. Every value goes
// through one formatter that never fails: a finite number is truncated toward
// zero to a whole number ("12", "-3"), anything else is written as "nan",
// "inf" or "-inf" instead of being forced into an integer.
#include <string>
#include <string_view>

#include "Platform/Geometry.h"

namespace tessaly {

// "x,y wxh" of the standardised rectangle, e.g. "12,-3 800x600".
std::string frameLog(const Rect& frame);
// One number, truncated toward zero when finite and representable.
std::string logNumber(double value);
// A diagnostic line of the session's reconciling (written only when traces are on).
void traceReconcile(std::string_view message);

}  // namespace tessaly
