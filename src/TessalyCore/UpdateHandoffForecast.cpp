#include "TessalyCore/UpdateHandoffForecast.h"

#include "TessalyCore/OffSpaceReconciler.h"

namespace tessaly::UpdateHandoffForecast {

std::vector<WindowID> unbindableMembers(const std::vector<TabGroup>& groups, const std::set<WindowID>& alive,
                                        const std::set<WindowID>& onScreen,
                                        const std::function<bool(WindowID)>& isRecentlyMinimized,
                                        const std::function<bool(ProcessID)>& isAppHidden,
                                        const std::set<WindowID>& reachableOffScreen) {
    // The off-Space reconciler's own tests, so that the forecast cannot drift
    // from what a sweep would do; suspended members are lost as well.
    const OffSpaceReconciler::WindowIDSet aliveIDs(alive.begin(), alive.end());
    const OffSpaceReconciler::WindowIDSet onScreenIDs(onScreen.begin(), onScreen.end());
    std::vector<WindowID> listed;
    for (const TabGroup& group : groups) {
        if (!OffSpaceReconciler::hasHomePresence(group, onScreenIDs)) continue;
        for (const GroupMember& member : group.members) {
            const WindowID id = member.windowID;
            if (group.minimized.contains(id) || reachableOffScreen.contains(id)) continue;
            if (group.suspended.contains(id) ||
                OffSpaceReconciler::isOffSpaceStray(member, group, aliveIDs, onScreenIDs, isRecentlyMinimized,
                                                    /*isNativeTabbedAside=*/{}, isAppHidden)) {
                listed.push_back(id);
            }
        }
    }
    return listed;
}

std::vector<WindowID> unbindableMembers(const std::vector<TabGroup>& groups, const std::set<WindowID>& alive,
                                        const std::set<WindowID>& onScreen,
                                        const std::function<bool(WindowID)>& isRecentlyMinimized,
                                        const Workspace& workspace,
                                        const std::set<WindowID>& reachableOffScreen) {
    return unbindableMembers(
        groups, alive, onScreen, isRecentlyMinimized,
        [&workspace](ProcessID pid) { return OffSpaceReconciler::isAppHiddenByAppKit(workspace, pid); },
        reachableOffScreen);
}

}  // namespace tessaly::UpdateHandoffForecast
