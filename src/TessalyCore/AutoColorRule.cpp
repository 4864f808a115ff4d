#include "TessalyCore/AutoColorRule.h"

#include <nlohmann/json.hpp>

#include "Platform/JsonReading.h"
#include "TessalyCore/UnicodeText.h"

namespace tessaly {

std::optional<AutoColorRule> AutoColorRule::normalized(Uuid id, std::set<std::string> bundleIDs,
                                                       std::string_view titlePattern, MatchRule::TitleMatch titleMatch,
                                                       TabColor color) {
    std::string pattern = titleMatch == MatchRule::TitleMatch::contains ? trimmingWhitespaceAndNewlines(titlePattern)
                                                                        : std::string(titlePattern);
    std::optional<std::string> kept;
    if (!pattern.empty()) kept = std::move(pattern);
    AutoColorRule rule(id, std::move(bundleIDs), std::move(kept), titleMatch, color);
    if (!rule.isSatisfiable()) return std::nullopt;
    return rule;
}

bool AutoColorRule::matches(const std::optional<std::string>& bundleID, std::string_view title) const {
    return matchesFields(bundleIDs, titlePattern, titleMatch, bundleID, title);
}

void to_json(nlohmann::json& json, const AutoColorRule& rule) {
    json = nlohmann::json::object();
    encodeMatchFields(json, rule.id, rule.bundleIDs, rule.titlePattern, rule.titleMatch);
    json["color"] = rule.color;
}

void from_json(const nlohmann::json& json, AutoColorRule& rule) {
    decodeMatchFields(json, rule.id, rule.bundleIDs, rule.titlePattern, rule.titleMatch);
    rule.color = json_reading::requireMember(json, "color").get<TabColor>();
}

}  // namespace tessaly
