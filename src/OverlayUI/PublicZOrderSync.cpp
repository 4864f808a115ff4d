#include "OverlayUI/PublicZOrderSync.h"

namespace tessaly {

bool PublicZOrderSync::orderAbove(OverlayPanel& panel, WindowID windowID) {
    panel.orderRelative(OverlayPanel::Order::above, windowID);
    return true;
}

bool PublicZOrderSync::orderBelow(OverlayPanel& panel, WindowID windowID) {
    panel.orderRelative(OverlayPanel::Order::below, windowID);
    return true;
}

}  // namespace tessaly
