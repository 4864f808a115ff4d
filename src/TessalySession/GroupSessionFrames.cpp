// Frame commits: adopting a member's frame for its group, zoom and its undo,
// read-back verification, parking members aside, grouping two windows.
#include <algorithm>
#include <unordered_set>

#include "OverlayUI/TabStripGeometry.h"
#include "TessalyCore/FrameTolerance.h"
#include "TessalyCore/WindowPlacement.h"
#include "Platform/FrameLanding.h"
#include "TessalySession/FrameLog.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

bool GroupSession::isGestureActive(const Uuid& groupID) const {
    if (liveFollow_ && liveFollow_->groupID == groupID) return true;
    return barDrags_.contains(groupID);
}

Size GroupSession::sizeIncrements(WindowID windowID) const {
    return FrameLanding::increments(services_.platform.windowHints.get(), windowID);
}

Rect GroupSession::confinedToDropHost(const Rect& frame, std::optional<Point> cursor) const {
    return tessaly::confinedToDropHost(frame, cursor, screens(), overlay_->barRoom(), edgeKeepOnScreen,
                                       overlay_->smallestGroupFrame());
}

Rect GroupSession::adoptFrame(const Rect& frame, WindowID from, bool force, std::optional<Point> droppedAt) {
    // The window manager keeps a tile where it is: confined, the window
    // would stay, its bar over its title bar, and the others below it.
    const Rect target = isUnstatedTile(frame, from) ? frame : confinedToDropHost(frame, droppedAt);
    if (target == frame) {
        engine_->commitGroupFrame(frame, from, force);
        return frame;
    }
    // The window reaches under the top of its display, into the bar's room
    // or off the display: it is put where the group can have it.
    traceReconcile("adopt clamp: " + std::to_string(from) + " read=" + frameLog(frame) + " reserved=" + frameLog(target));
    windowSystem_->setFrame(target, from);
    engine_->commitGroupFrame(target, from, force);
    if (const auto group = engine_->group(from)) {
        scheduleFrameLandedVerification(group->id, from, target, "reserve verify");
    }
    return target;
}

void GroupSession::adoptOrRestoreZoom(const Rect& frame, WindowID from, const TabGroup& group) {
    const double at = now();
    std::optional<ZoomRecord> record;
    if (const auto found = zoomRecords_.find(group.id); found != zoomRecords_.end()) record = found->second;

    if (record && record->isReZoom(frame, group.frame, resyncVerifyTolerance, zoomMinInterval, at)) {
        // The zoom button pressed again: back to the frame before the zoom.
        restoreZoom(*record, frame, from, group);
        return;
    }
    if (record && record->isEchoAfterRestore(frame, resyncVerifyTolerance, zoomMinInterval, at)) {
        traceReconcile("zoom echo dropped: " + std::to_string(from) + " " + frameLog(frame));
        return;
    }
    if (isDriftAfterNoRoomMaximize(frame, from, group)) {
        traceReconcile("maximise drift: " + std::to_string(from) + " read=" + frameLog(frame) +
              " want=" + frameLog(group.frame));
        // The others, and the bar, may have been sent after it already.
        engine_->commitGroupFrame(group.frame, from, true);
        overlay_->movePanel(group.id, group.frame);
        // At once, unless it came back from there: then once more later.
        if (const auto last = driftReads_.find(from); last == driftReads_.end() || !(last->second == frame)) {
            driftReads_[from] = frame;
            windowSystem_->setFrame(group.frame, from);
        }
        scheduleFrameLandedVerification(group.id, from, group.frame, "maximise drift verify");
        return;
    }
    driftReads_.erase(from);

    const Rect committed = adoptFrame(frame, from, false, std::nullopt);
    // Only a frame that confinement pushed down can be a zoom.
    if (frame.minY() >= committed.minY()) return;
    const std::optional<ZoomRecord> made =
        ZoomRecord::make(group.frame, frame, committed, record, resyncVerifyTolerance, at);
    if (!made) return;
    zoomRecords_[group.id] = *made;
    traceReconcile("zoom record: " + std::to_string(from) + " requested=" + frameLog(frame) + " zoomed=" +
          frameLog(committed) + " back=" + frameLog(made->restoreFrame));
}

