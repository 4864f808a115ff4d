// A member's own maximised state beside its group's: a member maximised or
// restored by someone else (a pager, the application itself) takes the whole
// group along, by way of its active member; a member maximised with its
// group stands as the group does.
#include <algorithm>
#include <sstream>
#include <string>

#include "Platform/FrameLanding.h"
#include "TessalySession/FrameLog.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

namespace {

std::string axesLog(MaximizedAxes axes) {
    std::ostringstream text;
    text << axes;
    return text.str();
}

}  // namespace

MaximizedAxes GroupSession::expectedAxes(const TabGroup& group) const {
    return isWindowManagerMaximized(group) ? zoomRecords_.at(group.id).windowManagerAxes : MaximizedAxes{};
}

bool GroupSession::isMaximizedWithGroup(const TabGroup& group, WindowID windowID, const Rect& frame,
                                        MaximizedAxes maximized) const {
    if (!maximized.any() || !(maximized == expectedAxes(group))) return false;
    // Along the axes it is maximised along the window manager decides (a
    // terminal in front stops short of the work area's edge by its cells);
    // on its way there (the state told before the frame), its next report
    // tells.
    return FrameLanding::isLandedBeside(frame, group.frame, maximized, resyncVerifyTolerance, sizeIncrements(windowID));
}

bool GroupSession::isForeignMaximizeChange(const TabGroup& group, WindowID windowID, MaximizedAxes before,
                                           MaximizedAxes after) const {
    if (windowID == group.activeWindowID || !group.isUsable(group.activeWindowID) || isGestureActive(group.id)) {
        return false;
    }
    // Only a change away from the group's state: a member on its way to it,
    // or back from a state of its own, is no one's word.
    const MaximizedAxes expected = expectedAxes(group);
    if (!(before == expected) || after == expected) return false;
    // The window manager carrying out, late or in its steps, what was sent
    // to the member a moment ago (for its group's maximise or restore, or to
    // send it back into it).
    const auto sent = maximizeSent_.find(windowID);
    return sent == maximizeSent_.end() || now() - sent->second >= maximizeStrayWindow;
}

void GroupSession::noteMaximizeSent(const TabGroup& group, WindowID from) {
    const double at = now();
    for (const WindowID id : engine_->followers(group, from)) maximizeSent_[id] = at;
}

bool GroupSession::watchMemberMaximize(const TabGroup& group, WindowID windowID, MaximizedAxes before,
                                       MaximizedAxes after) {
    if (const auto pending = pendingRelays_.find(windowID); pending != pendingRelays_.end()) {
        // Every report waits anew, for a while: a window manager that keeps
        // telling of the window (restacking it over and over) is not waited
        // out.
        if (now() - pending->second.since < maximizeStrayWindow) awaitStillMember(group.id, windowID);
        return true;
    }
    if (before == after || !isForeignMaximizeChange(group, windowID, before, after)) return false;
    // Window managers get there in steps (fluxbox: the height first, then
    // the width; openbox: the state, then the frame): judged once the
    // member's reports have stopped.
    strayChecks_.erase(windowID);
    quietStrays_.erase(windowID);
    traceReconcile("maximised or restored beside its group: " + std::to_string(windowID) + " " + axesLog(before) +
                   " -> " + axesLog(after));
    pendingRelays_[windowID] = PendingRelay{before, now(), {}};
    awaitStillMember(group.id, windowID);
    return true;
}

void GroupSession::awaitStillMember(const Uuid& groupID, WindowID windowID) {
    const auto pending = pendingRelays_.find(windowID);
    if (pending == pendingRelays_.end()) return;
    pending->second.timer = services_.platform.mainExecutor->schedule(
        strayQuietPeriod, guarded([this, groupID, windowID] { relayWhenStill(groupID, windowID); }));
}

