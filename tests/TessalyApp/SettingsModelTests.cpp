#include "TessalyApp/SettingsModel.h"

#include <gtest/gtest.h>

#include "Platform/Sim/SimEnvironment.h"
#include "Platform/TestFiles.h"
#include "Platform/UserDefaults.h"
#include "TessalyApp/LanguageOverride.h"
#include "TessalyApp/LoginItem.h"
#include "SettingsFakeShell.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

using Keys = SettingsStore::Keys;
using Target = HotkeyRecorder::Target;

// A store over in-memory defaults, the login item and language override of
// a shell, and running applications on the simulated desktop.
class SettingsModelTest : public ::testing::Test {
protected:
    SettingsModelTest() : store(defaults, sim.desktop) {
        store.onChange = [this] { ++storeChanges; };
        environment.workspace = sim.desktop;
    }

    std::unique_ptr<SettingsModel> makeModel() {
        auto model = std::make_unique<SettingsModel>(store, environment);
        watch = model->observe([this] { ++published; });
        return model;
    }

    SimEnvironment sim;
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    SettingsStore store;
    testing::SettingsFakeShell shell;
    SettingsModelEnvironment environment = shell.environment();
    std::optional<AppLanguage>& storedLanguage = shell.storedLanguage;
    bool& loginItem = shell.loginItem;
    bool& loginItemFails = shell.loginItemFails;
    int& loginItemCalls = shell.loginItemCalls;
    int storeChanges = 0;
    int published = 0;
    Subscription watch;
};

TEST_F(SettingsModelTest, ReadsTheStoreOnceAndWritesEveryChangeThrough) {
    defaults->setDouble(0.45, Keys::dragHoldDelay);
    defaults->setStringArray({"org.example.c", "org.example.a"}, Keys::excludedBundleIDs);
    auto model = makeModel();
    EXPECT_EQ(model->holdDelay(), 0.6);  // snapped for the page
    EXPECT_EQ(model->exclusions(), (std::vector<std::string>{"org.example.a", "org.example.c"}));
    EXPECT_EQ(storeChanges, 0);

    // A new modifier writes the stored delay back unchanged with it.
    model->setModifierGate(ModifierGate::option);
    EXPECT_EQ(store.dragSettings(), (DragSettings{ModifierGate::option, 0.45}));
    model->setHoldDelay(1.0);
    EXPECT_EQ(store.dragSettings(), (DragSettings{ModifierGate::option, 1.0}));
    model->setTabBarHeight(36);
    model->setTabBarOpacity(0.5);
    model->setAppearanceMode(AppearanceMode::dark);
    model->setShowTabBadges(true);
    model->setTabBadgeColor(TabColor(1, 0, 0));
    model->setFullscreenPolicy(FullscreenPolicy::detach);
    model->setOffSpacePolicy(OffSpacePolicy::suspend);
    EXPECT_EQ(store.tabBarHeight(), 36);
    EXPECT_EQ(store.tabBarOpacity(), 0.5);
    EXPECT_EQ(store.appearanceMode(), AppearanceMode::dark);
    EXPECT_TRUE(store.showTabBadges());
    EXPECT_EQ(store.tabBadgeColor(), TabColor(1, 0, 0));
    EXPECT_EQ(store.fullscreenPolicy(), FullscreenPolicy::detach);
    EXPECT_EQ(store.offSpacePolicy(), OffSpacePolicy::suspend);
    // An unchanged value is written all the same: one store change per setter.
    model->setTabBarHeight(36);
    EXPECT_EQ(storeChanges, 10);
    EXPECT_EQ(published, 10);
}

TEST_F(SettingsModelTest, SnapsHoldDelaysToTheNearestChoiceWithTiesGoingLow) {
    EXPECT_EQ(SettingsModel::snappedHoldDelay(0.15), 0.0);
    EXPECT_EQ(SettingsModel::snappedHoldDelay(0.5), 0.6);
    EXPECT_EQ(SettingsModel::snappedHoldDelay(0.45), 0.6);  // 0.45 is a hair nearer 0.6 in binary
    EXPECT_EQ(SettingsModel::snappedHoldDelay(2.5), 1.0);
    EXPECT_EQ(SettingsModel::snappedHoldDelay(-7), 0.0);
    EXPECT_EQ(SettingsModel::snappedHoldDelay(1e300), 1.0);
}

TEST_F(SettingsModelTest, RemembersTheLastConfigurationPage) {
    auto model = makeModel();
    model->setSelectedCategory(SettingsCategory::howTo);
    EXPECT_EQ(model->lastConfigCategory(), SettingsCategory::general);
    model->setSelectedCategory(SettingsCategory::grouping);
    model->setSelectedCategory(SettingsCategory::about);
    model->setSelectedCategory(std::nullopt);
    EXPECT_EQ(model->lastConfigCategory(), SettingsCategory::grouping);
    EXPECT_EQ(model->selectedCategory(), std::nullopt);
}

