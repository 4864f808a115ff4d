// Menu models, palettes and accents of the bars.
#include "OverlayUI/BarPalette.h"
#include "OverlayUI/GroupContextMenu.h"
#include "OverlayUI/GroupNameDialog.h"
#include "OverlayUI/TabAccents.h"
#include "OverlayUI/TabContextMenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

std::vector<std::string> titles(const std::vector<MenuItem>& items) {
    std::vector<std::string> out;
    for (const MenuItem& item : items) out.push_back(item.kind == MenuItem::Kind::separator ? "-" : item.title);
    return out;
}

class OverlayMenusTest : public testing::Test {
protected:
    L10n::ScopedLanguageForTesting english{AppLanguage::english};
};

TEST_F(OverlayMenusTest, TheAccentMenuChecksTheExactColourAndOffersClearOnlyWithOne) {
    std::vector<std::optional<TabColor>> set;
    int custom = 0;
    const MenuModel blue = AccentMenu::make(TabColor(0.04, 0.52, 1.0), {}, [&](auto c) { set.push_back(c); },
                                            [&] { ++custom; });
    EXPECT_EQ(titles(blue.items), (std::vector<std::string>{"Red", "Orange", "Yellow", "Green", "Blue", "Purple",
                                                            "White", "Black", "-", "Custom Color…",
                                                            "None (clear color)"}));
    ASSERT_TRUE(blue.find("Blue"));
    EXPECT_TRUE(blue.find("Blue")->checked);
    EXPECT_EQ(blue.find("Blue")->swatch, TabColor(0.04, 0.52, 1.0));
    EXPECT_FALSE(blue.find("Red")->checked);
    EXPECT_TRUE(blue.find("None (clear color)")->enabled);
    blue.find("Red")->invoke();
    blue.find("None (clear color)")->invoke();
    blue.find("Custom Color…")->invoke();
    EXPECT_EQ(set, (std::vector<std::optional<TabColor>>{TabColor(1.0, 0.27, 0.23), std::nullopt}));
    EXPECT_EQ(custom, 1);

    const ColorPreset mine(Uuid::random(), "Mine & Yours", TabColor(0.04, 0.52, 0.999));
    int rules = 0;
    const MenuModel none = AccentMenu::make(std::nullopt, {mine}, [](auto) {}, [] {}, [&] { ++rules; });
    EXPECT_EQ(titles(none.items).size(), 15u);
    EXPECT_EQ(titles(none.items)[8], "-");
    EXPECT_EQ(titles(none.items)[9], "Mine & Yours");
    EXPECT_EQ(titles(none.items).back(), "Auto-Color Rules…");
    const MenuItem* clear = none.find("None (clear color)");
    EXPECT_FALSE(clear->enabled);
    clear->invoke();  // disabled items do nothing
    none.find("Auto-Color Rules…")->invoke();
    EXPECT_EQ(rules, 1);
    for (const MenuItem& item : none.items) EXPECT_FALSE(item.checked);
}

TEST_F(OverlayMenusTest, TheGroupSectionFollowsLockNameAndDisplays) {
    std::vector<std::string> calls;
    GroupContextMenu group;
    group.isLocked = true;
    group.hasGroupName = true;
    group.onUngroup = [&] { calls.push_back("ungroup"); };
    group.onToggleLock = [&] { calls.push_back("lock"); };
    group.onMoveToDisplay = [&](int i) { calls.push_back("display " + std::to_string(i)); };
    MenuModel locked;
    appendGroupScopeItems(locked, group);
    EXPECT_EQ(titles(locked.items),
              (std::vector<std::string>{"Rename Group…", "Group Color", "-", "Unlock Group", "-", "Dissolve Group",
                                        "Close All Windows in the Group", "-", "Settings…"}));
    EXPECT_FALSE(locked.find("Dissolve Group")->enabled);
    EXPECT_FALSE(locked.find("Close All Windows in the Group")->enabled);
    EXPECT_EQ(locked.find("Group Color")->submenu.back().title, "None (clear color)");  // no rules item here
    locked.find("Dissolve Group")->invoke();
    locked.find("Unlock Group")->invoke();
    locked.find("Settings…")->invoke();  // no callback given: nothing
    EXPECT_EQ(calls, (std::vector<std::string>{"lock"}));

    group.isLocked = false;
    group.hasGroupName = false;
    group.displayMoveTargets = {{0, "Left", true}, {1, "Right", false}};
    MenuModel open;
    appendGroupScopeItems(open, group);
    EXPECT_EQ(titles(open.items)[0], "Name Group…");
    const MenuItem* move = open.find("Move to Display");
    ASSERT_TRUE(move);
    ASSERT_EQ(move->submenu.size(), 2u);
    EXPECT_TRUE(move->submenu[0].checked);
    EXPECT_FALSE(move->submenu[0].enabled);
    EXPECT_TRUE(move->submenu[1].enabled);
    move->submenu[1].invoke();
    open.find("Dissolve Group")->invoke();
    EXPECT_EQ(calls, (std::vector<std::string>{"lock", "display 1", "ungroup"}));
}

