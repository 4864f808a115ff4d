#pragma once
// A tab group: an ordered set of members sharing one frame, with one active
// member shown in front. A plain value; the group engine keeps the live ones.
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "Platform/Uuid.h"
#include "TessalyCore/GroupMember.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

struct TabGroup {
    Uuid id;                          // identity for the group's whole life
    std::vector<GroupMember> members; // tab-bar order, left to right
    WindowID activeWindowID = 0;      // the member shown in front
    std::vector<WindowID> mru;        // member ids, most recently activated first
    Rect frame;                       // shared frame, global top-left coordinates
    std::set<WindowID> minimized;     // members whose window is minimised
    std::set<WindowID> suspended;     // members set aside from the frame and from activation
    std::map<WindowID, int> missingSweeps;  // consecutive liveness sweeps that missed the window
    bool isLocked = false;            // refuses joining, merging, detaching and dissolving
    std::optional<std::string> name;  // stored trimmed, never empty
    std::optional<TabColor> groupAccent;

    TabGroup() = default;
    // Stores the four values; mru becomes the active id followed by every
    // other member id in member order. Checks nothing.
    TabGroup(const Uuid& idValue, std::vector<GroupMember> membersValue, WindowID activeWindowIDValue,
             const Rect& frameValue);

    // The first member, in tab order, with that window id.
    std::optional<GroupMember> member(WindowID windowID) const;
    // Where that member stands in `members`; members.end() when none.
    std::vector<GroupMember>::iterator memberPosition(WindowID windowID);
    std::vector<GroupMember>::const_iterator memberPosition(WindowID windowID) const;
    bool contains(WindowID windowID) const;
    // The members' window ids in tab order.
    std::vector<WindowID> windowIDs() const;
    // Some member is minimised and every member is minimised or suspended.
    bool isFullyMinimized() const;
    // Neither suspended nor minimised: moved by frame commits, eligible as active member.
    bool isUsable(WindowID windowID) const { return !suspended.contains(windowID) && !minimized.contains(windowID); }

    friend bool operator==(const TabGroup& a, const TabGroup& b);
};

std::ostream& operator<<(std::ostream& os, const TabGroup& group);

// A group name the way groups store it: trimmed of white space and
// newlines, absent when nothing is left.
std::optional<std::string> storedGroupName(const std::optional<std::string>& name);

}  // namespace tessaly
