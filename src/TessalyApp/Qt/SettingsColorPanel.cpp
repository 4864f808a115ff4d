#include "TessalyApp/Qt/SettingsColorPanel.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyApp/SettingsWindowPlacement.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

SettingsColorPanel::SettingsColorPanel() : dialog_(std::make_unique<QColorDialog>()) {
    dialog_->setOptions(QColorDialog::DontUseNativeDialog | QColorDialog::NoButtons);
    dialog_->setWindowTitle(toQString(L10n::color()));
    QObject::connect(dialog_.get(), &QColorDialog::currentColorChanged, dialog_.get(), [this](const QColor& color) {
        if (!owner_ || !onPick_ || !color.isValid()) return;
        const auto receiver = onPick_;
        receiver(toTabColor(color));
    });
}

SettingsColorPanel::~SettingsColorPanel() = default;

void SettingsColorPanel::begin(const TabColor& initial, QObject* owner, std::function<void(const TabColor&)> onPick) {
    owner_ = nullptr;  // the preselection below is not a pick
    dialog_->setCurrentColor(toQColor(initial));
    owner_ = owner;
    onPick_ = std::move(onPick);
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void SettingsColorPanel::orderOut() {
    dialog_->hide();
    owner_ = nullptr;
    onPick_ = nullptr;
}

void SettingsColorPanel::centerOver(const QRect& windowFrame) {
    const QSize size = dialog_->frameGeometry().size().isValid() && dialog_->isVisible()
                           ? dialog_->frameGeometry().size()
                           : dialog_->sizeHint();
    const QPoint current = dialog_->pos();
    std::optional<Rect> visible;
    if (QScreen* screen = QGuiApplication::screenAt(windowFrame.center())) {
        const QRect area = screen->availableGeometry();
        visible = Rect(area.x(), area.y(), area.width(), area.height());
    } else if (QScreen* primary = QGuiApplication::primaryScreen()) {
        const QRect area = primary->availableGeometry();
        visible = Rect(area.x(), area.y(), area.width(), area.height());
    }
    const auto origin = SettingsWindowPlacement::colorPanelOrigin(
        lastCenteredOrigin_, Point{static_cast<double>(current.x()), static_cast<double>(current.y())},
        Rect(windowFrame.x(), windowFrame.y(), windowFrame.width(), windowFrame.height()),
        Size{static_cast<double>(size.width()), static_cast<double>(size.height())}, visible);
    if (!origin) return;
    dialog_->move(static_cast<int>(std::lround(origin->x)), static_cast<int>(std::lround(origin->y)));
    const QPoint placed = dialog_->pos();
    lastCenteredOrigin_ = Point{static_cast<double>(placed.x()), static_cast<double>(placed.y())};
}

}  // namespace tessaly
