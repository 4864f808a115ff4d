#pragma once
// One row of the status menu's group list: the group's id, a short cleaned
// title and its number of tabs.
#include "Platform/Types.h"
#include "Platform/Uuid.h"
#include "TessalyCore/TabGroup.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tessaly {

struct GroupMenuItem {
    Uuid id;            // the group's id
    std::string title;  // the row's text
    int count = 0;      // the number of tabs

    // The name of the application with that process id, absent when there is
    // no such application or it has no name. An empty function knows no names.
    using AppNameProvider = std::function<std::optional<std::string>(ProcessID)>;

    // One row per group, in the same order. A named group shows its name
    // (at most 50 characters); any other group shows the current language's
    // active label before "<application> - <active window title>".
    static std::vector<GroupMenuItem> from(const std::vector<TabGroup>& groups, const AppNameProvider& appName);

    // The row title of one group.
    static std::string displayTitle(const TabGroup& group, const AppNameProvider& appName);

    friend bool operator==(const GroupMenuItem&, const GroupMenuItem&) = default;
};

std::ostream& operator<<(std::ostream& os, const GroupMenuItem& item);

}  // namespace tessaly
