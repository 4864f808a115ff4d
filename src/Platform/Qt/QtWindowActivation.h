#pragma once
// Bringing one of our normal windows (a dialog, the settings window) to the
// front with the keyboard focus, also against a window manager's
// focus-stealing prevention: the window is moved to the current desktop
// before it shows, asks for activation as an application with a fresh
// timestamp, and may be kept above other windows for a moment.
#include <QWidget>

namespace tessaly {

class QtWindowActivation {
public:
    // Shows `widget`'s window (restoring it when minimised) on the current
    // desktop, raises it and asks for the focus; with `aboveSeconds` > 0
    // it stays above other windows for that long. Off X11, Qt's own
    // show/raise/activate.
    static void bringToFront(QWidget& widget, double aboveSeconds = 0);
};

}  // namespace tessaly
