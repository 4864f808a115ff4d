#pragma once
// Which members a relaunch would not get back into their groups: suspended
// members, and members whose window is alive but off screen without being
// minimised or hidden. Used to warn the user before an update relaunch.
#include <functional>
#include <set>
#include <vector>

#include "Platform/Types.h"
#include "TessalyCore/TabGroup.h"

namespace tessaly::UpdateHandoffForecast {

// For each group with a member on screen and not suspended, in group and tab
// order, the members that would be lost. `isRecentlyMinimized` tells a window
// whose minimised state changed a moment ago; `isAppHidden` tells an
// application the user hid (without one, no application counts as hidden).
std::vector<WindowID> unbindableMembers(const std::vector<TabGroup>& groups, const std::set<WindowID>& alive,
                                        const std::set<WindowID>& onScreen,
                                        const std::function<bool(WindowID)>& isRecentlyMinimized,
                                        const std::function<bool(ProcessID)>& isAppHidden = {});

}  // namespace tessaly::UpdateHandoffForecast
