// The application delegate on the simulated desktop: when the session
// starts, what is pushed into it, what the shell's pieces are asked to
// show, and how it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Platform/TestFiles.h"
#include "TessalyApp/AppDelegate.h"
#include "TessalyApp/SettingsModel.h"
#include "TessalyCore/L10n.h"
#include "TessalySession/SessionDesktop.h"

namespace tessaly {
namespace {

using testing::LogCapture;

class RecordingShell final : public AppShell {
public:
    std::vector<std::string> calls;
    void activateApplication() override { calls.push_back("activate"); }
    void showAlert(const std::string& title, const std::string&) override { calls.push_back("alert: " + title); }
    void terminate(int exitCode) override { calls.push_back("terminate " + std::to_string(exitCode)); }
};

class AppDelegateTest : public ::testing::Test {
protected:
    // A delegate over the simulated desktop whose shell pieces only say
    // that they were asked.
    std::unique_ptr<AppDelegate> launch(bool loginItem = false) {
        AppDelegate::Services services;
        services.platform = env.services;
        services.defaults = defaults;
        services.shell = shell;
        services.handoffFile = folder.path() / "update-handoff.json";
        services.launchedAsLoginItem = loginItem;
        services.makeSession = [this](bool usePublicZSync) {
            sessionsMade.push_back(usePublicZSync);
            return std::make_shared<GroupSession>(
                GroupSession::Services{env.services, input, input, overlay, std::make_shared<testing::NoIcons>()},
                usePublicZSync);
        };
        auto delegate = std::make_unique<AppDelegate>(std::move(services));
        auto& p = delegate->parts;
        const auto hook = [this](std::string name) { return [this, name] { hooks.push_back(name); }; };
        p.installMenuBar = hook("menu bar");
        p.showSettings = hook("settings");
        p.showSettingsHowTo = hook("settings: how to");
        p.showOnboardingWindow = hook("onboarding shown");
        p.closeOnboardingWindow = hook("onboarding closed");
        p.tabHotkeysChanged = [this] { ++tabHotkeyChanges; };
        p.groupingModifierChanged = [this] { ++groupingModifierChanges; };
        delegate->applicationDidFinishLaunching();
        env.settle();
        return delegate;
    }
    void writeHandoffFile() {
        const auto clock = SystemEnvironment(env.services.systemProbes, env.clock).bootClock();
        const UpdateHandoff handoff(clock.bootTime, clock.uptime, {});
        ::tessaly::testing::writeFile(folder.path() / "update-handoff.json", handoff.toJSON().dump());
    }
    std::size_t registeredHotkeys() const { return input->registeredCombinations().size(); }

    SimEnvironment env;
    std::shared_ptr<SimInput> input = std::make_shared<SimInput>(*env.main);
    std::shared_ptr<FakeOverlayFactory> overlay = std::make_shared<FakeOverlayFactory>();
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    std::shared_ptr<RecordingShell> shell = std::make_shared<RecordingShell>();
    ::tessaly::testing::TempFolder folder;
    std::vector<bool> sessionsMade;  // the usePublicZSync of each session made
    std::vector<std::string> hooks;
    int tabHotkeyChanges = 0;
    int groupingModifierChanges = 0;
    LogCapture log;
};

TEST_F(AppDelegateTest, AFirstTrustedLaunchStartsOneSessionWithEverySettingAndShowsHowTo) {
    defaults->setString("detach", SettingsStore::Keys::fullscreenPolicy);
    defaults->setDouble(0.5, SettingsStore::Keys::dragHoldDelay);
    writeHandoffFile();
    auto delegate = launch();

    EXPECT_EQ(hooks, (std::vector<std::string>{"menu bar", "settings: how to"}));
    EXPECT_TRUE(delegate->store().welcomeShown());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "update-handoff.json")) << "the handoff is read and deleted";
    ASSERT_EQ(sessionsMade, std::vector<bool>{true});  // public ordering unless "useSkyLightZSync"
    GroupSession& session = *delegate->session();
    EXPECT_EQ(session.fullscreenPolicy, FullscreenPolicy::detach);
    EXPECT_EQ(session.dragSettings().holdDelay, 0.5);
    EXPECT_TRUE(session.isDragGroupingActive());
    EXPECT_TRUE(delegate->isDragActive());
    EXPECT_EQ(registeredHotkeys(), 2u);
    EXPECT_EQ(log.matching(LogCategory::app, AppDelegate::sessionStartedLine).size(), 1u);

