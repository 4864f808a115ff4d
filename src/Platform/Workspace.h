#pragma once
// The running applications and the workspace's notifications.
//
// Notifications are delivered on the main thread, through the MainExecutor
// the backend was made with, to every observer registered for that kind when
// the delivery runs.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Subscription.h"
#include "Platform/Types.h"

namespace tessaly {

enum class ActivationPolicy { regular, accessory, prohibited };

struct RunningApplication {
    ProcessID pid = 0;
    std::optional<std::string> bundleIdentifier;  // the desktop entry's id here
    std::optional<std::string> localizedName;
    std::optional<std::string> bundlePath;        // the desktop entry's path here
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool isHidden = false;
    bool isTerminated = false;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

enum class WorkspaceNotification {
    didActivateApplication,     // payload: the activated application
    didTerminateApplication,    // payload: the terminated application
    activeSpaceDidChange,
    willSleep,
    didWake,
    screensDidSleep,
    screensDidWake,
    screenParametersDidChange,
    windowDidChangeSpace,       // payload: the window; its Space was set (possibly to the same one)
};

struct WorkspaceEvent {
    WorkspaceEvent() = default;
    WorkspaceEvent(WorkspaceNotification k, std::optional<RunningApplication> app = std::nullopt,
                   std::optional<WindowID> w = std::nullopt)
        : kind(k), application(std::move(app)), window(w) {}

    WorkspaceNotification kind = WorkspaceNotification::activeSpaceDidChange;
    std::optional<RunningApplication> application;
    std::optional<WindowID> window;
};

class Workspace {
public:
    using Handler = std::function<void(const WorkspaceEvent&)>;

    virtual ~Workspace() = default;

    // Every running application, in the workspace's order.
    virtual std::vector<RunningApplication> runningApplications() const = 0;
    virtual std::optional<RunningApplication> runningApplication(ProcessID pid) const = 0;
    // The running applications with that bundle identifier (desktop entry id).
    virtual std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) const = 0;
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;

    // Asks the application to become active; false when there is no such
    // application or the request could not be sent.
    virtual bool activate(ProcessID pid) = 0;
    // Opens a location (a settings page, a file) with the system's handler.
    virtual bool openURL(const std::string& url) = 0;

    // The current virtual desktop (Space) number.
    virtual std::uint32_t currentSpace() const = 0;

    // Delivers the notifications of that kind to `handler` while the handle
    // lives (on the main thread: end it there).
    virtual Subscription addObserver(WorkspaceNotification kind, Handler handler) = 0;
};

}  // namespace tessaly
