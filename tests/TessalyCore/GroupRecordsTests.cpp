#include <gtest/gtest.h>

#include "TessalyCore/GroupEvent.h"
#include "TessalyCore/TabGroup.h"
#include "TessalyCore/UnicodeText.h"

namespace tessaly {
namespace {

std::vector<GroupMember> membersOf(std::initializer_list<WindowID> ids) {
    std::vector<GroupMember> members;
    for (const WindowID id : ids) members.emplace_back(id, 1, "t");
    return members;
}

const Uuid groupID = *Uuid::fromString("6F9619FF-8B86-D011-B42D-00C04FC964FF");

TEST(GroupRecordsTests, NewGroupPutsTheActiveWindowFirstInMru) {
    const TabGroup g(groupID, membersOf({7, 3, 9}), 9, Rect(0, 0, 10, 10));
    EXPECT_EQ(g.mru, (std::vector<WindowID>{9, 7, 3}));
    EXPECT_TRUE(g.minimized.empty());
    EXPECT_TRUE(g.suspended.empty());
    EXPECT_TRUE(g.missingSweeps.empty());
    EXPECT_FALSE(g.isLocked);
    EXPECT_FALSE(g.name.has_value());
    EXPECT_FALSE(g.groupAccent.has_value());

    const TabGroup faulty(groupID, membersOf({7, 3}), 5, Rect());
    EXPECT_EQ(faulty.mru, (std::vector<WindowID>{5, 7, 3}));
}

TEST(GroupRecordsTests, MemberLookupAndWindowIDs) {
    const TabGroup g(groupID, membersOf({4, 8}), 4, Rect());
    EXPECT_FALSE(g.member(5).has_value());
    EXPECT_EQ(g.member(8)->windowID, 8u);
    EXPECT_EQ(g.windowIDs(), (std::vector<WindowID>{4, 8}));
}

TEST(GroupRecordsTests, FullyMinimizedNeedsOneMinimisedMemberAndNoUsableOne) {
    TabGroup g(groupID, membersOf({1, 2}), 1, Rect());
    g.minimized = {1, 2};
    EXPECT_TRUE(g.isFullyMinimized());
    g.minimized = {1};
    g.suspended = {2};
    EXPECT_TRUE(g.isFullyMinimized());
    g.minimized = {};
    g.suspended = {1, 2};
    EXPECT_FALSE(g.isFullyMinimized());
    g.minimized = {1};
    g.suspended = {};
    EXPECT_FALSE(g.isFullyMinimized());
}

TEST(GroupRecordsTests, GroupEqualityLooksAtEveryField) {
    const TabGroup base(groupID, membersOf({1, 2, 3}), 1, Rect(0, 0, 10, 10));
    TabGroup other = base;
    EXPECT_EQ(base, other);
    other.mru = {1, 3, 2};
    EXPECT_NE(base, other);
    other = base;
    other.missingSweeps[2] = 1;
    TabGroup another = base;
    another.missingSweeps[2] = 2;
    EXPECT_NE(other, another);
    other = base;
    other.groupAccent = TabColor(1, 0, 0);
    EXPECT_NE(base, other);
    other = base;
    other.frame = Rect(0, 0, 10, 11);
    EXPECT_NE(base, other);
}

TEST(GroupRecordsTests, TitlesCompareByCanonicalEquivalence) {
    const GroupMember composed(1, 1, "Caf\u00E9");
    const GroupMember decomposed(1, 1, "Cafe\u0301");
    EXPECT_EQ(composed, decomposed);
    EXPECT_NE(composed, GroupMember(1, 1, "Cafe"));
    EXPECT_NE(composed, GroupMember(1, 1, "Caf\u00E9", std::string("x")));
    EXPECT_EQ(GroupMember(1, 1, "a", std::string("R\u00E9sum\u00E9")), GroupMember(1, 1, "a", std::string("Re\u0301sume\u0301")));
    EXPECT_NE(GroupMember(1, 1, "a", std::nullopt, TabColor(1, 0, 0)), GroupMember(1, 1, "a"));
    // Ill-formed bytes never make two different titles equal.
    EXPECT_NE(GroupMember(1, 1, "Doc \xFF"), GroupMember(1, 1, "Doc \xFE"));
    EXPECT_NE(GroupMember(1, 1, "Doc \xFF"), GroupMember(1, 1, "Doc \uFFFD"));
    EXPECT_EQ(GroupMember(1, 1, "Doc \xFF"), GroupMember(1, 1, "Doc \xFF"));
}

TEST(GroupRecordsTests, EventsEqualBySameCaseAndPayload) {
    const TabGroup g(groupID, membersOf({1, 2}), 1, Rect());
    EXPECT_EQ(GroupEvent::groupChanged(g), GroupEvent::groupChanged(g));
    EXPECT_NE(GroupEvent::groupChanged(g), GroupEvent::groupCreated(g));
    EXPECT_NE(GroupEvent::groupDissolved(groupID), GroupEvent::groupChanged(g));
    EXPECT_EQ(GroupEvent::memberTitleChanged(groupID, 1, "Caf\u00E9"),
              GroupEvent::memberTitleChanged(groupID, 1, "Cafe\u0301"));
    EXPECT_NE(GroupEvent::memberTitleChanged(groupID, 1, "a"), GroupEvent::memberTitleChanged(groupID, 2, "a"));
    EXPECT_EQ(GroupEvent::groupDissolved(groupID).kind(), GroupEvent::Kind::groupDissolved);
    EXPECT_EQ(GroupEvent::groupCreated(g).group()->id, groupID);
    EXPECT_EQ(GroupEvent::memberTitleChanged(groupID, 1, "a").groupID(), groupID);
}

TEST(GroupRecordsTests, TrimmingUsesUnicodeWhitespaceAndNewlines) {
    EXPECT_EQ(trimmingWhitespaceAndNewlines(" \t\n Work \u00A0\u2029\u0085"), "Work");
    EXPECT_EQ(trimmingWhitespaceAndNewlines("\u3000 a b \r\n"), "a b");
    EXPECT_EQ(trimmingWhitespaceAndNewlines("   "), "");
    // A zero-width space is not white space in that set.
    EXPECT_EQ(trimmingWhitespaceAndNewlines("\u200Bx"), "\u200Bx");
}

}  // namespace
}  // namespace tessaly