    // Every later change is pushed again, the hotkeys included.
    delegate->store().setDragSettings(DragSettings{ModifierGate::control, 0.1});
    EXPECT_EQ(session.dragSettings(), (DragSettings{ModifierGate::control, 0.1}));
    // Asking again (the status menu's permission item) makes no second session.
    delegate->requestPermission();
    EXPECT_EQ(sessionsMade.size(), 1u);
    EXPECT_TRUE(delegate->applicationShouldHandleReopen() == false && hooks.back() == "settings");
}

TEST_F(AppDelegateTest, HotkeysStayOffWhileARecordingRunsAndComeBackAfterIt) {
    auto delegate = launch(true);
    EXPECT_EQ(hooks, std::vector<std::string>{"menu bar"}) << "a login launch shows no settings window";
    ASSERT_EQ(registeredHotkeys(), 2u);

    delegate->hotkeyRecordingChanged(true);
    EXPECT_EQ(registeredHotkeys(), 0u);
    delegate->store().setTabBarOpacity(0.5);  // pushes everything but the hotkeys
    EXPECT_EQ(registeredHotkeys(), 0u);
    delegate->store().setNextTabHotkey(std::nullopt);
    delegate->hotkeyRecordingChanged(false);
    EXPECT_EQ(registeredHotkeys(), 1u) << "the stored combinations are registered again";

    // A combination another program holds is logged, not fatal.
    const KeyCombo taken{HotkeyManager::KeyCode::tab, HotkeyModifiers::control};
    input->takeByOtherApplication(taken.keyCode, taken.modifiers.rawValue);
    delegate->store().setNextTabHotkey(taken);
    EXPECT_EQ(log.matching(LogCategory::app, AppDelegate::hotkeyFailureLine).size(), 1u);
    EXPECT_TRUE(delegate->notices().isActive(ShellNotice::hotkeysTaken)) << "the status menu tells the user";
    delegate->store().setNextTabHotkey(std::nullopt);
    EXPECT_FALSE(delegate->notices().isActive(ShellNotice::hotkeysTaken));
    EXPECT_TRUE(delegate->isSessionRunning());
}

TEST_F(AppDelegateTest, HotkeysTheWindowManagerHoldsAreLoggedOncePerChangeOfOutcome) {
    // The window manager holds Control+Alt+Right (most hold Left too), and
    // the user recorded it: no fallback stands in for a recorded key.
    input->takeByOtherApplication(KeyCombo::defaultNextTab.keyCode, KeyCombo::defaultNextTab.modifiers.rawValue);
    SettingsStore(defaults, nullptr).setNextTabHotkey(KeyCombo::defaultNextTab);
    const auto failures = [this] { return log.matching(LogCategory::app, AppDelegate::hotkeyFailureLine).size(); };
    auto delegate = launch(true);
    EXPECT_EQ(failures(), 1u);
    EXPECT_TRUE(delegate->notices().isActive(ShellNotice::hotkeysTaken));

    // Every change registers the hotkeys again; nothing new to say.
    for (int i = 0; i < 15; ++i) delegate->store().setTabBarOpacity(0.5 + i / 100.0);
    delegate->hotkeyRecordingChanged(true);
    delegate->hotkeyRecordingChanged(false);
    EXPECT_EQ(failures(), 1u);

    // Another taken combination is a new outcome; free ones say nothing.
    const KeyCombo alsoTaken{HotkeyManager::KeyCode::tab, HotkeyModifiers::control};
    input->takeByOtherApplication(alsoTaken.keyCode, alsoTaken.modifiers.rawValue);
    delegate->store().setNextTabHotkey(alsoTaken);
    EXPECT_EQ(failures(), 2u);
    delegate->store().setNextTabHotkey(KeyCombo(HotkeyKeyCode::functionKeys[4], HotkeyModifiers{}));
    EXPECT_FALSE(delegate->notices().isActive(ShellNotice::hotkeysTaken));
    delegate->store().setTabBarOpacity(0.9);
    EXPECT_EQ(failures(), 2u);
    // Back to the held default: told again.
    delegate->store().setNextTabHotkey(KeyCombo::defaultNextTab);
    delegate->store().setTabBarOpacity(1.0);
    EXPECT_EQ(failures(), 3u);
    EXPECT_TRUE(delegate->notices().isActive(ShellNotice::hotkeysTaken));
}