bool GroupSession::isDriftAfterNoRoomMaximize(const Rect& frame, WindowID from, const TabGroup& group) {
    const auto taken = noRoomMaximizeTakenAt_.find(group.id);
    if (taken == noRoomMaximizeTakenAt_.end()) return false;
    if (now() - taken->second >= maximizeStrayWindow) {
        noRoomMaximizeTakenAt_.erase(taken);
        return false;
    }
    return !reportedMaximized(from).any() &&
           !FrameLanding::isLanded(frame, group.frame, resyncVerifyTolerance, sizeIncrements(from));
}

void GroupSession::restoreZoom(const ZoomRecord& record, const Rect& requested, WindowID from, const TabGroup& group) {
    zoomRecords_[group.id] = record.restored(now());
    traceReconcile("zoom restore: " + std::to_string(from) + " requested=" + frameLog(requested) +
          " back=" + frameLog(record.restoreFrame));
    const Rect target = confinedToDropHost(record.restoreFrame, std::nullopt);
    windowSystem_->setFrame(target, from);
    noteMaximizeSent(group, from);
    engine_->commitGroupFrame(target, from, false);
    scheduleFrameLandedVerification(group.id, from, target, "zoom restore verify");
}

void GroupSession::zoomBelowBar(const Uuid& groupID) {
    const auto group = engine_->group(groupID);
    if (!group || !isWindowManagerMaximized(*group) || overlay_->hasRoom(group->frame, group->activeWindowID)) return;
    traceReconcile("no room for the bar on " + std::to_string(group->activeWindowID) + ": zoomed below it");
    // Its maximised state, reported until the window manager lets go, is this maximise.
    if (reportedMaximized(group->activeWindowID).any()) takenNoRoomMaximizes_.insert(group->activeWindowID);
    std::optional<ZoomRecord> record;
    if (const auto found = zoomRecords_.find(group->id); found != zoomRecords_.end()) record = found->second;
    noteMaximizeSent(*group, group->activeWindowID);
    const Rect committed = adoptFrame(group->frame, group->activeWindowID, true, std::nullopt);
    // Back, on the next maximise, to where the window manager's maximise began.
    if (const auto made =
            ZoomRecord::make(group->frame, group->frame, committed, record, resyncVerifyTolerance, now())) {
        zoomRecords_[group->id] = *made;
    } else {
        zoomRecords_.erase(group->id);
    }
}

void GroupSession::zoomMaximizedBelowBar(const Uuid& groupID, WindowID from) {
    noRoomZooms_.erase(groupID);
    windowSystem_->readFrame(from, guarded([this, groupID, from](std::optional<Rect> frame) {
        const auto group = engine_->group(groupID);
        if (!frame || !group || group->activeWindowID != from || isGestureActive(groupID)) return;
        noRoomMaximizeTakenAt_[groupID] = now();
        adoptOrRestoreZoom(*frame, from, *group);
    }));
}

