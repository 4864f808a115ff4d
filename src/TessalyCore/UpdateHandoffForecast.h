#pragma once
// Which members a relaunch would not get back into their groups: suspended
// members, and members whose window is alive but off screen without being
// minimised or hidden. Used to warn the user before an update relaunch.
#include <functional>
#include <set>
#include <vector>

#include "Platform/Types.h"
#include "Platform/Workspace.h"
#include "TessalyCore/TabGroup.h"

namespace tessaly::UpdateHandoffForecast {

// For each group with a member on screen and not suspended, in group and tab
// order, the members that would be lost. `isRecentlyMinimized` tells a window
// whose minimised state changed a moment ago; `isAppHidden` tells an
// application the user hid.
std::vector<WindowID> unbindableMembers(const std::vector<TabGroup>& groups, const std::set<WindowID>& alive,
                                        const std::set<WindowID>& onScreen,
                                        const std::function<bool(WindowID)>& isRecentlyMinimized,
                                        const std::function<bool(ProcessID)>& isAppHidden);

// The same, asking `workspace` whether an application is hidden (the
// off-Space reconciler's test): what the session uses.
std::vector<WindowID> unbindableMembers(const std::vector<TabGroup>& groups, const std::set<WindowID>& alive,
                                        const std::set<WindowID>& onScreen,
                                        const std::function<bool(WindowID)>& isRecentlyMinimized,
                                        const Workspace& workspace);

}  // namespace tessaly::UpdateHandoffForecast
