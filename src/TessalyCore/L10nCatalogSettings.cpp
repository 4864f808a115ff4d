// Texts of the settings window: title and sidebar, the pages, the hotkey
// recorder, the colour, preset and rule editors, the settings-file alerts.
// Each row: id, then en, ja, zh-Hans, de, fr, ko, es, zh-Hant, pt-BR, it.

#include "TessalyCore/L10nCatalog.h"

namespace tessaly::L10n {

namespace {

constexpr auto kSettingsTexts = std::to_array<CatalogEntry>({
    // Window and sidebar
    {"settingsWindowTitle",
     {"Tessaly Settings", "Tessaly 設定", "Tessaly 设置", "Tessaly-Einstellungen", "Réglages de Tessaly",
      "Tessaly 설정", "Ajustes de Tessaly", "Tessaly 設定", "Ajustes do Tessaly", "Impostazioni di Tessaly"}},
    {"howTo",
     {"How to Use", "使い方", "使用方法", "Anleitung", "Mode d’emploi", "사용 방법", "Guía de uso", "使用方式",
      "Como Usar", "Come si usa"}},
    {"general",
     {"General", "一般", "通用", "Allgemein", "Général", "일반", "General", "一般", "Geral", "Generali"}},
    {"grouping",
     {"Grouping", "グループ化", "分组", "Gruppierung", "Regroupement", "그룹화", "Agrupación", "分組",
      "Agrupamento", "Raggruppamento"}},
    {"tabBar",
     {"Tab Bar", "タブバー", "标签页栏", "Tableiste", "Barre d’onglets", "탭 막대", "Barra de pestañas", "標籤頁列",
      "Barra de Abas", "Barra dei pannelli"}},
    {"color", {"Color", "色", "颜色", "Farbe", "Couleur", "색상", "Color", "顏色", "Cor", "Colore"}},
    {"about",
     {"About", "このアプリについて", "关于", "Info", "À propos", "정보", "Acerca de", "關於", "Sobre",
      "Informazioni"}},

    // General page
    {"language",
     {"Language", "言語", "语言", "Sprache", "Langue", "언어", "Idioma", "語言", "Idioma", "Lingua"}},
    {"displayLanguage",
     {"Display Language", "表示言語", "显示语言", "Anzeigesprache", "Langue d’affichage", "표시 언어",
      "Idioma de la interfaz", "顯示語言", "Idioma de Exibição", "Lingua di visualizzazione"}},
    {"restartNeeded",
     {"Restart the app to apply the change.", "変更を適用するにはアプリを再起動してください。",
      "重新启动 App 以应用更改。", "Starten Sie die App neu, um die Änderung anzuwenden.",
      "Redémarrez l’app pour appliquer la modification.", "변경 사항을 적용하려면 앱을 다시 시작하십시오.",
      "Reinicia la app para aplicar el cambio.", "重新啟動 App 以套用變更。",
      "Reinicie o app para aplicar a alteração.", "Riavvia l’app per applicare la modifica."}},
    {"restartNow",
     {"Restart Now", "今すぐ再起動", "立即重新启动", "Jetzt neu starten", "Redémarrer maintenant", "지금 다시 시작",
      "Reiniciar ahora", "立即重新啟動", "Reiniciar Agora", "Riavvia ora"}},
    {"launchAtLogin",
     {"Launch at Login", "ログイン時に起動", "登录时启动", "Bei der Anmeldung starten", "Ouvrir à la connexion",
      "로그인 시 실행", "Abrir al iniciar sesión", "登入時啟動", "Abrir ao Iniciar Sessão", "Apri al login"}},
    {"launchAtLoginHelp",
     {"Launch at login can only be set when the program's own file and the autostart folder (~/.config/autostart) "
      "can be found.",
      "ログイン時の起動は、プログラム本体のファイルと自動起動フォルダ(~/.config/autostart)が見つかる場合にのみ設定で"
      "きます。",
      "只有找到程序本身的文件和自动启动文件夹（~/.config/autostart）时，才能设置登录时启动。",
      "„Bei der Anmeldung starten“ lässt sich nur festlegen, wenn die Programmdatei und der Autostart-Ordner "
      "(~/.config/autostart) gefunden werden.",
      "L’ouverture à la connexion ne peut être réglée que si le fichier du programme et le dossier de démarrage "
      "automatique (~/.config/autostart) sont trouvés.",
      "로그인 시 실행은 프로그램 파일과 자동 시작 폴더(~/.config/autostart)를 찾을 수 있을 때만 설정할 수 있습니다.",
      "La apertura al iniciar sesión solo se puede configurar si se encuentran el archivo del programa y la carpeta "
      "de inicio automático (~/.config/autostart).",
      "只有找到程式本身的檔案和自動啟動檔案夾（~/.config/autostart）時，才能設定登入時啟動。",
      "A abertura ao iniciar sessão só pode ser definida quando o arquivo do programa e a pasta de início automático "
      "(~/.config/autostart) são encontrados.",
      "L’apertura al login può essere impostata solo se si trovano il file del programma e la cartella di avvio "
      "automatico (~/.config/autostart)."}},
    {"settingsFile",
     {"Settings File", "設定ファイル", "设置文件", "Einstellungsdatei", "Fichier de réglages", "설정 파일",
      "Archivo de ajustes", "設定檔案", "Arquivo de Ajustes", "File impostazioni"}},
    {"exportSettings",
     {"Export…", "書き出す…", "导出…", "Exportieren …", "Exporter…", "내보내기…", "Exportar…", "輸出⋯",
      "Exportar…", "Esporta…"}},
    {"importSettings",
     {"Import…", "読み込む…", "导入…", "Importieren …", "Importer…", "가져오기…", "Importar…", "輸入⋯",
      "Importar…", "Importa…"}},
    {"settingsFileHelp",
     {"Save your settings to a file and load them on another computer.",
      "設定をファイルに保存して、別のコンピュータで読み込めます。",
      "将设置存储到文件，然后在另一台电脑上载入。",
      "Sichern Sie Ihre Einstellungen in einer Datei und laden Sie sie auf einem anderen Computer.",
      "Enregistrez vos réglages dans un fichier pour les charger sur un autre ordinateur.",
      "설정을 파일로 저장하고 다른 컴퓨터에서 불러올 수 있습니다.",
      "Guarda tus ajustes en un archivo y cárgalos en otro ordenador.",
      "將設定儲存到檔案，然後在另一台電腦上載入。",
      "Salve seus ajustes em um arquivo e carregue-os em outro computador.",
      "Salva le impostazioni in un file e caricale su un altro computer."}},

    // Exporting and importing a settings file
    {"settingsFileBaseName",
     {"Tessaly-Settings", "Tessaly-Settings", "Tessaly-Settings", "Tessaly-Settings", "Tessaly-Settings",
      "Tessaly-Settings", "Tessaly-Settings", "Tessaly-Settings", "Tessaly-Settings", "Tessaly-Settings"}},
    {"exportDoneTitle",
     {"Settings exported.", "設定を書き出しました。", "设置已导出。", "Einstellungen exportiert.",
      "Réglages exportés.", "설정을 내보냈습니다.", "Ajustes exportados.", "設定已輸出。", "Ajustes exportados.",
      "Impostazioni esportate."}},
    {"exportFailedTitle",
     {"Couldn't export the settings.", "設定を書き出せませんでした。", "无法导出设置。",
      "Die Einstellungen konnten nicht exportiert werden.", "Impossible d’exporter les réglages.",
      "설정을 내보낼 수 없습니다.", "No se han podido exportar los ajustes.", "無法輸出設定。",
      "Não foi possível exportar os ajustes.", "Impossibile esportare le impostazioni."}},
    {"exportErrorUnwritable",
     {"The file couldn't be written. Try saving somewhere else.",
      "ファイルを書き込めませんでした。別の場所に保存してみてください。", "无法写入文件。请尝试存储到其他位置。",
      "Die Datei konnte nicht geschrieben werden. Versuchen Sie, sie an einem anderen Ort zu sichern.",
      "Impossible d’écrire le fichier. Essayez de l’enregistrer ailleurs.",
      "파일을 쓸 수 없습니다. 다른 위치에 저장해 보십시오.",
      "No se ha podido escribir el archivo. Prueba a guardarlo en otro lugar.", "無法寫入檔案。請嘗試儲存到其他位置。",
      "Não foi possível gravar o arquivo. Tente salvar em outro local.",
      "Impossibile scrivere il file. Prova a salvarlo altrove."}},
    {"importConfirmTitle",
     {"Replace your current settings?", "現在の設定を置き換えますか?", "要替换当前设置吗？",
      "Aktuelle Einstellungen ersetzen?", "Remplacer vos réglages actuels\u00A0?", "현재 설정을 바꾸시겠습니까?",
      "¿Reemplazar los ajustes actuales?", "要取代目前的設定嗎？", "Substituir os ajustes atuais?",
      "Sostituire le impostazioni attuali?"}},
    {"importConfirmBody",
     {"The settings in this file replace the ones on this computer. This can't be undone.",
      "このファイルの設定で、このコンピュータの設定が置き換えられます。この操作は取り消せません。",
      "此文件中的设置将替换这台电脑上的设置。此操作无法撤销。",
      "Die Einstellungen in dieser Datei ersetzen die auf diesem Computer. Dies kann nicht widerrufen werden.",
      "Les réglages de ce fichier remplacent ceux de cet ordinateur. Cette action est irréversible.",
      "이 파일의 설정이 이 컴퓨터의 설정을 대체합니다. 이 작업은 되돌릴 수 없습니다.",
      "Los ajustes de este archivo sustituirán a los de este ordenador. Esta acción no se puede deshacer.",
      "此檔案中的設定將取代這台電腦上的設定。此動作無法還原。",
      "Os ajustes deste arquivo substituirão os deste computador. Esta ação não pode ser desfeita.",
      "Le impostazioni di questo file sostituiranno quelle di questo computer. L’operazione non può essere annullata."}},
    {"importConfirmButton",
     {"Replace", "置き換える", "替换", "Ersetzen", "Remplacer", "대체", "Reemplazar", "取代", "Substituir",
      "Sostituisci"}},
    {"importFailedTitle",
     {"Couldn't import the settings.", "設定を読み込めませんでした。", "无法导入设置。",
      "Die Einstellungen konnten nicht importiert werden.", "Impossible d’importer les réglages.",
      "설정을 가져올 수 없습니다.", "No se han podido importar los ajustes.", "無法輸入設定。",
      "Não foi possível importar os ajustes.", "Impossibile importare le impostazioni."}},
    {"importErrorNotOurFile",
     {"This isn't a Tessaly settings file.", "これは Tessaly の設定ファイルではありません。",
      "这不是 Tessaly 设置文件。", "Dies ist keine Tessaly-Einstellungsdatei.",
      "Ce n’est pas un fichier de réglages Tessaly.", "Tessaly 설정 파일이 아닙니다.",
      "Este no es un archivo de ajustes de Tessaly.", "這不是 Tessaly 設定檔案。",
      "Este não é um arquivo de ajustes do Tessaly.", "Questo non è un file di impostazioni di Tessaly."}},
    {"importErrorNewerVersion",
     {"This file was written by a newer version of Tessaly.", "このファイルは新しいバージョンの Tessaly で作成されました。",
      "此文件由较新版本的 Tessaly 写入。", "Diese Datei wurde von einer neueren Version von Tessaly geschrieben.",
      "Ce fichier a été créé par une version plus récente de Tessaly.", "이 파일은 최신 버전의 Tessaly에서 작성되었습니다.",
      "Este archivo se creó con una versión más reciente de Tessaly.", "此檔案由較新版本的 Tessaly 寫入。",
      "Este arquivo foi criado por uma versão mais recente do Tessaly.",
      "Questo file è stato scritto da una versione più recente di Tessaly."}},
    {"importErrorUnreadable",
     {"The file is damaged or isn't in the expected format.", "ファイルが破損しているか、想定された形式ではありません。",
      "文件已损坏或格式不正确。", "Die Datei ist beschädigt oder hat nicht das erwartete Format.",
      "Le fichier est endommagé ou n’est pas au format attendu.", "파일이 손상되었거나 올바른 형식이 아닙니다.",
      "El archivo está dañado o no tiene el formato esperado.", "檔案已損毀或格式不正確。",
      "O arquivo está danificado ou não está no formato esperado.", "Il file è danneggiato o non è nel formato previsto."}},
    {"importLaunchAtLoginFailed",
     {"Couldn't change “Launch at Login.” Every other setting was imported.",
      "「ログイン時に起動」を変更できませんでした。ほかの設定はすべて読み込まれました。",
      "无法更改“登录时启动”。其他所有设置均已导入。",
      "„Bei der Anmeldung starten“ konnte nicht geändert werden. Alle anderen Einstellungen wurden importiert.",
      "Impossible de modifier «\u00A0Ouvrir à la connexion\u00A0». Tous les autres réglages ont été importés.",
      "‘로그인 시 실행’을 변경할 수 없습니다. 다른 모든 설정은 가져왔습니다.",
      "No se ha podido cambiar “Abrir al iniciar sesión”. Todos los demás ajustes se han importado.",
      "無法更改「登入時啟動」。其他所有設定均已輸入。",
      "Não foi possível alterar “Abrir ao Iniciar Sessão”. Todos os outros ajustes foram importados.",
      "Impossibile modificare “Apri al login”. Tutte le altre impostazioni sono state importate."}},

    // Grouping page
    {"dragSection",
     {"Group by Dragging", "ドラッグでグループ化", "拖移以编组", "Durch Ziehen gruppieren",
      "Regrouper en faisant glisser", "드래그하여 그룹화", "Agrupar arrastrando", "拖移以分組",
      "Agrupar Arrastando", "Raggruppa trascinando"}},
    {"modifierKey",
     {"Modifier Key", "修飾キー", "修饰键", "Sondertaste", "Touche de modification", "보조 키",
      "Tecla modificadora", "輔助鍵", "Tecla Modificadora", "Tasto modificatore"}},
    {"modifierNone",
     {"None (always on)", "なし(常にオン)", "无（始终开启）", "Keine (immer aktiv)", "Aucune (toujours active)",
      "없음(항상 켬)", "Ninguna (siempre activa)", "無（永遠開啟）", "Nenhuma (sempre ativo)",
      "Nessuno (sempre attivo)"}},
    {"optionTilingWarning",
     {"Alt may conflict with the window manager's Alt-drag (moving windows).",
      "Alt はウインドウマネージャの Alt ドラッグ(ウインドウの移動)と競合する場合があります。",
      "Alt 可能与窗口管理器的 Alt 拖移（移动窗口）冲突。",
      "Alt kann mit dem Alt-Ziehen des Fenstermanagers (Fenster bewegen) kollidieren.",
      "Alt peut entrer en conflit avec le glisser avec Alt du gestionnaire de fenêtres (déplacement des fenêtres).",
      "Alt 키는 윈도우 관리자의 Alt-드래그(윈도우 이동)와 충돌할 수 있습니다.",
      "Alt puede entrar en conflicto con el arrastre con Alt del gestor de ventanas (mover ventanas).",
      "Alt 可能與視窗管理員的 Alt 拖移（移動視窗）衝突。",
      "Alt pode entrar em conflito com o arrastar com Alt do gerenciador de janelas (mover janelas).",
      "Alt può entrare in conflitto con il trascinamento con Alt del gestore di finestre (spostamento delle "
      "finestre)."}},
    {"previewDelay",
     {"Preview Delay", "プレビューまでの時間", "预览延迟", "Vorschauverzögerung", "Délai d’aperçu", "미리보기 지연",
      "Retardo de la vista previa", "預覽延遲", "Atraso da Pré-visualização", "Ritardo anteprima"}},
    {"delayInstant",
     {"Instant", "すぐに", "立即", "Sofort", "Immédiat", "즉시", "Inmediato", "立即", "Imediato", "Immediato"}},
    {"delay03", {"0.3 s", "0.3秒", "0.3 秒", "0,3 s", "0,3 s", "0.3초", "0,3 s", "0.3 秒", "0,3 s", "0,3 s"}},
    {"delay06", {"0.6 s", "0.6秒", "0.6 秒", "0,6 s", "0,6 s", "0.6초", "0,6 s", "0.6 秒", "0,6 s", "0,6 s"}},
    {"delay1", {"1 s", "1秒", "1 秒", "1 s", "1 s", "1초", "1 s", "1 秒", "1 s", "1 s"}},
    {"groupBehavior",
     {"Group Behavior", "グループの動作", "组行为", "Gruppenverhalten", "Comportement des groupes", "그룹 동작",
      "Comportamiento de los grupos", "群組行為", "Comportamento do Grupo", "Comportamento dei gruppi"}},
    {"whenFullscreen",
     {"When Entering Full Screen", "フルスクリーンにしたとき", "进入全屏时", "Beim Wechsel in den Vollbildmodus",
      "Au passage en plein écran", "전체 화면으로 전환할 때", "Al entrar en pantalla completa", "進入全螢幕時",
      "Ao Entrar em Tela Cheia", "Al passaggio a tutto schermo"}},
    {"whenOffSpace",
     {"When Moved to Another Workspace",
      "別のワークスペースに移動したとき",
      "移到其他工作区时",
      "Beim Verschieben auf eine andere Arbeitsfläche",
      "Au déplacement vers un autre espace de travail",
      "다른 작업 공간으로 이동할 때",
      "Al moverse a otra área de trabajo",
      "移到其他工作區時",
      "Ao Mover para Outra Área de Trabalho",
      "Allo spostamento su un’altra area di lavoro"}},
    {"policyKeep",
     {"Keep Tab (suspend)", "タブを保持(サスペンド)", "保留标签页（挂起）", "Tab behalten (pausieren)",
      "Garder l’onglet (suspendre)", "탭 유지(일시 중단)", "Mantener pestaña (suspender)", "保留標籤頁（暫停）",
      "Manter Aba (suspender)", "Mantieni pannello (sospendi)"}},
    {"policyDetach",
     {"Remove from Group", "グループから外す", "从组中移除", "Aus Gruppe entfernen", "Retirer du groupe",
      "그룹에서 제거", "Quitar del grupo", "從群組移除", "Remover do Grupo", "Rimuovi dal gruppo"}},
    {"excludedApps",
     {"Excluded Apps", "除外するアプリ", "排除的 App", "Ausgeschlossene Apps", "Apps exclues", "제외된 앱",
      "Apps excluidas", "排除的 App", "Apps Excluídos", "App escluse"}},
    {"noExclusions",
     {"No exclusions", "除外なし", "无排除项", "Keine Ausnahmen", "Aucune exclusion", "제외 항목 없음",
      "Sin exclusiones", "無排除項目", "Nenhuma exclusão", "Nessuna esclusione"}},
    {"removeExclusion",
     {"Remove exclusion", "除外を解除", "移除排除项", "Ausnahme entfernen", "Supprimer l’exclusion", "제외 해제",
      "Quitar exclusión", "移除排除項目", "Remover exclusão", "Rimuovi esclusione"}},
    {"addFromRunning",
     {"Add from Running Apps…", "実行中のアプリから追加…", "从正在运行的 App 中添加…",
      "Aus laufenden Apps hinzufügen …", "Ajouter depuis les apps ouvertes…", "실행 중인 앱에서 추가…",
      "Añadir desde las apps abiertas…", "從執行中的 App 加入⋯", "Adicionar dos Apps Abertos…",
      "Aggiungi dalle app aperte…"}},

    // Tab Bar page
    {"appearance",
     {"Appearance", "外観", "外观", "Erscheinungsbild", "Apparence", "화면 모드", "Apariencia", "外觀", "Aparência",
      "Aspetto"}},
    {"appearanceSystem",
     {"Match System", "システムに合わせる", "跟随系统", "Wie System", "Comme le système", "시스템 설정에 맞춤",
      "Igual que el sistema", "跟隨系統", "Igual ao Sistema", "Come il sistema"}},
    {"appearanceLight",
     {"Light", "ライト", "浅色", "Hell", "Clair", "라이트", "Claro", "淺色", "Claro", "Chiaro"}},
    {"appearanceDark",
     {"Dark", "ダーク", "深色", "Dunkel", "Sombre", "다크", "Oscuro", "深色", "Escuro", "Scuro"}},
    {"tabBarOpacity",
     {"Tab Bar Opacity", "タブバーの不透明度", "标签页栏不透明度", "Deckkraft der Tableiste",
      "Opacité de la barre d’onglets", "탭 막대 불투명도", "Opacidad de la barra de pestañas", "標籤頁列不透明度",
      "Opacidade da Barra de Abas", "Opacità della barra dei pannelli"}},
    {"tabBarHeight",
     {"Tab Bar Height", "タブバーの高さ", "标签页栏高度", "Höhe der Tableiste", "Hauteur de la barre d’onglets",
      "탭 막대 높이", "Altura de la barra de pestañas", "標籤頁列高度", "Altura da Barra de Abas",
      "Altezza della barra dei pannelli"}},
    {"resetToDefault",
     {"Reset to Default", "デフォルトに戻す", "恢复默认", "Auf Standard zurücksetzen",
      "Rétablir la valeur par défaut", "기본값으로 재설정", "Restablecer valor predeterminado", "回復預設值",
      "Redefinir Padrão", "Ripristina predefinito"}},
    {"notificationSection",
     {"Notifications", "通知", "通知", "Mitteilungen", "Notifications", "알림", "Notificaciones", "通知",
      "Notificações", "Notifiche"}},
    {"showTabBadges",
     {"Show app notification badges on tabs", "タブにアプリの通知バッジを表示", "在标签页上显示 App 通知标记",
      "Mitteilungskennzeichen der Apps auf Tabs anzeigen",
      "Afficher les pastilles de notification des apps sur les onglets", "탭에 앱 알림 배지 표시",
      "Mostrar globos de notificación de las apps en las pestañas", "在標籤頁上顯示 App 通知標記",
      "Mostrar indicadores de notificação dos apps nas abas", "Mostra i badge di notifica delle app sui pannelli"}},
    {"showTabBadgesHelp",
     {"Shows the same number as the app's launcher badge. Checked every few seconds.",
      "アプリのランチャーのバッジと同じ数字を表示します。数秒ごとに確認されます。",
      "显示与 App 的启动器标记相同的数字。每隔几秒检查一次。",
      "Zeigt dieselbe Zahl wie das Kennzeichen der App im Starter. Wird alle paar Sekunden geprüft.",
      "Affiche le même nombre que la pastille de l’app dans le lanceur. Vérifié à intervalles de quelques secondes.",
      "앱의 실행기 배지와 같은 숫자를 표시합니다. 몇 초마다 확인됩니다.",
      "Muestra el mismo número que el globo de la app en el lanzador. Se comprueba cada pocos segundos.",
      "顯示與 App 的啟動器標記相同的數字。每隔幾秒檢查一次。",
      "Mostra o mesmo número do indicador do app no lançador. Verificado a cada poucos segundos.",
      "Mostra lo stesso numero del badge dell’app nel lanciatore. Controllato ogni qualche secondo."}},
    {"tabBadgeColor",
     {"Badge Color", "バッジの色", "标记颜色", "Kennzeichenfarbe", "Couleur des pastilles", "배지 색상",
      "Color del globo", "標記顏色", "Cor do Indicador", "Colore badge"}},
    {"editBadgeColor",
     {"Edit badge color", "バッジの色を編集", "编辑标记颜色", "Kennzeichenfarbe bearbeiten",
      "Modifier la couleur des pastilles", "배지 색상 편집", "Editar color del globo", "編輯標記顏色",
      "Editar cor do indicador", "Modifica colore badge"}},
    {"hotkeySection",
     {"Tab-Switch Hotkey", "タブ切り替えのショートカット", "切换标签页快捷键", "Tastenkurzbefehl zum Tabwechsel",
      "Raccourci de changement d’onglet", "탭 전환 단축키", "Atajo para cambiar de pestaña", "切換標籤頁快速鍵",
      "Atalho para Trocar de Aba", "Abbreviazione per cambiare pannello"}},
    {"nextTab",
     {"Next Tab", "次のタブ", "下一个标签页", "Nächster Tab", "Onglet suivant", "다음 탭", "Pestaña siguiente",
      "下一個標籤頁", "Próxima Aba", "Pannello successivo"}},
    {"prevTab",
     {"Previous Tab", "前のタブ", "上一个标签页", "Vorheriger Tab", "Onglet précédent", "이전 탭",
      "Pestaña anterior", "上一個標籤頁", "Aba Anterior", "Pannello precedente"}},
    {"hotkeyResetDefaults",
     {"Reset to Defaults", "すべてデフォルトに戻す", "恢复默认设置", "Standardwerte wiederherstellen",
      "Rétablir les valeurs par défaut", "모두 기본값으로 재설정", "Restablecer valores predeterminados",
      "回復預設設定", "Redefinir Padrões", "Ripristina predefiniti"}},

    // Hotkey recorder
    {"hotkeyOff",
     {"Off", "オフ", "关闭", "Aus", "Désactivé", "끔", "Desactivado", "關閉", "Desativado", "Disattivato"}},
    {"hotkeyRecordPrompt",
     {"Press keys… (Esc to cancel)", "キーを押してください…(Esc でキャンセル)", "请按键…（按 Esc 取消）",
      "Tasten drücken … (Esc zum Abbrechen)", "Appuyez sur les touches… (Échap pour annuler)",
      "키를 누르십시오…(취소하려면 Esc)", "Pulsa las teclas… (Esc para cancelar)", "請按鍵⋯（按 Esc 取消）",
      "Pressione as teclas… (Esc para cancelar)", "Premi i tasti… (Esc per annullare)"}},
    {"hotkeyClearHelp",
     {"Turn off this shortcut", "このショートカットをオフにする", "关闭此快捷键", "Diesen Tastenkurzbefehl deaktivieren",
      "Désactiver ce raccourci", "이 단축키 끄기", "Desactivar este atajo", "關閉此快速鍵", "Desativar este atalho",
      "Disattiva questa abbreviazione"}},
    {"hotkeyRuleHint",
     {"Combine with Ctrl, Alt, or Super.\n(F1–F20 also work alone.)",
      "Ctrl、Alt、Super のいずれかと組み合わせてください。\n(F1～F20 は単独でも使えます。)",
      "请与 Ctrl、Alt 或 Super 组合使用。\n（F1–F20 也可单独使用。）",
      "Mit Strg, Alt oder Super kombinieren.\n(F1–F20 funktionieren auch allein.)",
      "Combinez avec Ctrl, Alt ou Super.\n(F1–F20 fonctionnent aussi seules.)",
      "Ctrl, Alt 또는 Super와 함께 사용하십시오.\n(F1–F20은 단독으로도 사용할 수 있습니다.)",
      "Combina con Ctrl, Alt o Super.\n(F1–F20 también funcionan solas.)",
      "請與 Ctrl、Alt 或 Super 組合使用。\n（F1–F20 也可單獨使用。）",
      "Combine com Ctrl, Alt ou Super.\n(F1–F20 também funcionam sozinhas.)",
      "Combina con Ctrl, Alt o Super.\n(F1–F20 funzionano anche da soli.)"}},

    // Color page
    {"yourPresets",
     {"Your Presets", "マイプリセット", "我的预设", "Eigene Vorgaben", "Vos préréglages", "나의 프리셋",
      "Tus preajustes", "我的預設組合", "Seus Predefinidos", "I tuoi preset"}},
    {"add",
     {"Add", "追加", "添加", "Hinzufügen", "Ajouter", "추가", "Añadir", "加入", "Adicionar", "Aggiungi"}},
    {"presetMenuHint",
     {"Colors you add appear in the “Tab Color” menu when you right-click a tab.",
      "追加した色は、タブを右クリックしたときの「タブの色」メニューに表示されます。",
      "你添加的颜色会显示在右键点按标签页时的“标签页颜色”菜单中。",
      "Hinzugefügte Farben erscheinen im Menü „Tabfarbe“, wenn Sie mit der rechten Maustaste auf einen Tab klicken.",
      "Les couleurs ajoutées apparaissent dans le menu «\u00A0Couleur de l’onglet\u00A0» lorsque vous cliquez sur "
      "un onglet avec le bouton droit.",
      "추가한 색상은 탭을 오른쪽 클릭할 때 나타나는 ‘탭 색상’ 메뉴에 표시됩니다.",
      "Los colores que añadas aparecen en el menú “Color de la pestaña” al hacer clic derecho en una pestaña.",
      "你加入的顏色會顯示在右鍵點按標籤頁時的「標籤頁顏色」選單中。",
      "As cores adicionadas aparecem no menu “Cor da Aba” ao clicar com o botão direito em uma aba.",
      "I colori che aggiungi compaiono nel menu “Colore pannello” quando fai clic destro su un pannello."}},
    {"editPreset",
     {"Edit preset", "プリセットを編集", "编辑预设", "Vorgabe bearbeiten", "Modifier le préréglage", "프리셋 편집",
      "Editar preajuste", "編輯預設組合", "Editar predefinido", "Modifica preset"}},
    {"deletePreset",
     {"Delete preset", "プリセットを削除", "删除预设", "Vorgabe löschen", "Supprimer le préréglage", "프리셋 삭제",
      "Eliminar preajuste", "刪除預設組合", "Apagar predefinido", "Elimina preset"}},
    {"autoColorRules",
     {"Auto-Color Rules", "自動カラールール", "自动颜色规则", "Automatische Farbregeln",
      "Règles de couleur automatique", "자동 색상 규칙", "Reglas de color automático", "自動顏色規則",
      "Regras de Cor Automática", "Regole colore automatico"}},
    {"autoColorHint",
     {"When windows are grouped, matching tabs are colored automatically.",
      "ウインドウをグループ化すると、条件に合うタブに自動で色が付きます。", "窗口编组时，符合条件的标签页会自动着色。",
      "Beim Gruppieren von Fenstern werden passende Tabs automatisch eingefärbt.",
      "Lorsque des fenêtres sont regroupées, les onglets correspondants sont colorés automatiquement.",
      "윈도우를 그룹화하면 조건에 맞는 탭에 자동으로 색상이 지정됩니다.",
      "Al agrupar ventanas, las pestañas que coincidan se colorean automáticamente.",
      "視窗分組時，符合條件的標籤頁會自動上色。",
      "Quando as janelas são agrupadas, as abas correspondentes são coloridas automaticamente.",
      "Quando le finestre vengono raggruppate, i pannelli corrispondenti vengono colorati automaticamente."}},
    {"editRule",
     {"Edit rule", "ルールを編集", "编辑规则", "Regel bearbeiten", "Modifier la règle", "규칙 편집", "Editar regla",
      "編輯規則", "Editar regra", "Modifica regola"}},
    {"deleteRule",
     {"Delete rule", "ルールを削除", "删除规则", "Regel löschen", "Supprimer la règle", "규칙 삭제",
      "Eliminar regla", "刪除規則", "Apagar regra", "Elimina regola"}},

    // Colour editors
    {"palette",
     {"Palette", "パレット", "调色板", "Palette", "Palette", "팔레트", "Paleta", "調色盤", "Paleta", "Tavolozza"}},
    {"presets",
     {"Presets", "プリセット", "预设", "Vorgaben", "Préréglages", "프리셋", "Preajustes", "預設組合", "Predefinidos",
      "Preset"}},
    {"customColor",
     {"Custom Color", "カスタムカラー", "自定颜色", "Eigene Farbe", "Couleur personnalisée", "사용자 설정 색상",
      "Color personalizado", "自訂顏色", "Cor Personalizada", "Colore personalizzato"}},
    {"hexInvalid",
     {"Invalid RGB value. Please enter a valid one. (e.g. #0A85FF)",
      "RGB 値が正しくありません。正しい値を入力してください。(例: #0A85FF)",
      "RGB 值无效。请输入有效的值。（例如 #0A85FF）",
      "Ungültiger RGB-Wert. Bitte geben Sie einen gültigen Wert ein. (z. B. #0A85FF)",
      "Valeur RVB non valide. Saisissez une valeur valide. (p.\u00A0ex. #0A85FF)",
      "RGB 값이 유효하지 않습니다. 유효한 값을 입력하십시오. (예: #0A85FF)",
      "Valor RGB no válido. Introduce uno válido. (p. ej., #0A85FF)", "RGB 值無效。請輸入有效的值。（例如 #0A85FF）",
      "Valor RGB inválido. Digite um valor válido. (ex.: #0A85FF)",
      "Valore RGB non valido. Inserisci un valore valido. (es. #0A85FF)"}},
    {"addPresetTitle",
     {"Add Color Preset", "カラープリセットを追加", "添加颜色预设", "Farbvorgabe hinzufügen",
      "Ajouter un préréglage de couleur", "색상 프리셋 추가", "Añadir preajuste de color", "加入顏色預設組合",
      "Adicionar Cor Predefinida", "Aggiungi preset colore"}},
    {"editPresetTitle",
     {"Edit Color Preset", "カラープリセットを編集", "编辑颜色预设", "Farbvorgabe bearbeiten",
      "Modifier le préréglage de couleur", "색상 프리셋 편집", "Editar preajuste de color", "編輯顏色預設組合",
      "Editar Cor Predefinida", "Modifica preset colore"}},
    {"presetNamePlaceholder",
     {"Preset name (e.g. Work)", "プリセット名(例: 仕事)", "预设名称（例如“工作”）", "Name der Vorgabe (z. B. Arbeit)",
      "Nom du préréglage (p.\u00A0ex. Travail)", "프리셋 이름(예: 업무)", "Nombre del preajuste (p. ej., Trabajo)",
      "預設組合名稱（例如「工作」）", "Nome do predefinido (ex.: Trabalho)", "Nome del preset (es. Lavoro)"}},
    {"save",
     {"Save", "保存", "存储", "Sichern", "Enregistrer", "저장", "Guardar", "儲存", "Salvar", "Salva"}},

    // Auto-colour rule editor and rule list
    {"addRuleTitle",
     {"Add Auto-Color Rule", "自動カラールールを追加", "添加自动颜色规则", "Automatische Farbregel hinzufügen",
      "Ajouter une règle de couleur automatique", "자동 색상 규칙 추가", "Añadir regla de color automático",
      "加入自動顏色規則", "Adicionar Regra de Cor Automática", "Aggiungi regola colore automatico"}},
    {"editRuleTitle",
     {"Edit Auto-Color Rule", "自動カラールールを編集", "编辑自动颜色规则", "Automatische Farbregel bearbeiten",
      "Modifier la règle de couleur automatique", "자동 색상 규칙 편집", "Editar regla de color automático",
      "編輯自動顏色規則", "Editar Regra de Cor Automática", "Modifica regola colore automatico"}},
    {"targetApp",
     {"Target App", "対象のアプリ", "目标 App", "Ziel-App", "App cible", "대상 앱", "App de destino", "目標 App",
      "App de Destino", "App di destinazione"}},
    {"allApps",
     {"All Apps", "すべてのアプリ", "所有 App", "Alle Apps", "Toutes les apps", "모든 앱", "Todas las apps",
      "所有 App", "Todos os Apps", "Tutte le app"}},
    {"titleCondition",
     {"Title Condition", "タイトルの条件", "标题条件", "Titelbedingung", "Condition sur le titre", "제목 조건",
      "Condición del título", "標題條件", "Condição do Título", "Condizione sul titolo"}},
    {"matchContains",
     {"Contains", "～を含む", "包含", "Enthält", "Contient", "포함", "Contiene", "包含", "Contém", "Contiene"}},
    {"matchRegex",
     {"Regex", "正規表現", "正则表达式", "Regex", "Regex", "정규 표현식", "Regex", "正規表示式", "Regex", "Regex"}},
    {"containsPlaceholder",
     {"Text contained in the title (blank = all)", "タイトルに含まれるテキスト(空欄 = すべて)",
      "标题中包含的文本（留空 = 全部）", "Im Titel enthaltener Text (leer = alle)",
      "Texte contenu dans le titre (vide = tous)", "제목에 포함된 텍스트(비워 두면 전체)",
      "Texto contenido en el título (vacío = todos)", "標題中包含的文字（留空 = 全部）",
      "Texto contido no título (em branco = todos)", "Testo contenuto nel titolo (vuoto = tutti)"}},
    {"regexPlaceholder",
     {"Title regex (blank = all)", "タイトルの正規表現(空欄 = すべて)", "标题正则表达式（留空 = 全部）",
      "Regex für den Titel (leer = alle)", "Regex du titre (vide = tous)", "제목 정규 표현식(비워 두면 전체)",
      "Regex del título (vacío = todos)", "標題正規表示式（留空 = 全部）", "Regex do título (em branco = todos)",
      "Regex del titolo (vuoto = tutti)"}},
    {"regexInvalid",
     {"Invalid regular expression.", "正規表現が正しくありません。", "正则表达式无效。", "Ungültiger regulärer Ausdruck.",
      "Expression régulière non valide.", "정규 표현식이 유효하지 않습니다.", "Expresión regular no válida.",
      "正規表示式無效。", "Expressão regular inválida.", "Espressione regolare non valida."}},
    {"colorToApply",
     {"Color to Apply", "適用する色", "要应用的颜色", "Anzuwendende Farbe", "Couleur à appliquer", "적용할 색상",
      "Color que aplicar", "要套用的顏色", "Cor a Aplicar", "Colore da applicare"}},
    {"ruleSatisfiabilityHelp",
     {"Specify at least an app or a title.", "アプリかタイトルの少なくとも一方を指定してください。",
      "请至少指定一个 App 或标题。", "Geben Sie mindestens eine App oder einen Titel an.",
      "Indiquez au moins une app ou un titre.", "앱 또는 제목을 하나 이상 지정하십시오.",
      "Especifica al menos una app o un título.", "請至少指定一個 App 或標題。",
      "Especifique pelo menos um app ou um título.", "Specifica almeno un’app o un titolo."}},

    // How To page
    {"howToCreateTitle",
     {"Create a group", "グループを作成", "创建组", "Gruppe erstellen", "Créer un groupe", "그룹 만들기",
      "Crear un grupo", "建立群組", "Criar um grupo", "Crea un gruppo"}},
    {"howToCreateBody",
     {"Hold Shift and drag a window onto another; drop it when the preview appears.",
      "Shift キーを押しながらウインドウを別のウインドウにドラッグし、プレビューが表示されたらドロップします。",
      "按住 Shift 键并将一个窗口拖到另一个窗口上，出现预览时松开。",
      "Halten Sie die Umschalttaste gedrückt und ziehen Sie ein Fenster auf ein anderes. Lassen Sie es los, sobald "
      "die Vorschau erscheint.",
      "Maintenez la touche Maj enfoncée et faites glisser une fenêtre sur une autre, puis relâchez-la quand "
      "l’aperçu apparaît.",
      "Shift 키를 누른 채 윈도우를 다른 윈도우 위로 드래그하고 미리보기가 나타나면 놓습니다.",
      "Mantén pulsada la tecla Mayúsculas y arrastra una ventana sobre otra; suéltala cuando aparezca la vista "
      "previa.",
      "按住 Shift 鍵並將一個視窗拖到另一個視窗上，出現預覽時放開。",
      "Mantenha a tecla Shift pressionada e arraste uma janela sobre outra; solte-a quando a pré-visualização "
      "aparecer.",
      "Tieni premuto Maiusc e trascina una finestra su un’altra; rilasciala quando compare l’anteprima."}},
    {"howToModifierNote",
     {"※ The modifier key used for grouping can be changed under “Grouping.”",
      "※ グループ化に使う修飾キーは「グループ化」で変更できます。", "※ 可在“分组”中更改用于编组的修饰键。",
      "※ Die Sondertaste zum Gruppieren lässt sich unter „Gruppierung“ ändern.",
      "※ La touche de modification utilisée pour regrouper peut être changée dans «\u00A0Regroupement\u00A0».",
      "※ 그룹화에 사용하는 보조 키는 ‘그룹화’에서 변경할 수 있습니다.",
      "※ La tecla modificadora para agrupar se puede cambiar en “Agrupación”.", "※ 可在「分組」中更改用於分組的輔助鍵。",
      "※ A tecla modificadora usada para agrupar pode ser alterada em “Agrupamento”.",
      "※ Il tasto modificatore usato per raggruppare può essere cambiato in “Raggruppamento”."}},
    {"howToSwitchTitle",
     {"Switch tabs", "タブを切り替える", "切换标签页", "Tabs wechseln", "Changer d’onglet", "탭 전환",
      "Cambiar de pestaña", "切換標籤頁", "Alternar abas", "Cambia pannello"}},
    {"howToSwitchNote",
     {"※ The tab-switching shortcut can be changed under “Tab Bar.”",
      "※ タブ切り替えのショートカットは「タブバー」で変更できます。", "※ 可在“标签页栏”中更改切换标签页的快捷键。",
      "※ Der Tastenkurzbefehl zum Tabwechsel lässt sich unter „Tableiste“ ändern.",
      "※ Le raccourci de changement d’onglet peut être modifié dans «\u00A0Barre d’onglets\u00A0».",
      "※ 탭 전환 단축키는 ‘탭 막대’에서 변경할 수 있습니다.",
      "※ El atajo para cambiar de pestaña se puede cambiar en “Barra de pestañas”.",
      "※ 可在「標籤頁列」中更改切換標籤頁的快速鍵。", "※ O atalho para trocar de aba pode ser alterado em “Barra de Abas”.",
      "※ L’abbreviazione per cambiare pannello può essere modificata in “Barra dei pannelli”."}},
    {"howToMoveTitle",
     {"Move the whole group", "グループ全体を移動", "移动整个组", "Ganze Gruppe bewegen", "Déplacer tout le groupe",
      "그룹 전체 이동", "Mover todo el grupo", "移動整個群組", "Mover o grupo inteiro", "Sposta l’intero gruppo"}},
    {"howToMoveBody",
     {"Drag any window as usual and the entire group comes along.",
      "いつものようにウインドウをドラッグすると、グループ全体が一緒に移動します。",
      "像平常一样拖移任意窗口，整个组都会随之移动。",
      "Ziehen Sie ein beliebiges Fenster wie gewohnt, und die ganze Gruppe bewegt sich mit.",
      "Faites glisser une fenêtre comme d’habitude et tout le groupe suit.",
      "평소처럼 윈도우를 드래그하면 그룹 전체가 함께 이동합니다.",
      "Arrastra cualquier ventana como de costumbre y todo el grupo la acompaña.",
      "像平常一樣拖移任一視窗，整個群組都會跟著移動。",
      "Arraste qualquer janela como de costume e o grupo inteiro a acompanha.",
      "Trascina una finestra come di consueto e l’intero gruppo la segue."}},
    {"howToDetachTitle",
     {"Remove from a group", "グループから外す", "从组中移除", "Aus einer Gruppe entfernen", "Retirer d’un groupe",
      "그룹에서 제거", "Quitar de un grupo", "從群組移除", "Remover de um grupo", "Rimuovi da un gruppo"}},
    {"howToDetachBody",
     {"Drag a tab out of the bar. To dissolve every group at once, use the tray icon's menu.",
      "タブをバーの外にドラッグします。すべてのグループを一度に解除するには、トレイアイコンのメニューを使います。",
      "将标签页拖出标签页栏。要一次解散所有组，请使用托盘图标的菜单。",
      "Ziehen Sie einen Tab aus der Leiste. Um alle Gruppen auf einmal aufzulösen, verwenden Sie das Menü des "
      "Tray-Symbols.",
      "Faites glisser un onglet hors de la barre. Pour dissoudre tous les groupes d’un coup, utilisez le menu de "
      "l’icône de la zone de notification.",
      "탭을 막대 밖으로 드래그합니다. 모든 그룹을 한 번에 해제하려면 트레이 아이콘의 메뉴를 사용하십시오.",
      "Arrastra una pestaña fuera de la barra. Para disolver todos los grupos a la vez, usa el menú del icono de la "
      "bandeja del sistema.",
      "將標籤頁拖出標籤頁列。若要一次解散所有群組，請使用系統匣圖示的選單。",
      "Arraste uma aba para fora da barra. Para desfazer todos os grupos de uma vez, use o menu do ícone da bandeja "
      "do sistema.",
      "Trascina un pannello fuori dalla barra. Per sciogliere tutti i gruppi in una volta, usa il menu dell’icona "
      "nell’area di notifica."}},
    {"howToColorTitle",
     {"Color and name", "色と名前", "颜色和名称", "Farbe und Name", "Couleur et nom", "색상 및 이름", "Color y nombre",
      "顏色和名稱", "Cor e nome", "Colore e nome"}},
    {"howToColorBody",
     {"Right-click a tab to set an accent color or rename the group.",
      "タブを右クリックすると、アクセントカラーの設定やグループ名の変更ができます。",
      "右键点按标签页可设置强调色或重命名组。",
      "Klicken Sie mit der rechten Maustaste auf einen Tab, um eine Akzentfarbe festzulegen oder die Gruppe "
      "umzubenennen.",
      "Cliquez sur un onglet avec le bouton droit pour définir une couleur d’accentuation ou renommer le groupe.",
      "탭을 오른쪽 클릭하여 강조 색상을 설정하거나 그룹 이름을 변경합니다.",
      "Haz clic derecho en una pestaña para asignar un color de acento o renombrar el grupo.",
      "以右鍵按一下標籤頁，即可設定強調色或重新命名群組。",
      "Clique com o botão direito em uma aba para definir uma cor de destaque ou renomear o grupo.",
      "Fai clic destro su un pannello per impostare un colore d’accento o rinominare il gruppo."}},
    {"howToMenuBarTitle",
     {"Tray icon",
      "トレイアイコン",
      "托盘图标",
      "Tray-Symbol",
      "Icône de la zone de notification",
      "트레이 아이콘",
      "Icono de la bandeja del sistema",
      "系統匣圖示",
      "Ícone da bandeja do sistema",
      "Icona nell’area di notifica"}},
    {"howToMenuBarBody",
     {"The tray icon's menu holds the group list, the settings and the Quit command.",
      "トレイアイコンのメニューから、グループの一覧、設定、終了コマンドにアクセスできます。",
      "托盘图标的菜单中包含组列表、设置和退出命令。",
      "Das Menü des Tray-Symbols enthält die Liste der Gruppen, die Einstellungen und den Befehl zum Beenden.",
      "Le menu de l’icône de la zone de notification regroupe la liste des groupes, les réglages et la commande "
      "Quitter.",
      "트레이 아이콘의 메뉴에서 그룹 목록, 설정 및 종료 명령을 사용할 수 있습니다.",
      "El menú del icono de la bandeja del sistema contiene la lista de grupos, los ajustes y el comando Salir.",
      "系統匣圖示的選單中包含群組列表、設定和結束指令。",
      "O menu do ícone da bandeja do sistema reúne a lista de grupos, os ajustes e o comando Encerrar.",
      "Il menu dell’icona nell’area di notifica contiene l’elenco dei gruppi, le impostazioni e il comando Esci."}},
    // Where no tray shows the icon: the settings window's menu button and its entry on the How To page
    {"statusMenuButton",
     {"Menu", "メニュー", "菜单", "Menü", "Menu", "메뉴", "Menú", "選單", "Menu", "Menu"}},
    {"statusMenuButtonHelp",
     {"Opens the menu with the group list, the settings and the Quit command",
      "グループの一覧、設定、終了コマンドのメニューを開きます",
      "打开包含组列表、设置和退出命令的菜单",
      "Öffnet das Menü mit der Liste der Gruppen, den Einstellungen und dem Befehl zum Beenden",
      "Ouvre le menu avec la liste des groupes, les réglages et la commande Quitter",
      "그룹 목록, 설정 및 종료 명령이 있는 메뉴를 엽니다",
      "Abre el menú con la lista de grupos, los ajustes y el comando Salir",
      "打開包含群組列表、設定和結束指令的選單",
      "Abre o menu com a lista de grupos, os ajustes e o comando Encerrar",
      "Apre il menu con l’elenco dei gruppi, le impostazioni e il comando Esci"}},
    {"howToMenuButtonBody",
     {"With no tray, the “Menu” button at the bottom of this window's sidebar holds the group list, the settings "
      "and the Quit command.",
      "トレイがない場合は、このウインドウのサイドバーの下にある「メニュー」ボタンから、グループの一覧、設定、"
      "終了コマンドにアクセスできます。",
      "没有托盘时，本窗口边栏底部的“菜单”按钮中包含组列表、设置和退出命令。",
      "Ohne Tray enthält die Schaltfläche „Menü“ unten in der Seitenleiste dieses Fensters die Liste der Gruppen, "
      "die Einstellungen und den Befehl zum Beenden.",
      "Sans zone de notification, le bouton «\u00A0Menu\u00A0» en bas de la barre latérale de cette fenêtre "
      "regroupe la liste des groupes, les réglages et la commande Quitter.",
      "트레이가 없으면 이 윈도우 사이드바 아래쪽의 ‘메뉴’ 버튼에서 그룹 목록, 설정 및 종료 명령을 사용할 수 있습니다.",
      "Sin bandeja del sistema, el botón “Menú” al pie de la barra lateral de esta ventana contiene la lista de "
      "grupos, los ajustes y el comando Salir.",
      "沒有系統匣時，本視窗側邊欄底部的「選單」按鈕中包含群組列表、設定和結束指令。",
      "Sem bandeja do sistema, o botão “Menu” no pé da barra lateral desta janela reúne a lista de grupos, os "
      "ajustes e o comando Encerrar.",
      "Senza area di notifica, il pulsante “Menu” in fondo alla barra laterale di questa finestra contiene "
      "l’elenco dei gruppi, le impostazioni e il comando Esci."}},
    {"howToDetachBodyMenuButton",
     {"Drag a tab out of the bar. To dissolve every group at once, use the “Menu” button's menu.",
      "タブをバーの外にドラッグします。すべてのグループを一度に解除するには、「メニュー」ボタンのメニューを使います。",
      "将标签页拖出标签页栏。要一次解散所有组，请使用“菜单”按钮的菜单。",
      "Ziehen Sie einen Tab aus der Leiste. Um alle Gruppen auf einmal aufzulösen, verwenden Sie das Menü der "
      "Schaltfläche „Menü“.",
      "Faites glisser un onglet hors de la barre. Pour dissoudre tous les groupes d’un coup, utilisez le menu du "
      "bouton «\u00A0Menu\u00A0».",
      "탭을 막대 밖으로 드래그합니다. 모든 그룹을 한 번에 해제하려면 ‘메뉴’ 버튼의 메뉴를 사용하십시오.",
      "Arrastra una pestaña fuera de la barra. Para disolver todos los grupos a la vez, usa el menú del botón "
      "“Menú”.",
      "將標籤頁拖出標籤頁列。若要一次解散所有群組，請使用「選單」按鈕的選單。",
      "Arraste uma aba para fora da barra. Para desfazer todos os grupos de uma vez, use o menu do botão “Menu”.",
      "Trascina un pannello fuori dalla barra. Per sciogliere tutti i gruppi in una volta, usa il menu del "
      "pulsante “Menu”."}},

    // About page
    {"updateCheckButton",
     {"Check for Updates", "アップデートを確認", "检查更新", "Nach Updates suchen", "Rechercher des mises à jour",
      "업데이트 확인", "Buscar actualizaciones", "檢查更新項目", "Buscar Atualizações", "Controlla aggiornamenti"}},
    {"aboutCredit",
     {"Made with care by independent developers.", "Made with care by independent developers.",
      "Made with care by independent developers.", "Made with care by independent developers.",
      "Made with care by independent developers.", "Made with care by independent developers.",
      "Made with care by independent developers.", "Made with care by independent developers.",
      "Made with care by independent developers.", "Made with care by independent developers."}},
});

}  // namespace

std::span<const CatalogEntry> settingsCatalog() { return kSettingsTexts; }

TESSALY_L10N_TEXT(kSettingsTexts, settingsWindowTitle)
TESSALY_L10N_TEXT(kSettingsTexts, howTo)
TESSALY_L10N_TEXT(kSettingsTexts, general)
TESSALY_L10N_TEXT(kSettingsTexts, grouping)
TESSALY_L10N_TEXT(kSettingsTexts, tabBar)
TESSALY_L10N_TEXT(kSettingsTexts, color)
TESSALY_L10N_TEXT(kSettingsTexts, about)
TESSALY_L10N_TEXT(kSettingsTexts, language)
TESSALY_L10N_TEXT(kSettingsTexts, displayLanguage)
TESSALY_L10N_TEXT(kSettingsTexts, restartNeeded)
TESSALY_L10N_TEXT(kSettingsTexts, restartNow)
TESSALY_L10N_TEXT(kSettingsTexts, launchAtLogin)
TESSALY_L10N_TEXT(kSettingsTexts, launchAtLoginHelp)
TESSALY_L10N_TEXT(kSettingsTexts, settingsFile)
TESSALY_L10N_TEXT(kSettingsTexts, exportSettings)
TESSALY_L10N_TEXT(kSettingsTexts, importSettings)
TESSALY_L10N_TEXT(kSettingsTexts, settingsFileHelp)
TESSALY_L10N_TEXT(kSettingsTexts, settingsFileBaseName)
TESSALY_L10N_TEXT(kSettingsTexts, exportDoneTitle)
TESSALY_L10N_TEXT(kSettingsTexts, exportFailedTitle)
TESSALY_L10N_TEXT(kSettingsTexts, exportErrorUnwritable)
TESSALY_L10N_TEXT(kSettingsTexts, importConfirmTitle)
TESSALY_L10N_TEXT(kSettingsTexts, importConfirmBody)
TESSALY_L10N_TEXT(kSettingsTexts, importConfirmButton)
TESSALY_L10N_TEXT(kSettingsTexts, importFailedTitle)
TESSALY_L10N_TEXT(kSettingsTexts, importErrorNotOurFile)
TESSALY_L10N_TEXT(kSettingsTexts, importErrorNewerVersion)
TESSALY_L10N_TEXT(kSettingsTexts, importErrorUnreadable)
TESSALY_L10N_TEXT(kSettingsTexts, importLaunchAtLoginFailed)
TESSALY_L10N_TEXT(kSettingsTexts, dragSection)
TESSALY_L10N_TEXT(kSettingsTexts, modifierKey)
TESSALY_L10N_TEXT(kSettingsTexts, modifierNone)
TESSALY_L10N_TEXT(kSettingsTexts, optionTilingWarning)
TESSALY_L10N_TEXT(kSettingsTexts, previewDelay)
TESSALY_L10N_TEXT(kSettingsTexts, delayInstant)
TESSALY_L10N_TEXT(kSettingsTexts, delay03)
TESSALY_L10N_TEXT(kSettingsTexts, delay06)
TESSALY_L10N_TEXT(kSettingsTexts, delay1)
TESSALY_L10N_TEXT(kSettingsTexts, groupBehavior)
TESSALY_L10N_TEXT(kSettingsTexts, whenFullscreen)
TESSALY_L10N_TEXT(kSettingsTexts, whenOffSpace)
TESSALY_L10N_TEXT(kSettingsTexts, policyKeep)
TESSALY_L10N_TEXT(kSettingsTexts, policyDetach)
TESSALY_L10N_TEXT(kSettingsTexts, excludedApps)
TESSALY_L10N_TEXT(kSettingsTexts, noExclusions)
TESSALY_L10N_TEXT(kSettingsTexts, removeExclusion)
TESSALY_L10N_TEXT(kSettingsTexts, addFromRunning)
TESSALY_L10N_TEXT(kSettingsTexts, appearance)
TESSALY_L10N_TEXT(kSettingsTexts, appearanceSystem)
TESSALY_L10N_TEXT(kSettingsTexts, appearanceLight)
TESSALY_L10N_TEXT(kSettingsTexts, appearanceDark)
TESSALY_L10N_TEXT(kSettingsTexts, tabBarOpacity)
TESSALY_L10N_TEXT(kSettingsTexts, tabBarHeight)
TESSALY_L10N_TEXT(kSettingsTexts, resetToDefault)
TESSALY_L10N_TEXT(kSettingsTexts, notificationSection)
TESSALY_L10N_TEXT(kSettingsTexts, showTabBadges)
TESSALY_L10N_TEXT(kSettingsTexts, showTabBadgesHelp)
TESSALY_L10N_TEXT(kSettingsTexts, tabBadgeColor)
TESSALY_L10N_TEXT(kSettingsTexts, editBadgeColor)
TESSALY_L10N_TEXT(kSettingsTexts, hotkeySection)
TESSALY_L10N_TEXT(kSettingsTexts, nextTab)
TESSALY_L10N_TEXT(kSettingsTexts, prevTab)
TESSALY_L10N_TEXT(kSettingsTexts, hotkeyResetDefaults)
TESSALY_L10N_TEXT(kSettingsTexts, hotkeyOff)
TESSALY_L10N_TEXT(kSettingsTexts, hotkeyRecordPrompt)
TESSALY_L10N_TEXT(kSettingsTexts, hotkeyClearHelp)
TESSALY_L10N_TEXT(kSettingsTexts, hotkeyRuleHint)
TESSALY_L10N_TEXT(kSettingsTexts, yourPresets)
TESSALY_L10N_TEXT(kSettingsTexts, add)
TESSALY_L10N_TEXT(kSettingsTexts, presetMenuHint)
TESSALY_L10N_TEXT(kSettingsTexts, editPreset)
TESSALY_L10N_TEXT(kSettingsTexts, deletePreset)
TESSALY_L10N_TEXT(kSettingsTexts, autoColorRules)
TESSALY_L10N_TEXT(kSettingsTexts, autoColorHint)
TESSALY_L10N_TEXT(kSettingsTexts, editRule)
TESSALY_L10N_TEXT(kSettingsTexts, deleteRule)
TESSALY_L10N_TEXT(kSettingsTexts, palette)
TESSALY_L10N_TEXT(kSettingsTexts, presets)
TESSALY_L10N_TEXT(kSettingsTexts, customColor)
TESSALY_L10N_TEXT(kSettingsTexts, hexInvalid)
TESSALY_L10N_TEXT(kSettingsTexts, addPresetTitle)
TESSALY_L10N_TEXT(kSettingsTexts, editPresetTitle)
TESSALY_L10N_TEXT(kSettingsTexts, presetNamePlaceholder)
TESSALY_L10N_TEXT(kSettingsTexts, save)
TESSALY_L10N_TEXT(kSettingsTexts, addRuleTitle)
TESSALY_L10N_TEXT(kSettingsTexts, editRuleTitle)
TESSALY_L10N_TEXT(kSettingsTexts, targetApp)
TESSALY_L10N_TEXT(kSettingsTexts, allApps)
TESSALY_L10N_TEXT(kSettingsTexts, titleCondition)
TESSALY_L10N_TEXT(kSettingsTexts, matchContains)
TESSALY_L10N_TEXT(kSettingsTexts, matchRegex)
TESSALY_L10N_TEXT(kSettingsTexts, containsPlaceholder)
TESSALY_L10N_TEXT(kSettingsTexts, regexPlaceholder)
TESSALY_L10N_TEXT(kSettingsTexts, regexInvalid)
TESSALY_L10N_TEXT(kSettingsTexts, colorToApply)
TESSALY_L10N_TEXT(kSettingsTexts, ruleSatisfiabilityHelp)
TESSALY_L10N_TEXT(kSettingsTexts, howToCreateTitle)
TESSALY_L10N_TEXT(kSettingsTexts, howToCreateBody)
TESSALY_L10N_TEXT(kSettingsTexts, howToModifierNote)
TESSALY_L10N_TEXT(kSettingsTexts, howToSwitchTitle)
TESSALY_L10N_TEXT(kSettingsTexts, howToSwitchNote)
TESSALY_L10N_TEXT(kSettingsTexts, howToMoveTitle)
TESSALY_L10N_TEXT(kSettingsTexts, howToMoveBody)
TESSALY_L10N_TEXT(kSettingsTexts, howToDetachTitle)
TESSALY_L10N_TEXT(kSettingsTexts, howToDetachBody)
TESSALY_L10N_TEXT(kSettingsTexts, howToColorTitle)
TESSALY_L10N_TEXT(kSettingsTexts, howToColorBody)
TESSALY_L10N_TEXT(kSettingsTexts, howToMenuBarTitle)
TESSALY_L10N_TEXT(kSettingsTexts, howToMenuBarBody)
TESSALY_L10N_TEXT(kSettingsTexts, statusMenuButton)
TESSALY_L10N_TEXT(kSettingsTexts, statusMenuButtonHelp)
TESSALY_L10N_TEXT(kSettingsTexts, howToMenuButtonBody)
TESSALY_L10N_TEXT(kSettingsTexts, howToDetachBodyMenuButton)
TESSALY_L10N_TEXT(kSettingsTexts, updateCheckButton)
TESSALY_L10N_TEXT(kSettingsTexts, aboutCredit)

}  // namespace tessaly::L10n
