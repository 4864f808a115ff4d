#pragma once
// Windows of these applications, and/or whose title matches this pattern, get
// this colour automatically: a match rule plus a colour.
//
// JSON: the match rule's members ("id", "bundleIDs", "titlePattern" when
// present, "titleMatch") and "color".
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "Platform/Uuid.h"
#include "TessalyCore/MatchRule.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

struct AutoColorRule {
    Uuid id;
    std::set<std::string> bundleIDs;  // empty: any application
    std::optional<std::string> titlePattern;
    MatchRule::TitleMatch titleMatch = MatchRule::TitleMatch::contains;
    TabColor color;

    AutoColorRule() = default;
    // Stores everything as passed, with no trimming and no check.
    AutoColorRule(Uuid ruleID, std::set<std::string> ids, std::optional<std::string> pattern,
                  MatchRule::TitleMatch match, TabColor ruleColor)
        : id(ruleID), bundleIDs(std::move(ids)), titlePattern(std::move(pattern)), titleMatch(match), color(ruleColor) {}

    // The editor's way to make a rule: a `contains` pattern is trimmed of
    // white space and newlines (a regular expression is kept as typed), an
    // empty pattern becomes none, and a rule that could match nothing is
    // absent.
    static std::optional<AutoColorRule> normalized(Uuid id, std::set<std::string> bundleIDs,
                                                   std::string_view titlePattern, MatchRule::TitleMatch titleMatch,
                                                   TabColor color);

    // The match rule of the same fields.
    MatchRule matchRule() const { return MatchRule(id, bundleIDs, titlePattern, titleMatch); }
    bool isSatisfiable() const { return fieldsAreSatisfiable(bundleIDs, titlePattern); }
    bool matches(const std::optional<std::string>& bundleID, std::string_view title) const;

    friend bool operator==(const AutoColorRule&, const AutoColorRule&) = default;
};

void to_json(nlohmann::json& json, const AutoColorRule& rule);
void from_json(const nlohmann::json& json, AutoColorRule& rule);

}  // namespace tessaly
