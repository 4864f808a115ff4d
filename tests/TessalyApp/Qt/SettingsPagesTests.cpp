// The settings pages and editor sheets, offscreen: what each control does to
// the model and which controls are on or off.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QExposeEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

#include "Platform/Sim/SimEnvironment.h"
#include "Platform/UserDefaults.h"
#include "TessalyApp/Qt/AutoColorRuleEditor.h"
#include "TessalyApp/Qt/ColorPaletteField.h"
#include "TessalyApp/Qt/ColorPresetEditor.h"
#include "TessalyApp/Qt/ColorsSettingsTab.h"
#include "TessalyApp/Qt/GeneralSettingsTab.h"
#include "TessalyApp/Qt/GroupDemoAnimation.h"
#include "TessalyApp/Qt/GroupingSettingsTab.h"
#include "TessalyApp/Qt/HowToSettingsTab.h"
#include "TessalyApp/Qt/SettingsColorPanel.h"
#include "TessalyApp/Qt/SettingsView.h"
#include "TessalyApp/Qt/TabBarSettingsTab.h"
#include "TessalyApp/Qt/TabColorEditor.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

using Keys = SettingsStore::Keys;

class SettingsPagesTest : public ::testing::Test {
protected:
    SettingsPagesTest() {
        environment.workspace = sim.desktop;
        environment.canLaunchAtLogin = true;
        environment.isLoginItemEnabled = [this] { return loginItem; };
        environment.setLoginItemEnabled = [this](bool) { return false; };  // registration fails
        environment.systemLanguage = [] { return AppLanguage(AppLanguage::english); };
    }
    SettingsModel& makeModel() {
        model = std::make_unique<SettingsModel>(store, environment);
        return *model;
    }
    // Lets deferred deletions and posted work run.
    static void settle() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    SimAppSpec app(ProcessID pid, std::string bundleID, std::string name) {
        SimAppSpec spec;
        spec.pid = pid;
        spec.bundleID = std::move(bundleID);
        spec.name = std::move(name);
        return spec;
    }

    L10n::ScopedLanguageForTesting english{AppLanguage::english};
    SimEnvironment sim;
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    SettingsStore store{defaults};
    SettingsModelEnvironment environment;
    bool loginItem = false;
    std::unique_ptr<SettingsModel> model;
    SettingsColorPanel panel;
};

TEST_F(SettingsPagesTest, TabBarHeightStepsStayInRangeAndResetOnlyWhenItChangesSomething) {
    defaults->setDouble(29.6, Keys::tabBarHeight);
    TabBarSettingsTab page(makeModel(), &panel);
    EXPECT_EQ(page.heightLabel().text().toStdString(), L10n::tabBarHeight() + ": 29\u00A0px");
    EXPECT_TRUE(page.heightResetButton().isEnabled());
    page.heightMinusButton().click();
    EXPECT_DOUBLE_EQ(store.tabBarHeight(), 28.6);
    page.heightResetButton().click();
    EXPECT_EQ(store.tabBarHeight(), 30);
    EXPECT_FALSE(page.heightResetButton().isEnabled());
    model->setTabBarHeight(20);
    EXPECT_FALSE(page.heightMinusButton().isEnabled());
    EXPECT_TRUE(page.heightPlusButton().isEnabled());
    model->setTabBarHeight(48);
    EXPECT_TRUE(page.heightMinusButton().isEnabled());
    EXPECT_FALSE(page.heightPlusButton().isEnabled());

    page.opacitySlider().setValue(17);
    EXPECT_DOUBLE_EQ(store.tabBarOpacity(), 0.85);
    EXPECT_EQ(page.opacityLabel().text().toStdString(), L10n::tabBarOpacity() + ": 85%");
    EXPECT_EQ(page.opacitySlider().minimum(), 6);
    page.appearanceButton(AppearanceMode::dark).click();
    EXPECT_EQ(store.appearanceMode(), AppearanceMode::dark);

    // While another program holds a tab-cycle hotkey, the page says so.
    EXPECT_TRUE(page.hotkeysTakenHint().isHidden());
    model->setHotkeysTaken(true);
    EXPECT_FALSE(page.hotkeysTakenHint().isHidden());
}