TEST_F(SettingsModelTest, ARecordedHotkeyTakesItsCombinationFromTheOtherOne) {
    auto model = makeModel();
    auto& recorder = model->hotkeyRecorder();
    recorder.begin(Target::prevTab);
    // Control-Option-Right, the next-tab hotkey, recorded for the previous tab.
    recorder.handle({HotkeyKeyCode::rightArrow, HotkeyModifiers::control | HotkeyModifiers::option});
    EXPECT_EQ(model->nextTabHotkey(), std::nullopt);
    EXPECT_EQ(model->prevTabHotkey(), KeyCombo::defaultNextTab);
    EXPECT_EQ(store.nextTabHotkey(), std::nullopt);
    EXPECT_EQ(store.prevTabHotkey(), KeyCombo::defaultNextTab);

    // Delete while recording turns only that hotkey off.
    recorder.begin(Target::prevTab);
    recorder.handle({HotkeyKeyCode::deleteBackward, {}});
    EXPECT_EQ(model->prevTabHotkey(), std::nullopt);

    recorder.begin(Target::nextTab);
    model->resetTabHotkeys();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo::defaultNextTab);
    EXPECT_EQ(store.prevTabHotkey(), KeyCombo::defaultPrevTab);
    EXPECT_FALSE(store.tabHotkeysRecorded());
}

TEST_F(SettingsModelTest, FallbackKeysAreShownAndBecomeTheUsersOwnOnlyWhenOneIsRecorded) {
    auto model = makeModel();
    const TabCycleKeys fallback = TabCycleHotkeys::fallbacks[0];
    model->setFallbackTabHotkeys(fallback);
    EXPECT_EQ(model->hotkey(Target::nextTab), fallback.next);
    EXPECT_EQ(model->hotkey(Target::prevTab), fallback.prev);
    EXPECT_EQ(model->tabHotkeysShown(), fallback);
    EXPECT_EQ(storeChanges, 0);

    // Recording the previous-tab key keeps the next-tab key that works,
    // both written at once (never the taken default beside a new key).
    const KeyCombo f6{HotkeyKeyCode::functionKeys[5], {}};
    auto& recorder = model->hotkeyRecorder();
    recorder.begin(Target::prevTab);
    recorder.handle({static_cast<std::uint16_t>(f6.keyCode), {}});
    EXPECT_EQ(storeChanges, 1);
    EXPECT_TRUE(store.tabHotkeysRecorded());
    EXPECT_EQ(store.nextTabHotkey(), fallback.next);
    EXPECT_EQ(store.prevTabHotkey(), f6);
    EXPECT_EQ(model->fallbackTabHotkeys(), std::nullopt);
    EXPECT_EQ(model->tabHotkeysShown(), (TabCycleKeys{fallback.next, f6}));

    // Both off: texts name the defaults rather than nothing.
    model->setNextTabHotkey(std::nullopt);
    model->setPrevTabHotkey(std::nullopt);
    EXPECT_EQ(model->tabHotkeysShown(), TabCycleKeys::defaults());

    // Reset forgets the user's keys, so the program picks again.
    model->resetTabHotkeys();
    EXPECT_FALSE(store.tabHotkeysRecorded());
    EXPECT_EQ(model->hotkey(Target::nextTab), KeyCombo::defaultNextTab);
}

