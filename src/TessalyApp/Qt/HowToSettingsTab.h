#pragma once
// The How To page: six short entries on what a user does with the program,
// the first with the animated demonstration of making a group. The last
// one says where the program's menu is: in the tray icon, or, on a desktop
// without a tray, behind the settings window's own menu button.
#include <QWidget>

#include "TessalyApp/TabCycleHotkeys.h"

class QLabel;

namespace tessaly {

class GroupDemoAnimation;

class HowToSettingsTab : public QWidget {
    Q_OBJECT
public:
    // The entry on switching tabs names `tabKeys`: the tab-cycle keys in force.
    explicit HowToSettingsTab(QWidget* parent = nullptr);
    explicit HowToSettingsTab(const TabCycleKeys& tabKeys, QWidget* parent = nullptr);

    // Names other keys in the entry on switching tabs.
    void setTabKeys(const TabCycleKeys& tabKeys);
    const QLabel& switchBody() const { return *switchBody_; }

    GroupDemoAnimation& demo() { return *demo_; }
    static constexpr int entryCount = 6;

    // Whether the menu is the settings window's (no tray shows the icon);
    // the tray icon's at first.
    void setMenuInWindow(bool inWindow);
    // The entry on the program's menu.
    QLabel& menuTitle() { return *menuTitle_; }
    QLabel& menuBody() { return *menuBody_; }
    QLabel& detachBody() { return *detachBody_; }

private:
    GroupDemoAnimation* demo_ = nullptr;
    QLabel* switchBody_ = nullptr;
    TabCycleKeys tabKeys_;
    QLabel* menuTitle_ = nullptr;
    QLabel* menuBody_ = nullptr;
    QLabel* detachBody_ = nullptr;
};

}  // namespace tessaly
