// The state behind the colour field, the rule editor and the Tab Bar page's
// opacity and height controls.
#include <gtest/gtest.h>

#include "TessalyApp/AutoColorRuleEditorState.h"
#include "TessalyApp/ColorPaletteFieldState.h"
#include "TessalyApp/TabBarSettingsValues.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

using Scope = AutoColorRuleEditorState::AppScope;
using TM = MatchRule::TitleMatch;

TEST(ColorPaletteFieldStateTests, SwatchClicksRoundThroughTheTextAndKeepTheirMark) {
    ColorPaletteFieldState field(TabColor(0.04, 0.52, 1.0));
    EXPECT_EQ(field.hexText(), "#0A85FF");
    EXPECT_TRUE(field.isValid());

    const TabColor red(1.0, 0.27, 0.23);
    field.select(red);
    EXPECT_EQ(field.hexText(), "#FF453B");
    EXPECT_EQ(field.selection(), TabColor(1.0, 69 / 255.0, 59 / 255.0));
    EXPECT_EQ(field.customColor(), field.selection());
    // The selection is no longer exactly the swatch's colour, yet the swatch keeps its mark.
    EXPECT_NE(field.selection(), red);
    EXPECT_TRUE(field.isMarked(red));
    EXPECT_FALSE(field.isMarked(TabColor(1.0, 0.58, 0.0)));

    field.select(TabColor(1, 1, 1));
    EXPECT_EQ(field.hexText(), "#FFFFFF");
    EXPECT_EQ(field.selection(), TabColor(1, 1, 1));
}

TEST(ColorPaletteFieldStateTests, TypedTextIsKeptAsTypedAndBadTextKeepsTheLastColour) {
    ColorPaletteFieldState field(TabColor(0, 0, 0));
    for (const std::string text : {"#0A85FF", "0A85FF", "#0a85ff", "  #0A85FF "}) {
        field.setHexText(text);
        EXPECT_TRUE(field.isValid()) << text;
        EXPECT_EQ(field.hexText(), text);
        EXPECT_EQ(field.selection().hexString(), "#0A85FF");
    }
    field.setHexText("#0AF");
    EXPECT_EQ(field.selection().hexString(), "#00AAFF");
    // Selecting the colour the text already stands for leaves the text alone.
    field.select(field.selection());
    EXPECT_EQ(field.hexText(), "#0AF");
    for (const std::string text : {"#0A85F", "#GGGGGG", ""}) {
        field.setHexText(text);
        EXPECT_FALSE(field.isValid()) << text;
        EXPECT_EQ(field.selection().hexString(), "#00AAFF");
    }
    // A colour chosen by the sheet rewrites a bad text.
    field.select(TabColor(0.04, 0.52, 1.0));
    EXPECT_EQ(field.hexText(), "#0A85FF");
    EXPECT_TRUE(field.isValid());
}

TEST(AutoColorRuleEditorStateTests, ANewRuleNeedsAnAppOrATitle) {
    L10n::ScopedLanguageForTesting english(AppLanguage::english);
    AutoColorRuleEditorState state(std::nullopt, {{"Browser", "org.example.browser"}});
    EXPECT_EQ(state.scope(), Scope::all());
    EXPECT_EQ(state.color(), TabColor::defaultAccent);
    EXPECT_EQ(state.multipleCount(), std::nullopt);
    EXPECT_EQ(state.appRows(), (std::vector<AutoColorRuleEditorState::AppRow>{
                                   {Scope::app("org.example.browser"), "Browser"}}));
    EXPECT_FALSE(state.canSave());
    state.setTitlePattern("   ");
    EXPECT_FALSE(state.canSave());  // blanks trim away under "contains"
    state.setTitleMatch(TM::regex);
    EXPECT_EQ(state.placeholder(), L10n::regexPlaceholder());
    EXPECT_TRUE(state.canSave());  // but a regular expression keeps them
    state.setTitlePattern("(");
    EXPECT_TRUE(state.patternIsInvalid());
    EXPECT_FALSE(state.canSave());
    state.setTitlePattern(std::string(100000, 'a'));  // compiles, but longer than the matcher takes
    EXPECT_TRUE(state.patternIsInvalid());
    state.setTitleMatch(TM::contains);
    EXPECT_FALSE(state.patternIsInvalid());
    EXPECT_TRUE(state.canSave());
    state.setColorValid(false);
    EXPECT_FALSE(state.canSave());
    state.setColorValid(true);
    state.setTitlePattern("");
    state.setScope(Scope::app("org.example.browser"));
    EXPECT_TRUE(state.canSave());
    EXPECT_EQ(state.selectedBundleIDs(), std::set<std::string>{"org.example.browser"});
}

TEST(AutoColorRuleEditorStateTests, EditingKeepsTheRulesAppsSelectable) {
    const AutoColorRule notRunning(Uuid::random(), {"org.example.gone"}, std::nullopt, TM::regex, TabColor(1, 0, 0));
    AutoColorRuleEditorState single(notRunning, {{"Browser", "org.example.browser"}});
    EXPECT_EQ(single.scope(), Scope::app("org.example.gone"));
    EXPECT_EQ(single.titlePattern(), "");
    EXPECT_EQ(single.appRows().back(), (AutoColorRuleEditorState::AppRow{Scope::app("org.example.gone"), "org.example.gone"}));
    AutoColorRuleEditorState running(notRunning, {{"Gone", "org.example.gone"}});
    EXPECT_EQ(running.appRows().size(), 1u);

    const AutoColorRule three(Uuid::random(), {"a", "b", "c"}, "x", TM::contains, TabColor());
    AutoColorRuleEditorState multiple(three, {});
    EXPECT_EQ(multiple.scope(), Scope::multiple());
    EXPECT_EQ(multiple.multipleCount(), 3u);
    EXPECT_EQ(multiple.selectedBundleIDs(), (std::set<std::string>{"a", "b", "c"}));
    multiple.setScope(Scope::all());
    EXPECT_TRUE(multiple.selectedBundleIDs().empty());
    EXPECT_EQ(multiple.multipleCount(), 3u);  // still offered for the life of the sheet
}

TEST(TabBarSettingsValuesTests, TextsAndStepsOfOpacityAndHeight) {
    L10n::ScopedLanguageForTesting english(AppLanguage::english);
    using namespace TabBarSettingsValues;
    EXPECT_EQ(opacityText(0.85), L10n::tabBarOpacity() + ": 85%");
    EXPECT_EQ(opacityText(0.3), L10n::tabBarOpacity() + ": 30%");
    EXPECT_EQ(opacityText(0.005), L10n::tabBarOpacity() + ": 1%");  // halves away from zero
    EXPECT_EQ(heightText(29.6), L10n::tabBarHeight() + ": 29\u00A0px");
    EXPECT_EQ(heightStepDown(29.6), 28.6);
    EXPECT_EQ(heightStepDown(20.5), 20);
    EXPECT_TRUE(canResetHeight(29.6));
    EXPECT_FALSE(canResetHeight(30));
    EXPECT_FALSE(canStepDown(20));
    EXPECT_TRUE(canStepUp(20));
    EXPECT_FALSE(canStepUp(48));
    EXPECT_EQ(heightStepUp(47.5), 48);
    EXPECT_EQ(opacitySliderMinimum(), 6);
    EXPECT_EQ(opacitySliderMaximum(), 20);
    EXPECT_EQ(opacitySliderPosition(0.85), 17);
    EXPECT_DOUBLE_EQ(opacityForSliderPosition(17), 0.85);
    EXPECT_EQ(opacityForSliderPosition(2), 0.3);
}

}  // namespace
}  // namespace tessaly
