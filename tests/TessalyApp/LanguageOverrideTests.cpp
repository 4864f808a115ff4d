#include "TessalyApp/LanguageOverride.h"

#include <gtest/gtest.h>

#include "Platform/TestFiles.h"

namespace tessaly {
namespace {

TEST(LanguageOverrideTests, TheStoredChoiceIsTheFirstCodeOfAnArrayThatNamesALanguage) {
    InMemoryUserDefaults defaults;
    EXPECT_FALSE(LanguageOverride::current(defaults));
    defaults.setStringArray({"fr-CA", "en"}, LanguageOverride::key);
    EXPECT_EQ(LanguageOverride::current(defaults), AppLanguage::french);
    defaults.setStringArray({}, LanguageOverride::key);
    EXPECT_FALSE(LanguageOverride::current(defaults));
    defaults.setString("de", LanguageOverride::key);  // a string, not an array
    EXPECT_FALSE(LanguageOverride::current(defaults));
    defaults.setStringArray({"tlh"}, LanguageOverride::key);
    EXPECT_FALSE(LanguageOverride::current(defaults));

    LanguageOverride::persist(defaults, AppLanguage::traditionalChinese);
    EXPECT_EQ(defaults.stringArrayForKey(LanguageOverride::key), (UserDefaults::StringArray{"zh-Hant"}));
    EXPECT_EQ(LanguageOverride::current(defaults), AppLanguage::traditionalChinese);
}

TEST(LanguageOverrideTests, TheSystemChoiceIsStoredOnlyWhenNoneIs) {
    InMemoryUserDefaults defaults;
    defaults.setStringArray({"klingon"}, LanguageOverride::key);  // names no language: replaced
    LanguageOverride::storeSystemChoiceIfMissing(defaults, {"pt-PT", "de"});
    EXPECT_EQ(defaults.stringArrayForKey(LanguageOverride::key), (UserDefaults::StringArray{"pt-BR"}));
    LanguageOverride::storeSystemChoiceIfMissing(defaults, {"ja"});
    EXPECT_EQ(LanguageOverride::current(defaults), AppLanguage::brazilianPortuguese);

    InMemoryUserDefaults fresh;
    LanguageOverride::storeSystemChoiceIfMissing(fresh, {});
    EXPECT_EQ(LanguageOverride::current(fresh), AppLanguage::english);
}

TEST(LanguageOverrideTests, AChoiceSurvivesInTheDefaultsFileForTheNextStart) {
    testing::TempFolder temp;
    const auto file = temp.path() / "tessaly" / "defaults.json";
    {
        FileUserDefaults defaults(file);
        LanguageOverride::persist(defaults, AppLanguage::german);
    }
    const FileUserDefaults nextStart(file);
    EXPECT_EQ(LanguageOverride::current(nextStart), AppLanguage::german);
}

}  // namespace
}  // namespace tessaly
