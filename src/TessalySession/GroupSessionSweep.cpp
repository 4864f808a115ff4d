// The sweep: keeps groups true to the window server's list (dead windows,
// members that left the desktop or came back, bars of groups with no member
// on the current desktop, the member on top of each group).
//
// When it runs. Where the window list tells of its changes, the sweep runs
// sweepCoalesceDelay after a change (one sweep for changes close together),
// at once on a desktop change and for the focus sweep, and otherwise every
// sweepInterval only while something it does needs repeating
// (needsRepeatedSweeps); with nothing to repeat, a safety sweep every
// safetySweepInterval catches what no change told of. Where the list tells
// of nothing it runs every sweepInterval. What the timing rules ask holds
// either way:
// - a member missing from the list is evicted after missingSweepLimit
//   sweeps about a second apart (about 6 s): missing members keep the
//   cadence, and sweeps sooner than a second after the last one that
//   counted count nothing;
// - the off-desktop reconciler's confirmations (0.5 s to rejoin, 1.0 s to
//   detach) and its rehome grace are timed, and keep the cadence while
//   they run;
// - minimise changes within the 0.6 s quiet period, members set aside in
//   native tabs, displays settling, a desktop change waiting for them, a
//   list that could not be read and gestures (groups the sweep leaves
//   alone meanwhile) keep the cadence, as does a member on top of its group
//   and not yet its active one (it becomes the active one once it has
//   stayed on top for a second; a group change that leaves it so brings the
//   next sweep within a second).
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "TessalyCore/ReconcileLog.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

void GroupSession::runSweep(bool spaceChanged) {
    sweep(spaceChanged);
    scheduleNextSweep();
}

void GroupSession::sweepWithin(double delay) {
    const double due = now() + delay;
    if (sweepTimer_ && sweepDueAt_ <= due) return;
    sweepDueAt_ = due;
    sweepTimer_ = services_.platform.mainExecutor->schedule(delay, guarded([this] {
        sweepTimer_.cancel();
        runSweep(false);
    }));
}

void GroupSession::scheduleNextSweep() {
    sweepTimer_.cancel();
    if (isShutDown_) return;
    const double at = now();
    if (!needsRepeatedSweeps(at)) {
        sweepWithin(safetySweepInterval);
        return;
    }
    // A second after the last sweep that counted missing members, so that
    // the counting keeps its pace whatever swept in between.
    sweepWithin(std::clamp(livenessSweptAt_ + sweepInterval - at, sweepCoalesceDelay, sweepInterval));
}

bool GroupSession::needsRepeatedSweeps(double at) const {
    if (!listChanges_) return true;
    if (engine_->groupCount() == 0) return false;
    if (listUnread_ || pendingSpaceReplace_ || settleState_.isSettling(at)) return true;
    if (!recentMinimizeChange_.empty() || !tabbedAside_.empty()) return true;
    if (!offSpaceReconciler_->rejoinCountdowns().empty() || !offSpaceReconciler_->detachCountdowns().empty() ||
        offSpaceReconciler_->isInRehomeGrace(at)) {
        return true;
    }
    // The sweep leaves groups in a gesture alone until it ends.
    if (liveFollow_ || !barDrags_.empty()) return true;
    const auto& groups = engine_->groups();
    return std::any_of(groups.begin(), groups.end(),
                       [this](const TabGroup& g) { return !g.missingSweeps.empty() || awaitsStackingLook(g); });
}

void GroupSession::sweep(bool spaceChanged) {
    const double at = now();
    std::erase_if(recentMinimizeChange_,
                  [at](const auto& entry) { return !tessaly::isMinimizeQuiet(entry.second, at, minimizeQuietPeriod); });
    osFocusGate_.prune(at);

    if (engine_->groupCount() == 0) {
        offSpaceReconciler_->reset();
        forgetNativeTabState(nullptr);
        hostBounds_.clear();
        return;
    }
    if (settleState_.isSettling(now())) {
        // Applied by the first full sweep afterwards; bars still follow the
        // current desktop meanwhile.
        if (spaceChanged) pendingSpaceReplace_ = true;
        updateSpacePresenceWhileSettling();
        return;
    }

    const std::vector<DiscoveredWindow> windows = discovery_.allWindows(false);
    listUnread_ = windows.empty();
    if (windows.empty()) {
        // An empty or unreadable list says nothing about the windows (a
        // window manager restarting empties its client list): every member
        // would count as dead and every bar as off the desktop. This sweep
        // leaves groups and bars alone; a pending desktop change waits for
        // the next one that can see.
        if (spaceChanged) pendingSpaceReplace_ = true;
        ReconcileLog::trace(LogCategory::reconcile, "sweep skipped: empty window list");
        return;
    }
    std::unordered_set<WindowID> alive;
    alive.reserve(windows.size());
    for (const DiscoveredWindow& window : windows) alive.insert(window.windowID);

    // Misses are counted a second apart, however often changes sweep.
    if (at - livenessSweptAt_ >= sweepInterval) {
        livenessSweptAt_ = at;
        engine_->sweep(alive);
    }

    const bool replace = spaceChanged || pendingSpaceReplace_;
    pendingSpaceReplace_ = false;
    reconcileDesktops(windows, alive, at, replace);
}

