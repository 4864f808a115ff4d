#include "TessalyApp/AppDelegate.h"

#include <utility>

#include "Platform/Log.h"
#include "TessalyCore/L10n.h"
#include "TessalyCore/ReconcileLog.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

namespace {

// Saving and rebuilding groups across a relaunch belong to the session's
// relaunch support; a session built without it saves and restores nothing.
template <typename Session>
std::optional<UpdateHandoff> makeHandoff(Session& session) {
    if constexpr (requires { session.makeUpdateHandoff(); }) return session.makeUpdateHandoff();
    else return std::nullopt;
}

template <typename Session>
void restoreHandoff(Session& session, const UpdateHandoff& handoff) {
    if constexpr (requires { session.restore(handoff); }) session.restore(handoff);
}

template <typename Session>
std::vector<WindowID> unreachableAfterRelaunch(Session& session) {
    if constexpr (requires { session.membersUnreachableAfterRelaunch(); }) {
        return session.membersUnreachableAfterRelaunch();
    } else {
        return {};
    }
}

template <typename Session>
void detachForRelaunch(Session& session, const std::vector<WindowID>& windowIDs) {
    if constexpr (requires { session.detachBeforeRelaunch(windowIDs); }) session.detachBeforeRelaunch(windowIDs);
}

}  // namespace

AppDelegate::AppDelegate(Services services)
    : services_(std::move(services)),
      store_(std::make_unique<SettingsStore>(services_.defaults, services_.platform.workspace)),
      permissions_(std::make_unique<PermissionsCoordinator>(services_.platform)),
      system_(services_.platform.systemProbes, services_.platform.clock),
      handoffStore_(services_.handoffFile) {
    // The diagnostics switch reads this store, not another one. Worked out
    // now, so that the platform layer's traces (which cannot read it) are
    // written from the start.
    ReconcileLog::useDefaults(services_.defaults);
    ReconcileLog::isEnabled();
}

AppDelegate::~AppDelegate() {
    if (session_) session_->shutdown();
}

void AppDelegate::applicationDidFinishLaunching() {
    handoffLifecycle_.storePendingAtLaunch(handoffStore_.takeAndDelete());
    call(parts.installMenuBar);
    store_->onChange = lifetime_.guarded([this] { applySettings(); });
    if (!services_.launchedAsLoginItem) {
        if (store_->welcomeShown()) {
            call(parts.showSettings);
        } else {
            call(parts.showSettingsHowTo ? parts.showSettingsHowTo : parts.showSettings);
            store_->setWelcomeShown(true);
        }
    }
    if (permissions_->isTrusted()) startSession();
    else showOnboarding();
}

bool AppDelegate::applicationShouldHandleReopen() {
    startSessionIfPossible();
    call(parts.showSettings);
    return false;
}

void AppDelegate::statusMenuWillOpen() { startSessionIfPossible(); }

void AppDelegate::startSessionIfPossible() {
    if (!session_ && !blockedByStageManager_ && permissions_->isTrusted()) startSession();
}

void AppDelegate::applicationWillTerminate() {
    permissions_->stopWaiting();
    if (!session_) return;
    session_->shutdown();
    if (handoffLifecycle_.shouldWriteHandoff(services_.platform.clock->uptime())) {
        if (const auto handoff = makeHandoff(*session_)) handoffStore_.write(*handoff);
    }
}

void AppDelegate::windowServerLost(const std::string& why) {
    Log::error(LogCategory::app, "the X server closed the connection (" + why + "); Tessaly quits");
    permissions_->stopWaiting();
    if (services_.shell) services_.shell->terminate(EXIT_FAILURE);
}

void AppDelegate::noteWillRelaunch() { handoffLifecycle_.noteWillRelaunch(services_.platform.clock->uptime()); }

std::vector<WindowID> AppDelegate::membersUnreachableAfterRelaunch() {
    return session_ ? unreachableAfterRelaunch(*session_) : std::vector<WindowID>{};
}

void AppDelegate::detachBeforeRelaunch(const std::vector<WindowID>& windowIDs) {
    if (session_) detachForRelaunch(*session_, windowIDs);
}

std::optional<UpdateHandoff> AppDelegate::takeFreshHandoff() {
    const auto clock = system_.bootClock();
    return handoffLifecycle_.consumeFresh(clock.bootTime, clock.uptime);
}

void AppDelegate::startSession() {
    if (session_) return;
    if (!permissions_->isTrusted()) {
        // A fresh handoff waits for the grant instead of being thrown away:
        // the groups it holds are still on screen.
        const auto clock = system_.bootClock();
        handoffLifecycle_.keepIfFresh(clock.bootTime, clock.uptime);
        showOnboarding();
        return;
    }
    auto handoff = takeFreshHandoff();
    if (system_.isStageManagerEnabled()) {
        blockedByStageManager_ = true;
        if (services_.shell) {
            services_.shell->activateApplication();
            services_.shell->showAlert(L10n::stageManagerAlertTitle(), L10n::stageManagerAlertBody());
        }
        return;
    }
    if (!services_.makeSession) return;
    const bool usePublicZSync = !services_.defaults->boolForKey(useSkyLightZSyncKey);
    session_ = services_.makeSession(usePublicZSync);
    if (!session_) return;
    session_->onSettingsRequested = lifetime_.guarded([this] { call(parts.showSettings); });
    session_->onAutoColorRulesRequested =
        lifetime_.guarded([this] { call(parts.showSettingsColors ? parts.showSettingsColors : parts.showSettings); });
    applySettings();
    const bool dragging = session_->enableDragGrouping(dragSettingsInForce());
    if (!dragging) {
        Log::error(LogCategory::app, "drag grouping off — event tap creation failed (accessibility trust revoked?)");
    }
    if (handoff) restoreHandoff(*session_, *handoff);
    Log::notice(LogCategory::app, std::string(sessionStartedLine) + (dragging ? "" : " without drag grouping"));
}

