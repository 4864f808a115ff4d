#include "TessalyCore/PermissionsCoordinator.h"

#include <utility>

namespace tessaly {

PermissionsCoordinator::PermissionsCoordinator(const PlatformServices& platform) : platform_(platform) {}

PermissionsCoordinator::~PermissionsCoordinator() { stopWaiting(); }

bool PermissionsCoordinator::isTrusted() const {
    return platform_.accessibility && platform_.accessibility->isProcessTrusted(false);
}

bool PermissionsCoordinator::requestTrust() const {
    return platform_.accessibility && platform_.accessibility->isProcessTrusted(true);
}

bool PermissionsCoordinator::hasSettingsPage() const {
    return platform_.workspace && platform_.systemProbes && *platform_.systemProbes->accessibilitySettingsURL() != '\0';
}

void PermissionsCoordinator::openAccessibilitySettings() const {
    if (!hasSettingsPage()) return;
    platform_.workspace->openURL(platform_.systemProbes->accessibilitySettingsURL());
}

void PermissionsCoordinator::waitForTrust(std::function<void()> onGranted) {
    stopWaiting();
    if (isTrusted()) {
        if (onGranted) onGranted();
        return;
    }
    // The poll belongs to this coordinator: it ends with the grant, with
    // stopWaiting() and with the coordinator itself.
    pollTimer_ = platform_.mainExecutor->scheduleRepeating(
        pollInterval, lifetime_.guarded([this, onGranted = std::move(onGranted)] {
            if (!isTrusted()) return;
            const auto granted = onGranted;
            stopWaiting();
            if (granted) granted();
        }));
}

void PermissionsCoordinator::stopWaiting() { pollTimer_.cancel(); }

}  // namespace tessaly
