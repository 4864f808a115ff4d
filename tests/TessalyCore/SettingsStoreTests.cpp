#include "TessalyCore/SettingsStore.h"

#include <algorithm>
#include <limits>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "Platform/Log.h"

namespace tessaly {
namespace {

// The default exclusions as stored: sorted by code point.
const std::vector<std::string> kDefaultExclusions{
    "cairo-dock", "krunner", "lxqt-notificationd", "lxqt-panel", "mate-notification-daemon", "mate-panel",
    "org.kde.latte-dock", "plank", "plasmashell", "polybar", "rofi", "synapse", "tint2", "xfce4-appfinder",
    "xfce4-notifyd", "xfce4-panel", "xfdesktop",
};

using Keys = SettingsStore::Keys;

// Answers one fixed application per process id.
class FakeWorkspace : public Workspace {
public:
    std::map<ProcessID, RunningApplication> apps;
    std::vector<RunningApplication> runningApplications() const override { return {}; }
    std::optional<RunningApplication> runningApplication(ProcessID pid) const override {
        const auto it = apps.find(pid);
        if (it == apps.end()) return std::nullopt;
        return it->second;
    }
    std::vector<RunningApplication> runningApplications(const std::string&) const override { return {}; }
    std::optional<RunningApplication> frontmostApplication() const override { return std::nullopt; }
    bool activate(ProcessID) override { return false; }
    bool openURL(const std::string&) override { return false; }
    std::uint32_t currentSpace() const override { return 0; }
    Subscription addObserver(WorkspaceNotification, Handler) override { return {}; }
};

class SettingsStoreTests : public ::testing::Test {
protected:
    SettingsStoreTests() : defaults(std::make_shared<InMemoryUserDefaults>()), workspace(std::make_shared<FakeWorkspace>()),
                           store(defaults, workspace) {
        store.onChange = [this] { ++changes; };
    }
    void putData(const std::string& text, const char* key) { defaults->setData({text}, key); }

    std::shared_ptr<InMemoryUserDefaults> defaults;
    std::shared_ptr<FakeWorkspace> workspace;
    SettingsStore store;
    int changes = 0;
};

TEST_F(SettingsStoreTests, EmptyDefaultsReadAsTheDefaultsAndWriteNothing) {
    EXPECT_EQ(store.dragSettings(), DragSettings());
    EXPECT_EQ(store.fullscreenPolicy(), FullscreenPolicy::suspend);
    EXPECT_EQ(store.offSpacePolicy(), OffSpacePolicy::detach);
    EXPECT_EQ(store.tabBarHeight(), 30);
    EXPECT_EQ(store.tabBarOpacity(), 1.0);
    EXPECT_EQ(store.appearanceMode(), AppearanceMode::system);
    EXPECT_FALSE(store.showTabBadges());
    EXPECT_EQ(store.tabBadgeColor(), TabColor(0.04, 0.52, 1.0));
    EXPECT_TRUE(store.colorPresets().empty());
    EXPECT_TRUE(store.autoColorRules().empty());
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo::defaultNextTab);
    EXPECT_EQ(store.prevTabHotkey(), KeyCombo::defaultPrevTab);
    EXPECT_FALSE(store.welcomeShown());
    EXPECT_EQ(store.excludedBundleIDs(), SettingsStore::defaultExclusions());
    EXPECT_TRUE(defaults->keys().empty());
}

TEST_F(SettingsStoreTests, EverySettingLivesUnderItsOwnKeyInItsStoredForm) {
    store.setDragSettings(DragSettings{ModifierGate::control, 0.4});
    store.setFullscreenPolicy(FullscreenPolicy::detach);
    store.setOffSpacePolicy(OffSpacePolicy::suspend);
    store.setTabBarHeight(32);
    store.setTabBarOpacity(0.9);
    store.setAppearanceMode(AppearanceMode::light);
    store.setShowTabBadges(true);
    store.setTabBadgeColor(TabColor(1, 0, 0));
    store.setColorPresets({});
    store.setAutoColorRules({});
    store.setNextTabHotkey(KeyCombo::defaultNextTab);
    store.setPrevTabHotkey(std::nullopt);
    store.setExcludedBundleIDs({"b", "a"});
    store.setWelcomeShown(true);
    std::vector<std::string> keys = defaults->keys();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"appearanceMode", "autoColorRules", "colorPresets", "dragHoldDelay",
                                              "dragModifierGate", "excludedBundleIDs", "fullscreenPolicy",
                                              "offSpacePolicy", "showTabBadges", "tabBadgeColor", "tabBarHeight",
                                              "tabBarOpacity", "tabCycleNextHotkey", "tabCyclePrevHotkey",
                                              "welcomeShown"}));
    EXPECT_EQ(defaults->stringForKey("dragModifierGate"), "control");
    EXPECT_EQ(defaults->numberForKey("dragHoldDelay"), 0.4);
    EXPECT_EQ(defaults->stringForKey("fullscreenPolicy"), "detach");
    EXPECT_EQ(defaults->stringForKey("offSpacePolicy"), "suspend");
    EXPECT_EQ(defaults->numberForKey("tabBarHeight"), 32);
    EXPECT_EQ(defaults->numberForKey("tabBarOpacity"), 0.9);
    EXPECT_EQ(defaults->stringForKey("appearanceMode"), "light");
    EXPECT_EQ(defaults->objectForKey("showTabBadges"), UserDefaults::Value(true));
    EXPECT_EQ(defaults->objectForKey("welcomeShown"), UserDefaults::Value(true));
    EXPECT_EQ(nlohmann::json::parse(defaults->dataForKey("tabBadgeColor")->bytes),
              nlohmann::json::parse(R"({"red":1,"green":0,"blue":0})"));
    EXPECT_EQ(defaults->dataForKey("colorPresets")->bytes, "[]");
    EXPECT_EQ(nlohmann::json::parse(defaults->dataForKey("tabCycleNextHotkey")->bytes),
              nlohmann::json::parse(R"({"keyCode":124,"modifiers":6144})"));
    EXPECT_EQ(defaults->dataForKey("tabCyclePrevHotkey")->bytes, "");
    EXPECT_EQ(defaults->stringArrayForKey("excludedBundleIDs"), (UserDefaults::StringArray{"a", "b"}));
}