bool GroupSession::followWindowManagerMaximize(const Rect& frame, MaximizedAxes maximized, WindowID from,
                                               const TabGroup& group, bool again, bool settled) {
    partialMaximizeHolds_.erase(group.id);  // this report takes the place of one held
    std::optional<ZoomRecord> record;
    if (const auto found = zoomRecords_.find(group.id); found != zoomRecords_.end()) record = found->second;
    if (maximized.any()) {
        // A state published before the frame (or kept a moment after the
        // frame went back) is the window manager half way: the next report
        // brings the rest.
        const std::optional<Rect> shown = maximizedGroupFrame(frame, maximized, from);
        if (!shown) return true;
        // A window the window manager draws no title bar for (a header bar
        // of its own), or one too low for the bar, leaves the bar no room
        // on it: the maximise is taken as a zoom below the bar, which the
        // caller's adoption makes (and a second maximise undoes).
        if (!overlay_->hasRoom(*shown, from)) {
            // Reported again before the window manager carried out the
            // unmaximise that the zoom or its undo asked for: taken already.
            if (!takenNoRoomMaximizes_.insert(from).second) return true;
            // Maximised again while so zoomed: back, wherever the window
            // manager has got to on its way (fluxbox maximises in steps).
            if (record && record->isCurrent(group.frame) && now() - record->recordedAt >= zoomMinInterval) {
                restoreZoom(*record, frame, from, group);
                noRoomMaximizeTakenAt_[group.id] = now();
                return true;
            }
            noRoomMaximizeTakenAt_[group.id] = now();
            traceReconcile("maximized without room for the bar: " + std::to_string(from) + " frame=" + frameLog(frame));
            // Zoomed below the bar from where the window manager got to once
            // it is done: fluxbox publishes the state with the first of its
            // steps.
            noRoomZooms_[group.id] = services_.platform.mainExecutor->schedule(
                maximizeStepsWait, guarded([this, id = group.id, from] { zoomMaximizedBelowBar(id, from); }));
            return true;
        }
        // Maximised so already (a report of it again, or a point off on
        // the window manager's way out): nothing is sent again.
        if (!again && isWindowManagerMaximized(group) && record->windowManagerAxes == maximized &&
            framesWithin(*shown, group.frame, resyncVerifyTolerance)) {
            return true;
        }
        // Along one axis only: a window manager that maximises in steps
        // (fluxbox) tells one axis a moment before both, and the members
        // would be put on the first step's place; a tile stands. Followed
        // once it has stood that long.
        if (!(maximized == MaximizedAxes::both()) && !settled) {
            partialMaximizeHolds_[group.id] = services_.platform.mainExecutor->schedule(
                maximizeStepsWait, guarded([this, id = group.id, from] { followHeldPartialMaximize(id, from); }));
            return true;
        }
        const Rect back = ZoomRecord::frameToRestore(group.frame, record);
        traceReconcile("maximized by the window manager: " + std::to_string(from) + " frame=" + frameLog(frame) +
              " group=" + frameLog(*shown) + " back=" + frameLog(back));
        noteMaximizeSent(group, from);
        engine_->commitMaximizedFrame(*shown, from, maximized);
        zoomRecords_[group.id] = ZoomRecord{back, frame, *shown, now(), std::nullopt, maximized};
        return true;
    }
    if (!record || !record->windowManagerAxes.any()) return false;
    // Still at the maximised frame without the state: the window manager
    // is on its way back (it published the state first), or the frame is
    // an echo of a restore of ours.
    const double at = now();
    const bool current = record->isCurrent(group.frame);
    // Tiled by way of another member, the window was put on the tile first,
    // and that is where the window manager puts it back: the group goes
    // back to its frame from before at once.
    if (current && relayedTiles_.erase(group.id) > 0) {
        traceReconcile("restored by the window manager from a tile laid by us: " + std::to_string(from));
        restoreZoom(*record, frame, from, group);
        return true;
    }
    const bool atMaximized = framesWithin(frame, record->requestedFrame, resyncVerifyTolerance) ||
                             framesWithin(frame, record->zoomedFrame, resyncVerifyTolerance);
    if (current && atMaximized) return true;
    if (record->isEchoAfterRestore(frame, resyncVerifyTolerance, zoomMinInterval, at)) return true;
    const bool restoring = record->restoredAt && at - *record->restoredAt < zoomMinInterval;
    if (!current && !restoring) return false;
    if (current) {
        traceReconcile("restored by the window manager: " + std::to_string(from) + " frame=" + frameLog(frame));
        zoomRecords_[group.id] = record->restored(at);
    }
    // A frame in the bar's room is no frame to go back to: a step of the
    // next maximise (its state comes last), or one to be confined.
    if (!(confinedToDropHost(frame, std::nullopt) == frame)) return false;
    // While the window manager puts the window back (its size and its place
    // may come one after the other), where it is is the group frame, as it
    // is: nothing is set on the window.
    noteMaximizeSent(group, from);
    engine_->commitGroupFrame(frame, from, false);
    return true;
}

void GroupSession::followHeldPartialMaximize(const Uuid& groupID, WindowID from) {
    partialMaximizeHolds_.erase(groupID);
    windowSystem_->readFrame(from, guarded([this, groupID, from](std::optional<Rect> frame) {
        const auto group = engine_->group(groupID);
        if (!frame || !group || group->activeWindowID != from || !group->isUsable(from)) return;
        if (isGestureActive(groupID) || settleState_.isSettling(now())) return;
        const MaximizedAxes maximized = reportedMaximized(from);
        if (maximized.any()) followWindowManagerMaximize(*frame, maximized, from, *group, false, true);
    }));
}

