#include "TessalyApp/Qt/AutoColorRuleEditor.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "TessalyApp/Qt/ColorPaletteField.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

using Scope = AutoColorRuleEditorState::AppScope;

AutoColorRuleEditor::AutoColorRuleEditor(const std::optional<AutoColorRule>& rule,
                                         std::vector<RunningAppChoice> appChoices, std::vector<ColorPreset> userPresets,
                                         SettingsColorPanel* panel, SaveHandler onSave, QWidget* parent)
    : SettingsSheet(rule ? L10n::editRuleTitle() : L10n::addRuleTitle(), 380, parent),
      state_(rule, std::move(appChoices)),
      apps_(new QComboBox(this)),
      contains_(new QRadioButton(toQString(L10n::matchContains()), this)),
      regex_(new QRadioButton(toQString(L10n::matchRegex()), this)),
      pattern_(new QLineEdit(this)),
      regexHint_(settingsHint(L10n::regexInvalid(), HintStyle::warning, this)),
      field_(nullptr) {
    // Application picker: All Apps, Multiple Apps (n) for a rule of several, then one entry per application.
    apps_->addItem(toQString(L10n::allApps()));
    scopes_.push_back(Scope::all());
    if (const auto count = state_.multipleCount()) {
        apps_->addItem(toQString(L10n::multipleApps(static_cast<std::int64_t>(*count))));
        scopes_.push_back(Scope::multiple());
    }
    for (const auto& row : state_.appRows()) {
        apps_->addItem(displayName(row.label));
        scopes_.push_back(row.scope);
    }
    const auto selected = std::find(scopes_.begin(), scopes_.end(), state_.scope());
    apps_->setCurrentIndex(selected == scopes_.end() ? 0 : static_cast<int>(selected - scopes_.begin()));
    auto* appRow = new QHBoxLayout();
    auto* appLabel = new QLabel(toQString(L10n::targetApp()), this);
    appRow->addWidget(appLabel);
    appRow->addWidget(apps_, 1);
    rows().addLayout(appRow);

    auto* matchRow = new QHBoxLayout();
    matchRow->addWidget(new QLabel(toQString(L10n::titleCondition()), this));
    matchRow->addStretch(1);
    auto* group = new QButtonGroup(this);
    group->addButton(contains_);
    group->addButton(regex_);
    matchRow->addWidget(contains_);
    matchRow->addWidget(regex_);
    rows().addLayout(matchRow);
    (state_.titleMatch() == MatchRule::TitleMatch::regex ? regex_ : contains_)->setChecked(true);

    pattern_->setMaxLength(1 << 20);  // a long pattern is refused with a message, not cut short
    pattern_->setText(toQString(state_.titlePattern()));
    rows().addWidget(pattern_);
    rows().addWidget(regexHint_);

    field_ = new ColorPaletteField(L10n::colorToApply(), std::move(userPresets), state_.color(), panel, this);
    rows().addWidget(field_);
    rows().addWidget(settingsHint(L10n::ruleSatisfiabilityHelp(), HintStyle::secondary, this));

    addButtons(rule ? L10n::save() : L10n::add(), [this, onSave = std::move(onSave)] {
        if (onSave) onSave(state_.selectedBundleIDs(), state_.titlePattern(), state_.titleMatch(), state_.color());
    });

    connect(apps_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && static_cast<std::size_t>(index) < scopes_.size()) state_.setScope(scopes_[index]);
        refresh();
    });
    connect(contains_, &QRadioButton::toggled, this, [this](bool on) {
        state_.setTitleMatch(on ? MatchRule::TitleMatch::contains : MatchRule::TitleMatch::regex);
        refresh();
    });
    connect(pattern_, &QLineEdit::textChanged, this, [this](const QString& text) {
        state_.setTitlePattern(toStdString(text));
        refresh();
    });
    field_->onSelectionChanged = [this](const TabColor& color) { state_.setColor(color); };
    field_->onValidityChanged = [this](bool valid) {
        state_.setColorValid(valid);
        refresh();
    };
    refresh();
}

void AutoColorRuleEditor::refresh() {
    pattern_->setPlaceholderText(toQString(state_.placeholder()));
    regexHint_->setVisible(state_.patternIsInvalid());
    confirmButton().setEnabled(state_.canSave());
}

}  // namespace tessaly
