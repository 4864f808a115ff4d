#include "TessalyCore/MatchRule.h"

#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

#include <nlohmann/json.hpp>
#include <unicode/normalizer2.h>
#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include "Platform/JsonReading.h"
#include "TessalyCore/UnicodeText.h"

namespace tessaly {

namespace {

bool isASCII(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

char lowerASCII(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool containsIgnoringASCIICase(std::string_view title, std::string_view pattern) {
    if (pattern.size() > title.size()) return false;
    const std::size_t last = title.size() - pattern.size();
    for (std::size_t i = 0; i <= last; ++i) {
        std::size_t j = 0;
        while (j < pattern.size() && lowerASCII(title[i + j]) == lowerASCII(pattern[j])) ++j;
        if (j == pattern.size()) return true;
    }
    return false;
}

// Canonical caseless form: NFD(fold(NFD(text))).
icu::UnicodeString caselessCanonical(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) return unicodeStringFromUTF8(text).foldCase();
    icu::UnicodeString once = nfd->normalize(unicodeStringFromUTF8(text), status);
    once.foldCase();
    icu::UnicodeString result = nfd->normalize(once, status);
    return U_SUCCESS(status) ? result : once;
}

// The pattern compiled; null when it is too long or does not compile.
std::unique_ptr<icu::RegexPattern> compileRegex(std::string_view pattern) {
    // More than four bytes per allowed UTF-16 unit is too long for certain,
    // without converting it.
    if (pattern.size() > 4 * static_cast<std::size_t>(MatchRule::maxRegexPatternLength)) return nullptr;
    const icu::UnicodeString text = unicodeStringFromUTF8(pattern);
    if (text.length() > MatchRule::maxRegexPatternLength) return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(text, 0, parseError, status));
    if (U_FAILURE(status)) return nullptr;
    return compiled;
}

// The compiled expressions, shared by every thread. A null pattern records a
// pattern that failed to compile, so it is not compiled again on every test.
class RegexCache {
public:
    using Compiled = std::shared_ptr<const icu::RegexPattern>;

    static RegexCache& shared() {
        static RegexCache cache;
        return cache;
    }

    Compiled lookup(const std::string& pattern) {
        std::lock_guard lock(mutex_);
        if (const auto it = index_.find(pattern); it != index_.end()) {
            order_.splice(order_.begin(), order_, it->second);
            return it->second->second;
        }
        Compiled compiled = compile(pattern);
        order_.emplace_front(pattern, compiled);
        index_.emplace(pattern, order_.begin());
        while (order_.size() > MatchRule::regexCacheCapacity) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
        return compiled;
    }

    std::size_t size() {
        std::lock_guard lock(mutex_);
        return order_.size();
    }

    void clear() {
        std::lock_guard lock(mutex_);
        index_.clear();
        order_.clear();
    }

private:
    static Compiled compile(const std::string& pattern) { return Compiled(compileRegex(pattern)); }

