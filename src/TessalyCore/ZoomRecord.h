#pragma once
// One zoom of a group, remembered when the frame applied to the group differs
// from the frame the zoomed member asked for, so that a repeated request for
// the same frame undoes the zoom and a matching frame change shortly after the
// undo can be ignored. Times are seconds of one clock chosen by the caller;
// tolerances are in points ("within tolerance": each of x, y, width and height
// differs by at most the tolerance).
#include "Platform/Geometry.h"
#include "Platform/MaximizedAxes.h"

#include <optional>
#include <ostream>

namespace tessaly {

struct ZoomRecord {
    Rect restoreFrame;    // the group frame to return to when the zoom is undone
    Rect requestedFrame;  // the frame the member window asked for
    Rect zoomedFrame;     // the group frame applied for that zoom
    double recordedAt = 0;
    std::optional<double> restoredAt;  // absent while the zoom stands
    // The axes along which the window manager maximised the group (its
    // requested frame is the maximised window's); none for a zoom of the
    // program's own or of an application.
    MaximizedAxes windowManagerAxes;

    // The record of a zoom from `groupFrame`, or absent when there is nothing
    // to undo (the applied frame is the requested one, or the group did not
    // move). While `previous` still stands at `groupFrame`, its restore frame
    // is kept, so a zoom of a zoomed group still returns to the first frame;
    // the same zoom made again keeps its time.
    static std::optional<ZoomRecord> make(const Rect& groupFrame, const Rect& requested, const Rect& zoomed,
                                          const std::optional<ZoomRecord>& previous, double tolerance, double at);
    // Where a zoom from `groupFrame` goes back to (as make() keeps it).
    static Rect frameToRestore(const Rect& groupFrame, const std::optional<ZoomRecord>& previous);

    // The zoom stands and the group still sits at the zoomed frame.
    bool isCurrent(const Rect& groupFrame) const;

    // A new request for the requested frame, at least minInterval after the
    // zoom, while the group still sits at the zoomed frame: it undoes the zoom.
    bool isReZoom(const Rect& requested, const Rect& groupFrame, double tolerance, double minInterval,
                  double now) const;

    ZoomRecord restored(double at) const;

    // A frame change matching the requested frame within minInterval after the
    // undo: an echo of the undone zoom rather than a new group frame.
    bool isEchoAfterRestore(const Rect& frame, double tolerance, double minInterval, double now) const;

    friend bool operator==(const ZoomRecord&, const ZoomRecord&) = default;
};

std::ostream& operator<<(std::ostream& os, const ZoomRecord& record);

}  // namespace tessaly
