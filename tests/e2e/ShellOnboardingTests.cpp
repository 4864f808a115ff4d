// Starting on a display where no window manager runs yet: the onboarding
// window says what the program waits for, offers nothing that could not
// work, and goes once a window manager answers and the session starts.
#include "ShellTest.h"

namespace tessaly::e2e {
namespace {

constexpr const char* onboardingTitle = "Welcome to Tessaly";
constexpr const char* onboardingBody =
    "To group windows into tabs,\nTessaly needs a window manager with EWMH support.\nIt starts automatically once "
    "one is running.";

class ShellOnboardingTest : public ShellTest {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = ShellTest::desktopOptions();
        options.windowManager = false;
        return options;
    }
};

TEST_F(ShellOnboardingTest, WithoutAWindowManagerItAsksForOneOffersNoButtonAndStartsWhenOneAnswers) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ChildProcess* run = launch();
    ASSERT_TRUE(run);
    pid_ = run->pid();
    ASSERT_TRUE(control("label", onboardingBody, onboardingTitle)) << "no onboarding window saying what it waits for";
    const auto tree = a11y_->snapshot(pid());
    const auto window = windowNode(tree, onboardingTitle);
    ASSERT_TRUE(window);
    for (std::size_t i = 0; i < tree.size(); ++i) {
        EXPECT_FALSE(tree[i].isShowing() && tree[i].role == "push button" && AccessibilityBus::isInside(tree, i, *window))
            << "the window offers \"" << tree[i].name << "\"";
    }
    EXPECT_EQ(run->count(TessalyProgram::sessionStartedLine), 0u);

    ASSERT_TRUE(startOnDesktop({"openbox", "--sm-disable"}));  // as it comes
    EXPECT_TRUE(run->waitForOutput(TessalyProgram::sessionStartedLine, test::kX11Patience));
    EXPECT_TRUE(a11y_->waitUntil(pid(), [](const std::vector<Accessible>& shown) {
        return !windowNode(shown, onboardingTitle);
    })) << "the onboarding window stayed after the session started";
}

}  // namespace
}  // namespace tessaly::e2e