TEST_F(SettingsModelTest, ReloadShowsTheStoreWithoutWritingOrNotifyingIt) {
    auto model = makeModel();
    model->hotkeyRecorder().begin(Target::nextTab);
    SettingsSnapshot file;
    file.tabBarHeight = 29.6;
    file.excludedBundleIDs = std::vector<std::string>{"b", "a"};
    file.nextTabHotkey = std::optional<KeyCombo>();
    store.apply(file);
    const int changesAfterApply = storeChanges;
    const auto keysBefore = defaults->keys();
    loginItem = true;  // changed behind the model's back
    model->reload();
    EXPECT_EQ(storeChanges, changesAfterApply);
    EXPECT_EQ(defaults->keys(), keysBefore);
    EXPECT_EQ(loginItemCalls, 0);
    EXPECT_EQ(model->tabBarHeight(), 29.6);
    EXPECT_EQ(model->exclusions(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(model->nextTabHotkey(), std::nullopt);
    EXPECT_TRUE(model->launchAtLogin());
    EXPECT_FALSE(model->hotkeyRecorder().isRecording());
}

TEST_F(SettingsModelTest, LanguageChoiceIsStoredAndAsksForARestartOnlyWhenItDiffers) {
    storedLanguage = AppLanguage::french;
    auto model = makeModel();
    EXPECT_EQ(model->language(), AppLanguage::french);
    EXPECT_EQ(model->initialLanguage(), AppLanguage::french);
    model->setLanguage(AppLanguage::german);
    EXPECT_TRUE(model->languageNeedsRestart());
    EXPECT_EQ(storedLanguage, AppLanguage::german);
    model->setLanguage(AppLanguage::french);
    EXPECT_FALSE(model->languageNeedsRestart());
    EXPECT_EQ(storedLanguage, AppLanguage::french);

    // Nothing stored: the system's language.
    storedLanguage.reset();
    EXPECT_EQ(makeModel()->language(), AppLanguage::english);
}

TEST_F(SettingsModelTest, AFailedLoginItemChangeSpringsBack) {
    auto model = makeModel();
    loginItemFails = true;
    model->setLaunchAtLogin(true);
    EXPECT_FALSE(model->launchAtLogin());
    EXPECT_EQ(loginItemCalls, 1);
    loginItemFails = false;
    model->setLaunchAtLogin(true);
    EXPECT_TRUE(model->launchAtLogin());
    EXPECT_TRUE(loginItem);
    model->setLaunchAtLogin(true);  // no change: no call
    EXPECT_EQ(loginItemCalls, 2);

    // Without a login item to manage, an import never touches one.
    environment.canLaunchAtLogin = false;
    auto unmanaged = makeModel();
    EXPECT_FALSE(unmanaged->launchAtLogin());
    EXPECT_TRUE(unmanaged->applyImportedLaunchAtLogin(false));
    EXPECT_EQ(loginItemCalls, 2);
}

TEST_F(SettingsModelTest, PresetEditsTrimNamesAndRefuseBlankOnes) {
    auto model = makeModel();
    model->addColorPreset("  Work \n", TabColor(1, 0, 0));
    model->addColorPreset(" \t ", TabColor(0, 1, 0));
    model->addColorPreset("\x01\x07", TabColor(0, 1, 0));  // nothing that can be shown
    ASSERT_EQ(model->colorPresets().size(), 1u);
    EXPECT_EQ(model->colorPresets()[0].name, "Work");
    const Uuid id = model->colorPresets()[0].id;
    model->addColorPreset("Home", TabColor(0, 0, 1));
    model->updateColorPreset(id, "Office ", TabColor(0, 1, 1));
    EXPECT_EQ(model->colorPresets()[0], ColorPreset(id, "Office", TabColor(0, 1, 1)));
    EXPECT_EQ(store.colorPresets(), model->colorPresets());

    const int changes = storeChanges;
    model->updateColorPreset(Uuid::random(), "Gone", TabColor());  // unknown id: nothing
    EXPECT_EQ(storeChanges, changes);
    model->removeColorPreset(Uuid::random());  // unknown id: the list is still written
    EXPECT_EQ(storeChanges, changes + 1);
    model->removeColorPreset(id);
    ASSERT_EQ(store.colorPresets().size(), 1u);
    EXPECT_EQ(store.colorPresets()[0].name, "Home");
}

TEST_F(SettingsModelTest, RuleEditsNormaliseAndDropRulesThatMatchNothing) {
    auto model = makeModel();
    model->addAutoColorRule({}, "   ", MatchRule::TitleMatch::contains, TabColor());
    EXPECT_TRUE(model->autoColorRules().empty());
    model->addAutoColorRule({}, " Report ", MatchRule::TitleMatch::contains, TabColor(1, 0, 0));
    model->addAutoColorRule({}, " ", MatchRule::TitleMatch::regex, TabColor(0, 1, 0));  // a regex keeps its blanks
    ASSERT_EQ(model->autoColorRules().size(), 2u);
    EXPECT_EQ(model->autoColorRules()[0].titlePattern, "Report");
    EXPECT_EQ(model->autoColorRules()[1].titlePattern, " ");
    const Uuid id = model->autoColorRules()[0].id;
    model->updateAutoColorRule(id, {"org.example.editor"}, "", MatchRule::TitleMatch::contains, TabColor(0, 0, 1));
    EXPECT_EQ(store.autoColorRules()[0].id, id);
    EXPECT_EQ(store.autoColorRules()[0].bundleIDs, std::set<std::string>{"org.example.editor"});
    EXPECT_EQ(store.autoColorRules()[0].titlePattern, std::nullopt);
    model->removeAutoColorRule(id);
    EXPECT_EQ(store.autoColorRules().size(), 1u);
}

TEST_F(SettingsModelTest, ExclusionsStaySortedAndCompareExactly) {
    defaults->setStringArray({"com.example.c", "com.example.a"}, Keys::excludedBundleIDs);
    auto model = makeModel();
    model->addExclusion("com.example.b");
    EXPECT_EQ(model->exclusions(), (std::vector<std::string>{"com.example.a", "com.example.b", "com.example.c"}));
    const int changes = storeChanges;
    model->addExclusion("com.example.b");
    EXPECT_EQ(storeChanges, changes);
    model->addExclusion("Com.Example.B");
    EXPECT_EQ(model->exclusions().front(), "Com.Example.B");
    model->removeExclusion("com.example.a");
    model->removeExclusion("missing");  // still written
    EXPECT_EQ(storeChanges, changes + 3);
    EXPECT_EQ(store.excludedBundleIDs(), (std::set<std::string>{"Com.Example.B", "com.example.b", "com.example.c"}));
}

SimAppSpec app(ProcessID pid, std::string bundleID, std::string name,
               ActivationPolicy policy = ActivationPolicy::regular) {
    SimAppSpec spec;
    spec.pid = pid;
    spec.bundleID = std::move(bundleID);
    spec.name = std::move(name);
    spec.policy = policy;
    return spec;
}

TEST_F(SettingsModelTest, RulesDescribeThemselvesByRunningNames) {
    L10n::ScopedLanguageForTesting english(AppLanguage::english);
    sim.desktop->addApplication(app(10, "org.example.browser", "Browser"));
    auto model = makeModel();
    const MatchRule rule(Uuid::random(), {"org.example.tool", "org.example.browser"}, "Report",
                         MatchRule::TitleMatch::contains);
    EXPECT_EQ(model->describeRule(rule), L10n::ruleRowContains("Browser / org.example.tool", "Report"));
    const MatchRule regex(Uuid::random(), {}, "^a", MatchRule::TitleMatch::regex);
    EXPECT_EQ(model->describeRule(regex), L10n::ruleRowRegex(L10n::allApps(), "^a"));
    EXPECT_EQ(model->describeRule(MatchRule(Uuid::random(), {}, "", MatchRule::TitleMatch::regex)), L10n::allApps());
}

TEST_F(SettingsModelTest, RunningAppsAreRegularNamedOnceAndSortedIgnoringCase) {
    L10n::ScopedLanguageForTesting english(AppLanguage::english);
    sim.desktop->addApplication(app(1, "org.example.zeta", "zeta"));
    sim.desktop->addApplication(app(2, "org.example.alpha", "Alpha"));
    sim.desktop->addApplication(app(3, "org.example.panel", "Panel", ActivationPolicy::accessory));
    sim.desktop->addApplication(app(4, "", "No id"));
    sim.desktop->addApplication(app(5, "org.example.Beta", "beta"));
    sim.desktop->addApplication(app(6, "org.example.beta", "Beta"));
    sim.desktop->addApplication(app(7, "org.example.alpha", "Alpha"));  // a second process
    auto model = makeModel();
    const auto apps = model->runningRegularApps(std::set<std::string>{"org.example.zeta"});
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(apps[0], (RunningAppChoice{"Alpha", "org.example.alpha"}));
    // Names equal but for case keep the workspace's order.
    EXPECT_EQ(apps[1], (RunningAppChoice{"beta", "org.example.Beta"}));
    EXPECT_EQ(apps[2], (RunningAppChoice{"Beta", "org.example.beta"}));
}

TEST(SettingsModelEnvironmentTests, TheShellsLanguageChoiceAndLoginItem) {
    tessaly::testing::TempFolder folder;
    auto defaults = std::make_shared<FileUserDefaults>(folder.path() / "defaults.json");
    defaults->coalesceWrites(std::make_shared<ManualMainExecutor>());
    auto loginItem = std::make_shared<LoginItem>(folder.path() / "autostart" / "tessaly.desktop",
                                                 std::filesystem::path("/usr/bin/tessaly"));
    SettingsStore store(defaults);
    SettingsModel model(store, SettingsModelEnvironment::forShell(defaults, loginItem, nullptr));
    EXPECT_TRUE(model.canLaunchAtLogin());
    EXPECT_FALSE(model.launchAtLogin());
    model.setLaunchAtLogin(true);
    EXPECT_TRUE(loginItem->isEnabled());
    // The language choice is on disk at once, for a restart that may follow.
    model.setLanguage(AppLanguage::japanese);
    EXPECT_EQ(LanguageOverride::current(FileUserDefaults(folder.path() / "defaults.json")), AppLanguage::japanese);
    EXPECT_EQ(SettingsModel(store, SettingsModelEnvironment::forShell(defaults, loginItem, nullptr)).language(),
              AppLanguage::japanese);
    // Without a login item there is no launch at login.
    EXPECT_FALSE(SettingsModel(store, SettingsModelEnvironment::forShell(defaults, nullptr, nullptr)).canLaunchAtLogin());
}

}  // namespace
}  // namespace tessaly
