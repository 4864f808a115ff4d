// What the window system reports about tracked windows, and focus.
#include <algorithm>

#include "Platform/Log.h"
#include "Platform/Overloaded.h"
#include "TessalyCore/ReconcileLog.h"
#include "TessalySession/FrameLog.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

void GroupSession::handleWindowEvent(const WindowSystemEvent& event) {
    using E = WindowSystemEvent;
    std::visit(Overloaded{
                   [&](const E::WindowDestroyed& e) {
                       snapBackBudget_.forget(e.windowID);
                       maximizedMembers_.erase(e.windowID);
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
    publishFollow();
}

void GroupSession::handleFrameChanged(const WindowSystemEvent::WindowFrameChanged& event) {
    const WindowID id = event.windowID;
    const std::optional<TabGroup> group = engine_->group(id);
    if (!group) return;
    // Kept also while the report itself is passed over (during a gesture,
    // while displays settle): the gesture's end or the resync follows it.
    const bool maximizeChanged = reportedMaximized(id) != event.maximized;
    if (event.maximized.any()) maximizedMembers_[id] = event.maximized;
    else maximizedMembers_.erase(id);
    if (event.isFullScreen) {
        if (fullscreenPolicy == FullscreenPolicy::suspend) engine_->suspendMember(id);
        else engine_->detach(id, false);
        return;
    }
    if (group->suspended.contains(id)) {
        // Back from full screen (or elsewhere); the frame itself is not adopted.
        if (!offSpaceReconciler_->isOffSpaceSuspended(id)) engine_->resumeMember(id);
        return;
    }
    if (isGestureActive(group->id)) return;
    if (group->minimized.contains(id)) return;
    const double at = now();
    if (const auto changed = recentMinimizeChange_.find(id);
        changed != recentMinimizeChange_.end() && at - changed->second < minimizeQuietPeriod) {
        return;
    }
    if (settleState_.isSettling(at)) return;

    if (id == group->activeWindowID) {
        // The window manager maximising or restoring the window is no drag:
        // it is followed at once, also with the button held (a double
        // click on the title bar).
        if (followWindowManagerMaximize(event.frame, event.maximized, id, *group)) return;
        if (isLeftButtonDown()) {
            // The first move of a drag of the window (before it is known to
            // be one): the members go behind it; the platform moves them with
            // it from then on.
            if (!pointerSettlePending_.contains(group->id) && isPressWatched()) {
                parkInactiveMembers(*group, event.frame);
            }
            deferAdoptUntilPointerRelease(group->id);
            return;
        }
        // The platform may have moved the other members already.
        const MemberFollow::Adoption adoption(services_.platform.memberFollow, id);
        adoptOrRestoreZoom(event.frame, id, *group);
        return;
    }
    // A window manager that raises a window it maximises or restores
    // (metacity, marco) has put the member in front of the active one: that
    // one comes back to the front.
    if (maximizeChanged && isInFrontOf(id, group->activeWindowID)) {
        windowSystem_->raiseAndActivate(group->activeWindowID);
    }
    // Maximised with its group, the window manager holds it there (its
    // frame may differ from the group's by borders it hides).
    if (event.maximized.any() && isWindowManagerMaximized(*group)) return;
    snapBack(*group, id, event.frame, event.maximized);
}

bool GroupSession::isInFrontOf(WindowID window, WindowID other) const {
    for (const DiscoveredWindow& shown : discovery_.allWindows(true)) {
        if (shown.windowID == window) return true;
        if (shown.windowID == other) return false;
    }
    return false;
}

void GroupSession::snapBack(const TabGroup& group, WindowID windowID, const Rect& frame, MaximizedAxes maximized) {
    if (isOnItsWay(windowID, frame)) return;
    const SnapBackBudget::Verdict verdict =
        snapBackBudget_.decide(windowID, group.frame, frame, sizeIncrements(windowID));
    if (verdict.kind == SnapBackBudget::VerdictKind::landed) return;

    // A member the system itself focused was moved on purpose: it becomes
    // the active member and its frame the group's. (Under a member that
    // takes no focus, the focus is only left over: a merge moving the
    // focused window in, say.)
    if (const auto member = group.member(windowID);
        member && isOSFocusedWindow(windowID, member->pid) && !isUnderFocusRefuser(group, windowID)) {
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
            windowSystem_->setFrame(group.frame, windowID);
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
    if (OSFocusGate::accepts(event.pid, frontmostPID())) {
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
