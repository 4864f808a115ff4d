#pragma once
// The program's composition root, without a toolkit: it owns the settings
// store, the permission service, the handoff store and lifecycle and, once
// it runs, the one group session; it decides when the session starts and
// pushes the settings into it.
//
// Start-up (applicationDidFinishLaunching): read and delete the pending
// handoff, point the store's onChange at the settings push, build the status
// menu, show the settings window unless launched as a login item, then start
// the session when trusted (on X11: the display answers and an EWMH window
// manager runs), else show onboarding and poll for the grant once a second.
// Starting the session: create it, push every setting, register the
// tab-cycle hotkeys, turn drag grouping on and restore a fresh handoff.
//
// The shell's windows and menu live elsewhere and attach through `parts`:
// each hook may be left empty, and the delegate then goes without that
// piece. Providers the status menu needs are the public queries below; a
// closure handed out should be wrapped with lifetime().guarded(...), so it
// answers neutrally once the delegate is gone.
//
// Main thread only.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Lifetime.h"
#include "Platform/PlatformServices.h"
#include "Platform/UserDefaults.h"
#include "Platform/Uuid.h"
#include "TessalyApp/AppShell.h"
#include "TessalyApp/GroupingModifier.h"
#include "TessalyApp/ShellNotices.h"
#include "TessalyApp/TabCycleHotkeys.h"
#include "TessalyCore/GroupMenuItem.h"
#include "TessalyCore/KeyCombo.h"
#include "TessalyCore/PermissionsCoordinator.h"
#include "TessalyCore/SettingsStore.h"
#include "TessalyCore/SystemEnvironment.h"
#include "TessalyCore/UpdateHandoff.h"
#include "TessalyCore/UpdateHandoffLifecycle.h"

namespace tessaly {

class GroupSession;

class AppDelegate {
public:
    // Makes the session (the toolkit half supplies the overlay and icons);
    // the flag selects public window ordering of the bars.
    using SessionFactory = std::function<std::shared_ptr<GroupSession>(bool usePublicZSync)>;

    struct Services {
        PlatformServices platform;
        // The standard user defaults (the settings, "useSkyLightZSync", the
        // diagnostics switch).
        std::shared_ptr<UserDefaults> defaults;
        SessionFactory makeSession;
        std::shared_ptr<AppShell> shell;
        // The handoff file; its default location when absent.
        std::optional<std::filesystem::path> handoffFile;
        // Started at login (--login-item): no settings window at start.
        bool launchedAsLoginItem = false;
    };

    // Where the shell's windows and menu attach. Empty hooks are skipped.
    struct Parts {
        // Builds the status item and its menu, once, at launch.
        std::function<void()> installMenuBar;
        // Shows the settings window on its current page.
        std::function<void()> showSettings;
        // Shows the settings window on the How To, About or Colors page.
        std::function<void()> showSettingsHowTo;
        std::function<void()> showSettingsAbout;
        std::function<void()> showSettingsColors;
        // Shows and closes the onboarding window (the delegate runs the
        // permission poll itself).
        std::function<void()> showOnboardingWindow;
        std::function<void()> closeOnboardingWindow;
        // The tab-cycle keys in force changed (see tabHotkeysInForce()).
        std::function<void()> tabHotkeysChanged;
        // The grouping modifier in force, or whether the window manager
        // takes it, changed (see groupingModifier()).
        std::function<void()> groupingModifierChanged;
    };

    static constexpr const char* useSkyLightZSyncKey = "useSkyLightZSync";
    // Written once the session runs with drag grouping on (or off, when the
    // mouse tap could not be made), so whoever started the program knows.
    static constexpr const char* sessionStartedLine = "session started";
    // Written when the tab-cycle hotkeys cannot all be registered (another
    // program, often the window manager, holds one), once per combinations
    // asked for.
    static constexpr const char* hotkeyFailureLine = "tab-cycle hotkey registration failed (combo taken by another app)";
    // Written, followed by the keys taken instead, when the default
    // tab-cycle keys are held elsewhere and the user never chose others.
    static constexpr const char* hotkeyFallbackLine = "tab-cycle hotkeys taken by another app; using";
    // Written when the window manager takes Shift-drags for itself and
    // Control groups in place of the default Shift (the user chose none).
    static constexpr const char* modifierFallbackLine =
        "the window manager takes shift-drags for its tiles; grouping with control";
    // Written when the user chose Shift and the window manager takes it.
    static constexpr const char* modifierTakenLine =
        "grouping modifier shift is taken by the window manager (it drops shift-dragged windows into its tiles)";

