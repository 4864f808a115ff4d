#pragma once
// The window shown while the program may not drive other windows yet. On
// X11 that permission ("trust") is a reachable display with an EWMH window
// manager: a session started before the window manager waits here, and the
// owner's once-a-second poll (PermissionsCoordinator::waitForTrust) starts
// the session when one answers.
//
// The window explains this and offers one button (also Return) that asks
// for the permission, opens the page where it is granted where the system
// has one, and hides the window while the poll goes on. Closing the window
// stops the poll; the owner then starts the session when the status menu
// opens or the program is opened again and trust is there.
//
// The controller does not show the window by itself: the owner calls show().
// Main thread only.
#include <functional>
#include <memory>

#include "TessalyCore/PermissionsCoordinator.h"

class QPushButton;
class QWidget;

namespace tessaly {

class OnboardingWindowController {
public:
    // `onGranted` is the owner's; it hands the same closure to
    // permissions.waitForTrust().
    OnboardingWindowController(PermissionsCoordinator& permissions, std::function<void()> onGranted);
    ~OnboardingWindowController();
    OnboardingWindowController(const OnboardingWindowController&) = delete;
    OnboardingWindowController& operator=(const OnboardingWindowController&) = delete;

    // Centres the window on the screen and brings it to the front with the focus.
    void show();
    // Closes the window as its close button does (the poll stops).
    void close();
    bool isVisible() const;

    const std::function<void()>& onGranted() const { return onGranted_; }
    QWidget& window();
    QPushButton& grantButton();

private:
    class Window;
    void requestGrant();

    PermissionsCoordinator& permissions_;
    std::function<void()> onGranted_;
    std::unique_ptr<Window> window_;
    QPushButton* grantButton_ = nullptr;  // owned by the window
};

}  // namespace tessaly
