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

namespace {

// The standard windows that accessibility lists for these processes now,
// each window's element (the first one read wins), and which are minimised.
struct ListedWindows {
    std::map<WindowID, AXWindowRef> windows;
    std::set<WindowID> minimized;

    bool contains(WindowID windowID) const { return windows.contains(windowID); }
};

ListedWindows listWindows(const AXServicesRef& services, const std::set<ProcessID>& pids) {
    ListedWindows listed;
    for (const ProcessID pid : pids) {
        const AXApplication app(services, pid, AXApplication::Timeout::hot);
        for (const AXWindowRef& window : app.windows(false)) {
            if (!window->windowID || listed.windows.contains(*window->windowID)) continue;
            listed.windows.emplace(*window->windowID, window);
            if (window->isMinimized()) listed.minimized.insert(*window->windowID);
        }
    }
    return listed;
}

}  // namespace

std::vector<WindowID> GroupSession::membersUnreachableAfterRelaunch() const {
    const double at = now();
    std::set<WindowID> alive;
    std::set<WindowID> onScreen;
    for (const DiscoveredWindow& window : discovery_.allWindows(false)) {
        alive.insert(window.windowID);
        if (window.isOnScreen) onScreen.insert(window.windowID);
    }
    const auto isRecentlyMinimized = [this, at](WindowID windowID) { return isMinimizeQuiet(windowID, at); };
    // Where an application lists its windows of every desktop, a new process
    // finds each live one again, wherever it is now.
    const bool listsEveryDesktop = windowSystem_->axServices()->accessibility->listsWindowsOnEveryDesktop();
    const std::set<WindowID> reachableOffScreen = listsEveryDesktop ? alive : std::set<WindowID>{};
    if (const Workspace* workspace = services_.platform.workspace.get()) {
        return UpdateHandoffForecast::unbindableMembers(engine_->groups(), alive, onScreen, isRecentlyMinimized,
                                                        *workspace, reachableOffScreen);
    }
    return UpdateHandoffForecast::unbindableMembers(
        engine_->groups(), alive, onScreen, isRecentlyMinimized, [](ProcessID) { return false; }, reachableOffScreen);
}

void GroupSession::detachBeforeRelaunch(const std::vector<WindowID>& windowIDs) {
    for (const WindowID windowID : windowIDs) engine_->detach(windowID, false);
}

std::optional<UpdateHandoff> GroupSession::makeUpdateHandoff() const {
    // A member the new process cannot list would make it skip the whole
    // group (a locked group keeps such a member through the detach before
    // the relaunch): the record leaves out the unreachable members that
    // accessibility does not list now either, and keeps their groups.
    std::set<WindowID> leftOut;
    if (const std::vector<WindowID> unreachable = membersUnreachableAfterRelaunch(); !unreachable.empty()) {
        std::set<ProcessID> pids;
        for (const WindowID windowID : unreachable) {
            if (const auto group = engine_->group(windowID)) pids.insert(group->member(windowID)->pid);
        }
        const ListedWindows listed = listWindows(windowSystem_->axServices(), pids);
        for (const WindowID windowID : unreachable) {
            if (!listed.contains(windowID)) leftOut.insert(windowID);
        }
    }

    std::vector<UpdateHandoff::Group> saved;
    for (const TabGroup& group : engine_->groups()) {
        if (isGestureActive(group.id)) continue;
        UpdateHandoff::Group record;
        record.id = group.id;
        record.name = group.name;
        record.groupAccent = group.groupAccent;
        record.frame = group.frame;
        for (const GroupMember& member : group.members) {
            if (leftOut.contains(member.windowID)) continue;
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
    const auto isAliveAsSaved = [&aliveByID](const UpdateHandoff::Member& member) {
        const auto alive = aliveByID.find(member.windowID);
        return alive != aliveByID.end() && alive->second == member.pid;
    };

    std::set<ProcessID> toProbe;
    for (const UpdateHandoff::Group& group : handoff.groups) {
        for (const UpdateHandoff::Member& member : group.members) {
            if (isAliveAsSaved(member)) toProbe.insert(member.pid);
        }
    }
    const ListedWindows listed = listWindows(windowSystem_->axServices(), toProbe);
    std::set<WindowID> enumerable;
    for (const auto& [windowID, window] : listed.windows) enumerable.insert(windowID);

    // A live window that accessibility does not list (its application did not
    // answer, say) cannot be rebound; it is dropped, and its group is rebuilt
    // from the others instead of being skipped whole.
    UpdateHandoff reachable = handoff;
    for (UpdateHandoff::Group& group : reachable.groups) {
        std::erase_if(group.members, [&](const UpdateHandoff::Member& member) {
            return isAliveAsSaved(member) && !listed.contains(member.windowID);
        });
    }

    for (const HandoffRestorePlanner::GroupPlan& plan :
         HandoffRestorePlanner::plan(reachable, aliveByID, enumerable, listed.minimized)) {
        for (const UpdateHandoff::Member& member : plan.members) {
            if (const auto found = listed.windows.find(member.windowID); found != listed.windows.end()) {
                windowSystem_->track(found->second);
            }
        }
        engine_->adoptGroup(restoredGroup(plan));
        if (engine_->group(plan.id)) {
            // The windows may have moved while no process followed them (or
            // the file's frame is not theirs): the group, and its bar, take
            // the frame its active window has now.
            verifyFrameLanded(plan.id, plan.activeWindowID, plan.frame, "restore verify", FrameMiss::adopt);
            continue;
        }
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
