// Launcher badges on the tabs: the badge monitor runs while badges are shown
// and groups exist, and the bars of groups whose applications' badges
// changed are redrawn.
#include "AXKit/URLText.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

void GroupSession::updateShowTabBadges(bool show) {
    showTabBadges_ = show;
    updateBadgeMonitor();
}

void GroupSession::updateBadgeMonitor() {
    badgeMonitor_->setActive(showTabBadges_ && engine_->groupCount() > 0);
}

std::optional<std::string> GroupSession::appPath(ProcessID pid) const {
    if (!services_.platform.workspace) return std::nullopt;
    const auto app = services_.platform.workspace->runningApplication(pid);
    if (!app || !app->bundlePath || app->bundlePath->empty()) return std::nullopt;
    // The badge monitor keys badges by the same standardised form.
    return standardizedFilePath(*app->bundlePath);
}

void GroupSession::applyBadges(const std::set<std::string>& changed) {
    const std::vector<TabGroup> groups = engine_->groups();
    for (const TabGroup& group : groups) {
        for (const GroupMember& member : group.members) {
            const auto path = appPath(member.pid);
            if (!path || !changed.contains(*path)) continue;
            overlay_->apply(GroupEvent::groupChanged(group));  // once per group
            break;
        }
    }
}

}  // namespace tessaly
