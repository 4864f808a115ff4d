// What the window system reports about tracked windows, and focus.
#include <algorithm>

#include "Platform/Log.h"
#include "Platform/Overloaded.h"
#include "TessalyCore/ReconcileLog.h"
#include "Platform/FrameLanding.h"
#include "TessalySession/FrameLog.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

void GroupSession::handleWindowEvent(const WindowSystemEvent& event) {
    using E = WindowSystemEvent;
    std::visit(Overloaded{
                   [&](const E::WindowDestroyed& e) {
                       snapBackBudget_.forget(e.windowID);
                       quietStrays_.erase(e.windowID);
                       strayChecks_.erase(e.windowID);
                       forgetMemberMaximize(e.windowID);
                       takenNoRoomMaximizes_.erase(e.windowID);
                       driftReads_.erase(e.windowID);
                       shadedMembers_.erase(e.windowID);
                       shadeRequests_.erase(e.windowID);
                       ownShadeAt_.erase(e.windowID);
                       if (engine_->group(e.windowID) && repointToSurvivingNativeTabSibling(e.windowID)) return;
                       engine_->handleWindowDestroyed(e.windowID);
                   },
                   [&](const E::WindowFrameChanged& e) { handleFrameChanged(e); },
                   [&](const E::WindowMinimizedChanged& e) {
                       recentMinimizeChange_[e.windowID] = now();
                       if (e.minimized) engine_->noteMinimized(e.windowID);
                       else engine_->noteDeminiaturized(e.windowID);
                   },
                   [&](const E::TitleChanged& e) { engine_->updateTitle(e.title, e.windowID); },
                   [&](const E::FocusedWindowChanged& e) { handleFocusChanged(e); },
               },
               event.payload);
}

