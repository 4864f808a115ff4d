#include "OverlayUI/TabContextMenu.h"

#include "TessalyCore/L10n.h"

namespace tessaly {

MenuModel TabContextMenu::make() const {
    const auto run = [](const std::function<void()>& fn) {
        return [fn] {
            if (fn) fn();
        };
    };
    MenuModel menu;
    menu.append(MenuItem::closure(L10n::ctxPopOut(), run(onPopOut)));
    menu.append(MenuItem::closure(L10n::ctxCloseTab(), run(onClose)));
    MenuItem sameApp = MenuItem::closure(L10n::ctxGroupSameApp(), run(onGroupSameApp));
    sameApp.enabled = !group.isLocked && (!hasSameAppCandidates || hasSameAppCandidates());
    menu.append(std::move(sameApp));
    menu.append(MenuItem::withSubmenu(
        L10n::tabColor(), AccentMenu::make(accent, group.presets, onSetAccent, onCustomAccent,
                                           onOpenAutoColorRules ? std::function<void()>(run(onOpenAutoColorRules)) : nullptr)
                              .items));
    menu.append(MenuItem::separator());
    appendGroupScopeItems(menu, group);
    return menu;
}

}  // namespace tessaly
