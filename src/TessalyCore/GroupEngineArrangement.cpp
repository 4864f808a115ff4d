// Reordering tabs, moving members between groups, merging groups and
// repointing a member at a sibling window.
#include <algorithm>
#include <utility>

#include "TessalyCore/GroupEngine.h"

namespace tessaly {

namespace {

std::size_t clampedIndex(int index, std::size_t count) {
    if (index <= 0) return 0;
    return std::min(static_cast<std::size_t>(index), count);
}

}  // namespace

void GroupEngine::reorderTab(WindowID windowID, int toIndex) {
    const auto i = index(windowID);
    if (!i) return;
    TabGroup& g = groups_[*i];
    const auto found = g.memberPosition(windowID);
    if (found == g.members.end()) return;
    GroupMember member = std::move(*found);
    g.members.erase(found);
    const std::size_t at = clampedIndex(toIndex, g.members.size());
    g.members.insert(g.members.begin() + static_cast<std::ptrdiff_t>(at), std::move(member));
    emitChanged(*i);  // also when the tab ends where it was
}

void GroupEngine::moveMember(WindowID windowID, WindowID toGroupContaining, int atIndex) {
    const auto source = index(windowID);
    const auto target = index(toGroupContaining);
    if (!source || !target) return;
    if (*source == *target) {
        reorderTab(windowID, atIndex);
        return;
    }
    if (groups_[*source].isLocked || groups_[*target].isLocked) return;

    const GroupMember member = *groups_[*source].memberPosition(windowID);
    const bool wasSuspended = groups_[*source].suspended.contains(windowID);
    const bool wasMinimized = groups_[*source].minimized.contains(windowID);
    const Uuid targetID = groups_[*target].id;

    removeMember(windowID, *source, false);
    const auto destination = index(targetID);
    if (!destination || index(windowID)) return;  // changed by a handler of the removal's event
    TabGroup& g = groups_[*destination];
    insertMember(member, *destination, clampedIndex(atIndex, g.members.size()));

    if (!wasSuspended && !wasMinimized) {
        windowSystem_->setFrame(g.frame, windowID);
        setActive(windowID);
        return;
    }
    // It keeps its state in the new group; the active member stays.
    if (wasSuspended) g.suspended.insert(windowID);
    if (wasMinimized) g.minimized.insert(windowID);
    emitChanged(*destination);
}

void GroupEngine::mergeGroups(const Uuid& source, const Uuid& into) {
    if (source == into) return;
    const auto s = index(source);
    const auto d = index(into);
    if (!s || !d) return;
    if (groups_[*s].isLocked || groups_[*d].isLocked) return;

    // The source's name, accent, active member and sweep counts are dropped.
    const TabGroup incoming = eraseGroup(*s);
    const std::size_t position = *index(into);
    for (const auto& member : incoming.members) {
        insertMember(member, position, groups_[position].members.size());
        TabGroup& g = groups_[position];
        const WindowID id = member.windowID;
        if (incoming.isUsable(id)) {
            windowSystem_->setFrame(g.frame, id);
            continue;
        }
        if (incoming.suspended.contains(id)) g.suspended.insert(id);
        if (incoming.minimized.contains(id)) g.minimized.insert(id);
    }
    const TabGroup& merged = groups_[position];
    if (merged.isUsable(merged.activeWindowID)) windowSystem_->raiseAndActivate(merged.activeWindowID);

    publish(GroupEvent::groupDissolved(source));
    // The target as it stands after the first handler, which may have changed
    // or ended it.
    if (const auto now = index(into)) emitChanged(*now);
}

void GroupEngine::repointMember(WindowID windowID, WindowID to, const std::string& title) {
    if (windowID == to || index(to)) return;
    const auto i = index(windowID);
    if (!i) return;
    TabGroup& g = groups_[*i];
    const auto found = g.memberPosition(windowID);
    if (found == g.members.end()) return;

    *found = GroupMember(to, found->pid, title, found->titleOverride, found->accent);
    if (g.activeWindowID == windowID) g.activeWindowID = to;
    if (const auto recent = std::find(g.mru.begin(), g.mru.end(), windowID); recent != g.mru.end()) *recent = to;
    if (g.minimized.erase(windowID) > 0) g.minimized.insert(to);
    if (g.suspended.erase(windowID) > 0) g.suspended.insert(to);
    g.missingSweeps.erase(windowID);
    unindexMember(windowID);
    indexMember(to, g.id);
    emitChanged(*i);
}

}  // namespace tessaly
