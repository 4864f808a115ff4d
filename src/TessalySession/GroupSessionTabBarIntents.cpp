// What the tab bars ask of the session: selecting, closing, reordering,
// moving and popping out tabs, locking, ungrouping, closing and naming
// groups, colours, and bringing a group forward. (Bar drags, the add-window
// menu, maximising and display moves have files of their own.) Every intent
// changes groups only through the engine, whose report redraws the bars.
// An intent that arrives while the engine reports (a bar hidden or closed
// by that report ends its gesture at once) runs on the next turn of the
// main queue.
#include <unordered_set>

#include "TessalyCore/WindowPlacement.h"
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

void GroupSession::tabBarDidPopOutTab(const Uuid& groupID, WindowID windowID) {
    whenEngineIdle([this, groupID, windowID] {
        const auto group = engine_->group(groupID);
        if (!group || !group->contains(windowID)) return;
        const AXWindowRef window = windowSystem_->window(windowID);
        const std::vector<ScreenBox> all = screens();
        Rect bounds = group->frame;
        if (const auto host = WindowPlacement::hostScreen(group->frame, all)) bounds = host->visible;
        else if (!all.empty()) bounds = all.front().full;
        const Rect frame = WindowPlacement::popOutFrame(group->frame, bounds, WindowPlacement::popOutOffset);
        const bool usable = group->isUsable(windowID);
        // The member left in front of the rest is not raised: the popped-out
        // window comes to the front instead.
        engine_->detach(windowID, false);
        if (engine_->group(windowID)) return;  // a locked group keeps it
        // A suspended or minimised window is only let go of.
        if (!usable || !window) return;
        if (!(frame == group->frame)) windowSystem_->setFrame(frame, window);
        windowSystem_->raiseAndActivate(window);
    });
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

void GroupSession::tabBarDidRenameGroup(const Uuid& groupID, const std::optional<std::string>& name) {
    whenEngineIdle([this, groupID, name] { engine_->setName(name, groupID); });
}

void GroupSession::tabBarDidRequestSettings(const Uuid&) {
    whenEngineIdle([this] {
        if (onSettingsRequested) onSettingsRequested();
    });
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
