#include "TessalyCore/AppLanguage.h"

#include <map>
#include <set>

#include <gtest/gtest.h>

namespace tessaly {
namespace {

std::optional<std::string> canonical(std::string_view code) { return AppLanguage::canonicalCode(code); }

TEST(AppLanguage, CasesKeepTheirIndexCodeAndLabel) {
    const std::vector<std::string_view> codes{"en", "ja", "zh-Hans", "de", "fr", "ko", "es", "zh-Hant", "pt-BR", "it"};
    ASSERT_EQ(AppLanguage::allCases().size(), codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const AppLanguage language = AppLanguage::allCases()[i];
        EXPECT_EQ(language.index(), i);
        EXPECT_EQ(language.rawValue(), codes[i]);
        EXPECT_EQ(AppLanguage::fromRawValue(codes[i]), language);
        EXPECT_EQ(AppLanguage::fromIndex(i), language);
    }
    EXPECT_EQ(AppLanguage(AppLanguage::japanese).displayName(), "Japanese (日本語)");
    EXPECT_EQ(AppLanguage(AppLanguage::brazilianPortuguese).displayName(), "Portuguese, Brazil (Português do Brasil)");
    EXPECT_EQ(AppLanguage(AppLanguage::english).displayName(), "English");
    EXPECT_FALSE(AppLanguage::fromIndex(10));
}

TEST(AppLanguage, RawValuesMatchExactly) {
    EXPECT_FALSE(AppLanguage::fromRawValue("zh-hans"));
    EXPECT_FALSE(AppLanguage::fromRawValue("EN"));
    EXPECT_FALSE(AppLanguage::fromRawValue(""));
    EXPECT_EQ(AppLanguage::fromLocaleCode("zh-hans"), AppLanguage::simplifiedChinese);
    EXPECT_EQ(AppLanguage::fromLocaleCode("EN"), AppLanguage::english);
}

TEST(AppLanguage, PickerOrderSortsByLabel) {
    const std::vector<AppLanguage> expected{
        AppLanguage::simplifiedChinese, AppLanguage::traditionalChinese, AppLanguage::english,
        AppLanguage::french,            AppLanguage::german,             AppLanguage::italian,
        AppLanguage::japanese,          AppLanguage::korean,             AppLanguage::brazilianPortuguese,
        AppLanguage::spanish,
    };
    EXPECT_EQ(AppLanguage::pickerOrder(), expected);
}

TEST(AppLanguage, ChineseKeepsItsScript) {
    EXPECT_EQ(canonical("zh-TW"), "zh-Hant");
    EXPECT_EQ(canonical("zh-HK"), "zh-Hant");
    EXPECT_EQ(canonical("zh-Hant"), "zh-Hant");
    EXPECT_EQ(canonical("zh_TW"), "zh-Hant");
    EXPECT_EQ(canonical("zh"), "zh-Hans");
    EXPECT_EQ(canonical("zh-CN"), "zh-Hans");
    EXPECT_EQ(canonical("zh-SG"), "zh-Hans");
    EXPECT_EQ(canonical("zh-Hans-TW"), "zh-Hans");  // an explicit script wins over the region
    EXPECT_EQ(canonical("zh-Hant-CN"), "zh-Hant");
}

TEST(AppLanguage, OtherLanguagesDropRegionAndScript) {
    EXPECT_EQ(canonical("pt-PT"), "pt-BR");
    EXPECT_EQ(canonical("pt"), "pt-BR");
    EXPECT_EQ(canonical("en-GB"), "en");
    EXPECT_EQ(canonical("de-AT"), "de");
    EXPECT_EQ(canonical("es-419"), "es");
    EXPECT_EQ(canonical("sr-Latn-RS"), "sr");
    EXPECT_EQ(canonical("nl-NL"), "nl");
    EXPECT_FALSE(AppLanguage::fromLocaleCode("nl-NL"));
    EXPECT_FALSE(canonical(""));
    EXPECT_FALSE(canonical("!!"));
    EXPECT_FALSE(canonical("und"));
}

TEST(AppLanguage, PreferredTakesTheFirstKnownLanguage) {
    EXPECT_EQ(AppLanguage::preferred({}), AppLanguage::english);
    EXPECT_EQ(AppLanguage::preferred({"nl", "fr-CA", "de"}), AppLanguage::french);
    EXPECT_EQ(AppLanguage::preferred({"ru", "de-CH", "en"}), AppLanguage::german);
    EXPECT_EQ(AppLanguage::preferred({"pt-PT"}), AppLanguage::brazilianPortuguese);
    EXPECT_EQ(AppLanguage::preferred({"zh-TW", "en"}), AppLanguage::traditionalChinese);
    EXPECT_EQ(AppLanguage::preferred({"ru", "nl", ""}), AppLanguage::english);
}

TEST(AppLanguage, HashAndEqualityFollowTheCase) {
    std::set<AppLanguage::Value> seen;
    std::hash<AppLanguage> hash;
    for (AppLanguage language : AppLanguage::allCases()) {
        EXPECT_TRUE(seen.insert(language).second);
        EXPECT_EQ(hash(language), hash(*AppLanguage::fromRawValue(language.rawValue())));
    }
}

TEST(AppLanguage, EnvironmentListsLanguagesInPriorityOrder) {
    std::map<std::string, std::string> env{
        {"LANGUAGE", "de_CH:fr::en"}, {"LC_ALL", ""}, {"LC_MESSAGES", "zh_TW.UTF-8"}, {"LANG", "C.UTF-8"}};
    auto lookup = [&env](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(AppLanguage::systemPreferredLanguages(lookup),
              (std::vector<std::string>{"de-CH", "fr", "en", "zh-TW"}));

    env = {{"LANG", "POSIX"}};
    EXPECT_TRUE(AppLanguage::systemPreferredLanguages(lookup).empty());
    env = {{"LANG", "pt_PT.ISO-8859-1@euro"}, {"LC_ALL", "pt_PT.UTF-8"}};
    EXPECT_EQ(AppLanguage::systemPreferredLanguages(lookup), (std::vector<std::string>{"pt-PT"}));
    EXPECT_TRUE(AppLanguage::systemPreferredLanguages(nullptr).empty());
}

}  // namespace
}  // namespace tessaly
