#include "TessalyCore/GroupEngine.h"

#include <algorithm>
#include <utility>

namespace tessaly {

GroupEngine::GroupEngine(std::shared_ptr<WindowSystem> windowSystem) : windowSystem_(std::move(windowSystem)) {}

// ---- Lookup ----

std::optional<std::size_t> GroupEngine::index(WindowID ofGroupContaining) const {
    const auto owner = groupOfWindow_.find(ofGroupContaining);
    if (owner == groupOfWindow_.end()) return std::nullopt;
    return index(owner->second);
}

std::optional<std::size_t> GroupEngine::index(const Uuid& ofGroupID) const {
    const auto position = positionOfGroup_.find(ofGroupID);
    if (position == positionOfGroup_.end()) return std::nullopt;
    return position->second;
}

std::optional<TabGroup> GroupEngine::group(WindowID containing) const {
    const auto i = index(containing);
    if (!i) return std::nullopt;
    return groups_[*i];
}

std::optional<TabGroup> GroupEngine::group(const Uuid& withID) const {
    const auto i = index(withID);
    if (!i) return std::nullopt;
    return groups_[*i];
}

void GroupEngine::appendGroup(TabGroup group) {
    for (const auto& member : group.members) indexMember(member.windowID, group.id);
    positionOfGroup_[group.id] = groups_.size();
    groups_.push_back(std::move(group));
}

TabGroup GroupEngine::eraseGroup(std::size_t position) {
    TabGroup doomed = std::move(groups_[position]);
    for (const auto& member : doomed.members) unindexMember(member.windowID);
    positionOfGroup_.erase(doomed.id);
    groups_.erase(groups_.begin() + static_cast<std::ptrdiff_t>(position));
    for (std::size_t j = position; j < groups_.size(); ++j) positionOfGroup_[groups_[j].id] = j;
    return doomed;
}

void GroupEngine::publish(GroupEvent event) {
    // A copy, so that a handler may replace the callback while it runs.
    if (auto handler = onEvent) handler(event);
}

// ---- Activation ----

void GroupEngine::promoteActive(WindowID windowID, std::size_t at) {
    TabGroup& g = groups_[at];
    g.activeWindowID = windowID;
    // To the front of mru, any further occurrence dropped.
    auto found = std::find(g.mru.begin(), g.mru.end(), windowID);
    if (found == g.mru.end()) {
        g.mru.push_back(windowID);
        found = g.mru.end() - 1;
    }
    std::rotate(g.mru.begin(), found, found + 1);
    g.mru.erase(std::remove(g.mru.begin() + 1, g.mru.end(), windowID), g.mru.end());
}

std::optional<WindowID> GroupEngine::promoteMostRecentUsable(std::size_t position, WindowID excluding) {
    const TabGroup& g = groups_[position];
    const auto it = std::find_if(g.mru.begin(), g.mru.end(),
                                 [&](WindowID id) { return id != excluding && g.isUsable(id); });
    if (it == g.mru.end()) return std::nullopt;
    const WindowID successor = *it;
    promoteActive(successor, position);
    return successor;
}

void GroupEngine::setActive(WindowID windowID) {
    const auto i = index(windowID);
    if (!i) return;
    promoteActive(windowID, *i);
    windowSystem_->raiseAndActivate(windowID);
    emitChanged(*i);
}

void GroupEngine::insertMember(const GroupMember& member, std::size_t position, std::size_t atIndex) {
    TabGroup& g = groups_[position];
    atIndex = std::min(atIndex, g.members.size());
    g.members.insert(g.members.begin() + static_cast<std::ptrdiff_t>(atIndex), member);
    g.mru.push_back(member.windowID);
    indexMember(member.windowID, g.id);
}

// ---- Grouping ----

void GroupEngine::group(const GroupMember& dragged, const GroupMember& withTarget, const Rect& targetFrame) {
    const WindowID d = dragged.windowID;
    const WindowID t = withTarget.windowID;
    if (d == t) return;

    if (const auto own = index(d)) {
        // Dropped onto a fellow member: that only brings it forward, lock or no lock.
        if (groups_[*own].contains(t)) {
            setActive(d);
            return;
        }
        if (groups_[*own].isLocked) return;
    }
    if (const auto own = index(d)) removeMember(d, *own, false);
    if (index(d)) return;  // put back by a handler of the removal's event

    if (const auto target = index(t)) {
        // The window has left its old group on purpose: a locked target
        // takes nothing in, and the window stays on its own.
        if (groups_[*target].isLocked) return;
        insertMember(dragged, *target, groups_[*target].members.size());
        windowSystem_->setFrame(groups_[*target].frame, d);
        setActive(d);
        return;
    }

    TabGroup created(Uuid::random(), {withTarget, dragged}, d, targetFrame);
    appendGroup(created);
    windowSystem_->setFrame(targetFrame, d);
    windowSystem_->raiseAndActivate(d);
    publish(GroupEvent::groupCreated(std::move(created)));
}

void GroupEngine::adoptGroup(const TabGroup& group) {
    if (group.members.size() < 2) return;
    if (!group.contains(group.activeWindowID)) return;
    if (index(group.id)) return;
    std::unordered_set<WindowID> seen;
    for (const auto& member : group.members) {
        if (!seen.insert(member.windowID).second) return;  // a window twice
        if (index(member.windowID)) return;                // already grouped
    }

    TabGroup adopted(group.id, group.members, group.activeWindowID, group.frame);
    // Only members may be minimised or suspended: a stale id would otherwise
    // mark a window that joins later.
    for (const WindowID id : group.minimized) {
        if (seen.contains(id)) adopted.minimized.insert(id);
    }
    for (const WindowID id : group.suspended) {
        if (seen.contains(id)) adopted.suspended.insert(id);
    }
    adopted.isLocked = group.isLocked;
    adopted.name = group.name;
    adopted.groupAccent = group.groupAccent;
    appendGroup(adopted);
    publish(GroupEvent::groupCreated(std::move(adopted)));
}

}  // namespace tessaly
