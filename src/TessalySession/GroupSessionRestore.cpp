// Groups across a relaunch: the windows of other applications survive it,
// the groups live only in this process. Before a relaunch the session says
// which members a new process could not bind again (so the shell can warn
// and detach them) and turns its groups into a handoff record; after it, the
// new session rebinds the saved members to the live windows.
#include <algorithm>
#include <map>
#include <set>

#include "AXKit/AXApplication.h"
#include "TessalyCore/SystemEnvironment.h"
#include "TessalyCore/UpdateHandoffForecast.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

std::vector<WindowID> GroupSession::membersUnreachableAfterRelaunch() const {
    const double at = now();
    std::set<WindowID> alive;
    std::set<WindowID> onScreen;
    for (const DiscoveredWindow& window : discovery_.allWindows(false)) {
        alive.insert(window.windowID);
        if (window.isOnScreen) onScreen.insert(window.windowID);
    }
    const auto isRecentlyMinimized = [this, at](WindowID windowID) {
        const auto changed = recentMinimizeChange_.find(windowID);
        return changed != recentMinimizeChange_.end() && at - changed->second < minimizeQuietPeriod;
    };
    if (const Workspace* workspace = services_.platform.workspace.get()) {
        return UpdateHandoffForecast::unbindableMembers(engine_->groups(), alive, onScreen, isRecentlyMinimized,
                                                        *workspace);
    }
    return UpdateHandoffForecast::unbindableMembers(engine_->groups(), alive, onScreen, isRecentlyMinimized,
                                                    [](ProcessID) { return false; });
}

void GroupSession::detachBeforeRelaunch(const std::vector<WindowID>& windowIDs) {
    for (const WindowID windowID : windowIDs) engine_->detach(windowID, false);
}

std::optional<UpdateHandoff> GroupSession::makeUpdateHandoff() const {
    // A member the new process cannot bind would make it skip the whole
    // group (a locked group keeps such a member through the detach before
    // the relaunch): the record leaves the member out and keeps the group.
    const std::vector<WindowID> unreachableList = membersUnreachableAfterRelaunch();
    const std::set<WindowID> unreachable(unreachableList.begin(), unreachableList.end());

    std::vector<UpdateHandoff::Group> saved;
    for (const TabGroup& group : engine_->groups()) {
        if (isGestureActive(group.id)) continue;
        UpdateHandoff::Group record;
        record.id = group.id;
        record.name = group.name;
        record.groupAccent = group.groupAccent;
        record.frame = group.frame;
        for (const GroupMember& member : group.members) {
            if (unreachable.contains(member.windowID)) continue;
            record.members.push_back(UpdateHandoff::Member{member.windowID, member.pid, member.lastKnownTitle,
                                                           member.titleOverride, member.accent});
        }
        if (record.members.size() < 2) continue;
        const bool activeKept = std::any_of(record.members.begin(), record.members.end(), [&](const auto& member) {
            return member.windowID == group.activeWindowID;
        });
        record.activeWindowID = activeKept ? group.activeWindowID : record.members.front().windowID;
        saved.push_back(std::move(record));
    }
    if (saved.empty()) return std::nullopt;
    const SystemEnvironment::BootClock clock =
        SystemEnvironment(services_.platform.systemProbes, services_.platform.clock).bootClock();
    return UpdateHandoff(clock.bootTime, clock.uptime, std::move(saved));
}

void GroupSession::restore(const UpdateHandoff& handoff) {
    if (isShutDown_) return;
    std::map<WindowID, ProcessID> aliveByID;
    for (const DiscoveredWindow& window : discovery_.allWindows(false)) aliveByID.emplace(window.windowID, window.pid);

    std::set<ProcessID> toProbe;
    for (const UpdateHandoff::Group& group : handoff.groups) {
        for (const UpdateHandoff::Member& member : group.members) {
            const auto alive = aliveByID.find(member.windowID);
            if (alive != aliveByID.end() && alive->second == member.pid) toProbe.insert(member.pid);
        }
    }

    std::map<WindowID, AXWindowRef> windows;
    std::set<WindowID> minimized;
    for (const ProcessID pid : toProbe) {
        const AXApplication app(windowSystem_->axServices(), pid, AXApplication::Timeout::hot);
        for (const AXWindowRef& window : app.windows(false)) {
            if (!window->windowID || windows.contains(*window->windowID)) continue;
            windows.emplace(*window->windowID, window);
            if (window->isMinimized()) minimized.insert(*window->windowID);
        }
    }
    std::set<WindowID> enumerable;
    for (const auto& [windowID, window] : windows) enumerable.insert(windowID);

    for (const HandoffRestorePlanner::GroupPlan& plan :
         HandoffRestorePlanner::plan(handoff, aliveByID, enumerable, minimized)) {
        for (const UpdateHandoff::Member& member : plan.members) {
            if (const auto found = windows.find(member.windowID); found != windows.end()) {
                windowSystem_->track(found->second);
            }
        }
        engine_->adoptGroup(restoredGroup(plan));
        if (engine_->group(plan.id)) continue;
        // Refused (a window joined another group meanwhile): nothing of it
        // stays tracked.
        for (const UpdateHandoff::Member& member : plan.members) {
            if (!engine_->group(member.windowID)) windowSystem_->untrack(member.windowID);
        }
    }
}

TabGroup GroupSession::restoredGroup(const HandoffRestorePlanner::GroupPlan& plan) {
    std::vector<GroupMember> members;
    members.reserve(plan.members.size());
    for (const UpdateHandoff::Member& member : plan.members) {
        members.emplace_back(member.windowID, member.pid, member.lastKnownTitle, member.titleOverride, member.accent);
    }
    TabGroup group(plan.id, std::move(members), plan.activeWindowID, plan.frame);
    group.minimized = plan.minimized;
    group.name = plan.name;
    group.groupAccent = plan.groupAccent;
    return group;
}

}  // namespace tessaly