TEST_F(SettingsPagesTest, PagesNameTheTabKeysAndTheGroupingKeyInForce) {
    SettingsView view(makeModel(), &panel);
    model->setSelectedCategory(SettingsCategory::howTo);
    auto* howTo = dynamic_cast<HowToSettingsTab*>(view.currentPage());
    ASSERT_NE(howTo, nullptr);
    EXPECT_EQ(howTo->switchBody().text().toStdString(), "Click a tab in the tab bar. Ctrl+Alt+←/→ switches tabs too.");
    EXPECT_EQ(howTo->createBody().text().toStdString(),
              "Hold Shift and drag a window onto another; drop it when the preview appears.");
    // Where the window manager takes Shift-drags, the page teaches Control.
    model->setGroupingModifier(GroupingModifier::choose(ModifierGate::shift, false, true));
    EXPECT_EQ(howTo->createBody().text().toStdString(),
              "Hold Ctrl and drag a window onto another; drop it when the preview appears.");
    EXPECT_EQ(GroupDemoAnimation::keycapText(model->modifierGate()).toStdString(), "Ctrl");
    model->setGroupingModifier(GroupingModifier::choose(ModifierGate::shift, false, false));
    EXPECT_EQ(howTo->createBody().text().toStdString(),
              "Hold Shift and drag a window onto another; drop it when the preview appears.");
    // The session registers a fallback while the page is up (a first start
    // shows this page before the session runs).
    model->setFallbackTabHotkeys(TabCycleHotkeys::fallbacks[0]);
    EXPECT_EQ(howTo->switchBody().text().toStdString(),
              "Click a tab in the tab bar. Ctrl+Alt+Page Up/Page Down switches tabs too.");

    TabBarSettingsTab tabBar(*model, &panel);
    EXPECT_EQ(tabBar.nextTabRow().recordButton().text().toStdString(), "Ctrl+Alt+Page Down");
    EXPECT_EQ(tabBar.prevTabRow().recordButton().text().toStdString(), "Ctrl+Alt+Page Up");
    model->setFallbackTabHotkeys(std::nullopt);
    EXPECT_EQ(tabBar.nextTabRow().recordButton().text().toStdString(), "Ctrl+Alt+→");
}

TEST_F(SettingsPagesTest, TheBadgeColourOpensOnlyWithBadgesOnAndSavesThroughTheSheet) {
    TabBarSettingsTab page(makeModel(), &panel);
    EXPECT_FALSE(page.badgeColorButton().isEnabled());
    page.badgesToggle().click();
    EXPECT_TRUE(store.showTabBadges());
    ASSERT_TRUE(page.badgeColorButton().isEnabled());
    page.badgeColorButton().click();
    TabColorEditor* editor = page.badgeColorEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->resetButton().isEnabled());  // the badge colour is the default
    editor->field().hexField().setText("#FF0000");
    emit editor->field().hexField().textEdited("#FF0000");
    EXPECT_TRUE(editor->resetButton().isEnabled());
    EXPECT_EQ(store.tabBadgeColor(), TabColor::defaultBadge);  // nothing before Save
    editor->confirmButton().click();
    EXPECT_EQ(store.tabBadgeColor(), TabColor(1, 0, 0));
    settle();
    EXPECT_EQ(page.badgeColorEditor(), nullptr);
}

TEST_F(SettingsPagesTest, TabColorEditorResetBringsAFreshValidField) {
    TabColor saved;
    TabColorEditor editor("Badge", TabColor(1, 0, 0), TabColor::defaultBadge, {}, &panel,
                          [&](const TabColor& color) { saved = color; }, nullptr);
    editor.show();
    editor.field().hexField().setText("#12");
    emit editor.field().hexField().textEdited("#12");
    EXPECT_FALSE(editor.confirmButton().isEnabled());
    EXPECT_EQ(editor.color(), TabColor(1, 0, 0));
    editor.resetButton().click();
    EXPECT_EQ(editor.color(), TabColor::defaultBadge);
    EXPECT_EQ(editor.field().hexField().text().toStdString(), "#0A85FF");
    EXPECT_TRUE(editor.confirmButton().isEnabled());
    EXPECT_FALSE(editor.resetButton().isEnabled());
    editor.confirmButton().click();
    EXPECT_EQ(saved, TabColor::defaultBadge);
}

