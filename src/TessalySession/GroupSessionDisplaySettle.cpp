// Sleep, wake and display changes: while the displays settle the window
// server moves windows on its own, and the session leaves frames alone. Once
// the displays have been quiet for the settle window every group is put back:
// its stored frame on an unchanged display, else reflowed from where its
// active window is now; each placement is read back half a second later.
#include <unordered_set>

#include "TessalyCore/FrameTolerance.h"
#include "TessalyCore/WindowPlacement.h"
#include "TessalySession/FrameLog.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

bool GroupSession::isDisplaySettling() const { return settleState_.isSettling(now()); }

void GroupSession::handleSleep(const std::string& reason) {
    settleState_.asleep = true;
    traceReconcile("system asleep (" + reason + ") \u2014 reconcile paused");
    displayResyncTimer_.cancel();
    offSpaceReconciler_->clearConfirmationCountdowns();
}

void GroupSession::handleWake(const std::string& reason) {
    settleState_.asleep = false;
    traceReconcile("system awake (" + reason + ")");
    beginDisplaySettle("wake-" + reason);
}

void GroupSession::beginDisplaySettle(const std::string& trigger) {
    const double at = now();
    const bool wasOpen = settleState_.settlingUntil > at;
    settleState_.settlingUntil = at + displaySettleWindow;
    if (!settleState_.asleep && !wasOpen) traceReconcile("display settle opened (" + trigger + ")");
    offSpaceReconciler_->clearConfirmationCountdowns();
    displayResyncTimer_.cancel();
    if (settleState_.asleep) return;  // the wake opens a new window
    sweepWithin(sweepInterval);  // and every second while the displays settle
    displayResyncTimer_ = services_.platform.mainExecutor->schedule(
        displaySettleWindow, guarded([this] { resyncGroupsAfterDisplayChange(); }));
}

void GroupSession::wakeFailsafe(const std::string& reason) {
    if (!settleState_.asleep) return;
    settleState_.asleep = false;
    traceReconcile("systemAsleep cleared by user activity (" + reason + ") \u2014 missed wake notification?");
    beginDisplaySettle("failsafe-" + reason);
}

void GroupSession::recordHostBounds(double at) {
    // Through the rehome grace the bounds from before the display change stay.
    if (offSpaceReconciler_->isInRehomeGrace(at)) return;
    const std::vector<ScreenBox> all = screens();
    std::map<Uuid, Rect> recorded;
    for (const TabGroup& group : engine_->groups()) {
        if (const auto host = WindowPlacement::hostScreen(group.frame, all)) recorded[group.id] = host->full;
    }
    hostBounds_ = std::move(recorded);
}

void GroupSession::resyncGroupsAfterDisplayChange() {
    offSpaceReconciler_->noteDisplaySettleEnded(now());
    sweepWithin(sweepInterval);  // strays get their rehome within the grace
    traceReconcile("display settle closed \u2014 resync start (" + std::to_string(engine_->groupCount()) + " groups)");
    const std::vector<TabGroup> groups = engine_->groups();
    for (const TabGroup& group : groups) {
        if (isGestureActive(group.id)) continue;
        resyncGroup(group.id, group.activeWindowID, resyncReadRetries);
    }
}

bool GroupSession::mayResync(const Uuid& groupID, WindowID activeID) const {
    if (settleState_.isSettling(now()) || isGestureActive(groupID)) return false;
    const auto group = engine_->group(groupID);
    return group && group->activeWindowID == activeID;
}

void GroupSession::resyncGroup(const Uuid& groupID, WindowID activeID, int attemptsRemaining) {
    if (!mayResync(groupID, activeID)) return;
    windowSystem_->readFrame(activeID,
                             guarded([this, groupID, activeID, attemptsRemaining](std::optional<Rect> read) {
                                 resyncGroupWithFrame(groupID, activeID, attemptsRemaining, read);
                             }));
}

