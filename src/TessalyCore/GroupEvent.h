#pragma once
// What the group engine reports after each change.
#include <ostream>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "Platform/Types.h"
#include "Platform/Uuid.h"
#include "TessalyCore/TabGroup.h"

namespace tessaly {

struct GroupEvent {
    enum class Kind { groupCreated, groupChanged, groupDissolved, memberTitleChanged };

    // A group came into being (grouping two windows, adopting a restored group).
    struct GroupCreated {
        TabGroup group;
        friend bool operator==(const GroupCreated&, const GroupCreated&) = default;
    };
    // Any change of a live group; carries the group after the change.
    struct GroupChanged {
        TabGroup group;
        friend bool operator==(const GroupChanged&, const GroupChanged&) = default;
    };
    // The group left the model.
    struct GroupDissolved {
        Uuid groupID;
        friend bool operator==(const GroupDissolved&, const GroupDissolved&) = default;
    };
    // A member without a title override has a new last known title; nothing else changed.
    struct MemberTitleChanged {
        Uuid groupID;
        WindowID windowID = 0;
        std::string title;
        friend bool operator==(const MemberTitleChanged& a, const MemberTitleChanged& b) {
            return a.groupID == b.groupID && a.windowID == b.windowID && canonicallyEqual(a.title, b.title);
        }
    };

    using Payload = std::variant<GroupCreated, GroupChanged, GroupDissolved, MemberTitleChanged>;
    Payload payload;

    static GroupEvent groupCreated(TabGroup group) { return {GroupCreated{std::move(group)}}; }
    static GroupEvent groupChanged(TabGroup group) { return {GroupChanged{std::move(group)}}; }
    static GroupEvent groupDissolved(const Uuid& groupID) { return {GroupDissolved{groupID}}; }
    static GroupEvent memberTitleChanged(const Uuid& groupID, WindowID windowID, std::string title) {
        return {MemberTitleChanged{groupID, windowID, std::move(title)}};
    }

    Kind kind() const { return static_cast<Kind>(payload.index()); }
    // The group carried by groupCreated and groupChanged; null otherwise.
    const TabGroup* group() const {
        if (const auto* created = std::get_if<GroupCreated>(&payload)) return &created->group;
        if (const auto* changed = std::get_if<GroupChanged>(&payload)) return &changed->group;
        return nullptr;
    }
    // The id of the group the event is about, whatever the case.
    Uuid groupID() const {
        return std::visit(
            [](const auto& value) -> Uuid {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, GroupDissolved> || std::is_same_v<T, MemberTitleChanged>)
                    return value.groupID;
                else
                    return value.group.id;
            },
            payload);
    }

    // Same case and equal payloads.
    friend bool operator==(const GroupEvent&, const GroupEvent&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const GroupEvent& event) {
    std::visit(
        [&os](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, GroupEvent::GroupCreated>)
                os << "groupCreated(" << value.group << ")";
            else if constexpr (std::is_same_v<T, GroupEvent::GroupChanged>)
                os << "groupChanged(" << value.group << ")";
            else if constexpr (std::is_same_v<T, GroupEvent::GroupDissolved>)
                os << "groupDissolved(" << value.groupID << ")";
            else
                os << "memberTitleChanged(" << value.groupID << ", " << value.windowID << ", \"" << value.title
                   << "\")";
        },
        event.payload);
    return os;
}

}  // namespace tessaly
