#include "OverlayUI/SkyLightZOrderSync.h"

#include <utility>

namespace tessaly {

SkyLightZOrderSync::SkyLightZOrderSync(std::shared_ptr<const SkyLight> skyLight) : skyLight_(std::move(skyLight)) {}

bool SkyLightZOrderSync::orderAbove(OverlayPanel& panel, WindowID windowID) {
    return order(panel, OverlayPanel::Order::above, windowID);
}

bool SkyLightZOrderSync::orderBelow(OverlayPanel& panel, WindowID windowID) {
    return order(panel, OverlayPanel::Order::below, windowID);
}

bool SkyLightZOrderSync::order(OverlayPanel& panel, OverlayPanel::Order direction, WindowID windowID) {
    const WindowID number = panel.windowNumber();
    if (number == 0) return false;
    if (!primedPanels_.contains(number)) {
        panel.orderRelative(direction, windowID);
        primedPanels_.insert(number);
        return true;
    }
    if (!skyLight_) return false;
    return skyLight_->order(number, direction == OverlayPanel::Order::above ? SkyLight::Order::above
                                                                            : SkyLight::Order::below,
                            windowID);
}

}  // namespace tessaly
