#pragma once
// The hotkey recorder's key monitor in Qt: while it lives, key presses in
// one window (and its child widgets) go to the recorder's handler instead of
// their widgets. The key is taken from the event's native X key code and
// turned into the stored key code by the keyboard layer; shortcut handling
// is held off meanwhile, so Escape or a menu's shortcut reaches the recorder.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "Platform/KeyboardLayout.h"
#include "Platform/Subscription.h"
#include "TessalyApp/HotkeyRecorder.h"

class QKeyEvent;

namespace tessaly {

class HotkeyRecorderKeyFilter : public QObject {
    Q_OBJECT
public:
    // Watches `window`'s key presses for `handler` until the handle ends.
    // Without a layout, the installed one (KeyboardLayout::current()).
    static Subscription install(QWidget& window, HotkeyRecorder::KeyHandler handler,
                                std::shared_ptr<const KeyboardLayout> layout = nullptr);

    // The press as the recorder reads it.
    static HotkeyKeyPress keyPress(const QKeyEvent& event, const KeyboardLayout* layout);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HotkeyRecorderKeyFilter(QWidget& window, HotkeyRecorder::KeyHandler handler,
                            std::shared_ptr<const KeyboardLayout> layout);

    QPointer<QWidget> window_;
    HotkeyRecorder::KeyHandler handler_;
    std::shared_ptr<const KeyboardLayout> layout_;
};

}  // namespace tessaly
