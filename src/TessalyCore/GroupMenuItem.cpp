#include "TessalyCore/GroupMenuItem.h"

#include "TessalyCore/DisplayText.h"
#include "TessalyCore/L10n.h"

#include <algorithm>

namespace tessaly {

namespace {

// Lengths in user-perceived characters, ellipsis included.
constexpr std::size_t nameLimit = 50;       // a group's own name
constexpr std::size_t appNameLimit = 27;    // the application part of a row
constexpr std::size_t titleBudget = 47;     // application name and window title together
constexpr std::size_t minimumTitleLimit = 20;

}  // namespace

std::vector<GroupMenuItem> GroupMenuItem::from(const std::vector<TabGroup>& groups, const AppNameProvider& appName) {
    std::vector<GroupMenuItem> items;
    items.reserve(groups.size());
    for (const TabGroup& group : groups) {
        items.push_back(GroupMenuItem{group.id, displayTitle(group, appName), static_cast<int>(group.members.size())});
    }
    return items;
}

std::string GroupMenuItem::displayTitle(const TabGroup& group, const AppNameProvider& appName) {
    if (group.name) {
        const std::string name = DisplayText::sanitized(*group.name);
        if (!name.empty()) return DisplayText::truncated(name, nameLimit);
    }

    const std::optional<GroupMember> active = group.member(group.activeWindowID);
    std::string title;
    if (active) title = DisplayText::sanitized(active->titleOverride.value_or(active->lastKnownTitle));
    if (title.empty()) title = L10n::untitledTab();

    std::string application;
    if (active && appName) {
        if (const std::optional<std::string> rawName = appName(active->pid)) {
            application = DisplayText::sanitized(*rawName);
        }
    }

    std::string text;
    if (!application.empty()) {
        application = DisplayText::truncated(application, appNameLimit);
        const std::size_t appLength = DisplayText::characterCount(application);
        const std::size_t budget = appLength < titleBudget ? titleBudget - appLength : 0;
        const std::size_t limit = std::max(budget, minimumTitleLimit);
        text = application + " - " + DisplayText::truncated(title, limit);
    } else {
        text = DisplayText::truncated(title, nameLimit);
    }
    return L10n::menuGroupActive(text);
}

std::ostream& operator<<(std::ostream& os, const GroupMenuItem& item) {
    return os << "GroupMenuItem(" << item.id << ", \"" << item.title << "\", " << item.count << ")";
}

}  // namespace tessaly
