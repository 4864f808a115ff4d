#include "OverlayUI/Qt/QtTabColorPanelController.h"

#include <QCoreApplication>

#include <memory>

#include "OverlayUI/Qt/QtBarColors.h"
#include "Platform/Qt/QtWindowActivation.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

QtTabColorPanelController::QtTabColorPanelController(std::function<void(QWidget&)> bringToFront)
    : bringToFront_(bringToFront ? std::move(bringToFront)
                                 : [](QWidget& window) { QtWindowActivation::bringToFront(window); }) {}

QtTabColorPanelController::~QtTabColorPanelController() {
    if (!dialog_) return;
    dialog_->hide();
    if (QCoreApplication::instance()) dialog_->deleteLater();
    else delete dialog_.data();
}

void QtTabColorPanelController::begin(const std::optional<TabColor>& initial, std::function<void(TabColor)> onPick) {
    onPick_ = std::move(onPick);  // an earlier request gets no further calls
    if (!dialog_) {
        auto dialog = std::make_unique<QColorDialog>();
        dialog->setOptions(QColorDialog::DontUseNativeDialog | QColorDialog::NoButtons);
        dialog->setModal(false);
        dialog->setWindowTitle(QString::fromStdString(L10n::tabColor()));
        QObject::connect(dialog.get(), &QColorDialog::currentColorChanged, &context_,
                         [this](const QColor& color) { colorChanged(color); });
        QObject::connect(dialog.get(), &QDialog::finished, &context_, [this] { closed(); });
        dialog_ = dialog.release();  // deleted by this object
    }
    if (initial) {
        // Preselecting is not a pick.
        const QSignalBlocker quiet(dialog_.data());
        dialog_->setCurrentColor(QtBarColors::color(*initial));
    }
    bringToFront_(*dialog_);
}

void QtTabColorPanelController::colorChanged(const QColor& color) {
    if (!onPick_ || !color.isValid()) return;
    const QColor rgb = color.toRgb();
    onPick_(TabColor(rgb.redF(), rgb.greenF(), rgb.blueF()));
}

void QtTabColorPanelController::closed() { onPick_ = nullptr; }

}  // namespace tessaly
