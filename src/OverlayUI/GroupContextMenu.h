#pragma once
// The menus of a tab bar that are shared between a tab's and the bar's
// context menus: the accent submenu, the display rows and the group
// section.
#include <functional>
#include <optional>
#include <vector>

#include "OverlayUI/DisplayMoveTarget.h"
#include "OverlayUI/MenuModel.h"
#include "TessalyCore/ColorPreset.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

namespace AccentMenu {

// The colour submenu: the built-in presets (the one equal to `current`
// checked), the user's presets after a separator when there are any, a
// separator, "Custom Color…", "None (clear color)" (enabled only with a
// current colour) and, when `onAutoColorRules` is given, a separator and
// "Auto-Color Rules…".
MenuModel make(const std::optional<TabColor>& current, const std::vector<ColorPreset>& presets,
               std::function<void(std::optional<TabColor>)> onSet, std::function<void()> onCustom,
               std::function<void()> onAutoColorRules = nullptr);

}  // namespace AccentMenu

// The group section of a context menu.
struct GroupContextMenu {
    bool isLocked = false;
    std::optional<TabColor> groupAccent;
    std::vector<ColorPreset> presets;
    bool hasGroupName = false;
    std::vector<DisplayMoveTarget> displayMoveTargets;
    std::function<void()> onRename;
    std::function<void()> onToggleLock;
    std::function<void(std::optional<TabColor>)> onSetGroupAccent;
    std::function<void()> onCustomGroupAccent;
    std::function<void()> onUngroup;
    std::function<void()> onCloseGroup;
    std::function<void()> onOpenSettings;
    std::function<void(int)> onMoveToDisplay;
};

// Appends name/rename, the group colour submenu, the display submenu (when
// there are targets), lock/unlock, dissolve and close-all (disabled while
// locked) and settings, with separators between.
void appendGroupScopeItems(MenuModel& menu, const GroupContextMenu& group);

// One row per display: checked and disabled for the current one; choosing
// a row calls `move` with its index.
void appendDisplayMoveRows(MenuModel& menu, const std::vector<DisplayMoveTarget>& targets,
                           const std::function<void(int)>& move);

}  // namespace tessaly