void GroupSession::handleFrameChanged(const WindowSystemEvent::WindowFrameChanged& event) {
    const WindowID id = event.windowID;
    const std::optional<TabGroup> group = engine_->group(id);
    if (!group) return;
    // Kept also while the report itself is passed over (during a gesture,
    // while displays settle): the gesture's end or the resync follows it.
    const bool maximizeChanged = reportedMaximized(id) != event.maximized;
    std::optional<MaximizedAxes> reportedBefore;
    if (const auto before = reportedAxes_.find(id); before != reportedAxes_.end()) reportedBefore = before->second;
    reportedAxes_[id] = event.maximized;
    if (!event.maximized.any()) takenNoRoomMaximizes_.erase(id);
    const bool active = id == group->activeWindowID;
    const double at = now();
    // The rules the platform moved the members by (or did not), read the
    // same way here. Past the rules every member shares, only the active
    // member's verdict is read: the button and the screens are for it.
    const FollowRequest request{.source = id,
                                .frame = event.frame,
                                .now = at,
                                .buttonUp = !active || !isLeftButtonDown(),
                                .fullScreen = event.isFullScreen,
                                .maximized = event.maximized.any(),
                                .minimized = group->minimized.contains(id),
                                .shaded = event.shaded};
    const std::optional<double> minimizeChanged = minimizeChangedAt(id);
    FollowGroupState state = followGroup(*group);
    const FollowRules rules = followRules(active);
    FollowVerdict verdict = followVerdict(request, state, minimizeChanged, rules);
    if (verdict == FollowVerdict::fullScreen) {
        if (fullscreenPolicy == FullscreenPolicy::suspend) engine_->suspendMember(id);
        else engine_->detach(id, false);
        return;
    }
    if (group->suspended.contains(id)) {
        // Back from full screen (or elsewhere); the frame itself is not
        // adopted. It shows over the member made active meanwhile: the
        // stacking is looked at soon.
        if (!offSpaceReconciler_->isOffSpaceSuspended(id)) {
            engine_->resumeMember(id);
            sweepWithin(sweepCoalesceDelay);
        }
        return;
    }
    if (followShade(*group, event)) return;
    switch (verdict) {
        case FollowVerdict::minimized:
        case FollowVerdict::gesture:
        case FollowVerdict::dragged:
        case FollowVerdict::settling: return;
        case FollowVerdict::quiet:
            // Not the user's, perhaps (a window manager's minimise animation),
            // but perhaps it is: a drag begun right after a restore. Where the
            // window stands once the quiet period is over is taken then.
            lookAgainAfterQuietPeriod(id, *minimizeChanged + minimizeQuietPeriod - at);
            return;
        default: break;
    }

    if (active) {
        // This report takes the place of one held, and waits as long.
        const double heldFor = releaseHeldFrame(group->id);
        // The window manager maximising or restoring the window is no drag:
        // it is followed at once, also with the button held (a double
        // click on the title bar).
        if (verdict == FollowVerdict::maximize) {
            if (followWindowManagerMaximize(event.frame, event.maximized, id, *group)) return;
            // Passed on by the maximise: judged as any other frame.
            state.zoom.reset();
            verdict = followVerdict(request, state, minimizeChanged, rules);
        }
        switch (verdict) {
            case FollowVerdict::held:
            case FollowVerdict::buttonDown:
                // The first move of a drag of the window (before it is known
                // to be one): the members go behind it; the platform moves
                // them with it from then on.
                if (verdict == FollowVerdict::buttonDown && isPressWatched()) parkInactiveMembers(*group, event.frame);
                deferAdoptUntilPointerRelease(group->id, id);
                return;
            case FollowVerdict::confine:
                // A tile is no step of a maximise: the group takes it at once.
                if (isUnstatedTile(event.frame, id)) break;
                holdForMaximizeState(*group, id, event.frame, std::max(maximizeStepsWait, heldFor));
                return;
            default: break;
        }
        // The platform may have moved the other members already.
        const MemberFollow::Adoption adoption(services_.platform.memberFollow, id);
        adoptOrRestoreZoom(event.frame, id, *group);
        return;
    }
    quietStrays_.erase(id);  // this report takes the place of one waiting
    // A window manager that raises a window it maximises or restores
    // (metacity, marco) has put the member in front of the active one: that
    // one comes back to the front.
    if ((maximizeChanged || isFollowingWindowManagerMaximize(*group, at)) && isInFrontOf(id, group->activeWindowID)) {
        windowSystem_->raiseAndActivate(group->activeWindowID);
    }
    // Maximised or restored by someone else (a pager, the application): the
    // whole group is, by way of its active member.
    if (reportedBefore && watchMemberMaximize(*group, id, *reportedBefore, event.maximized)) return;
    if (isAwaitingMemberMaximize(*group, id)) return;
    // Maximised with its group, the window manager holds it there (its
    // frame may differ from the group's by borders it hides).
    if (isMaximizedWithGroup(*group, id, event.frame, event.maximized)) return;
    if (holdStrayUntilQuiet(*group, id, event.frame)) return;
    snapBackWhenStill(*group, id, event.frame);
}

void GroupSession::snapBackWhenStill(const TabGroup& group, WindowID windowID, const Rect& frame) {
    // A maximise of ours that the window manager carried out only after
    // the group had left it (restored meanwhile) is no frame on its way,
    // though its frame was told a moment ago.
    if (FrameLanding::isLanded(frame, group.frame, resyncVerifyTolerance, sizeIncrements(windowID)) ||
        (!reportedMaximized(windowID).any() && isOnItsWay(windowID, frame))) {
        strayChecks_.erase(windowID);
        return;
    }
    // Each report waits anew: a window moved in a burst is sent back once,
    // from where the burst left it.
    strayChecks_[windowID] = services_.platform.mainExecutor->schedule(
        strayStillness, guarded([this, windowID] { snapBackStillStray(windowID); }));
}

