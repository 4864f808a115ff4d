// What the settings push into a running session: tab colours and the
// auto-colour rules, bar appearance, opacity and height, launcher badges,
// and the tab-cycle hotkeys.
#include "OverlayUI/TabStripGeometry.h"
#include "TessalyCore/WindowPlacement.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

// ---- Colours and bar appearance ----

void GroupSession::updateTabColors(std::vector<ColorPreset> presets, std::vector<AutoColorRule> rules) {
    // Nothing is redrawn: menus ask for the presets when they open, and the
    // rules apply to members grouped from now on.
    colorPresets_ = std::move(presets);
    autoColorRules_ = std::move(rules);
}

void GroupSession::updateAppearance(AppearanceMode mode) { overlay_->setAppearanceMode(mode); }

void GroupSession::updateTabBarOpacity(double opacity) { overlay_->setTabBarOpacity(opacity); }

void GroupSession::updateTabBadgeColor(const TabColor& color) { overlay_->setTabBadgeColor(color); }

void GroupSession::updateTabBarHeight(double height) {
    const double oldHeight = overlay_->tabBarHeight();
    if (oldHeight == height) return;
    overlay_->setTabBarHeight(height);
    const std::vector<ScreenBox> all = screens();
    // The room above each group follows the new height.
    const std::vector<TabGroup> groups = engine_->groups();
    for (const TabGroup& group : groups) {
        Rect frame = group.frame;
        if (const auto host = WindowPlacement::hostScreen(group.frame, all)) {
            frame = WindowPlacement::reReserveTopForHeightChange(group.frame,
                                                                 WindowPlacement::stripTopLimitCG(*host, all),
                                                                 oldHeight, height, host->visible.maxY());
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

// ---- Launcher badges ----

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
    if (!app) return std::nullopt;
    return app->bundlePath;
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

// ---- Tab-cycle hotkeys ----

bool GroupSession::enableTabCycleHotkeys(const std::optional<KeyCombo>& next, const std::optional<KeyCombo>& prev) {
    disableTabCycleHotkeys();
    if (!next && !prev) return true;
    if (isShutDown_ || !services_.hotkeyService) return false;
    auto manager = std::make_unique<HotkeyManager>(*services_.hotkeyService);
    bool allRegistered = true;
    bool anyRegistered = false;
    const auto add = [&](const std::optional<KeyCombo>& combo, bool forward) {
        if (!combo) return;
        const bool registered =
            manager->registerHotkey(*combo, guarded([this, forward] { cycleFocusedGroup(forward); }));
        allRegistered = allRegistered && registered;
        anyRegistered = anyRegistered || registered;
    };
    add(next, true);
    add(prev, false);
    if (anyRegistered) hotkeys_ = std::move(manager);
    else manager->unregisterAll();
    return allRegistered;
}

void GroupSession::disableTabCycleHotkeys() {
    if (!hotkeys_) return;
    hotkeys_->unregisterAll();
    hotkeys_.reset();
}

void GroupSession::cycleFocusedGroup(bool forward) {
    const auto pid = frontmostPID();
    if (!pid) return;
    const AXWindowRef focused = focusedWindow(*pid);
    if (!focused || !focused->windowID) return;
    engine_->cycleActive(*focused->windowID, forward);
}

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
