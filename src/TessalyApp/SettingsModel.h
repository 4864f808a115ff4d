#pragma once
// The model behind every page of the settings window: one copy of each user
// setting, read from the settings store when the model is made, and written
// straight back to the store whenever a page changes it (the store's
// onChange then applies it to the running session). Besides the settings it
// holds the page selection, the hotkey recorder, the display language and
// the launch-at-login state, the list edits of presets, auto-colour rules
// and exclusions, and the export and import of settings files.
//
// Every setter first takes the new value and tells the observers, then,
// unless the model is reloading, writes the value to the store; no setter
// compares old and new values.
//
//   SettingsModel model(store, environment);
//   auto watch = model.observe([&] { page.refresh(); });
//   model.setTabBarHeight(36);   // observers run, then the store is written
//
// Main thread only.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Clock.h"
#include "Platform/Lifetime.h"
#include "Platform/Subscription.h"
#include "Platform/Uuid.h"
#include "Platform/Workspace.h"
#include "TessalyApp/GroupingModifier.h"
#include "TessalyApp/HotkeyRecorder.h"
#include "TessalyApp/SettingsCategory.h"
#include "TessalyApp/TabCycleHotkeys.h"
#include "TessalyCore/AppLanguage.h"
#include "TessalyCore/AutoColorRule.h"
#include "TessalyCore/ColorPreset.h"
#include "TessalyCore/DragSettings.h"
#include "TessalyCore/KeyCombo.h"
#include "TessalyCore/MatchRule.h"
#include "TessalyCore/SettingEnums.h"
#include "TessalyCore/SettingsSnapshot.h"
#include "TessalyCore/SettingsStore.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

class LoginItem;
class UserDefaults;

// What the model needs of the application shell: the display language and
// the login item live outside the settings store, and the lists name
// running applications. Every member may be left empty: the language then
// comes from the environment and is not stored, and there is no login item.
struct SettingsModelEnvironment {
    // The display language chosen earlier and stored for the next start.
    std::function<std::optional<AppLanguage>()> currentLanguageOverride;
    // Stores a language as that choice.
    std::function<void(AppLanguage)> persistLanguage;
    // The language of the system's preferred languages.
    std::function<AppLanguage()> systemLanguage;
    // Whether the program can be a login item at all; fixed for the model's life.
    bool canLaunchAtLogin = false;
    // Whether it is one now.
    std::function<bool()> isLoginItemEnabled;
    // Makes it one (true) or not (false); answers success.
    std::function<bool(bool)> setLoginItemEnabled;
    // The running applications.
    std::shared_ptr<Workspace> workspace;
    // The wall clock for an export's time and file name (the system's when empty).
    std::shared_ptr<Clock> clock;

    // The program's own: the language choice in `defaults` (written to disk
    // at once when chosen), the system's languages from the process
    // environment, the login item (may be null: no launch at login) and the
    // workspace's running applications.
    static SettingsModelEnvironment forShell(std::shared_ptr<UserDefaults> defaults,
                                             std::shared_ptr<LoginItem> loginItem,
                                             std::shared_ptr<Workspace> workspace);
};

// What export and import ask of the user. The settings window answers with
// its dialogs; each answer arrives later, through its callback, on the main
// thread (or never, when the window goes away first).
class SettingsFilePrompts {
public:
    enum class AlertStyle { informational, warning };

    virtual ~SettingsFilePrompts() = default;
    // Where to save a settings file, proposing `fileName`; none when cancelled.
    virtual void chooseExportFile(const std::string& fileName,
                                  std::function<void(std::optional<std::filesystem::path>)> done) = 0;
    // Which settings file to read; none when cancelled.
    virtual void chooseImportFile(std::function<void(std::optional<std::filesystem::path>)> done) = 0;
    // A warning with a confirm and a cancel button; true for confirm.
    virtual void confirm(const std::string& title, const std::string& text, const std::string& confirmButton,
                         const std::string& cancelButton, std::function<void(bool)> done) = 0;
    // A message with one button.
    virtual void showAlert(AlertStyle style, const std::string& title, const std::string& text) = 0;
};

// A running application the user can pick.
struct RunningAppChoice {
    std::string name;
    std::string bundleID;
    friend bool operator==(const RunningAppChoice&, const RunningAppChoice&) = default;
};

class SettingsModel {
public:
    using Target = HotkeyRecorder::Target;

    // The hold delays the Grouping page offers, in seconds.
    static constexpr std::array<double, 4> holdDelayChoices{0.0, 0.3, 0.6, 1.0};

    // The store is the application's; it must outlive the model.
    SettingsModel(SettingsStore& store, SettingsModelEnvironment environment = {});
    SettingsModel(const SettingsModel&) = delete;
    SettingsModel& operator=(const SettingsModel&) = delete;

