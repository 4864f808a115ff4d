// Members leaving groups, groups ending, and the liveness sweep.
#include <algorithm>
#include <utility>

#include "TessalyCore/GroupEngine.h"

namespace tessaly {

void GroupEngine::removeMember(WindowID windowID, std::size_t fromGroupAt, bool raiseSuccessor) {
    TabGroup& g = groups_[fromGroupAt];
    const bool wasActive = g.activeWindowID == windowID;
    std::erase_if(g.members, [windowID](const GroupMember& m) { return m.windowID == windowID; });
    std::erase(g.mru, windowID);
    g.minimized.erase(windowID);
    g.suspended.erase(windowID);
    g.missingSweeps.erase(windowID);
    unindexMember(windowID);

    if (g.members.size() < 2) {
        // The member left behind, if any, is simply no longer grouped and
        // stays where it is.
        const Uuid id = g.id;
        eraseGroup(fromGroupAt);
        publish(GroupEvent::groupDissolved(id));
        return;
    }

    // The removed window itself gets no call: it keeps its frame and place.
    if (wasActive) {
        const auto usable = std::find_if(g.mru.begin(), g.mru.end(), [&g](WindowID id) { return g.isUsable(id); });
        const WindowID successor = usable != g.mru.end() ? *usable
                                   : !g.mru.empty()      ? g.mru.front()
                                                         : g.members.front().windowID;
        g.activeWindowID = successor;
        if (raiseSuccessor && g.isUsable(successor)) windowSystem_->raiseAndActivate(successor);
    }
    emitChanged(fromGroupAt);
}

void GroupEngine::detach(WindowID windowID, bool raiseRemaining) {
    const auto i = index(windowID);
    if (!i || groups_[*i].isLocked) return;
    removeMember(windowID, *i, raiseRemaining);
}

void GroupEngine::handleWindowDestroyed(WindowID windowID) {
    if (const auto i = index(windowID)) removeMember(windowID, *i, true);
}

void GroupEngine::handleAppTerminated(ProcessID pid) {
    // Within a group the active member goes last, so that its successor is
    // chosen among the survivors and raised once.
    std::vector<WindowID> doomed;
    for (const auto& g : groups_) {
        bool activeDoomed = false;
        for (const auto& member : g.members) {
            if (member.pid != pid) continue;
            if (member.windowID == g.activeWindowID) {
                activeDoomed = true;
            } else {
                doomed.push_back(member.windowID);
            }
        }
        if (activeDoomed) doomed.push_back(g.activeWindowID);
    }
    for (const WindowID id : doomed) {
        if (const auto i = index(id)) removeMember(id, *i, true);
    }
}

void GroupEngine::closeTab(WindowID windowID) { windowSystem_->close(windowID); }

void GroupEngine::closeGroup(const Uuid& id) {
    const auto i = index(id);
    if (!i) return;
    const std::vector<WindowID> ids = groups_[*i].windowIDs();
    for (const WindowID windowID : ids) windowSystem_->close(windowID);
}

void GroupEngine::dissolveGroup(const Uuid& id) {
    const auto i = index(id);
    if (!i || groups_[*i].isLocked) return;
    eraseGroup(*i);
    publish(GroupEvent::groupDissolved(id));
}

void GroupEngine::sweep(const std::unordered_set<WindowID>& aliveWindowIDs) { sweepAgainst(aliveWindowIDs); }

void GroupEngine::sweep(const std::set<WindowID>& aliveWindowIDs) { sweepAgainst(aliveWindowIDs); }

template <typename Alive>
void GroupEngine::sweepAgainst(const Alive& alive) {
    // Walk the groups and members as they stood when the sweep began; every
    // step reads the live group again, since an eviction may dissolve it.
    struct Snapshot {
        Uuid id;
        std::vector<WindowID> windowIDs;
    };
    std::vector<Snapshot> snapshot;
    snapshot.reserve(groups_.size());
    for (const auto& g : groups_) snapshot.push_back({g.id, g.windowIDs()});

    for (const auto& entry : snapshot) {
        for (const WindowID w : entry.windowIDs) {
            const auto i = index(entry.id);
            if (!i) break;  // dissolved by an eviction of this sweep
            TabGroup& g = groups_[*i];
            if (alive.contains(w)) {
                g.missingSweeps.erase(w);
                continue;
            }
            const auto member = g.memberPosition(w);
            if (member == g.members.end()) continue;  // left the group during this sweep
            const auto counted = g.missingSweeps.find(w);
            const int misses = (counted != g.missingSweeps.end() ? counted->second : 0) + 1;
            if (misses < missingSweepLimit) {
                g.missingSweeps[w] = misses;
                continue;
            }
            const std::string title = member->lastKnownTitle;
            if (auto evicted = onLivenessEviction) evicted(w, title);
            if (const auto holder = index(w)) removeMember(w, *holder, true);
        }
    }
}

}  // namespace tessaly
