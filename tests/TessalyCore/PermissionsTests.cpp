#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "Platform/Log.h"
#include "Platform/TestFiles.h"
#include "Platform/UserDefaults.h"
#include "Platform/Sim/SimEnvironment.h"
#include "TessalyCore/PermissionsCoordinator.h"
#include "TessalyCore/ReconcileLog.h"
#include "TessalyCore/SystemEnvironment.h"

namespace tessaly {
namespace {

class PermissionsTest : public ::testing::Test {
protected:
    SimEnvironment env;
    PermissionsCoordinator coordinator{env.services};
    int granted = 0;
};

TEST_F(PermissionsTest, AlreadyTrustedGrantsAtOnceWithoutATimer) {
    coordinator.waitForTrust([this] { ++granted; });
    EXPECT_EQ(granted, 1);
    EXPECT_FALSE(coordinator.isWaiting());
    EXPECT_EQ(env.main->pendingTimerCount(), 0u);
}

TEST_F(PermissionsTest, PollGrantsOnceAndStops) {
    env.desktop->setTrusted(false);
    coordinator.waitForTrust([this] { ++granted; });
    env.main->advance(2.5);
    EXPECT_EQ(granted, 0);
    env.desktop->setTrusted(true);
    env.main->advance(0.5);
    EXPECT_EQ(granted, 1);
    EXPECT_FALSE(coordinator.isWaiting());
    env.main->advance(10);
    EXPECT_EQ(granted, 1);
    EXPECT_EQ(env.main->pendingTimerCount(), 0u);
}

TEST_F(PermissionsTest, NewWaitReplacesTheOldAndStopEndsIt) {
    coordinator.stopWaiting();  // nothing to stop
    env.desktop->setTrusted(false);
    int first = 0;
    coordinator.waitForTrust([&] { ++first; });
    coordinator.waitForTrust([this] { ++granted; });
    EXPECT_EQ(env.main->pendingTimerCount(), 1u);
    env.desktop->setTrusted(true);
    env.main->advance(1.0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(granted, 1);

    env.desktop->setTrusted(false);
    coordinator.waitForTrust([this] { ++granted; });
    coordinator.stopWaiting();
    env.desktop->setTrusted(true);
    env.main->advance(5.0);
    EXPECT_EQ(granted, 1);
}

TEST_F(PermissionsTest, TheWaitEndsWithItsCoordinator) {
    env.desktop->setTrusted(false);
    auto owned = std::make_unique<PermissionsCoordinator>(env.services);
    owned->waitForTrust([this] { ++granted; });
    owned.reset();
    EXPECT_EQ(env.main->pendingTimerCount(), 0u);
    env.desktop->setTrusted(true);
    env.main->advance(5.0);
    EXPECT_EQ(granted, 0);
}

TEST_F(PermissionsTest, RequestPromptsAndSettingsOpen) {
    env.desktop->setTrusted(false);
    EXPECT_FALSE(coordinator.isTrusted());
    EXPECT_EQ(env.desktop->trustPromptCount(), 0);
    EXPECT_FALSE(coordinator.requestTrust());
    EXPECT_EQ(env.desktop->trustPromptCount(), 1);
    coordinator.openAccessibilitySettings();
    EXPECT_EQ(env.desktop->openedURLs(), std::vector<std::string>{env.desktop->accessibilitySettingsURL()});
}

TEST(SystemEnvironmentTest, StageManagerAndBootClock) {
    SimEnvironment env;
    SystemEnvironment system(env.services.systemProbes, env.clock);
    EXPECT_FALSE(system.isStageManagerEnabled());
    env.desktop->setStageManagerPreference(true);
    EXPECT_TRUE(system.isStageManagerEnabled());
    env.desktop->setStageManagerPreference(false);
    EXPECT_FALSE(system.isStageManagerEnabled());

    EXPECT_EQ(system.bootTime(), 0.0);
    EXPECT_EQ(system.bootClock().uptime, env.clock->now());  // the whole time since 1970
    env.desktop->setKernelBootTime(1'799'990'000.5);
    const auto boot = system.bootClock();
    EXPECT_EQ(boot.bootTime, 1'799'990'000.5);
    EXPECT_DOUBLE_EQ(boot.uptime, env.clock->now() - 1'799'990'000.5);
}

TEST(ReconcileLogTest, DefaultsOrExactlyOneInTheEnvironment) {
    EXPECT_TRUE(ReconcileLog::decide(true, nullptr));
    EXPECT_TRUE(ReconcileLog::decide(true, "0"));
    EXPECT_TRUE(ReconcileLog::decide(std::nullopt, "1"));
    EXPECT_TRUE(ReconcileLog::decide(false, "1"));
    EXPECT_FALSE(ReconcileLog::decide(std::nullopt, nullptr));
    EXPECT_FALSE(ReconcileLog::decide(std::nullopt, "true"));
    EXPECT_FALSE(ReconcileLog::decide(std::nullopt, "01"));
    EXPECT_FALSE(ReconcileLog::decide(std::nullopt, " 1"));
    EXPECT_FALSE(ReconcileLog::decide(false, ""));
}

// Each case runs in a fresh process, where the switch is still unread.
TEST(ReconcileLogDeathTest, FirstReadDecidesForTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto readWith = [](const char* variable, bool stored) {
        if (variable) setenv(ReconcileLog::environmentVariable, variable, 1);
        else unsetenv(ReconcileLog::environmentVariable);
        auto defaults = std::make_shared<InMemoryUserDefaults>();
        if (stored) defaults->setBool(true, ReconcileLog::defaultsKey);
        ReconcileLog::useDefaults(defaults);
        defaults.reset();  // the owner lets its store go before the first read
        const bool first = ReconcileLog::isEnabled();
        setenv(ReconcileLog::environmentVariable, first ? "0" : "1", 1);  // later changes do not count
        const bool consistent = ReconcileLog::isEnabled() == first && Log::diagnosticsEnabled() == first;
        std::exit(consistent ? (first ? 10 : 11) : 12);
    };
    EXPECT_EXIT(readWith("1", false), ::testing::ExitedWithCode(10), "");
    EXPECT_EXIT(readWith("true", false), ::testing::ExitedWithCode(11), "");
    EXPECT_EXIT(readWith(nullptr, true), ::testing::ExitedWithCode(10), "");
    EXPECT_EXIT(readWith(nullptr, false), ::testing::ExitedWithCode(11), "");
}

// Without a store named, the first read consults the user's standard one.
TEST(ReconcileLogDeathTest, FirstReadConsultsTheStandardDefaults) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto readWith = [](const char* stored) {
        const testing::TempFolder config;
        testing::writeFile(config.path() / "tessaly" / "defaults.json", stored);
        setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        unsetenv(ReconcileLog::environmentVariable);
        std::exit(ReconcileLog::isEnabled() ? 10 : 11);
    };
    EXPECT_EXIT(readWith(R"({"TessalyReconcileLogging": true})"), ::testing::ExitedWithCode(10), "");
    EXPECT_EXIT(readWith(R"({"TessalyReconcileLogging": "YES"})"), ::testing::ExitedWithCode(10), "");
    EXPECT_EXIT(readWith(R"({"TessalyReconcileLogging": false})"), ::testing::ExitedWithCode(11), "");
    EXPECT_EXIT(readWith("{}"), ::testing::ExitedWithCode(11), "");
}

}  // namespace
}  // namespace tessaly
