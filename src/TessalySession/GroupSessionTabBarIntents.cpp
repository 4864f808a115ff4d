// What the tab bars ask of the session. Every intent changes groups only
// through the engine, whose report redraws the bars. An intent that arrives
// while the engine reports (a bar hidden or closed by that report ends its
// gesture at once) runs on the next turn of the main queue.
#include <unordered_set>

#include "TessalySession/GroupSession.h"

namespace tessaly {

void GroupSession::tabBarDidSelectTab(const Uuid&, WindowID windowID) {
    whenEngineIdle([this, windowID] {
        // The group that holds the window now, whatever the bar said.
        const auto group = engine_->group(windowID);
        if (!group) return;
        const bool minimized = group->minimized.contains(windowID);
        const bool suspended = group->suspended.contains(windowID);
        if (!minimized && !suspended) {
            engine_->setActive(windowID);
            return;
        }
        // The engine learns of a restored window from its minimise report.
        if (minimized) windowSystem_->setMinimized(windowID, false);
        if (suspended) windowSystem_->raiseAndActivate(windowID);
    });
}

void GroupSession::tabBarDidCloseTab(const Uuid&, WindowID windowID) {
    whenEngineIdle([this, windowID] { engine_->closeTab(windowID); });
}

void GroupSession::tabBarDidMoveTabToIndex(const Uuid&, WindowID windowID, int index) {
    whenEngineIdle([this, windowID, index] { engine_->reorderTab(windowID, index); });
}

void GroupSession::tabBarDidMoveTabToGroupAtIndex(const Uuid&, WindowID windowID, const Uuid& targetGroupID,
                                                  int index) {
    whenEngineIdle([this, windowID, targetGroupID, index] {
        const auto target = engine_->group(targetGroupID);
        if (!target) return;
        engine_->moveMember(windowID, target->activeWindowID, index);
    });
}

void GroupSession::tabBarDidPopOutTab(const Uuid&, WindowID) {
    // Popping a tab out of its group comes with the tab bar gestures.
}

void GroupSession::tabBarDidRequestGroupSameAppForTab(const Uuid&, WindowID) {
    // Gathering an application's windows comes with the add-window menu.
}

void GroupSession::tabBarDidToggleLock(const Uuid& groupID) {
    whenEngineIdle([this, groupID] {
        if (const auto group = engine_->group(groupID)) engine_->setLocked(!group->isLocked, groupID);
    });
}

void GroupSession::tabBarDidRequestUngroup(const Uuid& groupID) {
    whenEngineIdle([this, groupID] { engine_->dissolveGroup(groupID); });
}

void GroupSession::tabBarDidRequestCloseGroup(const Uuid& groupID) {
    whenEngineIdle([this, groupID] { engine_->closeGroup(groupID); });
}

void GroupSession::tabBarDidDragBy(const Uuid&, Point) {
    // Dragging a whole group by its bar comes with the tab bar gestures.
}

void GroupSession::tabBarDidEndDrag(const Uuid& groupID) {
    // The end of a bar drag (merge, move to a neighbouring display or plain
    // commit) comes with the bar drag itself; no drag is recorded before.
    whenEngineIdle([this, groupID] { barDrags_.erase(groupID); });
}

void GroupSession::tabBarDidActivate(const Uuid& groupID) {
    whenEngineIdle([this, groupID] {
        const auto group = engine_->group(groupID);
        const auto active = group ? group->member(group->activeWindowID) : std::nullopt;
        if (!active) return;
        std::unordered_set<WindowID> onScreen;
        for (const DiscoveredWindow& window : discovery_.allWindows(true)) onScreen.insert(window.windowID);
        if (onScreen.contains(active->windowID)) {
            windowSystem_->raiseAndActivate(active->windowID);
        } else if (services_.platform.workspace) {
            // Minimised or elsewhere: only its application comes forward.
            services_.platform.workspace->activate(active->pid);
        }
    });
}

void GroupSession::tabBarDidRequestMaximize(const Uuid&) {
    // Maximising a group comes with the display moves.
}

void GroupSession::tabBarDidRenameGroup(const Uuid& groupID, const std::optional<std::string>& name) {
    whenEngineIdle([this, groupID, name] { engine_->setName(name, groupID); });
}

void GroupSession::tabBarDidRequestSettings(const Uuid&) {
    whenEngineIdle([this] {
        if (onSettingsRequested) onSettingsRequested();
    });
}

void GroupSession::tabBarDidClickAdd(const Uuid&, const Rect&) {
    // The add-window menu comes with the tab bar gestures.
}

void GroupSession::tabBarDidRequestMoveToDisplay(const Uuid&, int) {
    // Moving a group to another display comes with the display moves.
}

void GroupSession::tabBarDidSetAccentForTab(const Uuid&, const std::optional<TabColor>& accent, WindowID windowID) {
    whenEngineIdle([this, accent, windowID] { engine_->setMemberAccent(accent, windowID); });
}

void GroupSession::tabBarDidRequestCustomAccentForTab(const Uuid&, WindowID windowID) {
    whenEngineIdle([this, windowID] {
        std::optional<TabColor> initial;
        if (const auto group = engine_->group(windowID)) {
            if (const auto member = group->member(windowID)) initial = member->accent;
        }
        colorPanel_->begin(initial,
                           guarded([this, windowID](TabColor color) { engine_->setMemberAccent(color, windowID); }));
    });
}

void GroupSession::tabBarDidSetGroupAccent(const Uuid& groupID, const std::optional<TabColor>& accent) {
    whenEngineIdle([this, groupID, accent] { engine_->setGroupAccent(accent, groupID); });
}

void GroupSession::tabBarDidRequestCustomGroupAccent(const Uuid& groupID) {
    whenEngineIdle([this, groupID] {
        std::optional<TabColor> initial;
        if (const auto group = engine_->group(groupID)) initial = group->groupAccent;
        colorPanel_->begin(initial,
                           guarded([this, groupID](TabColor color) { engine_->setGroupAccent(color, groupID); }));
    });
}

void GroupSession::tabBarDidRequestAutoColorRules(const Uuid&) {
    whenEngineIdle([this] {
        if (onAutoColorRulesRequested) onAutoColorRulesRequested();
    });
}

}  // namespace tessaly
