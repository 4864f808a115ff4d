#include "TessalyApp/Qt/GeneralSettingsTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

GeneralSettingsTab::GeneralSettingsTab(SettingsModel& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      language_(new QComboBox(this)),
      restartRow_(new QWidget(this)),
      restart_(new QPushButton(toQString(L10n::restartNow()), restartRow_)),
      launchAtLogin_(new QCheckBox(toQString(L10n::launchAtLogin()), this)),
      launchHelp_(settingsHint(L10n::launchAtLoginHelp(), HintStyle::secondary, this)),
      export_(new QPushButton(toQString(L10n::exportSettings()), this)),
      import_(new QPushButton(toQString(L10n::importSettings()), this)),
      languages_(AppLanguage::pickerOrder()) {
    auto* page = new QVBoxLayout(this);

    auto* languageSection = new SettingsSection(L10n::language(), this);
    for (const AppLanguage language : languages_) language_->addItem(toQString(language.displayName()));
    languageSection->addLabeledRow(L10n::displayLanguage(), language_);
    auto* restartLayout = new QHBoxLayout(restartRow_);
    restartLayout->setContentsMargins(0, 0, 0, 0);
    restartLayout->setSpacing(8);
    restartLayout->addWidget(settingsHint(L10n::restartNeeded(), HintStyle::secondary, restartRow_), 1);
    restartLayout->addWidget(restart_);
    languageSection->rows().addWidget(restartRow_);
    page->addWidget(languageSection);

    auto* generalSection = new SettingsSection(L10n::general(), this);
    generalSection->rows().addWidget(launchAtLogin_);
    generalSection->rows().addWidget(launchHelp_);
    page->addWidget(generalSection);

    auto* fileSection = new SettingsSection(L10n::settingsFile(), this);
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    buttons->addWidget(export_);
    buttons->addWidget(import_);
    buttons->addStretch(1);
    fileSection->rows().addLayout(buttons);
    fileSection->rows().addWidget(settingsHint(L10n::settingsFileHelp(), HintStyle::secondary, this));
    page->addWidget(fileSection);
    page->addStretch(1);

    connect(language_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && static_cast<std::size_t>(index) < languages_.size()) model_.setLanguage(languages_[index]);
    });
    connect(restart_, &QPushButton::clicked, this, [this] {
        if (model_.onRelaunchRequested) model_.onRelaunchRequested();
    });
    connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) { model_.setLaunchAtLogin(on); });
    connect(export_, &QPushButton::clicked, this, [this] { model_.exportSettings(); });
    connect(import_, &QPushButton::clicked, this, [this] { model_.importSettings(); });
    watch_ = model_.observe([this] { refresh(); });
    refresh();
}

void GeneralSettingsTab::refresh() {
    const QSignalBlocker blockLanguage(language_);
    const QSignalBlocker blockToggle(launchAtLogin_);
    const auto it = std::find(languages_.begin(), languages_.end(), model_.language());
    language_->setCurrentIndex(it == languages_.end() ? -1 : static_cast<int>(it - languages_.begin()));
    restartRow_->setVisible(model_.languageNeedsRestart());
    launchAtLogin_->setChecked(model_.launchAtLogin());
    launchAtLogin_->setEnabled(model_.canLaunchAtLogin());
    launchHelp_->setVisible(!model_.canLaunchAtLogin());
}

}  // namespace tessaly