bool GroupSession::holdForMaximizeState(const TabGroup& group, WindowID from, const Rect& frame, double patience) {
    if (confinedToDropHost(frame, std::nullopt) == frame) return false;
    // Confined at once, the window would get a frame of ours on top of the
    // maximise (and keep it, still maximised), and the others would be
    // sent after a step of it.
    heldFrames_[group.id] = HeldFrame{
        from, frame, now() + patience,
        services_.platform.mainExecutor->schedule(patience,
                                                  guarded([this, id = group.id] { adoptHeldFrame(id); }))};
    return true;
}

bool GroupSession::isDroppedAtScreenEdge(std::optional<Point> droppedAt) const {
    constexpr double reach = 2.0;
    if (!droppedAt && services_.input) droppedAt = services_.input->pointerLocation();
    if (!droppedAt) return false;
    const Point p = *droppedAt;
    for (const ScreenBox& screen : screens()) {
        const Rect& f = screen.full;
        if (f.contains(p)) {
            return p.x - f.minX() < reach || f.maxX() - p.x <= reach || p.y - f.minY() < reach ||
                   f.maxY() - p.y <= reach;
        }
    }
    return false;
}

double GroupSession::releaseHeldFrame(const Uuid& groupID) {
    const auto found = heldFrames_.find(groupID);
    if (found == heldFrames_.end()) return 0;
    const double left = found->second.until - now();
    heldFrames_.erase(found);
    return std::max(0.0, left);
}

void GroupSession::adoptHeldFrame(const Uuid& groupID) {
    const auto found = heldFrames_.find(groupID);
    if (found == heldFrames_.end()) return;
    const WindowID from = found->second.windowID;
    const Rect frame = found->second.frame;
    heldFrames_.erase(found);
    const auto group = engine_->group(groupID);
    if (!group || group->activeWindowID != from || !group->isUsable(from)) return;
    if (isGestureActive(groupID) || settleState_.isSettling(now()) || reportedMaximized(from).any()) return;
    if (isLeftButtonDown()) {
        deferAdoptUntilPointerRelease(groupID, from);
        return;
    }
    adoptOrRestoreZoom(frame, from, *group);
}

bool GroupSession::holdStrayUntilQuiet(const TabGroup& group, WindowID windowID, const Rect& frame) {
    const auto found = zoomRecords_.find(group.id);
    if (found == zoomRecords_.end() || !found->second.windowManagerAxes.any()) return false;
    const ZoomRecord& record = found->second;
    if (now() - record.restoredAt.value_or(record.recordedAt) >= maximizeStrayWindow) return false;
    if (FrameLanding::isLanded(frame, group.frame, quietStrayTolerance, sizeIncrements(windowID))) return false;
    // Every report starts the wait afresh.
    quietStrays_[windowID] = services_.platform.mainExecutor->schedule(
        strayQuietPeriod, guarded([this, groupID = group.id, windowID] { snapBackQuietStray(groupID, windowID); }));
    return true;
}

void GroupSession::snapBackQuietStray(const Uuid& groupID, WindowID windowID) {
    quietStrays_.erase(windowID);
    windowSystem_->readFrame(windowID, guarded([this, groupID, windowID](std::optional<Rect> frame) {
        if (!frame) return;
        const auto group = engine_->group(groupID);
        if (!group || !group->contains(windowID) || group->activeWindowID == windowID || !group->isUsable(windowID)) {
            return;
        }
        if (isGestureActive(groupID) || settleState_.isSettling(now())) return;
        if (isMaximizedWithGroup(*group, windowID, *frame, reportedMaximized(windowID))) return;
        // Still a few points off (where a send-back would count it landed):
        // once more, so that what it shows is the group's frame.
        const Size increments = sizeIncrements(windowID);
        if (!FrameLanding::isLanded(*frame, group->frame, quietStrayTolerance, increments) &&
            FrameLanding::isLanded(*frame, group->frame, resyncVerifyTolerance, increments)) {
            windowSystem_->setFrame(group->frame, windowID);
            return;
        }
        snapBack(*group, windowID, *frame, reportedMaximized(windowID));
    }));
}

