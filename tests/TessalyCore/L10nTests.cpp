#include "TessalyCore/L10n.h"

#include <map>

#include <gtest/gtest.h>

namespace tessaly::L10n {
namespace {

using Language = AppLanguage;

TEST(L10nLanguageChoice, FirstSupportedPreferredLanguageWins) {
    EXPECT_EQ(choose({"ru", "de-CH", "en"}), Language::german);
    EXPECT_EQ(choose({"pt-PT"}), Language::brazilianPortuguese);
    EXPECT_EQ(choose({"en-GB"}), Language::english);
    EXPECT_EQ(choose({"zh-TW"}), Language::traditionalChinese);
    EXPECT_EQ(choose({"zh-Hans-HK"}), Language::simplifiedChinese);
    EXPECT_EQ(choose({"zh"}), Language::simplifiedChinese);
    EXPECT_EQ(choose({}), Language::english);
    EXPECT_EQ(choose({"ru", "nl", "!"}), Language::english);
    EXPECT_EQ(choose({"ko-KR", "ja"}), Language::korean);
}

TEST(L10nLanguageChoice, OverrideComesBeforeTheEnvironment) {
    std::map<std::string, std::string> env{{"LANGUAGE", "fr_CA:de"}, {"LANG", "ja_JP.UTF-8"}};
    auto lookup = [&env](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(preferredLanguagesFromEnvironment(std::string("it"), lookup),
              (std::vector<std::string>{"it", "fr-CA", "de", "ja-JP"}));
    EXPECT_EQ(choose(preferredLanguagesFromEnvironment(std::string("it"), lookup)), Language::italian);
    EXPECT_EQ(choose(preferredLanguagesFromEnvironment(std::nullopt, lookup)), Language::french);
    EXPECT_EQ(preferredLanguagesFromEnvironment(std::string(), lookup).front(), "fr-CA");

    env = {{"LC_ALL", "C"}, {"LANG", "zh_TW.UTF-8"}};
    EXPECT_EQ(choose(preferredLanguagesFromEnvironment(std::nullopt, lookup)), Language::traditionalChinese);
    env = {{"LANG", "C.UTF-8"}};
    EXPECT_EQ(choose(preferredLanguagesFromEnvironment(std::nullopt, lookup)), Language::english);
}

TEST(L10nLanguageChoice, ChosenOncePerProcess) {
    const Language first = current();
    // Once chosen, a new source of preferred languages is refused and nothing changes.
    EXPECT_FALSE(setPreferredLanguagesProvider([] { return std::vector<std::string>{"ko"}; }));
    const Language other = first == Language::korean ? Language::english : Language::korean;
    EXPECT_NE(current(), other);
    EXPECT_EQ(current(), first);
}

TEST(L10nLanguageChoice, TestingOverrideNestsAndRestores) {
    const Language chosen = current();
    {
        ScopedLanguageForTesting outer(Language::german);
        EXPECT_EQ(current(), Language::german);
        {
            ScopedLanguageForTesting inner(Language::korean);
            EXPECT_EQ(current(), Language::korean);
            EXPECT_EQ(ok(), "확인");
        }
        EXPECT_EQ(current(), Language::german);
    }
    EXPECT_EQ(current(), chosen);
}

// The version of `accessor` in every language, in index order.
std::vector<std::string> inEveryLanguage(const std::function<std::string()>& accessor) {
    std::vector<std::string> texts;
    for (Language language : AppLanguage::allCases()) {
        ScopedLanguageForTesting scoped(language);
        texts.push_back(accessor());
    }
    return texts;
}

TEST(L10nTexts, GivenTranslationsAreExact) {
    EXPECT_EQ(inEveryLanguage(untitledTab),
              (std::vector<std::string>{"(Untitled)", "(無題)", "（未命名）", "(Ohne Titel)", "(Sans titre)", "(무제)",
                                        "(Sin título)", "（未命名）", "(Sem Título)", "(Senza nome)"}));
    EXPECT_EQ(inEveryLanguage(ok),
              (std::vector<std::string>{"OK", "OK", "好", "OK", "OK", "확인", "Aceptar", "好", "OK", "OK"}));
    EXPECT_EQ(inEveryLanguage(delay03), (std::vector<std::string>{"0.3 s", "0.3秒", "0.3 秒", "0,3 s", "0,3 s",
                                                                  "0.3초", "0,3 s", "0.3 秒", "0,3 s", "0,3 s"}));
    EXPECT_EQ(inEveryLanguage(menuSettings),
              (std::vector<std::string>{"Settings…", "設定…", "设置…", "Einstellungen …", "Réglages…", "설정…",
                                        "Ajustes…", "設定⋯", "Ajustes…", "Impostazioni…"}));
    EXPECT_EQ(inEveryLanguage(menuQuit),
              (std::vector<std::string>{"Quit Tessaly", "Tessaly を終了", "退出 Tessaly", "Tessaly beenden",
                                        "Quitter Tessaly", "Tessaly 종료", "Salir de Tessaly", "結束 Tessaly",
                                        "Encerrar o Tessaly", "Esci da Tessaly"}));
    EXPECT_EQ(inEveryLanguage(colorPurple)[3], "Lila");
    EXPECT_EQ(inEveryLanguage(about)[1], "このアプリについて");
    EXPECT_EQ(inEveryLanguage(matchContains)[1], "～を含む");

    // Pickers take the accessors as values.
    std::string (*const policyChoices[])() = {policyKeep, policyDetach};
    ScopedLanguageForTesting french(Language::french);
    EXPECT_EQ(policyChoices[0](), "Garder l’onglet (suspendre)");
    EXPECT_EQ(policyChoices[1](), "Retirer du groupe");
}

TEST(L10nTexts, ActiveLabelInEveryLanguage) {
    EXPECT_EQ(inEveryLanguage([] { return menuGroupActive("Mail"); }),
              (std::vector<std::string>{"Active: Mail", "アクティブ: Mail", "当前：Mail", "Aktiv: Mail",
                                        "Actif\u00A0: Mail", "활성: Mail", "Activa: Mail", "目前：Mail", "Ativa: Mail",
                                        "Attivo: Mail"}));
}

TEST(L10nTexts, CountedTextsPickTheirForm) {
    ScopedLanguageForTesting english(Language::english);
    EXPECT_EQ(menuGroupRow("Work", 1), "1 tab | Work");
    EXPECT_EQ(menuGroupRow("Work", 0), "0 tabs | Work");
    EXPECT_EQ(menuGroupRow("Work", -1), "-1 tabs | Work");
    EXPECT_EQ(relaunchDetachAlertTitle(1), "1 window will leave its group");
    EXPECT_EQ(relaunchDetachAlertTitle(3), "3 windows will leave their groups");
    EXPECT_EQ(importSkippedItems(-1), "-1 entries in the file couldn't be read and will be skipped.");
    EXPECT_EQ(importSkippedItems(1), "1 entry in the file couldn't be read and will be skipped.");
    EXPECT_EQ(menuMoreGroups(1), "…and 1 more");
    EXPECT_EQ(multipleApps(1234567), "Multiple Apps (1234567)");
    EXPECT_EQ(importErrorUnsupportedVersion(-2), "This file's format (version -2) isn't supported.");

    {
        ScopedLanguageForTesting french(Language::french);
        EXPECT_EQ(menuGroupRow("Work", 0), "0 onglet | Work");
        EXPECT_EQ(menuGroupRow("Work", 2), "2 onglets | Work");
        EXPECT_EQ(relaunchDetachAlertTitle(0), "0 fenêtre va quitter son groupe");
        EXPECT_EQ(importSkippedItems(-1), "-1 entrée du fichier est illisible et sera ignorée.");
        EXPECT_EQ(menuMoreGroups(1), "… et 1 autre");
        EXPECT_EQ(menuMoreGroups(2), "… et 2 autres");
    }
    {
        ScopedLanguageForTesting italian(Language::italian);
        EXPECT_EQ(menuMoreGroups(1), "…e 1 altro");
        EXPECT_EQ(menuMoreGroups(0), "…e 0 altri");
    }
    {
        ScopedLanguageForTesting spanish(Language::spanish);
        EXPECT_EQ(menuMoreGroups(1), "…y 1 más");
        EXPECT_EQ(menuMoreGroups(5), "…y 5 más");
        EXPECT_EQ(relaunchDetachAlertTitle(1), "1 ventana saldrá de su grupo");
    }
    {
        ScopedLanguageForTesting german(Language::german);
        EXPECT_EQ(relaunchDetachAlertTitle(2), "2 Fenster werden aus ihren Gruppen gelöst");
    }
    {
        ScopedLanguageForTesting japanese(Language::japanese);
        EXPECT_EQ(menuGroupRow("仕事", 1), "1枚 | 仕事");
        EXPECT_EQ(relaunchDetachAlertTitle(1), "1 個のウインドウがグループから外れます");
    }
    {
        ScopedLanguageForTesting korean(Language::korean);
        EXPECT_EQ(menuGroupRow("업무", 3), "탭 3개 | 업무");
    }
}

TEST(L10nTexts, ArgumentsKeepTheirPlaceWhereALanguageSwapsThem) {
    const auto bodies = inEveryLanguage([] { return exportDoneBody("a.json", "Desktop"); });
    EXPECT_EQ(bodies[0], "Saved as “a.json” in “Desktop”.");
    EXPECT_EQ(bodies[1], "「Desktop」に「a.json」として保存しました。");
    EXPECT_EQ(bodies[2], "已保存为“Desktop”中的“a.json”。");
    EXPECT_EQ(bodies[3], "Als „a.json“ in „Desktop“ gesichert.");
    EXPECT_EQ(bodies[4], "Enregistré sous «\u00A0a.json\u00A0» dans «\u00A0Desktop\u00A0».");
    EXPECT_EQ(bodies[5], "‘Desktop’에 ‘a.json’ 파일로 저장했습니다.");
    EXPECT_EQ(bodies[7], "已儲存為「Desktop」中的「a.json」。");

    const auto versions = inEveryLanguage([] { return aboutVersion("1.4", "210"); });
    EXPECT_EQ(versions[0], "Version 1.4 (210)");
    EXPECT_EQ(versions[2], "版本 1.4（210）");
    EXPECT_EQ(versions[6], "Versión 1.4 (210)");

    const auto rows = inEveryLanguage([] { return ruleRowContains("Safari", "Docs"); });
    EXPECT_EQ(rows[0], "Safari — title contains “Docs”");
    EXPECT_EQ(rows[3], "Safari — Titel enthält „Docs“");
    EXPECT_EQ(rows[4], "Safari — le titre contient «\u00A0Docs\u00A0»");
    EXPECT_EQ(inEveryLanguage([] { return ruleRowRegex("All Apps", "^a.*$"); })[0], "All Apps — title /^a.*$/");
    EXPECT_EQ(inEveryLanguage([] { return menuUpdateAvailable("2.0"); })[7], "有新版本 2.0 可用⋯");
}

TEST(L10nTexts, ValuesAreInsertedVerbatim) {
    ScopedLanguageForTesting english(Language::english);
    EXPECT_EQ(releaseToMove("Dell %d 100%"), "Release to move to Dell %d 100%");
    EXPECT_EQ(releaseToMove("%@ %s %n"), "Release to move to %@ %s %n");
    EXPECT_EQ(releaseToMove(""), "Release to move to ");
    // A value that looks like a placeholder is not filled in again.
    EXPECT_EQ(menuGroupRow("{n} {name}", 2), "2 tabs | {n} {name}");
    EXPECT_EQ(ruleRowContains("{text}", "{apps}"), "{text} — title contains “{apps}”");
    EXPECT_EQ(menuGroupActive("  spaced  "), "Active:   spaced  ");

    ScopedLanguageForTesting korean(Language::korean);
    EXPECT_EQ(releaseToMove("LG %1$@"), "놓으면 LG %1$@(으)로 이동");
}

}  // namespace
}  // namespace tessaly::L10n
