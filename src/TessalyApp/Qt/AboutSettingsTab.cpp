#include "TessalyApp/Qt/AboutSettingsTab.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "TessalyApp/AppInfo.h"
#include "TessalyApp/Qt/AppGlyph.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

AboutSettingsTab::AboutSettingsTab(std::function<void()> checkForUpdates, QWidget* parent) : QWidget(parent) {
    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(8);
    stack->addStretch(1);

    auto* icon = new QLabel(this);
    const bool dark = palette().color(QPalette::Window).lightnessF() < 0.5;
    icon->setPixmap(AppGlyph::pixmap(96, dark ? AppGlyph::Panel::dark : AppGlyph::Panel::light, devicePixelRatioF()));
    stack->addWidget(icon, 0, Qt::AlignHCenter);

    auto* name = plainLabel(AppInfo::name(), this);
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.5);
    nameFont.setWeight(QFont::DemiBold);
    name->setFont(nameFont);
    stack->addWidget(name, 0, Qt::AlignHCenter);

    auto* version = settingsHint(L10n::aboutVersion(AppInfo::version(), AppInfo::build()), HintStyle::secondary, this);
    version->setAlignment(Qt::AlignHCenter);
    // Full width, centred text: a wrapping label given only its own width
    // by an alignment gets too few lines for its text.
    stack->addWidget(version);

    if (checkForUpdates) {
        stack->addSpacing(12);
        update_ = new QPushButton(toQString(L10n::updateCheckButton()), this);
        connect(update_, &QPushButton::clicked, this, [checkForUpdates] { checkForUpdates(); });
        stack->addWidget(update_, 0, Qt::AlignHCenter);
    }

    stack->addSpacing(12);
    auto* credit = settingsHint(L10n::aboutCredit(), HintStyle::secondary, this);
    QFont caption = credit->font();
    caption.setPointSizeF(std::max(6.0, caption.pointSizeF() * 0.9));
    credit->setFont(caption);
    credit->setAlignment(Qt::AlignHCenter);
    stack->addWidget(credit);
    stack->addStretch(1);
}

}  // namespace tessaly