WindowManagerFrame GroupSession::windowManagerFrame(const Rect& frame, MaximizedAxes maximized, WindowID of) const {
    const auto host = WindowPlacement::hostScreen(frame, screens());
    if (!host) return {maximized.any() ? WindowManagerFrame::Hold::halfWay : WindowManagerFrame::Hold::none, frame};
    return WindowManagerFrame::judge(frame, maximized, host->visible, sizeIncrements(of), resyncVerifyTolerance);
}

std::optional<Rect> GroupSession::maximizedGroupFrame(const Rect& frame, MaximizedAxes maximized, WindowID of) const {
    if (!maximized.any()) return std::nullopt;
    const WindowManagerFrame judged = windowManagerFrame(frame, maximized, of);
    if (!judged.holds()) return std::nullopt;
    return judged.shown;
}

bool GroupSession::isUnstatedTile(const Rect& frame, WindowID of) const {
    if (reportedMaximized(of).any()) return false;
    const WindowManagerFrame judged = windowManagerFrame(frame, {}, of);
    return judged.hold == WindowManagerFrame::Hold::tiled && overlay_->hasRoom(frame, of);
}

bool GroupSession::isAtZoomedFrame(const ZoomRecord& record, const TabGroup& group) const {
    return !record.restoredAt && FrameLanding::isLanded(group.frame, record.zoomedFrame, resyncVerifyTolerance,
                                                        sizeIncrements(group.activeWindowID));
}

bool GroupSession::isWindowManagerMaximized(const TabGroup& group) const {
    const auto record = zoomRecords_.find(group.id);
    return record != zoomRecords_.end() && record->second.windowManagerAxes.any() &&
           record->second.isCurrent(group.frame);
}

MaximizedAxes GroupSession::reportedMaximized(WindowID windowID) const {
    const auto found = reportedAxes_.find(windowID);
    return found == reportedAxes_.end() ? MaximizedAxes{} : found->second;
}

std::vector<ParkedMember> GroupSession::parkInactiveMembers(const TabGroup& group, const Rect& behind) {
    std::vector<ParkedMember> parked;
    for (const WindowID id : engine_->followers(group, group.activeWindowID)) {
        parked.push_back(ParkedMember{id, windowSystem_->window(id)});
    }
    // Stacked below the active window already. Written once from here, a
    // member is one the platform can move at once from then on.
    moveParked(parked, behind);
    return parked;
}

void GroupSession::scheduleFrameLandedVerification(const Uuid& groupID, WindowID windowID, const Rect& committed,
                                                   const std::string& tag, FrameMiss miss) {
    services_.platform.mainExecutor->postAfter(frameVerifyDelay,
                                               guarded([this, groupID, windowID, committed, tag, miss] {
                                                   verifyFrameLanded(groupID, windowID, committed, tag, miss);
                                               }));
}

void GroupSession::verifyFrameLanded(const Uuid& groupID, WindowID windowID, const Rect& committed,
                                     const std::string& tag, FrameMiss miss) {
    windowSystem_->readFrame(
        windowID, guarded([this, groupID, windowID, committed, tag, miss](std::optional<Rect> read) {
            if (!read) return;
            if (FrameLanding::isLanded(*read, committed, resyncVerifyTolerance, sizeIncrements(windowID))) return;
            if (isVerificationStale(groupID, windowID, committed)) return;
            // Maximised since the last report (a user's maximise the report
            // of which is still on its way): that report is judged when it
            // comes. A write now would unmaximise the window first and undo
            // the maximise unheard.
            if (!reportedMaximized(windowID).any()) {
                if (const AXWindowRef window = windowSystem_->window(windowID); window && window->maximized().any()) {
                    traceReconcile(tag + ": maximised since the last report: " + std::to_string(windowID) +
                                   " read=" + frameLog(*read));
                    return;
                }
            }
            if (miss == FrameMiss::adopt) {
                // Maximised meanwhile: the maximise is followed by itself.
                if (reportedMaximized(windowID).any()) return;
                // A frame as wide or as tall as its display that the group
                // cannot have may be a maximise whose state has not been
                // heard yet: it waits for it, as such a report does.
                const auto host = WindowPlacement::hostScreen(*read, screens());
                const bool fills = host && (read->width() >= host->visible.width() ||
                                            read->height() >= host->visible.height());
                if (const auto group = engine_->group(groupID); fills && group &&
                    group->activeWindowID == windowID && holdForMaximizeState(*group, windowID, *read)) {
                    return;
                }
                traceReconcile(tag + ": adopting " + std::to_string(windowID) + " read=" + frameLog(*read) +
                      " asked=" + frameLog(committed));
                adoptFrame(*read, windowID, false, std::nullopt);
                return;
            }
            // Moved under the user's hand (the window manager carries out a
            // drag of it): a send now is undone at once.
            if (isLeftButtonDown()) {
                lookAgainAtPointerRelease(windowID);
                return;
            }
            traceReconcile(tag + ": re-sending " + std::to_string(windowID) + " read=" + frameLog(*read) +
                  " want=" + frameLog(committed));
            // Once more, and not verified again: later strays are the snap-back's.
            windowSystem_->setFrame(committed, windowID);
        }));
}

