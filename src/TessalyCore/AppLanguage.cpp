#include "TessalyCore/AppLanguage.h"

#include <algorithm>
#include <cstdlib>

#include <unicode/locid.h>

namespace tessaly {

namespace {

struct LanguageRow {
    std::string_view rawValue;
    std::string_view displayName;
};

constexpr std::array<LanguageRow, AppLanguage::count> kLanguages{{
    {"en", "English"},
    {"ja", "Japanese (日本語)"},
    {"zh-Hans", "Chinese, Simplified (简体中文)"},
    {"de", "German (Deutsch)"},
    {"fr", "French (Français)"},
    {"ko", "Korean (한국어)"},
    {"es", "Spanish (Español)"},
    {"zh-Hant", "Chinese, Traditional (繁體中文)"},
    {"pt-BR", "Portuguese, Brazil (Português do Brasil)"},
    {"it", "Italian (Italiano)"},
}};

bool isAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

std::string_view AppLanguage::rawValue() const { return kLanguages[index()].rawValue; }

std::string_view AppLanguage::displayName() const { return kLanguages[index()].displayName; }

std::optional<AppLanguage> AppLanguage::fromIndex(std::size_t index) {
    if (index >= count) return std::nullopt;
    return AppLanguage(static_cast<Value>(index));
}

std::optional<AppLanguage> AppLanguage::fromRawValue(std::string_view rawValue) {
    for (std::size_t i = 0; i < count; ++i) {
        if (kLanguages[i].rawValue == rawValue) return fromIndex(i);
    }
    return std::nullopt;
}

std::optional<AppLanguage> AppLanguage::fromLocaleCode(std::string_view localeCode) {
    const auto code = canonicalCode(localeCode);
    if (!code) return std::nullopt;
    return fromRawValue(*code);
}

const std::array<AppLanguage, AppLanguage::count>& AppLanguage::allCases() {
    static const std::array<AppLanguage, count> cases{
        english, japanese, simplifiedChinese, german, french,
        korean,  spanish,  traditionalChinese, brazilianPortuguese, italian,
    };
    return cases;
}

std::vector<AppLanguage> AppLanguage::pickerOrder() {
    std::vector<AppLanguage> order(allCases().begin(), allCases().end());
    std::stable_sort(order.begin(), order.end(),
                     [](AppLanguage a, AppLanguage b) { return a.displayName() < b.displayName(); });
    return order;
}

std::optional<std::string> AppLanguage::canonicalCode(std::string_view localeCode) {
    // Both "zh_TW" and "zh-TW" spellings are identifiers of the same locale.
    std::string tag(localeCode);
    std::replace(tag.begin(), tag.end(), '_', '-');
    if (tag.empty()) return std::nullopt;

    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::forLanguageTag(tag, status);
    if (U_FAILURE(status) || locale.isBogus()) return std::nullopt;

    const std::string language = locale.getLanguage();
    if (language.empty()) return std::nullopt;

    if (language == "zh") {
        std::string script = locale.getScript();
        if (script.empty()) {
            icu::Locale maximal = locale;
            UErrorCode likelyStatus = U_ZERO_ERROR;
            maximal.addLikelySubtags(likelyStatus);
            if (U_SUCCESS(likelyStatus)) script = maximal.getScript();
        }
        return std::string(script == "Hant" ? "zh-Hant" : "zh-Hans");
    }
    if (language == "pt") return std::string("pt-BR");
    return language;
}

AppLanguage AppLanguage::preferred(const std::vector<std::string>& from) {
    for (const auto& code : from) {
        if (const auto language = fromLocaleCode(code)) return *language;
    }
    return english;
}

std::string AppLanguage::languageTagFromPosixLocale(std::string_view posixLocale) {
    // language[_territory][.codeset][@modifier]
    const auto end = posixLocale.find_first_of(".@");
    std::string_view name = posixLocale.substr(0, end);
    if (name.empty() || name == "C" || name == "POSIX") return {};
    if (!isAsciiAlpha(name.front())) return {};
    std::string tag(name);
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

std::vector<std::string> AppLanguage::systemPreferredLanguages(const EnvironmentLookup& environment) {
    std::vector<std::string> languages;
    auto add = [&languages](std::string_view posixLocale) {
        std::string tag = languageTagFromPosixLocale(posixLocale);
        if (tag.empty()) return;
        if (std::find(languages.begin(), languages.end(), tag) == languages.end()) {
            languages.push_back(std::move(tag));
        }
    };
    auto read = [&environment](const char* name) -> std::string_view {
        if (!environment) return {};
        const char* value = environment(name);
        return value == nullptr ? std::string_view{} : std::string_view(value);
    };

    std::string_view list = read("LANGUAGE");
    while (!list.empty()) {
        const auto colon = list.find(':');
        add(list.substr(0, colon));
        if (colon == std::string_view::npos) break;
        list.remove_prefix(colon + 1);
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) add(read(name));
    return languages;
}

AppLanguage AppLanguage::systemDefault() {
    return preferred(systemPreferredLanguages([](const char* name) { return std::getenv(name); }));
}

}  // namespace tessaly