    using Entry = std::pair<std::string, Compiled>;
    std::mutex mutex_;
    std::list<Entry> order_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

// One reusable matcher per compiled pattern and thread, so a pass over many
// titles does not build a matcher for every search. The entry keeps its
// pattern alive, so the key cannot be reused by another pattern meanwhile.
struct ThreadMatcher {
    RegexCache::Compiled pattern;
    std::unique_ptr<icu::RegexMatcher> matcher;
};

}  // namespace

bool titleContains(std::string_view title, std::string_view pattern) {
    if (pattern.empty() || title.empty()) return false;
    if (isASCII(title) && isASCII(pattern)) return containsIgnoringASCIICase(title, pattern);

    const icu::UnicodeString haystack = caselessCanonical(title);
    const icu::UnicodeString needle = caselessCanonical(pattern);
    if (needle.isEmpty()) return false;
    // A hit must neither begin nor end inside a combining sequence: "e" is
    // not found in "é", nor a lone accent in "éa".
    auto isBoundary = [&](int32_t at) {
        return at <= 0 || at >= haystack.length() || u_getCombiningClass(haystack.char32At(at)) == 0;
    };
    for (int32_t from = 0;;) {
        const int32_t at = haystack.indexOf(needle, from);
        if (at < 0) return false;
        if (isBoundary(at) && isBoundary(at + needle.length())) return true;
        from = at + 1;
    }
}

bool titleMatchesRegex(std::string_view title, const std::string& pattern) {
    // More than four bytes per allowed UTF-16 unit is too long for certain:
    // refuse it without keeping its text in the cache.
    if (pattern.size() > 4 * static_cast<std::size_t>(MatchRule::maxRegexPatternLength)) return false;
    const RegexCache::Compiled compiled = RegexCache::shared().lookup(pattern);
    if (!compiled) return false;

    thread_local std::unordered_map<const icu::RegexPattern*, ThreadMatcher> matchers;
    UErrorCode status = U_ZERO_ERROR;
    if (!matchers.contains(compiled.get()) && matchers.size() >= MatchRule::regexCacheCapacity) matchers.clear();
    ThreadMatcher& slot = matchers[compiled.get()];
    if (!slot.matcher) {
        slot.matcher.reset(compiled->matcher(status));
        if (U_FAILURE(status) || !slot.matcher) {
            matchers.erase(compiled.get());
            return false;
        }
        slot.matcher->setTimeLimit(MatchRule::regexTimeLimit, status);
        slot.pattern = compiled;
    }
    const icu::UnicodeString input = unicodeStringFromUTF8(title);
    icu::RegexMatcher& matcher = *slot.matcher;
    matcher.reset(input);
    status = U_ZERO_ERROR;
    const bool found = matcher.find(0, status);
    // A search stopped by the time limit (U_REGEX_TIME_OUT) or the stack
    // limit counts as no match.
    const bool result = U_SUCCESS(status) && found;
    // The matcher keeps a reference to its input: point it at a string that
    // outlives it before `input` goes away.
    static const icu::UnicodeString nothing;
    matcher.reset(nothing);
    return result;
}

std::size_t regexCacheSize() { return RegexCache::shared().size(); }
void clearRegexCache() { RegexCache::shared().clear(); }

bool fieldsAreSatisfiable(const std::set<std::string>& bundleIDs, const std::optional<std::string>& titlePattern) {
    return !bundleIDs.empty() || (titlePattern && !titlePattern->empty());
}

bool MatchRule::isSatisfiable() const { return fieldsAreSatisfiable(bundleIDs, titlePattern); }

bool MatchRule::isUsableRegex(std::string_view pattern) { return compileRegex(pattern) != nullptr; }

bool MatchRule::matches(const std::optional<std::string>& bundleID, std::string_view title) const {
    return matchesFields(bundleIDs, titlePattern, titleMatch, bundleID, title);
}

bool matchesFields(const std::set<std::string>& bundleIDs, const std::optional<std::string>& titlePattern,
                   MatchRule::TitleMatch titleMatch, const std::optional<std::string>& bundleID,
                   std::string_view title) {
    if (!fieldsAreSatisfiable(bundleIDs, titlePattern)) return false;
    if (!bundleIDs.empty() && (!bundleID || !bundleIDs.contains(*bundleID))) return false;
    if (!titlePattern || titlePattern->empty()) return true;
    switch (titleMatch) {
        case MatchRule::TitleMatch::contains: return titleContains(title, *titlePattern);
        case MatchRule::TitleMatch::regex: return titleMatchesRegex(title, *titlePattern);
    }
    return false;
}

void to_json(nlohmann::json& json, MatchRule::TitleMatch match) { json = std::string(rawValue(match)); }

void from_json(const nlohmann::json& json, MatchRule::TitleMatch& match) {
    const auto value = fromRawValue<MatchRule::TitleMatch>(json_reading::requireString(json, "titleMatch"));
    if (!value) {
        throw nlohmann::json::other_error::create(501, "titleMatch must be \"contains\" or \"regex\"", nullptr);
    }
    match = *value;
}

void encodeMatchFields(nlohmann::json& json, const Uuid& id, const std::set<std::string>& bundleIDs,
                       const std::optional<std::string>& titlePattern, MatchRule::TitleMatch titleMatch) {
    if (!json.is_object()) json = nlohmann::json::object();
    json["id"] = id.uuidString();
    json["bundleIDs"] = bundleIDs;  // sorted: the output is deterministic
    if (titlePattern) json["titlePattern"] = *titlePattern;
    json["titleMatch"] = titleMatch;
}

void decodeMatchFields(const nlohmann::json& json, Uuid& id, std::set<std::string>& bundleIDs,
                       std::optional<std::string>& titlePattern, MatchRule::TitleMatch& titleMatch) {
    using namespace json_reading;
    id = requireUuid(requireMember(json, "id"), "id");
    const nlohmann::json& ids = requireMember(json, "bundleIDs");
    if (!ids.is_array()) throw nlohmann::json::type_error::create(302, "bundleIDs must be an array", nullptr);
    bundleIDs.clear();
    for (const auto& element : ids) bundleIDs.insert(requireString(element, "bundleIDs element"));
    titlePattern.reset();
    if (const auto* pattern = optionalMember(json, "titlePattern")) titlePattern = requireString(*pattern, "titlePattern");
    titleMatch = MatchRule::TitleMatch::contains;
    if (const auto* match = optionalMember(json, "titleMatch")) titleMatch = match->get<MatchRule::TitleMatch>();
}

void to_json(nlohmann::json& json, const MatchRule& rule) {
    json = nlohmann::json::object();
    encodeMatchFields(json, rule.id, rule.bundleIDs, rule.titlePattern, rule.titleMatch);
}

void from_json(const nlohmann::json& json, MatchRule& rule) {
    decodeMatchFields(json, rule.id, rule.bundleIDs, rule.titlePattern, rule.titleMatch);
}

}  // namespace tessaly
