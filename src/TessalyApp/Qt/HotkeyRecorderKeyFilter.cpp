#include "TessalyApp/Qt/HotkeyRecorderKeyFilter.h"

#include <QApplication>
#include <QKeyEvent>

namespace tessaly {

HotkeyRecorderKeyFilter::HotkeyRecorderKeyFilter(QWidget& window, HotkeyRecorder::KeyHandler handler,
                                                 std::shared_ptr<const KeyboardLayout> layout)
    : window_(&window), handler_(std::move(handler)), layout_(std::move(layout)) {}

Subscription HotkeyRecorderKeyFilter::install(QWidget& window, HotkeyRecorder::KeyHandler handler,
                                              std::shared_ptr<const KeyboardLayout> layout) {
    if (!layout) layout = KeyboardLayout::current();
    QPointer<HotkeyRecorderKeyFilter> filter(new HotkeyRecorderKeyFilter(window, std::move(handler), std::move(layout)));
    qApp->installEventFilter(filter);
    return Subscription([filter] {
        if (!filter) return;
        qApp->removeEventFilter(filter);
        filter->handler_ = nullptr;
        // The handle may end from inside the filter's own handler.
        filter->deleteLater();
    });
}

HotkeyKeyPress HotkeyRecorderKeyFilter::keyPress(const QKeyEvent& event, const KeyboardLayout* layout) {
    HotkeyKeyPress press;
    if (layout) press.keyCode = layout->storedKeyCode(event.nativeScanCode());
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ControlModifier) press.modifiers.insert(HotkeyModifiers::control);
    if (modifiers & Qt::AltModifier) press.modifiers.insert(HotkeyModifiers::option);
    if (modifiers & Qt::ShiftModifier) press.modifiers.insert(HotkeyModifiers::shift);
    if (modifiers & Qt::MetaModifier) press.modifiers.insert(HotkeyModifiers::command);
    return press;
}

bool HotkeyRecorderKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!handler_ || !window_ || !widget || widget->window() != window_) return false;
    if (type == QEvent::ShortcutOverride) {
        // Held back from shortcuts: it comes again as a key press.
        event->accept();
        return true;
    }
    const auto handler = handler_;  // the handler may end this filter
    return handler(keyPress(*static_cast<QKeyEvent*>(event), layout_.get()));
}

}  // namespace tessaly