void GroupSession::reconcileDesktops(const std::vector<DiscoveredWindow>& windows,
                                     const std::unordered_set<WindowID>& alive, double at, bool replace) {
    std::vector<DiscoveredWindow> onScreenWindows;
    std::unordered_set<WindowID> onScreen;
    for (const DiscoveredWindow& window : windows) {
        if (!window.isOnScreen) continue;
        onScreenWindows.push_back(window);
        onScreen.insert(window.windowID);
    }

    forgetNativeTabState(&alive);
    releaseTabbedAside(alive, onScreen);

    offSpaceReconciler_->reconcile(
        alive, onScreen, at, offSpacePolicy, [this](const Uuid& groupID) { return !isGestureActive(groupID); },
        [this, at](WindowID windowID) { return isMinimizeQuiet(windowID, at); },
        [&](WindowID windowID) { return isMemberTabbedAside(windowID, onScreenWindows, windows, at); },
        [this](WindowID windowID) {
            if (const auto group = engine_->group(windowID)) windowSystem_->setFrame(group->frame, windowID);
        });

    repointBackgroundedNativeTabMembers();
    followStacking(windows, at);
    updateSpacePresence(onScreen, replace);
    recordHostBounds(at);
}

void GroupSession::handleWindowSpaceChanged(WindowID windowID) {
    const std::optional<TabGroup> group = engine_->group(windowID);
    if (!group) return;
    // One list for the verdict and the pass; an empty one says nothing.
    const std::vector<DiscoveredWindow> windows = discovery_.allWindows(false);
    if (windows.empty()) return;
    std::unordered_map<WindowID, std::uint32_t> spaces;
    std::unordered_set<WindowID> alive;
    for (const DiscoveredWindow& window : windows) {
        alive.insert(window.windowID);
        if (window.space && group->contains(window.windowID)) spaces.emplace(window.windowID, *window.space);
    }
    offSpaceReconciler_->noteMemberMoved(windowID, OffSpaceReconciler::spaceVerdict(windowID, *group, spaces));
    // The policy and the bars follow at once, not at the next sweep; while
    // displays settle, the first full sweep afterwards applies it.
    const double at = now();
    if (!settleState_.isSettling(at)) reconcileDesktops(windows, alive, at, false);
}

void GroupSession::releaseTabbedAside(const std::unordered_set<WindowID>& alive,
                                      const std::unordered_set<WindowID>& onScreen) {
    std::vector<WindowID> keys;
    for (const auto& [windowID, rect] : tabbedAside_) keys.push_back(windowID);
    for (const WindowID windowID : keys) {
        const auto group = alive.contains(windowID) ? engine_->group(windowID) : std::nullopt;
        if (group && !onScreen.contains(windowID)) continue;  // still folded away
        tabbedAside_.erase(windowID);
        tabbedAsideHost_.erase(windowID);
        // Visible again as a window of its own: back into the group frame.
        if (group && group->isUsable(windowID)) windowSystem_->setFrame(group->frame, windowID);
    }
}

void GroupSession::updateSpacePresence(const std::unordered_set<WindowID>& onScreen, bool replace) {
    const std::vector<TabGroup> groups = engine_->groups();  // the overlay may reach back in
    for (const TabGroup& group : groups) {
        if (isGestureActive(group.id)) continue;
        bool present = false;
        for (const GroupMember& member : group.members) {
            // One that left the group's desktop does not bring its bar along.
            if (!group.isUsable(member.windowID) || offSpaceReconciler_->hasLeftGroupSpace(member.windowID)) continue;
            if (onScreen.contains(member.windowID)) {
                present = true;
                break;
            }
            const auto host = tabbedAsideHost_.find(member.windowID);
            if (host != tabbedAsideHost_.end() && onScreen.contains(host->second)) {
                present = true;
                break;
            }
        }
        overlay_->setSpacePresence(group, present, replace);
    }
}

}  // namespace tessaly