void GroupSession::snapBackStillStray(WindowID windowID) {
    strayChecks_.erase(windowID);
    if (!strayGroup(windowID)) {
        judgeIfMadeActive(windowID);
        return;
    }
    windowSystem_->readFrame(windowID, guarded([this, windowID](std::optional<Rect> frame) {
                                 const std::optional<TabGroup> group = strayGroup(windowID);
                                 if (!frame) return;
                                 if (!group) {
                                     judgeIfMadeActive(windowID);
                                     return;
                                 }
                                 const MaximizedAxes maximized = reportedMaximized(windowID);
                                 if (isMaximizedWithGroup(*group, windowID, *frame, maximized)) return;
                                 snapBack(*group, windowID, *frame, maximized);
                             }));
}

void GroupSession::judgeIfMadeActive(WindowID windowID) {
    // Made active before it was sent back (a click on its tab right after
    // the user dragged it off): where it stands now is the group's frame.
    if (const auto group = engine_->group(windowID); group && group->activeWindowID == windowID) {
        windowSystem_->reportFrameAgain(windowID);
    }
}

void GroupSession::lookAgainAfterSnapBack(WindowID windowID, const Rect& target) {
    // A window that has just left a far larger frame (GTK 4 after a
    // maximise) may take the one sent and at once ask for its own size
    // again, in a burst whose last report is older than the send: nothing
    // tells of it. Read back once it has settled, and sent once more
    // (within the budget) if it is still off.
    services_.platform.mainExecutor->postAfter(frameVerifyDelay, guarded([this, windowID, target] {
        if (const auto group = strayGroup(windowID); !group || !(group->frame == target)) return;
        windowSystem_->readFrame(windowID, guarded([this, windowID, target](std::optional<Rect> frame) {
            const std::optional<TabGroup> group = strayGroup(windowID);
            if (!frame || !group || !(group->frame == target)) return;
            const MaximizedAxes maximized = reportedMaximized(windowID);
            if (isMaximizedWithGroup(*group, windowID, *frame, maximized)) return;
            snapBack(*group, windowID, *frame, maximized, false);
        }));
    }));
}

std::optional<TabGroup> GroupSession::strayGroup(WindowID windowID) const {
    std::optional<TabGroup> group = engine_->group(windowID);
    if (!group || windowID == group->activeWindowID || !group->isUsable(windowID) || isGestureActive(group->id)) {
        return std::nullopt;
    }
    const double at = now();
    if (settleState_.isSettling(at) || isMinimizeQuiet(windowID, at)) return std::nullopt;
    return group;
}

void GroupSession::lookAgainAfterQuietPeriod(WindowID windowID, double delay) {
    if (!quietFrameLooks_.insert(windowID).second) return;
    services_.platform.mainExecutor->postAfter(delay, guarded([this, windowID] {
        quietFrameLooks_.erase(windowID);
        if (!engine_->group(windowID)) return;
        // A later minimise change starts its own quiet period: the window's
        // report after it comes back here if it still falls inside.
        windowSystem_->reportFrameAgain(windowID);
    }));
}

bool GroupSession::isInFrontOf(WindowID window, WindowID other) const {
    for (const DiscoveredWindow& shown : discovery_.allWindows(true)) {
        if (shown.windowID == window) return true;
        if (shown.windowID == other) return false;
    }
    return false;
}