TEST_F(OverlayMenusTest, ATabsMenuAsksForSameAppWindowsOnlyWhenUnlocked) {
    int asked = 0;
    TabContextMenu tab;
    tab.hasSameAppCandidates = [&] {
        ++asked;
        return true;
    };
    tab.onOpenAutoColorRules = [] {};
    tab.group.isLocked = true;
    const MenuModel locked = tab.make();
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(locked.find("Group All Windows of This App")->enabled);
    EXPECT_EQ(titles(locked.items)[0], "Pop Tab Out");
    EXPECT_EQ(locked.find("Tab Color")->submenu.back().title, "Auto-Color Rules…");

    tab.group.isLocked = false;
    EXPECT_TRUE(tab.make().find("Group All Windows of This App")->enabled);
    EXPECT_EQ(asked, 1);
}

TEST_F(OverlayMenusTest, PalettesAndTints) {
    EXPECT_EQ(&BarPalette::forAppearance(AppearanceMode::system, true), &BarPalette::dark);
    EXPECT_EQ(&BarPalette::forAppearance(AppearanceMode::system, false), &BarPalette::light);
    EXPECT_EQ(&BarPalette::forAppearance(AppearanceMode::light, true), &BarPalette::light);
    EXPECT_EQ(&BarPalette::forAppearance(AppearanceMode::dark, false), &BarPalette::dark);

    const BarColor base{0.16, 0.16, 0.16, 0.5};
    const BarColor tinted = TabAccents::tintedBar(TabColor(1, 0, 0), base, 0.16);
    EXPECT_NEAR(tinted.red, 0.2944, 1e-12);
    EXPECT_NEAR(tinted.green, 0.1344, 1e-12);
    EXPECT_EQ(tinted.alpha, 1.0);
    EXPECT_EQ(TabAccents::tintedBar(TabColor(1, 0, 0), base, 2), (BarColor{1, 0, 0, 1}));
    EXPECT_EQ(TabAccents::tintedBar(TabColor(1, 0, 0), base, -1), (BarColor{0.16, 0.16, 0.16, 1}));

    EXPECT_EQ(TabAccents::barFill(BarPalette::dark, std::nullopt, 0.4), BarColor::white(0.16, 0.4));
    EXPECT_EQ(TabAccents::barFill(BarPalette::dark, TabColor(1, 0, 0), 0.4).alpha, 0.4);

    const auto& presets = TabAccents::builtInColorPresets();
    ASSERT_EQ(presets.size(), 8u);
    EXPECT_EQ(&presets, &TabAccents::builtInColorPresets());  // built once
    EXPECT_NE(presets[0].id, presets[1].id);
}

TEST_F(OverlayMenusTest, TheNameDialogsOutcome) {
    EXPECT_EQ(GroupNameEditOutcome::resolve("  Work \n", true), GroupNameEditOutcome::named("Work"));
    EXPECT_EQ(GroupNameEditOutcome::resolve(" \t\n", true), GroupNameEditOutcome::cleared());
    EXPECT_EQ(GroupNameEditOutcome::resolve("Changed", false), GroupNameEditOutcome::cancelled());
}

}  // namespace
}  // namespace tessaly
