#pragma once
// The editing state of the auto-colour rule sheet: which applications the
// rule is for (all, one, or the several the edited rule already names), the
// title condition and the colour, and whether the rule can be saved.
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "TessalyApp/SettingsModel.h"
#include "TessalyCore/AutoColorRule.h"
#include "TessalyCore/MatchRule.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

class AutoColorRuleEditorState {
public:
    // The applications the rule is for.
    struct AppScope {
        enum class Kind { all, app, multiple };
        Kind kind = Kind::all;
        std::string bundleID;  // app only

        static AppScope all() { return {}; }
        static AppScope app(std::string id) { return {Kind::app, std::move(id)}; }
        static AppScope multiple() { return {Kind::multiple, {}}; }
        friend bool operator==(const AppScope&, const AppScope&) = default;
    };
    // One entry of the application picker after "All Apps" (and "Multiple Apps").
    struct AppRow {
        AppScope scope;
        std::string label;
        friend bool operator==(const AppRow&, const AppRow&) = default;
    };

    // `rule` absent: a new rule. `appChoices`: the applications offered, in order.
    AutoColorRuleEditorState(const std::optional<AutoColorRule>& rule, std::vector<RunningAppChoice> appChoices);

    const std::optional<AutoColorRule>& rule() const { return rule_; }
    const AppScope& scope() const { return scope_; }
    void setScope(AppScope scope) { scope_ = std::move(scope); }
    const std::string& titlePattern() const { return titlePattern_; }
    void setTitlePattern(std::string pattern) { titlePattern_ = std::move(pattern); }
    MatchRule::TitleMatch titleMatch() const { return titleMatch_; }
    void setTitleMatch(MatchRule::TitleMatch match) { titleMatch_ = match; }
    const TabColor& color() const { return color_; }
    void setColor(const TabColor& color) { color_ = color; }
    void setColorValid(bool valid) { colorValid_ = valid; }

    // The number of applications of the "Multiple Apps" entry; absent when
    // the edited rule names fewer than two (no such entry).
    std::optional<std::size_t> multipleCount() const;
    // The running applications, then a saved one that is not running.
    std::vector<AppRow> appRows() const;
    std::set<std::string> selectedBundleIDs() const;
    // The rule as it would be stored; absent when it could match nothing.
    std::optional<AutoColorRule> normalizedRule() const;
    // A regular expression that does not compile or is longer than the
    // matcher takes.
    bool patternIsInvalid() const;
    bool canSave() const;
    // The pattern field's placeholder for the match kind.
    std::string placeholder() const;

private:
    std::optional<AutoColorRule> rule_;
    std::vector<RunningAppChoice> appChoices_;
    AppScope scope_;
    std::string titlePattern_;
    MatchRule::TitleMatch titleMatch_ = MatchRule::TitleMatch::contains;
    TabColor color_ = TabColor::defaultAccent;
    bool colorValid_ = true;
};

}  // namespace tessaly