TEST_F(SettingsStoreTests, GarbageReadsBackNormalised) {
    defaults->setDouble(100, Keys::tabBarHeight);
    EXPECT_EQ(store.tabBarHeight(), 48);
    defaults->setDouble(10, Keys::tabBarHeight);
    EXPECT_EQ(store.tabBarHeight(), 20);
    defaults->setString("tall", Keys::tabBarHeight);
    EXPECT_EQ(store.tabBarHeight(), 30);
    defaults->setDouble(std::numeric_limits<double>::quiet_NaN(), Keys::tabBarHeight);
    EXPECT_EQ(store.tabBarHeight(), 30);
    defaults->setDouble(0.1, Keys::tabBarOpacity);
    EXPECT_EQ(store.tabBarOpacity(), 0.3);
    defaults->setString("DETACH", Keys::fullscreenPolicy);
    EXPECT_EQ(store.fullscreenPolicy(), FullscreenPolicy::suspend);
    defaults->setString("whatever", Keys::offSpacePolicy);
    EXPECT_EQ(store.offSpacePolicy(), OffSpacePolicy::detach);
    defaults->setBool(true, Keys::appearanceMode);
    EXPECT_EQ(store.appearanceMode(), AppearanceMode::system);
    defaults->setString("Shift", Keys::dragModifierGate);
    EXPECT_EQ(store.dragSettings().modifierGate, ModifierGate::shift);
    putData("{\"red\":1}", Keys::tabBadgeColor);
    EXPECT_EQ(store.tabBadgeColor(), TabColor::defaultBadge);
    defaults->setString("not an array", Keys::excludedBundleIDs);
    EXPECT_EQ(store.excludedBundleIDs(), SettingsStore::defaultExclusions());
}

TEST_F(SettingsStoreTests, HoldDelayReadsAsStoredUnlessNotAFiniteNumber) {
    // Negative and huge delays come back as stored: the settings window snaps them.
    defaults->setDouble(-2, Keys::dragHoldDelay);
    EXPECT_EQ(store.dragSettings().holdDelay, -2.0);
    defaults->setDouble(86400, Keys::dragHoldDelay);
    EXPECT_EQ(store.dragSettings().holdDelay, 86400.0);
    EXPECT_EQ(store.snapshot().holdDelay, 86400.0);
    defaults->setDouble(std::numeric_limits<double>::infinity(), Keys::dragHoldDelay);
    EXPECT_EQ(store.dragSettings().holdDelay, 0.3);
    defaults->setDouble(std::numeric_limits<double>::quiet_NaN(), Keys::dragHoldDelay);
    EXPECT_EQ(store.dragSettings().holdDelay, 0.3);
    defaults->setString("0.5", Keys::dragHoldDelay);
    EXPECT_EQ(store.dragSettings().holdDelay, 0.3);
    defaults->setDouble(0.55, Keys::dragHoldDelay);
    EXPECT_EQ(store.dragSettings().holdDelay, 0.55);
}

