#pragma once
// A context menu as plain data, so that menus are decided here and the
// toolkit half only shows them. Titles are plain text (the toolkit escapes
// its mnemonic character and never interprets markup). Every item that acts
// is a closure item: choosing it runs its handler on the main thread. Menus
// do not enable items by themselves; each item carries its own flag.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/AppIcon.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

struct MenuItem {
    enum class Kind { action, separator, submenu };

    Kind kind = Kind::action;
    std::string title;
    std::shared_ptr<const AppIcon> icon;  // shown 16 x 16; null for none
    std::optional<TabColor> swatch;       // a round colour swatch as the item's image
    std::string toolTip;
    bool enabled = true;
    bool checked = false;
    std::function<void()> handler;        // action items
    std::vector<MenuItem> submenu;        // submenu items

    // The closure menu item: runs `handler` when chosen.
    static MenuItem closure(std::string title, std::function<void()> handler,
                            std::shared_ptr<const AppIcon> icon = nullptr);
    static MenuItem separator();
    static MenuItem withSubmenu(std::string title, std::vector<MenuItem> items);

    // Runs the handler of an enabled action item.
    void invoke() const;
};

// The item that runs a closure, in the order title, icon, handler:
//   menu.append(ClosureMenuItem(L10n::ctxPopOut(), nullptr, [weak] { ... }));
struct ClosureMenuItem : MenuItem {
    ClosureMenuItem(std::string itemTitle, std::shared_ptr<const AppIcon> itemIcon, std::function<void()> run)
        : MenuItem(closure(std::move(itemTitle), std::move(run), std::move(itemIcon))) {}
};

struct MenuModel {
    std::vector<MenuItem> items;

    void append(MenuItem item) { items.push_back(std::move(item)); }
    bool empty() const { return items.empty(); }
    // The first item (searching submenus too) with that title; null when none.
    const MenuItem* find(const std::string& title) const;
};

}  // namespace tessaly
