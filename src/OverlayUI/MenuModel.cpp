#include "OverlayUI/MenuModel.h"

namespace tessaly {

MenuItem MenuItem::closure(std::string title, std::function<void()> handler, std::shared_ptr<const AppIcon> icon) {
    MenuItem item;
    item.kind = Kind::action;
    item.title = std::move(title);
    item.handler = std::move(handler);
    item.icon = std::move(icon);
    return item;
}

MenuItem MenuItem::separator() {
    MenuItem item;
    item.kind = Kind::separator;
    return item;
}

MenuItem MenuItem::withSubmenu(std::string title, std::vector<MenuItem> items) {
    MenuItem item;
    item.kind = Kind::submenu;
    item.title = std::move(title);
    item.submenu = std::move(items);
    return item;
}

void MenuItem::invoke() const {
    if (kind == Kind::action && enabled && handler) handler();
}

namespace {

const MenuItem* findIn(const std::vector<MenuItem>& items, const std::string& title) {
    for (const MenuItem& item : items) {
        if (item.kind != MenuItem::Kind::separator && item.title == title) return &item;
        if (const MenuItem* inner = findIn(item.submenu, title)) return inner;
    }
    return nullptr;
}

}  // namespace

const MenuItem* MenuModel::find(const std::string& title) const { return findIn(items, title); }

}  // namespace tessaly
