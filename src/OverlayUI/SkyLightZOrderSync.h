#pragma once
// Orders each panel once through the toolkit (so that it is mapped and known
// to the window server), and afterwards through one private window-server
// transaction per call. Nothing falls back to the toolkit after a panel's
// first ordering.
#include <memory>
#include <set>

#include "OverlayUI/ZOrderSynchronizing.h"
#include "PrivateAPIs/SkyLight.h"

namespace tessaly {

class SkyLightZOrderSync final : public ZOrderSynchronizing {
public:
    explicit SkyLightZOrderSync(std::shared_ptr<const SkyLight> skyLight);

    // A panel without a window-server window (number 0) is refused with false.
    bool orderAbove(OverlayPanel& panel, WindowID windowID) override;
    bool orderBelow(OverlayPanel& panel, WindowID windowID) override;

    // The window numbers already ordered once through the toolkit. Only grows.
    const std::set<WindowID>& primedPanels() const { return primedPanels_; }

private:
    bool order(OverlayPanel& panel, OverlayPanel::Order direction, WindowID windowID);

    std::shared_ptr<const SkyLight> skyLight_;
    std::set<WindowID> primedPanels_;
};

}  // namespace tessaly