TEST_F(SettingsStoreTests, HotkeysReadOffDefaultOrValue) {
    putData("", Keys::nextTabHotkey);
    EXPECT_FALSE(store.nextTabHotkey());
    putData("garbage", Keys::nextTabHotkey);
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo::defaultNextTab);
    putData(R"({"keyCode":48,"modifiers":256})", Keys::nextTabHotkey);
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo(48, HotkeyModifiers::command));
    store.setNextTabHotkey(std::nullopt);
    ASSERT_TRUE(defaults->dataForKey(Keys::nextTabHotkey));  // off is empty data, never a removed key
    EXPECT_TRUE(defaults->dataForKey(Keys::nextTabHotkey)->bytes.empty());
}

TEST_F(SettingsStoreTests, ListsDropBadElements) {
    putData(R"([{"id":"11111111-1111-1111-1111-111111111111","name":"A","color":{"red":1,"green":0,"blue":0}},
               {"id":"22222222-2222-2222-2222-222222222222","color":{"red":1,"green":0,"blue":0}},
               {"id":"33333333-3333-3333-3333-333333333333","name":"C","color":{"red":0,"green":0,"blue":1}}])",
            Keys::colorPresets);
    const auto presets = store.colorPresets();
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[0].name, "A");
    EXPECT_EQ(presets[1].name, "C");
    putData(R"({"not":"an array"})", Keys::colorPresets);
    EXPECT_TRUE(store.colorPresets().empty());
}

TEST_F(SettingsStoreTests, EveryWriteNotifiesOnceExceptWelcome) {
    store.setWelcomeShown(true);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(store.welcomeShown());
    store.setDragSettings(DragSettings{ModifierGate::option, 0.5});
    EXPECT_EQ(changes, 1);
    store.setDragSettings(DragSettings{ModifierGate::option, 0.5});  // unchanged still notifies
    EXPECT_EQ(changes, 2);
    store.setTabBarHeight(100);
    EXPECT_EQ(defaults->numberForKey(Keys::tabBarHeight), 100);
    EXPECT_EQ(store.tabBarHeight(), 48);
    const auto presets = store.colorPresets();  // read-modify-write notifies once
    store.setColorPresets(presets);
    EXPECT_EQ(changes, 4);
}

TEST_F(SettingsStoreTests, FailedEncodingChangesNothingAndSaysSo) {
    std::vector<std::string> log;
    Log::setSink([&](LogLevel, LogCategory, std::string_view line) { log.emplace_back(line); });
    const std::vector<ColorPreset> good{ColorPreset(Uuid::random(), "ok", TabColor(1, 1, 1))};
    store.setColorPresets(good);
    const int before = changes;
    store.setColorPresets({ColorPreset(Uuid::random(), std::string("bad \xff name"), TabColor(0, 0, 0))});
    Log::setSink(nullptr);
    EXPECT_EQ(changes, before);
    EXPECT_EQ(store.colorPresets(), good);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], ::testing::HasSubstr("colorPresets"));
}

TEST_F(SettingsStoreTests, ExclusionsAreStoredSortedAndTestedPerProcess) {
    RunningApplication dock;
    dock.pid = 42;
    dock.bundleIdentifier = "plank";
    workspace->apps[42] = dock;
    RunningApplication anonymous;
    anonymous.pid = 43;
    workspace->apps[43] = anonymous;
    EXPECT_TRUE(store.isExcluded(42));
    EXPECT_FALSE(store.isExcluded(43));  // no bundle identifier
    EXPECT_FALSE(store.isExcluded(44));  // no application
    store.setExcludedBundleIDs({});
    EXPECT_FALSE(store.isExcluded(42));
    defaults->removeObjectForKey(Keys::excludedBundleIDs);
    EXPECT_TRUE(store.isExcluded(42));
    store.setExcludedBundleIDs(SettingsStore::defaultExclusions());
    EXPECT_EQ(defaults->stringArrayForKey(Keys::excludedBundleIDs), kDefaultExclusions);
}

TEST_F(SettingsStoreTests, DefaultExclusionsAreTheDesktopsOwnProgramsAndAStoredListStaysAsItIs) {
    // What the Grouping page and an export show before the user changes anything.
    const auto exported = store.snapshot().excludedBundleIDs;
    ASSERT_TRUE(exported);
    EXPECT_EQ(*exported, kDefaultExclusions);
    // A list stored by an earlier version reads back as it was.
    const UserDefaults::StringArray stored{"com.apple.Spotlight", "com.apple.dock", "org.example.Mail"};
    defaults->setStringArray(stored, Keys::excludedBundleIDs);
    EXPECT_EQ(store.excludedBundleIDs(), std::set<std::string>(stored.begin(), stored.end()));
    EXPECT_EQ(*store.snapshot().excludedBundleIDs, std::vector<std::string>(stored.begin(), stored.end()));
}

