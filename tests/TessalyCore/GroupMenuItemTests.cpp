#include "TessalyCore/GroupMenuItem.h"

#include "TessalyCore/DisplayText.h"
#include "TessalyCore/L10n.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tessaly {
namespace {

std::string repeated(std::string_view piece, std::size_t times) {
    std::string s;
    for (std::size_t i = 0; i < times; ++i) s += piece;
    return s;
}

TabGroup makeGroup(const std::string& activeTitle, std::optional<std::string> override = std::nullopt) {
    return TabGroup(Uuid::random(),
                    {GroupMember(11, 100, "Other window"), GroupMember(12, 200, activeTitle, std::move(override))}, 12,
                    Rect(0, 0, 800, 600));
}

GroupMenuItem::AppNameProvider names(std::map<ProcessID, std::string> table) {
    return [table = std::move(table)](ProcessID pid) -> std::optional<std::string> {
        const auto it = table.find(pid);
        if (it == table.end()) return std::nullopt;
        return it->second;
    };
}

class GroupMenuItemTest : public ::testing::Test {
protected:
    L10n::ScopedLanguageForTesting english{AppLanguage::english};
};

TEST_F(GroupMenuItemTest, NamedGroupShowsNameCappedAtFiftyWithoutPrefix) {
    TabGroup group = makeGroup("Inbox");
    group.name = repeated("\u00E9", 50);  // precomposed: one character, two bytes
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, "Mail"}})), repeated("\u00E9", 50));

    group.name = repeated("n", 51);
    const std::string title = GroupMenuItem::displayTitle(group, names({{200, "Mail"}}));
    EXPECT_EQ(title, repeated("n", 49) + "\u2026");
    EXPECT_EQ(DisplayText::characterCount(title), 50u);

    group.name = "  Work\tstuff ";
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({})), "Work stuff");
}

TEST_F(GroupMenuItemTest, BlankNameFallsBackToActiveTitle) {
    TabGroup group = makeGroup("Inbox");
    group.name = "  \u0007 \u200B ";
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, "Mail"}})), "Active: Mail - Inbox");
}

TEST_F(GroupMenuItemTest, ApplicationNameCapAndTitleBudget) {
    const std::string app27 = repeated("a", 27);
    const std::string app28 = repeated("b", 28);
    TabGroup group = makeGroup(repeated("t", 20));
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, app27}})),
              "Active: " + app27 + " - " + repeated("t", 20));

    group = makeGroup(repeated("t", 21));
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, app27}})),
              "Active: " + app27 + " - " + repeated("t", 19) + "\u2026");
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, app28}})),
              "Active: " + repeated("b", 26) + "\u2026 - " + repeated("t", 19) + "\u2026");
}

TEST_F(GroupMenuItemTest, ShortApplicationNameLeavesFortyTwoForTitle) {
    TabGroup group = makeGroup(repeated("x", 42));
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, "Notes"}})), "Active: Notes - " + repeated("x", 42));
    group = makeGroup(repeated("x", 43));
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, "Notes"}})),
              "Active: Notes - " + repeated("x", 41) + "\u2026");
}

TEST_F(GroupMenuItemTest, EmptyTitleIsUntitledInDisplayLanguage) {
    TabGroup group = makeGroup(" \n ");
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, "Mail"}})), "Active: Mail - (Untitled)");

    L10n::ScopedLanguageForTesting japanese(AppLanguage::japanese);
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({})), "アクティブ: (無題)");
    L10n::ScopedLanguageForTesting chinese(AppLanguage::traditionalChinese);
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({})), "目前：（未命名）");
}

TEST_F(GroupMenuItemTest, OverrideWinsOverWindowTitle) {
    const TabGroup group = makeGroup("Window title", std::string("My tab"));
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, " Mail\u200B "}})), "Active: Mail - My tab");
}

TEST_F(GroupMenuItemTest, QuitApplicationShowsTitleAloneCappedAtFifty) {
    TabGroup group = makeGroup(repeated("q", 50));
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({})), "Active: " + repeated("q", 50));
    group = makeGroup(repeated("q", 51));
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({})), "Active: " + repeated("q", 49) + "\u2026");
    EXPECT_EQ(GroupMenuItem::displayTitle(group, {}), "Active: " + repeated("q", 49) + "\u2026");
    // A name that sanitises to nothing counts as no name.
    EXPECT_EQ(GroupMenuItem::displayTitle(makeGroup("Doc"), names({{200, "\t"}})), "Active: Doc");
}

TEST_F(GroupMenuItemTest, MissingActiveMemberShowsUntitledWithoutApplication) {
    TabGroup group = makeGroup("Doc");
    group.activeWindowID = 999;
    EXPECT_EQ(GroupMenuItem::displayTitle(group, names({{200, "Mail"}, {100, "Other"}})), "Active: (Untitled)");
}

TEST_F(GroupMenuItemTest, FromKeepsOrderIdsAndCounts) {
    EXPECT_TRUE(GroupMenuItem::from({}, names({})).empty());

    TabGroup first = makeGroup("One");
    TabGroup second = makeGroup("Two");
    second.members.push_back(GroupMember(13, 300, "Three"));
    second.name = "Named";
    const auto items = GroupMenuItem::from({first, second}, names({{200, "App"}}));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], (GroupMenuItem{first.id, "Active: App - One", 2}));
    EXPECT_EQ(items[1], (GroupMenuItem{second.id, "Named", 3}));
}

}  // namespace
}  // namespace tessaly
