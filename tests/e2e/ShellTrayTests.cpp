// The status item on a real desktop: the program's icon in an XEmbed tray,
// its menu with the status line and one row per group, a row that brings
// its group forward, and Quit.
#include "ShellTest.h"

namespace tessaly::e2e {
namespace {

class ShellTrayTest : public ShellTest {};

TEST_F(ShellTrayTest, TheTrayMenuListsTheGroupsBringsOneForwardAndQuitsWithoutAHandoff) {
    ASSERT_TRUE(startTray()) << "the tray did not start";
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ASSERT_TRUE(startShell());
    EXPECT_EQ(log().find("no system tray found"), std::string::npos) << "the program did not see the tray";

    const auto first = groupedXterms("tray-a", 120);
    ASSERT_TRUE(first);
    const auto second = groupedXterms("tray-b", 520);
    ASSERT_TRUE(second);
    ASSERT_TRUE(user->focus(second->active));

    // The status line, the header and one row per group.
    auto rows = openStatusMenu();
    ASSERT_FALSE(rows.empty());
    ASSERT_EQ(rows.front().name, "Running") << names(rows);
    std::vector<Accessible> groupRows;
    for (const auto& r : rows) {
        if (r.name.find(" tabs | ") != std::string::npos) groupRows.push_back(r);
    }
    EXPECT_TRUE(row(rows, "Groups")) << names(rows);
    ASSERT_EQ(groupRows.size(), 2u) << names(rows);
    EXPECT_TRUE(row(rows, "Quit Tessaly")) << names(rows);

    // Choosing a row brings that group's active window forward. Which row
    // is which group: the one that is not in front already.
    const auto shownBefore = desktop->windows().activeWindow();
    user->click(groupRows.front().center());
    ASSERT_TRUE(user->waitUntil([&] {
        const auto active = desktop->windows().activeWindow();
        return active != shownBefore && (active == first->active || active == second->active);
    })) << "choosing a group row brought no group forward";
    const auto chosen = desktop->windows().activeWindow() == first->active ? *first : *second;
    EXPECT_TRUE(user->waitForBarAbove(chosen.active));
    EXPECT_TRUE(user->shareFrame(chosen.active, chosen.inactive));
    // The other row brings the other group back.
    rows = openStatusMenu();
    groupRows.clear();
    for (const auto& r : rows) {
        if (r.name.find(" tabs | ") != std::string::npos) groupRows.push_back(r);
    }
    ASSERT_EQ(groupRows.size(), 2u) << names(rows);
    user->click(groupRows.back().center());
    const auto other = chosen.active == first->active ? *second : *first;
    EXPECT_TRUE(user->waitUntil([&] { return desktop->windows().activeWindow() == other.active; }))
        << "the second row did not bring the other group forward";

    // Quit: the process ends on its own, the bars go, no handoff is left.
    rows = openStatusMenu();
    const auto quit = row(rows, "Quit Tessaly");
    ASSERT_TRUE(quit) << names(rows);
    user->click(quit->center());
    const auto status = firstLaunch().waitForExit(test::kX11Patience);
    ASSERT_TRUE(status) << "still running after Quit";
    EXPECT_TRUE(status->exited && status->code == 0) << status->describe();
    EXPECT_TRUE(user->waitForNoBars());
    EXPECT_FALSE(std::filesystem::exists(handoffFile()));
    EXPECT_EQ(leftovers(), std::vector<std::filesystem::path>{});
}

}  // namespace
}  // namespace tessaly::e2e
