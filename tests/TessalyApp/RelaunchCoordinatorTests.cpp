#include "TessalyApp/RelaunchCoordinator.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

// The program around a restart: which windows are out of reach, what the
// user answers, whether the reopen can be arranged, and every step taken in
// order.
class RelaunchCoordinatorTests : public ::testing::Test {
protected:
    RelaunchCoordinatorTests() {
        Log::setSink([this](LogLevel level, LogCategory, std::string_view line) {
            if (level == LogLevel::error) steps.push_back("log " + std::string(line));
        });
        RelaunchCoordinator::Hooks hooks;
        hooks.membersUnreachableAfterRelaunch = [this] { return unreachable; };
        hooks.detachBeforeRelaunch = [this](const std::vector<WindowID>& ids) {
            std::string text = "detach";
            for (WindowID id : ids) text += " " + std::to_string(id);
            steps.push_back(text);
        };
        hooks.askMemberLoss = [this](const MemberLossAlert& alert, std::function<void(bool)> answer) {
            asked = alert;
            pendingAnswer = std::move(answer);
            steps.push_back("ask");
        };
        hooks.scheduleReopen = [this](std::string* why) {
            steps.push_back("schedule");
            if (!reopenWorks) *why = "the program's file is gone";
            return reopenWorks;
        };
        hooks.showFailure = [this](const std::string& title, const std::string& detail) {
            steps.push_back("failure " + title + ": " + detail);
        };
        hooks.noteWillRelaunch = [this] { steps.push_back("arm"); };
        hooks.terminate = [this] { steps.push_back("terminate"); };
        coordinator = std::make_unique<RelaunchCoordinator>(hooks, &notices);
    }
    ~RelaunchCoordinatorTests() override { Log::setSink(nullptr); }

    void answer(bool goAhead) {
        ASSERT_TRUE(pendingAnswer);
        pendingAnswer(goAhead);
    }

    L10n::ScopedLanguageForTesting english{AppLanguage::english};
    std::vector<WindowID> unreachable;
    bool reopenWorks = true;
    std::optional<MemberLossAlert> asked;
    std::function<void(bool)> pendingAnswer;
    std::vector<std::string> steps;
    ShellNotices notices;
    std::unique_ptr<RelaunchCoordinator> coordinator;
};

TEST_F(RelaunchCoordinatorTests, NothingOutOfReachRestartsAtOnceReopenFirst) {
    coordinator->requestRestart();
    EXPECT_EQ(steps, (std::vector<std::string>{"schedule", "arm", "terminate"}));
    EXPECT_FALSE(asked);
}

TEST_F(RelaunchCoordinatorTests, OnlyWindowsStillOutOfReachAfterTheAnswerLeaveTheirGroupsAndOnlyAfterTheReopen) {
    unreachable = {7, 9};
    coordinator->requestRestart();
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->title, "2 windows will leave their groups");
    EXPECT_EQ(asked->continueTitle, "Restart Anyway");
    EXPECT_EQ(asked->cancelTitle, "Cancel");
    EXPECT_EQ(asked->body, L10n::restartDetachAlertBody());
    coordinator->requestRestart();  // the warning is open: ignored
    EXPECT_EQ(steps, (std::vector<std::string>{"ask"}));

    unreachable = {9};  // the user brought window 7 to the front meanwhile
    answer(true);
    EXPECT_EQ(steps, (std::vector<std::string>{"ask", "schedule", "detach 9", "arm", "terminate"}));
    answer(true);  // a second answer does nothing
    EXPECT_EQ(steps.size(), 5u);
}

TEST_F(RelaunchCoordinatorTests, CancellingArrangesNothing) {
    unreachable = {7};
    coordinator->requestRestart();
    EXPECT_EQ(asked->title, "1 window will leave its group");
    answer(false);
    EXPECT_EQ(steps, (std::vector<std::string>{"ask"}));
    coordinator->requestRestart();  // may ask again
    EXPECT_EQ(steps, (std::vector<std::string>{"ask", "ask"}));
}

TEST_F(RelaunchCoordinatorTests, AReopenThatCannotBeArrangedSplitsNothingQuitsNothingAndIsShown) {
    reopenWorks = false;
    unreachable = {7};
    coordinator->requestRestart();
    answer(true);
    EXPECT_EQ(steps, (std::vector<std::string>{"ask", "schedule", "log restart failed: the program's file is gone",
                                               "failure Tessaly couldn't restart itself: the program's file is gone"}));
    EXPECT_TRUE(notices.isActive(ShellNotice::relaunchFailed));

    // A later restart that works clears the notice.
    reopenWorks = true;
    unreachable.clear();
    coordinator->requestRestart();
    EXPECT_FALSE(notices.isActive(ShellNotice::relaunchFailed));
    EXPECT_EQ(steps.back(), "terminate");
}

TEST_F(RelaunchCoordinatorTests, AnAnswerAfterTheCoordinatorIsGoneDoesNothing) {
    unreachable = {7};
    coordinator->requestRestart();
    coordinator.reset();
    answer(true);
    EXPECT_EQ(steps, (std::vector<std::string>{"ask"}));
}

TEST(RelaunchCoordinatorBareTests, WithoutAWayToReopenOrToAskNothingHappensButTheFailure) {
    std::vector<std::string> failures;
    RelaunchCoordinator::Hooks hooks;
    hooks.showFailure = [&](const std::string&, const std::string& detail) { failures.push_back(detail); };
    bool terminated = false;
    hooks.terminate = [&] { terminated = true; };
    RelaunchCoordinator bare(hooks);
    bare.requestRestart();
    EXPECT_FALSE(terminated);
    EXPECT_EQ(failures, (std::vector<std::string>{"nothing can start the program again"}));

    // Windows out of reach and nobody to ask: no relaunch.
    hooks.membersUnreachableAfterRelaunch = [] { return std::vector<WindowID>{3}; };
    hooks.scheduleReopen = [](std::string*) { return true; };
    RelaunchCoordinator silent(hooks);
    silent.requestRestart();
    EXPECT_FALSE(terminated);
}

}  // namespace
}  // namespace tessaly
