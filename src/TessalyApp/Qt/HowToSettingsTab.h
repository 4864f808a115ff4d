#pragma once
// The How To page: six short entries on what a user does with the program,
// the first with the animated demonstration of making a group. The last
// one says where the program's menu is: in the tray icon, or, on a desktop
// without a tray, behind the settings window's own menu button.
#include <QWidget>

#include "TessalyApp/TabCycleHotkeys.h"
#include "TessalyCore/DragSettings.h"

class QLabel;

namespace tessaly {

class GroupDemoAnimation;

class HowToSettingsTab : public QWidget {
    Q_OBJECT
public:
    // The entry on switching tabs names `tabKeys`: the tab-cycle keys in
    // force; the entry on making a group, and its picture, the grouping key.
    explicit HowToSettingsTab(QWidget* parent = nullptr);
    HowToSettingsTab(const TabCycleKeys& tabKeys, ModifierGate groupingKey, QWidget* parent = nullptr);

    // Names another grouping key in the entry on making a group.
    void setGroupingKey(ModifierGate key);
    const QLabel& createBody() const { return *createBody_; }

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
    QLabel* createBody_ = nullptr;
    ModifierGate groupingKey_ = ModifierGate::shift;
    QLabel* switchBody_ = nullptr;
    TabCycleKeys tabKeys_;
    QLabel* menuTitle_ = nullptr;
    QLabel* menuBody_ = nullptr;
    QLabel* detachBody_ = nullptr;
};

}  // namespace tessaly