void GroupSession::relayWhenStill(const Uuid& groupID, WindowID windowID) {
    const auto pending = pendingRelays_.find(windowID);
    if (pending == pendingRelays_.end()) return;
    const MaximizedAxes before = pending->second.before;
    windowSystem_->readFrame(windowID, guarded([this, groupID, windowID, before](std::optional<Rect> frame) {
        const std::optional<TabGroup> group = engine_->group(windowID);
        if (!frame || !group || group->id != groupID || !pendingRelays_.contains(windowID)) {
            pendingRelays_.erase(windowID);
            return;
        }
        // Displays settling, a gesture, a minimise a moment ago: judged
        // once that is over.
        if (!strayGroup(windowID)) {
            if (group->activeWindowID == windowID || !group->isUsable(windowID)) pendingRelays_.erase(windowID);
            else awaitStillMember(groupID, windowID);
            return;
        }
        pendingRelays_.erase(windowID);
        const MaximizedAxes after = reportedMaximized(windowID);
        if (isForeignMaximizeChange(*group, windowID, before, after) && relayMaximize(*group, windowID, *frame, after)) {
            return;
        }
        // Half way, or no change of the group's after all: as any member.
        traceReconcile("not passed on: " + std::to_string(windowID) + " " + axesLog(after) + " " + frameLog(*frame));
        if (isMaximizedWithGroup(*group, windowID, *frame, after)) return;
        snapBack(*group, windowID, *frame, after);
    }));
}

bool GroupSession::relayMaximize(const TabGroup& group, WindowID windowID, const Rect& frame, MaximizedAxes after) {
    const WindowID active = group.activeWindowID;
    if (after.any()) {
        const std::optional<Rect> shown = maximizedGroupFrame(frame, after, windowID);
        if (!shown) return false;
        traceReconcile("maximised beside its active member: " + std::to_string(windowID) + " frame=" + frameLog(frame));
        // Maximised one way, the active member is put on the member's place
        // the other way first (see WindowSystem::setMaximized).
        if (!(after == MaximizedAxes::both())) relayedTiles_.insert(group.id);
        windowSystem_->setMaximized(after, *shown, active);
    } else {
        traceReconcile("restored beside its active member: " + std::to_string(windowID) + " frame=" + frameLog(frame));
        windowSystem_->setMaximized({}, zoomRecords_.at(group.id).restoreFrame, active);
    }
    relayedMaximizes_[windowID] = now();
    // Should the active member not follow, the member is looked at again
    // then, as any member off its group.
    services_.platform.mainExecutor->postAfter(maximizeStrayWindow, guarded([this, windowID] {
        if (engine_->group(windowID)) windowSystem_->reportFrameAgain(windowID);
    }));
    return true;
}

bool GroupSession::isAwaitingMemberMaximize(const TabGroup& group, WindowID windowID) {
    if (pendingRelays_.contains(windowID)) return true;
    const auto relayed = relayedMaximizes_.find(windowID);
    if (relayed == relayedMaximizes_.end()) return false;
    // Once the group is maximised or restored with it, or the wait is over.
    if (reportedMaximized(windowID) == expectedAxes(group) || now() - relayed->second >= maximizeStrayWindow) {
        relayedMaximizes_.erase(relayed);
        return false;
    }
    return true;
}

bool GroupSession::hasMemberMaximizeUnderWay(const TabGroup& group, double at) const {
    return std::any_of(group.members.begin(), group.members.end(), [&](const GroupMember& member) {
        if (pendingRelays_.contains(member.windowID)) return true;
        const auto relayed = relayedMaximizes_.find(member.windowID);
        return relayed != relayedMaximizes_.end() && at - relayed->second < maximizeStrayWindow;
    });
}

void GroupSession::forgetMemberMaximize(WindowID windowID) {
    reportedAxes_.erase(windowID);
    pendingRelays_.erase(windowID);
    relayedMaximizes_.erase(windowID);
    maximizeSent_.erase(windowID);
}

}  // namespace tessaly
