#pragma once
// Orders an overlay panel directly above or below another application's
// window. Two strategies: PublicZOrderSync (the toolkit's ordering) and
// SkyLightZOrderSync (the window server's private transactions after one
// toolkit ordering per panel). Main thread only. The overlay manager is the
// only caller; an ordering that answers false is repeated on its next tick.
#include "OverlayUI/OverlayPanel.h"
#include "Platform/Types.h"

namespace tessaly {

class ZOrderSynchronizing {
public:
    virtual ~ZOrderSynchronizing() = default;

    // Directly above `windowID`; true when the ordering was carried out or handed over.
    virtual bool orderAbove(OverlayPanel& panel, WindowID windowID) = 0;
    // Directly below `windowID`.
    virtual bool orderBelow(OverlayPanel& panel, WindowID windowID) = 0;
};

}  // namespace tessaly