TEST_F(SettingsPagesTest, GroupingShowsTheOptionWarningAndEditsExclusions) {
    defaults->setStringArray({}, Keys::excludedBundleIDs);
    sim.desktop->addApplication(app(1, "org.example.editor", "Editor"));
    sim.desktop->addApplication(app(2, "org.example.browser", "Browser"));
    GroupingSettingsTab page(makeModel());
    QStringList keys;
    for (int i = 0; i < page.modifierPicker().count(); ++i) keys << page.modifierPicker().itemText(i);
    EXPECT_EQ(keys, (QStringList{"None (always on)", "Shift", "Ctrl", "Alt"})) << "named as on a PC keyboard";
    EXPECT_TRUE(page.optionWarning().isHidden());
    page.modifierPicker().setCurrentIndex(3);
    EXPECT_EQ(store.dragSettings().modifierGate, ModifierGate::option);
    EXPECT_FALSE(page.optionWarning().isHidden());
    page.delayPicker().setCurrentIndex(2);
    EXPECT_EQ(store.dragSettings().holdDelay, 0.6);
    page.fullscreenPicker().setCurrentIndex(1);
    EXPECT_EQ(store.fullscreenPolicy(), FullscreenPolicy::detach);

    EXPECT_FALSE(page.noExclusionsLabel().isHidden());
    page.rebuildAddMenu();
    ASSERT_EQ(page.addFromRunningMenu().actions().size(), 2);
    EXPECT_EQ(page.addFromRunningMenu().actions()[0]->text().toStdString(), "Browser");
    page.addFromRunningMenu().actions()[1]->trigger();
    EXPECT_EQ(store.excludedBundleIDs(), std::set<std::string>{"org.example.editor"});
    EXPECT_TRUE(page.noExclusionsLabel().isHidden());
    page.rebuildAddMenu();
    EXPECT_EQ(page.addFromRunningMenu().actions().size(), 1);  // the excluded one is not offered
    ASSERT_EQ(page.removeButtons().size(), 1u);
    page.removeButtons()[0]->click();
    settle();
    EXPECT_TRUE(store.excludedBundleIDs().empty());
    EXPECT_FALSE(page.noExclusionsLabel().isHidden());
    EXPECT_TRUE(page.removeButtons().empty());
}

// Where the window manager takes Shift-drags (KWin), the page shows Control
// standing in and says why; a chosen Shift is the user's, with a warning.
TEST_F(SettingsPagesTest, GroupingShowsControlStandingInForATakenShiftAndWarnsOfAChosenOne) {
    GroupingSettingsTab page(makeModel());
    EXPECT_TRUE(page.shiftFallbackHint().isHidden() && page.shiftTakenWarning().isHidden());
    model->setGroupingModifier(GroupingModifier::choose(ModifierGate::shift, false, true));
    EXPECT_EQ(page.modifierPicker().currentText().toStdString(), "Ctrl");
    EXPECT_FALSE(page.shiftFallbackHint().isHidden());
    EXPECT_TRUE(page.shiftTakenWarning().isHidden());

    page.delayPicker().setCurrentIndex(3);
    EXPECT_FALSE(store.dragModifierChosen()) << "a new delay is no choice of modifier";
    EXPECT_EQ(page.modifierPicker().currentText().toStdString(), "Ctrl");

    page.modifierPicker().setCurrentIndex(1);  // Shift
    EXPECT_TRUE(store.dragModifierChosen());
    EXPECT_EQ(store.dragSettings(), (DragSettings{ModifierGate::shift, 1.0}));
    EXPECT_TRUE(page.shiftFallbackHint().isHidden());
    EXPECT_FALSE(page.shiftTakenWarning().isHidden());
    // As the shell tells it once the choice is in force.
    model->setGroupingModifier(GroupingModifier::choose(ModifierGate::shift, true, true));
    EXPECT_EQ(page.modifierPicker().currentText().toStdString(), "Shift");
    EXPECT_FALSE(page.shiftTakenWarning().isHidden());
    page.modifierPicker().setCurrentIndex(2);  // Ctrl
    EXPECT_TRUE(page.shiftFallbackHint().isHidden() && page.shiftTakenWarning().isHidden());
}

TEST_F(SettingsPagesTest, GeneralPageRestartRowAndAFailedLoginItemChange) {
    bool relaunched = false;
    GeneralSettingsTab page(makeModel());
    model->onRelaunchRequested = [&] { relaunched = true; };
    EXPECT_TRUE(page.restartRow().isHidden());
    EXPECT_TRUE(page.launchAtLoginHelp().isHidden());
    const auto order = AppLanguage::pickerOrder();
    const int german = static_cast<int>(std::find(order.begin(), order.end(), AppLanguage::german) - order.begin());
    const int englishRow = static_cast<int>(std::find(order.begin(), order.end(), AppLanguage::english) - order.begin());
    EXPECT_EQ(page.languagePicker().currentIndex(), englishRow);
    page.languagePicker().setCurrentIndex(german);
    EXPECT_FALSE(page.restartRow().isHidden());
    page.restartButton().click();
    EXPECT_TRUE(relaunched);
    page.languagePicker().setCurrentIndex(englishRow);
    EXPECT_TRUE(page.restartRow().isHidden());

    page.launchAtLoginToggle().click();  // registration fails: the toggle springs back
    EXPECT_FALSE(page.launchAtLoginToggle().isChecked());

    environment.canLaunchAtLogin = false;
    GeneralSettingsTab unmanaged(makeModel());
    EXPECT_FALSE(unmanaged.launchAtLoginToggle().isEnabled());
    EXPECT_FALSE(unmanaged.launchAtLoginHelp().isHidden());
}

