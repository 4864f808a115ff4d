#include "OverlayUI/TabBarMenus.h"

#include "TessalyCore/L10n.h"

namespace tessaly::TabBarMenus {

MenuItem menuCaption(std::string text) {
    MenuItem caption;
    caption.title = std::move(text);
    caption.enabled = false;
    return caption;
}

MenuModel moveToDisplayMenu(const std::vector<DisplayMoveTarget>& targets, const std::function<void(int)>& move) {
    MenuModel menu;
    if (targets.empty()) return menu;
    menu.append(menuCaption(L10n::moveToDisplayHeader()));
    menu.append(MenuItem::separator());
    appendDisplayMoveRows(menu, targets, move);
    return menu;
}

MenuModel barContextMenu(const GroupContextMenu& group) {
    MenuModel menu;
    appendGroupScopeItems(menu, group);
    return menu;
}

}  // namespace tessaly::TabBarMenus
