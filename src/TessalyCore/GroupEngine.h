#pragma once
// The one owner and writer of all tab groups. Every change is stored first,
// then carried out on windows through the WindowSystem, then reported once
// per group touched through onEvent. Main thread only.
//
// An operation whose window or group is not found, or that a lock refuses,
// does nothing: no change, no window call, no event.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "Platform/Uuid.h"
#include "TessalyCore/GroupEvent.h"
#include "TessalyCore/GroupMember.h"
#include "TessalyCore/TabColor.h"
#include "TessalyCore/TabGroup.h"
#include "TessalyCore/WindowSystem.h"

namespace tessaly {

class GroupEngine {
public:
    // Consecutive liveness sweeps that may miss a member's window before it is evicted.
    static constexpr int missingSweepLimit = 6;

    explicit GroupEngine(std::shared_ptr<WindowSystem> windowSystem);
    GroupEngine(const GroupEngine&) = delete;
    GroupEngine& operator=(const GroupEngine&) = delete;

    // Told synchronously after each change, once the stored state is final.
    std::function<void(const GroupEvent&)> onEvent;
    // Asked by the frame fan-out for each member that would be moved; true keeps it in place.
    std::function<bool(WindowID)> isFanOutExempt;
    // Told by the liveness sweep just before a member is evicted (window id, last known title).
    std::function<void(WindowID, const std::string&)> onLivenessEviction;

    const std::shared_ptr<WindowSystem>& windowSystem() const { return windowSystem_; }

    // ---- Model and lookup ----
    // The live groups, in creation order. The reference is good until the
    // next change; copy it to keep a snapshot across engine operations.
    const std::vector<TabGroup>& groups() const { return groups_; }
    std::size_t groupCount() const { return groups_.size(); }
    // The group holding the window, as a copy.
    std::optional<TabGroup> group(WindowID containing) const;
    // The group with that id, as a copy.
    std::optional<TabGroup> group(const Uuid& withID) const;

    // ---- Grouping and activation ----
    // The dragged window joins the target's group, or forms a new group with
    // the target in `targetFrame`.
    void group(const GroupMember& dragged, const GroupMember& withTarget, const Rect& targetFrame);
    // Takes in a group rebuilt after a relaunch; its mru is rebuilt and its
    // sweep counts cleared. Refused (silently) when it has fewer than two
    // members, an active id that is not a member, a window id twice, a window
    // already grouped, or the id of a live group.
    void adoptGroup(const TabGroup& group);
    // Makes the member active and brings it to the front; always reports.
    void setActive(WindowID windowID);

    // ---- Removal, dissolution and liveness ----
    void detach(WindowID windowID, bool raiseRemaining);
    void handleWindowDestroyed(WindowID windowID);
    void handleAppTerminated(ProcessID pid);
    // Asks the window to close; the member leaves when its destruction is reported.
    void closeTab(WindowID windowID);
    void closeGroup(const Uuid& id);
    void dissolveGroup(const Uuid& id);
    // Counts members whose window is not alive; evicts one missed by
    // missingSweepLimit consecutive sweeps.
    void sweep(const std::unordered_set<WindowID>& aliveWindowIDs);
    void sweep(const std::set<WindowID>& aliveWindowIDs);

    // ---- Reorder, move and merge ----
    void reorderTab(WindowID windowID, int toIndex);
    void moveMember(WindowID windowID, WindowID toGroupContaining, int atIndex);
    void mergeGroups(const Uuid& source, const Uuid& into);
    // A sibling window took the member's place; the member keeps its tab.
    void repointMember(WindowID windowID, WindowID to, const std::string& title);

    // ---- Focus, cycling, suspension and minimisation ----
    void noteExternalFocus(WindowID windowID);
    void cycleActive(WindowID inGroupWith, bool forward);
    void suspendMember(WindowID windowID);
    void resumeMember(WindowID windowID);
    void noteMinimized(WindowID windowID);
    void noteDeminiaturized(WindowID windowID);

    // ---- Frame and attributes ----
    // Stores the group's shared frame and moves every usable, non-exempt
    // member but the source there. A frame that is not finite or has a
    // negative size is refused.
    void commitGroupFrame(const Rect& frame, WindowID fromWindowID, bool force);
    // The same for the frame the window manager gave the source window by
    // maximising it along `axes`: the other members are maximised the same
    // way (a window the window manager will not maximise is moved there).
    void commitMaximizedFrame(const Rect& frame, WindowID fromWindowID, MaximizedAxes axes);
    // The members a commit from `source` moves, in tab order: the usable
    // members of the group but the source that no fan-out exemption keeps.
    std::vector<WindowID> followers(const TabGroup& group, WindowID source) const;
    void setLocked(bool locked, const Uuid& groupID);
    // Trimmed; an empty name clears it.
    void setName(const std::optional<std::string>& name, const Uuid& groupID);
    void updateTitle(const std::string& title, WindowID forWindowID);
    void setMemberAccent(const std::optional<TabColor>& accent, WindowID forWindowID);
    void setGroupAccent(const std::optional<TabColor>& accent, const Uuid& groupID);

private:
    std::optional<std::size_t> index(WindowID ofGroupContaining) const;
    std::optional<std::size_t> index(const Uuid& ofGroupID) const;

    // Index upkeep around the ordered array.
    void appendGroup(TabGroup group);
    // Takes the group out of the array and the indexes; answers it.
    TabGroup eraseGroup(std::size_t position);
    void indexMember(WindowID windowID, const Uuid& groupID) { groupOfWindow_[windowID] = groupID; }
    void unindexMember(WindowID windowID) { groupOfWindow_.erase(windowID); }

    void promoteActive(WindowID windowID, std::size_t at);
    // Promotes the first usable id of mru other than `excluding`; answers it.
    std::optional<WindowID> promoteMostRecentUsable(std::size_t position, WindowID excluding);
    void removeMember(WindowID windowID, std::size_t fromGroupAt, bool raiseSuccessor);
    // Puts a member arriving from elsewhere at the end of the group's mru
    // (and into the position in `members`), and indexes it.
    void insertMember(const GroupMember& member, std::size_t position, std::size_t atIndex);

    template <typename Alive>
    void sweepAgainst(const Alive& isAlive);
    // Stores the frame and has `fanOut` move each of its followers.
    template <typename FanOut>
    void commitFrame(const Rect& frame, WindowID fromWindowID, bool force, const FanOut& fanOut);

    void publish(GroupEvent event);
    void emitChanged(std::size_t position) { publish(GroupEvent::groupChanged(groups_[position])); }

    std::shared_ptr<WindowSystem> windowSystem_;
    std::vector<TabGroup> groups_;
    // Which group holds each grouped window, and where each group sits in groups_.
    std::unordered_map<WindowID, Uuid> groupOfWindow_;
    std::unordered_map<Uuid, std::size_t> positionOfGroup_;
};

}  // namespace tessaly
