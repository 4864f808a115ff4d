#pragma once
// The overlay's menus in Qt, built from the logic's menu models. Titles are
// foreign text at times (window titles, display and preset names): they are
// sanitised, cut to a sane length and their '&' doubled, so Qt shows them
// as they are and never takes a mnemonic from them. Menus pop up without a
// nested event loop (QMenu::popup) and delete themselves once closed; a
// chosen item runs its handler after the menu has closed.
#include <QPoint>
#include <QString>

#include <string>

#include "OverlayUI/MenuModel.h"

class QMenu;
class QWidget;

namespace tessaly::QtMenus {

// A menu item's text as Qt shows it.
QString actionText(const std::string& title);

// Fills `into` with the model's items (submenus become child menus of it).
void fill(QMenu& into, const MenuModel& menu);

// Pops the menu up at a global logical point and answers it; it deletes
// itself when it closes.
QMenu* popUp(const MenuModel& menu, QPoint at);

}  // namespace tessaly::QtMenus
