#pragma once
// The context menu of one tab: pop out, close, gather the application's
// windows, the tab's colour submenu, then the group section.
#include <functional>
#include <optional>

#include "OverlayUI/GroupContextMenu.h"
#include "OverlayUI/MenuModel.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

struct TabContextMenu {
    std::optional<TabColor> accent;  // the tab's own accent
    // Whether the tab's application has other windows to gather; not asked
    // while the group is locked.
    std::function<bool()> hasSameAppCandidates;
    std::function<void()> onPopOut;
    std::function<void()> onClose;
    std::function<void()> onGroupSameApp;
    std::function<void(std::optional<TabColor>)> onSetAccent;
    std::function<void()> onCustomAccent;
    std::function<void()> onOpenAutoColorRules;
    GroupContextMenu group;  // its isLocked is the group's lock

    MenuModel make() const;
};

}  // namespace tessaly
