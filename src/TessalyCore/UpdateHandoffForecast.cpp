#include "TessalyCore/UpdateHandoffForecast.h"

#include <algorithm>

#include "TessalyCore/OffSpaceReconciler.h"

namespace tessaly::UpdateHandoffForecast {

std::vector<WindowID> unbindableMembers(const std::vector<TabGroup>& groups, const std::set<WindowID>& alive,
                                        const std::set<WindowID>& onScreen,
                                        const std::function<bool(WindowID)>& isRecentlyMinimized,
                                        const std::function<bool(ProcessID)>& isAppHidden) {
    std::vector<WindowID> listed;
    for (const TabGroup& group : groups) {
        const bool counts = std::any_of(group.members.begin(), group.members.end(), [&](const GroupMember& member) {
            return onScreen.contains(member.windowID) && !group.suspended.contains(member.windowID);
        });
        if (!counts) continue;
        for (const GroupMember& member : group.members) {
            const WindowID id = member.windowID;
            if (group.minimized.contains(id)) continue;
            if (group.suspended.contains(id)) {
                listed.push_back(id);
                continue;
            }
            if (onScreen.contains(id) || !alive.contains(id)) continue;
            if (isAppHidden && isAppHidden(member.pid)) continue;
            if (isRecentlyMinimized && isRecentlyMinimized(id)) continue;
            listed.push_back(id);
        }
    }
    return listed;
}

std::vector<WindowID> unbindableMembers(const std::vector<TabGroup>& groups, const std::set<WindowID>& alive,
                                        const std::set<WindowID>& onScreen,
                                        const std::function<bool(WindowID)>& isRecentlyMinimized,
                                        const Workspace& workspace) {
    return unbindableMembers(groups, alive, onScreen, isRecentlyMinimized, [&workspace](ProcessID pid) {
        return OffSpaceReconciler::isAppHiddenByAppKit(workspace, pid);
    });
}

}  // namespace tessaly::UpdateHandoffForecast
