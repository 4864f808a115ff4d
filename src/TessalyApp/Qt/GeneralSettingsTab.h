#pragma once
// The General page: the display language (with its restart), launch at
// login, and the export and import of the settings file.
#include <QWidget>

#include "Platform/Subscription.h"
#include "TessalyApp/SettingsModel.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tessaly {

class GeneralSettingsTab : public QWidget {
    Q_OBJECT
public:
    explicit GeneralSettingsTab(SettingsModel& model, QWidget* parent = nullptr);

    QComboBox& languagePicker() { return *language_; }
    QWidget& restartRow() { return *restartRow_; }
    QPushButton& restartButton() { return *restart_; }
    QCheckBox& launchAtLoginToggle() { return *launchAtLogin_; }
    QLabel& launchAtLoginHelp() { return *launchHelp_; }

    void refresh();

private:
    SettingsModel& model_;
    QComboBox* language_;
    QWidget* restartRow_;
    QPushButton* restart_;
    QCheckBox* launchAtLogin_;
    QLabel* launchHelp_;
    QPushButton* export_;
    QPushButton* import_;
    std::vector<AppLanguage> languages_;
    Subscription watch_;
};

}  // namespace tessaly
