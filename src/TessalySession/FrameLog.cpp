#include "TessalySession/FrameLog.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "TessalyCore/ReconcileLog.h"

namespace tessaly {

std::string logNumber(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    const double whole = std::trunc(value);
    // The int64 range is [-2^63, 2^63); outside it the conversion would be undefined.
    constexpr double limit = 9223372036854775808.0;
    if (whole >= limit || whole < -limit) {
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", whole);
        return text;
    }
    return std::to_string(static_cast<std::int64_t>(whole));
}

std::string frameLog(const Rect& frame) {
    // The null rectangle has infinite origins; standardising keeps it as is.
    const Rect r = frame.isFinite() ? frame.standardized() : frame;
    return logNumber(r.origin.x) + "," + logNumber(r.origin.y) + " " + logNumber(r.size.width) + "x" +
           logNumber(r.size.height);
}

void traceReconcile(std::string_view message) { ReconcileLog::trace(LogCategory::reconcile, message); }

}  // namespace tessaly
