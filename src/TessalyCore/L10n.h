#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TessalyCore/AppLanguage.h"

namespace tessaly::L10n {

// ---- Language of the process ----------------------------------------------

// The display language of the process: chosen once, on first use, from the
// preferred languages (see setPreferredLanguagesProvider); never changes after.
AppLanguage current();

// Where current() takes the preferred languages from. Only effective before
// the first call of current(); returns false (and changes nothing) after it.
// Without a provider the process environment is read (no override). The
// provider runs once, under the choice's lock: it must not read any text.
bool setPreferredLanguagesProvider(std::function<std::vector<std::string>()> provider);

// The preferred languages on this platform: the stored language override
// first (when present and not empty), then the environment's languages
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
std::vector<std::string> preferredLanguagesFromEnvironment(const std::optional<std::string>& languageOverride,
                                                           const AppLanguage::EnvironmentLookup& environment);

// The choice current() makes, as a pure function of a list of locale codes.
AppLanguage choose(const std::vector<std::string>& preferredLanguages);

// For tests of text lookup: while an instance lives, current() answers the
// given language. Not for production code.
class ScopedLanguageForTesting {
public:
    explicit ScopedLanguageForTesting(AppLanguage language);
    ~ScopedLanguageForTesting();
    ScopedLanguageForTesting(const ScopedLanguageForTesting&) = delete;
    ScopedLanguageForTesting& operator=(const ScopedLanguageForTesting&) = delete;

private:
    int previous_;
};

// ---- Plain texts -------------------------------------------------------------
// Each returns the text in the current language. A plain accessor is also
// usable as a value: `std::string (*)()`.

// Tab bar and tabs
std::string untitledTab();
std::string addWindowTooltip();
std::string moveToDisplayTooltip();
std::string moveToDisplayHeader();
std::string groupLockedHint();
std::string detachTooltip();
std::string dropOntoLockedGroup();

// Group context menu of a tab bar
std::string ctxNameGroup();
std::string ctxRenameGroup();
std::string ctxGroupColor();
std::string ctxMoveToDisplay();
std::string ctxLockGroup();
std::string ctxUnlockGroup();
std::string ctxUngroup();
std::string ctxCloseGroup();
std::string menuSettings();

// Tab context menu of a tab item
std::string ctxPopOut();
std::string ctxCloseTab();
std::string ctxGroupSameApp();
std::string tabColor();

// Accent menus
std::string ctxCustomColor();
std::string ctxClearColor();
std::string ctxAutoColorRules();

// Names of the built-in colour presets
std::string colorRed();
std::string colorOrange();
std::string colorYellow();
std::string colorGreen();
std::string colorBlue();
std::string colorPurple();
std::string colorWhite();
std::string colorBlack();

// Group-name dialog
std::string nameGroupDialogTitle();
std::string renameGroupDialogTitle();
std::string nameGroupDialogHint();
std::string renameGroupDialogHint();
std::string groupNamePlaceholder();
std::string ok();
std::string cancel();

// Add-window menu
std::string pickerEmpty();

// Status menu
std::string menuGrantAccessibility();
std::string menuGroupsHeader();
std::string menuNoGroups();
std::string menuGroupRowTooltip();
std::string menuDissolveAll();
std::string menuAbout();
std::string menuQuit();
// The Control key's name in shortcuts ("Strg" in German)
std::string keyControl();
// The Shift key's name ("Umschalt" in German)
std::string keyShift();
// Named keys in shortcuts ("Bild abwärts" for Page Down in German)
std::string keySpace();
std::string keyBackspace();
std::string keyDelete();
std::string keyInsert();
std::string keyHome();
std::string keyEnd();
std::string keyPageUp();
std::string keyPageDown();

// The program in the desktop's application menu (desktop entry, metainfo)
std::string appGenericName();
std::string appComment();

// Status line
std::string statusStageManagerBlocked();
std::string statusNotTrusted();
std::string statusRunning();
std::string statusEventTapDead();
std::string statusStopped();

// Alerts of the application shell
std::string stageManagerAlertTitle();
std::string stageManagerAlertBody();
std::string updateDetachAlertBody();
std::string restartDetachAlertBody();
std::string updateDetachAlertContinue();
std::string restartDetachAlertContinue();
std::string relaunchDetachAlertCancel();

// Onboarding window
std::string onboardingTitle();
std::string onboardingBody();
std::string onboardingGrantButton();

// Window and sidebar
std::string settingsWindowTitle();
std::string howTo();
std::string general();
std::string grouping();
std::string tabBar();
std::string color();
std::string about();

// General page
std::string language();
std::string displayLanguage();
std::string restartNeeded();
std::string restartNow();
std::string launchAtLogin();
std::string launchAtLoginHelp();
std::string settingsFile();
std::string exportSettings();
std::string importSettings();
std::string settingsFileHelp();

// Exporting and importing a settings file
std::string settingsFileBaseName();
std::string exportDoneTitle();
std::string exportFailedTitle();
std::string exportErrorUnwritable();
std::string importConfirmTitle();
std::string importConfirmBody();
std::string importConfirmButton();
std::string importFailedTitle();
std::string importErrorNotOurFile();
std::string importErrorNewerVersion();
std::string importErrorUnreadable();
std::string importLaunchAtLoginFailed();

// Grouping page
std::string dragSection();
std::string modifierKey();
std::string modifierNone();
std::string optionTilingWarning();
std::string previewDelay();
std::string delayInstant();
std::string delay03();
std::string delay06();
std::string delay1();
std::string groupBehavior();
std::string whenFullscreen();
std::string whenOffSpace();
std::string policyKeep();
std::string policyDetach();
std::string excludedApps();
std::string noExclusions();
std::string removeExclusion();
std::string addFromRunning();

// Tab Bar page
std::string appearance();
std::string appearanceSystem();
std::string appearanceLight();
std::string appearanceDark();
std::string tabBarOpacity();
std::string tabBarHeight();
std::string resetToDefault();
std::string notificationSection();
std::string showTabBadges();
std::string showTabBadgesHelp();
std::string tabBadgeColor();
std::string editBadgeColor();
std::string hotkeySection();
std::string nextTab();
std::string prevTab();
std::string hotkeyResetDefaults();

// Hotkey recorder
std::string hotkeyOff();
std::string hotkeyRecordPrompt();
std::string hotkeyClearHelp();
std::string hotkeyRuleHint();

// Color page
std::string yourPresets();
std::string add();
std::string presetMenuHint();
std::string editPreset();
std::string deletePreset();
std::string autoColorRules();
std::string autoColorHint();
std::string editRule();
std::string deleteRule();

// Colour editors
std::string palette();
std::string presets();
std::string customColor();
std::string hexInvalid();
std::string addPresetTitle();
std::string editPresetTitle();
std::string presetNamePlaceholder();
std::string save();

// Auto-colour rule editor and rule list
std::string addRuleTitle();
std::string editRuleTitle();
std::string targetApp();
std::string allApps();
std::string titleCondition();
std::string matchContains();
std::string matchRegex();
std::string containsPlaceholder();
std::string regexPlaceholder();
std::string regexInvalid();
std::string colorToApply();
std::string ruleSatisfiabilityHelp();

// How To page
std::string howToCreateTitle();
std::string howToCreateBody();
std::string howToModifierNote();
std::string howToSwitchTitle();
std::string howToSwitchNote();
std::string howToMoveTitle();
std::string howToMoveBody();
std::string howToDetachTitle();
std::string howToDetachBody();
std::string howToColorTitle();
std::string howToColorBody();
std::string howToMenuBarTitle();
std::string howToMenuBarBody();
// Where no tray shows the icon: the settings window's menu button (its
// label and hover help) and the How To entry that points to it
std::string statusMenuButton();
std::string statusMenuButtonHelp();
std::string howToMenuButtonBody();
std::string howToDetachBodyMenuButton();

// About page
std::string updateCheckButton();
std::string aboutCredit();

// ---- Formatted texts -----------------------------------------------------------
// Values are inserted as they are; integers in plain decimal digits.

// "Version 1.2 (34)".
std::string aboutVersion(std::string_view version, std::string_view build);
// Status-menu item for an available update.
std::string menuUpdateAvailable(std::string_view version);
// Line of the import confirmation for n unreadable items of the file.
std::string importSkippedItems(std::int64_t n);
// Text of the export confirmation: the file's name and its folder's display name.
std::string exportDoneBody(std::string_view file, std::string_view folder);
// Import failure for a settings-file format version that is not supported.
std::string importErrorUnsupportedVersion(std::int64_t version);
// Prompt while a group is dragged towards the display named `to`.
std::string releaseToMove(std::string_view to);
// The rule editor's application choice when n applications are chosen.
std::string multipleApps(std::int64_t n);
// Summary of a "contains" rule: its applications text and title text.
std::string ruleRowContains(std::string_view apps, std::string_view titleText);
// Summary of a "regex" rule: its applications text and title pattern.
std::string ruleRowRegex(std::string_view apps, std::string_view titlePattern);
// The How To page's entry on switching tabs, naming the tab-cycle keys in
// force ("Ctrl+Alt+←/→").
std::string howToSwitchBody(std::string_view keys);
// The title of a group's status-menu row, behind the label for its active window.
std::string menuGroupActive(std::string_view title);
// A status-menu group row: the group's title and its number of tabs.
std::string menuGroupRow(std::string_view name, std::int64_t n);
// The row after the listed groups, with the number not listed.
std::string menuMoreGroups(std::int64_t n);
// Title of the alert before a relaunch that n group members would not survive.
std::string relaunchDetachAlertTitle(std::int64_t n);

}  // namespace tessaly::L10n
