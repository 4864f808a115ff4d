#pragma once
// Orders every panel through the toolkit's own ordering; false when the
// toolkit could not (the window is gone, or has no frame yet).
#include "OverlayUI/ZOrderSynchronizing.h"

namespace tessaly {

class PublicZOrderSync final : public ZOrderSynchronizing {
public:
    PublicZOrderSync() = default;

    bool orderAbove(OverlayPanel& panel, WindowID windowID) override;
    bool orderBelow(OverlayPanel& panel, WindowID windowID) override;
};

}  // namespace tessaly
