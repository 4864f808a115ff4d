#include "TessalyCore/MatchRule.h"

#include <chrono>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "TessalyCore/AutoColorRule.h"
#include "TessalyCore/ColorPreset.h"

namespace tessaly {
namespace {

using TM = MatchRule::TitleMatch;

MatchRule rule(std::set<std::string> ids, std::optional<std::string> pattern, TM match = TM::contains) {
    return MatchRule(Uuid::random(), std::move(ids), std::move(pattern), match);
}

TEST(MatchRuleTests, EmptyRulesMatchNothing) {
    EXPECT_FALSE(rule({}, std::nullopt).matches("a", "anything"));
    EXPECT_FALSE(rule({}, "").matches(std::nullopt, ""));
    EXPECT_FALSE(rule({}, std::nullopt).isSatisfiable());
    EXPECT_FALSE(rule({}, "").isSatisfiable());
    EXPECT_TRUE(rule({}, " ").isSatisfiable());
    EXPECT_TRUE(rule({"x"}, std::nullopt).isSatisfiable());
}

TEST(MatchRuleTests, BundleIdentifiersCompareExactly) {
    const auto r = rule({"org.example.Editor"}, std::nullopt);
    EXPECT_TRUE(r.matches("org.example.Editor", "whatever"));
    EXPECT_FALSE(r.matches("org.example.editor", "whatever"));
    EXPECT_FALSE(r.matches(std::nullopt, "whatever"));
    // Both conditions are needed.
    const auto both = rule({"org.example.Editor"}, "draft");
    EXPECT_TRUE(both.matches("org.example.Editor", "My Draft"));
    EXPECT_FALSE(both.matches("org.example.Editor", "Final"));
    EXPECT_FALSE(both.matches("org.other", "My Draft"));
    // An empty set judges by the title alone, with or without a bundle id.
    EXPECT_TRUE(rule({}, "draft").matches(std::nullopt, "DRAFT"));
}

TEST(MatchRuleTests, ContainsIgnoresCaseAndCanonicalForm) {
    EXPECT_TRUE(titleContains("Quarterly REPORT.pdf", "report"));
    EXPECT_TRUE(titleContains("a b", " "));
    EXPECT_FALSE(titleContains("ab", " "));
    EXPECT_FALSE(titleContains("", "a"));
    // Composed and decomposed accents are the same text, in either case.
    EXPECT_TRUE(titleContains("Caf\u00e9 menu", "CAFE\u0301"));
    EXPECT_TRUE(titleContains("Cafe\u0301 menu", "caf\u00c9"));
    EXPECT_TRUE(titleContains("\u00c5ngstr\u00f6m", "\u00e5NGSTR\u00d6M"));
    // A bare letter is not found inside an accented one.
    EXPECT_FALSE(titleContains("caf\u00e9", "cafe"));
    // Nor a hit that begins inside one.
    EXPECT_FALSE(titleContains("caf\u00e9s", "\u0301s"));
    EXPECT_TRUE(titleContains("\u0301s", "\u0301S"));
    EXPECT_TRUE(titleContains("\u65e5\u672c\u8a9e\u306e\u6587\u66f8", "\u306e\u6587"));
}

TEST(MatchRuleTests, RegexIsCaseSensitiveWithWholeTitleAnchors) {
    EXPECT_TRUE(rule({}, "^Inbox \\(\\d+\\)$", TM::regex).matches(std::nullopt, "Inbox (12)"));
    EXPECT_FALSE(rule({}, "^Inbox", TM::regex).matches(std::nullopt, "inbox (12)"));
    EXPECT_TRUE(rule({}, "(?i)^inbox", TM::regex).matches(std::nullopt, "INBOX"));
    // Anchors bind to the ends of the whole title, and the dot stops at line breaks.
    EXPECT_FALSE(rule({}, "^b", TM::regex).matches(std::nullopt, "a\nb"));
    EXPECT_FALSE(rule({}, "a.b", TM::regex).matches(std::nullopt, "a\nb"));
    // A pattern that matches the empty string matches every title.
    EXPECT_TRUE(rule({}, "^", TM::regex).matches(std::nullopt, ""));
    EXPECT_TRUE(rule({}, "^", TM::regex).matches(std::nullopt, "x"));
}

TEST(MatchRuleTests, InvalidRegexNeverMatchesAndIsRememberedAsFailed) {
    clearRegexCache();
    const auto bad = rule({}, "([unclosed", TM::regex);
    EXPECT_FALSE(bad.matches(std::nullopt, "([unclosed"));
    EXPECT_FALSE(bad.matches(std::nullopt, "anything"));
    EXPECT_EQ(regexCacheSize(), 1u);  // compiled once, failure kept
    EXPECT_TRUE(rule({}, "ok", TM::regex).matches(std::nullopt, "ok"));
    EXPECT_EQ(regexCacheSize(), 2u);
}

TEST(MatchRuleTests, RegexCacheIsBoundedAndLongPatternsAreRefused) {
    clearRegexCache();
    for (std::size_t i = 0; i < MatchRule::regexCacheCapacity + 40; ++i) {
        EXPECT_TRUE(titleMatchesRegex("t" + std::to_string(i), "t" + std::to_string(i) + "$"));
    }
    EXPECT_EQ(regexCacheSize(), MatchRule::regexCacheCapacity);
    // Evicted patterns compile again on their next use.
    EXPECT_TRUE(titleMatchesRegex("t0", "t0$"));

    const std::string longPattern(MatchRule::maxRegexPatternLength + 1, 'a');
    EXPECT_FALSE(titleMatchesRegex(longPattern, longPattern));
    const std::size_t cached = regexCacheSize();
    EXPECT_FALSE(titleMatchesRegex("x", std::string(5000, 'x')));
    EXPECT_EQ(regexCacheSize(), cached);  // far too long: not even remembered
    const std::string longestPattern(MatchRule::maxRegexPatternLength, 'a');
    EXPECT_TRUE(titleMatchesRegex(longestPattern, longestPattern));
}

TEST(MatchRuleTests, UsableRegexIsOneThatCompilesWithinTheLengthLimit) {
    clearRegexCache();
    EXPECT_TRUE(MatchRule::isUsableRegex("^Draft \\d+$"));
    EXPECT_TRUE(MatchRule::isUsableRegex(""));
    EXPECT_FALSE(MatchRule::isUsableRegex("("));
    // Too long to be matched, so not usable either, however it is written.
    EXPECT_TRUE(MatchRule::isUsableRegex(std::string(MatchRule::maxRegexPatternLength, 'a')));
    EXPECT_FALSE(MatchRule::isUsableRegex(std::string(MatchRule::maxRegexPatternLength + 1, 'a')));
    EXPECT_FALSE(MatchRule::isUsableRegex(std::string(100000, 'a')));
    // "é" is one UTF-16 unit in two bytes: the limit counts units.
    std::string accents;
    for (int i = 0; i < MatchRule::maxRegexPatternLength; ++i) accents += "\xc3\xa9";
    EXPECT_TRUE(MatchRule::isUsableRegex(accents));
    EXPECT_EQ(regexCacheSize(), 0u);  // the checks leave the matcher's cache alone
}

TEST(MatchRuleTests, CatastrophicRegexStopsAtTheTimeLimit) {
    const std::string title(39, 'a');
    const auto r = rule({}, "(a+)+$", TM::regex);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(r.matches(std::nullopt, title + "!"));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // Without the limit this search would run for days.
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    // The same pattern still works on a title it can decide quickly.
    EXPECT_TRUE(r.matches(std::nullopt, "aaa"));
    // And the other rules are unaffected.
    EXPECT_TRUE(rule({}, "!$", TM::regex).matches(std::nullopt, title + "!"));
}

TEST(MatchRuleTests, JSONFormAndTitleMatchDecoding) {
    const Uuid id = *Uuid::fromString("6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2D");
    const MatchRule r(id, {"b", "a"}, std::nullopt, TM::regex);
    const nlohmann::json json = r;
    EXPECT_EQ(json.dump(), R"({"bundleIDs":["a","b"],"id":"6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2D","titleMatch":"regex"})");
    EXPECT_EQ(json.get<MatchRule>(), r);

    auto decode = [](const char* text) { return nlohmann::json::parse(text).get<MatchRule>(); };
    const auto noMatch = decode(R"({"id":"6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2D","bundleIDs":["x","x"],"titlePattern":null})");
    EXPECT_EQ(noMatch.titleMatch, TM::contains);
    EXPECT_FALSE(noMatch.titlePattern);
    EXPECT_EQ(noMatch.bundleIDs.size(), 1u);
    EXPECT_THROW(decode(R"({"id":"6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2D","bundleIDs":[],"titleMatch":"Regex"})"),
                 nlohmann::json::exception);
    EXPECT_THROW(decode(R"({"id":"nope","bundleIDs":[]})"), nlohmann::json::exception);
    EXPECT_THROW(decode(R"({"id":"6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2D"})"), nlohmann::json::exception);
    EXPECT_THROW(decode(R"({"id":"6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2D","bundleIDs":[1]})"), nlohmann::json::exception);
}

TEST(AutoColorRuleTests, NormalizedTrimsContainsPatternsOnly) {
    const Uuid id = Uuid::random();
    EXPECT_FALSE(AutoColorRule::normalized(id, {}, " \n", TM::contains, TabColor::defaultAccent));
    const auto spaces = AutoColorRule::normalized(id, {}, "   ", TM::regex, TabColor::defaultAccent);
    ASSERT_TRUE(spaces);
    EXPECT_EQ(spaces->titlePattern, "   ");
    const auto word = AutoColorRule::normalized(id, {}, " Mail\n", TM::contains, TabColor::defaultAccent);
    ASSERT_TRUE(word);
    EXPECT_EQ(word->titlePattern, "Mail");
    EXPECT_EQ(word->id, id);
    const auto app = AutoColorRule::normalized(id, {"org.example"}, "", TM::contains, TabColor(1, 0, 0));
    ASSERT_TRUE(app);
    EXPECT_FALSE(app->titlePattern);
    EXPECT_TRUE(app->matches("org.example", "any title"));
    EXPECT_FALSE(app->matches("org.other", "any title"));
}

TEST(AutoColorRuleTests, JSONReadsLenientOptionalsAndWritesThemBack) {
    const char* text = R"({"id":"6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2D","bundleIDs":["a"],
                          "color":{"red":2,"green":-1,"blue":0.5}})";
    const auto rule = nlohmann::json::parse(text).get<AutoColorRule>();
    EXPECT_EQ(rule.titleMatch, TM::contains);
    EXPECT_FALSE(rule.titlePattern);
    EXPECT_EQ(rule.color, TabColor(1, 0, 0.5));
    const nlohmann::json written = rule;
    EXPECT_FALSE(written.contains("titlePattern"));
    EXPECT_EQ(written["titleMatch"], "contains");

    const auto empty = nlohmann::json::parse(R"({"id":"6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2D","bundleIDs":[],
        "titlePattern":"","color":{"red":0,"green":0,"blue":0}})").get<AutoColorRule>();
    EXPECT_EQ(empty.titlePattern, "");
    EXPECT_FALSE(empty.matches(std::nullopt, "x"));
    EXPECT_THROW(nlohmann::json::parse(R"({"id":"6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2D","bundleIDs":[]})").get<AutoColorRule>(),
                 nlohmann::json::exception);
}

TEST(ColorPresetTests, JSONRequiresEveryMember) {
    const ColorPreset preset(Uuid::random(), "Work", TabColor(0.2, 0.4, 0.6));
    const nlohmann::json json = preset;
    EXPECT_EQ(json.get<ColorPreset>(), preset);
    nlohmann::json noName = json;
    noName.erase("name");
    EXPECT_THROW((void)noName.get<ColorPreset>(), nlohmann::json::exception);
    // Same name and colour, different ids: different presets.
    EXPECT_NE(preset, ColorPreset(Uuid::random(), "Work", TabColor(0.2, 0.4, 0.6)));
}

}  // namespace
}  // namespace tessaly