void GroupSession::resyncGroupWithFrame(const Uuid& groupID, WindowID activeID, int attemptsRemaining,
                                        const std::optional<Rect>& read) {
    if (!mayResync(groupID, activeID)) return;
    const TabGroup group = *engine_->group(groupID);
    if (!group.isUsable(activeID)) {
        overlay_->apply(GroupEvent::groupChanged(group));
        return;
    }
    if (!read) {
        if (attemptsRemaining > 0) {
            traceReconcile("resync read failed active " + std::to_string(activeID) + " \u2014 retry (" +
                  std::to_string(attemptsRemaining) + " left)");
            services_.platform.mainExecutor->postAfter(
                resyncRetryDelay, guarded([this, groupID, activeID, attemptsRemaining] {
                    resyncGroup(groupID, activeID, attemptsRemaining - 1);
                }));
            return;
        }
        traceReconcile("resync gave up active " + std::to_string(activeID) + " after retries \u2014 re-render only");
        overlay_->apply(GroupEvent::groupChanged(group));
        return;
    }

    // The window manager fits the windows it holds maximised to the new
    // work area itself: the group follows it there.
    if (const MaximizedAxes maximized = reportedMaximized(activeID);
        maximized.any() && followWindowManagerMaximize(*read, maximized, activeID, group)) {
        overlay_->apply(GroupEvent::groupChanged(*engine_->group(groupID)));
        return;
    }
    std::vector<Rect> fullBounds;
    for (const ScreenBox& screen : screens()) fullBounds.push_back(screen.full);
    std::optional<Rect> storedHost;
    if (const auto found = hostBounds_.find(groupID); found != hostBounds_.end()) storedHost = found->second;
    const ResyncBranch branch = resyncBranch(storedHost, fullBounds, resyncHostBoundsTolerance);
    const Rect target = resyncTarget(group, *read, branch);
    if (branch == ResyncBranch::reassert || !(target == *read)) windowSystem_->setFrame(target, activeID);
    engine_->commitGroupFrame(target, activeID, true);
    traceReconcile(std::string("resync ") + (branch == ResyncBranch::reassert ? "reassert" : "reflow") + " active " +
          std::to_string(activeID) + " read=" + frameLog(*read) + " \u2192 " + frameLog(target));
    scheduleResyncVerification(groupID, activeID, target, branch);
}

Rect GroupSession::resyncTarget(const TabGroup& group, const Rect& read, ResyncBranch branch) const {
    const Rect from = branch == ResyncBranch::reassert ? group.frame : read;
    const std::vector<ScreenBox> all = screens();
    if (all.empty()) return from;
    if (const auto host = WindowPlacement::dropHost(from, std::nullopt, all)) {
        return WindowPlacement::confine(from, *host, all, overlay_->barRoom(), edgeKeepOnScreen, true);
    }
    // The window meets no display: its display is gone and nobody moved it
    // (an X window manager may leave windows where a removed monitor was).
    // It comes onto the main display, at the same relative place when the
    // display it was on is known.
    const ScreenBox& main = all.front();
    Rect moved = from;
    if (const auto stored = hostBounds_.find(group.id); stored != hostBounds_.end()) {
        moved = WindowPlacement::relocate(from, ScreenBox{stored->second, stored->second}, main);
    }
    return WindowPlacement::confine(moved, main, all, overlay_->barRoom(), edgeKeepOnScreen, true);
}

void GroupSession::scheduleResyncVerification(const Uuid& groupID, WindowID activeID, const Rect& committed,
                                              ResyncBranch branch) {
    services_.platform.mainExecutor->postAfter(
        frameVerifyDelay, guarded([this, groupID, activeID, committed, branch] {
            if (!mayResync(groupID, activeID)) return;
            const TabGroup group = *engine_->group(groupID);
            if (!(group.frame == committed)) return;
            for (const GroupMember& member : group.members) {
                const WindowID id = member.windowID;
                if (branch == ResyncBranch::reflow && id == activeID) continue;
                if (!group.isUsable(id)) continue;
                if (engine_->isFanOutExempt && engine_->isFanOutExempt(id)) continue;
                verifyFrameLanded(groupID, id, committed, "resync verify");
            }
        }));
}

GroupSession::ResyncBranch GroupSession::resyncBranch(const std::optional<Rect>& storedHostBounds,
                                                      const std::vector<Rect>& currentScreenFullBounds,
                                                      double tolerance) {
    if (!storedHostBounds) return ResyncBranch::reflow;
    for (const Rect& screen : currentScreenFullBounds) {
        if (framesWithin(screen, *storedHostBounds, tolerance)) return ResyncBranch::reassert;
    }
    return ResyncBranch::reflow;
}

void GroupSession::updateSpacePresenceWhileSettling() {
    const std::vector<DiscoveredWindow> windows = discovery_.allWindows(false);
    // An empty list says nothing about the windows (see the sweep).
    if (windows.empty()) return;
    std::unordered_set<WindowID> onScreen;
    for (const DiscoveredWindow& window : windows) {
        if (window.isOnScreen) onScreen.insert(window.windowID);
    }
    // Frames wait for the displays; which member is on top does not.
    followStacking(windows, now());
    updateSpacePresence(onScreen, false);
}

}  // namespace tessaly
