// What the bars' menus ask of the session.
#include "TessalySession/GroupSession.h"

namespace tessaly {

// ---- What the bars' menus ask ----

bool GroupSession::hasSameAppCandidates(const Uuid& groupID, WindowID windowID) const {
    const auto group = engine_->group(groupID);
    const auto member = group ? group->member(windowID) : std::nullopt;
    if (!member) return false;
    for (const DiscoveredWindow& window : discovery_.allWindows(true)) {
        if (window.pid != member->pid || window.layer != WindowLayer::normal) continue;
        if (!engine_->group(window.windowID)) return true;
    }
    return false;
}

std::vector<DisplayMoveTarget> GroupSession::displayMoveTargets(const Uuid&) const {
    // Moving a group to another display comes with the tab bar gestures;
    // until then the bars offer no display rows.
    return {};
}

}  // namespace tessaly
