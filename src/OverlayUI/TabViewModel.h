#pragma once
// What a tab bar shows for one tab. Built by the overlay manager, one per
// member in tab order, at every render of the group's bar.
#include <memory>
#include <optional>
#include <string>

#include "Platform/AppIcon.h"
#include "Platform/Types.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

struct TabViewModel {
    WindowID windowID = 0;
    // The member's title override when it has one, else its last known
    // title. Raw: whoever shows it runs it through DisplayText::sanitized.
    std::string title;
    // The application's icon; null when none could be had.
    std::shared_ptr<const AppIcon> icon;
    bool isActive = false;     // the group's active window
    bool isSuspended = false;  // suspended or minimised
    std::optional<TabColor> accent;  // the member's own accent
    std::optional<std::string> badge;  // the application's launcher badge, when badges are shown

    // Icons compare by identity, not by their pixels.
    bool operator==(const TabViewModel&) const = default;
};

}  // namespace tessaly