bool GroupSession::followShade(const TabGroup& group, const WindowSystemEvent::WindowFrameChanged& event) {
    const WindowID id = event.windowID;
    const bool changed = event.shaded ? shadedMembers_.insert(id).second : shadedMembers_.erase(id) > 0;
    // Our own requests landing are no word of the user's. Each one shows as
    // one change of the member's state, an earlier one landing after a
    // later one was sent too (the group rolled back at once: fluxbox rolls a
    // window down and up again on a double click right after another). A
    // report that changes nothing lands none: a frame report may tell of the
    // member as it was before. Requests not seen to land within the quiet
    // period were left undone by the window manager (or told as one change).
    if (const auto asked = shadeRequests_.find(id); asked != shadeRequests_.end()) {
        if (!isFocusedByOwnShade(id)) {
            shadeRequests_.erase(asked);
        } else if (changed) {
            if (--asked->second.onTheirWay <= 0) shadeRequests_.erase(asked);
            // Rolled down, the window's frame may still carry the rolled-up
            // decoration a moment (marco): where it stands is looked at once
            // that has passed.
            if (!event.shaded) lookAgainAfterQuietPeriod(id, shadeSettleDelay);
            return true;
        }
    }
    if (!changed) return event.shaded;
    // The user rolled a member up or down: the group goes with it. The
    // window manager may have handed the focus to another member the moment
    // it rolled the window up (metacity), or left another one on top of it
    // (icewm): the one rolled keeps the tab, and rolled down it comes on top
    // again.
    for (const GroupMember& member : group.members) {
        const WindowID other = member.windowID;
        const auto asked = shadeRequests_.find(other);
        const bool goingTo = asked != shadeRequests_.end() ? asked->second.shaded : shadedMembers_.contains(other);
        if (other == id || !group.isUsable(other) || goingTo == event.shaded) continue;
        ShadeRequest& request = shadeRequests_[other];
        if (!isFocusedByOwnShade(other)) request.onTheirWay = 0;  // those are no longer awaited
        request.shaded = event.shaded;
        ++request.onTheirWay;
        ownShadeAt_[other] = now();
        windowSystem_->setShaded(other, event.shaded);
    }
    if (group.isUsable(id)) {
        if (!event.shaded) engine_->setActive(id);
        else if (group.activeWindowID != id) engine_->noteExternalFocus(id);
    }
    return event.shaded;
}

bool GroupSession::isFocusedByOwnShade(WindowID windowID) const {
    const auto at = ownShadeAt_.find(windowID);
    return at != ownShadeAt_.end() && now() - at->second < shadeFocusQuietPeriod;
}

bool GroupSession::takeBackFocusFromOwnShade(const TabGroup& group, WindowID windowID) {
    if (!isFocusedByOwnShade(windowID)) return false;
    // Rolled with the member the user rolled, and focused or raised by the
    // window manager for that (metacity, marco, icewm): the member the user
    // rolled keeps the tab, and once rolled down takes the focus and the
    // front back (activated while rolled up, it would roll down).
    Log::debug(LogCategory::focus, "a member rolled for its group takes no tab (id=" + std::to_string(windowID) + ")");
    // The focus may also come from the member with the tab, rolled up again
    // by the user and not heard of yet: raised, it would roll down.
    if (group.activeWindowID != windowID && group.isUsable(group.activeWindowID) && !isInRolledUpGroup(windowID) &&
        !isRolledUpNow(group.activeWindowID)) {
        engine_->setActive(group.activeWindowID);
    }
    return true;
}

bool GroupSession::isRolledUpNow(WindowID windowID) const {
    if (shadedMembers_.contains(windowID)) return true;
    const AXWindowRef window = windowSystem_->window(windowID);
    return window && window->isShaded();
}

bool GroupSession::isInRolledUpGroup(WindowID windowID) const {
    const std::optional<TabGroup> group = engine_->group(windowID);
    return group && std::any_of(group->members.begin(), group->members.end(), [this](const GroupMember& member) {
               return shadedMembers_.contains(member.windowID);
           });
}

