#pragma once
// One tab-cycle shortcut on the Tab Bar page: its title, a button showing
// the shortcut ("Off" when there is none) that starts and stops recording,
// a button that turns the shortcut off, and, while this row records after a
// refused key, the rule hint.
#include <QWidget>

#include <string>

#include "Platform/Subscription.h"
#include "TessalyApp/SettingsModel.h"

class QLabel;
class QPushButton;
class QToolButton;

namespace tessaly {

class HotkeyRecorderRow : public QWidget {
    Q_OBJECT
public:
    HotkeyRecorderRow(const std::string& title, HotkeyRecorder::Target target, SettingsModel& model,
                      QWidget* parent = nullptr);

    QPushButton& recordButton() { return *record_; }
    QLabel& ruleHint() { return *hint_; }
    // Whether the clear button is there to use.
    bool clearShown() const;

    void refresh();

private:
    bool isRecordingThis() const;

    HotkeyRecorder::Target target_;
    SettingsModel& model_;
    QPushButton* record_;
    QToolButton* clear_;
    QLabel* hint_;
    Subscription watch_;
};

}  // namespace tessaly
