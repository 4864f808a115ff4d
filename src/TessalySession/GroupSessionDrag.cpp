// Drag-to-group: the mouse tap and the recogniser, the insert preview, the
// grouping at the drop, and the live follow of a dragged active member.
#include <algorithm>
#include <cmath>
#include <sstream>

#include "AXKit/AXApplication.h"
#include "Platform/Log.h"
#include "Platform/Overloaded.h"
#include "TessalyCore/LiveFollowGate.h"
#include "TessalyCore/WindowPlacement.h"
#include "TessalySession/FrameLog.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

namespace {

// The modifier whose presses the window manager's move assist watches.
EventFlags assistedModifiers(ModifierGate gate) {
    switch (gate) {
        case ModifierGate::none: return 0;  // plain drags: the window manager moves by itself
        case ModifierGate::shift: return InputFlags::shift;
        case ModifierGate::control: return InputFlags::control;
        case ModifierGate::option: return InputFlags::alternate;
    }
    return 0;
}

}  // namespace

// ---- Turning drag grouping on and off ----

bool GroupSession::enableDragGrouping(const DragSettings& settings) {
    if (isShutDown_) return false;
    if (dragIntegration_) return true;
    if (!services_.input) return false;
    const PlatformServices& platform = services_.platform;
    auto monitor = EventTapMonitor::create(*services_.input, *platform.queueFactory, *platform.mainExecutor,
                                           *platform.clock);
    if (!monitor) return false;

    auto integration = std::make_unique<DragIntegration>();
    integration->environment =
        std::make_unique<LiveDragEnvironment>(*engine_, windowSystem_->axServices(), platform.windowList);
    LiveDragEnvironment& environment = *integration->environment;
    environment.isExcluded = guarded([this](ProcessID pid) { return isExcludedApp && isExcludedApp(pid); });
    environment.groupForPanel =
        guarded([this](WindowID number) { return overlay_->groupIDForPanelWindowNumber(number); });
    environment.isBarDragActive = guarded([this] { return !barDrags_.empty(); });

    dragSettings_ = settings;
    integration->controller = std::make_unique<DragGroupingController>(environment, settings);
    integration->preview = services_.overlayFactory->makeInsertPreviewPanel();
    integration->settings = settings;
    integration->monitor = std::move(monitor);

    integration->controller->onEvent = guarded([this](const DragGroupingEvent& event) { handleDragEvent(event); });
    integration->controller->onLifecycle =
        guarded([this](const DragLifecycleEvent& event) { handleDragLifecycle(event); });
    integration->controller->modifierSnapsMoves = guarded([this] {
        const auto& assist = services_.platform.moveAssist;
        return dragIntegration_ && dragIntegration_->settings.modifierGate == ModifierGate::shift && assist &&
               assist->snapsMovesWithShift();
    });
    integration->monitor->onMouse = guarded([this](EventTapMonitor::Phase phase, Point location, EventFlags,
                                                   double time) { handleMouse(phase, location, time); });
    dragIntegration_ = std::move(integration);
    if (platform.moveAssist) platform.moveAssist->setGroupingModifiers(assistedModifiers(settings.modifierGate));
    return true;
}

void GroupSession::disableDragGrouping() {
    if (!dragIntegration_) return;
    const Turn turn(*this);  // a live follow may end
    if (liveFollow_) handleDragLifecycle(DragLifecycleEvent::ended(liveFollow_->windowID));
    dragIntegration_->tickTimer.cancel();
    dragIntegration_->monitor->shutdown();
    dragIntegration_->preview->hide();
    dragIntegration_.reset();
    if (services_.platform.moveAssist) services_.platform.moveAssist->setGroupingModifiers(0);
}

void GroupSession::updateDragSettings(const DragSettings& settings) {
    dragSettings_ = settings;
    if (!dragIntegration_) return;
    dragIntegration_->settings = settings;
    dragIntegration_->controller->settings = settings;
    if (services_.platform.moveAssist) {
        services_.platform.moveAssist->setGroupingModifiers(assistedModifiers(settings.modifierGate));
    }
}

