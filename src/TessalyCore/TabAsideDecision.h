#pragma once
// Tells a member that an application folded into one of its own native tab
// stacks (another window of the same process, the host, now stands where the
// member was) from one that is merely off screen, minimised or gone; and
// picks the window that survives in a member's place. Pure decisions over
// the values passed in; the callbacks are called synchronously and not kept.
#include <functional>
#include <iosfwd>
#include <optional>
#include <vector>

#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "TessalyCore/WindowDiscovery.h"

namespace tessaly {

struct TabAsideDecision {
    bool isAside = false;
    std::optional<WindowID> lockedHost;    // the host to keep following
    std::optional<Rect> anchorFrame;       // the host's frame when decided
    std::vector<WindowID> hostsToJudge;    // candidates not judged yet, in list order

    static TabAsideDecision notAside() { return {}; }

    friend bool operator==(const TabAsideDecision&, const TabAsideDecision&) = default;
};

std::ostream& operator<<(std::ostream& os, const TabAsideDecision& decision);

// Two frames match when their minimum x, minimum y, width and height each
// differ by at most this much.
inline constexpr double tabAsideFrameTolerance = 1.0;
bool framesMatch(const Rect& a, const Rect& b);

// Whether the member has been tabbed aside into a host of its own process.
// `verdict` is the caller's judgement of a candidate host: true confirmed,
// false rejected, absent not judged yet.
TabAsideDecision resolveTabAside(WindowID member, ProcessID memberPID, const std::optional<Rect>& memberLiveFrame,
                                 const std::optional<Rect>& frozenAnchor, const Rect& groupFrame,
                                 std::optional<WindowID> lockedHost,
                                 const std::vector<DiscoveredWindow>& onScreenWindows,
                                 const std::function<bool(WindowID)>& isMember,
                                 const std::function<std::optional<bool>(WindowID)>& verdict);

// The first window of the member's process at level 0, neither the member
// nor any group's member, whose frame matches the group frame.
std::optional<WindowID> cgSurvivorSiblingID(WindowID memberID, ProcessID memberPID, const Rect& groupFrame,
                                            const std::vector<DiscoveredWindow>& windows,
                                            const std::function<bool(WindowID)>& isMember);

// Whether the focused window of the member's application may stand in for
// it: not the member, not a member, and (when its frame is known) with its
// origin within `originTolerance` of the group frame's on both axes.
bool focusedSurvivorAccepted(WindowID candidateID, const std::optional<Rect>& candidateFrame, WindowID memberID,
                             const Rect& groupFrame, const std::function<bool(WindowID)>& isMember,
                             double originTolerance);

}  // namespace tessaly
