#pragma once
// The workspace over X11: running applications are the processes owning
// managed clients; the frontmost one owns _NET_ACTIVE_WINDOW; Spaces are
// EWMH desktops. Notifications, delivered on the main executor:
// - didActivateApplication: the active window's process changed;
// - didTerminateApplication: a process that owned clients exited (pidfd);
// - activeSpaceDidChange: _NET_CURRENT_DESKTOP changed;
// - windowDidChangeSpace: a client's _NET_WM_DESKTOP was set (delivered in
//   order with activeSpaceDidChange, so a window sent to a desktop the user
//   then follows it to is told of first);
// - screenParametersDidChange: RandR, root size, work area or struts changed;
// - screensDidSleep / screensDidWake: the screen saver turned on / off;
// - willSleep / didWake: logind's PrepareForSleep on the system bus.
#include "Platform/MainExecutor.h"
#include "Platform/Workspace.h"
#include "Platform/X11/X11Applications.h"
#include "Platform/X11/X11Backend.h"

#include <memory>

namespace tessaly {

class X11Workspace final : public Workspace {
public:
    // The executor must outlive the workspace's deliveries (they are
    // dropped once the workspace is gone).
    // `sleepBusAddress` names the bus logind's signal comes from (empty:
    // the system bus).
    X11Workspace(std::shared_ptr<X11Backend> backend, std::shared_ptr<MainExecutor> main,
                 std::string sleepBusAddress = {});
    ~X11Workspace() override;

    std::vector<RunningApplication> runningApplications() const override;
    std::optional<RunningApplication> runningApplication(ProcessID pid) const override;
    std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    // Activates the application's frontmost window that is not minimised.
    bool activate(ProcessID pid) override;
    // Hands the location to xdg-open.
    bool openURL(const std::string& url) override;
    std::uint32_t currentSpace() const override;
    Subscription addObserver(WorkspaceNotification kind, Handler handler) override;

    struct State;

private:
    std::shared_ptr<X11Backend> backend_;
    std::shared_ptr<State> state_;
};

}  // namespace tessaly
