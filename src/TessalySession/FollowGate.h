#pragma once
// Whether a new frame of a group's active member is adopted as it stands and
// followed by the other members at once, or what holds it back. One answer,
// asked by the platform's reader from the published snapshot the moment it
// reads the frame, and by the main thread when the session hears of it: the
// reader moves the members only on `follow` (and keeps them behind a window
// dragged with the button held); everything else is the session's.
//
// The rules, first match wins:
//   full screen, minimised, rolled up      the session's own handling
//   a gesture of ours                      the bar's drag moves them; a drag
//                                          of the window keeps them behind it
//   a minimise changed a moment ago        its frames wait (see isMinimizeQuiet)
//   displays settling                      frames are left alone
//   the window manager maximises, holds    the maximise is followed as one
//   the group maximised, or has just put
//   it back
//   the button held                        the members wait behind it; before
//                                          the session knows of the drag, it
//                                          adopts the frame at the release
//   a frame the group cannot have          the session confines it (a zoom)
//   an adoption waiting for the release    the session adopts
//   the zoom asked again, or its echo      the session undoes or drops it
// A maximise the window manager has put back holds nothing back once it is
// over (a moment after the restore).
#include <optional>
#include <vector>

#include "Platform/Geometry.h"
#include "Platform/MemberFollow.h"
#include "TessalyCore/ScreenBox.h"
#include "TessalyCore/ZoomRecord.h"
#include "TessalySession/DisplaySettleState.h"

namespace tessaly {

enum class FollowVerdict {
    follow,          // adopted as it stands: the members go to the frame
    dragged,         // our drag of the window: the members are kept behind it
    held,            // the button is held in a drag the session knows of: kept behind
    fullScreen,
    minimized,
    shaded,
    gesture,         // the bar is dragged, or the window manager maximises a dragged window
    quiet,           // a minimise of the window changed a moment ago
    settling,
    maximize,        // the window manager maximises, holds or restores the group
    buttonDown,      // a first move with the button held: adopted at the release
    releasePending,  // an adoption waits for the button's release
    confine,
    reZoom,
    zoomEcho,
};

// A group's state as the rules read it.
struct FollowGroupState {
    Rect frame;  // committed
    // No gesture, no adoption waiting for the button's release.
    bool open = true;
    // The window manager moves the active member in a drag of ours; by the
    // program's bar, the session moves the members itself.
    bool dragged = false;
    bool barDragged = false;
    // A move of the active member with the button held has been seen.
    bool held = false;
    std::optional<ZoomRecord> zoom;

    friend bool operator==(const FollowGroupState&, const FollowGroupState&) = default;
};

// What the rules read of the session beyond the group.
struct FollowRules {
    DisplaySettleState settle;
    std::vector<ScreenBox> screens;  // none: no frame needs confining
    double barRoom = 0;
    double edgeKeep = 0;
    Size smallestFrame;
    double tolerance = 0;  // of a zoom's frames
    double zoomMinInterval = 0;
    double minimizeQuietPeriod = 0;

    friend bool operator==(const FollowRules&, const FollowRules&) = default;
};

// A window whose minimise changed at `changedAt` (never: none) reports
// frames that are perhaps no one's (a window manager's minimise animation)
// until `period` later.
inline bool isMinimizeQuiet(std::optional<double> changedAt, double now, double period) {
    return changedAt && now - *changedAt < period;
}

// The frame `request` reports for the active member of a group in `group`.
FollowVerdict followVerdict(const FollowRequest& request, const FollowGroupState& group,
                            std::optional<double> minimizeChangedAt, const FollowRules& rules);

// A frame put where a group can have it on the screen that hosts it (the
// one under `cursor`, when it meets the frame): no larger than the screen's
// visible area below the bar's room, no smaller than `smallest` (what the bar
// needs), and on the screen. A member that asks for more or less (absurd size
// hints) does not take its group along.
Rect confinedToDropHost(const Rect& frame, std::optional<Point> cursor, const std::vector<ScreenBox>& screens,
                        double barRoom, double edgeKeep, Size smallest);

}  // namespace tessaly