TEST_F(SettingsPagesTest, ColorsPageAddsEditsAndDeletesThroughItsSheets) {
    ColorsSettingsTab page(makeModel(), &panel);
    EXPECT_TRUE(page.presetRows().empty());
    page.addPresetButton().click();
    auto* editor = dynamic_cast<ColorPresetEditor*>(page.openSheet());
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->confirmButton().isEnabled());
    editor->nameField().setText("  Work ");
    EXPECT_TRUE(editor->confirmButton().isEnabled());
    editor->confirmButton().click();
    settle();
    ASSERT_EQ(store.colorPresets().size(), 1u);
    EXPECT_EQ(store.colorPresets()[0].name, "Work");
    EXPECT_EQ(store.colorPresets()[0].color, TabColor::defaultAccent);
    ASSERT_EQ(page.presetRows().size(), 1u);

    // A click on the row opens the same preset; saving keeps its id.
    const Uuid id = store.colorPresets()[0].id;
    page.presetRows()[0].open->click();
    editor = dynamic_cast<ColorPresetEditor*>(page.openSheet());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->nameField().text().toStdString(), "Work");
    EXPECT_EQ(editor->confirmButton().text().toStdString(), L10n::save());
    editor->nameField().setText("Home");
    editor->confirmButton().click();
    settle();
    EXPECT_EQ(store.colorPresets()[0].id, id);
    EXPECT_EQ(store.colorPresets()[0].name, "Home");

    // A rule for a title; its row describes it.
    page.addRuleButton().click();
    auto* rules = dynamic_cast<AutoColorRuleEditor*>(page.openSheet());
    ASSERT_NE(rules, nullptr);
    rules->regexButton().click();
    rules->patternField().setText("(");
    EXPECT_FALSE(rules->regexHint().isHidden());
    EXPECT_FALSE(rules->confirmButton().isEnabled());
    rules->patternField().setText("^Draft");
    EXPECT_TRUE(rules->regexHint().isHidden());
    rules->confirmButton().click();
    settle();
    ASSERT_EQ(store.autoColorRules().size(), 1u);
    EXPECT_EQ(store.autoColorRules()[0].titlePattern, "^Draft");
    ASSERT_EQ(page.ruleRows().size(), 1u);

    page.presetRows()[0].remove->click();
    page.ruleRows()[0].remove->click();
    settle();
    EXPECT_TRUE(store.colorPresets().empty());
    EXPECT_TRUE(store.autoColorRules().empty());
    EXPECT_TRUE(page.presetRows().empty());
}

TEST_F(SettingsPagesTest, RuleEditorKeepsARuleOfSeveralAppsAndOneThatIsNotRunning) {
    const AutoColorRule three(Uuid::random(), {"a", "b", "c"}, "x", MatchRule::TitleMatch::contains, TabColor());
    std::set<std::string> saved;
    AutoColorRuleEditor editor(three, {{"Browser", "org.example.browser"}}, {}, &panel,
                               [&](const std::set<std::string>& ids, const std::string&, MatchRule::TitleMatch,
                                   const TabColor&) { saved = ids; },
                               nullptr);
    EXPECT_EQ(editor.appPicker().currentText().toStdString(), L10n::multipleApps(3));
    editor.confirmButton().click();
    EXPECT_EQ(saved, (std::set<std::string>{"a", "b", "c"}));

    const AutoColorRule gone(Uuid::random(), {"org.example.gone"}, std::nullopt, MatchRule::TitleMatch::regex,
                             TabColor());
    AutoColorRuleEditor single(gone, {{"Browser", "org.example.browser"}}, {}, &panel, nullptr, nullptr);
    EXPECT_EQ(single.appPicker().currentText().toStdString(), "org.example.gone");
    EXPECT_TRUE(single.regexButton().isChecked());
    EXPECT_EQ(single.patternField().placeholderText().toStdString(), L10n::regexPlaceholder());
}

