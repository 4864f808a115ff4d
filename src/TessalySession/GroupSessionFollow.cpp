// The state the platform moves a group's members by, the moment it reads a
// new frame of the active member (see MemberFollow).
#include "TessalySession/GroupSession.h"

namespace tessaly {

FollowGroupState GroupSession::followGroup(const TabGroup& group) const {
    FollowGroupState state;
    state.frame = group.frame;
    state.open = !isGestureActive(group.id) && !pointerSettlePending_.contains(group.id);
    state.dragged = liveFollow_ && liveFollow_->groupID == group.id;
    state.barDragged = barDrags_.contains(group.id);
    state.held = pointerSettlePending_.contains(group.id);
    if (const auto zoom = zoomRecords_.find(group.id); zoom != zoomRecords_.end()) state.zoom = zoom->second;
    return state;
}

FollowRules GroupSession::followRules(bool withScreens) const {
    FollowRules rules;
    rules.settle = settleState_;
    if (withScreens) rules.screens = screens();
    rules.barRoom = overlay_->barRoom();
    rules.edgeKeep = edgeKeepOnScreen;
    rules.smallestFrame = overlay_->smallestGroupFrame();
    rules.tolerance = resyncVerifyTolerance;
    rules.zoomMinInterval = zoomMinInterval;
    rules.minimizeQuietPeriod = minimizeQuietPeriod;
    return rules;
}

std::optional<double> GroupSession::minimizeChangedAt(WindowID windowID) const {
    const auto changed = recentMinimizeChange_.find(windowID);
    if (changed == recentMinimizeChange_.end()) return std::nullopt;
    return changed->second;
}

bool GroupSession::isMinimizeQuiet(WindowID windowID, double at) const {
    return tessaly::isMinimizeQuiet(minimizeChangedAt(windowID), at, minimizeQuietPeriod);
}

FollowSnapshot GroupSession::followSnapshot() const {
    FollowSnapshot snapshot;
    for (const TabGroup& group : engine_->groups()) {
        const WindowID active = group.activeWindowID;
        if (!group.contains(active) || !group.isUsable(active)) continue;
        FollowSnapshot::Group entry{followGroup(group), {}};
        const std::vector<WindowID> followers = engine_->followers(group, active);
        auto next = followers.begin();  // in tab order, as the members
        for (const GroupMember& member : group.members) {
            if (next == followers.end() || member.windowID != *next) continue;
            entry.movers.push_back({*next++, member.pid});
        }
        snapshot.byActive.emplace(active, std::move(entry));
    }
    snapshot.minimizeChanged.insert(recentMinimizeChange_.begin(), recentMinimizeChange_.end());
    snapshot.rules = followRules(true);
    return snapshot;
}

void GroupSession::publishFollow() {
    followStale_ = false;
    const auto& follow = services_.platform.memberFollow;
    if (!follow || isShutDown_) return;
    auto snapshot = std::make_shared<const FollowSnapshot>(followSnapshot());
    if (followPublished_ && *followPublished_ == *snapshot) return;
    followPublished_ = snapshot;
    follow->setPlanner([snapshot](const FollowRequest& request) { return snapshot->plan(request); });
}

void GroupSession::publishFollowBeforeWrite() {
    if (turnDepth_ == 0 || followStale_) publishFollow();
}

// Passing through is judged as every other frame check here.
static_assert(FrameRecord::tolerance == GroupSession::resyncVerifyTolerance);

bool GroupSession::isOnItsWay(WindowID windowID, const Rect& frame) const {
    const auto& follow = services_.platform.memberFollow;
    return follow && follow->isPassing(windowID, frame, sizeIncrements(windowID));
}

}  // namespace tessaly
