#include "Platform/Qt/QtToolPanel.h"

namespace tessaly {

void QtToolPanel::configure(QWidget& widget) {
    widget.setWindowFlags(flags());
    widget.setAttribute(Qt::WA_ShowWithoutActivating);
    widget.setFocusPolicy(Qt::NoFocus);
    // Qt shows a widget's tooltip only while its window (or one it belongs
    // to) is the active one, and such a panel never is: its controls'
    // help would never show.
    widget.setAttribute(Qt::WA_AlwaysShowToolTips);
}

}  // namespace tessaly
