#include "OverlayUI/PublicZOrderSync.h"

namespace tessaly {

bool PublicZOrderSync::orderAbove(OverlayPanel& panel, WindowID windowID) {
    return panel.orderRelative(OverlayPanel::Order::above, windowID);
}

bool PublicZOrderSync::orderBelow(OverlayPanel& panel, WindowID windowID) {
    return panel.orderRelative(OverlayPanel::Order::below, windowID);
}

}  // namespace tessaly
