// Texts shown outside the settings window: tab bars and their menus, the
// group-name dialog, the status menu, the shell's alerts and onboarding.
// Each row: id, then en, ja, zh-Hans, de, fr, ko, es, zh-Hant, pt-BR, it.

#include "TessalyCore/L10nCatalog.h"

namespace tessaly::L10n {

namespace {

constexpr auto kOverlayTexts = std::to_array<CatalogEntry>({
    // Tab bar and tabs
    {"untitledTab",
     {"(Untitled)", "(無題)", "（未命名）", "(Ohne Titel)", "(Sans titre)", "(무제)", "(Sin título)", "（未命名）",
      "(Sem Título)", "(Senza nome)"}},
    {"addWindowTooltip",
     {"Add window to group", "ウインドウをグループに追加", "将窗口添加到组", "Fenster zur Gruppe hinzufügen",
      "Ajouter une fenêtre au groupe", "그룹에 윈도우 추가", "Añadir ventana al grupo", "將視窗加入群組",
      "Adicionar janela ao grupo", "Aggiungi finestra al gruppo"}},
    {"moveToDisplayTooltip",
     {"Move to another display", "別のディスプレイに移動", "移到另一台显示器", "Auf anderen Bildschirm bewegen",
      "Déplacer vers un autre écran", "다른 디스플레이로 이동", "Mover a otra pantalla", "移到另一台顯示器",
      "Mover para outra tela", "Sposta su un altro monitor"}},
    {"moveToDisplayHeader",
     {"Move to…", "移動先…", "移到…", "Bewegen auf …", "Déplacer vers…", "다음으로 이동…", "Mover a…", "移到⋯",
      "Mover para…", "Sposta su…"}},
    {"groupLockedHint",
     {"Locked — protected from changes", "ロック中 — 変更できません", "已锁定 — 防止更改",
      "Gesperrt – vor Änderungen geschützt", "Verrouillé — protégé contre les modifications",
      "잠김 — 변경할 수 없음", "Bloqueado — protegido contra cambios", "已鎖定 — 防止變更",
      "Bloqueado — protegido contra alterações", "Bloccato — protetto dalle modifiche"}},
    {"detachTooltip",
     {"Detach from group", "グループから切り離す", "从组中分离", "Aus Gruppe lösen", "Détacher du groupe",
      "그룹에서 분리", "Separar del grupo", "從群組分離", "Separar do grupo", "Stacca dal gruppo"}},
    {"dropOntoLockedGroup",
     {"This group is locked", "このグループはロックされています", "此组已锁定", "Diese Gruppe ist gesperrt",
      "Ce groupe est verrouillé", "이 그룹은 잠겨 있습니다", "Este grupo está bloqueado", "此群組已鎖定",
      "Este grupo está bloqueado", "Questo gruppo è bloccato"}},

    // Group context menu of a tab bar
    {"ctxNameGroup",
     {"Name Group…", "グループに名前を付ける…", "命名组…", "Gruppe benennen …", "Nommer le groupe…",
      "그룹 이름 지정…", "Nombrar grupo…", "為群組命名⋯", "Nomear Grupo…", "Assegna nome al gruppo…"}},
    {"ctxRenameGroup",
     {"Rename Group…", "グループ名を変更…", "重命名组…", "Gruppe umbenennen …", "Renommer le groupe…",
      "그룹 이름 변경…", "Renombrar grupo…", "重新命名群組⋯", "Renomear Grupo…", "Rinomina gruppo…"}},
    {"ctxGroupColor",
     {"Group Color", "グループの色", "组颜色", "Gruppenfarbe", "Couleur du groupe", "그룹 색상", "Color del grupo",
      "群組顏色", "Cor do Grupo", "Colore gruppo"}},
    {"ctxMoveToDisplay",
     {"Move to Display", "ディスプレイに移動", "移到显示器", "Auf Bildschirm bewegen", "Déplacer vers l’écran",
      "디스플레이로 이동", "Mover a pantalla", "移到顯示器", "Mover para Tela", "Sposta su monitor"}},
    {"ctxLockGroup",
     {"Lock Group", "グループをロック", "锁定组", "Gruppe sperren", "Verrouiller le groupe", "그룹 잠금",
      "Bloquear grupo", "鎖定群組", "Bloquear Grupo", "Blocca gruppo"}},
    {"ctxUnlockGroup",
     {"Unlock Group", "グループのロックを解除", "解锁组", "Gruppe entsperren", "Déverrouiller le groupe",
      "그룹 잠금 해제", "Desbloquear grupo", "解鎖群組", "Desbloquear Grupo", "Sblocca gruppo"}},
    {"ctxUngroup",
     {"Dissolve Group", "グループを解除", "解散组", "Gruppe auflösen", "Dissoudre le groupe", "그룹 해제",
      "Disolver grupo", "解散群組", "Desfazer Grupo", "Sciogli gruppo"}},
    {"ctxCloseGroup",
     {"Close All Windows in the Group", "グループ内のすべてのウインドウを閉じる", "关闭组中的所有窗口",
      "Alle Fenster der Gruppe schließen", "Fermer toutes les fenêtres du groupe", "그룹의 모든 윈도우 닫기",
      "Cerrar todas las ventanas del grupo", "關閉群組中的所有視窗", "Fechar Todas as Janelas do Grupo",
      "Chiudi tutte le finestre del gruppo"}},
    {"menuSettings",
     {"Settings…", "設定…", "设置…", "Einstellungen …", "Réglages…", "설정…", "Ajustes…", "設定⋯", "Ajustes…",
      "Impostazioni…"}},

    // Tab context menu of a tab item
    {"ctxPopOut",
     {"Pop Tab Out", "タブを取り出す", "移出标签页", "Tab herauslösen", "Détacher l’onglet", "탭 꺼내기",
      "Sacar pestaña", "移出標籤頁", "Separar Aba", "Estrai pannello"}},
    {"ctxCloseTab",
     {"Close This Tab’s Window", "このタブのウインドウを閉じる", "关闭此标签页的窗口",
      "Fenster dieses Tabs schließen", "Fermer la fenêtre de cet onglet", "이 탭의 윈도우 닫기",
      "Cerrar la ventana de esta pestaña", "關閉此標籤頁的視窗", "Fechar a Janela Desta Aba",
      "Chiudi la finestra di questo pannello"}},
    {"ctxGroupSameApp",
     {"Group All Windows of This App", "このアプリのすべてのウインドウをグループ化", "将此 App 的所有窗口编组",
      "Alle Fenster dieser App gruppieren", "Regrouper toutes les fenêtres de cette app",
      "이 앱의 모든 윈도우 그룹화", "Agrupar todas las ventanas de esta app", "將此 App 的所有視窗組成群組",
      "Agrupar Todas as Janelas Deste App", "Raggruppa tutte le finestre di questa app"}},
    {"tabColor",
     {"Tab Color", "タブの色", "标签页颜色", "Tabfarbe", "Couleur de l’onglet", "탭 색상", "Color de la pestaña",
      "標籤頁顏色", "Cor da Aba", "Colore pannello"}},

    // Accent menus
    {"ctxCustomColor",
     {"Custom Color…", "カスタムカラー…", "自定颜色…", "Eigene Farbe …", "Couleur personnalisée…",
      "사용자 설정 색상…", "Color personalizado…", "自訂顏色⋯", "Cor Personalizada…", "Colore personalizzato…"}},
    {"ctxClearColor",
     {"None (clear color)", "なし(色を消去)", "无（清除颜色）", "Keine (Farbe entfernen)",
      "Aucune (effacer la couleur)", "없음(색상 지우기)", "Ninguno (borrar color)", "無（清除顏色）",
      "Nenhuma (limpar cor)", "Nessuno (rimuovi colore)"}},
    {"ctxAutoColorRules",
     {"Auto-Color Rules…", "自動カラールール…", "自动颜色规则…", "Automatische Farbregeln …",
      "Règles de couleur automatique…", "자동 색상 규칙…", "Reglas de color automático…", "自動顏色規則⋯",
      "Regras de Cor Automática…", "Regole colore automatico…"}},

    // Names of the built-in colour presets
    {"colorRed",
     {"Red", "レッド", "红色", "Rot", "Rouge", "빨간색", "Rojo", "紅色", "Vermelho", "Rosso"}},
    {"colorOrange",
     {"Orange", "オレンジ", "橙色", "Orange", "Orange", "주황색", "Naranja", "橙色", "Laranja", "Arancione"}},
    {"colorYellow",
     {"Yellow", "イエロー", "黄色", "Gelb", "Jaune", "노란색", "Amarillo", "黃色", "Amarelo", "Giallo"}},
    {"colorGreen",
     {"Green", "グリーン", "绿色", "Grün", "Vert", "초록색", "Verde", "綠色", "Verde", "Verde"}},
    {"colorBlue",
     {"Blue", "ブルー", "蓝色", "Blau", "Bleu", "파란색", "Azul", "藍色", "Azul", "Blu"}},
    {"colorPurple",
     {"Purple", "パープル", "紫色", "Lila", "Violet", "보라색", "Morado", "紫色", "Roxo", "Viola"}},
    {"colorWhite",
     {"White", "ホワイト", "白色", "Weiß", "Blanc", "흰색", "Blanco", "白色", "Branco", "Bianco"}},
    {"colorBlack",
     {"Black", "ブラック", "黑色", "Schwarz", "Noir", "검은색", "Negro", "黑色", "Preto", "Nero"}},

    // Group-name dialog
    {"nameGroupDialogTitle",
     {"Name Group", "グループに名前を付ける", "命名组", "Gruppe benennen", "Nommer le groupe", "그룹 이름 지정",
      "Nombrar grupo", "為群組命名", "Nomear Grupo", "Assegna nome al gruppo"}},
    {"renameGroupDialogTitle",
     {"Rename Group", "グループ名を変更", "重命名组", "Gruppe umbenennen", "Renommer le groupe", "그룹 이름 변경",
      "Renombrar grupo", "重新命名群組", "Renomear Grupo", "Rinomina gruppo"}},
    {"nameGroupDialogHint",
     {"The name is shown at the left end of the tab bar.", "名前はタブバーの左端に表示されます。",
      "名称会显示在标签页栏的左端。", "Der Name wird am linken Ende der Tableiste angezeigt.",
      "Le nom s’affiche à gauche de la barre d’onglets.", "이름은 탭 막대의 왼쪽 끝에 표시됩니다.",
      "El nombre se muestra en el extremo izquierdo de la barra de pestañas.", "名稱會顯示在標籤頁列的左端。",
      "O nome é exibido na extremidade esquerda da barra de abas.",
      "Il nome viene mostrato all’estremità sinistra della barra dei pannelli."}},
    {"renameGroupDialogHint",
     {"Leave it blank to remove the name.", "空欄にすると名前が削除されます。", "留空即可移除名称。",
      "Leer lassen, um den Namen zu entfernen.", "Laissez vide pour supprimer le nom.",
      "비워 두면 이름이 제거됩니다.", "Déjalo en blanco para quitar el nombre.", "留空即可移除名稱。",
      "Deixe em branco para remover o nome.", "Lascia vuoto per rimuovere il nome."}},
    {"groupNamePlaceholder",
     {"Group name", "グループ名", "组名称", "Gruppenname", "Nom du groupe", "그룹 이름", "Nombre del grupo",
      "群組名稱", "Nome do grupo", "Nome del gruppo"}},
    {"ok", {"OK", "OK", "好", "OK", "OK", "확인", "Aceptar", "好", "OK", "OK"}},
    {"cancel",
     {"Cancel", "キャンセル", "取消", "Abbrechen", "Annuler", "취소", "Cancelar", "取消", "Cancelar", "Annulla"}},

    // Add-window menu
    {"pickerEmpty",
     {"No windows available to add", "追加できるウインドウがありません", "没有可添加的窗口",
      "Keine Fenster zum Hinzufügen verfügbar", "Aucune fenêtre à ajouter", "추가할 수 있는 윈도우가 없음",
      "No hay ventanas para añadir", "沒有可加入的視窗", "Nenhuma janela disponível para adicionar",
      "Nessuna finestra da aggiungere"}},

    // Status menu
    {"menuGrantAccessibility",
     {"Window Manager Needed…",
      "ウインドウマネージャが必要…",
      "需要窗口管理器…",
      "Fenstermanager erforderlich …",
      "Gestionnaire de fenêtres requis…",
      "윈도우 관리자 필요…",
      "Se necesita un gestor de ventanas…",
      "需要視窗管理員⋯",
      "Gerenciador de Janelas Necessário…",
      "Serve un gestore di finestre…"}},
    {"menuGroupsHeader",
     {"Groups", "グループ", "组", "Gruppen", "Groupes", "그룹", "Grupos", "群組", "Grupos", "Gruppi"}},
    {"menuNoGroups",
     {"No groups", "グループなし", "没有组", "Keine Gruppen", "Aucun groupe", "그룹 없음", "No hay grupos",
      "沒有群組", "Nenhum grupo", "Nessun gruppo"}},
    {"menuGroupRowTooltip",
     {"Bring this group to the front (switches workspace if needed)",
      "このグループを前面に表示(必要に応じてワークスペースを切り替えます)",
      "将此组移到最前面（必要时切换工作区）",
      "Diese Gruppe in den Vordergrund holen (wechselt bei Bedarf die Arbeitsfläche)",
      "Mettre ce groupe au premier plan (change d’espace de travail si nécessaire)",
      "이 그룹을 앞으로 가져오기(필요하면 작업 공간 전환)",
      "Traer este grupo al frente (cambia de área de trabajo si es necesario)",
      "將此群組移到最前面（必要時切換工作區）",
      "Trazer este grupo para a frente (muda de área de trabalho se necessário)",
      "Porta questo gruppo in primo piano (cambia area di lavoro se necessario)"}},
    {"menuDissolveAll",
     {"Dissolve All Groups", "すべてのグループを解除", "解散所有组", "Alle Gruppen auflösen",
      "Dissoudre tous les groupes", "모든 그룹 해제", "Disolver todos los grupos", "解散所有群組",
      "Desfazer Todos os Grupos", "Sciogli tutti i gruppi"}},
    {"menuAbout",
     {"About Tessaly", "Tessaly について", "关于 Tessaly", "Über Tessaly", "À propos de Tessaly", "Tessaly에 관하여",
      "Acerca de Tessaly", "關於 Tessaly", "Sobre o Tessaly", "Informazioni su Tessaly"}},
    {"menuQuit",
     {"Quit Tessaly", "Tessaly を終了", "退出 Tessaly", "Tessaly beenden", "Quitter Tessaly", "Tessaly 종료",
      "Salir de Tessaly", "結束 Tessaly", "Encerrar o Tessaly", "Esci da Tessaly"}},
    // The Control key as the keyboards of the language label it
    {"keyControl", {"Ctrl", "Ctrl", "Ctrl", "Strg", "Ctrl", "Ctrl", "Ctrl", "Ctrl", "Ctrl", "Ctrl"}},
    // The Shift key, named as the How To page's texts name it
    {"keyShift", {"Shift", "Shift", "Shift", "Umschalt", "Maj", "Shift", "Mayús", "Shift", "Shift", "Maiusc"}},
    // Named keys as Qt's own translations name them (its key sequence fields
    // and dialogs stand beside these)
    {"keySpace", {"Space", "Space", "空格", "Leertaste", "Espace", "Space", "Espacio", "空白鍵", "Espaço", "Spazio"}},
    {"keyBackspace",
     {"Backspace", "Backspace", "退格", "Rücktaste", "Effacement", "Backspace", "Borrar", "Backspace", "Backspace",
      "Backspace"}},
    {"keyDelete", {"Delete", "Delete", "Delete", "Entf", "Suppr", "Delete", "Suprimir", "Delete", "Delete", "Canc"}},
    {"keyInsert", {"Insert", "Insert", "Insert", "Einfg", "Inser", "Insert", "Insertar", "Insert", "Insert", "Ins"}},
    {"keyHome", {"Home", "Home", "Home", "Pos1", "Début", "Home", "Inicio", "Home", "Home", "Home"}},
    {"keyEnd", {"End", "End", "End", "Ende", "Fin", "End", "Fin", "End", "End", "Fine"}},
    {"keyPageUp",
     {"Page Up", "Page Up", "Page Up", "Bild aufwärts", "Page préc", "Page Up", "Re Pág", "Page Up", "Page Up",
      "Pag↑"}},
    {"keyPageDown",
     {"Page Down", "Page Down", "Page Down", "Bild abwärts", "Page suiv", "Page Down", "Av Pág", "Page Down",
      "Page Down", "Pag↓"}},

    // The program as the desktop's application menu lists it
    {"appGenericName",
     {"Window Tab Groups", "ウインドウのタブグループ", "窗口标签页组", "Fenster-Tabgruppen",
      "Groupes d’onglets de fenêtres", "윈도우 탭 그룹", "Grupos de pestañas de ventanas", "視窗標籤頁群組",
      "Grupos de abas de janelas", "Gruppi di pannelli di finestre"}},
    {"appComment",
     {"Group the windows of any applications into tabs", "どのアプリのウインドウもタブにまとめます",
      "将任意 App 的窗口合并为标签页", "Fenster beliebiger Apps in Tabs gruppieren",
      "Regroupez en onglets les fenêtres de n’importe quelle app", "모든 앱의 윈도우를 탭으로 묶습니다",
      "Agrupa en pestañas las ventanas de cualquier app", "將任何 App 的視窗合併為標籤頁",
      "Agrupe em abas as janelas de qualquer app", "Raggruppa in pannelli le finestre di qualsiasi app"}},

    // Status line
    {"statusStageManagerBlocked",
     {"⚠️ Paused — Stage Manager is on (restart after disabling)",
      "⚠️ 一時停止中 — ステージマネージャがオンです(オフにしてから再起動してください)",
      "⚠️ 已暂停 — 台前调度已开启（关闭后请重新启动）",
      "⚠️ Angehalten – Stage Manager ist aktiv (nach dem Deaktivieren neu starten)",
      "⚠️ En pause — Stage Manager est activé (redémarrez après l’avoir désactivé)",
      "⚠️ 일시 정지됨 — 스테이지 매니저가 켜져 있음(끈 후 다시 시작)",
      "⚠️ En pausa — el Organizador visual está activado (reinicia tras desactivarlo)",
      "⚠️ 已暫停 — 幕前調度已開啟（關閉後請重新啟動）",
      "⚠️ Pausado — o Organizador Visual está ativado (reinicie após desativá-lo)",
      "⚠️ In pausa — Stage Manager è attivo (riavvia dopo averlo disattivato)"}},
    {"statusNotTrusted",
     {"⚠️ No window manager with EWMH support",
      "⚠️ EWMH 対応のウインドウマネージャがありません",
      "⚠️ 没有支持 EWMH 的窗口管理器",
      "⚠️ Kein Fenstermanager mit EWMH-Unterstützung",
      "⚠️ Aucun gestionnaire de fenêtres compatible EWMH",
      "⚠️ EWMH를 지원하는 윈도우 관리자가 없음",
      "⚠️ No hay un gestor de ventanas compatible con EWMH",
      "⚠️ 沒有支援 EWMH 的視窗管理員",
      "⚠️ Nenhum gerenciador de janelas compatível com EWMH",
      "⚠️ Nessun gestore di finestre compatibile con EWMH"}},
    {"statusRunning",
     {"Running", "稼働中", "运行中", "Läuft", "Actif", "실행 중", "En ejecución", "執行中", "Em execução",
      "In esecuzione"}},
    {"statusEventTapDead",
     {"⚠️ Drag detection stopped (please restart the app)", "⚠️ ドラッグ検出が停止しました(アプリを再起動してください)",
      "⚠️ 拖移检测已停止（请重新启动 App）", "⚠️ Zieherkennung gestoppt (bitte die App neu starten)",
      "⚠️ Détection du glissement arrêtée (redémarrez l’app)", "⚠️ 드래그 감지 중단됨(앱을 다시 시작하십시오)",
      "⚠️ Detección de arrastre detenida (reinicia la app)", "⚠️ 拖移偵測已停止（請重新啟動 App）",
      "⚠️ Detecção de arraste parada (reinicie o app)", "⚠️ Rilevamento trascinamento interrotto (riavvia l’app)"}},
    {"statusStopped",
     {"Stopped", "停止中", "已停止", "Gestoppt", "Arrêté", "중단됨", "Detenido", "已停止", "Parado",
      "Interrotto"}},

    // Alerts of the application shell
    {"stageManagerAlertTitle",
     {"Stage Manager is on", "ステージマネージャがオンです", "台前调度已开启", "Stage Manager ist aktiv",
      "Stage Manager est activé", "스테이지 매니저가 켜져 있음", "El Organizador visual está activado",
      "幕前調度已開啟", "O Organizador Visual está ativado", "Stage Manager è attivo"}},
    {"stageManagerAlertBody",
     {"Tessaly can’t run alongside Stage Manager, so grouping has stopped. Disable Stage Manager in System "
      "Settings, then restart the app.",
      "Tessaly はステージマネージャと同時に使用できないため、グループ化を停止しました。システム設定でステージマネージャを"
      "オフにしてから、アプリを再起動してください。",
      "Tessaly 无法与台前调度同时运行，因此已停止编组。请在“系统设置”中关闭台前调度，然后重新启动 App。",
      "Tessaly kann nicht zusammen mit Stage Manager laufen, daher wurde das Gruppieren gestoppt. Deaktivieren Sie "
      "Stage Manager in den Systemeinstellungen und starten Sie die App dann neu.",
      "Tessaly ne peut pas fonctionner avec Stage Manager, le regroupement est donc arrêté. Désactivez Stage "
      "Manager dans Réglages Système, puis redémarrez l’app.",
      "Tessaly는 스테이지 매니저와 함께 실행할 수 없으므로 그룹화가 중단되었습니다. 시스템 설정에서 스테이지 매니저를 끈 "
      "다음 앱을 다시 시작하십시오.",
      "Tessaly no puede funcionar junto con el Organizador visual, así que la agrupación se ha detenido. Desactiva "
      "el Organizador visual en Ajustes del Sistema y reinicia la app.",
      "Tessaly 無法與幕前調度同時執行，因此已停止分組。請在「系統設定」中關閉幕前調度，然後重新啟動 App。",
      "O Tessaly não pode ser executado junto com o Organizador Visual, por isso o agrupamento foi interrompido. "
      "Desative o Organizador Visual nos Ajustes do Sistema e reinicie o app.",
      "Tessaly non può funzionare insieme a Stage Manager, quindi il raggruppamento è stato interrotto. Disattiva "
      "Stage Manager in Impostazioni di Sistema, poi riavvia l’app."}},
    {"updateDetachAlertBody",
     {"They are out of reach of the updated app — on another Space (full screen, say) or behind another tab. "
      "Update now and they leave their groups, or cancel, bring them to the front on this Space, and update again.",
      "これらのウインドウは別の操作スペース(フルスクリーンなど)か別のタブの後ろにあるため、アップデート後のアプリから"
      "操作できません。今すぐアップデートするとグループから外れます。キャンセルして、この操作スペースで前面に表示してから、"
      "もう一度アップデートすることもできます。",
      "这些窗口位于其他空间（例如全屏）或其他标签页之后，更新后的 App 无法访问它们。现在更新会使它们离开所在的组；"
      "也可以取消，在此空间中将它们移到最前面，然后再次更新。",
      "Diese Fenster sind für die aktualisierte App nicht erreichbar – sie liegen in einem anderen Space (etwa im "
      "Vollbildmodus) oder hinter einem anderen Tab. Wenn Sie jetzt aktualisieren, werden sie aus ihren Gruppen "
      "gelöst. Oder brechen Sie ab, holen Sie sie in diesem Space nach vorne und aktualisieren Sie dann erneut.",
      "Ces fenêtres sont hors de portée de l’app mise à jour — sur un autre bureau (en plein écran, par exemple) ou "
      "derrière un autre onglet. Mettez à jour maintenant et elles quitteront leurs groupes, ou annulez, amenez-les "
      "au premier plan sur ce bureau, puis relancez la mise à jour.",
      "이 윈도우들은 다른 스페이스(예: 전체 화면)에 있거나 다른 탭 뒤에 있어 업데이트된 앱에서 다룰 수 없습니다. 지금 "
      "업데이트하면 그룹에서 분리됩니다. 취소하고 이 스페이스에서 앞으로 가져온 다음 다시 업데이트할 수도 있습니다.",
      "Quedan fuera del alcance de la app actualizada: están en otro espacio (a pantalla completa, por ejemplo) o "
      "detrás de otra pestaña. Si actualizas ahora, saldrán de sus grupos; o bien cancela, tráelas al frente en "
      "este espacio y vuelve a actualizar.",
      "這些視窗位於其他空間（例如全螢幕）或其他標籤頁之後，更新後的 App 無法存取它們。現在更新會使它們離開所屬的群組；"
      "也可以取消，在此空間將它們移到最前面，然後再次更新。",
      "Essas janelas estão fora do alcance do app atualizado — em outro Espaço (em tela cheia, por exemplo) ou "
      "atrás de outra aba. Atualize agora e elas sairão dos seus grupos, ou cancele, traga-as para a frente neste "
      "Espaço e atualize novamente.",
      "Queste finestre sono fuori dalla portata dell’app aggiornata — su un altro spazio (a tutto schermo, per "
      "esempio) o dietro un altro pannello. Aggiorna ora e usciranno dai loro gruppi, oppure annulla, portale in "
      "primo piano su questo spazio e aggiorna di nuovo."}},
    {"restartDetachAlertBody",
     {"They are out of reach of the restarted app — on another workspace (full screen, say) or behind another tab. "
      "Restart now and they leave their groups, or cancel, bring them to the front on this workspace, and restart "
      "again.",
      "これらのウインドウは別のワークスペース(フルスクリーンなど)か別のタブの後ろにあるため、再起動後のアプリから操作"
      "できません。今すぐ再起動するとグループから外れます。キャンセルして、このワークスペースで前面に表示してから、も"
      "う一度再起動することもできます。",
      "这些窗口位于其他工作区（例如全屏）或其他标签页之后，重新启动后的 App "
      "无法访问它们。现在重新启动会使它们离开所在的组；也可以取消，在此工作区中将它们移到最前面，然后再次重新启动。",
      "Diese Fenster sind für die neu gestartete App nicht erreichbar – sie liegen auf einer anderen Arbeitsfläche "
      "(etwa im Vollbildmodus) oder hinter einem anderen Tab. Wenn Sie jetzt neu starten, werden sie aus ihren "
      "Gruppen gelöst. Oder brechen Sie ab, holen Sie sie auf dieser Arbeitsfläche nach vorne und starten Sie die "
      "App dann neu.",
      "Ces fenêtres sont hors de portée de l’app redémarrée — sur un autre espace de travail (en plein écran, par "
      "exemple) ou derrière un autre onglet. Redémarrez maintenant et elles quitteront leurs groupes, ou annulez, "
      "amenez-les au premier plan sur cet espace de travail, puis redémarrez à nouveau.",
      "이 윈도우들은 다른 작업 공간(예: 전체 화면)에 있거나 다른 탭 뒤에 있어 다시 시작된 앱에서 다룰 수 없습니다. "
      "지금 다시 시작하면 그룹에서 분리됩니다. 취소하고 이 작업 공간에서 앞으로 가져온 다음 다시 시작할 수도 "
      "있습니다.",
      "Quedan fuera del alcance de la app reiniciada: están en otra área de trabajo (a pantalla completa, por "
      "ejemplo) o detrás de otra pestaña. Si reinicias ahora, saldrán de sus grupos; o bien cancela, tráelas al "
      "frente en esta área de trabajo y vuelve a reiniciar.",
      "這些視窗位於其他工作區（例如全螢幕）或其他標籤頁之後，重新啟動後的 App "
      "無法存取它們。現在重新啟動會使它們離開所屬的群組；也可以取消，在此工作區將它們移到最前面，然後再次重新啟動。",
      "Essas janelas estão fora do alcance do app reiniciado — em outra área de trabalho (em tela cheia, por "
      "exemplo) ou atrás de outra aba. Reinicie agora e elas sairão dos seus grupos, ou cancele, traga-as para a "
      "frente nesta área de trabalho e reinicie novamente.",
      "Queste finestre sono fuori dalla portata dell’app riavviata — su un’altra area di lavoro (a tutto schermo, "
      "per esempio) o dietro un altro pannello. Riavvia ora e usciranno dai loro gruppi, oppure annulla, portale in "
      "primo piano su quest’area di lavoro e riavvia di nuovo."}},
    {"updateDetachAlertContinue",
     {"Update Anyway", "それでもアップデート", "仍然更新", "Trotzdem aktualisieren", "Mettre à jour quand même",
      "그래도 업데이트", "Actualizar de todos modos", "仍要更新", "Atualizar Mesmo Assim", "Aggiorna comunque"}},
    {"restartDetachAlertContinue",
     {"Restart Anyway", "それでも再起動", "仍然重新启动", "Trotzdem neu starten", "Redémarrer quand même",
      "그래도 다시 시작", "Reiniciar de todos modos", "仍要重新啟動", "Reiniciar Mesmo Assim", "Riavvia comunque"}},
    {"relaunchDetachAlertCancel",
     {"Cancel", "キャンセル", "取消", "Abbrechen", "Annuler", "취소", "Cancelar", "取消", "Cancelar", "Annulla"}},

    // Onboarding window
    {"onboardingTitle",
     {"Welcome to Tessaly", "Tessaly へようこそ", "欢迎使用 Tessaly", "Willkommen bei Tessaly",
      "Bienvenue dans Tessaly", "Tessaly에 오신 것을 환영합니다", "Te damos la bienvenida a Tessaly",
      "歡迎使用 Tessaly", "Boas-vindas ao Tessaly", "Benvenuto in Tessaly"}},
    {"onboardingBody",
     {"To group windows into tabs,\nTessaly needs a window manager with EWMH support.\nIt starts automatically once "
      "one is running.",
      "ウインドウをタブにまとめるには、\nEWMH 対応のウインドウマネージャが必要です。\nウインドウマネージャが動作する"
      "と自動的に開始します。",
      "要将窗口编组为标签页，\nTessaly 需要支持 EWMH 的窗口管理器。\n窗口管理器运行后会自动开始。",
      "Um Fenster in Tabs zu gruppieren,\nbenötigt Tessaly einen Fenstermanager mit EWMH-Unterstützung.\nSobald "
      "einer läuft, startet es automatisch.",
      "Pour regrouper des fenêtres en onglets,\nTessaly a besoin d’un gestionnaire de fenêtres compatible EWMH.\nIl "
      "démarre automatiquement dès qu’un tel gestionnaire est lancé.",
      "윈도우를 탭으로 묶으려면\nTessaly에 EWMH를 지원하는 윈도우 관리자가 필요합니다.\n윈도우 관리자가 실행되면 "
      "자동으로 시작됩니다.",
      "Para agrupar ventanas en pestañas,\nTessaly necesita un gestor de ventanas compatible con EWMH.\nSe iniciará "
      "automáticamente en cuanto haya uno en marcha.",
      "若要將視窗組成標籤頁，\nTessaly 需要支援 EWMH 的視窗管理員。\n視窗管理員執行後會自動開始。",
      "Para agrupar janelas em abas,\no Tessaly precisa de um gerenciador de janelas compatível com EWMH.\nEle "
      "inicia automaticamente quando houver um em execução.",
      "Per raggruppare le finestre in pannelli,\nTessaly ha bisogno di un gestore di finestre compatibile con "
      "EWMH.\nSi avvia automaticamente non appena ne è in esecuzione uno."}},
    {"onboardingGrantButton",
     {"Grant Accessibility in System Settings…", "システム設定でアクセシビリティを許可…",
      "在系统设置中授予辅助功能权限…", "Bedienungshilfen in den Systemeinstellungen erlauben …",
      "Autoriser l’accessibilité dans Réglages Système…", "시스템 설정에서 손쉬운 사용 권한 허용…",
      "Conceder accesibilidad en Ajustes del Sistema…", "在系統設定中授予輔助使用權限⋯",
      "Permitir Acessibilidade nos Ajustes do Sistema…", "Consenti accessibilità in Impostazioni di Sistema…"}},
});

}  // namespace

std::span<const CatalogEntry> overlayCatalog() { return kOverlayTexts; }

TESSALY_L10N_TEXT(kOverlayTexts, untitledTab)
TESSALY_L10N_TEXT(kOverlayTexts, addWindowTooltip)
TESSALY_L10N_TEXT(kOverlayTexts, moveToDisplayTooltip)
TESSALY_L10N_TEXT(kOverlayTexts, moveToDisplayHeader)
TESSALY_L10N_TEXT(kOverlayTexts, groupLockedHint)
TESSALY_L10N_TEXT(kOverlayTexts, detachTooltip)
TESSALY_L10N_TEXT(kOverlayTexts, dropOntoLockedGroup)
TESSALY_L10N_TEXT(kOverlayTexts, ctxNameGroup)
TESSALY_L10N_TEXT(kOverlayTexts, ctxRenameGroup)
TESSALY_L10N_TEXT(kOverlayTexts, ctxGroupColor)
TESSALY_L10N_TEXT(kOverlayTexts, ctxMoveToDisplay)
TESSALY_L10N_TEXT(kOverlayTexts, ctxLockGroup)
TESSALY_L10N_TEXT(kOverlayTexts, ctxUnlockGroup)
TESSALY_L10N_TEXT(kOverlayTexts, ctxUngroup)
TESSALY_L10N_TEXT(kOverlayTexts, ctxCloseGroup)
TESSALY_L10N_TEXT(kOverlayTexts, menuSettings)
TESSALY_L10N_TEXT(kOverlayTexts, ctxPopOut)
TESSALY_L10N_TEXT(kOverlayTexts, ctxCloseTab)
TESSALY_L10N_TEXT(kOverlayTexts, ctxGroupSameApp)
TESSALY_L10N_TEXT(kOverlayTexts, tabColor)
TESSALY_L10N_TEXT(kOverlayTexts, ctxCustomColor)
TESSALY_L10N_TEXT(kOverlayTexts, ctxClearColor)
TESSALY_L10N_TEXT(kOverlayTexts, ctxAutoColorRules)
TESSALY_L10N_TEXT(kOverlayTexts, colorRed)
TESSALY_L10N_TEXT(kOverlayTexts, colorOrange)
TESSALY_L10N_TEXT(kOverlayTexts, colorYellow)
TESSALY_L10N_TEXT(kOverlayTexts, colorGreen)
TESSALY_L10N_TEXT(kOverlayTexts, colorBlue)
TESSALY_L10N_TEXT(kOverlayTexts, colorPurple)
TESSALY_L10N_TEXT(kOverlayTexts, colorWhite)
TESSALY_L10N_TEXT(kOverlayTexts, colorBlack)
TESSALY_L10N_TEXT(kOverlayTexts, nameGroupDialogTitle)
TESSALY_L10N_TEXT(kOverlayTexts, renameGroupDialogTitle)
TESSALY_L10N_TEXT(kOverlayTexts, nameGroupDialogHint)
TESSALY_L10N_TEXT(kOverlayTexts, renameGroupDialogHint)
TESSALY_L10N_TEXT(kOverlayTexts, groupNamePlaceholder)
TESSALY_L10N_TEXT(kOverlayTexts, ok)
TESSALY_L10N_TEXT(kOverlayTexts, cancel)
TESSALY_L10N_TEXT(kOverlayTexts, pickerEmpty)
TESSALY_L10N_TEXT(kOverlayTexts, menuGrantAccessibility)
TESSALY_L10N_TEXT(kOverlayTexts, menuGroupsHeader)
TESSALY_L10N_TEXT(kOverlayTexts, menuNoGroups)
TESSALY_L10N_TEXT(kOverlayTexts, menuGroupRowTooltip)
TESSALY_L10N_TEXT(kOverlayTexts, menuDissolveAll)
TESSALY_L10N_TEXT(kOverlayTexts, menuAbout)
TESSALY_L10N_TEXT(kOverlayTexts, menuQuit)
TESSALY_L10N_TEXT(kOverlayTexts, appGenericName)
TESSALY_L10N_TEXT(kOverlayTexts, appComment)
TESSALY_L10N_TEXT(kOverlayTexts, keyControl)
TESSALY_L10N_TEXT(kOverlayTexts, keyShift)
TESSALY_L10N_TEXT(kOverlayTexts, keySpace)
TESSALY_L10N_TEXT(kOverlayTexts, keyBackspace)
TESSALY_L10N_TEXT(kOverlayTexts, keyDelete)
TESSALY_L10N_TEXT(kOverlayTexts, keyInsert)
TESSALY_L10N_TEXT(kOverlayTexts, keyHome)
TESSALY_L10N_TEXT(kOverlayTexts, keyEnd)
TESSALY_L10N_TEXT(kOverlayTexts, keyPageUp)
TESSALY_L10N_TEXT(kOverlayTexts, keyPageDown)
TESSALY_L10N_TEXT(kOverlayTexts, statusStageManagerBlocked)
TESSALY_L10N_TEXT(kOverlayTexts, statusNotTrusted)
TESSALY_L10N_TEXT(kOverlayTexts, statusRunning)
TESSALY_L10N_TEXT(kOverlayTexts, statusEventTapDead)
TESSALY_L10N_TEXT(kOverlayTexts, statusStopped)
TESSALY_L10N_TEXT(kOverlayTexts, stageManagerAlertTitle)
TESSALY_L10N_TEXT(kOverlayTexts, stageManagerAlertBody)
TESSALY_L10N_TEXT(kOverlayTexts, updateDetachAlertBody)
TESSALY_L10N_TEXT(kOverlayTexts, restartDetachAlertBody)
TESSALY_L10N_TEXT(kOverlayTexts, updateDetachAlertContinue)
TESSALY_L10N_TEXT(kOverlayTexts, restartDetachAlertContinue)
TESSALY_L10N_TEXT(kOverlayTexts, relaunchDetachAlertCancel)
TESSALY_L10N_TEXT(kOverlayTexts, onboardingTitle)
TESSALY_L10N_TEXT(kOverlayTexts, onboardingBody)
TESSALY_L10N_TEXT(kOverlayTexts, onboardingGrantButton)

}  // namespace tessaly::L10n
