#include "TessalyCore/TabGroup.h"

#include <algorithm>
#include <utility>

#include "TessalyCore/UnicodeText.h"

namespace tessaly {

TabGroup::TabGroup(const Uuid& idValue, std::vector<GroupMember> membersValue, WindowID activeWindowIDValue,
                   const Rect& frameValue)
    : id(idValue), members(std::move(membersValue)), activeWindowID(activeWindowIDValue), frame(frameValue) {
    mru.reserve(members.size() + 1);
    mru.push_back(activeWindowID);
    for (const auto& m : members) {
        if (m.windowID != activeWindowID) mru.push_back(m.windowID);
    }
}

std::optional<GroupMember> TabGroup::member(WindowID windowID) const {
    const auto it = memberPosition(windowID);
    if (it == members.end()) return std::nullopt;
    return *it;
}

std::vector<GroupMember>::iterator TabGroup::memberPosition(WindowID windowID) {
    return std::find_if(members.begin(), members.end(),
                        [windowID](const GroupMember& m) { return m.windowID == windowID; });
}

std::vector<GroupMember>::const_iterator TabGroup::memberPosition(WindowID windowID) const {
    return std::find_if(members.begin(), members.end(),
                        [windowID](const GroupMember& m) { return m.windowID == windowID; });
}

bool TabGroup::contains(WindowID windowID) const { return memberPosition(windowID) != members.end(); }

std::vector<WindowID> TabGroup::windowIDs() const {
    std::vector<WindowID> ids;
    ids.reserve(members.size());
    for (const auto& m : members) ids.push_back(m.windowID);
    return ids;
}

bool TabGroup::isFullyMinimized() const {
    if (minimized.empty()) return false;
    return std::all_of(members.begin(), members.end(), [this](const GroupMember& m) {
        return minimized.contains(m.windowID) || suspended.contains(m.windowID);
    });
}

bool operator==(const TabGroup& a, const TabGroup& b) {
    return a.id == b.id && a.members == b.members && a.activeWindowID == b.activeWindowID && a.mru == b.mru &&
           a.frame == b.frame && a.minimized == b.minimized && a.suspended == b.suspended &&
           a.missingSweeps == b.missingSweeps && a.isLocked == b.isLocked && canonicallyEqual(a.name, b.name) &&
           a.groupAccent == b.groupAccent;
}

namespace {

template <typename Ids>
void printIDs(std::ostream& os, const Ids& ids) {
    bool first = true;
    for (const WindowID id : ids) {
        os << (first ? "" : ", ") << id;
        first = false;
    }
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const TabGroup& group) {
    os << "TabGroup(" << group.id << ", members [";
    printIDs(os, group.windowIDs());
    os << "], active " << group.activeWindowID << ", mru [";
    printIDs(os, group.mru);
    os << "], " << group.frame;
    if (!group.minimized.empty()) {
        os << ", minimized {";
        printIDs(os, group.minimized);
        os << "}";
    }
    if (!group.suspended.empty()) {
        os << ", suspended {";
        printIDs(os, group.suspended);
        os << "}";
    }
    if (group.isLocked) os << ", locked";
    if (group.name) os << ", name \"" << *group.name << "\"";
    if (group.groupAccent) os << ", accent " << *group.groupAccent;
    return os << ")";
}

std::optional<std::string> storedGroupName(const std::optional<std::string>& name) {
    if (!name) return std::nullopt;
    std::string trimmed = trimmingWhitespaceAndNewlines(*name);
    if (trimmed.empty()) return std::nullopt;
    return trimmed;
}

}  // namespace tessaly
