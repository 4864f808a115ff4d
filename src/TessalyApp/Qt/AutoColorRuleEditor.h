#pragma once
// The sheet that adds an auto-colour rule or edits one: which applications
// (all, one, or the several the rule already names), a title condition
// ("Contains" or "Regex" with a pattern) and the colour. Save is off while
// the rule could match nothing, the regular expression cannot be used, or
// the colour text is not a colour; onSave gets the values as entered.
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "TessalyApp/AutoColorRuleEditorState.h"
#include "TessalyApp/Qt/SettingsSheet.h"
#include "TessalyCore/ColorPreset.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tessaly {

class ColorPaletteField;
class SettingsColorPanel;

class AutoColorRuleEditor : public SettingsSheet {
    Q_OBJECT
public:
    using SaveHandler =
        std::function<void(const std::set<std::string>&, const std::string&, MatchRule::TitleMatch, const TabColor&)>;

    AutoColorRuleEditor(const std::optional<AutoColorRule>& rule, std::vector<RunningAppChoice> appChoices,
                        std::vector<ColorPreset> userPresets, SettingsColorPanel* panel, SaveHandler onSave,
                        QWidget* parent);

    const AutoColorRuleEditorState& state() const { return state_; }
    QComboBox& appPicker() { return *apps_; }
    QRadioButton& regexButton() { return *regex_; }
    QLineEdit& patternField() { return *pattern_; }
    QLabel& regexHint() { return *regexHint_; }
    ColorPaletteField& field() { return *field_; }

private:
    void refresh();

    AutoColorRuleEditorState state_;
    std::vector<AutoColorRuleEditorState::AppScope> scopes_;  // by picker index
    QComboBox* apps_;
    QRadioButton* contains_;
    QRadioButton* regex_;
    QLineEdit* pattern_;
    QLabel* regexHint_;
    ColorPaletteField* field_;
};

}  // namespace tessaly