TEST_F(SettingsStoreTests, ApplyOfAnEmptySnapshotWritesDragKeysResolvesCollisionAndNotifiesOnce) {
    putData(R"({"keyCode":1,"modifiers":256})", Keys::nextTabHotkey);
    putData(R"({"keyCode":1,"modifiers":256})", Keys::prevTabHotkey);
    store.apply(SettingsSnapshot());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(defaults->stringForKey(Keys::dragModifierGate), "shift");
    EXPECT_EQ(defaults->numberForKey(Keys::dragHoldDelay), 0.3);
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo(1, HotkeyModifiers::command));
    EXPECT_FALSE(store.prevTabHotkey());
}

TEST_F(SettingsStoreTests, ApplyKeepsTheHotkeyTheFileChose) {
    SettingsSnapshot both;
    both.nextTabHotkey = std::optional<KeyCombo>(KeyCombo(5, HotkeyModifiers::control));
    both.prevTabHotkey = both.nextTabHotkey;
    store.apply(both);
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo(5, HotkeyModifiers::control));
    EXPECT_FALSE(store.prevTabHotkey());

    store.setNextTabHotkey(KeyCombo(7, HotkeyModifiers::option));
    SettingsSnapshot prevOnly;
    prevOnly.prevTabHotkey = std::optional<KeyCombo>(KeyCombo(7, HotkeyModifiers::option));
    store.apply(prevOnly);
    EXPECT_FALSE(store.nextTabHotkey());
    EXPECT_EQ(store.prevTabHotkey(), KeyCombo(7, HotkeyModifiers::option));
}

TEST_F(SettingsStoreTests, ApplyIgnoresUnknownStringsAndStoresSizesAsGiven) {
    store.setAppearanceMode(AppearanceMode::dark);
    store.setFullscreenPolicy(FullscreenPolicy::detach);
    SettingsSnapshot s;
    s.appearanceMode = "sepia";
    s.fullscreenPolicy = "Suspend";
    s.modifierGate = "hyper";
    s.holdDelay = 0.7;
    s.tabBarHeight = 100;
    s.excludedBundleIDs = std::vector<std::string>{"b", "a", "b"};
    s.colorPresets = std::vector<ColorPreset>{};
    store.apply(s);
    EXPECT_EQ(store.appearanceMode(), AppearanceMode::dark);
    EXPECT_EQ(store.fullscreenPolicy(), FullscreenPolicy::detach);
    EXPECT_EQ(store.dragSettings(), (DragSettings{ModifierGate::shift, 0.7}));
    EXPECT_EQ(defaults->numberForKey(Keys::tabBarHeight), 100);
    EXPECT_EQ(store.tabBarHeight(), 48);
    EXPECT_EQ(store.excludedBundleIDs(), (std::set<std::string>{"a", "b"}));
    EXPECT_TRUE(defaults->dataForKey(Keys::colorPresets));
}

TEST_F(SettingsStoreTests, SnapshotThroughFileAndApplyRoundTrips) {
    store.setDragSettings(DragSettings{ModifierGate::control, 0.2});
    store.setOffSpacePolicy(OffSpacePolicy::suspend);
    store.setTabBarOpacity(0.5);
    store.setShowTabBadges(true);
    store.setTabBadgeColor(TabColor(0.5, 0.25, 0));
    store.setPrevTabHotkey(std::nullopt);
    store.setAutoColorRules({AutoColorRule(Uuid::random(), {"x"}, "y", MatchRule::TitleMatch::regex, TabColor(1, 0, 1))});
    store.setColorPresets({ColorPreset(Uuid::random(), "P", TabColor(0, 1, 0))});
    const SettingsSnapshot before = store.snapshot();
    EXPECT_EQ(before.prevTabHotkey, std::optional<std::optional<KeyCombo>>(std::optional<KeyCombo>()));

    const auto bytes = before.encoded();
    ASSERT_TRUE(bytes);
    SettingsStore other(std::make_shared<InMemoryUserDefaults>());
    other.apply(SettingsSnapshot::decode(*bytes));
    EXPECT_EQ(other.snapshot(), before);
}

}  // namespace
}  // namespace tessaly
