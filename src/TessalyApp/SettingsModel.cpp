#include "TessalyApp/SettingsModel.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tessaly {

namespace {

std::vector<std::string> sortedIDs(const std::set<std::string>& ids) {
    // A set of strings iterates in ascending byte order already.
    return std::vector<std::string>(ids.begin(), ids.end());
}

}  // namespace

SettingsModel::SettingsModel(SettingsStore& store, SettingsModelEnvironment environment)
    : store_(store), environment_(std::move(environment)) {
    readStoreValues();
    launchAtLogin_ = isLoginItemEnabled();
    std::optional<AppLanguage> stored;
    if (environment_.currentLanguageOverride) stored = environment_.currentLanguageOverride();
    if (stored) language_ = *stored;
    else language_ = environment_.systemLanguage ? environment_.systemLanguage() : AppLanguage::systemDefault();
    initialLanguage_ = language_;
    hotkeyRecorder_.onCapture = lifetime_.guarded(
        [this](Target target, std::optional<KeyCombo> combo) { captureHotkey(target, combo); });
    // The recorder's rows redraw with the model.
    hotkeyRecorder_.onStateChanged = lifetime_.guarded([this] { publish(); });
}

Subscription SettingsModel::observe(std::function<void()> handler) {
    const std::uint64_t token = nextObserver_++;
    observers_.emplace(token, std::move(handler));
    return Subscription(lifetime_.guarded([this, token] { observers_.erase(token); }));
}

void SettingsModel::publish() {
    // A handler may end its own or another observation while this runs.
    std::vector<std::uint64_t> tokens;
    for (const auto& [token, handler] : observers_) tokens.push_back(token);
    for (const auto token : tokens) {
        const auto it = observers_.find(token);
        if (it == observers_.end()) continue;
        const auto handler = it->second;
        handler();
    }
}

void SettingsModel::readStoreValues() {
    const DragSettings drag = store_.dragSettings();
    modifierGate_ = modifierGateInForce();
    holdDelay_ = snappedHoldDelay(drag.holdDelay);
    fullscreenPolicy_ = store_.fullscreenPolicy();
    offSpacePolicy_ = store_.offSpacePolicy();
    nextTabHotkey_ = store_.nextTabHotkey();
    prevTabHotkey_ = store_.prevTabHotkey();
    tabBarHeight_ = store_.tabBarHeight();
    appearanceMode_ = store_.appearanceMode();
    tabBarOpacity_ = store_.tabBarOpacity();
    showTabBadges_ = store_.showTabBadges();
    tabBadgeColor_ = store_.tabBadgeColor();
    exclusions_ = sortedIDs(store_.excludedBundleIDs());
    colorPresets_ = store_.colorPresets();
    autoColorRules_ = store_.autoColorRules();
}

// MARK: - Page selection

void SettingsModel::setSelectedCategory(std::optional<SettingsCategory> category) {
    selectedCategory_ = category;
    if (category && isConfigCategory(*category)) lastConfigCategory_ = *category;
    publish();
}

// MARK: - Settings

void SettingsModel::setModifierGate(ModifierGate gate) {
    modifierGate_ = gate;
    publish();
    if (!writing()) return;
    DragSettings drag = store_.dragSettings();
    drag.modifierGate = modifierGate_;
    store_.setDragSettings(drag);
}

void SettingsModel::setHoldDelay(double seconds) {
    holdDelay_ = seconds;
    publish();
    // The delay alone: a modifier the user never chose stays unchosen.
    if (writing()) store_.setDragHoldDelay(holdDelay_);
}

void SettingsModel::setGroupingModifier(const GroupingModifier& modifier) {
    if (groupingModifier_ == modifier) return;
    groupingModifier_ = modifier;
    modifierGate_ = modifierGateInForce();
    publish();
}

ModifierGate SettingsModel::modifierGateInForce() const {
    if (groupingModifier_.isFallback() && !store_.dragModifierChosen()) return groupingModifier_.inForce;
    return store_.dragSettings().modifierGate;
}

void SettingsModel::setFullscreenPolicy(FullscreenPolicy policy) {
    fullscreenPolicy_ = policy;
    publish();
    if (writing()) store_.setFullscreenPolicy(fullscreenPolicy_);
}

void SettingsModel::setOffSpacePolicy(OffSpacePolicy policy) {
    offSpacePolicy_ = policy;
    publish();
    if (writing()) store_.setOffSpacePolicy(offSpacePolicy_);
}

void SettingsModel::setNextTabHotkey(const std::optional<KeyCombo>& combo) {
    nextTabHotkey_ = combo;
    publish();
    if (writing()) store_.setNextTabHotkey(nextTabHotkey_);
}

void SettingsModel::setPrevTabHotkey(const std::optional<KeyCombo>& combo) {
    prevTabHotkey_ = combo;
    publish();
    if (writing()) store_.setPrevTabHotkey(prevTabHotkey_);
}

std::optional<KeyCombo> SettingsModel::hotkey(Target target) const {
    if (fallbackTabHotkeys_) return target == Target::nextTab ? fallbackTabHotkeys_->next : fallbackTabHotkeys_->prev;
    return target == Target::nextTab ? nextTabHotkey_ : prevTabHotkey_;
}

TabCycleKeys SettingsModel::tabHotkeysShown() const {
    TabCycleKeys keys{hotkey(Target::nextTab), hotkey(Target::prevTab)};
    return keys.next || keys.prev ? keys : TabCycleKeys::defaults();
}

