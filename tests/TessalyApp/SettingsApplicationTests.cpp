#include "TessalyApp/SettingsApplication.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "OverlayUI/FakeOverlay.h"
#include "Platform/Log.h"
#include "Platform/Sim/SimEnvironment.h"
#include "Platform/Sim/SimInput.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {
namespace {

class NoIcons final : public AppIconSource {
public:
    std::shared_ptr<const AppIcon> icon(ProcessID) override { return nullptr; }
};

using Combination = std::pair<std::uint32_t, std::uint32_t>;

Combination combination(const KeyCombo& combo) { return {combo.keyCode, combo.modifiers.rawValue}; }

// A running session on the simulated desktop with the store's onChange
// pointed at the settings push, as the application delegate wires it.
class SettingsApplicationTests : public ::testing::Test {
protected:
    SettingsApplicationTests() {
        Log::setSink([this](LogLevel level, LogCategory category, std::string_view line) {
            if (category == LogCategory::app && level == LogLevel::error) errors.emplace_back(line);
        });
        session = std::make_unique<GroupSession>(
            GroupSession::Services{env.services, input, input, std::make_shared<FakeOverlayFactory>(),
                                   std::make_shared<NoIcons>()},
            true);
        store.onChange = [this] { application.apply(session.get()); };
        application.onHotkeysRestored = [this] { ++restorations; };
    }
    ~SettingsApplicationTests() override {
        session.reset();
        Log::setSink(nullptr);
    }

    std::vector<Combination> registered() const { return input->registeredCombinations(); }

    SimEnvironment env;
    std::shared_ptr<SimInput> input = std::make_shared<SimInput>(*env.main);
    std::unique_ptr<GroupSession> session;
    SettingsStore store{std::make_shared<InMemoryUserDefaults>(), env.services.workspace};
    ShellNotices notices;
    SettingsApplication application{store, &notices};
    std::vector<std::string> errors;
    int restorations = 0;
};

const Combination kDefaultNext = combination(KeyCombo::defaultNextTab);
const Combination kDefaultPrev = combination(KeyCombo::defaultPrevTab);
const KeyCombo kF5{HotkeyKeyCode::functionKeys[4], HotkeyModifiers{}};
const KeyCombo kF6{HotkeyKeyCode::functionKeys[5], HotkeyModifiers{}};

TEST_F(SettingsApplicationTests, EveryChangePushesEverythingAndRegistersTheHotkeys) {
    application.apply(nullptr);  // no session: nothing to do
    store.setTabBarOpacity(0.5);
    EXPECT_DOUBLE_EQ(session->overlay().tabBarOpacity(), 0.5);
    EXPECT_EQ(session->overlay().appearanceMode(), AppearanceMode::system);
    EXPECT_EQ(session->fullscreenPolicy, store.fullscreenPolicy());
    EXPECT_EQ(session->offSpacePolicy, store.offSpacePolicy());
    ASSERT_TRUE(session->isExcludedApp);
    EXPECT_FALSE(session->isExcludedApp(4242));
    EXPECT_EQ(registered(), (std::vector<Combination>{kDefaultNext, kDefaultPrev}));

    store.setAppearanceMode(AppearanceMode::dark);
    EXPECT_EQ(session->overlay().appearanceMode(), AppearanceMode::dark);
    EXPECT_DOUBLE_EQ(session->overlay().tabBarOpacity(), 0.5);
    EXPECT_EQ(registered().size(), 2u);  // registered anew, not twice
    EXPECT_TRUE(errors.empty());
}

TEST_F(SettingsApplicationTests, WhileRecordingTheHotkeysStayGivenBackUntilRecordingEnds) {
    application.apply(session.get());
    application.hotkeyRecordingChanged(true, session.get());
    EXPECT_TRUE(registered().empty());
    store.setTabBarHeight(40);  // another change meanwhile
    EXPECT_TRUE(registered().empty());
    store.setNextTabHotkey(kF5);
    application.hotkeyRecordingChanged(false, session.get());
    EXPECT_EQ(registered(), (std::vector<Combination>{combination(kF5), kDefaultPrev}));
}

TEST_F(SettingsApplicationTests, HotkeysTakenAtTheStartAreToldAndKept) {
    // The window manager holds the default combinations (openbox does).
    input->takeByOtherApplication(kDefaultNext.first, kDefaultNext.second);
    input->takeByOtherApplication(kDefaultPrev.first, kDefaultPrev.second);
    application.apply(session.get());
    EXPECT_EQ(errors, (std::vector<std::string>{SettingsApplication::hotkeyFailureLine}));
    EXPECT_TRUE(notices.isActive(ShellNotice::hotkeysTaken));
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo::defaultNextTab);  // nothing to spring back to
    EXPECT_EQ(restorations, 0);

    // The user picks free keys: they work and the notice goes.
    store.setNextTabHotkey(kF5);
    store.setPrevTabHotkey(kF6);
    EXPECT_EQ(registered(), (std::vector<Combination>{combination(kF5), combination(kF6)}));
    EXPECT_FALSE(notices.isActive(ShellNotice::hotkeysTaken));
}

TEST_F(SettingsApplicationTests, ATakenNewHotkeySpringsBackToTheOneThatWorked) {
    application.apply(session.get());
    input->takeByOtherApplication(combination(kF5).first, combination(kF5).second);
    store.setNextTabHotkey(kF5);
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo::defaultNextTab);
    EXPECT_EQ(registered(), (std::vector<Combination>{kDefaultNext, kDefaultPrev}));
    EXPECT_TRUE(notices.isActive(ShellNotice::hotkeysTaken));
    EXPECT_EQ(restorations, 1);
    EXPECT_EQ(errors.size(), 1u);

    // Another setting changes: the hotkeys register again, the notice stays
    // for what the user asked for.
    store.setTabBarOpacity(0.7);
    EXPECT_TRUE(notices.isActive(ShellNotice::hotkeysTaken));
    store.setNextTabHotkey(kF6);
    EXPECT_EQ(registered(), (std::vector<Combination>{combination(kF6), kDefaultPrev}));
    EXPECT_FALSE(notices.isActive(ShellNotice::hotkeysTaken));
}

}  // namespace
}  // namespace tessaly
