#include "TessalyCore/HandoffRestorePlanner.h"

#include <algorithm>

namespace tessaly::HandoffRestorePlanner {

namespace {

WindowID chooseActive(const UpdateHandoff::Group& saved, const std::vector<UpdateHandoff::Member>& kept,
                      const std::set<WindowID>& minimized) {
    const bool savedKept = std::any_of(kept.begin(), kept.end(),
                                       [&](const auto& member) { return member.windowID == saved.activeWindowID; });
    if (savedKept && !minimized.contains(saved.activeWindowID)) return saved.activeWindowID;
    for (const auto& member : kept) {
        if (!minimized.contains(member.windowID)) return member.windowID;
    }
    return savedKept ? saved.activeWindowID : kept.front().windowID;
}

}  // namespace

std::vector<GroupPlan> plan(const UpdateHandoff& handoff, const std::map<WindowID, ProcessID>& aliveByID,
                            const std::set<WindowID>& enumerableIDs, const std::set<WindowID>& minimizedIDs) {
    std::set<WindowID> claimed;
    std::set<Uuid> plannedIDs;
    std::vector<GroupPlan> plans;
    for (const UpdateHandoff::Group& saved : handoff.groups) {
        if (!saved.frame.isSane() || plannedIDs.contains(saved.id)) continue;

        std::vector<UpdateHandoff::Member> kept;
        std::set<WindowID> keptIDs;
        for (const auto& member : saved.members) {
            const auto alive = aliveByID.find(member.windowID);
            if (alive == aliveByID.end() || alive->second != member.pid) continue;
            if (claimed.contains(member.windowID) || !keptIDs.insert(member.windowID).second) continue;
            kept.push_back(member);
        }
        if (kept.size() < 2) continue;
        const bool allEnumerable = std::all_of(keptIDs.begin(), keptIDs.end(),
                                               [&](WindowID id) { return enumerableIDs.contains(id); });
        if (!allEnumerable) continue;

        claimed.insert(keptIDs.begin(), keptIDs.end());
        plannedIDs.insert(saved.id);
        GroupPlan result;
        result.id = saved.id;
        result.name = saved.name;
        result.groupAccent = saved.groupAccent;
        result.frame = saved.frame;
        for (const WindowID id : keptIDs) {
            if (minimizedIDs.contains(id)) result.minimized.insert(id);
        }
        result.activeWindowID = chooseActive(saved, kept, result.minimized);
        result.members = std::move(kept);
        plans.push_back(std::move(result));
    }
    return plans;
}

}  // namespace tessaly::HandoffRestorePlanner
