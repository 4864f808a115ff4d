// The selected tab is the member on top of the group, whether or not it took
// the focus: a window that takes no focus at all (xeyes) comes on top when
// the window manager or a tab raises it, while the focus, and its reports,
// stay with the member below; a window manager started anew frames the
// windows in an order of its own; a member back from full screen shows over
// the one made active meanwhile. Whatever put it there, the member on top
// has the tab once it has stayed there for a second.
#include <algorithm>

#include "TessalySession/GroupSession.h"

namespace tessaly {

bool GroupSession::refusesFocus(WindowID windowID) const {
    const auto& hints = services_.platform.windowHints;
    return hints && hints->refusesFocus(windowID);
}

std::optional<WindowID> GroupSession::topMember(const TabGroup& group,
                                                const std::vector<DiscoveredWindow>& windows) const {
    for (const DiscoveredWindow& window : windows) {
        const WindowID id = window.windowID;
        if (!window.isOnScreen || !group.contains(id) || !group.isUsable(id)) continue;
        if (offSpaceReconciler_->hasLeftGroupSpace(id)) continue;
        return id;
    }
    return std::nullopt;
}

void GroupSession::followStacking(const std::vector<DiscoveredWindow>& windows, double at) {
    const std::vector<TabGroup> groups = engine_->groups();  // the engine reports while we go
    std::erase_if(stackingLooks_, [&](const auto& entry) {
        return std::none_of(groups.begin(), groups.end(), [&](const TabGroup& g) { return g.id == entry.first; });
    });
    for (const TabGroup& group : groups) {
        if (isGestureActive(group.id)) continue;
        const std::optional<WindowID> top = topMember(group, windows);
        if (!top) continue;
        if (isFollowingWindowManagerMaximize(group, at)) {
            // Lifted by the window manager: the active one is raised again.
            if (*top != group.activeWindowID && group.isUsable(group.activeWindowID)) {
                windowSystem_->raiseAndActivate(group.activeWindowID);
            }
            continue;
        }
        const auto found = stackingLooks_.find(group.id);
        const bool first = found == stackingLooks_.end();
        const StackingLook last = first ? StackingLook{} : found->second;
        const bool unchanged = !first && last.top == *top && last.active == group.activeWindowID;
        if (!unchanged) stackingLooks_[group.id] = {*top, group.activeWindowID, at};
        if (first || *top == group.activeWindowID) continue;
        // A member that came on top since the last look takes over; a member
        // made active whose raise is still on its way stays active. The
        // member on top takes over too when it has stayed there for a second
        // while another member stayed active: the focus left below a member
        // that takes none, a focus report with nothing raised, a member made
        // active in the place of one gone full screen.
        const bool cameOnTop = last.top != *top;
        const bool stayedUnder = unchanged && at - last.since >= sweepInterval;
        // Which rolled-up member lies on top while the group is rolled up is
        // the window manager's choice (icewm raises each window it rolls up).
        if ((cameOnTop || stayedUnder) && !isInRolledUpGroup(*top) && !takeBackFocusFromOwnShade(group, *top)) {
            engine_->noteExternalFocus(*top);
        }
    }
}

// A window manager that raises the members whose maximised state or tile
// the group's maximise or restore changed (metacity, marco, muffin) lifts
// them over the active one, the moment it carries that out: no member came
// on top.
bool GroupSession::isFollowingWindowManagerMaximize(const TabGroup& group, double at) const {
    // So does one that raises a member someone else maximised or restored.
    if (hasMemberMaximizeUnderWay(group, at)) return true;
    const auto record = zoomRecords_.find(group.id);
    if (record == zoomRecords_.end() || !record->second.windowManagerAxes.any()) return false;
    return at - record->second.restoredAt.value_or(record->second.recordedAt) < maximizeStrayWindow;
}

bool GroupSession::awaitsStackingLook(const TabGroup& group) const {
    const auto look = stackingLooks_.find(group.id);
    if (look == stackingLooks_.end()) return false;
    const WindowID top = look->second.top;
    return top != group.activeWindowID && group.isUsable(top);
}

bool GroupSession::isUnderFocusRefuser(const TabGroup& group, WindowID windowID) {
    if (std::none_of(group.members.begin(), group.members.end(), [&](const GroupMember& member) {
            return member.windowID != windowID && refusesFocus(member.windowID);
        })) {
        return false;
    }
    const std::optional<WindowID> top = topMember(group, discovery_.allWindows(false));
    return top && *top != windowID && refusesFocus(*top);
}

void GroupSession::adoptFocus(WindowID windowID) {
    // The focus stays below a member that takes none, and the window manager
    // may tell of it again: the one on top keeps the tab.
    if (const std::optional<TabGroup> group = engine_->group(windowID);
        group && (isUnderFocusRefuser(*group, windowID) || takeBackFocusFromOwnShade(*group, windowID))) {
        return;
    }
    engine_->noteExternalFocus(windowID);
}

}  // namespace tessaly
