#pragma once
// Which private window-server capabilities this process has, and the probe
// that finds out.
#include "Platform/Types.h"
#include "PrivateAPIs/AXPrivate.h"
#include "PrivateAPIs/SkyLight.h"

namespace tessaly {

struct Capabilities {
    bool skyLightOrdering = false;       // connection, transaction and ordering functions present
    bool skyLightNotifications = false;  // notification registration functions present
    bool axWindowID = false;             // the element's window-number lookup present

    // With `disable` true, a copy without the window-server capabilities
    // (the window-number lookup stays as it was).
    Capabilities disablingPrivateAPIs(bool disable) const;

    friend bool operator==(const Capabilities&, const Capabilities&) = default;
};

class CapabilityProbe {
public:
    static Capabilities resolveSymbols(const SkyLight& skyLight, const AXPrivate& axPrivate);
    // One real ordering of `testWindow` directly above `relativeTo`.
    static bool verifyOrdering(const SkyLight& skyLight, WindowID testWindow, WindowID relativeTo);
};

}  // namespace tessaly