// ---- Mouse reports and the drag tick ----

bool GroupSession::modifiersSatisfied() const {
    if (!services_.input) return false;
    return modifiersSatisfied(services_.input->modifierFlags());
}

bool GroupSession::modifiersSatisfied(EventFlags flags) const {
    return dragIntegration_ && satisfied(dragIntegration_->settings.modifierGate, flags);
}

void GroupSession::handleMouse(EventTapMonitor::Phase phase, Point location, double time) {
    if (!dragIntegration_) return;
    switch (phase) {
        case EventTapMonitor::Phase::down:
            dragIntegration_->tickTimer.cancel();
            pendingMouseUpPoint_.reset();
            dragIntegration_->environment->pressed(location);
            dragIntegration_->controller->mouseDown(location, time);
            if (!dragIntegration_) return;
            dragIntegration_->environment->draggedAXWindow = nullptr;
            if (modifiersSatisfied()) dragIntegration_->controller->modifierHeldAtPress();
            // The recogniser looks again while the pointer rests, not only
            // at motion: a window manager may start its move after the last
            // motion has been looked at (late on a busy machine, or that
            // motion came too soon after the one before to be looked at),
            // and a user who holds still over the target must still see
            // the drag taken and the preview.
            if (dragIntegration_->controller->isWatchingPress()) startDragTick();
            return;
        case EventTapMonitor::Phase::dragged: {
            // The pointer as it is now, when the frames it is compared with
            // are read: a report that waited for the main thread would pair
            // an older place of the pointer with a newer frame. A report
            // that waited past the release is passed over: the modifier may
            // have been let go since, which must not take back the preview
            // the release groups with; the release's own report follows.
            const InputMonitor::PointerState pointer = services_.input->pointerState();
            if (!pointer.leftButtonDown) return;
            dragIntegration_->controller->mouseDragged(pointer.location, modifiersSatisfied(pointer.modifiers), time);
            if (!dragIntegration_) return;
            if (dragIntegration_->controller->isWatchingPress() && !dragIntegration_->tickTimer) startDragTick();
            liveFollowPanelUpdate(pointer.location, time);
            return;
        }
        case EventTapMonitor::Phase::up:
            dragIntegration_->tickTimer.cancel();
            // The release's reports run inside mouseUp and see the point.
            pendingMouseUpPoint_ = location;
            dragIntegration_->controller->mouseUp(location, time);
            if (dragIntegration_) dragIntegration_->environment->draggedAXWindow = nullptr;
            pendingMouseUpPoint_.reset();
            return;
    }
}

void GroupSession::startDragTick() {
    dragIntegration_->tickTimer.cancel();
    dragIntegration_->tickTimer =
        services_.platform.mainExecutor->scheduleRepeating(dragTickInterval, guarded([this] { dragTick(); }));
}

void GroupSession::dragTick() {
    if (!dragIntegration_) return;
    const double time = now();
    // The button and the modifiers read together: read one after the other,
    // a release with the modifier let go at once could fall between them.
    const InputMonitor::PointerState pointer = services_.input->pointerState();
    if (!pointer.leftButtonDown) {
        // A release the tap missed.
        dragIntegration_->tickTimer.cancel();
        dragIntegration_->controller->mouseUp(pointer.location, time);
        if (dragIntegration_) dragIntegration_->environment->draggedAXWindow = nullptr;
        return;
    }
    dragIntegration_->controller->tick(modifiersSatisfied(pointer.modifiers), time);
    // A press that is no drag (given up on, or on one of our own windows)
    // needs no more looks.
    if (dragIntegration_ && !dragIntegration_->controller->isWatchingPress()) dragIntegration_->tickTimer.cancel();
}

// ---- The recogniser's reports ----

