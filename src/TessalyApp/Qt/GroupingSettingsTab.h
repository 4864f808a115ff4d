#pragma once
// The Grouping page: the modifier and the delay of drag grouping, what
// happens to members that go full screen or to another desktop, and the
// applications that are never grouped.
#include <QWidget>

#include <string>
#include <vector>

#include "Platform/Subscription.h"
#include "TessalyApp/SettingsModel.h"

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace tessaly {

class GroupingSettingsTab : public QWidget {
    Q_OBJECT
public:
    explicit GroupingSettingsTab(SettingsModel& model, QWidget* parent = nullptr);

    QComboBox& modifierPicker() { return *modifier_; }
    QComboBox& delayPicker() { return *delay_; }
    QLabel& optionWarning() { return *optionWarning_; }
    // Why Control groups where the window manager takes Shift-drags, and
    // the warning about a chosen Shift it takes.
    QLabel& shiftFallbackHint() { return *shiftFallback_; }
    QLabel& shiftTakenWarning() { return *shiftTaken_; }
    QComboBox& fullscreenPicker() { return *fullscreen_; }
    QLabel& noExclusionsLabel() { return *noExclusions_; }
    // The remove buttons of the exclusion rows, in row order.
    std::vector<QPushButton*> removeButtons() const;
    QMenu& addFromRunningMenu() { return *addMenu_; }
    // Fills the add menu from the running applications (as opening it does).
    void rebuildAddMenu();

    void refresh();

private:
    void rebuildExclusionRows();

    SettingsModel& model_;
    QComboBox* modifier_;
    QComboBox* delay_;
    QLabel* optionWarning_;
    QLabel* shiftFallback_;
    QLabel* shiftTaken_;
    QComboBox* fullscreen_;
    QComboBox* offSpace_;
    QLabel* noExclusions_;
    QVBoxLayout* exclusionRows_;
    QPushButton* addFromRunning_;
    QMenu* addMenu_;
    std::vector<std::string> shownExclusions_;
    std::vector<QWidget*> rowWidgets_;
    Subscription watch_;
};

}  // namespace tessaly
