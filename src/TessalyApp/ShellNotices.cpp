#include "TessalyApp/ShellNotices.h"

namespace tessaly {

namespace L10n {

namespace {

constexpr std::array<CatalogEntry, 4> kShellNoticeTexts{{
    {"noticeHotkeysTaken",
     {"⚠️ A tab-switch hotkey is taken by another program",
      "⚠️ タブ切り替えのショートカットが別のプログラムに使われています",
      "⚠️ 切换标签页快捷键已被其他程序占用",
      "⚠️ Ein Tastenkurzbefehl zum Tabwechsel ist von einem anderen Programm belegt",
      "⚠️ Un raccourci de changement d’onglet est pris par un autre programme",
      "⚠️ 탭 전환 단축키를 다른 프로그램이 사용하고 있습니다",
      "⚠️ Otro programa usa un atajo para cambiar de pestaña",
      "⚠️ 切換標籤頁快速鍵已被其他程式佔用",
      "⚠️ Um atalho para trocar de aba está em uso por outro programa",
      "⚠️ Un’abbreviazione per cambiare pannello è usata da un altro programma"}},
    {"noticeLaunchAtLoginFailed",
     {"⚠️ Couldn't change “Launch at Login.”",
      "⚠️「ログイン時に起動」を変更できませんでした",
      "⚠️ 无法更改“登录时启动”",
      "⚠️ „Bei der Anmeldung starten“ konnte nicht geändert werden",
      "⚠️ Impossible de modifier «\u00A0Ouvrir à la connexion\u00A0»",
      "⚠️ ‘로그인 시 실행’을 변경할 수 없습니다",
      "⚠️ No se ha podido cambiar “Abrir al iniciar sesión”",
      "⚠️ 無法更改「登入時啟動」",
      "⚠️ Não foi possível alterar “Abrir ao Iniciar Sessão”",
      "⚠️ Impossibile modificare “Apri al login”"}},
    {"noticeRelaunchFailed",
     {"⚠️ Tessaly couldn't restart itself",
      "⚠️ Tessaly を再起動できませんでした",
      "⚠️ Tessaly 无法重新启动",
      "⚠️ Tessaly konnte nicht neu gestartet werden",
      "⚠️ Tessaly n’a pas pu redémarrer",
      "⚠️ Tessaly를 다시 시작할 수 없습니다",
      "⚠️ Tessaly no ha podido reiniciarse",
      "⚠️ Tessaly 無法重新啟動",
      "⚠️ Não foi possível reiniciar o Tessaly",
      "⚠️ Impossibile riavviare Tessaly"}},
    {"relaunchFailedTitle",
     {"Tessaly couldn't restart itself",
      "Tessaly を再起動できませんでした",
      "Tessaly 无法重新启动",
      "Tessaly konnte nicht neu gestartet werden",
      "Tessaly n’a pas pu redémarrer",
      "Tessaly를 다시 시작할 수 없습니다",
      "Tessaly no ha podido reiniciarse",
      "Tessaly 無法重新啟動",
      "Não foi possível reiniciar o Tessaly",
      "Impossibile riavviare Tessaly"}},
}};

}  // namespace

TESSALY_L10N_TEXT(kShellNoticeTexts, noticeHotkeysTaken)
TESSALY_L10N_TEXT(kShellNoticeTexts, noticeLaunchAtLoginFailed)
TESSALY_L10N_TEXT(kShellNoticeTexts, noticeRelaunchFailed)
TESSALY_L10N_TEXT(kShellNoticeTexts, relaunchFailedTitle)

std::span<const CatalogEntry> shellNoticeCatalog() { return kShellNoticeTexts; }

}  // namespace L10n

void ShellNotices::set(ShellNotice notice, bool active) {
    bool& slot = active_[static_cast<std::size_t>(notice)];
    if (slot == active) return;
    slot = active;
    if (onChange) onChange(notice, active);
}

std::string ShellNotices::text(ShellNotice notice) {
    switch (notice) {
        case ShellNotice::hotkeysTaken: return L10n::noticeHotkeysTaken();
        case ShellNotice::launchAtLoginFailed: return L10n::noticeLaunchAtLoginFailed();
        case ShellNotice::relaunchFailed: return L10n::noticeRelaunchFailed();
    }
    return {};
}

std::vector<std::string> ShellNotices::texts() const {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count; ++i) {
        if (active_[i]) lines.push_back(text(static_cast<ShellNotice>(i)));
    }
    return lines;
}

}  // namespace tessaly
