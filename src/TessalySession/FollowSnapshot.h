#pragma once
// What the platform needs to move a group's members the moment it reads a
// new frame of the active member: per group the active member, the members
// that follow it and the state the follow rules read (see FollowGate). The
// session publishes a new one whenever any of it changes; plan() answers,
// without the session, what the session's own adoption of the frame would
// send, or nothing where the adoption would do more than fan the frame out
// (it is then left to the session). While the active member is dragged or
// moved with the button held, the members are kept behind it, on its frame,
// out of sight; the session adopts the frame at the release.
#include <map>
#include <optional>
#include <vector>

#include "Platform/MemberFollow.h"
#include "TessalySession/FollowGate.h"

namespace tessaly {

struct FollowSnapshot {
    struct Group {
        FollowGroupState state;
        std::vector<FollowMove> movers;  // tab order: what a commit from the active member moves

        friend bool operator==(const Group&, const Group&) = default;
    };

    std::map<WindowID, Group> byActive;          // groups whose active member is usable
    std::map<WindowID, double> minimizeChanged;  // when a member's minimise last changed
    FollowRules rules;

    std::optional<FollowPlan> plan(const FollowRequest& request) const;

    friend bool operator==(const FollowSnapshot&, const FollowSnapshot&) = default;
};

}  // namespace tessaly
