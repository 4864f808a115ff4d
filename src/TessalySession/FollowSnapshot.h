#pragma once
// What the platform needs to move a group's members the moment it reads a
// new frame of the active member: per group the active member, the members
// that follow it and the committed frame, and whether the session's rules let
// the frame be adopted as it stands. The session publishes a new one whenever
// any of it changes; plan() answers, without the session, what the session's
// own adoption of the frame would send, or nothing where the adoption would
// do more than fan the frame out (it is then left to the session). While the
// active member is dragged or resized with the button held, the members are
// kept behind it, on its frame, out of sight; the session adopts the frame
// at the release.
#include <map>
#include <optional>
#include <vector>

#include "Platform/MemberFollow.h"
#include "TessalyCore/ScreenBox.h"
#include "TessalyCore/ZoomRecord.h"
#include "TessalySession/DisplaySettleState.h"

namespace tessaly {

// A frame put where a group can have it on the screen that hosts it (the
// one under `cursor`, when it meets the frame): no larger than the screen's
// visible area below the bar's room, no smaller than `smallest` (what the bar
// needs), and on the screen. A member that asks for more or less (absurd size
// hints) does not take its group along.
Rect confinedToDropHost(const Rect& frame, std::optional<Point> cursor, const std::vector<ScreenBox>& screens,
                        double barRoom, double edgeKeep, Size smallest);

struct FollowSnapshot {
    struct Group {
        Rect frame;                      // committed
        std::vector<FollowMove> movers;  // tab order: what a commit from the active member moves
        // No gesture, no adoption waiting for the button's release.
        bool open = true;
        // The window manager moves the active member in a drag of ours;
        // by the program's bar, the session moves the members itself.
        bool dragged = false;
        bool barDragged = false;
        // A move of the active member with the button held has been seen:
        // the members wait behind it until the release.
        bool held = false;
        std::optional<ZoomRecord> zoom;

        friend bool operator==(const Group&, const Group&) = default;
    };

    std::map<WindowID, Group> byActive;  // groups whose active member is usable
    std::map<WindowID, double> quietUntil;  // a member's minimise changed: its frames wait until then
    DisplaySettleState settle;
    std::vector<ScreenBox> screens;
    double barRoom = 0;
    double edgeKeep = 0;
    Size smallestFrame;
    double tolerance = 0;        // of a zoom's frames
    double zoomMinInterval = 0;

    std::optional<FollowPlan> plan(const FollowRequest& request) const;

    friend bool operator==(const FollowSnapshot&, const FollowSnapshot&) = default;
};

}  // namespace tessaly
