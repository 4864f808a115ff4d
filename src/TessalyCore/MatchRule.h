#pragma once
// Whether a window belongs to a rule: by its application's bundle identifier,
// by its title, or by both. The matching half of an auto-colour rule.
//
//   MatchRule rule(id, {"org.example.editor"}, "(?i)draft", MatchRule::TitleMatch::regex);
//   rule.matches("org.example.editor", "Draft 3")   -> true
//   rule.matches(std::nullopt, "Draft 3")            -> false (the set is not empty)
//
// Title tests: `contains` is a case-insensitive search that treats canonically
// equivalent text as equal (composed and decomposed accents match); `regex`
// is an ICU regular expression, case-sensitive unless the pattern says
// otherwise, searched anywhere in the title. Compiled expressions live in one
// bounded process-wide cache that also remembers patterns that failed to
// compile; every search runs under the regex engine's time limit, and a search
// that hits it counts as no match.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "Platform/Uuid.h"
#include "TessalyCore/SettingEnums.h"

namespace tessaly {

struct MatchRule {
    enum class TitleMatch { contains, regex };

    Uuid id;
    std::set<std::string> bundleIDs;  // empty: any application
    std::optional<std::string> titlePattern;
    TitleMatch titleMatch = TitleMatch::contains;

    MatchRule() = default;
    MatchRule(Uuid ruleID, std::set<std::string> ids, std::optional<std::string> pattern, TitleMatch match)
        : id(ruleID), bundleIDs(std::move(ids)), titlePattern(std::move(pattern)), titleMatch(match) {}

    // Longest regular expression that is compiled, in UTF-16 units; a longer
    // one never matches.
    static constexpr std::int32_t maxRegexPatternLength = 1024;
    // The regex engine's time limit for one search, in its own ticks (each
    // about 0.1 ms on a current machine, so a search stops after about 10 ms).
    static constexpr std::int32_t regexTimeLimit = 100;
    // How many compiled (or failed) patterns the cache keeps.
    static constexpr std::size_t regexCacheCapacity = 256;

    // At least one bundle identifier, or a present, non-empty pattern. A
    // pattern of spaces counts.
    bool isSatisfiable() const;

    // Whether the matcher can use `pattern` as a regular expression: it
    // compiles and is no longer than maxRegexPatternLength (a longer one
    // would never match). Compiled afresh and not cached, for an editor that
    // checks every keystroke.
    static bool isUsableRegex(std::string_view pattern);

    // bundleID is absent when the application has none or cannot be found.
    bool matches(const std::optional<std::string>& bundleID, std::string_view title) const;

    friend bool operator==(const MatchRule&, const MatchRule&) = default;
};

// The tests themselves, over the fields a match rule and an auto-colour rule share.
bool fieldsAreSatisfiable(const std::set<std::string>& bundleIDs, const std::optional<std::string>& titlePattern);
bool matchesFields(const std::set<std::string>& bundleIDs, const std::optional<std::string>& titlePattern,
                   MatchRule::TitleMatch titleMatch, const std::optional<std::string>& bundleID,
                   std::string_view title);

// The title tests on their own.
bool titleContains(std::string_view title, std::string_view pattern);
bool titleMatchesRegex(std::string_view title, const std::string& pattern);

// Number of patterns in the regex cache (for tests and diagnostics).
std::size_t regexCacheSize();
void clearRegexCache();

template <>
struct RawValueCases<MatchRule::TitleMatch> {
    static constexpr std::array<std::pair<MatchRule::TitleMatch, std::string_view>, 2> table{{
        {MatchRule::TitleMatch::contains, "contains"},
        {MatchRule::TitleMatch::regex, "regex"},
    }};
};

inline std::ostream& operator<<(std::ostream& os, MatchRule::TitleMatch match) { return os << rawValue(match); }

// JSON: {"id", "bundleIDs", "titlePattern" (only when present), "titleMatch"}.
// Reading requires "id" and "bundleIDs"; a missing or null "titlePattern" is
// absent and a missing or null "titleMatch" is `contains`; any other
// "titleMatch" string fails. Errors throw nlohmann::json::exception.
void to_json(nlohmann::json& json, const MatchRule& rule);
void from_json(const nlohmann::json& json, MatchRule& rule);
void to_json(nlohmann::json& json, MatchRule::TitleMatch match);
void from_json(const nlohmann::json& json, MatchRule::TitleMatch& match);

// The members a match rule and an auto-colour rule share.
void encodeMatchFields(nlohmann::json& json, const Uuid& id, const std::set<std::string>& bundleIDs,
                       const std::optional<std::string>& titlePattern, MatchRule::TitleMatch titleMatch);
void decodeMatchFields(const nlohmann::json& json, Uuid& id, std::set<std::string>& bundleIDs,
                       std::optional<std::string>& titlePattern, MatchRule::TitleMatch& titleMatch);

}  // namespace tessaly
