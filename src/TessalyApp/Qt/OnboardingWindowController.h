#pragma once
// The window shown while the program may not drive other windows yet. On
// X11 that permission ("trust") is a reachable display with an EWMH window
// manager: a session started before the window manager waits here, and the
// owner's once-a-second poll (PermissionsCoordinator::waitForTrust) starts
// the session when one answers.
//
// The window explains this. Where the system has a page where the
// permission is granted, it offers one button (also Return) that asks for
// the permission, opens that page and hides the window while the poll goes
// on; on X11 there is nothing to open, so it shows no button. Closing the
// window stops the poll; the owner then starts the session when the status
// menu opens or the program is opened again and trust is there.
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
    // Puts the shown window above our other windows again, without asking
    // for the focus (a window raised over it would hide it).
    void raise();
    // Closes the window as its close button does (the poll stops).
    void close();
    bool isVisible() const;

    const std::function<void()>& onGranted() const { return onGranted_; }
    QWidget& window();
    // Null where the system has no page to open.
    QPushButton* grantButton() { return grantButton_; }

private:
    class Window;
    void requestGrant();

    PermissionsCoordinator& permissions_;
    std::function<void()> onGranted_;
    std::unique_ptr<Window> window_;
    QPushButton* grantButton_ = nullptr;  // owned by the window; null without a settings page
};

}  // namespace tessaly