namespace {

// A report of the drag recogniser as the diagnostic traces write it.
template <class Event>
void traceDrag(const Event& event) {
    if (!Log::diagnosticsEnabled()) return;
    std::ostringstream text;
    text << "drag: " << event;
    Log::debug(LogCategory::drag, text.str());
}

}  // namespace

void GroupSession::handleDragEvent(const DragGroupingEvent& event) {
    if (!dragIntegration_) return;
    traceDrag(event);
    using E = DragGroupingEvent;
    std::visit(Overloaded{
                   [&](const E::PreviewShown& e) { showInsertPreview(e.target); },
                   [&](const E::Grouped& e) {
                       std::optional<LiveFollowSession> ended;
                       if (liveFollow_ && liveFollow_->windowID == e.draggedWindowID) {
                           // The dragged window leaves its group: the others come back.
                           ended = std::exchange(liveFollow_, std::nullopt);
                           overlay_->setBarSeamHidden(false, ended->groupID);
                           moveParked(ended->parked, ended->originalFrame);
                       }
                       groupOnDrop(e.draggedWindowID, e.target, ended);
                   },
                   [&](const E::PreviewHidden&) { dragIntegration_->preview->hide(); },
               },
               event.payload);
}

void GroupSession::showInsertPreview(const DragCandidate& target) {
    const auto group = engine_->group(target.windowID);
    Rect outline = target.frame;
    if (group) {
        outline = group->frame.unionWith(overlay_->stripFrame(group->frame));
    }
    dragIntegration_->preview->show(outline, group && group->isLocked);
}

void GroupSession::groupOnDrop(WindowID draggedID, const DragCandidate& target,
                               const std::optional<LiveFollowSession>& ended) {
    const AXWindowRef dragged = dragIntegration_->environment->draggedAXWindow;
    const AXWindowRef targetWindow =
        dragged && dragged->windowID == draggedID ? resolveAXWindow(target.windowID, target.pid) : nullptr;
    bool grouped = false;
    if (targetWindow) {
        grouped = group(dragged, targetWindow);
        if (!grouped) {
            Log::debug(LogCategory::drag, "drag: the drop left " + std::to_string(draggedID) + " out of " +
                                              std::to_string(target.windowID) + "'s group");
        }
    } else {
        Log::error(LogCategory::drag, "drop resolution failed: dragged=" + std::to_string(draggedID) +
                                          " target=" + std::to_string(target.windowID) +
                                          " pid=" + std::to_string(target.pid));
    }
    if (grouped || !ended) return;
    // The follow was ended for a grouping that did not happen: the dragged
    // member goes back to its group's frame, with its bar, instead of
    // leaving the group split.
    const auto group = engine_->group(ended->groupID);
    if (!group || !group->contains(draggedID)) return;
    windowSystem_->setFrame(group->frame, draggedID);
    overlay_->movePanel(group->id, group->frame);
}

// ---- Live follow ----

void GroupSession::handleDragLifecycle(const DragLifecycleEvent& event) {
    traceDrag(event);
    using E = DragLifecycleEvent;
    std::visit(Overloaded{
                   [&](const E::Confirmed& e) {
                       wakeFailsafe("window-drag");
                       if (!liveFollow_) startLiveFollow(e.windowID);
                   },
                   [&](const E::Ended& e) { endLiveFollow(e.windowID); },
               },
               event.payload);
}

void GroupSession::startLiveFollow(WindowID windowID) {
    const auto group = engine_->group(windowID);
    if (!group || group->activeWindowID != windowID) return;
    std::optional<Rect> shown;
    if (dragIntegration_) shown = dragIntegration_->environment->draggedFrame(windowID);
    std::vector<ParkedMember> parked = parkInactiveMembers(*group, shown.value_or(group->frame));
    LiveFollowSession follow;
    follow.groupID = group->id;
    follow.windowID = windowID;
    follow.originalFrame = group->frame;
    follow.parked = std::move(parked);
    liveFollow_ = std::move(follow);
}

