// Texts that take values: their patterns per language, the plural rules and
// the plain substitution that fills them in.
// Each row: id, then en, ja, zh-Hans, de, fr, ko, es, zh-Hant, pt-BR, it.
// Counted texts have a ".one" and an ".other" row; languages with a single
// form hold the same pattern in both.

#include "TessalyCore/L10nCatalog.h"

namespace tessaly::L10n {

namespace {

constexpr auto kFormatTexts = std::to_array<CatalogEntry>({
    {"aboutVersion",
     {"Version {version} ({build})", "バージョン {version} ({build})", "版本 {version}（{build}）",
      "Version {version} ({build})", "Version {version} ({build})", "버전 {version} ({build})",
      "Versión {version} ({build})", "版本 {version}（{build}）", "Versão {version} ({build})",
      "Versione {version} ({build})"}},
    {"menuUpdateAvailable",
     {"New version {version} available…", "新しいバージョン {version} があります…", "新版本 {version} 可用…",
      "Neue Version {version} verfügbar …", "Nouvelle version {version} disponible…", "새로운 버전 {version} 사용 가능…",
      "Nueva versión {version} disponible…", "有新版本 {version} 可用⋯", "Nova versão {version} disponível…",
      "Nuova versione {version} disponibile…"}},
    {"exportDoneBody",
     {"Saved as “{file}” in “{folder}”.", "「{folder}」に「{file}」として保存しました。", "已保存为“{folder}”中的“{file}”。",
      "Als „{file}“ in „{folder}“ gesichert.", "Enregistré sous «\u00A0{file}\u00A0» dans «\u00A0{folder}\u00A0».",
      "‘{folder}’에 ‘{file}’ 파일로 저장했습니다.", "Guardado como “{file}” en “{folder}”.",
      "已儲存為「{folder}」中的「{file}」。", "Salvo como “{file}” em “{folder}”.", "Salvato come “{file}” in “{folder}”."}},
    {"importErrorUnsupportedVersion",
     {"This file's format (version {n}) isn't supported.", "このファイルの形式(バージョン {n})には対応していません。",
      "不支持此文件的格式（版本 {n}）。", "Das Format dieser Datei (Version {n}) wird nicht unterstützt.",
      "Le format de ce fichier (version {n}) n’est pas pris en charge.", "이 파일의 형식(버전 {n})은 지원되지 않습니다.",
      "El formato de este archivo (versión {n}) no es compatible.", "不支援此檔案的格式（版本 {n}）。",
      "O formato deste arquivo (versão {n}) não é compatível.", "Il formato di questo file (versione {n}) non è supportato."}},
    {"releaseToMove",
     {"Release to move to %@", "離すと %@ へ移動", "松开以移到 %@", "Loslassen, um auf %@ zu bewegen",
      "Relâchez pour déplacer vers %@", "놓으면 %@(으)로 이동", "Suelta para mover a %@", "放開以移到 %@",
      "Solte para mover para %@", "Rilascia per spostare su %@"}},
    {"multipleApps",
     {"Multiple Apps ({n})", "複数のアプリ({n}件)", "多个 App（{n} 个）", "Mehrere Apps ({n})", "Plusieurs apps ({n})",
      "여러 앱({n}개)", "Varias apps ({n})", "多個 App（{n} 個）", "Vários Apps ({n})", "Più app ({n})"}},
    {"ruleRowContains",
     {"{apps} — title contains “{text}”", "{apps} — タイトルに「{text}」を含む", "{apps} — 标题包含“{text}”",
      "{apps} — Titel enthält „{text}“", "{apps} — le titre contient «\u00A0{text}\u00A0»", "{apps} — 제목에 ‘{text}’ 포함",
      "{apps} — el título contiene “{text}”", "{apps} — 標題包含「{text}」", "{apps} — o título contém “{text}”",
      "{apps} — il titolo contiene “{text}”"}},
    {"ruleRowRegex",
     {"{apps} — title /{pattern}/", "{apps} — タイトル /{pattern}/", "{apps} — 标题 /{pattern}/",
      "{apps} — Titel /{pattern}/", "{apps} — titre /{pattern}/", "{apps} — 제목 /{pattern}/",
      "{apps} — título /{pattern}/", "{apps} — 標題 /{pattern}/", "{apps} — título /{pattern}/",
      "{apps} — titolo /{pattern}/"}},
    {"howToSwitchBody",
     {"Click a tab in the tab bar. {keys} switches tabs too.",
      "タブバーのタブをクリックします。{keys} でも切り替えられます。",
      "点按标签页栏中的标签页。也可以使用 {keys} 切换标签页。",
      "Klicken Sie auf einen Tab in der Tableiste. Auch {keys} wechselt die Tabs.",
      "Cliquez sur un onglet de la barre d’onglets. {keys} change aussi d’onglet.",
      "탭 막대에서 탭을 클릭합니다. {keys}로도 탭을 전환할 수 있습니다.",
      "Haz clic en una pestaña de la barra de pestañas. {keys} también cambia de pestaña.",
      "按一下標籤頁列中的標籤頁。也可以使用 {keys} 切換標籤頁。",
      "Clique em uma aba na barra de abas. {keys} também alterna as abas.",
      "Fai clic su un pannello nella barra dei pannelli. Anche {keys} cambia pannello."}},
    {"menuGroupActive",
     {"Active: {title}", "アクティブ: {title}", "当前：{title}", "Aktiv: {title}", "Actif\u00A0: {title}",
      "활성: {title}", "Activa: {title}", "目前：{title}", "Ativa: {title}", "Attivo: {title}"}},
    {"importSkippedItems.one",
     {"{n} entry in the file couldn't be read and will be skipped.", "ファイル内の {n} 件は読み込めないため、読み飛ばされます。",
      "文件中有 {n} 个项目无法读取，将被跳过。",
      "{n} Eintrag in der Datei konnte nicht gelesen werden und wird übersprungen.",
      "{n} entrée du fichier est illisible et sera ignorée.", "파일의 항목 {n}개를 읽을 수 없으므로 건너뜁니다.",
      "{n} entrada del archivo no se puede leer y se omitirá.", "檔案中有 {n} 個項目無法讀取，將會略過。",
      "{n} item do arquivo não pôde ser lido e será ignorado.",
      "{n} voce del file non può essere letta e verrà ignorata."}},
    {"importSkippedItems.other",
     {"{n} entries in the file couldn't be read and will be skipped.",
      "ファイル内の {n} 件は読み込めないため、読み飛ばされます。", "文件中有 {n} 个项目无法读取，将被跳过。",
      "{n} Einträge in der Datei konnten nicht gelesen werden und werden übersprungen.",
      "{n} entrées du fichier sont illisibles et seront ignorées.", "파일의 항목 {n}개를 읽을 수 없으므로 건너뜁니다.",
      "{n} entradas del archivo no se pueden leer y se omitirán.", "檔案中有 {n} 個項目無法讀取，將會略過。",
      "{n} itens do arquivo não puderam ser lidos e serão ignorados.",
      "{n} voci del file non possono essere lette e verranno ignorate."}},
    {"menuGroupRow.one",
     {"{n} tab | {name}", "{n}枚 | {name}", "{n} 个标签页 | {name}", "{n} Tab | {name}", "{n} onglet | {name}",
      "탭 {n}개 | {name}", "{n} pestaña | {name}", "{n} 個標籤頁 | {name}", "{n} aba | {name}",
      "{n} pannello | {name}"}},
    {"menuGroupRow.other",
     {"{n} tabs | {name}", "{n}枚 | {name}", "{n} 个标签页 | {name}", "{n} Tabs | {name}", "{n} onglets | {name}",
      "탭 {n}개 | {name}", "{n} pestañas | {name}", "{n} 個標籤頁 | {name}", "{n} abas | {name}",
      "{n} pannelli | {name}"}},
    {"menuMoreGroups.one",
     {"…and {n} more", "…他 {n} 件", "…还有 {n} 个", "… und {n} weitere", "… et {n} autre", "…외 {n}개",
      "…y {n} más", "⋯還有 {n} 個", "…e mais {n}", "…e {n} altro"}},
    {"menuMoreGroups.other",
     {"…and {n} more", "…他 {n} 件", "…还有 {n} 个", "… und {n} weitere", "… et {n} autres", "…외 {n}개",
      "…y {n} más", "⋯還有 {n} 個", "…e mais {n}", "…e {n} altri"}},
    {"relaunchDetachAlertTitle.one",
     {"1 window will leave its group", "{n} 個のウインドウがグループから外れます", "{n} 个窗口将离开所在的组",
      "1 Fenster wird aus seiner Gruppe gelöst", "{n} fenêtre va quitter son groupe", "윈도우 {n}개가 그룹에서 분리됩니다",
      "1 ventana saldrá de su grupo", "{n} 個視窗將離開所屬的群組", "1 janela sairá do seu grupo",
      "1 finestra uscirà dal suo gruppo"}},
    {"relaunchDetachAlertTitle.other",
     {"{n} windows will leave their groups", "{n} 個のウインドウがグループから外れます", "{n} 个窗口将离开所在的组",
      "{n} Fenster werden aus ihren Gruppen gelöst", "{n} fenêtres vont quitter leurs groupes",
      "윈도우 {n}개가 그룹에서 분리됩니다", "{n} ventanas saldrán de sus grupos", "{n} 個視窗將離開所屬的群組",
      "{n} janelas sairão dos seus grupos", "{n} finestre usciranno dai loro gruppi"}},
});

std::string_view patternAt(std::size_t index) { return localized(kFormatTexts[index]); }

// The pattern of a counted text for n: the row of its singular or of its other form.
std::string_view countedPattern(std::size_t oneIndex, std::size_t otherIndex, std::int64_t n) {
    return patternAt(pluralForm(current(), n) == PluralForm::one ? oneIndex : otherIndex);
}

}  // namespace

std::span<const CatalogEntry> formatCatalog() { return kFormatTexts; }

std::vector<std::span<const CatalogEntry>> catalogTables() {
    return {overlayCatalog(), settingsCatalog(), formatCatalog()};
}

PluralForm pluralForm(AppLanguage language, std::int64_t n) {
    switch (language) {
        case AppLanguage::english:
        case AppLanguage::german:
        case AppLanguage::spanish:
        case AppLanguage::brazilianPortuguese:
        case AppLanguage::italian:
            return n == 1 ? PluralForm::one : PluralForm::other;
        case AppLanguage::french:
            return n <= 1 ? PluralForm::one : PluralForm::other;
        case AppLanguage::japanese:
        case AppLanguage::simplifiedChinese:
        case AppLanguage::korean:
        case AppLanguage::traditionalChinese:
            return PluralForm::other;
    }
    return PluralForm::other;
}

std::string substitute(std::string_view pattern, std::initializer_list<Substitution> substitutions) {
    std::string result;
    result.reserve(pattern.size() + 32);
    std::size_t i = 0;
    while (i < pattern.size()) {
        bool replaced = false;
        for (const auto& substitution : substitutions) {
            const auto& placeholder = substitution.placeholder;
            if (!placeholder.empty() && pattern.compare(i, placeholder.size(), placeholder) == 0) {
                result.append(substitution.value);
                i += placeholder.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) result.push_back(pattern[i++]);
    }
    return result;
}

// Pattern rows by id, checked at compile time.
#define TESSALY_L10N_PATTERN(id) patternAt(catalogIndex(kFormatTexts, id))
#define TESSALY_L10N_COUNTED(id, n) \
    countedPattern(catalogIndex(kFormatTexts, id ".one"), catalogIndex(kFormatTexts, id ".other"), n)

std::string aboutVersion(std::string_view version, std::string_view build) {
    return substitute(TESSALY_L10N_PATTERN("aboutVersion"), {{"{version}", version}, {"{build}", build}});
}

std::string menuUpdateAvailable(std::string_view version) {
    return substitute(TESSALY_L10N_PATTERN("menuUpdateAvailable"), {{"{version}", version}});
}

std::string importSkippedItems(std::int64_t n) {
    return substitute(TESSALY_L10N_COUNTED("importSkippedItems", n), {{"{n}", std::to_string(n)}});
}

std::string exportDoneBody(std::string_view file, std::string_view folder) {
    return substitute(TESSALY_L10N_PATTERN("exportDoneBody"), {{"{file}", file}, {"{folder}", folder}});
}

std::string importErrorUnsupportedVersion(std::int64_t version) {
    return substitute(TESSALY_L10N_PATTERN("importErrorUnsupportedVersion"), {{"{n}", std::to_string(version)}});
}

std::string releaseToMove(std::string_view to) {
    // The display name goes in as it is: a "%" in it is no directive.
    return substitute(TESSALY_L10N_PATTERN("releaseToMove"), {{"%@", to}});
}

std::string multipleApps(std::int64_t n) {
    return substitute(TESSALY_L10N_PATTERN("multipleApps"), {{"{n}", std::to_string(n)}});
}

std::string ruleRowContains(std::string_view apps, std::string_view titleText) {
    return substitute(TESSALY_L10N_PATTERN("ruleRowContains"), {{"{apps}", apps}, {"{text}", titleText}});
}

std::string ruleRowRegex(std::string_view apps, std::string_view titlePattern) {
    return substitute(TESSALY_L10N_PATTERN("ruleRowRegex"), {{"{apps}", apps}, {"{pattern}", titlePattern}});
}

std::string howToSwitchBody(std::string_view keys) {
    return substitute(TESSALY_L10N_PATTERN("howToSwitchBody"), {{"{keys}", keys}});
}

std::string menuGroupActive(std::string_view title) {
    return substitute(TESSALY_L10N_PATTERN("menuGroupActive"), {{"{title}", title}});
}

std::string menuGroupRow(std::string_view name, std::int64_t n) {
    return substitute(TESSALY_L10N_COUNTED("menuGroupRow", n), {{"{n}", std::to_string(n)}, {"{name}", name}});
}

std::string menuMoreGroups(std::int64_t n) {
    return substitute(TESSALY_L10N_COUNTED("menuMoreGroups", n), {{"{n}", std::to_string(n)}});
}

std::string relaunchDetachAlertTitle(std::int64_t n) {
    return substitute(TESSALY_L10N_COUNTED("relaunchDetachAlertTitle", n), {{"{n}", std::to_string(n)}});
}

#undef TESSALY_L10N_PATTERN
#undef TESSALY_L10N_COUNTED

}  // namespace tessaly::L10n
