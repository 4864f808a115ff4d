#include "TessalyApp/Qt/GroupingSettingsTab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include <array>

#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/KeyComboDisplay.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

constexpr std::array<ModifierGate, 4> kGates{ModifierGate::none, ModifierGate::shift, ModifierGate::control,
                                             ModifierGate::option};

// A picker of the two policies, suspend first.
QComboBox* policyPicker(QWidget* parent) {
    auto* picker = new QComboBox(parent);
    picker->addItem(toQString(L10n::policyKeep()));
    picker->addItem(toQString(L10n::policyDetach()));
    return picker;
}

int policyIndex(bool detach) { return detach ? 1 : 0; }

}  // namespace

GroupingSettingsTab::GroupingSettingsTab(SettingsModel& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      modifier_(new QComboBox(this)),
      delay_(new QComboBox(this)),
      optionWarning_(settingsHint(L10n::optionTilingWarning(), HintStyle::warning, this)),
      shiftFallback_(settingsHint(L10n::modifierShiftFallback(), HintStyle::secondary, this)),
      shiftTaken_(settingsHint(L10n::modifierShiftTaken(), HintStyle::warning, this)),
      fullscreen_(policyPicker(this)),
      offSpace_(policyPicker(this)),
      noExclusions_(new QLabel(toQString(L10n::noExclusions()), this)),
      exclusionRows_(new QVBoxLayout()),
      addFromRunning_(new QPushButton(toQString(L10n::addFromRunning()), this)),
      addMenu_(new QMenu(this)) {
    auto* page = new QVBoxLayout(this);

    auto* drag = new SettingsSection(L10n::dragSection(), this);
    modifier_->addItem(toQString(L10n::modifierNone()));
    for (const HotkeyModifiers key : {HotkeyModifiers::shift, HotkeyModifiers::control, HotkeyModifiers::option}) {
        modifier_->addItem(toQString(modifierName(key)));
    }
    drag->addLabeledRow(L10n::modifierKey(), modifier_);
    for (const auto& text : {L10n::delayInstant(), L10n::delay03(), L10n::delay06(), L10n::delay1()}) {
        delay_->addItem(toQString(text));
    }
    drag->addLabeledRow(L10n::previewDelay(), delay_);
    drag->rows().addWidget(optionWarning_);
    drag->rows().addWidget(shiftFallback_);
    drag->rows().addWidget(shiftTaken_);
    page->addWidget(drag);

    auto* behavior = new SettingsSection(L10n::groupBehavior(), this);
    behavior->addLabeledRow(L10n::whenFullscreen(), fullscreen_);
    behavior->addLabeledRow(L10n::whenOffSpace(), offSpace_);
    page->addWidget(behavior);

    auto* excluded = new SettingsSection(L10n::excludedApps(), this);
    setHintStyle(*noExclusions_, HintStyle::secondary);
    excluded->rows().addWidget(noExclusions_);
    excluded->rows().addLayout(exclusionRows_);
    addFromRunning_->setMenu(addMenu_);
    auto* addRow = new QHBoxLayout();
    addRow->addWidget(addFromRunning_);
    addRow->addStretch(1);
    excluded->rows().addLayout(addRow);
    page->addWidget(excluded);
    page->addStretch(1);

    connect(modifier_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(kGates.size())) model_.setModifierGate(kGates[index]);
    });
    connect(delay_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(SettingsModel::holdDelayChoices.size())) {
            model_.setHoldDelay(SettingsModel::holdDelayChoices[index]);
        }
    });
    connect(fullscreen_, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_.setFullscreenPolicy(index == 1 ? FullscreenPolicy::detach : FullscreenPolicy::suspend);
    });
    connect(offSpace_, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_.setOffSpacePolicy(index == 1 ? OffSpacePolicy::detach : OffSpacePolicy::suspend);
    });
    connect(addMenu_, &QMenu::aboutToShow, this, [this] { rebuildAddMenu(); });
    watch_ = model_.observe([this] { refresh(); });
    refresh();
}

void GroupingSettingsTab::rebuildAddMenu() {
    addMenu_->clear();
    const std::set<std::string> excluded(model_.exclusions().begin(), model_.exclusions().end());
    for (const RunningAppChoice& app : model_.runningRegularApps(excluded)) {
        QAction* action = addMenu_->addAction(menuText(app.name));
        connect(action, &QAction::triggered, this, [this, id = app.bundleID] { model_.addExclusion(id); });
    }
}

std::vector<QPushButton*> GroupingSettingsTab::removeButtons() const {
    std::vector<QPushButton*> buttons;
    for (QWidget* row : rowWidgets_) buttons.push_back(row->findChild<QPushButton*>());
    return buttons;
}

void GroupingSettingsTab::rebuildExclusionRows() {
    if (shownExclusions_ == model_.exclusions()) return;
    shownExclusions_ = model_.exclusions();
    for (QWidget* row : rowWidgets_) {
        row->hide();
        row->deleteLater();  // a row's own button may be what removed it
    }
    rowWidgets_.clear();
    for (const std::string& id : shownExclusions_) {
        auto* row = new QWidget(this);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* label = new QLabel(toQString(id), row);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
        layout->addStretch(1);
        auto* remove = new QPushButton(row);
        remove->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
        remove->setFlat(true);
        remove->setToolTip(toQString(L10n::removeExclusion()));
        remove->setAccessibleName(toQString(L10n::removeExclusion()));
        layout->addWidget(remove);
        connect(remove, &QPushButton::clicked, this, [this, id] { model_.removeExclusion(id); });
        exclusionRows_->addWidget(row);
        rowWidgets_.push_back(row);
    }
}

void GroupingSettingsTab::refresh() {
    const QSignalBlocker b1(modifier_), b2(delay_), b3(fullscreen_), b4(offSpace_);
    for (std::size_t i = 0; i < kGates.size(); ++i) {
        if (kGates[i] == model_.modifierGate()) modifier_->setCurrentIndex(static_cast<int>(i));
    }
    const double snapped = SettingsModel::snappedHoldDelay(model_.holdDelay());
    for (std::size_t i = 0; i < SettingsModel::holdDelayChoices.size(); ++i) {
        if (SettingsModel::holdDelayChoices[i] == snapped) delay_->setCurrentIndex(static_cast<int>(i));
    }
    optionWarning_->setVisible(model_.modifierGate() == ModifierGate::option);
    const GroupingModifier& grouping = model_.groupingModifier();
    shiftFallback_->setVisible(grouping.isFallback() && model_.modifierGate() == grouping.inForce);
    shiftTaken_->setVisible(grouping.windowManagerTakesShift && model_.modifierGate() == ModifierGate::shift);
    fullscreen_->setCurrentIndex(policyIndex(model_.fullscreenPolicy() == FullscreenPolicy::detach));
    offSpace_->setCurrentIndex(policyIndex(model_.offSpacePolicy() == OffSpacePolicy::detach));
    noExclusions_->setVisible(model_.exclusions().empty());
    rebuildExclusionRows();
}

}  // namespace tessaly
