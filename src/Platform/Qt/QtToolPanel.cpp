#include "Platform/Qt/QtToolPanel.h"

namespace tessaly {

void QtToolPanel::configure(QWidget& widget) {
    widget.setWindowFlags(flags());
    widget.setAttribute(Qt::WA_ShowWithoutActivating);
    widget.setFocusPolicy(Qt::NoFocus);
}

}  // namespace tessaly