void GroupSession::endLiveFollow(WindowID windowID) {
    if (!liveFollow_ || liveFollow_->windowID != windowID) return;
    const LiveFollowSession follow = *std::exchange(liveFollow_, std::nullopt);
    overlay_->setBarSeamHidden(false, follow.groupID);
    const auto group = engine_->group(follow.groupID);
    if (!group || !group->contains(windowID)) {
        moveParked(follow.parked, follow.originalFrame);
        return;
    }
    const std::optional<Point> dropPoint = pendingMouseUpPoint_;
    const Rect final = resolveFinalFollowFrame(follow, windowID);
    // Dropped where the window manager maximises the window (at a screen
    // edge), or still maximised: the group is maximised with it, the parked
    // members too, at the frame the window manager gave it.
    if (const MaximizedAxes maximized = reportedMaximized(windowID); maximized.any()) {
        const AXWindowRef window = windowSystem_->window(windowID);
        const std::optional<Rect> now = window ? window->frame() : std::nullopt;
        if (now && maximizedGroupFrame(*now, maximized, windowID) &&
            followWindowManagerMaximize(*now, maximized, windowID, *group, true)) {
            return;
        }
    }
    // Dropped at a screen's edge, reaching off its display or into the
    // bar's room, where the window manager may tile or maximise it (and
    // tells so only after the release, late when it is busy): taken once
    // it has had time to, unless a report of the window comes first.
    const bool atScreenEdge = isDroppedAtScreenEdge(dropPoint);
    if (atScreenEdge && holdForMaximizeState(*group, windowID, final, maximizeStrayWindow)) return;
    // Dragged out of the window manager's maximise or tile (which lets go
    // of the window as the drag begins): the group is restored, and what
    // the window manager does to the members for that is its own.
    if (const auto record = zoomRecords_.find(group->id); record != zoomRecords_.end() &&
                                                          record->second.windowManagerAxes.any() &&
                                                          record->second.isCurrent(group->frame)) {
        record->second = record->second.restored(now());
        noteMaximizeSent(*group, windowID);
    }
    // Forced, so the parked members come back even to an unchanged frame
    // (and land where the platform may not have moved them).
    const Rect committed = adoptFrame(final, windowID, true, dropPoint);
    scheduleLiveFollowResyncCheck(follow.groupID, windowID, committed,
                                  atScreenEdge ? maximizeStrayWindow : maximizeStepsWait);
}

bool GroupSession::isPressWatched() const {
    return dragIntegration_ && dragIntegration_->controller->isWatchingPress();
}

void GroupSession::moveParked(const std::vector<ParkedMember>& parked, const Rect& to) {
    for (const ParkedMember& member : parked) {
        if (member.window) windowSystem_->setFrame(to, member.window);
        else windowSystem_->setFrame(to, member.windowID);
    }
}

void GroupSession::liveFollowPanelUpdate(Point at, double time) {
    if (!liveFollow_ || !dragIntegration_) return;
    LiveFollowSession& follow = *liveFollow_;
    if (time - follow.lastPanelUpdate < panelUpdateInterval) return;
    const LiveDragEnvironment& environment = *dragIntegration_->environment;
    if (!environment.draggedAXWindow || environment.draggedAXWindow->windowID != follow.windowID) return;
    const std::optional<Rect> frame = environment.draggedFrame(follow.windowID);
    if (!frame) return;
    follow.lastPanelUpdate = time;
    const LiveFollowGate::Decision decision =
        LiveFollowGate::decide(*frame, follow.lastGoodFrame, at, follow.cursorAtLastGood, follow.rejectStreak,
                               liveFollowGlitchJump, liveFollowMaxReject);
    follow.rejectStreak = decision.rejectStreak;
    if (!decision.accept) return;
    follow.lastGoodFrame = *frame;
    follow.cursorAtLastGood = at;
    // Where the platform does not move the parked members with the window.
    if (!services_.platform.memberFollow) moveParked(follow.parked, *frame);
    if (WindowPlacement::straddles(*frame, screens())) {
        overlay_->setBarSeamHidden(true, follow.groupID);
    } else {
        overlay_->setBarSeamHidden(false, follow.groupID);
        overlay_->movePanel(follow.groupID, *frame);
    }
}

