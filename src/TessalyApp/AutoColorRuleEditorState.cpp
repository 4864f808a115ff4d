#include "TessalyApp/AutoColorRuleEditorState.h"

#include <algorithm>

#include "TessalyCore/L10n.h"

namespace tessaly {

AutoColorRuleEditorState::AutoColorRuleEditorState(const std::optional<AutoColorRule>& rule,
                                                   std::vector<RunningAppChoice> appChoices)
    : rule_(rule), appChoices_(std::move(appChoices)) {
    if (!rule_) return;
    const auto& ids = rule_->bundleIDs;
    if (ids.size() >= 2) scope_ = AppScope::multiple();
    else if (ids.size() == 1) scope_ = AppScope::app(*ids.begin());
    titlePattern_ = rule_->titlePattern.value_or("");
    titleMatch_ = rule_->titleMatch;
    color_ = rule_->color;
}

std::optional<std::size_t> AutoColorRuleEditorState::multipleCount() const {
    if (!rule_ || rule_->bundleIDs.size() < 2) return std::nullopt;
    return rule_->bundleIDs.size();
}

std::vector<AutoColorRuleEditorState::AppRow> AutoColorRuleEditorState::appRows() const {
    std::vector<AppRow> rows;
    for (const RunningAppChoice& choice : appChoices_) rows.push_back({AppScope::app(choice.bundleID), choice.name});
    if (rule_ && rule_->bundleIDs.size() == 1) {
        const std::string& saved = *rule_->bundleIDs.begin();
        const bool running = std::any_of(appChoices_.begin(), appChoices_.end(),
                                         [&](const RunningAppChoice& choice) { return choice.bundleID == saved; });
        if (!running) rows.push_back({AppScope::app(saved), saved});
    }
    return rows;
}

std::set<std::string> AutoColorRuleEditorState::selectedBundleIDs() const {
    switch (scope_.kind) {
        case AppScope::Kind::all: return {};
        case AppScope::Kind::app: return {scope_.bundleID};
        case AppScope::Kind::multiple: return rule_ ? rule_->bundleIDs : std::set<std::string>{};
    }
    return {};
}

std::optional<AutoColorRule> AutoColorRuleEditorState::normalizedRule() const {
    return AutoColorRule::normalized(Uuid::random(), selectedBundleIDs(), titlePattern_, titleMatch_, color_);
}

bool AutoColorRuleEditorState::patternIsInvalid() const {
    return titleMatch_ == MatchRule::TitleMatch::regex && !titlePattern_.empty() &&
           !MatchRule::isUsableRegex(titlePattern_);
}

bool AutoColorRuleEditorState::canSave() const { return normalizedRule() && !patternIsInvalid() && colorValid_; }

std::string AutoColorRuleEditorState::placeholder() const {
    return titleMatch_ == MatchRule::TitleMatch::contains ? L10n::containsPlaceholder() : L10n::regexPlaceholder();
}

}  // namespace tessaly
