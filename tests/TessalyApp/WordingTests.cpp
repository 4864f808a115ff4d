// Every text the program shows, in every language, speaks of the Linux
// desktop it runs on: no Mac, Dock, menu bar, Spaces, Accessibility
// permission or Option and Command keys. A few texts belong to features no
// Linux desktop has and are never shown here; they keep their wording.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string_view>
#include <string>
#include <vector>

#include "TessalyApp/GroupingModifier.h"
#include "TessalyApp/ShellNotices.h"
#include "TessalyCore/L10nCatalog.h"

namespace tessaly {
namespace {

// Words naming things of the other system, per language (ECMAScript
// patterns, matched case-sensitively).
struct ForeignWords {
    AppLanguage language;
    std::vector<std::string> patterns;
};

const std::vector<std::string> kEveryLanguage{
    R"(\bMac\b)", "macOS", "⌥", "⌘", "⌃", R"(\.app\b)", R"(\bDock\b)", R"(\bOption\b)", R"(\bCommand\b)",
    R"(\bControl\b)", "Finder", "Spotlight", "Launchpad", "Mission Control", "System Settings", "Stage Manager",
};

const std::vector<ForeignWords> kByLanguage{
    {AppLanguage::english, {"[Mm]enu bar", R"(\bSpaces?\b)", "[Aa]ccessibility"}},
    {AppLanguage::japanese, {"メニューバー", "操作スペース", "アクセシビリティ", "システム設定", "ステージマネージャ"}},
    {AppLanguage::simplifiedChinese, {"菜单栏", "空间", "辅助功能", "系统设置", "台前调度", "程序坞"}},
    {AppLanguage::german, {"Menüleiste", R"(\bSpaces?\b)", "Bedienungshilfen", "Systemeinstellungen"}},
    {AppLanguage::french,
     {"barre des menus", R"(\bbureaux?\b)", "[Aa]ccessibilité", "Réglages Système", "Contrôle", "Commande"}},
    {AppLanguage::korean, {"메뉴 막대", "스페이스", "손쉬운 사용", "시스템 설정에서", "스테이지 매니저"}},
    {AppLanguage::spanish,
     {"barra de menús", R"(\b[Ee]spacios?\b)", "[Aa]ccesibilidad", "Ajustes del Sistema", "Organizador visual",
      "Opción", "Comando"}},
    {AppLanguage::traditionalChinese, {"選單列", "空間", "輔助使用", "系統設定", "幕前調度"}},
    {AppLanguage::brazilianPortuguese,
     {"barra de menus", "[Ee]spaços?", "[Aa]cessibilidade", "Ajustes do Sistema", "Organizador Visual"}},
    {AppLanguage::italian,
     {"barra dei menu", R"(\b[Ss]pazi[oi]\b)", "[Aa]ccessibilità", "Impostazioni di Sistema", "Opzione", "Comando"}},
};

// Texts of features that no Linux desktop has, never shown there: Stage
// Manager (X11 has none), the update alert (no updater on Linux) and the
// button that opens the permission's settings page (X11 has no such page).
const std::set<std::string_view> kNeverShownOnLinux{
    "statusStageManagerBlocked", "stageManagerAlertTitle", "stageManagerAlertBody", "updateDetachAlertBody",
    "onboardingGrantButton",
};

// The space bar's own name, which names no desktop.
const std::set<std::string_view> kSpaceKey{"keySpace"};

TEST(Wording, NoTextNamesTheThingsOfAnotherSystemInAnyLanguage) {
    auto tables = L10n::catalogTables();
    tables.push_back(L10n::shellNoticeCatalog());
    tables.push_back(L10n::groupingModifierCatalog());
    std::size_t checked = 0;
    for (const auto& words : kByLanguage) {
        std::vector<std::string> patterns = kEveryLanguage;
        patterns.insert(patterns.end(), words.patterns.begin(), words.patterns.end());
        std::vector<std::regex> foreign;
        for (const auto& pattern : patterns) foreign.emplace_back(pattern);
        for (const auto& table : tables) {
            for (const auto& entry : table) {
                if (kNeverShownOnLinux.contains(entry.id) || kSpaceKey.contains(entry.id)) continue;
                const std::string text(entry.text[words.language.index()]);
                ++checked;
                for (std::size_t i = 0; i < foreign.size(); ++i) {
                    EXPECT_FALSE(std::regex_search(text, foreign[i]))
                        << entry.id << " [" << words.language.rawValue() << "] names \"" << patterns[i] << "\": " << text;
                }
            }
        }
    }
    EXPECT_GE(checked, 1800u) << "every text in every language";
}

}  // namespace
}  // namespace tessaly