bool GroupSession::isVerificationStale(const Uuid& groupID, WindowID windowID, const Rect& committed) const {
    if (settleState_.isSettling(now())) return true;
    if (isGestureActive(groupID)) return true;
    const auto group = engine_->group(groupID);
    if (!group) return true;
    // A later commit superseded this one.
    if (!(group->frame.origin == committed.origin && group->frame.size == committed.size)) return true;
    if (!group->contains(windowID) || !group->isUsable(windowID)) return true;
    return engine_->isFanOutExempt && engine_->isFanOutExempt(windowID);
}

bool GroupSession::group(const AXWindowRef& dragged, const AXWindowRef& target) {
    if (!dragged || !target) return false;
    const std::optional<Rect> targetFrame = target->frame();
    if (!targetFrame) return false;
    // A dragged window whose application died during the drag is gone.
    if (!dragged->frame()) return false;
    const Rect confined = confinedToDropHost(*targetFrame, std::nullopt);

    windowSystem_->track(dragged);
    windowSystem_->track(target);
    const std::optional<GroupMember> draggedMember = windowSystem_->makeMember(*dragged);
    const std::optional<GroupMember> targetMember = windowSystem_->makeMember(*target);
    // Whatever does not end up in a group is not kept tracked.
    const auto untrackLeftovers = [&] {
        if (dragged->windowID) untrackIfUngrouped(*dragged->windowID);
        if (target->windowID) untrackIfUngrouped(*target->windowID);
    };
    if (!draggedMember || !targetMember) {
        untrackLeftovers();
        return false;
    }
    const WindowID draggedID = draggedMember->windowID;
    const WindowID targetID = targetMember->windowID;
    const bool targetHadGroup = engine_->group(targetID).has_value();

    engine_->group(*draggedMember, *targetMember, confined);

    const std::optional<TabGroup> joined = engine_->group(draggedID);
    if (!joined || !joined->contains(targetID)) {
        untrackLeftovers();
        return false;
    }
    if (targetHadGroup) {
        applyAutoColor(*draggedMember);
        return true;
    }
    if (!(confined == *targetFrame)) {
        windowSystem_->setFrame(confined, target);
        scheduleFrameLandedVerification(joined->id, targetID, confined, "creation reserve verify");
    }
    applyAutoColor(*draggedMember);
    applyAutoColor(*targetMember);
    return true;
}

AXWindowRef GroupSession::visibleDriveWindow(const TabGroup& group) {
    const auto active = group.member(group.activeWindowID);
    if (!active) return nullptr;
    std::unordered_set<WindowID> onScreen;
    for (const DiscoveredWindow& window : discovery_.allWindows(true)) onScreen.insert(window.windowID);
    if (onScreen.contains(active->windowID)) return nullptr;
    // Hidden in another window's native tabs: drive the window that shows
    // instead, when it is an ungrouped window of the same application. A
    // host the sweep confirmed is that window.
    if (const auto host = tabbedAsideHost_.find(active->windowID); host != tabbedAsideHost_.end()) {
        const auto confirmed = confirmedHosts_.find(host->second);
        if (confirmed != confirmedHosts_.end() && onScreen.contains(host->second) && !engine_->group(host->second)) {
            return confirmed->second.window;
        }
    }
    const AXWindowRef focused = focusedWindow(active->pid);
    if (!focused || !focused->windowID) return nullptr;
    const WindowID shown = *focused->windowID;
    if (shown == active->windowID || !onScreen.contains(shown) || engine_->group(shown)) return nullptr;
    return focused;
}

}  // namespace tessaly
