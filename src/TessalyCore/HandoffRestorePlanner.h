#pragma once
// Which saved groups of a handoff can be rebuilt on the live windows after a
// relaunch, and with which members. A pure decision: it touches no window.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "Platform/Uuid.h"
#include "TessalyCore/TabColor.h"
#include "TessalyCore/UpdateHandoff.h"

namespace tessaly::HandoffRestorePlanner {

struct GroupPlan {
    Uuid id;                              // the saved group's id, kept
    std::optional<std::string> name;
    std::optional<TabColor> groupAccent;
    Rect frame;
    WindowID activeWindowID = 0;          // always one of members
    std::vector<UpdateHandoff::Member> members;  // the kept ones, saved order
    std::set<WindowID> minimized;         // kept members minimised now

    friend bool operator==(const GroupPlan&, const GroupPlan&) = default;
};

// Per saved group, in order: the members whose window is alive with the saved
// process id and not taken by an earlier plan. A group keeps at least two
// such members, all listable now, or it is skipped (leaving its windows to
// later groups). A group whose frame is not finite, or whose id an earlier
// plan already uses, is skipped; a window listed twice in one group counts
// once.
std::vector<GroupPlan> plan(const UpdateHandoff& handoff, const std::map<WindowID, ProcessID>& aliveByID,
                            const std::set<WindowID>& enumerableIDs, const std::set<WindowID>& minimizedIDs);

}  // namespace tessaly::HandoffRestorePlanner
