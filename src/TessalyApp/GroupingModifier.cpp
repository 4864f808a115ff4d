#include "TessalyApp/GroupingModifier.h"

#include "TessalyCore/KeyComboDisplay.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

GroupingModifier GroupingModifier::choose(ModifierGate asked, bool chosenByUser, bool windowManagerTakesShift) {
    const bool replaced = windowManagerTakesShift && !chosenByUser && asked == ModifierGate::shift;
    return {asked, replaced ? fallback : asked, windowManagerTakesShift};
}

namespace L10n {

namespace {

constexpr std::array<CatalogEntry, 3> kGroupingModifierTexts{{
    {"modifierShiftFallback",
     {"The window manager drops a window dragged with Shift into its own tiles, so Ctrl groups windows until you "
      "choose a key.",
      "ウインドウマネージャが Shift キーでドラッグしたウインドウを独自のタイルに配置するため、キーを選ぶまでは Ctrl "
      "キーでグループ化します。",
      "窗口管理器会把按住 Shift 拖移的窗口放入它自己的平铺区域，因此在你选择按键之前，用 Ctrl 键编组。",
      "Der Fenstermanager legt ein mit Umschalt gezogenes Fenster in seine eigenen Kacheln; bis Sie eine Taste "
      "wählen, gruppiert daher Strg.",
      "Le gestionnaire de fenêtres place une fenêtre glissée avec Maj dans ses propres tuiles\u00A0: tant que vous "
      "n’avez pas choisi de touche, Ctrl sert à regrouper.",
      "윈도우 관리자가 Shift 키를 누른 채 드래그한 윈도우를 자체 타일에 배치하므로, 키를 선택하기 전까지는 Ctrl "
      "키로 그룹화합니다.",
      "El gestor de ventanas coloca en sus propios mosaicos una ventana arrastrada con Mayús, así que Ctrl agrupa "
      "hasta que elijas una tecla.",
      "視窗管理員會把按住 Shift 拖移的視窗放入它自己的並排區域，因此在你選擇按鍵之前，用 Ctrl 鍵分組。",
      "O gerenciador de janelas coloca uma janela arrastada com Shift nos próprios blocos, então Ctrl agrupa até "
      "você escolher uma tecla.",
      "Il gestore di finestre mette una finestra trascinata con Maiusc nei propri riquadri, quindi Ctrl raggruppa "
      "finché non scegli un tasto."}},
    {"modifierShiftTaken",
     {"⚠️ The window manager takes Shift-drags for its own tiles: choose Ctrl to group windows here.",
      "⚠️ ウインドウマネージャが Shift ドラッグを独自のタイル配置に使います。ここでグループ化するには Ctrl "
      "を選んでください。",
      "⚠️ 窗口管理器将 Shift 拖移用于它自己的平铺：要在此编组窗口，请选择 Ctrl。",
      "⚠️ Der Fenstermanager nutzt das Ziehen mit Umschalt für seine eigenen Kacheln: Wählen Sie Strg, um hier "
      "Fenster zu gruppieren.",
      "⚠️ Le gestionnaire de fenêtres utilise le glisser avec Maj pour ses propres tuiles\u00A0: choisissez Ctrl "
      "pour regrouper des fenêtres ici.",
      "⚠️ 윈도우 관리자가 Shift-드래그를 자체 타일 배치에 사용합니다. 여기서 윈도우를 그룹화하려면 Ctrl을 "
      "선택하세요.",
      "⚠️ El gestor de ventanas usa el arrastre con Mayús para sus propios mosaicos: elige Ctrl para agrupar "
      "ventanas aquí.",
      "⚠️ 視窗管理員將 Shift 拖移用於它自己的並排：要在此將視窗分組，請選擇 Ctrl。",
      "⚠️ O gerenciador de janelas usa o arrastar com Shift para os próprios blocos: escolha Ctrl para agrupar "
      "janelas aqui.",
      "⚠️ Il gestore di finestre usa il trascinamento con Maiusc per i propri riquadri: scegli Ctrl per "
      "raggruppare le finestre qui."}},
    // How a group is made, where another key than Shift groups.
    {"howToCreateBodyHolding",
     {"Hold {key} and drag a window onto another; drop it when the preview appears.",
      "{key} キーを押しながらウインドウを別のウインドウにドラッグし、プレビューが表示されたらドロップします。",
      "按住 {key} 键并将一个窗口拖到另一个窗口上，出现预览时松开。",
      "Halten Sie die Taste {key} gedrückt und ziehen Sie ein Fenster auf ein anderes. Lassen Sie es los, sobald "
      "die Vorschau erscheint.",
      "Maintenez la touche {key} enfoncée et faites glisser une fenêtre sur une autre, puis relâchez-la quand "
      "l’aperçu apparaît.",
      "{key} 키를 누른 채 윈도우를 다른 윈도우 위로 드래그하고 미리보기가 나타나면 놓습니다.",
      "Mantén pulsada la tecla {key} y arrastra una ventana sobre otra; suéltala cuando aparezca la vista "
      "previa.",
      "按住 {key} 鍵並將一個視窗拖到另一個視窗上，出現預覽時放開。",
      "Mantenha a tecla {key} pressionada e arraste uma janela sobre outra; solte-a quando a pré-visualização "
      "aparecer.",
      "Tieni premuto {key} e trascina una finestra su un’altra; rilasciala quando compare l’anteprima."}},
}};

}  // namespace

TESSALY_L10N_TEXT(kGroupingModifierTexts, modifierShiftFallback)
TESSALY_L10N_TEXT(kGroupingModifierTexts, modifierShiftTaken)

std::span<const CatalogEntry> groupingModifierCatalog() { return kGroupingModifierTexts; }

std::string groupingKeyName(ModifierGate gate) {
    switch (gate) {
        case ModifierGate::control: return modifierName(HotkeyModifiers::control);
        case ModifierGate::option: return modifierName(HotkeyModifiers::option);
        case ModifierGate::shift:
        case ModifierGate::none: break;
    }
    return keyShift();
}

std::string howToCreateBody(ModifierGate inForce) {
    // With no key asked for, holding Shift still groups: the page keeps its
    // usual words.
    if (inForce == ModifierGate::shift || inForce == ModifierGate::none) return howToCreateBody();
    const auto& row = kGroupingModifierTexts[catalogIndex(kGroupingModifierTexts, "howToCreateBodyHolding")];
    const std::string key = groupingKeyName(inForce);
    return substitute(localized(row), {{"{key}", key}});
}

}  // namespace L10n

}  // namespace tessaly
