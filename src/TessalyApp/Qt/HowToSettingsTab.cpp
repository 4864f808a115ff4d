#include "TessalyApp/Qt/HowToSettingsTab.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include <optional>
#include <tuple>
#include <utility>

#include "TessalyApp/GroupingModifier.h"
#include "TessalyApp/Qt/AppGlyph.h"
#include "TessalyApp/Qt/GroupDemoAnimation.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

// An entry's icon: a theme icon with a standard one in its place, or the program's mark.
struct RowIcon {
    const char* themeName = nullptr;
    QStyle::StandardPixmap fallback = QStyle::SP_CustomBase;
    bool appGlyph = false;
};

QLabel* iconView(const RowIcon& icon, QWidget* parent) {
    auto* view = new QLabel(parent);
    view->setFixedWidth(28);
    view->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    const qreal ratio = parent->devicePixelRatioF();
    if (icon.appGlyph) {
        const bool dark = parent->palette().color(QPalette::Window).lightnessF() < 0.5;
        view->setPixmap(AppGlyph::pixmap(20, dark ? AppGlyph::Panel::dark : AppGlyph::Panel::light, ratio));
    } else {
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(icon.themeName));
        const QIcon shown = themed.isNull() ? parent->style()->standardIcon(icon.fallback) : themed;
        view->setPixmap(shown.pixmap(QSize(20, 20), ratio));
    }
    return view;
}

}  // namespace

HowToSettingsTab::HowToSettingsTab(QWidget* parent)
    : HowToSettingsTab(TabCycleKeys::defaults(), ModifierGate::shift, parent) {}

HowToSettingsTab::HowToSettingsTab(const TabCycleKeys& tabKeys, ModifierGate groupingKey, QWidget* parent)
    : QWidget(parent), groupingKey_(groupingKey) {
    auto* page = new QVBoxLayout(this);
    auto* section = new SettingsSection(L10n::howTo(), this);
    page->addWidget(section);
    page->addStretch(1);

    const auto row = [&](const RowIcon& icon, const std::string& title, const std::string& body,
                         const std::optional<std::string>& note, bool showsDemo) {
        auto* entry = new QHBoxLayout();
        entry->setSpacing(12);
        entry->setContentsMargins(0, 2, 0, 2);
        entry->addWidget(iconView(icon, this), 0, Qt::AlignTop);
        auto* text = new QVBoxLayout();
        text->setSpacing(2);
        auto* heading = new QLabel(toQString(title), this);
        heading->setTextFormat(Qt::PlainText);
        QFont font = heading->font();
        font.setWeight(QFont::DemiBold);
        heading->setFont(font);
        text->addWidget(heading);
        QLabel* bodyLabel = settingsHint(body, HintStyle::secondary, this);
        text->addWidget(bodyLabel);
        if (showsDemo) {
            demo_ = new GroupDemoAnimation(this);
            text->addSpacing(6);
            text->addWidget(demo_);
            text->addSpacing(6);
        }
        if (note) text->addWidget(settingsHint(*note, HintStyle::tertiary, this));
        entry->addLayout(text, 1);
        section->rows().addLayout(entry);
        return std::pair{heading, bodyLabel};
    };
    createBody_ = row({"window-new", QStyle::SP_FileDialogNewFolder}, L10n::howToCreateTitle(),
                      L10n::howToCreateBody(groupingKey), L10n::howToModifierNote(), true)
                      .second;
    demo_->setGroupingKey(groupingKey);
    tabKeys_ = tabKeys;
    switchBody_ = row({"input-mouse", QStyle::SP_ArrowRight}, L10n::howToSwitchTitle(),
                      L10n::howToSwitchBody(tabKeys.displayName()), L10n::howToSwitchNote(), false)
                      .second;
    row({"transform-move", QStyle::SP_TitleBarNormalButton}, L10n::howToMoveTitle(), L10n::howToMoveBody(),
        std::nullopt, false);
    detachBody_ = row({"list-remove", QStyle::SP_DialogDiscardButton}, L10n::howToDetachTitle(),
                      L10n::howToDetachBody(), std::nullopt, false)
                      .second;
    row({"preferences-desktop-color", QStyle::SP_DesktopIcon}, L10n::howToColorTitle(), L10n::howToColorBody(),
        std::nullopt, false);
    std::tie(menuTitle_, menuBody_) = row({nullptr, QStyle::SP_CustomBase, true}, L10n::howToMenuBarTitle(),
                                          L10n::howToMenuBarBody(), std::nullopt, false);
}

void HowToSettingsTab::setMenuInWindow(bool inWindow) {
    menuTitle_->setText(toQString(inWindow ? L10n::statusMenuButton() : L10n::howToMenuBarTitle()));
    menuBody_->setText(toQString(inWindow ? L10n::howToMenuButtonBody() : L10n::howToMenuBarBody()));
    detachBody_->setText(toQString(inWindow ? L10n::howToDetachBodyMenuButton() : L10n::howToDetachBody()));
}

void HowToSettingsTab::setGroupingKey(ModifierGate key) {
    if (key == groupingKey_) return;
    groupingKey_ = key;
    createBody_->setText(toQString(L10n::howToCreateBody(key)));
    demo_->setGroupingKey(key);
}

void HowToSettingsTab::setTabKeys(const TabCycleKeys& tabKeys) {
    if (tabKeys == tabKeys_) return;
    tabKeys_ = tabKeys;
    switchBody_->setText(toQString(L10n::howToSwitchBody(tabKeys.displayName())));
}

}  // namespace tessaly
