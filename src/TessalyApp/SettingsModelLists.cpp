// The model's three user lists (colour presets, auto-colour rules, excluded
// applications), the one-line description of a rule and the running
// applications a user can pick from.
#include "TessalyApp/SettingsModel.h"

#include <algorithm>
#include <memory>

#include <unicode/coll.h>
#include <unicode/locid.h>

#include "TessalyCore/DisplayText.h"
#include "TessalyCore/L10n.h"
#include "TessalyCore/UnicodeText.h"

namespace tessaly {

namespace {

// Replaces the first element with `replacement`'s id; false when none has it.
template <class T>
bool replaceFirst(std::vector<T>& list, const T& replacement) {
    const auto it = std::find_if(list.begin(), list.end(), [&](const T& item) { return item.id == replacement.id; });
    if (it == list.end()) return false;
    *it = replacement;
    return true;
}

template <class T>
std::vector<T> without(std::vector<T> list, const Uuid& id) {
    std::erase_if(list, [&](const T& item) { return item.id == id; });
    return list;
}

// The localised name of the first running application with that id.
std::optional<std::string> runningName(const Workspace* workspace, const std::string& bundleID) {
    if (!workspace) return std::nullopt;
    for (const RunningApplication& application : workspace->runningApplications(bundleID)) {
        if (application.localizedName) return application.localizedName;
    }
    return std::nullopt;
}

// Compares names as the user's language sorts them, ignoring case.
class NameOrder {
public:
    NameOrder() {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Locale locale(std::string(L10n::current().rawValue()).c_str());
        collator_.reset(icu::Collator::createInstance(locale, status));
        if (U_FAILURE(status)) collator_.reset();
        if (collator_) collator_->setStrength(icu::Collator::SECONDARY);
    }
    bool operator()(const std::string& a, const std::string& b) const {
        if (!collator_) return a < b;
        UErrorCode status = U_ZERO_ERROR;
        return collator_->compareUTF8(a, b, status) == UCOL_LESS;
    }

private:
    std::unique_ptr<icu::Collator> collator_;
};

}  // namespace

// MARK: - Presets

std::optional<std::string> SettingsModel::normalizedPresetName(std::string_view name) {
    std::string trimmed = trimmingWhitespaceAndNewlines(name);
    // A name of control characters alone shows as nothing: treat it as blank.
    if (DisplayText::sanitized(trimmed).empty()) return std::nullopt;
    return trimmed;
}

void SettingsModel::addColorPreset(std::string_view name, const TabColor& color) {
    const auto trimmed = normalizedPresetName(name);
    if (!trimmed) return;
    auto presets = colorPresets_;
    presets.emplace_back(Uuid::random(), *trimmed, color);
    setColorPresets(std::move(presets));
}

void SettingsModel::updateColorPreset(const Uuid& id, std::string_view name, const TabColor& color) {
    const auto trimmed = normalizedPresetName(name);
    if (!trimmed) return;
    auto presets = colorPresets_;
    if (!replaceFirst(presets, ColorPreset(id, *trimmed, color))) return;
    setColorPresets(std::move(presets));
}

void SettingsModel::removeColorPreset(const Uuid& id) { setColorPresets(without(colorPresets_, id)); }

// MARK: - Auto-colour rules

void SettingsModel::addAutoColorRule(const std::set<std::string>& bundleIDs, std::string_view titlePattern,
                                     MatchRule::TitleMatch titleMatch, const TabColor& color) {
    const auto rule = AutoColorRule::normalized(Uuid::random(), bundleIDs, titlePattern, titleMatch, color);
    if (!rule) return;
    auto rules = autoColorRules_;
    rules.push_back(*rule);
    setAutoColorRules(std::move(rules));
}

void SettingsModel::updateAutoColorRule(const Uuid& id, const std::set<std::string>& bundleIDs,
                                        std::string_view titlePattern, MatchRule::TitleMatch titleMatch,
                                        const TabColor& color) {
    const auto rule = AutoColorRule::normalized(id, bundleIDs, titlePattern, titleMatch, color);
    if (!rule) return;
    auto rules = autoColorRules_;
    if (!replaceFirst(rules, *rule)) return;
    setAutoColorRules(std::move(rules));
}

void SettingsModel::removeAutoColorRule(const Uuid& id) { setAutoColorRules(without(autoColorRules_, id)); }

// MARK: - Exclusions

void SettingsModel::addExclusion(const std::string& bundleID) {
    if (std::find(exclusions_.begin(), exclusions_.end(), bundleID) != exclusions_.end()) return;
    auto ids = exclusions_;
    ids.push_back(bundleID);
    std::sort(ids.begin(), ids.end());
    setExclusions(std::move(ids));
}

void SettingsModel::removeExclusion(const std::string& bundleID) {
    auto ids = exclusions_;
    std::erase(ids, bundleID);
    setExclusions(std::move(ids));
}

// MARK: - Descriptions and choices

std::string SettingsModel::describeRule(const MatchRule& rule, const Workspace* workspace) {
    std::string apps;
    if (rule.bundleIDs.empty()) {
        apps = L10n::allApps();
    } else {
        for (const std::string& id : rule.bundleIDs) {  // ascending already
            if (!apps.empty()) apps += " / ";
            apps += runningName(workspace, id).value_or(id);
        }
    }
    if (!rule.titlePattern || rule.titlePattern->empty()) return apps;
    switch (rule.titleMatch) {
        case MatchRule::TitleMatch::contains: return L10n::ruleRowContains(apps, *rule.titlePattern);
        case MatchRule::TitleMatch::regex: return L10n::ruleRowRegex(apps, *rule.titlePattern);
    }
    return apps;
}

std::string SettingsModel::describeRule(const MatchRule& rule) const {
    return describeRule(rule, environment_.workspace.get());
}

std::vector<RunningAppChoice> SettingsModel::runningRegularApps(const Workspace* workspace,
                                                                const std::set<std::string>& excluding) {
    std::vector<RunningAppChoice> choices;
    if (!workspace) return choices;
    std::set<std::string> listed;
    for (const RunningApplication& application : workspace->runningApplications()) {
        if (application.activationPolicy != ActivationPolicy::regular || !application.bundleIdentifier) continue;
        if (excluding.contains(*application.bundleIdentifier)) continue;
        // An application of several processes is listed once.
        if (!listed.insert(*application.bundleIdentifier).second) continue;
        choices.push_back({application.localizedName.value_or(*application.bundleIdentifier),
                           *application.bundleIdentifier});
    }
    const NameOrder order;
    std::stable_sort(choices.begin(), choices.end(),
                     [&](const RunningAppChoice& a, const RunningAppChoice& b) { return order(a.name, b.name); });
    return choices;
}

std::vector<RunningAppChoice> SettingsModel::runningRegularApps(const std::set<std::string>& excluding) const {
    return runningRegularApps(environment_.workspace.get(), excluding);
}

}  // namespace tessaly
