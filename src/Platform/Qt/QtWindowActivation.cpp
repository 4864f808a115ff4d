#include "Platform/Qt/QtWindowActivation.h"

#include "Platform/Qt/QtX11Connection.h"

#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <cmath>

namespace tessaly {

namespace {

// Counts the requests to keep a window above, so that only the latest one
// ends the stay.
const char* const kAboveGeneration = "tessalyAboveGeneration";

void keepAbove(QWidget& window, double seconds) {
    QWindow* handle = window.windowHandle();
    if (!handle || !(seconds > 0)) return;
    const int generation = window.property(kAboveGeneration).toInt() + 1;
    window.setProperty(kAboveGeneration, generation);
    // On the QWindow: changing the QWidget's flags would hide the window.
    handle->setFlag(Qt::WindowStaysOnTopHint, true);
    const int ms = static_cast<int>(std::min(std::ceil(seconds * 1000), 24.0 * 3600 * 1000));
    QTimer::singleShot(ms, &window, [target = QPointer<QWidget>(&window), generation] {
        if (!target || target->property(kAboveGeneration).toInt() != generation) return;
        if (QWindow* h = target->windowHandle()) h->setFlag(Qt::WindowStaysOnTopHint, false);
    });
}

}  // namespace

void QtWindowActivation::bringToFront(QWidget& widget, double aboveSeconds) {
    QWidget& window = *widget.window();
    if (!QtX11Connection::isAvailable()) {
        window.show();
        window.raise();
        window.activateWindow();
        return;
    }
    window.winId();  // makes the native window
    QWindow* handle = window.windowHandle();
    if (!window.isVisible() && handle && handle->flags() != window.windowFlags()) {
        // A stay above left over from an earlier call: showing a widget whose
        // window flags differ from its own makes Qt replace the native window.
        handle->setFlags(window.windowFlags());
    }
    const auto id = static_cast<xcb_window_t>(handle ? handle->winId() : window.winId());
    if (const auto desktop = QtX11Connection::currentDesktop()) {
        // Before mapping the client sets the property itself; afterwards the
        // window manager moves it on request.
        if (window.isVisible()) QtX11Connection::sendToWindowManager(id, "_NET_WM_DESKTOP", {*desktop, 1, 0, 0, 0});
        else QtX11Connection::setCardinal(id, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL, *desktop);
    }
    if (window.isMinimized()) window.showNormal();
    else window.show();
    window.raise();
    // Only once shown: a flag set on the window before would also make Qt
    // replace it.
    keepAbove(window, aboveSeconds);

    // A fresh user time, where the window manager reads it (Qt may keep it
    // on a helper window), makes the request as recent as a click.
    const xcb_timestamp_t time = QtX11Connection::serverTime().value_or(XCB_CURRENT_TIME);
    if (time != XCB_CURRENT_TIME) {
        const auto userTimeWindow = QtX11Connection::cardinals(id, "_NET_WM_USER_TIME_WINDOW");
        const xcb_window_t holder = userTimeWindow.empty() || userTimeWindow.front() == 0 ? id : userTimeWindow.front();
        QtX11Connection::setCardinal(holder, "_NET_WM_USER_TIME", XCB_ATOM_CARDINAL, time);
    }
    const xcb_window_t active = QtX11Connection::activeWindow().value_or(0);
    QtX11Connection::sendToWindowManager(id, "_NET_ACTIVE_WINDOW", {1, time, active, 0, 0});
    QtX11Connection::flush();
}

}  // namespace tessaly
