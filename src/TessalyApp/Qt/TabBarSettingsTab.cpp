#include "TessalyApp/Qt/TabBarSettingsTab.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "TessalyApp/Qt/HotkeyRecorderRow.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyApp/Qt/TabColorEditor.h"
#include "TessalyApp/ShellNotices.h"
#include "TessalyApp/TabBarSettingsValues.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

int appearanceID(AppearanceMode mode) { return static_cast<int>(mode); }

QToolButton* stepButton(const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAutoRepeat(true);  // holding the button keeps stepping
    return button;
}

}  // namespace

TabBarSettingsTab::TabBarSettingsTab(SettingsModel& model, SettingsColorPanel* colorPanel, QWidget* parent)
    : QWidget(parent),
      model_(model),
      colorPanel_(colorPanel),
      appearance_(new QButtonGroup(this)),
      opacityLabel_(new QLabel(this)),
      opacity_(new QSlider(Qt::Horizontal, this)),
      heightLabel_(new QLabel(this)),
      minus_(stepButton(QStringLiteral("−"), this)),
      plus_(stepButton(QStringLiteral("+"), this)),
      resetHeight_(new QPushButton(toQString(L10n::resetToDefault()), this)),
      badges_(new QCheckBox(this)),
      badgeColor_(new QPushButton(this)),
      badgeSwatch_(new ColorSwatch(model.tabBadgeColor(), 14, badgeColor_)),
      nextRow_(new HotkeyRecorderRow(L10n::nextTab(), HotkeyRecorder::Target::nextTab, model, this)),
      prevRow_(new HotkeyRecorderRow(L10n::prevTab(), HotkeyRecorder::Target::prevTab, model, this)),
      resetHotkeys_(new QPushButton(toQString(L10n::hotkeyResetDefaults()), this)),
      hotkeysTaken_(settingsHint(L10n::noticeHotkeysTaken(), HintStyle::warning, this)) {
    auto* page = new QVBoxLayout(this);

    auto* bar = new SettingsSection(L10n::tabBar(), this);
    auto* segments = new QWidget(this);
    auto* segmentLayout = new QHBoxLayout(segments);
    segmentLayout->setContentsMargins(0, 0, 0, 0);
    segmentLayout->setSpacing(0);
    const std::pair<AppearanceMode, std::string> modes[] = {{AppearanceMode::system, L10n::appearanceSystem()},
                                                            {AppearanceMode::light, L10n::appearanceLight()},
                                                            {AppearanceMode::dark, L10n::appearanceDark()}};
    for (const auto& [mode, title] : modes) {
        auto* segment = new QPushButton(toQString(title), segments);
        segment->setCheckable(true);
        appearance_->addButton(segment, appearanceID(mode));
        segmentLayout->addWidget(segment);
    }
    appearance_->setExclusive(true);
    bar->addLabeledRow(L10n::appearance(), segments);

    opacity_->setRange(TabBarSettingsValues::opacitySliderMinimum(), TabBarSettingsValues::opacitySliderMaximum());
    opacity_->setSingleStep(1);
    opacity_->setPageStep(1);
    auto* opacityColumn = new QVBoxLayout();
    opacityColumn->setSpacing(4);
    opacityColumn->addWidget(opacityLabel_);
    opacityColumn->addWidget(opacity_);
    bar->rows().addLayout(opacityColumn);

    auto* heightRow = new QHBoxLayout();
    heightLabel_->setWordWrap(true);
    heightRow->addWidget(heightLabel_, 1);
    auto* steps = new QHBoxLayout();
    steps->setSpacing(0);
    steps->addWidget(minus_);
    steps->addWidget(plus_);
    heightRow->addLayout(steps);
    heightRow->addWidget(resetHeight_);
    bar->rows().addLayout(heightRow);
    page->addWidget(bar);

    auto* notifications = new SettingsSection(L10n::notificationSection(), this);
    notifications->rows().addWidget(wrappingCheckBoxRow(badges_, L10n::showTabBadges(), this));
    notifications->rows().addWidget(settingsHint(L10n::showTabBadgesHelp(), HintStyle::secondary, this));
    auto* badgeLayout = new QHBoxLayout(badgeColor_);
    badgeLayout->setContentsMargins(8, 2, 8, 2);
    auto* badgeText = new QLabel(toQString(L10n::tabBadgeColor()), badgeColor_);
    badgeText->setAttribute(Qt::WA_TransparentForMouseEvents);
    badgeSwatch_->setAttribute(Qt::WA_TransparentForMouseEvents);
    badgeLayout->addWidget(badgeText);
    badgeLayout->addStretch(1);
    badgeLayout->addWidget(badgeSwatch_);
    badgeColor_->setFlat(true);
    badgeColor_->setMinimumHeight(badgeLayout->sizeHint().height());
    badgeColor_->setToolTip(toQString(L10n::editBadgeColor()));
    notifications->rows().addWidget(badgeColor_);
    page->addWidget(notifications);

    auto* hotkeys = new SettingsSection(L10n::hotkeySection(), this);
    hotkeys->rows().addWidget(nextRow_);
    hotkeys->rows().addWidget(prevRow_);
    hotkeys->rows().addWidget(hotkeysTaken_);
    auto* resetRow = new QHBoxLayout();
    resetRow->addStretch(1);
    resetRow->addWidget(resetHotkeys_);
    hotkeys->rows().addLayout(resetRow);
    page->addWidget(hotkeys);
    page->addStretch(1);

    connect(appearance_, &QButtonGroup::idClicked, this,
            [this](int id) { model_.setAppearanceMode(static_cast<AppearanceMode>(id)); });
    connect(opacity_, &QSlider::valueChanged, this, [this](int position) {
        model_.setTabBarOpacity(TabBarSettingsValues::opacityForSliderPosition(position));
    });
    connect(minus_, &QToolButton::clicked, this,
            [this] { model_.setTabBarHeight(TabBarSettingsValues::heightStepDown(model_.tabBarHeight())); });
    connect(plus_, &QToolButton::clicked, this,
            [this] { model_.setTabBarHeight(TabBarSettingsValues::heightStepUp(model_.tabBarHeight())); });
    connect(resetHeight_, &QPushButton::clicked, this,
            [this] { model_.setTabBarHeight(SettingsStore::defaultTabBarHeight); });
    connect(badges_, &QCheckBox::toggled, this, [this](bool on) { model_.setShowTabBadges(on); });
    connect(badgeColor_, &QPushButton::clicked, this, [this] {
        if (editor_) return;
        editor_ = new TabColorEditor(L10n::tabBadgeColor(), model_.tabBadgeColor(), TabColor::defaultBadge,
                                     model_.colorPresets(), colorPanel_,
                                     [this](const TabColor& color) { model_.setTabBadgeColor(color); }, window());
        editor_->present();
    });
    connect(resetHotkeys_, &QPushButton::clicked, this, [this] { model_.resetTabHotkeys(); });
    watch_ = model_.observe([this] { refresh(); });
    refresh();
}

