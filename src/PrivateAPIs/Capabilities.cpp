#include "PrivateAPIs/Capabilities.h"

namespace tessaly {

Capabilities Capabilities::disablingPrivateAPIs(bool disable) const {
    Capabilities copy = *this;
    if (disable) {
        copy.skyLightOrdering = false;
        copy.skyLightNotifications = false;
    }
    return copy;
}

Capabilities CapabilityProbe::resolveSymbols(const SkyLight& skyLight, const AXPrivate& axPrivate) {
    Capabilities result;
    result.skyLightOrdering = skyLight.canOrder();
    if (const WindowServerFunctions* f = skyLight.functions()) {
        result.skyLightNotifications = f->registerNotifyProc && f->requestNotificationsForWindows;
    }
    result.axWindowID = axPrivate.hasGetWindow();
    return result;
}

bool CapabilityProbe::verifyOrdering(const SkyLight& skyLight, WindowID testWindow, WindowID relativeTo) {
    return skyLight.order(testWindow, SkyLight::Order::above, relativeTo);
}

}  // namespace tessaly
