#include "TessalyCore/OffSpaceReconciler.h"

#include <string>
#include <utility>

#include "Platform/Log.h"
#include "Platform/WindowList.h"
#include "TessalyCore/ReconcileLog.h"

namespace tessaly {

namespace {

void trace(const char* what, const GroupMember& member) {
    ReconcileLog::trace(LogCategory::reconcile, std::string("off-Space ") + what + " " +
                                                    std::to_string(member.windowID) + " '" + member.lastKnownTitle +
                                                    "'");
}

}  // namespace

OffSpaceReconciler::OffSpaceReconciler(GroupEngine& engine, std::shared_ptr<const Workspace> workspace)
    : engine_(engine), workspace_(std::move(workspace)) {}

void OffSpaceReconciler::reset() {
    offSpaceSuspended_.clear();
    rejoinFirstSeen_.clear();
    detachFirstSeen_.clear();
    rehomeAttempted_.clear();
    leftGroupSpace_.clear();
    rehomeGraceUntil_ = noGrace;
}

void OffSpaceReconciler::clearConfirmationCountdowns() {
    rejoinFirstSeen_.clear();
    detachFirstSeen_.clear();
}

void OffSpaceReconciler::noteDisplaySettleEnded(double now) {
    rehomeGraceUntil_ = now + rehomeGrace;
    rehomeAttempted_.clear();
}

bool OffSpaceReconciler::isAppHiddenByAppKit(const Workspace& workspace, ProcessID pid) {
    const std::optional<RunningApplication> app = workspace.runningApplication(pid);
    return app && app->isHidden;
}

bool OffSpaceReconciler::isOffSpaceStray(const GroupMember& member, const TabGroup& group, const WindowIDSet& alive,
                                         const WindowIDSet& onScreen,
                                         const std::function<bool(WindowID)>& isRecentlyMinimized,
                                         const std::function<bool(WindowID)>& isNativeTabbedAside,
                                         const std::function<bool(ProcessID)>& isAppHidden) {
    const WindowID id = member.windowID;
    if (onScreen.contains(id)) return false;
    if (!alive.contains(id)) return false;
    if (group.minimized.contains(id) || group.suspended.contains(id)) return false;
    if (isAppHidden && isAppHidden(member.pid)) return false;
    if (isRecentlyMinimized && isRecentlyMinimized(id)) return false;
    if (isNativeTabbedAside && isNativeTabbedAside(id)) return false;
    return true;
}

OffSpaceReconciler::SpaceVerdict OffSpaceReconciler::spaceVerdict(
    WindowID member, const TabGroup& group, const std::unordered_map<WindowID, std::uint32_t>& spaces) {
    const auto own = spaces.find(member);
    if (own == spaces.end()) return SpaceVerdict::unknown;
    bool othersKnown = false;
    for (const GroupMember& other : group.members) {
        const WindowID id = other.windowID;
        if (id == member || group.suspended.contains(id)) continue;
        const auto space = spaces.find(id);
        if (space == spaces.end()) continue;
        othersKnown = true;
        if (space->second == own->second || space->second == WindowInfo::allSpaces ||
            own->second == WindowInfo::allSpaces) {
            return SpaceVerdict::together;
        }
    }
    return othersKnown ? SpaceVerdict::apart : SpaceVerdict::unknown;
}

void OffSpaceReconciler::noteMemberMoved(WindowID windowID, SpaceVerdict verdict) {
    if (verdict == SpaceVerdict::apart) leftGroupSpace_.insert(windowID);
    else if (verdict == SpaceVerdict::together) leftGroupSpace_.erase(windowID);
}

OffSpaceReconciler::WindowIDSet OffSpaceReconciler::seenByGroup(const TabGroup& group,
                                                                const WindowIDSet& onScreen) const {
    WindowIDSet seen = onScreen;
    for (const GroupMember& member : group.members) {
        if (leftGroupSpace_.contains(member.windowID)) seen.erase(member.windowID);
    }
    return seen;
}

bool OffSpaceReconciler::hasHomePresence(const TabGroup& group, const WindowIDSet& onScreen) {
    for (const GroupMember& member : group.members) {
        if (onScreen.contains(member.windowID) && !group.suspended.contains(member.windowID)) return true;
    }
    return false;
}

void OffSpaceReconciler::rejoin(const TabGroup& group, const WindowIDSet& onScreen, double now) {
    for (const WindowID id : group.suspended) {
        if (!offSpaceSuspended_.contains(id)) continue;  // suspended by someone else
        if (!(onScreen.contains(id) && onScreen.contains(group.activeWindowID))) {
            rejoinFirstSeen_.erase(id);
            continue;
        }
        const double firstSeen = rejoinFirstSeen_.try_emplace(id, now).first->second;
        if (now - firstSeen >= rejoinConfirmation) {
            rejoinFirstSeen_.erase(id);
            offSpaceSuspended_.erase(id);
            engine_.resumeMember(id);
        }
    }
}

void OffSpaceReconciler::handleStray(const GroupMember& member, double now, OffSpacePolicy policy,
                                     const std::function<void(WindowID)>& attemptRehome,
                                     WindowIDSet& stillCounting) {
    const WindowID id = member.windowID;
    const bool left = leftGroupSpace_.contains(id);
    if (!left && now < rehomeGraceUntil_ && !rehomeAttempted_.contains(id)) {
        rehomeAttempted_.insert(id);
        trace("rehome attempt", member);
        if (attemptRehome) attemptRehome(id);
        return;
    }
    if (policy == OffSpacePolicy::suspend) {
        trace("SUSPEND", member);
        offSpaceSuspended_.insert(id);
        engine_.suspendMember(id);
        return;
    }
    const double firstSeen = detachFirstSeen_.try_emplace(id, now).first->second;
    if (left || now - firstSeen >= detachConfirmation) {
        trace("DETACH", member);
        engine_.detach(id, /*raiseRemaining=*/false);
    } else {
        stillCounting.insert(id);
    }
}

void OffSpaceReconciler::reconcile(const WindowIDSet& alive, const WindowIDSet& onScreen, double now,
                                   OffSpacePolicy policy, const std::function<bool(const Uuid&)>& isGroupReconcilable,
                                   const std::function<bool(WindowID)>& isRecentlyMinimized,
                                   const std::function<bool(WindowID)>& isNativeTabbedAside,
                                   const std::function<void(WindowID)>& attemptRehome,
                                   std::function<bool(ProcessID)> isAppHidden) {
    if (!isAppHidden) {
        isAppHidden = [workspace = workspace_](ProcessID pid) {
            return workspace && isAppHiddenByAppKit(*workspace, pid);
        };
    }
    WindowIDSet stillCounting;
    // Tests read each group as it stood at the start; engine operations act
    // on the live groups (and may report events while the pass runs).
    const std::vector<TabGroup> snapshot = engine_.groups();
    for (const TabGroup& group : snapshot) {
        if (isGroupReconcilable && !isGroupReconcilable(group.id)) continue;
        WindowIDSet adjusted;
        const WindowIDSet& seen = leftGroupSpace_.empty() ? onScreen : (adjusted = seenByGroup(group, onScreen));
        rejoin(group, seen, now);
        // A group with nothing on this Space is entirely elsewhere (the user
        // switched Spaces): leave its members alone, but for those that left it.
        const bool present = hasHomePresence(group, seen);
        for (const GroupMember& member : group.members) {
            if (!present && !leftGroupSpace_.contains(member.windowID)) continue;
            if (!isOffSpaceStray(member, group, alive, seen, isRecentlyMinimized, isNativeTabbedAside, isAppHidden)) {
                continue;
            }
            handleStray(member, now, policy, attemptRehome, stillCounting);
        }
    }
    prune(stillCounting);
}

void OffSpaceReconciler::prune(const WindowIDSet& stillCounting) {
    WindowIDSet suspendedNow;
    WindowIDSet membersNow;
    for (const TabGroup& group : engine_.groups()) {
        suspendedNow.insert(group.suspended.begin(), group.suspended.end());
        for (const GroupMember& member : group.members) membersNow.insert(member.windowID);
    }
    std::erase_if(offSpaceSuspended_, [&](WindowID id) { return !suspendedNow.contains(id); });
    std::erase_if(rejoinFirstSeen_, [&](const auto& entry) { return !offSpaceSuspended_.contains(entry.first); });
    std::erase_if(detachFirstSeen_, [&](const auto& entry) { return !stillCounting.contains(entry.first); });
    std::erase_if(rehomeAttempted_, [&](WindowID id) { return !membersNow.contains(id); });
    // Suspended, it is the rejoin's to bring back.
    std::erase_if(leftGroupSpace_, [&](WindowID id) { return !membersNow.contains(id) || suspendedNow.contains(id); });
}

}  // namespace tessaly
