#include "TessalyCore/ZoomRecord.h"

#include "TessalyCore/FrameTolerance.h"

namespace tessaly {

std::optional<ZoomRecord> ZoomRecord::make(const Rect& groupFrame, const Rect& requested, const Rect& zoomed,
                                           const std::optional<ZoomRecord>& previous, double tolerance, double at) {
    if (framesWithin(zoomed, requested, tolerance)) return std::nullopt;
    const Rect restore = frameToRestore(groupFrame, previous);
    if (restore == zoomed) return std::nullopt;
    // The standing zoom made again (a window manager getting there in
    // steps) dates from when it was first made.
    const bool again = previous && previous->isCurrent(groupFrame) && previous->zoomedFrame == zoomed;
    return ZoomRecord{restore, requested, zoomed, again ? previous->recordedAt : at, std::nullopt, {}};
}

Rect ZoomRecord::frameToRestore(const Rect& groupFrame, const std::optional<ZoomRecord>& previous) {
    if (previous && !previous->restoredAt && previous->zoomedFrame == groupFrame) return previous->restoreFrame;
    return groupFrame;
}

bool ZoomRecord::isCurrent(const Rect& groupFrame) const { return !restoredAt && groupFrame == zoomedFrame; }

bool ZoomRecord::isReZoom(const Rect& requested, const Rect& groupFrame, double tolerance, double minInterval,
                          double now) const {
    return isCurrent(groupFrame) && now - recordedAt >= minInterval &&
           framesWithin(requested, requestedFrame, tolerance);
}

ZoomRecord ZoomRecord::restored(double at) const {
    ZoomRecord copy = *this;
    copy.restoredAt = at;
    return copy;
}

bool ZoomRecord::isEchoAfterRestore(const Rect& frame, double tolerance, double minInterval, double now) const {
    return restoredAt && now - *restoredAt < minInterval && framesWithin(frame, requestedFrame, tolerance);
}

std::ostream& operator<<(std::ostream& os, const ZoomRecord& record) {
    os << "ZoomRecord(restore: " << record.restoreFrame << ", requested: " << record.requestedFrame
       << ", zoomed: " << record.zoomedFrame << ", recordedAt: " << record.recordedAt << ", restoredAt: ";
    if (record.restoredAt) os << *record.restoredAt;
    else os << "none";
    if (record.windowManagerAxes.any()) os << ", maximised by the window manager " << record.windowManagerAxes;
    return os << ")";
}

}  // namespace tessaly
