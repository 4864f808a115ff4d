#pragma once
// The Tab Bar page: how the bars look (appearance, opacity, height), the
// application badges on tabs and their colour, and the two tab-cycle
// shortcuts. Leaving the page ends a shortcut recording.
#include <QPointer>
#include <QWidget>

#include "Platform/Subscription.h"
#include "TessalyApp/Qt/TabColorEditor.h"
#include "TessalyApp/SettingsModel.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace tessaly {

class ColorSwatch;
class HotkeyRecorderRow;
class SettingsColorPanel;

class TabBarSettingsTab : public QWidget {
    Q_OBJECT
public:
    TabBarSettingsTab(SettingsModel& model, SettingsColorPanel* colorPanel, QWidget* parent = nullptr);
    ~TabBarSettingsTab() override;

    QAbstractButton& appearanceButton(AppearanceMode mode);
    QLabel& opacityLabel() { return *opacityLabel_; }
    QSlider& opacitySlider() { return *opacity_; }
    QLabel& heightLabel() { return *heightLabel_; }
    QToolButton& heightMinusButton() { return *minus_; }
    QToolButton& heightPlusButton() { return *plus_; }
    QPushButton& heightResetButton() { return *resetHeight_; }
    QCheckBox& badgesToggle() { return *badges_; }
    QPushButton& badgeColorButton() { return *badgeColor_; }
    HotkeyRecorderRow& nextTabRow() { return *nextRow_; }
    HotkeyRecorderRow& prevTabRow() { return *prevRow_; }
    QPushButton& resetHotkeysButton() { return *resetHotkeys_; }
    // Shown while the shell cannot register a tab-cycle hotkey.
    QLabel& hotkeysTakenHint() { return *hotkeysTaken_; }
    // The badge-colour sheet while it is open.
    TabColorEditor* badgeColorEditor() const { return editor_; }

    void refresh();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    SettingsModel& model_;
    SettingsColorPanel* colorPanel_;
    QButtonGroup* appearance_;
    QLabel* opacityLabel_;
    QSlider* opacity_;
    QLabel* heightLabel_;
    QToolButton* minus_;
    QToolButton* plus_;
    QPushButton* resetHeight_;
    QCheckBox* badges_;
    QPushButton* badgeColor_;
    ColorSwatch* badgeSwatch_;
    HotkeyRecorderRow* nextRow_;
    HotkeyRecorderRow* prevRow_;
    QPushButton* resetHotkeys_;
    QLabel* hotkeysTaken_;
    QPointer<TabColorEditor> editor_;
    Subscription watch_;
};

}  // namespace tessaly
