#pragma once
// The menus a tab bar offers besides its tabs' own: the move button's menu
// of displays and the bar's context menu (right click outside the tabs).
// Models only; the toolkit half pops them up (and sanitises and escapes
// their foreign texts: display and group names).
//
// The bar view builds them when the click comes, from its current state and
// providers, with actions that reach it weakly:
//
//   move button clicked   -> moveToDisplayMenu(displayMoveTargetsProvider(), move);
//                            nothing to pop up when it is empty; it pops up 4
//                            points below the button
//   right click on the bar -> barContextMenu(a GroupContextMenu filled from the
//                            view: lock, accent, presets, whether it has a name,
//                            displays, and its eight actions)
#include <functional>
#include <string>
#include <vector>

#include "OverlayUI/DisplayMoveTarget.h"
#include "OverlayUI/GroupContextMenu.h"
#include "OverlayUI/MenuModel.h"

namespace tessaly::TabBarMenus {

// How far a caption row's text is indented, so that it lines up with the
// titles of ordinary items.
inline constexpr double menuCaptionInset = 24.0;
// The move menu's distance below the move button.
inline constexpr double moveMenuOffset = 4.0;

// A row that only shows a text: no action, not enabled.
MenuItem menuCaption(std::string text);

// "Move to…", a separator, then one row per display (the current one
// checked and disabled); choosing a row calls `move` with its index. Empty
// without displays.
MenuModel moveToDisplayMenu(const std::vector<DisplayMoveTarget>& targets, const std::function<void(int)>& move);

// Name or rename, group colour (without auto-colour rules), move to display
// (with displays), lock or unlock, dissolve and close all (disabled while
// locked), settings.
MenuModel barContextMenu(const GroupContextMenu& group);

}  // namespace tessaly::TabBarMenus