    // `handler` runs after every change the model makes to what it shows
    // (the hotkey recorder's state included), while the handle lives.
    Subscription observe(std::function<void()> handler);

    // MARK: Page selection
    // Absent: no sidebar row is selected (the General page shows).
    std::optional<SettingsCategory> selectedCategory() const { return selectedCategory_; }
    // Also remembers the last configuration page.
    void setSelectedCategory(std::optional<SettingsCategory> category);
    SettingsCategory lastConfigCategory() const { return lastConfigCategory_; }

    // MARK: Settings (each setter writes through to the store)
    // The modifier in force: Control while it stands in for a Shift the
    // window manager takes (see groupingModifier()).
    ModifierGate modifierGate() const { return modifierGate_; }
    // Stores the user's choice.
    void setModifierGate(ModifierGate gate);
    // Always one of holdDelayChoices once read from the store.
    double holdDelay() const { return holdDelay_; }
    void setHoldDelay(double seconds);
    FullscreenPolicy fullscreenPolicy() const { return fullscreenPolicy_; }
    void setFullscreenPolicy(FullscreenPolicy policy);
    OffSpacePolicy offSpacePolicy() const { return offSpacePolicy_; }
    void setOffSpacePolicy(OffSpacePolicy policy);
    // Absent: the hotkey is off.
    const std::optional<KeyCombo>& nextTabHotkey() const { return nextTabHotkey_; }
    void setNextTabHotkey(const std::optional<KeyCombo>& combo);
    const std::optional<KeyCombo>& prevTabHotkey() const { return prevTabHotkey_; }
    void setPrevTabHotkey(const std::optional<KeyCombo>& combo);
    // The combination a hotkey row shows: the one in force, which is the
    // fallback while one stands in for taken defaults.
    std::optional<KeyCombo> hotkey(Target target) const;
    double tabBarHeight() const { return tabBarHeight_; }
    void setTabBarHeight(double height);
    AppearanceMode appearanceMode() const { return appearanceMode_; }
    void setAppearanceMode(AppearanceMode mode);
    double tabBarOpacity() const { return tabBarOpacity_; }
    void setTabBarOpacity(double opacity);
    bool showTabBadges() const { return showTabBadges_; }
    void setShowTabBadges(bool show);
    const TabColor& tabBadgeColor() const { return tabBadgeColor_; }
    void setTabBadgeColor(const TabColor& color);
    // Sorted ascending.
    const std::vector<std::string>& exclusions() const { return exclusions_; }
    void setExclusions(std::vector<std::string> ids);
    const std::vector<ColorPreset>& colorPresets() const { return colorPresets_; }
    void setColorPresets(std::vector<ColorPreset> presets);
    const std::vector<AutoColorRule>& autoColorRules() const { return autoColorRules_; }
    void setAutoColorRules(std::vector<AutoColorRule> rules);

    HotkeyRecorder& hotkeyRecorder() { return hotkeyRecorder_; }
    // Set by the shell while a tab-cycle hotkey cannot be registered
    // (another program holds it), so the hotkey rows can say so.
    bool hotkeysTaken() const { return hotkeysTaken_; }
    void setHotkeysTaken(bool taken);
    // Set by the shell while a fallback pair stands in for default keys
    // another program holds (the user never chose any).
    const std::optional<TabCycleKeys>& fallbackTabHotkeys() const { return fallbackTabHotkeys_; }
    void setFallbackTabHotkeys(const std::optional<TabCycleKeys>& keys);
    // The keys the texts name: those in force, or the defaults when both
    // are off.
    TabCycleKeys tabHotkeysShown() const;
    // Set by the shell: the grouping modifier in force, and whether the
    // window manager takes Shift-drags (the page says why Control groups,
    // or that a chosen Shift is taken).
    const GroupingModifier& groupingModifier() const { return groupingModifier_; }
    void setGroupingModifier(const GroupingModifier& modifier);

    // Turns both hotkeys back to Control-Option-Right and -Left, as if
    // never chosen (a fallback stands in again where those are taken).
    void resetTabHotkeys();
    // Re-reads every stored setting without writing anything back.
    void reload();
    // The nearest of holdDelayChoices (a tie keeps the smaller one).
    static double snappedHoldDelay(double value);

