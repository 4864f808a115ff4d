#pragma once
// One tab: one window of another application.
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "Platform/Types.h"
#include "TessalyCore/TabColor.h"
#include "TessalyCore/UnicodeText.h"

namespace tessaly {

struct GroupMember {
    WindowID windowID = 0;         // the member's identity everywhere
    ProcessID pid = 0;             // the window's application
    std::string lastKnownTitle;    // as last read or reported
    std::optional<std::string> titleOverride;  // shown instead of lastKnownTitle when present
    std::optional<TabColor> accent;            // per-tab accent

    GroupMember() = default;
    GroupMember(WindowID windowIDValue, ProcessID pidValue, std::string lastKnownTitleValue,
                const std::optional<std::string>& titleOverrideValue = std::nullopt,
                std::optional<TabColor> accentValue = std::nullopt)
        : windowID(windowIDValue),
          pid(pidValue),
          lastKnownTitle(std::move(lastKnownTitleValue)),
          titleOverride(titleOverrideValue),
          accent(accentValue) {}

    // All five fields equal; titles compare by Unicode canonical equivalence.
    friend bool operator==(const GroupMember& a, const GroupMember& b);
};

std::ostream& operator<<(std::ostream& os, const GroupMember& member);

}  // namespace tessaly
