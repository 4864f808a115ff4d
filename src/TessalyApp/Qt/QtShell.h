#pragma once
// The shell's Qt pieces, attached to the application delegate's hooks: the
// status item with its menu, the onboarding window, the settings window
// (made on first use, with the display language, launch at login and the
// restart), and the restart's warning. Made right after the delegate and
// gone before it. Main thread only, once the QApplication exists.
#include <memory>
#include <optional>

#include "Platform/MainExecutor.h"
#include "Platform/SystemAppearance.h"
#include "Platform/UserDefaults.h"
#include "Platform/Workspace.h"
#include "TessalyApp/AppDelegate.h"
#include "TessalyApp/AppRelauncher.h"
#include "TessalyApp/LoginItem.h"
#include "TessalyApp/RelaunchCoordinator.h"
#include "TessalyApp/SettingsCategory.h"

namespace tessaly {

class MemberLossPrompt;
class MenuBarController;
class OnboardingWindowController;
class SettingsWindowController;

class QtShell {
public:
    struct Environment {
        std::shared_ptr<MainExecutor> main;
        std::shared_ptr<AppShell> shell;
        std::shared_ptr<UserDefaults> defaults;
        std::shared_ptr<Workspace> workspace;
        std::shared_ptr<SystemAppearance> appearance;
    };

    // Points every hook of `delegate.parts` at the pieces here.
    QtShell(AppDelegate& delegate, Environment environment);
    ~QtShell();
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

private:
    void installMenuBar();
    void showOnboardingWindow();
    SettingsWindowController& settingsController();
    void showSettingsOn(std::optional<SettingsCategory> category);
    RelaunchCoordinator::Hooks relaunchHooks();

    AppDelegate& delegate_;
    Environment environment_;
    AppRelauncher relauncher_;
    LoginItem loginItem_;
    std::unique_ptr<MemberLossPrompt> memberLossPrompt_;
    std::unique_ptr<RelaunchCoordinator> relaunch_;
    std::unique_ptr<MenuBarController> menuBar_;
    std::unique_ptr<OnboardingWindowController> onboarding_;
    std::unique_ptr<SettingsWindowController> settingsWindow_;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
