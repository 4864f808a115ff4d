// Checks over every text of the catalogue in every language.

#include "TessalyCore/L10nCatalog.h"

#include <map>
#include <regex>
#include <set>

#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

namespace tessaly::L10n {
namespace {

constexpr std::string_view kNbsp = "\u00A0";

struct Text {
    const CatalogEntry* entry;
    AppLanguage language;
    std::string_view value;
};

std::vector<Text> everyText() {
    std::vector<Text> texts;
    for (const auto& table : catalogTables()) {
        for (const auto& entry : table) {
            for (AppLanguage language : AppLanguage::allCases()) {
                texts.push_back({&entry, language, entry.text[language.index()]});
            }
        }
    }
    return texts;
}

std::string where(const Text& text) {
    return std::string(text.entry->id) + " [" + std::string(text.language.rawValue()) + "]: " +
           std::string(text.value);
}

std::map<std::string_view, const CatalogEntry*> rowsById() {
    std::map<std::string_view, const CatalogEntry*> rows;
    for (const auto& table : catalogTables()) {
        for (const auto& entry : table) rows[entry.id] = &entry;
    }
    return rows;
}

bool isFormatted(const CatalogEntry& entry) {
    for (const auto& formatted : formatCatalog()) {
        if (&formatted == &entry) return true;
    }
    return false;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::size_t count(std::string_view text, std::string_view part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

// The code points of a valid UTF-8 text (empty when it is not valid).
std::vector<UChar32> codePoints(std::string_view text) {
    std::vector<UChar32> points;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) return {};
        points.push_back(c);
    }
    return points;
}

TEST(L10nCatalog, IdsAreUniqueAcrossTables) {
    std::set<std::string_view> ids;
    std::size_t rows = 0;
    for (const auto& table : catalogTables()) {
        for (const auto& entry : table) {
            ++rows;
            EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
        }
    }
    // 188 plain texts and the patterns of 14 formatted texts (4 of them counted).
    EXPECT_EQ(overlayCatalog().size() + settingsCatalog().size(), 188U);
    EXPECT_EQ(formatCatalog().size(), 18U);
    EXPECT_EQ(rows, ids.size());
}

TEST(L10nCatalog, EveryTextIsValidTrimmedUtf8) {
    for (const auto& text : everyText()) {
        ASSERT_FALSE(text.value.empty()) << where(text);
        const auto points = codePoints(text.value);
        ASSERT_FALSE(points.empty()) << "invalid UTF-8 in " << where(text);
        UErrorCode status = U_ZERO_ERROR;
        int32_t needed = 0;
        u_strFromUTF8(nullptr, 0, &needed, text.value.data(), static_cast<int32_t>(text.value.size()), &status);
        EXPECT_TRUE(status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status)) << where(text);

        for (const auto c : points) {
            EXPECT_FALSE(c == '\t' || c == '\r' || (c < 0x20 && c != '\n')) << "control character in " << where(text);
            EXPECT_NE(c, 0xFFFD) << where(text);
        }
        // No white space at either end of the text or of any of its lines.
        std::string_view rest = text.value;
        while (true) {
            const auto newline = rest.find('\n');
            const auto line = codePoints(rest.substr(0, newline));
            ASSERT_FALSE(line.empty()) << "empty line in " << where(text);
            EXPECT_FALSE(u_isUWhiteSpace(line.front())) << "leading space in " << where(text);
            EXPECT_FALSE(u_isUWhiteSpace(line.back())) << "trailing space in " << where(text);
            if (newline == std::string_view::npos) break;
            rest.remove_prefix(newline + 1);
        }
    }
}

TEST(L10nCatalog, LineBreaksOnlyWhereTheTextsHaveThem) {
    const std::set<std::string_view> multiline{"hotkeyRuleHint", "onboardingBody"};
    for (const auto& text : everyText()) {
        EXPECT_EQ(contains(text.value, "\n"), multiline.contains(text.entry->id)) << where(text);
    }
}

TEST(L10nCatalog, PercentOnlyInTheDisplayMovePrompt) {
    for (const auto& text : everyText()) {
        if (text.entry->id == "releaseToMove") {
            EXPECT_EQ(count(text.value, "%"), 1U) << where(text);
            EXPECT_EQ(count(text.value, "%@"), 1U) << where(text);
        } else {
            EXPECT_FALSE(contains(text.value, "%")) << where(text);
        }
    }
}

TEST(L10nCatalog, PlaceholdersMatchTheirArguments) {
    const std::map<std::string_view, std::set<std::string>> arguments{
        {"aboutVersion", {"{version}", "{build}"}},
        {"menuUpdateAvailable", {"{version}"}},
        {"exportDoneBody", {"{file}", "{folder}"}},
        {"importErrorUnsupportedVersion", {"{n}"}},
        {"releaseToMove", {}},
        {"multipleApps", {"{n}"}},
        {"ruleRowContains", {"{apps}", "{text}"}},
        {"ruleRowRegex", {"{apps}", "{pattern}"}},
        {"menuGroupActive", {"{title}"}},
        {"howToSwitchBody", {"{keys}"}},
        {"importSkippedItems.one", {"{n}"}},
        {"importSkippedItems.other", {"{n}"}},
        {"menuGroupRow.one", {"{n}", "{name}"}},
        {"menuGroupRow.other", {"{n}", "{name}"}},
        {"menuMoreGroups.one", {"{n}"}},
        {"menuMoreGroups.other", {"{n}"}},
        {"relaunchDetachAlertTitle.one", {"{n}"}},
        {"relaunchDetachAlertTitle.other", {"{n}"}},
    };
    const std::regex placeholder(R"(\{[^{}]*\})");
    for (const auto& text : everyText()) {
        std::multiset<std::string> found;
        const std::string value(text.value);
        for (auto it = std::sregex_iterator(value.begin(), value.end(), placeholder); it != std::sregex_iterator();
             ++it) {
            found.insert(it->str());
        }
        if (!isFormatted(*text.entry)) {
            EXPECT_TRUE(found.empty()) << where(text);
            EXPECT_FALSE(contains(text.value, "{") || contains(text.value, "}")) << where(text);
            continue;
        }
        auto expected = arguments.at(text.entry->id);
        // The singular of these languages writes the digit itself.
        const bool fixedSingular = text.entry->id == "relaunchDetachAlertTitle.one" &&
                                   pluralForm(text.language, 1) == PluralForm::one &&
                                   text.language != AppLanguage::french;
        if (fixedSingular) {
            expected.clear();
            EXPECT_TRUE(text.value.starts_with("1 ")) << where(text);
        }
        EXPECT_EQ(found, std::multiset<std::string>(expected.begin(), expected.end())) << where(text);
    }
}

TEST(L10nCatalog, ProductWordOnlyWhereItBelongs) {
    const std::set<std::string_view> carriers{
        "settingsWindowTitle", "settingsFileBaseName", "importErrorNotOurFile", "importErrorNewerVersion",
        "menuAbout",           "menuQuit",             "stageManagerAlertBody", "onboardingTitle",
        "onboardingBody",
    };
    for (const auto& text : everyText()) {
        const bool expected = carriers.contains(text.entry->id) &&
                              !(text.entry->id == "onboardingBody" && text.language == AppLanguage::japanese);
        EXPECT_EQ(contains(text.value, "Tessaly"), expected) << where(text);
    }
}

TEST(L10nCatalog, OnlyTheSharedTextsAreTheSameInEveryLanguage) {
    std::set<std::string_view> same;
    for (const auto& table : catalogTables()) {
        for (const auto& entry : table) {
            if (std::all_of(entry.text.begin(), entry.text.end(),
                            [&entry](std::string_view text) { return text == entry.text[0]; })) {
                same.insert(entry.id);
            }
        }
    }
    EXPECT_EQ(same, (std::set<std::string_view>{"settingsFileBaseName", "aboutCredit"}));

    for (AppLanguage language : AppLanguage::allCases()) {
        ScopedLanguageForTesting scoped(language);
        EXPECT_EQ(settingsFileBaseName(), "Tessaly-Settings");
        EXPECT_EQ(relaunchDetachAlertCancel(), cancel());
    }
}

TEST(L10nCatalog, CountedFormsFollowTheLanguage) {
    const std::set<std::string_view> counted{"importSkippedItems", "menuGroupRow", "menuMoreGroups",
                                              "relaunchDetachAlertTitle"};
    const auto rows = rowsById();
    for (const auto id : counted) {
        const auto* one = rows.at(std::string(id) + ".one");
        const auto* other = rows.at(std::string(id) + ".other");
        for (AppLanguage language : AppLanguage::allCases()) {
            const auto i = language.index();
            const bool singleForm = pluralForm(language, 1) == pluralForm(language, 2);
            const bool sameHere = id == "menuMoreGroups" && language != AppLanguage::french &&
                                  language != AppLanguage::italian;
            if (singleForm || sameHere) {
                EXPECT_EQ(one->text[i], other->text[i]) << id << " " << language.rawValue();
            } else {
                EXPECT_NE(one->text[i], other->text[i]) << id << " " << language.rawValue();
            }
        }
    }
}

// ---- Typography ---------------------------------------------------------------

struct Quotes {
    std::string_view open;
    std::string_view close;
};

Quotes quotesOf(AppLanguage language) {
    switch (language) {
        case AppLanguage::japanese:
        case AppLanguage::traditionalChinese:
            return {"「", "」"};
        case AppLanguage::german:
            return {"„", "“"};
        case AppLanguage::french:
            return {"«", "»"};
        case AppLanguage::korean:
            return {"‘", "’"};
        default:
            return {"“", "”"};
    }
}

// The text in lower case ("Área" reads "área").
std::string lowercased(std::string_view text) {
    icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    unicode.toLower(icu::Locale::getRoot());
    std::string lower;
    unicode.toUTF8String(lower);
    return lower;
}

bool mentionsWord(std::string_view english, const std::regex& word) {
    return std::regex_search(std::string(english), word);
}

// A term of the interface and its word in every language, in index order.
struct Term {
    std::string_view english;  // a regular expression over the English text, lower case
    std::array<std::string_view, AppLanguage::count> words;
};

TEST(L10nCatalog, TermsAreTranslatedTheSameWayEverywhere) {
    const std::vector<Term> glossary{
        {R"(\btabs?\b)",
         {"tab", "タブ", "标签页", "tab", "onglet", "탭", "pestaña", "標籤頁", "aba", "pannell"}},
        {R"(\bwindows?\b)",
         {"window", "ウインドウ", "窗口", "fenster", "fenêtre", "윈도우", "ventana", "視窗", "janela", "finestr"}},
        {R"(\baccent colou?r\b)",
         {"accent color", "アクセントカラー", "强调色", "akzentfarbe", "couleur d’accentuation", "강조 색상",
          "color de acento", "強調色", "cor de destaque", "colore d’accento"}},
        {R"(\bworkspaces?\b)",
         {"workspace", "ワークスペース", "工作区", "arbeitsfläche", "espace de travail", "작업 공간", "área de trabajo",
          "工作區", "área de trabalho", "area di lavoro"}},
        {R"(\bbadges?\b)",
         {"badge", "バッジ", "标记", "kennzeichen", "pastille", "배지", "globo", "標記", "indicador", "badge"}},
        {R"(\bpresets?\b)",
         {"preset", "プリセット", "预设", "vorgabe", "préréglage", "프리셋", "preajuste", "預設組合", "predefinid",
          "preset"}},
        {R"(\baccessibility\b)",
         {"accessibility", "アクセシビリティ", "辅助功能", "bedienungshilfen", "accessibilité", "손쉬운 사용",
          "accesibilidad", "輔助使用", "acessibilidade", "accessibilità"}},
        {R"(\bstage manager\b)",
         {"stage manager", "ステージマネージャ", "台前调度", "stage manager", "stage manager", "스테이지 매니저",
          "organizador visual", "幕前調度", "organizador visual", "stage manager"}},
    };
    for (const auto& term : glossary) {
        const std::regex word(std::string(term.english), std::regex::icase);
        for (const auto& text : everyText()) {
            const auto english = text.entry->text[AppLanguage::english];
            if (!mentionsWord(english, word)) continue;
            // Japanese counts tabs with a counter word in the status menu's group rows.
            if (text.language == AppLanguage::japanese && text.entry->id.starts_with("menuGroupRow")) continue;
            EXPECT_TRUE(contains(lowercased(text.value), term.words[text.language.index()]))
                << term.english << " in " << where(text);
        }
    }
}

TEST(L10nCatalog, TextsNameOtherLabelsAsTheyAreShown) {
    // Texts that quote the label of another control.
    const std::map<std::string_view, std::string_view> quotedLabels{
        {"presetMenuHint", "tabColor"},
        {"howToModifierNote", "grouping"},
        {"howToSwitchNote", "tabBar"},
        {"importLaunchAtLoginFailed", "launchAtLogin"},
    };
    const auto rows = rowsById();
    for (const auto& [quoting, quoted] : quotedLabels) {
        for (AppLanguage language : AppLanguage::allCases()) {
            const auto text = rows.at(quoting)->text[language.index()];
            const auto quotes = quotesOf(language);
            const auto open = text.find(quotes.open);
            const auto close = text.find(quotes.close, open + quotes.open.size());
            ASSERT_NE(open, std::string_view::npos) << quoting << " " << language.rawValue();
            ASSERT_NE(close, std::string_view::npos) << quoting << " " << language.rawValue();
            std::string_view inside = text.substr(open + quotes.open.size(), close - open - quotes.open.size());
            if (language == AppLanguage::english && inside.ends_with(".")) inside.remove_suffix(1);
            if (language == AppLanguage::french && inside.starts_with(kNbsp) && inside.ends_with(kNbsp)) {
                inside = inside.substr(kNbsp.size(), inside.size() - 2 * kNbsp.size());
            }
            EXPECT_EQ(inside, rows.at(quoted)->text[language.index()]) << quoting << " " << language.rawValue();
        }
    }
}

TEST(L10nCatalog, QuotationMarksFollowTheLanguage) {
    const std::vector<std::string_view> marks{"“", "”", "„", "«", "»", "「", "」", "‘", "\""};
    for (const auto& text : everyText()) {
        const auto quotes = quotesOf(text.language);
        for (const auto mark : marks) {
            if (mark == quotes.open || mark == quotes.close) continue;
            EXPECT_FALSE(contains(text.value, mark)) << "stray " << mark << " in " << where(text);
        }
        EXPECT_EQ(count(text.value, quotes.open), count(text.value, quotes.close)) << where(text);
        if (text.language == AppLanguage::french) {
            EXPECT_EQ(count(text.value, "«"), count(text.value, std::string("«").append(kNbsp))) << where(text);
            EXPECT_EQ(count(text.value, "»"), count(text.value, std::string(kNbsp).append("»"))) << where(text);
        }
    }
}

TEST(L10nCatalog, ApostrophesFollowTheLanguage) {
    const std::set<std::string_view> curlyInEnglish{"ctxCloseTab", "stageManagerAlertBody"};
    for (const auto& text : everyText()) {
        const bool curly = contains(text.value, "’");
        const bool straight = contains(text.value, "'");
        switch (text.language) {
            case AppLanguage::english:
                EXPECT_EQ(curly, curlyInEnglish.contains(text.entry->id)) << where(text);
                break;
            case AppLanguage::french:
            case AppLanguage::italian:
                EXPECT_FALSE(straight) << where(text);
                break;
            case AppLanguage::korean:
                EXPECT_FALSE(straight) << where(text);  // ’ closes a quotation here
                break;
            default:
                EXPECT_FALSE(straight || curly) << where(text);
        }
    }
}

TEST(L10nCatalog, EllipsesFollowTheLanguage) {
    for (const auto& text : everyText()) {
        EXPECT_FALSE(contains(text.value, "...")) << where(text);
        const bool traditional = text.language == AppLanguage::traditionalChinese;
        EXPECT_FALSE(contains(text.value, traditional ? "…" : "⋯")) << where(text);
        const std::string_view ellipsis = traditional ? "⋯" : "…";
        for (auto at = text.value.find(ellipsis); at != std::string_view::npos;
             at = text.value.find(ellipsis, at + 1)) {
            if (at == 0) continue;  // a leading ellipsis ("…and 3 more")
            const bool spaced = text.value[at - 1] == ' ';
            EXPECT_EQ(spaced, text.language == AppLanguage::german) << where(text);
        }
    }
}

TEST(L10nCatalog, FrenchSpacesBeforeColonAndQuestionMark) {
    for (const auto& text : everyText()) {
        if (text.language != AppLanguage::french) continue;
        for (std::size_t at = 0; at < text.value.size(); ++at) {
            const char c = text.value[at];
            if (c != ':' && c != '?') continue;
            EXPECT_TRUE(text.value.substr(0, at).ends_with(kNbsp)) << where(text);
        }
        EXPECT_FALSE(contains(text.value, "!") || contains(text.value, ";")) << where(text);
    }
}

TEST(L10nCatalog, ChineseUsesFullWidthPunctuation) {
    for (const auto& text : everyText()) {
        if (text.language == AppLanguage::japanese) {
            EXPECT_FALSE(contains(text.value, "（") || contains(text.value, "）")) << where(text);
        }
        if (text.language != AppLanguage::simplifiedChinese && text.language != AppLanguage::traditionalChinese) {
            continue;
        }
        for (const char c : std::string_view("(),:;?!")) {
            EXPECT_FALSE(contains(text.value, std::string(1, c))) << "half-width " << c << " in " << where(text);
        }
    }
}

TEST(L10nCatalog, NumbersFollowTheLanguage) {
    const std::regex decimalPoint(R"([0-9]\.[0-9])");
    const std::regex decimalComma(R"([0-9],[0-9])");
    const std::regex secondsWithoutSpace("[0-9](秒|초)");
    const std::regex secondsWithSpace("[0-9] (秒|초)");
    for (const auto& text : everyText()) {
        const std::string value(text.value);
        switch (text.language) {
            case AppLanguage::german:
            case AppLanguage::french:
            case AppLanguage::spanish:
            case AppLanguage::brazilianPortuguese:
            case AppLanguage::italian:
                EXPECT_FALSE(std::regex_search(value, decimalPoint)) << where(text);
                break;
            default:
                EXPECT_FALSE(std::regex_search(value, decimalComma)) << where(text);
        }
        const bool chinese =
            text.language == AppLanguage::simplifiedChinese || text.language == AppLanguage::traditionalChinese;
        if (chinese) {
            EXPECT_FALSE(std::regex_search(value, secondsWithoutSpace)) << where(text);
        } else {
            EXPECT_FALSE(std::regex_search(value, secondsWithSpace)) << where(text);
        }
    }
}

}  // namespace
}  // namespace tessaly::L10n