TEST_F(AppDelegateTest, TakenDefaultKeysGiveWayToTheFirstWholeFreeFallbackUntilTheUserChoosesKeys) {
    const auto take = [this](const std::optional<KeyCombo>& combo) {
        input->takeByOtherApplication(combo->keyCode, combo->modifiers.rawValue);
    };
    const auto registered = [this] {
        auto combos = input->registeredCombinations();
        std::sort(combos.begin(), combos.end());
        return combos;
    };
    const auto combos = [](const TabCycleKeys& keys) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> list{
            {keys.next->keyCode, keys.next->modifiers.rawValue}, {keys.prev->keyCode, keys.prev->modifiers.rawValue}};
        std::sort(list.begin(), list.end());
        return list;
    };
    const auto failures = [this] { return log.matching(LogCategory::app, AppDelegate::hotkeyFailureLine).size(); };
    const auto fallbackLines = [this] { return log.matching(LogCategory::app, AppDelegate::hotkeyFallbackLine); };
    // The window manager holds both defaults and the first fallback's
    // previous-tab key: half a pair is no pair.
    const TabCycleKeys second = TabCycleHotkeys::fallbacks[1];
    take(KeyCombo::defaultNextTab);
    take(KeyCombo::defaultPrevTab);
    take(TabCycleHotkeys::fallbacks[0].prev);
    auto delegate = launch(true);
    EXPECT_EQ(registered(), combos(second));
    EXPECT_TRUE(input->pressKey(second.next->keyCode, second.next->modifiers.rawValue));
    EXPECT_EQ(delegate->fallbackTabHotkeys(), second);
    EXPECT_EQ(delegate->tabHotkeysInForce(), second);
    EXPECT_EQ(failures(), 0u);
    EXPECT_FALSE(delegate->notices().isActive(ShellNotice::hotkeysTaken));
    ASSERT_EQ(fallbackLines().size(), 1u);
    EXPECT_NE(fallbackLines()[0].find(second.displayName()), std::string::npos) << fallbackLines()[0];
    EXPECT_EQ(tabHotkeyChanges, 1);
    EXPECT_FALSE(delegate->store().tabHotkeysRecorded()) << "the fallback is never stored as the user's choice";
    EXPECT_EQ(delegate->store().nextTabHotkey(), KeyCombo::defaultNextTab);
    // Later pushes keep it without saying it again.
    delegate->store().setTabBarOpacity(0.5);
    delegate->hotkeyRecordingChanged(true);
    delegate->hotkeyRecordingChanged(false);
    EXPECT_EQ(registered(), combos(second));
    EXPECT_EQ(fallbackLines().size(), 1u);
    EXPECT_EQ(tabHotkeyChanges, 1);

    // Keys the user recorded are never replaced, even when taken.
    delegate->store().setTabHotkeys(KeyCombo::defaultNextTab, KeyCombo::defaultPrevTab);
    EXPECT_TRUE(registered().empty());
    EXPECT_EQ(delegate->fallbackTabHotkeys(), std::nullopt);
    EXPECT_EQ(delegate->tabHotkeysInForce(), TabCycleKeys::defaults());
    EXPECT_EQ(failures(), 1u);
    EXPECT_TRUE(delegate->notices().isActive(ShellNotice::hotkeysTaken));
    EXPECT_EQ(tabHotkeyChanges, 2);

    // Forgotten again, the program picks; with every pair taken it keeps
    // the warning for the defaults.
    for (const TabCycleKeys& pair : TabCycleHotkeys::fallbacks) {
        take(pair.next);
        take(pair.prev);
    }
    delegate->store().forgetTabHotkeys();
    EXPECT_TRUE(registered().empty());
    EXPECT_EQ(delegate->fallbackTabHotkeys(), std::nullopt);
    EXPECT_EQ(failures(), 1u) << "the same refusal as before: not told again";
    EXPECT_TRUE(delegate->notices().isActive(ShellNotice::hotkeysTaken));
    EXPECT_EQ(fallbackLines().size(), 1u);
}