void GroupSession::snapBack(const TabGroup& group, WindowID windowID, const Rect& frame, MaximizedAxes maximized,
                            bool lookAgain) {
    if (!maximized.any() && isOnItsWay(windowID, frame)) return;
    // Moved under the user's hand (the window manager carries out a drag of
    // it, maybe while the focus was left on another member): sent back now,
    // it would only be moved on again, until the attempts run out and leave
    // it apart from its group for good.
    if (isLeftButtonDown() &&
        !FrameLanding::isLanded(frame, group.frame, resyncVerifyTolerance, sizeIncrements(windowID))) {
        lookAgainAtPointerRelease(windowID);
        return;
    }
    const SnapBackBudget::Verdict verdict =
        snapBackBudget_.decide(windowID, group.frame, frame, sizeIncrements(windowID));
    if (verdict.kind == SnapBackBudget::VerdictKind::landed) return;

    // A member the system itself focused was moved on purpose: it becomes
    // the active member and its frame the group's. (Under a member that
    // takes no focus, the focus is only left over: a merge moving the
    // focused window in, say.)
    if (const auto member = group.member(windowID); member && isOSFocusedWindow(windowID, member->pid) &&
                                                    !isUnderFocusRefuser(group, windowID) && !isFocusedByOwnShade(windowID)) {
        snapBackBudget_.forget(windowID);
        engine_->noteExternalFocus(windowID);
        if (!followWindowManagerMaximize(frame, maximized, windowID, group)) adoptOrRestoreZoom(frame, windowID, group);
        return;
    }

    const std::string detail =
        std::to_string(windowID) + " read=" + frameLog(frame) + " want=" + frameLog(group.frame);
    switch (verdict.kind) {
        case SnapBackBudget::VerdictKind::resend:
            ReconcileLog::trace(LogCategory::reconcile, "snap-back: re-sending " + detail);
            // Into the group's maximise, where the window manager holds it
            // so: maximised the same way (on the group's place along an axis
            // it is not maximised along), not only the frame.
            if (isWindowManagerMaximized(group)) {
                maximizeSent_[windowID] = now();
                windowSystem_->setMaximized(zoomRecords_.at(group.id).windowManagerAxes, group.frame, windowID);
            } else {
                windowSystem_->setFrame(group.frame, windowID);
            }
            if (lookAgain) lookAgainAfterSnapBack(windowID, group.frame);
            return;
        case SnapBackBudget::VerdictKind::exhausted:
            if (verdict.firstReport) {
                Log::notice(LogCategory::reconcile, "snap-back budget exhausted: " + detail + " after " +
                                                        std::to_string(snapBackBudget_.limit) + " attempts");
            }
            return;
        case SnapBackBudget::VerdictKind::landed: return;
    }
}

void GroupSession::handleFocusChanged(const WindowSystemEvent::FocusedWindowChanged& event) {
    if (isInRolledUpGroup(event.windowID)) {
        // The window manager handed the focus on from the window rolled up
        // (metacity, marco): the tab stays with it.
        Log::debug(LogCategory::focus, "focus in a rolled-up group kept off its tab (id=" +
                                           std::to_string(event.windowID) + ")");
    } else if (OSFocusGate::accepts(event.pid, frontmostPID())) {
        adoptFocus(event.windowID);
    } else {
        Log::debug(LogCategory::focus, "focus event dropped: pid " + std::to_string(event.pid) +
                                           " not frontmost (id=" + std::to_string(event.windowID) + ")");
    }
    overlay_->reassertAll();
    // A window of a member's application that is in no group may have taken
    // a member's place (a tab of the application's own, a replacement
    // window): one sweep looks at once, coalesced.
    if (!focusSweepScheduled_ && !engine_->group(event.windowID) && hasMemberOf(event.pid)) scheduleFocusSweep();
}

void GroupSession::scheduleFocusSweep() {
    focusSweepScheduled_ = true;
    services_.platform.mainExecutor->post(guarded([this] {
        focusSweepScheduled_ = false;
        runSweep(false);
    }));
}

bool GroupSession::isOSFocusedWindow(WindowID windowID, ProcessID pid) {
    return osFocusGate_.isOSFocused(windowID, pid, frontmostPID(), now(), [this, pid]() -> std::optional<WindowID> {
        const AXWindowRef focused = focusedWindow(pid);
        if (!focused) return std::nullopt;
        return focused->windowID;
    });
}

void GroupSession::adoptFocusedMember(ProcessID activatedPID) {
    if (!hasMemberOf(activatedPID)) return;
    const AXWindowRef focused = focusedWindow(activatedPID);
    if (!focused || !focused->windowID) return;
    adoptFocus(*focused->windowID);
    overlay_->reassertAll();
}

}  // namespace tessaly