TabBarSettingsTab::~TabBarSettingsTab() {
    watch_.cancel();
    model_.hotkeyRecorder().end();
    if (editor_) editor_->close();
}

QAbstractButton& TabBarSettingsTab::appearanceButton(AppearanceMode mode) {
    return *appearance_->button(appearanceID(mode));
}

void TabBarSettingsTab::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    model_.hotkeyRecorder().end();
}

void TabBarSettingsTab::refresh() {
    using namespace TabBarSettingsValues;
    const QSignalBlocker b1(opacity_), b2(badges_);
    appearanceButton(model_.appearanceMode()).setChecked(true);
    opacityLabel_->setText(toQString(opacityText(model_.tabBarOpacity())));
    opacity_->setValue(opacitySliderPosition(model_.tabBarOpacity()));
    const double height = model_.tabBarHeight();
    heightLabel_->setText(toQString(heightText(height)));
    minus_->setEnabled(canStepDown(height));
    plus_->setEnabled(canStepUp(height));
    resetHeight_->setEnabled(canResetHeight(height));
    badges_->setChecked(model_.showTabBadges());
    badgeColor_->setEnabled(model_.showTabBadges());
    badgeSwatch_->setColor(model_.tabBadgeColor());
    hotkeysTaken_->setVisible(model_.hotkeysTaken());
}

}  // namespace tessaly