// KWin drops a window dragged with Shift into one of its tiles: a user who
// never chose a modifier groups with Control there, and one who chose Shift
// keeps it and hears once that the window manager takes it.
TEST_F(AppDelegateTest, AWindowManagerThatTakesShiftDragsGroupsWithControlUntilTheUserChooses) {
    const auto assist = std::make_shared<testing::RecordingMoveAssist>();
    assist->takesShift = true;
    env.services.moveAssist = assist;
    defaults->setDouble(0.6, SettingsStore::Keys::dragHoldDelay);
    const auto lines = [this](const char* line) { return log.matching(LogCategory::app, line).size(); };
    auto delegate = launch(true);
    GroupSession& session = *delegate->session();
    EXPECT_EQ(session.dragSettings(), (DragSettings{ModifierGate::control, 0.6}));
    EXPECT_EQ(assist->calls.back(), InputFlags::control) << "the move assist watches Control presses";
    EXPECT_TRUE(delegate->groupingModifier().isFallback());
    EXPECT_EQ(lines(AppDelegate::modifierFallbackLine), 1u);
    EXPECT_EQ(groupingModifierChanges, 1);
    EXPECT_EQ(delegate->store().dragSettings().modifierGate, ModifierGate::shift) << "the fallback is never stored";

    // Other changes, the delay among them, keep it without a word.
    SettingsModel model(delegate->store());
    model.setHoldDelay(1.0);
    delegate->store().setTabBarOpacity(0.5);
    EXPECT_EQ(session.dragSettings(), (DragSettings{ModifierGate::control, 1.0}));
    EXPECT_FALSE(delegate->store().dragModifierChosen());
    EXPECT_EQ(lines(AppDelegate::modifierFallbackLine), 1u);
    EXPECT_EQ(groupingModifierChanges, 1);

    // Shift chosen: it is the modifier, and the user is told once it is taken.
    model.setModifierGate(ModifierGate::shift);
    EXPECT_EQ(session.dragSettings().modifierGate, ModifierGate::shift);
    EXPECT_EQ(assist->calls.back(), InputFlags::shift);
    EXPECT_TRUE(delegate->groupingModifier().isTaken());
    delegate->store().setTabBarOpacity(0.6);
    EXPECT_EQ(lines(AppDelegate::modifierTakenLine), 1u);
    EXPECT_EQ(groupingModifierChanges, 2);
    model.setModifierGate(ModifierGate::control);
    EXPECT_FALSE(delegate->groupingModifier().isTaken() || delegate->groupingModifier().isFallback());

    // A window manager that leaves Shift alone, and no choice: Shift again.
    defaults->removeObjectForKey(SettingsStore::Keys::dragModifierGate);
    assist->takesShift = false;
    delegate->store().setTabBarOpacity(0.7);
    EXPECT_EQ(session.dragSettings().modifierGate, ModifierGate::shift);
    EXPECT_FALSE(delegate->groupingModifier().isFallback());
    EXPECT_EQ(lines(AppDelegate::modifierFallbackLine), 1u);
    EXPECT_EQ(lines(AppDelegate::modifierTakenLine), 1u);
}

