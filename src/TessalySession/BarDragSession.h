#pragma once
// One group being dragged by its tab bar: where it started, the members moved
// aside for the drag, the window actually moved, the frame following the
// pointer and the frame shown, the display it started on, and what a release
// would do (merge into another group, or move to a neighbouring display).
// While one exists the group counts as being in a gesture.
#include <optional>
#include <vector>

#include "AXKit/AXWindow.h"
#include "Platform/Geometry.h"
#include "Platform/Uuid.h"
#include "TessalyCore/ScreenBox.h"
#include "TessalyCore/WindowPlacement.h"
#include "TessalySession/ParkedMember.h"

namespace tessaly {

struct BarDragSession {
    Rect originalFrame;             // the group frame when the drag began; stranded parked members go back here
    std::vector<ParkedMember> parked;  // inactive members moved aside at the start, in tab order
    AXWindowRef driveWindow;        // the window moved instead of a hidden active member; null: the member itself
    Rect raw;                       // follows the pointer, at most the push cap past `pending`
    Rect pending;                   // the confined frame shown now; a plain release commits it
    ScreenBox host;                 // the display the group was on when the drag began
    std::optional<Uuid> mergeTarget;  // the group a release merges into
    std::optional<WindowPlacement::Crossing> crossing;  // the neighbouring display a release moves to
};

}  // namespace tessaly
