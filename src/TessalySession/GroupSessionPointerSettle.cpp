// Settling after a pointer release: a group whose active window moved or
// resized while the mouse button was held follows once, at the release (the
// platform keeps the other members behind the window meanwhile).
#include "TessalySession/GroupSession.h"

namespace tessaly {

void GroupSession::deferAdoptUntilPointerRelease(const Uuid& groupID, WindowID moved) {
    pointerSettlePending_.insert(groupID);
    pointerSettleMoved_.insert(moved);
    watchPointerRelease();
}

void GroupSession::lookAgainAtPointerRelease(WindowID member) {
    pointerSettleStrays_.insert(member);
    watchPointerRelease();
}

void GroupSession::watchPointerRelease() {
    if (pointerSettleTimer_) return;
    pointerSettleTimer_ = services_.platform.mainExecutor->scheduleRepeating(
        pointerSettleInterval, guarded([this] { settlePendingIfPointerReleased(); }));
}

void GroupSession::settlePendingIfPointerReleased() {
    if (isLeftButtonDown()) return;
    pointerSettleTimer_.cancel();
    const std::set<Uuid> pending = std::exchange(pointerSettlePending_, {});
    // Where the user left them, they are judged as any report is.
    for (const WindowID member : std::exchange(pointerSettleStrays_, {})) {
        if (engine_->group(member)) windowSystem_->reportFrameAgain(member);
    }
    // A window moved as the active member that is no longer the active one
    // (another joined the group and took its place, say) is not where its
    // group is: it is judged as the stray it is now. The members that
    // waited behind it (the follow took them along, so they stand where
    // they were sent) come back to the group's frame with it.
    for (const WindowID moved : std::exchange(pointerSettleMoved_, {})) {
        const auto group = engine_->group(moved);
        if (!group || group->activeWindowID == moved) continue;
        windowSystem_->reportFrameAgain(moved);
        for (const WindowID id : engine_->followers(*group, group->activeWindowID)) {
            if (id != moved) windowSystem_->setFrame(group->frame, id);
        }
    }
    for (const Uuid& groupID : pending) {
        const std::optional<WindowID> active = settleableActive(groupID);
        if (!active) continue;
        std::optional<Point> releasePoint;
        if (services_.input) releasePoint = services_.input->pointerLocation();
        windowSystem_->readFrame(*active, guarded([this, groupID, active, releasePoint](std::optional<Rect> frame) {
                                     if (!frame) return;
                                     // The state may have changed while the frame was read.
                                     if (settleableActive(groupID) != active) return;
                                     const auto group = engine_->group(groupID);
                                     if (group && followWindowManagerMaximize(*frame, reportedMaximized(*active),
                                                                              *active, *group)) {
                                         return;
                                     }
                                     // Dropped where the window manager may
                                     // tile or maximise it after the release.
                                     if (group && isDroppedAtScreenEdge(releasePoint) &&
                                         holdForMaximizeState(*group, *active, *frame, maximizeStrayWindow)) {
                                         return;
                                     }
                                     adoptFrame(*frame, *active, false, releasePoint);
                                 }));
    }
}

std::optional<WindowID> GroupSession::settleableActive(const Uuid& groupID) const {
    if (settleState_.isSettling(now()) || isGestureActive(groupID)) return std::nullopt;
    const auto group = engine_->group(groupID);
    if (!group || !group->isUsable(group->activeWindowID)) return std::nullopt;
    return group->activeWindowID;
}

}  // namespace tessaly
