#include "TessalyApp/DesktopEntry.h"

#include <gtest/gtest.h>

#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

// A desktop in each of the program's languages shows the entry in the same
// words the program itself uses, and the locale the entry writes is one the
// program reads as that very language.
TEST(DesktopEntryTests, EachLanguageFindsTheProgramsOwnWordsUnderItsLocale) {
    const std::string entry = DesktopEntry::applicationEntry();
    const std::string metainfo = DesktopEntry::metainfo("1.2.3", "2026-01-02");
    for (const AppLanguage language : AppLanguage::allCases()) {
        const std::string locale(DesktopEntry::localeKey(language));
        if (language != AppLanguage::english) {
            EXPECT_EQ(AppLanguage::fromLocaleCode(locale), language) << locale;
        }
        L10n::ScopedLanguageForTesting scoped(language);
        const std::string key = locale.empty() ? "" : "[" + locale + "]";
        EXPECT_NE(entry.find("\nGenericName" + key + "=" + L10n::appGenericName() + "\n"), std::string::npos) << key;
        EXPECT_NE(entry.find("\nComment" + key + "=" + L10n::appComment() + "\n"), std::string::npos) << key;
        const std::string lang = locale.empty() ? "" : " xml:lang=\"" + locale + "\"";
        EXPECT_NE(metainfo.find("<summary" + lang + ">" + L10n::appComment() + "</summary>"), std::string::npos) << key;
    }
    EXPECT_NE(entry.find("\nStartupWMClass=" + std::string(DesktopEntry::windowClass) + "\n"), std::string::npos);
    EXPECT_NE(metainfo.find("<release version=\"1.2.3\" date=\"2026-01-02\"/>"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
