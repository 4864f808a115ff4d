#include "OverlayUI/GroupContextMenu.h"

#include "OverlayUI/TabAccents.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

// Runs a callback that may be empty.
template <typename Fn, typename... Args>
void call(const Fn& fn, Args&&... args) {
    if (fn) fn(std::forward<Args>(args)...);
}

MenuItem presetItem(const ColorPreset& preset, const std::optional<TabColor>& current,
                    const std::function<void(std::optional<TabColor>)>& onSet) {
    MenuItem item = MenuItem::closure(preset.name, [onSet, color = preset.color] { call(onSet, color); });
    item.swatch = preset.color;
    item.checked = current && *current == preset.color;
    return item;
}

}  // namespace

MenuModel AccentMenu::make(const std::optional<TabColor>& current, const std::vector<ColorPreset>& presets,
                           std::function<void(std::optional<TabColor>)> onSet, std::function<void()> onCustom,
                           std::function<void()> onAutoColorRules) {
    MenuModel menu;
    for (const ColorPreset& preset : TabAccents::builtInColorPresets()) menu.append(presetItem(preset, current, onSet));
    if (!presets.empty()) {
        menu.append(MenuItem::separator());
        for (const ColorPreset& preset : presets) menu.append(presetItem(preset, current, onSet));
    }
    menu.append(MenuItem::separator());
    menu.append(MenuItem::closure(L10n::ctxCustomColor(), [onCustom] { call(onCustom); }));
    MenuItem clear = MenuItem::closure(L10n::ctxClearColor(), [onSet] { call(onSet, std::optional<TabColor>()); });
    clear.enabled = current.has_value();
    menu.append(std::move(clear));
    if (onAutoColorRules) {
        menu.append(MenuItem::separator());
        menu.append(MenuItem::closure(L10n::ctxAutoColorRules(), std::move(onAutoColorRules)));
    }
    return menu;
}

void appendDisplayMoveRows(MenuModel& menu, const std::vector<DisplayMoveTarget>& targets,
                           const std::function<void(int)>& move) {
    for (const DisplayMoveTarget& target : targets) {
        MenuItem row = MenuItem::closure(target.name, [move, index = target.index] { call(move, index); });
        row.enabled = !target.isCurrent;
        row.checked = target.isCurrent;
        menu.append(std::move(row));
    }
}

void appendGroupScopeItems(MenuModel& menu, const GroupContextMenu& group) {
    menu.append(MenuItem::closure(group.hasGroupName ? L10n::ctxRenameGroup() : L10n::ctxNameGroup(),
                                  [fn = group.onRename] { call(fn); }));
    menu.append(MenuItem::withSubmenu(L10n::ctxGroupColor(),
                                      AccentMenu::make(group.groupAccent, group.presets, group.onSetGroupAccent,
                                                       group.onCustomGroupAccent)
                                          .items));
    if (!group.displayMoveTargets.empty()) {
        MenuModel rows;
        appendDisplayMoveRows(rows, group.displayMoveTargets, group.onMoveToDisplay);
        menu.append(MenuItem::withSubmenu(L10n::ctxMoveToDisplay(), std::move(rows.items)));
    }
    menu.append(MenuItem::separator());
    menu.append(MenuItem::closure(group.isLocked ? L10n::ctxUnlockGroup() : L10n::ctxLockGroup(),
                                  [fn = group.onToggleLock] { call(fn); }));
    menu.append(MenuItem::separator());
    MenuItem ungroup = MenuItem::closure(L10n::ctxUngroup(), [fn = group.onUngroup] { call(fn); });
    ungroup.enabled = !group.isLocked;
    menu.append(std::move(ungroup));
    MenuItem closeAll = MenuItem::closure(L10n::ctxCloseGroup(), [fn = group.onCloseGroup] { call(fn); });
    closeAll.enabled = !group.isLocked;
    menu.append(std::move(closeAll));
    menu.append(MenuItem::separator());
    menu.append(MenuItem::closure(L10n::menuSettings(), [fn = group.onOpenSettings] { call(fn); }));
}

}  // namespace tessaly
