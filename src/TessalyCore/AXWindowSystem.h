#pragma once
// The one object through which the program acts on other applications'
// windows and hears what happens to them. It keeps one accessibility
// connection per application whose windows it tracks (the application, its
// serial queue "tessaly.ax.<pid>" and its notification stream), turns the
// stream's events into WindowSystemEvents, and repeats a raise once when the
// raised window's application reports its activation.
//
// Confined to the main thread. Every accessibility call that can block runs
// on the application's serial queue; results come back through the main
// executor (a frame change is read at once where the accessibility backend
// handles frames promptly). Effects on an application without a connection run on one
// queue per process ("tessaly.ax.effect.<pid>"), so they keep their order.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "AXKit/AXApplication.h"
#include "AXKit/AXObserverStream.h"
#include "AXKit/AXObserverThread.h"
#include "AXKit/AXWindow.h"
#include "Platform/Lifetime.h"
#include "Platform/PlatformServices.h"
#include "TessalyCore/ActivationReassertGate.h"
#include "TessalyCore/GroupMember.h"
#include "TessalyCore/WindowSystem.h"
#include "TessalyCore/WindowSystemEvent.h"

namespace tessaly {

class AXWindowSystem final : public WindowSystem {
public:
    static constexpr double reassertTTL = 1.0;

    explicit AXWindowSystem(const PlatformServices& platform);
    ~AXWindowSystem() override;
    AXWindowSystem(const AXWindowSystem&) = delete;
    AXWindowSystem& operator=(const AXWindowSystem&) = delete;

    // Receives every event, on the main thread; while empty, events are dropped.
    std::function<void(const WindowSystemEvent&)> onEvent;
    // Called on the main thread as a frame write is about to leave for its
    // window (not for one taken as sent already).
    std::function<void()> beforeFrameWrite;

    void track(const AXWindowRef& window);
    void untrack(WindowID windowID);
    // Forgets an application (it has terminated): its connection, its
    // stream, its effect queue and its tracked windows.
    void dropConnection(ProcessID pid);
    AXWindowRef window(WindowID windowID) const;
    // A member for the window (title read now, on this thread).
    std::optional<GroupMember> makeMember(const AXWindow& from) const;

    // WindowSystem.
    void setFrame(const Rect& frame, WindowID of) override;
    void setMaximized(MaximizedAxes axes, const Rect& frame, WindowID of) override;
    void raiseAndActivate(WindowID windowID) override;
    void close(WindowID windowID) override;
    void setMinimized(WindowID windowID, bool minimized) override;
    void setShaded(WindowID windowID, bool shaded) override;

    // The same for a window that need not be tracked.
    void setFrame(const Rect& frame, const AXWindowRef& of);
    void raiseAndActivate(const AXWindowRef& window);

    // Reads a tracked window's frame on its application's queue; the
    // completion runs on the main thread (at once, with nothing, for an
    // untracked id).
    void readFrame(WindowID of, std::function<void(std::optional<Rect>)> completion);
    // Reads a tracked window's frame again and reports it as a frame change
    // (as the window system would), for a change that was passed over.
    void reportFrameAgain(WindowID of) { reportFrameChange(of); }

    // For the owner and for tests.
    const AXServicesRef& axServices() const { return services_; }
    bool hasConnection(ProcessID pid) const { return connections_.count(pid) > 0; }
    bool hasObserverStream(ProcessID pid) const;
    std::size_t trackedCount() const { return windowsByID_.size(); }
    const ActivationReassertGate<AXWindowRef>& reassertGate() const { return reassertGate_; }

private:
    struct AppConnection {
        AXApplication app;
        std::shared_ptr<DispatchQueue> queue;
        std::unique_ptr<AXObserverStream> observers;
    };
    struct EffectsContext {
        AXApplication app;
        std::shared_ptr<DispatchQueue> queue;
    };

    AppConnection& connection(ProcessID pid);
    EffectsContext effectsContext(ProcessID pid);
    void handle(const AXAppEvent& event);
    void report(const WindowSystemEvent& event);
    // Reads a tracked window's frame on its application's queue and reports it.
    void reportFrameChange(WindowID id);
    void reassertIfRequested(ProcessID activatedPID);
    // Held until a write to the window has gone out: the platform moves it
    // on its own only after that (see MemberFollow).
    std::shared_ptr<void> willWrite(const AXWindowRef& window, const Rect& frame) const;
    double now() const;

    PlatformServices platform_;
    AXServicesRef services_;
    AXObserverThread observerThread_;
    std::map<ProcessID, AppConnection> connections_;
    std::map<ProcessID, std::shared_ptr<DispatchQueue>> effectQueues_;
    std::map<WindowID, AXWindowRef> windowsByID_;
    // Per window: a frame read is queued and has not begun.
    std::map<WindowID, std::shared_ptr<std::atomic<bool>>> frameReadsQueued_;
    ActivationReassertGate<AXWindowRef> reassertGate_{reassertTTL};
    Subscription activationObserver_;
    LifetimeToken lifetime_;
};

}  // namespace tessaly
