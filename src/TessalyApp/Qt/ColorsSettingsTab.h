#pragma once
// The Colors page: the user's colour presets and the auto-colour rules, each
// listed with its colour, opened in its editor sheet by a click anywhere on
// its row, removed by its delete button, and added with Add.
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <vector>

#include "Platform/Subscription.h"
#include "TessalyApp/SettingsModel.h"

class QDialog;
class QPushButton;
class QVBoxLayout;

namespace tessaly {

class SettingsColorPanel;

class ColorsSettingsTab : public QWidget {
    Q_OBJECT
public:
    ColorsSettingsTab(SettingsModel& model, SettingsColorPanel* colorPanel, QWidget* parent = nullptr);
    ~ColorsSettingsTab() override;

    // The rows' buttons, in list order: the one that opens the editor and the delete button.
    struct Row {
        QPushButton* open;
        QPushButton* remove;
    };
    const std::vector<Row>& presetRows() const { return presetRows_; }
    const std::vector<Row>& ruleRows() const { return ruleRows_; }
    QPushButton& addPresetButton() { return *addPreset_; }
    QPushButton& addRuleButton() { return *addRule_; }
    // The editor sheet while one is open.
    QDialog* openSheet() const { return sheet_; }

    void editPreset(const std::optional<ColorPreset>& preset);
    void editRule(const std::optional<AutoColorRule>& rule);
    void refresh();

private:
    void rebuildPresets();
    void rebuildRules();
    Row addRow(QVBoxLayout& rows, std::vector<QWidget*>& widgets, const TabColor& color, const QString& text,
               const std::string& editHelp, const std::string& deleteHelp);

    SettingsModel& model_;
    SettingsColorPanel* colorPanel_;
    QVBoxLayout* presetList_;
    QVBoxLayout* ruleList_;
    QPushButton* addPreset_;
    QPushButton* addRule_;
    std::vector<QWidget*> presetWidgets_;
    std::vector<QWidget*> ruleWidgets_;
    std::vector<Row> presetRows_;
    std::vector<Row> ruleRows_;
    std::vector<ColorPreset> shownPresets_;
    std::vector<AutoColorRule> shownRules_;
    std::vector<std::string> shownRuleTexts_;
    QPointer<QDialog> sheet_;
    Subscription watch_;
};

}  // namespace tessaly