    // MARK: Display language and launch at login
    AppLanguage language() const { return language_; }
    // Stores the choice for the next start and works out whether a restart is needed.
    void setLanguage(AppLanguage language);
    // The language this run displays.
    AppLanguage initialLanguage() const { return initialLanguage_; }
    bool languageNeedsRestart() const { return languageNeedsRestart_; }
    void applyLanguageOverride();
    bool canLaunchAtLogin() const { return environment_.canLaunchAtLogin; }
    bool launchAtLogin() const { return launchAtLogin_; }
    // Changes the login item; when that fails the value springs back.
    void setLaunchAtLogin(bool enabled);
    // The settings file's launch-at-login entry: true when nothing had to
    // change or the change succeeded.
    bool applyImportedLaunchAtLogin(std::optional<bool> value);
    // The General page's restart button.
    std::function<void()> onRelaunchRequested;

    // MARK: Settings file
    // Asked by export and import; set by the settings window.
    std::shared_ptr<SettingsFilePrompts> filePrompts;
    // Every setting, with the display language and the login item, as the file carries it.
    SettingsSnapshot exportSnapshot() const;
    void exportSettings();
    void importSettings();
    // An import's work once a file was read and confirmed: the store, the
    // language, the login item, then the model. When the settings cannot be
    // written the import is undone and reported.
    void applyImport(const SettingsSnapshot& snapshot);

    // MARK: List editing
    void addColorPreset(std::string_view name, const TabColor& color);
    void updateColorPreset(const Uuid& id, std::string_view name, const TabColor& color);
    void removeColorPreset(const Uuid& id);
    void addAutoColorRule(const std::set<std::string>& bundleIDs, std::string_view titlePattern,
                          MatchRule::TitleMatch titleMatch, const TabColor& color);
    void updateAutoColorRule(const Uuid& id, const std::set<std::string>& bundleIDs, std::string_view titlePattern,
                             MatchRule::TitleMatch titleMatch, const TabColor& color);
    void removeAutoColorRule(const Uuid& id);
    void addExclusion(const std::string& bundleID);
    void removeExclusion(const std::string& bundleID);

    // The one-line text of a rule row: its applications (by their running
    // names, else their ids, or "All Apps") and its title condition.
    static std::string describeRule(const MatchRule& rule, const Workspace* workspace);
    std::string describeRule(const MatchRule& rule) const;
    // The name trimmed of white space; none when nothing that can be shown is left.
    static std::optional<std::string> normalizedPresetName(std::string_view name);
    // The running applications with a Dock presence (regular activation
    // policy) and a bundle identifier not in `excluding`, sorted by name.
    static std::vector<RunningAppChoice> runningRegularApps(const Workspace* workspace,
                                                            const std::set<std::string>& excluding);
    std::vector<RunningAppChoice> runningRegularApps(const std::set<std::string>& excluding) const;

private:
    void publish();
    bool writing() const { return !isReloading_; }
    void readStoreValues();
    // The stored modifier, or the one standing in for it.
    ModifierGate modifierGateInForce() const;
    bool isLoginItemEnabled() const;
    void captureHotkey(Target target, const std::optional<KeyCombo>& combo);
    void reportImportFailure(const std::string& text);

    SettingsStore& store_;
    SettingsModelEnvironment environment_;
    bool revertingLaunchToggle_ = false;
    bool isReloading_ = false;
    std::optional<SettingsCategory> selectedCategory_ = SettingsCategory::general;
    SettingsCategory lastConfigCategory_ = SettingsCategory::general;
    ModifierGate modifierGate_ = ModifierGate::shift;
    double holdDelay_ = 0.3;
    FullscreenPolicy fullscreenPolicy_ = FullscreenPolicy::suspend;
    OffSpacePolicy offSpacePolicy_ = OffSpacePolicy::detach;
    std::optional<KeyCombo> nextTabHotkey_;
    std::optional<KeyCombo> prevTabHotkey_;
    HotkeyRecorder hotkeyRecorder_;
    double tabBarHeight_ = SettingsStore::defaultTabBarHeight;
    AppearanceMode appearanceMode_ = AppearanceMode::system;
    double tabBarOpacity_ = SettingsStore::defaultTabBarOpacity;
    bool showTabBadges_ = false;
    TabColor tabBadgeColor_ = TabColor::defaultBadge;
    std::vector<std::string> exclusions_;
    std::vector<ColorPreset> colorPresets_;
    std::vector<AutoColorRule> autoColorRules_;
    bool launchAtLogin_ = false;
    AppLanguage language_ = AppLanguage::english;
    AppLanguage initialLanguage_ = AppLanguage::english;
    bool languageNeedsRestart_ = false;
    bool hotkeysTaken_ = false;
    std::optional<TabCycleKeys> fallbackTabHotkeys_;
    GroupingModifier groupingModifier_;

    std::map<std::uint64_t, std::function<void()>> observers_;
    std::uint64_t nextObserver_ = 1;
    LifetimeToken lifetime_;  // last: callbacks handed out stop first
};

}  // namespace tessaly