void SettingsModel::setTabBarHeight(double height) {
    tabBarHeight_ = height;
    publish();
    if (writing()) store_.setTabBarHeight(tabBarHeight_);
}

void SettingsModel::setAppearanceMode(AppearanceMode mode) {
    appearanceMode_ = mode;
    publish();
    if (writing()) store_.setAppearanceMode(appearanceMode_);
}

void SettingsModel::setTabBarOpacity(double opacity) {
    tabBarOpacity_ = opacity;
    publish();
    if (writing()) store_.setTabBarOpacity(tabBarOpacity_);
}

void SettingsModel::setShowTabBadges(bool show) {
    showTabBadges_ = show;
    publish();
    if (writing()) store_.setShowTabBadges(showTabBadges_);
}

void SettingsModel::setTabBadgeColor(const TabColor& color) {
    tabBadgeColor_ = color;
    publish();
    if (writing()) store_.setTabBadgeColor(tabBadgeColor_);
}

void SettingsModel::setExclusions(std::vector<std::string> ids) {
    exclusions_ = std::move(ids);
    publish();
    if (writing()) store_.setExcludedBundleIDs(std::set<std::string>(exclusions_.begin(), exclusions_.end()));
}

void SettingsModel::setColorPresets(std::vector<ColorPreset> presets) {
    colorPresets_ = std::move(presets);
    publish();
    if (writing()) store_.setColorPresets(colorPresets_);
}

void SettingsModel::setAutoColorRules(std::vector<AutoColorRule> rules) {
    autoColorRules_ = std::move(rules);
    publish();
    if (writing()) store_.setAutoColorRules(autoColorRules_);
}

// MARK: - Hotkeys

void SettingsModel::captureHotkey(Target target, const std::optional<KeyCombo>& combo) {
    if (fallbackTabHotkeys_) {
        // The user changes one of the keys in force: both become the user's,
        // the other one as it works now, in one write.
        TabCycleKeys keys = *std::exchange(fallbackTabHotkeys_, std::nullopt);
        auto& changed = target == Target::nextTab ? keys.next : keys.prev;
        auto& other = target == Target::nextTab ? keys.prev : keys.next;
        changed = combo;
        if (combo && other == combo) other = std::nullopt;
        nextTabHotkey_ = keys.next;
        prevTabHotkey_ = keys.prev;
        publish();
        if (writing()) store_.setTabHotkeys(keys.next, keys.prev);
        return;
    }
    // The two hotkeys never hold the same combination: the one recorded last wins.
    if (target == Target::nextTab) {
        if (combo && prevTabHotkey_ == combo) setPrevTabHotkey(std::nullopt);
        setNextTabHotkey(combo);
    } else {
        if (combo && nextTabHotkey_ == combo) setNextTabHotkey(std::nullopt);
        setPrevTabHotkey(combo);
    }
}

void SettingsModel::setHotkeysTaken(bool taken) {
    if (hotkeysTaken_ == taken) return;
    hotkeysTaken_ = taken;
    publish();
}

void SettingsModel::setFallbackTabHotkeys(const std::optional<TabCycleKeys>& keys) {
    if (fallbackTabHotkeys_ == keys) return;
    fallbackTabHotkeys_ = keys;
    publish();
}

void SettingsModel::resetTabHotkeys() {
    hotkeyRecorder_.end();
    nextTabHotkey_ = KeyCombo::defaultNextTab;
    prevTabHotkey_ = KeyCombo::defaultPrevTab;
    publish();
    if (writing()) store_.forgetTabHotkeys();
}

void SettingsModel::reload() {
    isReloading_ = true;
    hotkeyRecorder_.end();
    readStoreValues();
    launchAtLogin_ = isLoginItemEnabled();
    isReloading_ = false;
    publish();
}

double SettingsModel::snappedHoldDelay(double value) {
    // Clamping first changes no answer but keeps a huge value from losing
    // the difference between two choices to rounding.
    value = std::clamp(value, holdDelayChoices.front(), holdDelayChoices.back());
    double best = holdDelayChoices.front();
    for (const double choice : holdDelayChoices) {
        if (std::abs(choice - value) < std::abs(best - value)) best = choice;
    }
    return best;
}

// MARK: - Display language and launch at login

void SettingsModel::setLanguage(AppLanguage language) {
    language_ = language;
    publish();
    applyLanguageOverride();
}

void SettingsModel::applyLanguageOverride() {
    if (environment_.persistLanguage) environment_.persistLanguage(language_);
    languageNeedsRestart_ = language_.rawValue() != initialLanguage_.rawValue();
    publish();
}

bool SettingsModel::isLoginItemEnabled() const {
    return environment_.canLaunchAtLogin && environment_.isLoginItemEnabled && environment_.isLoginItemEnabled();
}

void SettingsModel::setLaunchAtLogin(bool enabled) {
    const bool previous = launchAtLogin_;
    launchAtLogin_ = enabled;
    publish();
    if (isReloading_ || revertingLaunchToggle_ || enabled == previous) return;
    const bool changed =
        environment_.canLaunchAtLogin && environment_.setLoginItemEnabled && environment_.setLoginItemEnabled(enabled);
    if (changed) return;
    revertingLaunchToggle_ = true;
    setLaunchAtLogin(previous);
    revertingLaunchToggle_ = false;
}

bool SettingsModel::applyImportedLaunchAtLogin(std::optional<bool> value) {
    if (!environment_.canLaunchAtLogin || !value) return true;
    if (isLoginItemEnabled() == *value) return true;
    return environment_.setLoginItemEnabled && environment_.setLoginItemEnabled(*value);
}

}  // namespace tessaly
