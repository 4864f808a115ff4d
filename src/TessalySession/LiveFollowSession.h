#pragma once
// One live follow: while the user drags a group's active window, the group's
// bar follows the window and the other members wait parked aside.
#include <optional>
#include <vector>

#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "Platform/Uuid.h"
#include "TessalySession/ParkedMember.h"

namespace tessaly {

struct LiveFollowSession {
    Uuid groupID;
    WindowID windowID = 0;   // the dragged active member
    Rect originalFrame;      // the group frame when the drag began
    std::vector<ParkedMember> parked;
    double lastPanelUpdate = 0;  // monotonic seconds of the tap event of the last bar step
    std::optional<Rect> lastGoodFrame;
    std::optional<Point> cursorAtLastGood;
    int rejectStreak = 0;
};

}  // namespace tessaly
