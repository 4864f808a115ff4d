#pragma once
// Which members a relaunch would not get back into their groups: suspended
// members, and members whose window is alive but off screen without being
// minimised or hidden, unless the platform lists such windows to a program
// started afresh. Used to warn the user before an update relaunch.
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
// application the user hid; `reachableOffScreen` holds the windows a new
// process lists even off screen (on another desktop, in full screen), which
// are never lost.
std::vector<WindowID> unbindableMembers(const std::vector<TabGroup>& groups, const std::set<WindowID>& alive,
                                        const std::set<WindowID>& onScreen,
                                        const std::function<bool(WindowID)>& isRecentlyMinimized,
                                        const std::function<bool(ProcessID)>& isAppHidden,
                                        const std::set<WindowID>& reachableOffScreen = {});

// The same, asking `workspace` whether an application is hidden (the
// off-Space reconciler's test): what the session uses.
std::vector<WindowID> unbindableMembers(const std::vector<TabGroup>& groups, const std::set<WindowID>& alive,
                                        const std::set<WindowID>& onScreen,
                                        const std::function<bool(WindowID)>& isRecentlyMinimized,
                                        const Workspace& workspace,
                                        const std::set<WindowID>& reachableOffScreen = {});

}  // namespace tessaly::UpdateHandoffForecast
