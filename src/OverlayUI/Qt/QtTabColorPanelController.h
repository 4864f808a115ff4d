#pragma once
// The custom-colour chooser in Qt: one non-modal colour dialog (Qt's own,
// not a desktop one) whose every change goes to the latest request while it
// is open; closing it ends the request.
#include <QColorDialog>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

#include "OverlayUI/TabColorPanelController.h"

namespace tessaly {

class QtTabColorPanelController final : public TabColorPanelController {
public:
    // `bringToFront` as for the name dialog.
    explicit QtTabColorPanelController(std::function<void(QWidget&)> bringToFront = nullptr);
    ~QtTabColorPanelController() override;
    QtTabColorPanelController(const QtTabColorPanelController&) = delete;
    QtTabColorPanelController& operator=(const QtTabColorPanelController&) = delete;

    void begin(const std::optional<TabColor>& initial, std::function<void(TabColor)> onPick) override;

    bool isPicking() const { return static_cast<bool>(onPick_); }
    QColorDialog* dialog() const { return dialog_.data(); }

private:
    void colorChanged(const QColor& color);
    void closed();

    QPointer<QColorDialog> dialog_;
    std::function<void(TabColor)> onPick_;
    std::function<void(QWidget&)> bringToFront_;
    QObject context_;  // receives the dialog's signals while this object lives
};

}  // namespace tessaly
