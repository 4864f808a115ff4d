#pragma once
// Every persistent setting, kept in the user defaults and nowhere else: each
// read goes to the store and normalises what it finds (a default for an
// absent or unreadable value, a clamp for sizes), each write stores the raw
// value and then calls onChange once.
//
//   SettingsStore store(defaults, workspace);
//   store.onChange = [&] { pushSettingsIntoTheSession(); };
//   store.setTabBarHeight(100);   // stored as 100, notifies
//   store.tabBarHeight();         // 48: reads clamp into tabBarHeightRange
//
// Main thread only.
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Platform/Types.h"
#include "Platform/UserDefaults.h"
#include "Platform/Workspace.h"
#include "TessalyCore/AutoColorRule.h"
#include "TessalyCore/ColorPreset.h"
#include "TessalyCore/DragSettings.h"
#include "TessalyCore/KeyCombo.h"
#include "TessalyCore/SettingEnums.h"
#include "TessalyCore/SettingsSnapshot.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

struct ClosedRange {
    double lowerBound;
    double upperBound;
    constexpr double clamp(double value) const {
        return value < lowerBound ? lowerBound : (value > upperBound ? upperBound : value);
    }
    constexpr bool contains(double value) const { return value >= lowerBound && value <= upperBound; }
};

class SettingsStore {
public:
    // The user-defaults keys.
    struct Keys {
        static constexpr const char* dragModifierGate = "dragModifierGate";
        static constexpr const char* dragHoldDelay = "dragHoldDelay";
        static constexpr const char* fullscreenPolicy = "fullscreenPolicy";
        static constexpr const char* offSpacePolicy = "offSpacePolicy";
        static constexpr const char* tabBarHeight = "tabBarHeight";
        static constexpr const char* tabBarOpacity = "tabBarOpacity";
        static constexpr const char* appearanceMode = "appearanceMode";
        static constexpr const char* showTabBadges = "showTabBadges";
        static constexpr const char* tabBadgeColor = "tabBadgeColor";
        static constexpr const char* colorPresets = "colorPresets";
        static constexpr const char* autoColorRules = "autoColorRules";
        static constexpr const char* nextTabHotkey = "tabCycleNextHotkey";
        static constexpr const char* prevTabHotkey = "tabCyclePrevHotkey";
        static constexpr const char* excludedBundleIDs = "excludedBundleIDs";
        static constexpr const char* welcomeShown = "welcomeShown";
    };

    static constexpr ClosedRange tabBarHeightRange{20.0, 48.0};
    static constexpr double defaultTabBarHeight = 30.0;
    static constexpr ClosedRange tabBarOpacityRange{0.3, 1.0};
    static constexpr double defaultTabBarOpacity = 1.0;
    static constexpr double defaultHoldDelay = 0.3;
    static const std::set<std::string>& defaultExclusions();

    // `workspace` answers which application a process belongs to, for
    // isExcluded; without one no process is excluded.
    explicit SettingsStore(std::shared_ptr<UserDefaults> defaults, std::shared_ptr<Workspace> workspace = nullptr);

    // Called after a setting was written (not for welcomeShown), and once
    // after apply(). A write from inside the callback notifies again.
    std::function<void()> onChange;

    // The hold delay reads as stored, negative or huge alike (the settings
    // window snaps it to its choices); only a non-finite one reads as 0.3.
    DragSettings dragSettings() const;
    // Stores both, the modifier as the user's choice.
    void setDragSettings(const DragSettings& settings);
    // Stores the hold delay alone, leaving the modifier as it is.
    void setDragHoldDelay(double seconds);
    // Whether the user chose the grouping modifier (set here, or by an
    // import); until then it reads as its default.
    bool dragModifierChosen() const;
    FullscreenPolicy fullscreenPolicy() const;
    void setFullscreenPolicy(FullscreenPolicy policy);
    OffSpacePolicy offSpacePolicy() const;
    void setOffSpacePolicy(OffSpacePolicy policy);
    double tabBarHeight() const;
    void setTabBarHeight(double height);  // stored as passed; reads clamp
    double tabBarOpacity() const;
    void setTabBarOpacity(double opacity);  // stored as passed; reads clamp
    AppearanceMode appearanceMode() const;
    void setAppearanceMode(AppearanceMode mode);
    bool showTabBadges() const;
    void setShowTabBadges(bool show);
    TabColor tabBadgeColor() const;
    void setTabBadgeColor(const TabColor& color);
    std::vector<ColorPreset> colorPresets() const;
    void setColorPresets(const std::vector<ColorPreset>& presets);
    std::vector<AutoColorRule> autoColorRules() const;
    void setAutoColorRules(const std::vector<AutoColorRule>& rules);
    // Absent: the hotkey is off (stored as empty data).
    std::optional<KeyCombo> nextTabHotkey() const;
    void setNextTabHotkey(const std::optional<KeyCombo>& combo);
    std::optional<KeyCombo> prevTabHotkey() const;
    void setPrevTabHotkey(const std::optional<KeyCombo>& combo);
    // Both tab-cycle hotkeys at once, notifying once.
    void setTabHotkeys(const std::optional<KeyCombo>& next, const std::optional<KeyCombo>& prev);
    // Whether the user set either tab-cycle hotkey (recorded or turned
    // off); until then both read as their defaults.
    bool tabHotkeysRecorded() const;
    // Forgets what the user set for both, so they read as their defaults
    // again, and notifies.
    void forgetTabHotkeys();
    std::set<std::string> excludedBundleIDs() const;
    void setExcludedBundleIDs(const std::set<std::string>& ids);
    bool welcomeShown() const;
    void setWelcomeShown(bool shown);  // never notifies

    // Every setting as one value (language, launchAtLogin and exportedAt
    // left for the settings window).
    SettingsSnapshot snapshot() const;
    // Writes every setting the snapshot carries (unknown strings ignored),
    // then notifies once.
    void apply(const SettingsSnapshot& snapshot);

    // Whether the process belongs to an application the user excluded.
    bool isExcluded(ProcessID pid) const;

    // Writes every setting not yet in lasting storage now; false when the
    // user defaults could not be written (see UserDefaults::synchronize).
    bool synchronize();

private:
    void notify();
    // Writes the compact JSON of `value` as data; false (and a log line)
    // when it cannot be encoded, in which case nothing is written.
    bool writeJSONData(const nlohmann::json& value, const char* key);
    std::optional<KeyCombo> decodeHotkey(const char* key, const KeyCombo& fallback) const;
    bool encodeHotkey(const std::optional<KeyCombo>& combo, const char* key);
    template <class T>
    std::vector<T> decodeArray(const char* key) const;

    void applyBehavior(const SettingsSnapshot& snapshot);
    void applyAppearance(const SettingsSnapshot& snapshot);
    void applyHotkeys(const SettingsSnapshot& snapshot);

    std::shared_ptr<UserDefaults> defaults_;
    std::shared_ptr<Workspace> workspace_;
    bool isApplyingSnapshot_ = false;
};

}  // namespace tessaly
