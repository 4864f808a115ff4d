#pragma once
// Top-level widgets that float over other applications' windows without
// ever taking focus: frameless, outside the window manager's control
// (override-redirect: a child of the root, absent from the client list),
// never activated by showing or clicking, yet showing their controls'
// tooltips. Override-redirect windows show on every desktop; their owner
// hides them where they do not belong.
#include <QWidget>

namespace tessaly {

class QtToolPanel {
public:
    static constexpr Qt::WindowFlags flags() {
        return Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus;
    }
    // Makes `widget` such a panel; call before it is first shown (changing
    // the flags of a shown widget hides it). Never call activateWindow() on
    // one: that takes the focus from the window it belongs to.
    static void configure(QWidget& widget);
};

}  // namespace tessaly
