// The toolkit-free headers first: Qt's keyword macros (emit, signals) would
// otherwise rewrite their declarations.
#include "TessalyApp/Qt/QtShell.h"

#include "TessalyApp/LanguageOverride.h"
#include "TessalyCore/AppLanguage.h"

#include "Platform/Qt/QtWindowActivation.h"
#include "TessalyApp/Qt/MemberLossPrompt.h"
#include "TessalyApp/Qt/MenuBarController.h"
#include "TessalyApp/Qt/OnboardingWindowController.h"
#include "TessalyApp/Qt/SettingsWindowController.h"

#include <QMenu>

#include <cstdlib>

namespace tessaly {

QtShell::QtShell(AppDelegate& delegate, Environment environment)
    : delegate_(delegate),
      environment_(std::move(environment)),
      relauncher_(AppRelauncher::resolveOwnExecutable()),
      loginItem_(LoginItem::defaultEntryFile(), relauncher_.executable()),
      memberLossPrompt_(std::make_unique<MemberLossPrompt>()) {
    loginItem_.onChangeResult = lifetime_.guarded([this](bool succeeded) {
        delegate_.notices().set(ShellNotice::launchAtLoginFailed, !succeeded);
    });
    loginItem_.refresh();
    relaunch_ = std::make_unique<RelaunchCoordinator>(relaunchHooks(), &delegate_.notices());
    // A taken tab-cycle hotkey is also said beside the hotkey rows.
    delegate_.notices().onChange = lifetime_.guarded([this](ShellNotice notice, bool active) {
        if (notice == ShellNotice::hotkeysTaken && settingsWindow_) settingsWindow_->model().setHotkeysTaken(active);
    });

    auto& parts = delegate_.parts;
    parts.installMenuBar = lifetime_.guarded([this] { installMenuBar(); });
    parts.showSettings = lifetime_.guarded([this] { showSettingsOn(std::nullopt); });
    parts.showSettingsHowTo = lifetime_.guarded([this] { showSettingsOn(SettingsCategory::howTo); });
    parts.showSettingsAbout = lifetime_.guarded([this] { showSettingsOn(SettingsCategory::about); });
    parts.showSettingsColors = lifetime_.guarded([this] { showSettingsOn(SettingsCategory::colors); });
    parts.showOnboardingWindow = lifetime_.guarded([this] { showOnboardingWindow(); });
    parts.closeOnboardingWindow = lifetime_.guarded([this] {
        if (onboarding_) onboarding_->close();
    });
    // The hotkey rows and the How To page name the keys in force.
    parts.tabHotkeysChanged = lifetime_.guarded([this] {
        if (settingsWindow_) settingsWindow_->model().setFallbackTabHotkeys(delegate_.fallbackTabHotkeys());
    });
    // The Grouping page shows the modifier in force and says why.
    parts.groupingModifierChanged = lifetime_.guarded([this] {
        if (settingsWindow_) settingsWindow_->model().setGroupingModifier(delegate_.groupingModifier());
    });
}

QtShell::~QtShell() { delegate_.parts = {}; }

void QtShell::installMenuBar() {
    if (menuBar_) return;
    AppDelegate& d = delegate_;
    const LifetimeToken& life = lifetime_;
    StatusMenuActions actions;
    actions.isSessionRunning = life.guarded([&d] { return d.isSessionRunning(); });
    actions.isDragActive = life.guarded([&d] { return d.isDragActive(); });
    actions.isStageManagerBlocked = life.guarded([&d] { return d.isStageManagerBlocked(); });
    actions.isTrusted = life.guarded([&d] { return d.isTrusted(); });
    actions.groupsSnapshot = life.guarded([&d] { return d.groupsSnapshot(); });
    actions.onFocusGroup = life.guarded([&d](const Uuid& id) { d.focusGroup(id); });
    actions.onOpenSettings = life.guarded([this] { showSettingsOn(std::nullopt); });
    actions.onOpenAbout = life.guarded([this] { showSettingsOn(SettingsCategory::about); });
    actions.onUngroupAll = life.guarded([&d] { d.ungroupAll(); });
    actions.onRequestPermission = life.guarded([&d] { d.requestPermission(); });
    actions.onQuit = [shell = environment_.shell] { shell->terminate(EXIT_SUCCESS); };
    actions.notices = life.guarded([&d] { return d.notices().texts(); });
    actions.onWillOpen = life.guarded([&d] { d.statusMenuWillOpen(); });
    menuBar_ = std::make_unique<MenuBarController>(std::move(actions), environment_.appearance);
}

void QtShell::showOnboardingWindow() {
    if (!onboarding_) {
        // The delegate runs the permission poll; a grant asked for from the
        // window goes the same way.
        onboarding_ = std::make_unique<OnboardingWindowController>(
            delegate_.permissions(), lifetime_.guarded([this] { delegate_.requestPermission(); }));
    }
    onboarding_->show();
}

SettingsWindowController& QtShell::settingsController() {
    if (settingsWindow_) return *settingsWindow_;
    SettingsModelEnvironment model;
    const auto defaults = environment_.defaults;
    model.currentLanguageOverride = [defaults] { return LanguageOverride::current(*defaults); };
    model.persistLanguage = [defaults](AppLanguage language) { LanguageOverride::persist(*defaults, language); };
    model.systemLanguage = [] { return AppLanguage::preferred(AppLanguage::systemPreferredLanguages(std::getenv)); };
    model.canLaunchAtLogin = loginItem_.canLaunchAtLogin();
    model.isLoginItemEnabled = lifetime_.guarded([this] { return loginItem_.isEnabled(); });
    model.setLoginItemEnabled = lifetime_.guarded([this](bool enabled) { return loginItem_.setEnabled(enabled); });
    model.workspace = environment_.workspace;

    SettingsWindowController::Options options;
    options.onRelaunchRequested = lifetime_.guarded([this] { relaunch_->requestRestart(); });
    options.onHotkeyRecordingChanged =
        lifetime_.guarded([this](bool recording) { delegate_.hotkeyRecordingChanged(recording); });
    options.bringToFront = [](QWidget& widget) { QtWindowActivation::bringToFront(widget); };
    options.raiseWindowsInFront = lifetime_.guarded([this] {
        if (onboarding_ && onboarding_->isVisible()) onboarding_->raise();
    });
    options.statusMenu = lifetime_.guarded([this]() -> QMenu* {
        return menuBar_ && !menuBar_->isTrayAvailable() ? &menuBar_->menu() : nullptr;
    });
    settingsWindow_ =
        std::make_unique<SettingsWindowController>(delegate_.store(), std::move(model), environment_.main, options);
    settingsWindow_->model().setHotkeysTaken(delegate_.notices().isActive(ShellNotice::hotkeysTaken));
    settingsWindow_->model().setFallbackTabHotkeys(delegate_.fallbackTabHotkeys());
    settingsWindow_->model().setGroupingModifier(delegate_.groupingModifier());
    return *settingsWindow_;
}

void QtShell::showSettingsOn(std::optional<SettingsCategory> category) {
    auto& controller = settingsController();
    if (category) controller.model().setSelectedCategory(*category);
    controller.show();
}

RelaunchCoordinator::Hooks QtShell::relaunchHooks() {
    RelaunchCoordinator::Hooks hooks;
    hooks.membersUnreachableAfterRelaunch = lifetime_.guarded([this] { return delegate_.membersUnreachableAfterRelaunch(); });
    hooks.detachBeforeRelaunch =
        lifetime_.guarded([this](const std::vector<WindowID>& ids) { delegate_.detachBeforeRelaunch(ids); });
    hooks.askMemberLoss = lifetime_.guarded(
        [this](const MemberLossAlert& alert, std::function<void(bool)> answer) {
            memberLossPrompt_->ask(alert, std::move(answer));
        });
    hooks.scheduleReopen = lifetime_.guarded([this](std::string* why) { return relauncher_.scheduleReopen(why); });
    hooks.showFailure = lifetime_.guarded([this](const std::string& title, const std::string& detail) {
        environment_.shell->showAlert(title, detail);
    });
    hooks.noteWillRelaunch = lifetime_.guarded([this] { delegate_.noteWillRelaunch(); });
    hooks.terminate = [shell = environment_.shell] { shell->terminate(EXIT_SUCCESS); };
    return hooks;
}

}  // namespace tessaly
