// The shared frame commit and the attributes that leave membership alone:
// lock, name, titles and accents. None of these tests the lock.
#include <utility>

#include "TessalyCore/GroupEngine.h"
#include "TessalyCore/UnicodeText.h"

namespace tessaly {

template <typename FanOut>
void GroupEngine::commitFrame(const Rect& frame, WindowID fromWindowID, bool force, const FanOut& fanOut) {
    // A frame no window can take would be fanned out to every member.
    if (!frame.isSane()) return;
    const auto i = index(fromWindowID);
    if (!i) return;
    TabGroup& g = groups_[*i];
    if (!force && frame == g.frame) return;
    g.frame = frame;
    const Uuid id = g.id;
    for (const WindowID member : followers(g, fromWindowID)) fanOut(member);
    if (const auto now = index(id)) emitChanged(*now);
}

std::vector<WindowID> GroupEngine::followers(const TabGroup& group, WindowID source) const {
    // The source window is never moved by its own commit; suspended and
    // minimised members keep their place.
    std::vector<WindowID> ids;
    ids.reserve(group.members.size());
    for (const GroupMember& member : group.members) {
        if (member.windowID != source && group.isUsable(member.windowID)) ids.push_back(member.windowID);
    }
    // Asked once the group is read: the handler may change the groups (and
    // end this one).
    if (isFanOutExempt) std::erase_if(ids, [this](WindowID id) { return isFanOutExempt(id); });
    return ids;
}

void GroupEngine::commitGroupFrame(const Rect& frame, WindowID fromWindowID, bool force) {
    commitFrame(frame, fromWindowID, force, [&](WindowID member) { windowSystem_->setFrame(frame, member); });
}

void GroupEngine::commitMaximizedFrame(const Rect& frame, WindowID fromWindowID, MaximizedAxes axes) {
    // Always fanned out: a maximise reaches every member, also one already at the frame.
    commitFrame(frame, fromWindowID, true, [&](WindowID member) { windowSystem_->setMaximized(axes, frame, member); });
}

void GroupEngine::setLocked(bool locked, const Uuid& groupID) {
    const auto i = index(groupID);
    if (!i || groups_[*i].isLocked == locked) return;
    groups_[*i].isLocked = locked;
    emitChanged(*i);
}

void GroupEngine::setName(const std::optional<std::string>& name, const Uuid& groupID) {
    const auto i = index(groupID);
    if (!i) return;
    std::optional<std::string> stored = storedGroupName(name);
    TabGroup& g = groups_[*i];
    if (canonicallyEqual(stored, g.name)) return;
    g.name = std::move(stored);
    emitChanged(*i);
}

void GroupEngine::updateTitle(const std::string& title, WindowID forWindowID) {
    const auto i = index(forWindowID);
    if (!i) return;
    TabGroup& g = groups_[*i];
    const auto member = g.memberPosition(forWindowID);
    if (member == g.members.end() || canonicallyEqual(member->lastKnownTitle, title)) return;
    member->lastKnownTitle = title;
    // With an override the shown title stays, but the stored one travels in the group.
    if (member->titleOverride) {
        emitChanged(*i);
    } else {
        publish(GroupEvent::memberTitleChanged(g.id, forWindowID, title));
    }
}

void GroupEngine::setMemberAccent(const std::optional<TabColor>& accent, WindowID forWindowID) {
    const auto i = index(forWindowID);
    if (!i) return;
    TabGroup& g = groups_[*i];
    const auto member = g.memberPosition(forWindowID);
    if (member == g.members.end() || member->accent == accent) return;
    member->accent = accent;
    emitChanged(*i);
}

void GroupEngine::setGroupAccent(const std::optional<TabColor>& accent, const Uuid& groupID) {
    const auto i = index(groupID);
    if (!i || groups_[*i].groupAccent == accent) return;
    groups_[*i].groupAccent = accent;
    emitChanged(*i);
}

}  // namespace tessaly
