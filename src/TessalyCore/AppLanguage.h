#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// One of the ten display languages. The order of the cases is the language
// index of the whole program: every localised text holds its ten versions in
// exactly this order, so cases are never reordered, inserted or removed.
class AppLanguage {
public:
    enum Value : std::uint8_t {
        english = 0,
        japanese = 1,
        simplifiedChinese = 2,
        german = 3,
        french = 4,
        korean = 5,
        spanish = 6,
        traditionalChinese = 7,
        brazilianPortuguese = 8,
        italian = 9,
    };
    static constexpr std::size_t count = 10;

    constexpr AppLanguage(Value value) : value_(value) {}  // NOLINT(google-explicit-constructor)
    constexpr operator Value() const { return value_; }    // NOLINT(google-explicit-constructor)

    // The position in the case order (0 "en" ... 9 "it").
    constexpr std::size_t index() const { return static_cast<std::size_t>(value_); }
    // The locale code: "en", "ja", "zh-Hans", "de", "fr", "ko", "es", "zh-Hant", "pt-BR", "it".
    std::string_view rawValue() const;
    // The label in the language picker, the same in every interface language.
    std::string_view displayName() const;

    // Exact, case-sensitive match against the ten codes.
    static std::optional<AppLanguage> fromRawValue(std::string_view rawValue);
    // The language of any locale identifier, through its canonical code.
    static std::optional<AppLanguage> fromLocaleCode(std::string_view localeCode);
    static std::optional<AppLanguage> fromIndex(std::size_t index);

    static const std::array<AppLanguage, count>& allCases();
    // allCases sorted by displayName (plain byte comparison, stable).
    static std::vector<AppLanguage> pickerOrder();

    // Reduces a locale identifier ("zh-TW", "pt_PT", "en-GB") to the code the
    // program compares against its languages: the bare language code, except
    // that Chinese keeps its script ("zh-Hans"/"zh-Hant", from the likely
    // subtags when the code names none) and every Portuguese is "pt-BR".
    // Absent when the identifier names no language.
    static std::optional<std::string> canonicalCode(std::string_view localeCode);

    // The first entry whose canonical code is one of the ten languages;
    // English when none is or the list is empty.
    static AppLanguage preferred(const std::vector<std::string>& from);

    // Looks up an environment variable; returns nullptr when it is not set
    // (the shape of getenv).
    using EnvironmentLookup = std::function<const char*(const char*)>;

    // The user's preferred languages as the environment lists them, in order:
    // every entry of LANGUAGE (colon-separated), then LC_ALL, LC_MESSAGES and
    // LANG. POSIX locale names read as language tags ("zh_TW.UTF-8" is
    // "zh-TW"); "C" and "POSIX" name no language. Duplicates are kept once.
    static std::vector<std::string> systemPreferredLanguages(const EnvironmentLookup& environment);

    // preferred(from:) of the process environment's preferred languages.
    static AppLanguage systemDefault();

    // Turns one POSIX locale name ("pt_BR.UTF-8@euro") into a language tag
    // ("pt-BR"); empty for "C", "POSIX" and names without a language.
    static std::string languageTagFromPosixLocale(std::string_view posixLocale);

private:
    Value value_;
};

}  // namespace tessaly

template <>
struct std::hash<tessaly::AppLanguage> {
    std::size_t operator()(tessaly::AppLanguage language) const noexcept { return language.index(); }
};
