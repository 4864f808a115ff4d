#include "TessalyApp/Qt/ColorsSettingsTab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "TessalyApp/Qt/AutoColorRuleEditor.h"
#include "TessalyApp/Qt/ColorPresetEditor.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

QLabel* semibold(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(toQString(text), parent);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setWeight(QFont::DemiBold);
    label->setFont(font);
    return label;
}

void discard(std::vector<QWidget*>& widgets) {
    for (QWidget* widget : widgets) {
        widget->hide();
        widget->deleteLater();  // a row's own button may be what changed the list
    }
    widgets.clear();
}

}  // namespace

ColorsSettingsTab::ColorsSettingsTab(SettingsModel& model, SettingsColorPanel* colorPanel, QWidget* parent)
    : QWidget(parent),
      model_(model),
      colorPanel_(colorPanel),
      presetList_(new QVBoxLayout()),
      ruleList_(new QVBoxLayout()),
      addPreset_(new QPushButton(toQString(L10n::add()), this)),
      addRule_(new QPushButton(toQString(L10n::add()), this)) {
    auto* page = new QVBoxLayout(this);
    const auto addButtonRow = [this](QVBoxLayout& rows, QPushButton* button) {
        auto* row = new QHBoxLayout();
        row->addWidget(button);
        row->addStretch(1);
        rows.addLayout(row);
    };

    auto* presets = new SettingsSection(L10n::tabColor(), this);
    presets->rows().addWidget(semibold(L10n::yourPresets(), this));
    presets->rows().addLayout(presetList_);
    addButtonRow(presets->rows(), addPreset_);
    presets->rows().addWidget(settingsHint(L10n::presetMenuHint(), HintStyle::secondary, this));
    page->addWidget(presets);

    auto* rules = new SettingsSection({}, this);
    rules->rows().addWidget(semibold(L10n::autoColorRules(), this));
    rules->rows().addLayout(ruleList_);
    addButtonRow(rules->rows(), addRule_);
    rules->rows().addWidget(settingsHint(L10n::autoColorHint(), HintStyle::secondary, this));
    page->addWidget(rules);
    page->addStretch(1);

    connect(addPreset_, &QPushButton::clicked, this, [this] { editPreset(std::nullopt); });
    connect(addRule_, &QPushButton::clicked, this, [this] { editRule(std::nullopt); });
    watch_ = model_.observe([this] { refresh(); });
    refresh();
}

ColorsSettingsTab::~ColorsSettingsTab() {
    watch_.cancel();
    if (sheet_) sheet_->close();
}

ColorsSettingsTab::Row ColorsSettingsTab::addRow(QVBoxLayout& rows, std::vector<QWidget*>& widgets,
                                                 const TabColor& color, const QString& text,
                                                 const std::string& editHelp, const std::string& deleteHelp) {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    // The whole row up to the delete button opens the editor.
    auto* open = new QPushButton(row);
    open->setFlat(true);
    open->setToolTip(toQString(editHelp));
    auto* content = new QHBoxLayout(open);
    content->setContentsMargins(4, 2, 4, 2);
    auto* swatch = new ColorSwatch(color, 12, open);
    swatch->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* label = new QLabel(text, open);
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    content->addWidget(swatch);
    content->addWidget(label);
    content->addStretch(1);
    open->setMinimumHeight(content->sizeHint().height());
    open->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addWidget(open, 1);
    auto* remove = new QPushButton(row);
    remove->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    remove->setFlat(true);
    remove->setToolTip(toQString(deleteHelp));
    remove->setAccessibleName(toQString(deleteHelp));
    layout->addWidget(remove);
    rows.addWidget(row);
    widgets.push_back(row);
    return {open, remove};
}

void ColorsSettingsTab::rebuildPresets() {
    if (shownPresets_ == model_.colorPresets()) return;
    shownPresets_ = model_.colorPresets();
    discard(presetWidgets_);
    presetRows_.clear();
    for (const ColorPreset& preset : shownPresets_) {
        const Row row = addRow(*presetList_, presetWidgets_, preset.color, displayName(preset.name),
                               L10n::editPreset(), L10n::deletePreset());
        connect(row.open, &QPushButton::clicked, this, [this, preset] { editPreset(preset); });
        connect(row.remove, &QPushButton::clicked, this, [this, id = preset.id] { model_.removeColorPreset(id); });
        presetRows_.push_back(row);
    }
}

void ColorsSettingsTab::rebuildRules() {
    // A rule's text names running applications, so it is worked out anew each time.
    std::vector<std::string> texts;
    for (const AutoColorRule& rule : model_.autoColorRules()) texts.push_back(model_.describeRule(rule.matchRule()));
    if (shownRules_ == model_.autoColorRules() && shownRuleTexts_ == texts) return;
    shownRules_ = model_.autoColorRules();
    shownRuleTexts_ = texts;
    discard(ruleWidgets_);
    ruleRows_.clear();
    for (std::size_t i = 0; i < shownRules_.size(); ++i) {
        const AutoColorRule& rule = shownRules_[i];
        const Row row = addRow(*ruleList_, ruleWidgets_, rule.color, displayName(texts[i]), L10n::editRule(),
                               L10n::deleteRule());
        connect(row.open, &QPushButton::clicked, this, [this, rule] { editRule(rule); });
        connect(row.remove, &QPushButton::clicked, this, [this, id = rule.id] { model_.removeAutoColorRule(id); });
        ruleRows_.push_back(row);
    }
}

void ColorsSettingsTab::refresh() {
    rebuildPresets();
    rebuildRules();
}

void ColorsSettingsTab::editPreset(const std::optional<ColorPreset>& preset) {
    if (sheet_) return;
    auto* editor = new ColorPresetEditor(
        preset, model_.colorPresets(), colorPanel_,
        [this, id = preset ? std::optional<Uuid>(preset->id) : std::nullopt](const std::string& name,
                                                                               const TabColor& color) {
            if (id) model_.updateColorPreset(*id, name, color);
            else model_.addColorPreset(name, color);
        },
        window());
    sheet_ = editor;
    editor->present();
}

void ColorsSettingsTab::editRule(const std::optional<AutoColorRule>& rule) {
    if (sheet_) return;
    auto* editor = new AutoColorRuleEditor(
        rule, model_.runningRegularApps(std::set<std::string>{}), model_.colorPresets(), colorPanel_,
        [this, id = rule ? std::optional<Uuid>(rule->id) : std::nullopt](
            const std::set<std::string>& ids, const std::string& pattern, MatchRule::TitleMatch match,
            const TabColor& color) {
            if (id) model_.updateAutoColorRule(*id, ids, pattern, match, color);
            else model_.addAutoColorRule(ids, pattern, match, color);
        },
        window());
    sheet_ = editor;
    editor->present();
}

}  // namespace tessaly
