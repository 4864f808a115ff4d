// Dragging a whole group by its tab bar: the active window follows the
// pointer, confined to the display the drag began on, with the other
// members parked behind it; the grouping modifier held over another group
// offers a merge, a push past the display's edge offers the neighbouring
// display. The release merges, commits the new frame (here or on the
// neighbouring display) or, when the group is gone, only puts parked
// windows back.
//
// A drag ends through one path, whatever ends it: the release, the bar
// hidden, closed or losing its grab (the bar reports those as a release),
// the group dissolving, and shut-down.
#include <algorithm>

#include "Platform/Log.h"
#include "TessalyCore/L10n.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

namespace {

bool isAmong(const ScreenBox& screen, const std::vector<ScreenBox>& screens) {
    return std::find(screens.begin(), screens.end(), screen) != screens.end();
}

}  // namespace

void GroupSession::tabBarDidDragBy(const Uuid& groupID, Point delta, EventFlags modifiers) {
    whenEngineIdle([this, groupID, delta, modifiers] { dragGroupBy(groupID, delta, modifiers); });
}

void GroupSession::tabBarDidEndDrag(const Uuid& groupID) {
    whenEngineIdle([this, groupID] { endBarDrag(groupID); });
}

void GroupSession::settleBarDrags() {
    std::vector<Uuid> dragged;
    for (const auto& [id, drag] : barDrags_) dragged.push_back(id);
    for (const Uuid& id : dragged) {
        const auto found = barDrags_.find(id);
        if (found == barDrags_.end()) continue;
        // Nobody dropped anything: the group stays where it is shown,
        // merging into nothing and moving to no other display.
        found->second.crossing.reset();
        found->second.mergeTarget.reset();
        tabBarDidEndDrag(id);
    }
}

bool GroupSession::isGroupingModifierHeld(EventFlags modifiers) const {
    return satisfied(dragSettings_.modifierGate, modifiers);
}

std::string GroupSession::displayName(const ScreenBox& screen, const std::vector<ScreenBox>& in) const {
    const auto found = std::find(in.begin(), in.end(), screen);
    if (found == in.end() || !services_.platform.displays) return "";
    const auto position = static_cast<std::size_t>(found - in.begin());
    const std::vector<DisplayInfo> displays = services_.platform.displays->screens();
    return position < displays.size() ? displays[position].name : "";
}

// ---- One step ----

std::optional<BarDragSession> GroupSession::openBarDrag(const TabGroup& group, const std::vector<ScreenBox>& all) {
    const auto host = WindowPlacement::hostScreen(group.frame, all);
    if (!host) return std::nullopt;
    BarDragSession drag;
    drag.originalFrame = group.frame;
    drag.raw = group.frame;
    drag.pending = group.frame;
    drag.host = *host;
    drag.parked = parkInactiveMembers(group, group.frame);
    drag.driveWindow = visibleDriveWindow(group);
    return drag;
}

void GroupSession::dragGroupBy(const Uuid& groupID, Point delta, EventFlags modifiers) {
    const auto group = engine_->group(groupID);
    if (!group) return;
    wakeFailsafe("bar-drag");
    const std::vector<ScreenBox> all = screens();

    BarDragSession drag;
    if (const auto found = barDrags_.find(groupID); found != barDrags_.end()) {
        drag = found->second;
    } else if (auto opened = openBarDrag(*group, all)) {
        drag = std::move(*opened);
    } else {
        return;  // the group is on no display
    }
    if (!isAmong(drag.host, all)) {
        // The display the drag began on went away: go on on the one the
        // group is shown on, else on the main display.
        if (all.empty()) return;
        drag.host = WindowPlacement::hostScreen(drag.pending, all).value_or(all.front());
    }

    const double strip = overlay_->barRoom();
    const WindowPlacement::BarDragResolution resolution =
        WindowPlacement::resolveBarDrag(drag.raw.offsetBy(delta.x, delta.y), drag.host, all, strip,
                                        barDragEdgePushCap, barDragCrossArmPush, edgeKeepOnScreen);
    drag.raw = resolution.raw;
    drag.pending = resolution.displayed;

    Rect barFrame = resolution.displayed;
    if (drag.driveWindow) {
        windowSystem_->setFrame(resolution.displayed, drag.driveWindow);
        if (drag.driveWindow->windowID) {
            if (const auto shown = discovery_.frame(*drag.driveWindow->windowID)) barFrame = *shown;
        }
    } else {
        windowSystem_->setFrame(resolution.displayed, group->activeWindowID);
    }
    // Behind it, out of sight.
    moveParked(drag.parked, resolution.displayed);
    // Stored before the bar moves: a bar that cannot follow is hidden, and
    // hiding it ends the drag right away.
    barDrags_[groupID] = drag;
    overlay_->movePanel(groupID, barFrame);
    const auto stored = barDrags_.find(groupID);
    if (stored == barDrags_.end()) return;
    BarDragSession& live = stored->second;

    live.mergeTarget = isGroupingModifierHeld(modifiers) ? mergeTarget(groupID, resolution.displayed) : std::nullopt;
    const auto target = live.mergeTarget ? engine_->group(*live.mergeTarget) : std::nullopt;
    if (target) {
        // A merge on offer: never a move to another display at the same time.
        const Rect targetStrip = overlay_->stripFrame(target->frame);
        barMergePreview_->show(target->frame.unionWith(targetStrip), target->isLocked);
        live.crossing.reset();
    } else {
        barMergePreview_->hide();
        live.crossing = resolution.crossing;
    }
    if (live.crossing) {
        barCrossPrompt_->show(L10n::releaseToMove(displayName(live.crossing->target, all)), barFrame);
    } else {
        barCrossPrompt_->hide();
    }
}