void AppDelegate::showOnboarding() {
    if (permissions_->isTrusted()) {
        startSession();
        return;
    }
    if (!onboardingShown_) {
        onboardingShown_ = true;
        Log::error(LogCategory::app,
                   "no window manager with EWMH support answers on this display; Tessaly waits for one "
                   "and starts as soon as it runs");
    }
    permissions_->waitForTrust(lifetime_.guarded([this] { onTrustGranted(); }));
    if (services_.shell) services_.shell->activateApplication();
    call(parts.showOnboardingWindow);
}

void AppDelegate::onTrustGranted() {
    call(parts.closeOnboardingWindow);
    onboardingShown_ = false;
    startSession();
}

void AppDelegate::applySettings() {
    if (!session_) return;
    GroupSession& s = *session_;
    s.fullscreenPolicy = store_->fullscreenPolicy();
    s.offSpacePolicy = store_->offSpacePolicy();
    s.isExcludedApp = lifetime_.guarded([this](ProcessID pid) { return store_->isExcluded(pid); });
    s.updateDragSettings(dragSettingsInForce());
    s.updateTabBarHeight(store_->tabBarHeight());
    s.overlay().setAppearanceMode(store_->appearanceMode());
    s.overlay().setTabBarOpacity(store_->tabBarOpacity());
    s.updateShowTabBadges(store_->showTabBadges());
    s.overlay().setTabBadgeColor(store_->tabBadgeColor());
    s.updateTabColors(store_->colorPresets(), store_->autoColorRules());
    if (hotkeyRecordingActive_) return;
    const TabCycleKeys asked{store_->nextTabHotkey(), store_->prevTabHotkey()};
    const auto outcome = TabCycleHotkeys::enable(asked, store_->tabHotkeysRecorded(), [&s](const TabCycleKeys& keys) {
        return s.enableTabCycleHotkeys(keys.next, keys.prev);
    });
    // Every settings change registers the hotkeys again: a refusal, or the
    // pair taken in place of the defaults, is told once, until something
    // about it changes.
    const auto previous = std::exchange(lastHotkeyOutcome_, outcome);
    if (!outcome.registered && outcome != previous) Log::error(LogCategory::app, hotkeyFailureLine);
    if (outcome.isFallback() && outcome != previous) {
        Log::notice(LogCategory::app, std::string(hotkeyFallbackLine) + " " + outcome.inForce.displayName() +
                                          " in place of " + asked.displayName());
    }
    notices_.set(ShellNotice::hotkeysTaken, !outcome.registered);
    if (!previous || previous->inForce != outcome.inForce || previous->isFallback() != outcome.isFallback()) {
        call(parts.tabHotkeysChanged);
    }
}

DragSettings AppDelegate::dragSettingsInForce() {
    DragSettings settings = store_->dragSettings();
    const auto& assist = services_.platform.moveAssist;
    const auto modifier = GroupingModifier::choose(settings.modifierGate, store_->dragModifierChosen(),
                                                   assist && assist->takesShiftDrags());
    settings.modifierGate = modifier.inForce;
    // Asked on every settings change: told once, until something about it
    // changes.
    const auto previous = std::exchange(groupingModifier_, modifier);
    if (modifier == previous) return settings;
    if (modifier.isFallback()) Log::notice(LogCategory::app, modifierFallbackLine);
    if (modifier.isTaken()) Log::error(LogCategory::app, modifierTakenLine);
    call(parts.groupingModifierChanged);
    return settings;
}

TabCycleKeys AppDelegate::tabHotkeysInForce() const {
    if (const auto fallback = fallbackTabHotkeys()) return *fallback;
    return {store_->nextTabHotkey(), store_->prevTabHotkey()};
}

std::optional<TabCycleKeys> AppDelegate::fallbackTabHotkeys() const {
    if (!session_ || !lastHotkeyOutcome_ || !lastHotkeyOutcome_->isFallback()) return std::nullopt;
    return lastHotkeyOutcome_->inForce;
}

void AppDelegate::hotkeyRecordingChanged(bool recording) {
    hotkeyRecordingActive_ = recording;
    if (recording) {
        if (session_) session_->disableTabCycleHotkeys();
    } else {
        applySettings();
    }
}

bool AppDelegate::isDragActive() const { return session_ && session_->isDragGroupingActive(); }

std::vector<GroupMenuItem> AppDelegate::groupsSnapshot() const {
    if (!session_) return {};
    const auto workspace = services_.platform.workspace;
    return GroupMenuItem::from(session_->engine().groups(), [workspace](ProcessID pid) -> std::optional<std::string> {
        if (!workspace) return std::nullopt;
        const auto app = workspace->runningApplication(pid);
        if (!app || !app->localizedName || app->localizedName->empty()) return std::nullopt;
        return app->localizedName;
    });
}

void AppDelegate::focusGroup(const Uuid& groupID) {
    if (!session_) return;
    for (const auto& group : session_->engine().groups()) {
        if (group.id == groupID) {
            session_->tabBarDidSelectTab(group.id, group.activeWindowID);
            return;
        }
    }
}

void AppDelegate::ungroupAll() {
    if (!session_) return;
    const auto groups = session_->engine().groups();
    for (const auto& group : groups) session_->engine().dissolveGroup(group.id);
}

}  // namespace tessaly