TEST_F(AppDelegateTest, WithoutAWindowManagerItWaitsForOneAndStartsWhenItAnswers) {
    env.desktop->setTrusted(false);
    defaults->setBool(true, AppDelegate::useSkyLightZSyncKey);
    auto delegate = launch(true);
    EXPECT_EQ(hooks, (std::vector<std::string>{"menu bar", "onboarding shown"}));
    EXPECT_FALSE(delegate->isSessionRunning());
    EXPECT_EQ(log.matching(LogCategory::app, "window manager").size(), 1u);

    env.main->advance(3.0);  // polls once a second, finds nothing
    env.settle();
    EXPECT_FALSE(delegate->isSessionRunning());

    env.desktop->setTrusted(true);
    env.main->advance(1.0);
    env.settle();
    EXPECT_EQ(hooks.back(), "onboarding closed");
    EXPECT_EQ(sessionsMade, std::vector<bool>{false}) << "\"useSkyLightZSync\" picks the window server's ordering";
    EXPECT_TRUE(delegate->isDragActive());
}

TEST_F(AppDelegateTest, AWindowClosedBeforeTheGrantStillLetsTheSessionStartLater) {
    env.desktop->setTrusted(false);
    auto delegate = launch(true);
    delegate->permissions().stopWaiting();  // the onboarding window was closed: no more polls
    env.desktop->setTrusted(true);
    env.main->advance(2.0);
    env.settle();
    EXPECT_FALSE(delegate->isSessionRunning());
    delegate->statusMenuWillOpen();  // the user opens the status menu
    EXPECT_TRUE(delegate->isSessionRunning());
}

TEST_F(AppDelegateTest, StageManagerBlocksTheSessionWithOneAlert) {
    env.desktop->setStageManagerPreference(true);
    auto delegate = launch(true);
    EXPECT_TRUE(delegate->isStageManagerBlocked());
    EXPECT_FALSE(delegate->isSessionRunning());
    EXPECT_EQ(shell->calls, (std::vector<std::string>{"activate", "alert: " + L10n::stageManagerAlertTitle()}));
}

TEST_F(AppDelegateTest, TheStatusMenuSeesTheGroupsAndCanUngroupThemAll) {
    auto delegate = launch(true);
    env.desktop->addApplication({300, "org.example.Editor", "Editor", "/usr/share/applications/editor.desktop"});
    for (const WindowID id : {11u, 12u}) {
        SimWindowSpec spec;
        spec.id = id;
        spec.pid = 300;
        spec.frame = Rect(100.0 * id, 100, 400, 300);
        env.desktop->addWindow(spec);
    }
    env.settle();
    GroupSession& session = *delegate->session();
    const auto element = [&](WindowID id) {
        return std::make_shared<const AXWindow>(session.windowSystem().axServices(), SimDesktop::windowElement(300, id),
                                                300, 1.0f);
    };
    ASSERT_TRUE(session.group(element(11), element(12)));
    env.settle();
    const auto groups = delegate->groupsSnapshot();
    ASSERT_EQ(groups.size(), 1u);
    delegate->focusGroup(groups.front().id);  // activates the group's active member
    delegate->ungroupAll();
    EXPECT_TRUE(delegate->groupsSnapshot().empty());
}

TEST_F(AppDelegateTest, TerminationShutsTheSessionDownAndAnOrdinaryQuitWritesNoHandoff) {
    auto delegate = launch(true);
    const auto session = delegate->session();
    delegate->applicationWillTerminate();
    EXPECT_TRUE(session->isShutDown());
    EXPECT_EQ(registeredHotkeys(), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "update-handoff.json"));

    delegate->windowServerLost("connection reset");
    EXPECT_EQ(shell->calls.back(), "terminate 1");
    EXPECT_EQ(log.matching(LogCategory::app, "the X server closed the connection").size(), 1u);
}

}  // namespace
}  // namespace tessaly
