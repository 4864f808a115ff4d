// Changing a group's frame as a whole from its bar: maximising it to its
// display's work area below the bar's strip and back again, and moving it
// to another display, keeping its place relative to the work area.
#include "TessalyCore/WindowPlacement.h"
#include "Platform/FrameLanding.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

std::optional<TabGroup> GroupSession::wholeFrameChangeable(const Uuid& groupID) const {
    // The window server rearranges windows itself while displays settle.
    if (isDisplaySettling()) return std::nullopt;
    auto group = engine_->group(groupID);
    if (!group || !group->isUsable(group->activeWindowID)) return std::nullopt;
    return group;
}

void GroupSession::applyGroupFrame(const TabGroup& group, const AXWindowRef& driveWindow, const Rect& frame,
                                   const std::string& tag) {
    const Rect confined = confinedToDropHost(frame, std::nullopt);
    if (driveWindow) windowSystem_->setFrame(confined, driveWindow);
    else windowSystem_->setFrame(confined, group.activeWindowID);
    engine_->commitGroupFrame(confined, group.activeWindowID, false);
    scheduleFrameLandedVerification(group.id, group.activeWindowID, confined, tag);
}

void GroupSession::tabBarDidRequestMaximize(const Uuid& groupID) {
    whenEngineIdle([this, groupID] {
        const auto group = wholeFrameChangeable(groupID);
        if (!group) return;
        const AXWindowRef driveWindow = visibleDriveWindow(*group);
        const double at = now();
        if (const auto record = zoomRecords_.find(groupID);
            record != zoomRecords_.end() && isAtZoomedFrame(record->second, *group)) {
            const Rect back = record->second.restoreFrame;
            record->second = record->second.restored(at);
            applyGroupFrame(*group, driveWindow, back, "zoom restore verify");
            return;
        }
        const std::vector<ScreenBox> all = screens();
        const auto host = WindowPlacement::hostScreen(group->frame, all);
        if (!host) return;
        const Rect requested = host->visible;
        const Rect zoomed = confinedToDropHost(requested, std::nullopt);
        applyGroupFrame(*group, driveWindow, zoomed, "maximize verify");
        // Already filling the work area (as far as the window can): nothing
        // to go back to.
        const Size increments = sizeIncrements(group->activeWindowID);
        if (FrameLanding::isLanded(group->frame, zoomed, resyncVerifyTolerance, increments)) return;
        std::optional<ZoomRecord> previous;
        if (const auto found = zoomRecords_.find(groupID); found != zoomRecords_.end()) previous = found->second;
        if (auto made = ZoomRecord::make(group->frame, requested, zoomed, previous, resyncVerifyTolerance, at)) {
            zoomRecords_[groupID] = *made;
        } else {
            zoomRecords_.erase(groupID);
        }
    });
}

void GroupSession::tabBarDidRequestMoveToDisplay(const Uuid& groupID, int index) {
    whenEngineIdle([this, groupID, index] {
        const auto group = wholeFrameChangeable(groupID);
        if (!group) return;
        const std::vector<ScreenBox> all = screens();
        if (index < 0 || static_cast<std::size_t>(index) >= all.size()) return;
        const auto current = WindowPlacement::hostScreen(group->frame, all);
        if (!current) return;
        const ScreenBox& target = all[static_cast<std::size_t>(index)];
        if (target == *current) return;
        const AXWindowRef driveWindow = visibleDriveWindow(*group);
        zoomRecords_.erase(groupID);
        const Rect relocated = WindowPlacement::relocate(group->frame, *current, target);
        const Rect frame =
            WindowPlacement::confine(relocated, target, all, overlay_->barRoom(), edgeKeepOnScreen, false);
        applyGroupFrame(*group, driveWindow, frame, "display move verify");
    });
}

std::vector<DisplayMoveTarget> GroupSession::displayMoveTargets(const Uuid& groupID) const {
    const std::vector<ScreenBox> all = screens();
    const auto group = engine_->group(groupID);
    if (!group) return {};
    const auto current = WindowPlacement::hostScreen(group->frame, all);
    if (!current || all.size() < 2) return {};
    const std::vector<DisplayInfo> displays = services_.platform.displays->screens();
    std::vector<DisplayMoveTarget> targets;
    for (std::size_t i = 0; i < all.size() && i < displays.size(); ++i) {
        targets.push_back({static_cast<int>(i), displays[i].name, all[i] == *current});
    }
    return targets;
}

}  // namespace tessaly