// ---- The release ----

void GroupSession::endBarDrag(const Uuid& groupID) {
    barMergePreview_->hide();
    barCrossPrompt_->hide();
    const auto found = barDrags_.find(groupID);
    if (found == barDrags_.end()) return;
    // Gone before anything else: the dissolve report of a merge finds no
    // drag left to end.
    const BarDragSession drag = std::move(found->second);
    barDrags_.erase(found);

    const auto group = engine_->group(groupID);
    std::set<WindowID> surviving;
    if (group) {
        for (const GroupMember& member : group->members) surviving.insert(member.windowID);
    }
    const std::vector<ParkedMember> stranded = parkedToRestore(drag.parked, surviving);
    moveParked(stranded, drag.originalFrame);
    if (!stranded.empty()) {
        Log::notice(LogCategory::drag, "bar drag: restored " + std::to_string(stranded.size()) +
                                           " stranded parked member(s), group " + groupID.uuidString() +
                                           (group ? " survived" : " dissolved"));
    }

    const BarDropOutcome outcome =
        barDropOutcome(group.has_value(), drag.mergeTarget, group && group->isLocked, [this](const Uuid& id) {
            const auto target = engine_->group(id);
            return target && !target->isLocked;
        });
    switch (outcome.kind) {
        case BarDropOutcome::Kind::merge:
            if (drag.driveWindow) {
                if (const auto target = engine_->group(*outcome.into)) {
                    windowSystem_->setFrame(target->frame, drag.driveWindow);
                }
            }
            engine_->mergeGroups(groupID, *outcome.into);
            return;
        case BarDropOutcome::Kind::commitFrame: commitBarDrag(*group, drag); return;
        case BarDropOutcome::Kind::abandon: return;
    }
}

void GroupSession::commitBarDrag(const TabGroup& group, const BarDragSession& drag) {
    const std::vector<ScreenBox> all = screens();
    const WindowID activeID = group.activeWindowID;
    // The active member may have changed during the drag, to one that was
    // parked: a commit never moves its own source, so it is sent the frame.
    const bool activeWasParked = std::any_of(drag.parked.begin(), drag.parked.end(),
                                             [activeID](const ParkedMember& m) { return m.windowID == activeID; });
    const auto send = [&](const Rect& frame, bool always) {
        if (drag.driveWindow) windowSystem_->setFrame(frame, drag.driveWindow);
        else if (always || activeWasParked) windowSystem_->setFrame(frame, activeID);
    };

    // A display unplugged during the drag: the neighbouring one offered may
    // be gone, and the frame shown may stand where no display is.
    const bool crossingGone = drag.crossing && !isAmong(drag.crossing->target, all);
    if (!drag.crossing || crossingGone) {
        Rect frame = drag.pending;
        if (!isAmong(drag.host, all) || crossingGone) frame = confinedToDropHost(drag.pending, std::nullopt);
        send(frame, !(frame == drag.pending));
        // Forced when members were parked, so they come back even to an
        // unchanged frame.
        engine_->commitGroupFrame(frame, activeID, !drag.parked.empty());
        // A window manager that keeps windows on screen (icewm) stopped the
        // window short of the frame shown, and said so while the drag went
        // on: where it is, the group and its bar go.
        scheduleFrameLandedVerification(group.id, activeID, frame, "bar drop verify", FrameMiss::adopt);
        return;
    }

    const Rect frame =
        WindowPlacement::crossed(drag.pending, *drag.crossing, all, overlay_->barRoom(), edgeKeepOnScreen);
    zoomRecords_.erase(group.id);
    send(frame, true);
    engine_->commitGroupFrame(frame, activeID, true);
    scheduleFrameLandedVerification(group.id, activeID, frame, "bar cross verify");
}

}  // namespace tessaly
