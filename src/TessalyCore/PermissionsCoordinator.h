#pragma once
// Whether this process may use the accessibility interface, asking the
// system for it, opening the page where it is granted, and waiting for the
// grant. Used on the main thread.
#include <functional>
#include <memory>

#include "Platform/Accessibility.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/PlatformServices.h"

namespace tessaly {

class PermissionsCoordinator {
public:
    static constexpr double pollInterval = 1.0;

    explicit PermissionsCoordinator(const PlatformServices& platform);
    // Stops a wait still running: its onGranted is never called.
    ~PermissionsCoordinator();
    PermissionsCoordinator(const PermissionsCoordinator&) = delete;
    PermissionsCoordinator& operator=(const PermissionsCoordinator&) = delete;

    bool isTrusted() const;
    // Asks with the system's prompt; answers whether the process is trusted now.
    bool requestTrust() const;
    // Whether the system has a page where the permission is granted (X11
    // has none: there trust is a window manager that answers).
    bool hasSettingsPage() const;
    void openAccessibilitySettings() const;

    // Calls onGranted once: at once when trusted, otherwise on the first poll
    // (every second) that finds trust. A new wait replaces the previous one.
    void waitForTrust(std::function<void()> onGranted);
    void stopWaiting();

    bool isWaiting() const { return pollTimer_.isActive(); }

private:
    PlatformServices platform_;
    Subscription pollTimer_;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
