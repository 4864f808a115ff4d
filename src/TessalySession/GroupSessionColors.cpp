// Tab colours and the auto-colour rules, bar appearance, opacity and height,
// as the settings push them into a running session.
#include "TessalyCore/WindowPlacement.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

void GroupSession::updateTabColors(std::vector<ColorPreset> presets, std::vector<AutoColorRule> rules) {
    // Nothing is redrawn: menus ask for the presets when they open, and the
    // rules apply to members grouped from now on.
    colorPresets_ = std::move(presets);
    autoColorRules_ = std::move(rules);
}

void GroupSession::updateAppearance(AppearanceMode mode) { overlay_->setAppearanceMode(mode); }

void GroupSession::updateTabBarOpacity(double opacity) { overlay_->setTabBarOpacity(opacity); }


void GroupSession::updateTabBarHeight(double height) {
    const Turn turn(*this);  // the bar's room changes what members follow
    const double oldHeight = overlay_->tabBarHeight();
    if (oldHeight == height) return;
    overlay_->setTabBarHeight(height);
    // The room kept above a group is the bar's height on screen.
    const double oldRoom = overlay_->barRoom(oldHeight);
    const double newRoom = overlay_->barRoom(height);
    const std::vector<ScreenBox> all = screens();
    // The room above each group follows the new height.
    const std::vector<TabGroup> groups = engine_->groups();
    for (const TabGroup& group : groups) {
        Rect frame = group.frame;
        // One the window manager holds maximised keeps no room for the bar.
        const auto host = WindowPlacement::hostScreen(group.frame, all);
        if (host && !isWindowManagerMaximized(group)) {
            frame = WindowPlacement::reReserveTopForHeightChange(group.frame,
                                                                 WindowPlacement::stripTopLimitCG(*host, all),
                                                                 oldRoom, newRoom, host->visible.maxY());
        }
        if (frame == group.frame) {
            overlay_->apply(GroupEvent::groupChanged(group));
            continue;
        }
        windowSystem_->setFrame(frame, group.activeWindowID);
        engine_->commitGroupFrame(frame, group.activeWindowID, false);
    }
}

void GroupSession::applyAutoColor(const GroupMember& member) {
    if (autoColorRules_.empty()) return;
    const auto group = engine_->group(member.windowID);
    if (!group) return;
    const auto current = group->member(member.windowID);
    // A colour the user chose, or one applied before, is never replaced.
    if (!current || current->accent) return;
    std::optional<std::string> bundleID;
    if (services_.platform.workspace) {
        if (const auto app = services_.platform.workspace->runningApplication(member.pid)) {
            bundleID = app->bundleIdentifier;
        }
    }
    for (const AutoColorRule& rule : autoColorRules_) {
        if (!rule.matches(bundleID, current->lastKnownTitle)) continue;
        engine_->setMemberAccent(rule.color, member.windowID);
        return;
    }
}

}  // namespace tessaly