Rect GroupSession::resolveFinalFollowFrame(const LiveFollowSession& follow, WindowID windowID) {
    const std::optional<Point> cursorNow = std::exchange(pendingMouseUpPoint_, std::nullopt);
    std::optional<Rect> fresh;
    if (dragIntegration_) fresh = dragIntegration_->environment->draggedFrame(windowID);
    return LiveFollowGate::finalFrame(fresh, follow.lastGoodFrame, cursorNow, follow.cursorAtLastGood,
                                      follow.originalFrame, liveFollowGlitchJump);
}

AXWindowRef GroupSession::resolveAXWindow(WindowID windowID, ProcessID pid) const {
    if (AXWindowRef tracked = windowSystem_->window(windowID)) return tracked;
    const AXApplication app(windowSystem_->axServices(), pid, windowListTimeout);
    for (const AXWindowRef& window : app.windows(false)) {
        if (window->windowID == windowID) return window;
    }
    return nullptr;
}

void GroupSession::scheduleLiveFollowResyncCheck(const Uuid& groupID, WindowID activeID, const Rect& committed,
                                                 double patience) {
    liveFollowResyncTimer_ = services_.platform.mainExecutor->schedule(
        liveFollowResyncDelay, guarded([this, groupID, activeID, committed, patience] {
            runLiveFollowResyncCheck(groupID, activeID, committed, patience);
        }));
}

bool GroupSession::mayResyncLiveFollow(const Uuid& groupID, WindowID activeID) const {
    if (settleState_.isSettling(now()) || isGestureActive(groupID)) return false;
    const auto group = engine_->group(groupID);
    return group && group->activeWindowID == activeID && group->isUsable(activeID);
}

void GroupSession::runLiveFollowResyncCheck(const Uuid& groupID, WindowID activeID, const Rect& committed,
                                            double patience) {
    if (!mayResyncLiveFollow(groupID, activeID)) return;
    windowSystem_->readFrame(activeID, guarded([this, groupID, activeID, committed, patience](std::optional<Rect> read) {
                                 if (!read || !mayResyncLiveFollow(groupID, activeID)) return;
                                 const double drift = std::max(
                                     {std::abs(read->origin.x - committed.origin.x),
                                      std::abs(read->origin.y - committed.origin.y),
                                      std::abs(read->size.width - committed.size.width),
                                      std::abs(read->size.height - committed.size.height)});
                                 if (!(drift > liveFollowGlitchJump)) return;
                                 // A maximise or tile of the window manager's, reported or on
                                 // its way, is followed from its reports, which wait for its
                                 // last step: confined here, the window would be pulled out
                                 // of its tile (a window dropped flush with the screen's edge
                                 // is tiled after the drop's own frame is taken).
                                 if (reportedMaximized(activeID).any() || heldFrames_.contains(groupID) ||
                                     partialMaximizeHolds_.contains(groupID) || noRoomZooms_.contains(groupID)) {
                                     return;
                                 }
                                 Log::notice(LogCategory::drag, "live-follow resync re-adopt: drift=" +
                                                                    logNumber(drift) + "pt group=" +
                                                                    groupID.uuidString());
                                 // A frame in the bar's room may be the first step of one.
                                 const auto group = engine_->group(groupID);
                                 if (holdForMaximizeState(*group, activeID, *read, patience)) return;
                                 adoptFrame(*read, activeID, false, std::nullopt);
                             }));
}

}  // namespace tessaly