    explicit AppDelegate(Services services);
    // Shuts a session still running down.
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    Parts parts;

    void applicationDidFinishLaunching();
    // The running program was opened again: starts the session when it can
    // now (the onboarding window was closed before the grant came), then
    // shows the settings window.
    bool applicationShouldHandleReopen();
    // The status menu is about to open: the same late start.
    void statusMenuWillOpen();
    // Shuts the session down and writes the handoff when a relaunch was
    // announced no more than 30 s ago.
    void applicationWillTerminate();
    // The window server went away: says so and ends the program with a
    // failure (no handoff is written: nothing could be re-bound).
    void windowServerLost(const std::string& why);

    // A relaunch is about to happen: the handoff is written at termination.
    void noteWillRelaunch();
    // The grouped windows a relaunched program could not bind again (none
    // without a session), and taking them out of their groups first.
    std::vector<WindowID> membersUnreachableAfterRelaunch();
    void detachBeforeRelaunch(const std::vector<WindowID>& windowIDs);
    // The settings window's hotkey recorder started or stopped recording.
    void hotkeyRecordingChanged(bool recording);
    // Pushes every setting into the running session and its overlay and
    // registers the tab-cycle hotkeys again.
    void applySettings();

    // Status menu providers and actions.
    bool isSessionRunning() const { return session_ != nullptr; }
    bool isDragActive() const;
    bool isStageManagerBlocked() const { return blockedByStageManager_; }
    bool isTrusted() const { return permissions_->isTrusted(); }
    std::vector<GroupMenuItem> groupsSnapshot() const;
    void focusGroup(const Uuid& groupID);
    void ungroupAll();
    void requestPermission() { showOnboarding(); }

    SettingsStore& store() { return *store_; }
    PermissionsCoordinator& permissions() { return *permissions_; }
    // Problems the status menu lists (a tab-cycle hotkey held elsewhere...).
    ShellNotices& notices() { return notices_; }
    const std::shared_ptr<GroupSession>& session() const { return session_; }
    const LifetimeToken& lifetime() const { return lifetime_; }
    // The tab-cycle keys that work now: the stored ones, or the fallback
    // pair taken in place of defaults another program holds.
    TabCycleKeys tabHotkeysInForce() const;
    // Only that fallback pair, while one is in force.
    std::optional<TabCycleKeys> fallbackTabHotkeys() const;
    // The grouping modifier as last pushed into the session (the stored
    // one, or Control in place of a Shift the window manager takes).
    GroupingModifier groupingModifier() const { return groupingModifier_.value_or(GroupingModifier{}); }

private:
    void startSession();
    void showOnboarding();
    void onTrustGranted();
    // Starts the session when nothing stands in the way any more.
    void startSessionIfPossible();
    std::optional<UpdateHandoff> takeFreshHandoff();
    // The drag settings with the grouping modifier in force; says once
    // when that modifier, or its being taken, changed.
    DragSettings dragSettingsInForce();

    static void call(const std::function<void()>& hook) {
        if (hook) hook();
    }

    Services services_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<PermissionsCoordinator> permissions_;
    SystemEnvironment system_;
    std::shared_ptr<GroupSession> session_;
    bool blockedByStageManager_ = false;
    bool onboardingShown_ = false;
    bool hotkeyRecordingActive_ = false;
    std::optional<TabCycleHotkeys> lastHotkeyOutcome_;  // the last registration
    std::optional<GroupingModifier> groupingModifier_;   // the last pushed
    ShellNotices notices_;
    UpdateHandoffStore handoffStore_;
    UpdateHandoffLifecycle handoffLifecycle_;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
