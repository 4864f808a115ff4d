// The state the platform moves a group's members by, the moment it reads a
// new frame of the active member (see MemberFollow).
#include "TessalySession/GroupSession.h"

namespace tessaly {

FollowSnapshot GroupSession::followSnapshot() const {
    FollowSnapshot snapshot;
    const auto isExempt = [this](WindowID id) { return engine_->isFanOutExempt && engine_->isFanOutExempt(id); };
    for (const TabGroup& group : engine_->groups()) {
        const WindowID active = group.activeWindowID;
        if (!group.contains(active) || !group.isUsable(active)) continue;
        FollowSnapshot::Group entry;
        entry.frame = group.frame;
        for (const GroupMember& member : group.members) {
            const WindowID id = member.windowID;
            if (id == active || !group.isUsable(id) || isExempt(id)) continue;
            entry.movers.push_back({id, member.pid});
        }
        entry.open = !isGestureActive(group.id) && !pointerSettlePending_.contains(group.id);
        entry.dragged = liveFollow_ && liveFollow_->groupID == group.id;
        entry.barDragged = barDrags_.contains(group.id);
        entry.held = pointerSettlePending_.contains(group.id);
        if (const auto zoom = zoomRecords_.find(group.id); zoom != zoomRecords_.end()) entry.zoom = zoom->second;
        snapshot.byActive.emplace(active, std::move(entry));
    }
    for (const auto& [id, at] : recentMinimizeChange_) snapshot.quietUntil[id] = at + minimizeQuietPeriod;
    snapshot.settle = settleState_;
    snapshot.screens = screens();
    snapshot.barRoom = overlay_->barRoom();
    snapshot.edgeKeep = edgeKeepOnScreen;
    snapshot.smallestFrame = overlay_->smallestGroupFrame();
    snapshot.tolerance = resyncVerifyTolerance;
    snapshot.zoomMinInterval = zoomMinInterval;
    return snapshot;
}

void GroupSession::publishFollow() {
    const auto& follow = services_.platform.memberFollow;
    if (!follow || isShutDown_) return;
    auto snapshot = std::make_shared<const FollowSnapshot>(followSnapshot());
    if (followPublished_ && *followPublished_ == *snapshot) return;
    followPublished_ = snapshot;
    follow->setPlanner([snapshot](const FollowRequest& request) { return snapshot->plan(request); });
}

// Passing through is judged as every other frame check here.
static_assert(FrameRecord::tolerance == GroupSession::resyncVerifyTolerance);

bool GroupSession::isOnItsWay(WindowID windowID, const Rect& frame) const {
    const auto& follow = services_.platform.memberFollow;
    return follow && follow->isPassing(windowID, frame, sizeIncrements(windowID));
}

bool GroupSession::isFollowSnapshotCurrent() const {
    if (!services_.platform.memberFollow || isShutDown_) return true;
    return followPublished_ && *followPublished_ == followSnapshot();
}

}  // namespace tessaly
