#pragma once
// Decides, on every sweep, what happens to group members that have left the
// current Space (virtual desktop) while the rest of their group stays:
//
// - shortly after a display change has settled, each stray member first gets
//   one attempt to be brought back (a rehome);
// - otherwise the off-Space policy applies: `suspend` suspends it at once,
//   `detach` takes it out of its group once it has stayed away for
//   detachConfirmation seconds;
// - a member this reconciler suspended is resumed once it has been back on
//   screen, together with its group's active window, for rejoinConfirmation
//   seconds.
//
// The window manager also says outright when it moves a window to another
// Space. A member it moved away from the rest of its group has left, with
// nothing transient to ride out: the policy applies to it at the next pass,
// without a countdown or a rehome, and until it is back with its group (or
// out of it) it counts as off its group's Space wherever the user looks, so
// following it there neither makes the rest of its group strays nor shows
// their bar there.
//
// Main thread only. Times are the caller's monotonic seconds, so a step of
// the wall clock neither freezes nor fires a countdown.
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "Platform/Types.h"
#include "Platform/Uuid.h"
#include "Platform/Workspace.h"
#include "TessalyCore/GroupEngine.h"
#include "TessalyCore/SettingEnums.h"
#include "TessalyCore/TabGroup.h"

namespace tessaly {

class OffSpaceReconciler {
public:
    static constexpr double rejoinConfirmation = 0.5;
    static constexpr double detachConfirmation = 1.0;
    static constexpr double rehomeGrace = 15.0;

    using WindowIDSet = std::unordered_set<WindowID>;

    // `engine` (and `workspace`, when given) must outlive the reconciler.
    // The workspace answers the default hidden-application test.
    explicit OffSpaceReconciler(GroupEngine& engine, std::shared_ptr<const Workspace> workspace = nullptr);

    bool isOffSpaceSuspended(WindowID windowID) const { return offSpaceSuspended_.contains(windowID); }

    // Where a member stands against the rest of its group by the Spaces the
    // window manager gives each window (WindowInfo::allSpaces shares every
    // Space): apart when its Space is known and no other unsuspended member
    // of a known Space shares it, together when one does, unknown otherwise.
    enum class SpaceVerdict { together, apart, unknown };
    static SpaceVerdict spaceVerdict(WindowID member, const TabGroup& group,
                                     const std::unordered_map<WindowID, std::uint32_t>& spaces);
    // The window manager moved the member: `apart` marks it as having left
    // its group's Space, `together` takes the mark back, `unknown` changes
    // nothing.
    void noteMemberMoved(WindowID windowID, SpaceVerdict verdict);
    // Marked as having left its group's Space.
    bool hasLeftGroupSpace(WindowID windowID) const { return leftGroupSpace_.contains(windowID); }

    // Forgets everything: suspensions, countdowns, rehome attempts and grace.
    void reset();
    // Both countdowns start over; suspensions are kept.
    void clearConfirmationCountdowns();
    // Opens the rehome grace until now + rehomeGrace; every stray gets a
    // fresh attempt.
    void noteDisplaySettleEnded(double now);
    bool isInRehomeGrace(double now) const { return rehomeGraceUntil_ > now; }

    // Whether the application is hidden; false when it is not running.
    static bool isAppHiddenByAppKit(const Workspace& workspace, ProcessID pid);

    // Whether the member has left the current Space (it lives, is off
    // screen, and nothing else explains its absence).
    static bool isOffSpaceStray(const GroupMember& member, const TabGroup& group, const WindowIDSet& alive,
                                const WindowIDSet& onScreen, const std::function<bool(WindowID)>& isRecentlyMinimized,
                                const std::function<bool(WindowID)>& isNativeTabbedAside,
                                const std::function<bool(ProcessID)>& isAppHidden);

    // Whether some unsuspended member of the group is on screen.
    static bool hasHomePresence(const TabGroup& group, const WindowIDSet& onScreen);

    // One pass over the engine's groups. An empty `isAppHidden` asks the
    // workspace (no workspace: no application counts as hidden).
    void reconcile(const WindowIDSet& alive, const WindowIDSet& onScreen, double now, OffSpacePolicy policy,
                   const std::function<bool(const Uuid&)>& isGroupReconcilable,
                   const std::function<bool(WindowID)>& isRecentlyMinimized,
                   const std::function<bool(WindowID)>& isNativeTabbedAside,
                   const std::function<void(WindowID)>& attemptRehome,
                   std::function<bool(ProcessID)> isAppHidden = {});

    const std::unordered_map<WindowID, double>& rejoinCountdowns() const { return rejoinFirstSeen_; }
    const std::unordered_map<WindowID, double>& detachCountdowns() const { return detachFirstSeen_; }

private:
    // The on-screen set as the group sees it: its members that left its
    // Space are not there, wherever they are.
    WindowIDSet seenByGroup(const TabGroup& group, const WindowIDSet& onScreen) const;
    void rejoin(const TabGroup& group, const WindowIDSet& onScreen, double now);
    void handleStray(const GroupMember& member, double now, OffSpacePolicy policy,
                     const std::function<void(WindowID)>& attemptRehome, WindowIDSet& stillCounting);
    void prune(const WindowIDSet& stillCounting);

    GroupEngine& engine_;
    std::shared_ptr<const Workspace> workspace_;
    WindowIDSet offSpaceSuspended_;
    std::unordered_map<WindowID, double> rejoinFirstSeen_;
    std::unordered_map<WindowID, double> detachFirstSeen_;
    static constexpr double noGrace = -std::numeric_limits<double>::infinity();
    double rehomeGraceUntil_ = noGrace;
    WindowIDSet rehomeAttempted_;
    WindowIDSet leftGroupSpace_;
};

}  // namespace tessaly
