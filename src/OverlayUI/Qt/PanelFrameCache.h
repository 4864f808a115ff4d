#pragma once
// The root child (the window manager's frame) holding each window a panel is
// ordered against, remembered so that re-ordering four times a second costs
// no round trip. A window's frame changes only when the window manager takes
// it in or lets it go, so an entry is forgotten when the backend reports the
// window mapped, unmapped, reparented or destroyed, the client list changed
// or another window manager came; a frame's own ConfigureNotify corrects it
// at once.
// Without a backend nothing is remembered. Main thread (lookups); the
// backend's reports arrive on its event thread.
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "OverlayUI/Qt/X11PanelOps.h"
#include "Platform/Subscription.h"
#include "Platform/Types.h"

namespace tessaly {

class X11Backend;

class PanelFrameCache {
public:
    explicit PanelFrameCache(const std::shared_ptr<X11Backend>& backend);
    ~PanelFrameCache();
    PanelFrameCache(const PanelFrameCache&) = delete;
    PanelFrameCache& operator=(const PanelFrameCache&) = delete;

    // 0 when the window is gone.
    X11PanelOps::XWindow frameOf(WindowID window);
    // Whether the frame is shaped (its window manager cuts corners out of
    // it): asked once per frame, and again after the client list changed.
    bool isShaped(X11PanelOps::XWindow frame);
    // After a request against the frame failed: look it up anew next time.
    void forget(WindowID window);
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<WindowID, X11PanelOps::XWindow> frames_;
    std::unordered_map<X11PanelOps::XWindow, bool> shaped_;
    // Counts forgettings, so that a lookup racing one is not remembered.
    std::uint64_t generation_ = 0;
    bool remembers_ = false;
    std::shared_ptr<X11Backend> backend_;
    Subscription subscription_;  // last: ends before the map goes
};

}  // namespace tessaly
