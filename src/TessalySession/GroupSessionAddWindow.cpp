// Pulling windows into a group without dragging: the add button's menu of
// windows that could join, and gathering every window of a tab's
// application. Both add a window exactly as a drop on the group's active
// window does.
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <map>

#include "AXKit/AXApplication.h"
#include "TessalyCore/DisplayText.h"
#include "TessalyCore/L10n.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

namespace {

// Messaging time-out of the reads of an application's windows for the menu.
constexpr float addableWindowsTimeout = 0.25f;
// The menu pops up this far below the add button.
constexpr double addMenuOffset = 4.0;

// The first of the application's accessibility windows with that id.
AXWindowRef withID(const std::vector<AXWindowRef>& windows, WindowID windowID) {
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [windowID](const AXWindowRef& w) { return w && w->windowID == windowID; });
    return found == windows.end() ? nullptr : *found;
}

}  // namespace

std::vector<DiscoveredWindow> GroupSession::addableCandidates(const std::vector<DiscoveredWindow>& among,
                                                              const TabGroup& group, ProcessID ownPID,
                                                              std::optional<ProcessID> ownedBy,
                                                              const std::function<bool(ProcessID)>& isExcluded) {
    std::vector<DiscoveredWindow> kept;
    for (const DiscoveredWindow& window : among) {
        if (window.layer != WindowLayer::normal) continue;
        if (!(window.alpha > WindowDiscovery::minimumHitAlpha)) continue;
        if (window.pid == ownPID) continue;
        if (ownedBy && window.pid != *ownedBy) continue;
        if (group.contains(window.windowID)) continue;
        if (isExcluded && isExcluded(window.pid)) continue;
        kept.push_back(window);
    }
    return kept;
}

bool GroupSession::hasSameAppCandidates(const Uuid& groupID, WindowID windowID) const {
    const auto group = engine_->group(groupID);
    const auto member = group ? group->member(windowID) : std::nullopt;
    if (!member) return false;
    return !addableCandidates(discovery_.allWindows(true), *group, ::getpid(), member->pid, isExcludedApp).empty();
}

std::vector<GroupSession::AddWindowRow> GroupSession::addableWindows(const TabGroup& group) {
    const std::vector<DiscoveredWindow> candidates =
        addableCandidates(discovery_.allWindows(true), group, ::getpid(), std::nullopt, isExcludedApp);
    std::map<ProcessID, std::vector<std::size_t>> byApplication;  // candidate positions, front to back
    for (std::size_t i = 0; i < candidates.size(); ++i) byApplication[candidates[i].pid].push_back(i);

    std::vector<std::pair<std::size_t, AddWindowRow>> keyed;
    for (const auto& [pid, positions] : byApplication) {
        const auto running =
            services_.platform.workspace ? services_.platform.workspace->runningApplication(pid) : std::nullopt;
        std::string name = "?";
        if (running && running->localizedName) name = *running->localizedName;
        else if (candidates[positions.front()].ownerName) name = *candidates[positions.front()].ownerName;
        // Names and titles are other programs' text: shown cleaned, as tab titles are.
        name = DisplayText::sanitized(name);
        const std::shared_ptr<const AppIcon> icon =
            running && services_.iconProvider ? services_.iconProvider->icon(pid) : nullptr;
        const std::vector<AXWindowRef> windows =
            AXApplication(windowSystem_->axServices(), pid, addableWindowsTimeout).windows(false);
        for (const std::size_t position : positions) {
            const AXWindowRef window = withID(windows, candidates[position].windowID);
            if (!window) continue;
            std::string title = DisplayText::sanitized(window->title().value_or(""));
            if (title.empty()) title = name;
            keyed.push_back({position, AddWindowRow{name + " \u2014 " + title, icon, window}});
        }
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<AddWindowRow> rows;
    rows.reserve(keyed.size());
    for (auto& [position, row] : keyed) rows.push_back(std::move(row));
    return rows;
}

bool GroupSession::addWindow(const AXWindowRef& window, const Uuid& groupID) {
    const auto group = engine_->group(groupID);
    if (!group) return false;
    const AXWindowRef target = windowSystem_->window(group->activeWindowID);
    if (!target) return false;
    return this->group(window, target);
}

void GroupSession::tabBarDidClickAdd(const Uuid& groupID, const Rect& anchor) {
    whenEngineIdle([this, groupID, anchor] {
        const auto group = engine_->group(groupID);
        if (!group) return;
        MenuModel menu;
        for (AddWindowRow& row : addableWindows(*group)) {
            menu.append(ClosureMenuItem(std::move(row.title), std::move(row.icon),
                                        guarded([this, window = row.window, groupID] { addWindow(window, groupID); })));
        }
        if (menu.empty()) {
            MenuItem empty;
            empty.title = L10n::pickerEmpty();
            empty.enabled = false;
            menu.append(std::move(empty));
        }
        services_.overlayFactory->popUpMenu(std::move(menu), Point{anchor.minX(), anchor.maxY() + addMenuOffset});
    });
}

void GroupSession::tabBarDidRequestGroupSameAppForTab(const Uuid& groupID, WindowID windowID) {
    whenEngineIdle([this, groupID, windowID] {
        const auto group = engine_->group(groupID);
        const auto member = group ? group->member(windowID) : std::nullopt;
        if (!member) return;
        const std::vector<DiscoveredWindow> candidates =
            addableCandidates(discovery_.allWindows(true), *group, ::getpid(), member->pid, isExcludedApp);
        if (candidates.empty()) return;
        const std::vector<AXWindowRef> windows =
            AXApplication(windowSystem_->axServices(), member->pid, addableWindowsTimeout).windows(false);
        bool added = false;
        for (const DiscoveredWindow& candidate : candidates) {
            const AXWindowRef window = withID(windows, candidate.windowID);
            // Each one joins the group's newest active member, the one before.
            if (window && addWindow(window, groupID)) added = true;
        }
        // The tab whose menu was used is the one in front again.
        if (added && group->isUsable(windowID)) engine_->setActive(windowID);
    });
}

}  // namespace tessaly