TEST_F(SettingsPagesTest, PaletteSwatchKeepsItsMarkAfterAClickAndBadTextIsFlagged) {
    std::vector<bool> validity;
    ColorPaletteField field("Color", {ColorPreset(Uuid::random(), "Mine", TabColor(0.5, 0.5, 0.5))},
                            TabColor::defaultAccent, &panel);
    field.onValidityChanged = [&](bool valid) { validity.push_back(valid); };
    field.show();
    EXPECT_EQ(validity, std::vector<bool>{true});  // reported once when shown
    ASSERT_EQ(field.swatchButtons().size(), 9u);   // eight built-ins, then the user's
    EXPECT_TRUE(field.isSwatchMarked(4));           // blue, the default accent
    field.swatchButtons()[0]->click();              // red
    EXPECT_EQ(field.hexField().text().toStdString(), "#FF453B");
    EXPECT_TRUE(field.isSwatchMarked(0));
    EXPECT_FALSE(field.isSwatchMarked(4));
    field.hexField().setText("#GGGGGG");
    emit field.hexField().textEdited("#GGGGGG");
    EXPECT_FALSE(field.hexHint().isHidden());
    EXPECT_EQ(validity.back(), false);
    EXPECT_TRUE(field.isSwatchMarked(0));  // the last good colour
    // A colour from the shared panel goes to the field that opened it.
    field.customColorButton().click();
    panel.dialog().setCurrentColor(QColor(0, 0, 255));
    EXPECT_EQ(field.selection(), TabColor(0, 0, 1));
    EXPECT_EQ(field.hexField().text().toStdString(), "#0000FF");
    EXPECT_TRUE(field.hexHint().isHidden());
    panel.orderOut();
}

TEST_F(SettingsPagesTest, TheDemonstrationPlaysOnlyWhileInViewAndDrawsOnlyWhatMoves) {
    HowToSettingsTab page;
    double now = 0;
    bool exposed = true;
    GroupDemoAnimation& demo = page.demo();
    demo.elapsed = [&] { return now; };
    page.show();
    QApplication::processEvents();
    ASSERT_TRUE(demo.isAnimating());
    // At rest the picture waits for its first step without drawing.
    EXPECT_GE(demo.nextTickIn(), 950);

    // One whole cycle, tick by tick: at most frameRate frames a second, only
    // while something moves (about 3.2 s a cycle), each repainting less than
    // the stage.
    const QRect stage(static_cast<int>((demo.width() - GroupDemoLayout::stageW) / 2), 0,
                      static_cast<int>(GroupDemoLayout::stageW), static_cast<int>(GroupDemoLayout::stageH));
    int ticks = 0, repaints = 0;
    double drawnPixels = 0;
    while (now < GroupDemoTimeline::cycleDuration) {
        EXPECT_GE(demo.nextTickIn(), 1000 / GroupDemoAnimation::frameRate);
        now += demo.nextTickIn() / 1000.0;
        demo.tick();
        ++ticks;
        if (demo.lastRepaint().isEmpty()) continue;
        ++repaints;
        const QRect bounds = demo.lastRepaint().boundingRect();
        EXPECT_TRUE(stage.adjusted(-1, -1, 1, 1).contains(bounds)) << now;
        drawnPixels += static_cast<double>(bounds.width()) * bounds.height();
    }
    constexpr int rate = GroupDemoAnimation::frameRate;
    EXPECT_LE(ticks, 3.3 * rate + 8);
    EXPECT_GE(repaints, 2.5 * rate);
    EXPECT_LT(drawnPixels / repaints, 0.45 * stage.width() * stage.height());

    // Out of view (on another desktop): it stops; back in view, it plays on.
    demo.isExposed = [&] { return exposed; };
    exposed = false;
    demo.tick();
    EXPECT_FALSE(demo.isAnimating());
    exposed = true;
    QExposeEvent shownAgain(QRegion(page.rect()));
    QApplication::sendEvent(page.windowHandle(), &shownAgain);
    EXPECT_TRUE(demo.isAnimating());
    demo.isExposed = nullptr;

    // Minimised: stopped; restored: from the start.
    page.showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(demo.isAnimating());
    now = 0;
    page.showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(demo.isAnimating());
    EXPECT_EQ(demo.currentFrame().draggedX, GroupDemoLayout::startX);

    page.hide();
    EXPECT_FALSE(demo.isAnimating());
    demo.reduceMotion = [] { return true; };
    page.show();
    QApplication::processEvents();
    EXPECT_FALSE(demo.isAnimating());
    EXPECT_EQ(demo.currentFrame().grouped, 1);
}

}  // namespace
}  // namespace tessaly
