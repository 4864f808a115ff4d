#pragma once
// The settings window's content: a sidebar of the six pages and, beside it,
// the selected page in a scrolling area. The selection is the model's
// selectedCategory, both ways; no selection shows the General page. A page
// is made anew each time another one is chosen, so it starts fresh (the How
// To demonstration from its beginning, the Colors page without a sheet).
#include <QWidget>

#include <functional>
#include <optional>

#include "Platform/Subscription.h"
#include "TessalyApp/SettingsModel.h"

class QListWidget;
class QMenu;
class QScrollArea;
class QToolButton;

namespace tessaly {

class SettingsColorPanel;

class SettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int sidebarWidth = 180;

    // `checkForUpdates` goes to the About page (empty: no update controller).
    SettingsView(SettingsModel& model, SettingsColorPanel* colorPanel, std::function<void()> checkForUpdates = nullptr,
                 QWidget* parent = nullptr);

    // Where no tray holds the status item, the sidebar offers its menu: the
    // provider answers the menu to pop up, or null while a tray has it.
    void setStatusMenuProvider(std::function<QMenu*()> provider);
    QToolButton& statusMenuButton() { return *statusMenuButton_; }

    QListWidget& sidebar() { return *sidebar_; }
    QScrollArea& detail() { return *detail_; }
    // The page shown and the category it shows.
    QWidget* currentPage() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showSelection();
    // Whether the status menu is this window's (no tray holds it).
    bool menuInWindow() const;
    void updateStatusMenuButton();
    QWidget* makePage(SettingsCategory category);

    SettingsModel& model_;
    SettingsColorPanel* colorPanel_;
    std::function<void()> checkForUpdates_;
    QListWidget* sidebar_;
    QToolButton* statusMenuButton_;
    QScrollArea* detail_;
    std::function<QMenu*()> statusMenu_;
    std::optional<SettingsCategory> shown_;
    Subscription watch_;
};

}  // namespace tessaly
