#include "TessalyCore/SettingsStore.h"

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

#include "Platform/JsonReading.h"
#include "Platform/Log.h"

namespace tessaly {

namespace {

// A stored number, clamped into `range`; the default when nothing usable is
// stored (not a number, NaN or infinite).
double clampedNumber(const UserDefaults& defaults, const char* key, ClosedRange range, double fallback) {
    const auto stored = defaults.numberForKey(key);
    if (!stored || !std::isfinite(*stored)) return range.clamp(fallback);
    return range.clamp(*stored);
}

// The case a raw value names; absent for no value or an unknown one.
template <class E>
std::optional<E> knownCase(const std::optional<std::string>& raw) {
    return raw ? fromRawValue<E>(*raw) : std::nullopt;
}

template <class E>
E storedEnum(const UserDefaults& defaults, const char* key, E fallback) {
    return knownCase<E>(defaults.stringForKey(key)).value_or(fallback);
}

std::optional<nlohmann::json> storedJSON(const UserDefaults& defaults, const char* key) {
    const auto data = defaults.dataForKey(key);
    if (!data) return std::nullopt;
    return json_reading::parseBounded(data->bytes);
}

}  // namespace

const std::set<std::string>& SettingsStore::defaultExclusions() {
    // The desktops' own panels, docks, launchers, desktop windows and
    // notification daemons, as X11 names them: by desktop entry where the
    // program finds a shown one (plank, tint2, synapse, cairo-dock,
    // xfce4-appfinder, org.kde.latte-dock), else by window class instance.
    static const std::set<std::string> exclusions{
        // Panels and desktop shells
        "xfce4-panel", "xfdesktop", "mate-panel", "lxqt-panel", "plasmashell", "tint2", "polybar",
        // Docks
        "plank", "cairo-dock", "org.kde.latte-dock",
        // Launchers
        "krunner", "rofi", "synapse", "xfce4-appfinder",
        // Notification daemons
        "xfce4-notifyd", "mate-notification-daemon", "lxqt-notificationd",
    };
    return exclusions;
}

SettingsStore::SettingsStore(std::shared_ptr<UserDefaults> defaults, std::shared_ptr<Workspace> workspace)
    : defaults_(std::move(defaults)), workspace_(std::move(workspace)) {}

void SettingsStore::notify() {
    if (isApplyingSnapshot_ || !onChange) return;
    const auto callback = onChange;  // the callback may replace onChange
    callback();
}

bool SettingsStore::writeJSONData(const nlohmann::json& value, const char* key) {
    try {
        defaults_->setData({value.dump()}, key);
        return true;
    } catch (const nlohmann::json::exception& exception) {
        Log::error(LogCategory::app, std::string("setting \"") + key + "\" not saved: " + exception.what());
        return false;
    }
}

// MARK: - Reads and writes

DragSettings SettingsStore::dragSettings() const {
    DragSettings settings;
    settings.modifierGate = storedEnum(*defaults_, Keys::dragModifierGate, ModifierGate::shift);
    const auto delay = defaults_->numberForKey(Keys::dragHoldDelay);
    settings.holdDelay = delay && std::isfinite(*delay) ? *delay : defaultHoldDelay;
    return settings;
}

void SettingsStore::setDragSettings(const DragSettings& settings) {
    defaults_->setString(std::string(rawValue(settings.modifierGate)), Keys::dragModifierGate);
    defaults_->setDouble(settings.holdDelay, Keys::dragHoldDelay);
    notify();
}

void SettingsStore::setDragHoldDelay(double seconds) {
    defaults_->setDouble(seconds, Keys::dragHoldDelay);
    notify();
}

bool SettingsStore::dragModifierChosen() const {
    // A value that names no modifier reads as the default: no choice.
    return knownCase<ModifierGate>(defaults_->stringForKey(Keys::dragModifierGate)).has_value();
}

FullscreenPolicy SettingsStore::fullscreenPolicy() const {
    return storedEnum(*defaults_, Keys::fullscreenPolicy, FullscreenPolicy::suspend);
}

void SettingsStore::setFullscreenPolicy(FullscreenPolicy policy) {
    defaults_->setString(std::string(rawValue(policy)), Keys::fullscreenPolicy);
    notify();
}

OffSpacePolicy SettingsStore::offSpacePolicy() const {
    return storedEnum(*defaults_, Keys::offSpacePolicy, OffSpacePolicy::detach);
}

void SettingsStore::setOffSpacePolicy(OffSpacePolicy policy) {
    defaults_->setString(std::string(rawValue(policy)), Keys::offSpacePolicy);
    notify();
}

double SettingsStore::tabBarHeight() const {
    return clampedNumber(*defaults_, Keys::tabBarHeight, tabBarHeightRange, defaultTabBarHeight);
}

void SettingsStore::setTabBarHeight(double height) {
    defaults_->setDouble(height, Keys::tabBarHeight);
    notify();
}

double SettingsStore::tabBarOpacity() const {
    return clampedNumber(*defaults_, Keys::tabBarOpacity, tabBarOpacityRange, defaultTabBarOpacity);
}

void SettingsStore::setTabBarOpacity(double opacity) {
    defaults_->setDouble(opacity, Keys::tabBarOpacity);
    notify();
}

AppearanceMode SettingsStore::appearanceMode() const {
    return storedEnum(*defaults_, Keys::appearanceMode, AppearanceMode::system);
}

void SettingsStore::setAppearanceMode(AppearanceMode mode) {
    defaults_->setString(std::string(rawValue(mode)), Keys::appearanceMode);
    notify();
}

bool SettingsStore::showTabBadges() const { return defaults_->boolForKey(Keys::showTabBadges); }

void SettingsStore::setShowTabBadges(bool show) {
    defaults_->setBool(show, Keys::showTabBadges);
    notify();
}

TabColor SettingsStore::tabBadgeColor() const {
    if (const auto json = storedJSON(*defaults_, Keys::tabBadgeColor)) {
        if (const auto color = TabColor::fromJSON(*json)) return *color;
    }
    return TabColor::defaultBadge;
}

void SettingsStore::setTabBadgeColor(const TabColor& color) {
    if (writeJSONData(color, Keys::tabBadgeColor)) notify();
}

template <class T>
std::vector<T> SettingsStore::decodeArray(const char* key) const {
    const auto json = storedJSON(*defaults_, key);
    if (!json) return {};
    int dropped = 0;
    return decodeLossyArray<T>(*json, dropped).value_or(std::vector<T>{});
}

std::vector<ColorPreset> SettingsStore::colorPresets() const { return decodeArray<ColorPreset>(Keys::colorPresets); }

void SettingsStore::setColorPresets(const std::vector<ColorPreset>& presets) {
    if (writeJSONData(presets, Keys::colorPresets)) notify();
}

std::vector<AutoColorRule> SettingsStore::autoColorRules() const {
    return decodeArray<AutoColorRule>(Keys::autoColorRules);
}

void SettingsStore::setAutoColorRules(const std::vector<AutoColorRule>& rules) {
    if (writeJSONData(rules, Keys::autoColorRules)) notify();
}

std::optional<KeyCombo> SettingsStore::decodeHotkey(const char* key, const KeyCombo& fallback) const {
    const auto data = defaults_->dataForKey(key);
    if (!data) return fallback;
    if (data->bytes.empty()) return std::nullopt;  // off
    const auto json = json_reading::parseBounded(data->bytes);
    if (!json) return fallback;
    return KeyCombo::fromJSON(*json).value_or(fallback);
}

bool SettingsStore::encodeHotkey(const std::optional<KeyCombo>& combo, const char* key) {
    if (!combo) {
        defaults_->setData({}, key);
        return true;
    }
    // A failed encoding changes nothing: it must not turn the hotkey off.
    return writeJSONData(*combo, key);
}

std::optional<KeyCombo> SettingsStore::nextTabHotkey() const {
    return decodeHotkey(Keys::nextTabHotkey, KeyCombo::defaultNextTab);
}

void SettingsStore::setNextTabHotkey(const std::optional<KeyCombo>& combo) {
    if (encodeHotkey(combo, Keys::nextTabHotkey)) notify();
}

std::optional<KeyCombo> SettingsStore::prevTabHotkey() const {
    return decodeHotkey(Keys::prevTabHotkey, KeyCombo::defaultPrevTab);
}

void SettingsStore::setPrevTabHotkey(const std::optional<KeyCombo>& combo) {
    if (encodeHotkey(combo, Keys::prevTabHotkey)) notify();
}

void SettingsStore::setTabHotkeys(const std::optional<KeyCombo>& next, const std::optional<KeyCombo>& prev) {
    isApplyingSnapshot_ = true;
    const bool changed = encodeHotkey(next, Keys::nextTabHotkey) | encodeHotkey(prev, Keys::prevTabHotkey);
    isApplyingSnapshot_ = false;
    if (changed) notify();
}

bool SettingsStore::tabHotkeysRecorded() const {
    return defaults_->dataForKey(Keys::nextTabHotkey) || defaults_->dataForKey(Keys::prevTabHotkey);
}

void SettingsStore::forgetTabHotkeys() {
    defaults_->removeObjectForKey(Keys::nextTabHotkey);
    defaults_->removeObjectForKey(Keys::prevTabHotkey);
    notify();
}

std::set<std::string> SettingsStore::excludedBundleIDs() const {
    const auto stored = defaults_->stringArrayForKey(Keys::excludedBundleIDs);
    if (!stored) return defaultExclusions();
    return std::set<std::string>(stored->begin(), stored->end());
}

void SettingsStore::setExcludedBundleIDs(const std::set<std::string>& ids) {
    // A set of std::string iterates in byte order, which for UTF-8 is code
    // point order: upper-case letters before lower-case ones.
    defaults_->setStringArray(UserDefaults::StringArray(ids.begin(), ids.end()), Keys::excludedBundleIDs);
    notify();
}

bool SettingsStore::welcomeShown() const { return defaults_->boolForKey(Keys::welcomeShown); }

void SettingsStore::setWelcomeShown(bool shown) { defaults_->setBool(shown, Keys::welcomeShown); }

// MARK: - Snapshot and apply

SettingsSnapshot SettingsStore::snapshot() const {
    SettingsSnapshot snapshot;
    const DragSettings drag = dragSettings();
    snapshot.modifierGate = std::string(rawValue(drag.modifierGate));
    snapshot.holdDelay = drag.holdDelay;
    snapshot.fullscreenPolicy = std::string(rawValue(fullscreenPolicy()));
    snapshot.offSpacePolicy = std::string(rawValue(offSpacePolicy()));
    snapshot.tabBarHeight = tabBarHeight();
    snapshot.tabBarOpacity = tabBarOpacity();
    snapshot.appearanceMode = std::string(rawValue(appearanceMode()));
    snapshot.showTabBadges = showTabBadges();
    snapshot.tabBadgeColor = tabBadgeColor();
    const auto excluded = excludedBundleIDs();
    snapshot.excludedBundleIDs = std::vector<std::string>(excluded.begin(), excluded.end());
    snapshot.nextTabHotkey = nextTabHotkey();
    snapshot.prevTabHotkey = prevTabHotkey();
    snapshot.colorPresets = colorPresets();
    snapshot.autoColorRules = autoColorRules();
    return snapshot;
}

void SettingsStore::applyBehavior(const SettingsSnapshot& snapshot) {
    DragSettings drag = dragSettings();
    if (const auto gate = knownCase<ModifierGate>(snapshot.modifierGate)) drag.modifierGate = *gate;
    if (snapshot.holdDelay) drag.holdDelay = *snapshot.holdDelay;
    setDragSettings(drag);
    if (const auto policy = knownCase<FullscreenPolicy>(snapshot.fullscreenPolicy)) setFullscreenPolicy(*policy);
    if (const auto policy = knownCase<OffSpacePolicy>(snapshot.offSpacePolicy)) setOffSpacePolicy(*policy);
    if (snapshot.excludedBundleIDs) {
        setExcludedBundleIDs(std::set<std::string>(snapshot.excludedBundleIDs->begin(), snapshot.excludedBundleIDs->end()));
    }
}

void SettingsStore::applyAppearance(const SettingsSnapshot& snapshot) {
    if (const auto mode = knownCase<AppearanceMode>(snapshot.appearanceMode)) setAppearanceMode(*mode);
    if (snapshot.tabBarHeight) setTabBarHeight(*snapshot.tabBarHeight);
    if (snapshot.tabBarOpacity) setTabBarOpacity(*snapshot.tabBarOpacity);
    if (snapshot.showTabBadges) setShowTabBadges(*snapshot.showTabBadges);
    if (snapshot.tabBadgeColor) setTabBadgeColor(*snapshot.tabBadgeColor);
    if (snapshot.colorPresets) setColorPresets(*snapshot.colorPresets);
    if (snapshot.autoColorRules) setAutoColorRules(*snapshot.autoColorRules);
}

void SettingsStore::applyHotkeys(const SettingsSnapshot& snapshot) {
    if (snapshot.nextTabHotkey) setNextTabHotkey(*snapshot.nextTabHotkey);
    if (snapshot.prevTabHotkey) setPrevTabHotkey(*snapshot.prevTabHotkey);
    const auto next = nextTabHotkey();
    const auto prev = prevTabHotkey();
    if (!next || !prev || *next != *prev) return;
    // The two hotkeys collide: keep the one the file chose.
    if (snapshot.prevTabHotkey && !snapshot.nextTabHotkey) setNextTabHotkey(std::nullopt);
    else setPrevTabHotkey(std::nullopt);
}

void SettingsStore::apply(const SettingsSnapshot& snapshot) {
    isApplyingSnapshot_ = true;
    applyBehavior(snapshot);
    applyAppearance(snapshot);
    applyHotkeys(snapshot);
    isApplyingSnapshot_ = false;
    notify();
}

bool SettingsStore::synchronize() { return defaults_->synchronize(); }

bool SettingsStore::isExcluded(ProcessID pid) const {
    if (!workspace_) return false;
    const auto application = workspace_->runningApplication(pid);
    if (!application || !application->bundleIdentifier) return false;
    return excludedBundleIDs().contains(*application->bundleIdentifier);
}

}  // namespace tessaly
