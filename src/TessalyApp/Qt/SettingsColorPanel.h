#pragma once
// The colour panel the settings window's colour fields share: one
// non-native colour dialog without buttons, whose every colour change goes
// to the field that opened it last. The settings window places it over
// itself when it opens and hides it when it closes.
#include <QColorDialog>
#include <QPointer>

#include <functional>
#include <optional>

#include "Platform/Geometry.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

class SettingsColorPanel {
public:
    SettingsColorPanel();
    ~SettingsColorPanel();
    SettingsColorPanel(const SettingsColorPanel&) = delete;
    SettingsColorPanel& operator=(const SettingsColorPanel&) = delete;

    // Shows the panel at `initial` (without alpha); each colour picked goes
    // to `onPick` (replacing any earlier receiver) while `owner` lives.
    void begin(const TabColor& initial, QObject* owner, std::function<void(const TabColor&)> onPick);
    // Hides the panel and forgets its receiver.
    void orderOut();

    // Puts the panel centred over the settings window's frame, unless the
    // user moved it away from where it was put last.
    void centerOver(const QRect& windowFrame);

    QColorDialog& dialog() { return *dialog_; }

private:
    std::unique_ptr<QColorDialog> dialog_;
    QPointer<QObject> owner_;
    std::function<void(const TabColor&)> onPick_;
    std::optional<Point> lastCenteredOrigin_;
};

}  // namespace tessaly
