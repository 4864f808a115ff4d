#include "TessalyApp/Qt/OnboardingWindowController.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include "Platform/Sim/SimEnvironment.h"
#include "Platform/SystemProbes.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

// The owner's side as the application delegate plays it: the poll and the
// window share one onGranted, which closes the window and counts a start.
class OnboardingWindowControllerTests : public ::testing::Test {
protected:
    OnboardingWindowControllerTests() {
        env.desktop->setTrusted(false);
        controller = std::make_unique<OnboardingWindowController>(permissions, [this] {
            ++sessionsStarted;
            controller->close();
        });
    }

    void showOnboarding() {
        permissions.waitForTrust(controller->onGranted());
        controller->show();
    }

    L10n::ScopedLanguageForTesting english{AppLanguage::english};
    SimEnvironment env;
    PermissionsCoordinator permissions{env.services};
    std::unique_ptr<OnboardingWindowController> controller;
    int sessionsStarted = 0;
};

TEST_F(OnboardingWindowControllerTests, TheWindowExplainsAndOffersOneButton) {
    QWidget& window = controller->window();
    EXPECT_EQ(window.windowTitle(), "Welcome to Tessaly");
    EXPECT_EQ(window.width(), 420);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("Tessaly"));
    EXPECT_TRUE(texts.contains(QString::fromStdString(L10n::onboardingBody())));
    ASSERT_TRUE(controller->grantButton());
    EXPECT_EQ(controller->grantButton()->text(), "Grant Accessibility in System Settings…");
    EXPECT_FALSE(controller->isVisible());  // the owner shows it
}

TEST_F(OnboardingWindowControllerTests, TheButtonHidesTheWindowAndTheGrantStillStartsTheSession) {
    showOnboarding();
    EXPECT_TRUE(controller->isVisible());
    controller->grantButton()->setFocus();
    QKeyEvent returnKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(controller->grantButton(), &returnKey);
    EXPECT_FALSE(controller->isVisible());
    EXPECT_EQ(env.desktop->openedURLs(), (std::vector<std::string>{"sim://settings/accessibility"}));
    EXPECT_TRUE(permissions.isWaiting());

    env.main->advance(3.0);
    EXPECT_EQ(sessionsStarted, 0);
    env.desktop->setTrusted(true);
    env.main->advance(1.0);
    EXPECT_EQ(sessionsStarted, 1);
    EXPECT_FALSE(permissions.isWaiting());
}

TEST_F(OnboardingWindowControllerTests, ClosingStopsThePollAndShowingAgainRestartsIt) {
    showOnboarding();
    controller->close();
    EXPECT_FALSE(controller->isVisible());
    EXPECT_FALSE(permissions.isWaiting());
    env.desktop->setTrusted(true);
    env.main->advance(2.0);
    EXPECT_EQ(sessionsStarted, 0);  // the owner starts it when the menu opens or on a reopen

    env.desktop->setTrusted(false);
    showOnboarding();  // the permission item shows it again
    EXPECT_TRUE(permissions.isWaiting());
    env.desktop->setTrusted(true);
    env.main->advance(1.0);
    EXPECT_EQ(sessionsStarted, 1);
}

// The machine facts of X11: no page where the permission is granted.
class NoSettingsPage final : public SystemProbes {
public:
    std::optional<bool> stageManagerPreference() const override { return std::nullopt; }
    std::optional<double> kernelBootTime() const override { return std::nullopt; }
    const char* accessibilitySettingsURL() const override { return ""; }
};

TEST_F(OnboardingWindowControllerTests, WithoutASettingsPageItAsksForAWindowManagerAndOffersNoButton) {
    PlatformServices x11 = env.services;
    x11.systemProbes = std::make_shared<NoSettingsPage>();
    PermissionsCoordinator waiting(x11);
    EXPECT_FALSE(waiting.hasSettingsPage());
    OnboardingWindowController onboarding(waiting, [&] {
        ++sessionsStarted;
        onboarding.close();
    });
    QStringList texts;
    for (const QLabel* label : onboarding.window().findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("To group windows into tabs,\nTessaly needs a window manager with EWMH support.\n"
                               "It starts automatically once one is running."))
        << texts.join(" | ").toStdString();
    EXPECT_EQ(onboarding.grantButton(), nullptr);
    EXPECT_TRUE(onboarding.window().findChildren<QPushButton*>().isEmpty()) << "no button that could not work";

    waiting.waitForTrust(onboarding.onGranted());
    onboarding.show();
    QKeyEvent returnKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&onboarding.window(), &returnKey);
    EXPECT_TRUE(onboarding.isVisible()) << "Return presses nothing";
    EXPECT_TRUE(env.desktop->openedURLs().empty());
    env.desktop->setTrusted(true);  // a window manager answers
    env.main->advance(1.0);
    EXPECT_EQ(sessionsStarted, 1);
    EXPECT_FALSE(onboarding.isVisible());
}

}  // namespace
}  // namespace tessaly
