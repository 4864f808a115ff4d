#pragma once
// Window-server notifications over X11, for windows asked about by number
// (client windows, or root children of our own such as panels):
// - window reordered (808): the root child holding the window changed its
//   place in the stacking order (the window directly below it is another
//   one, whoever restacked it), another window's frame was put directly
//   above it, the window directly above it went elsewhere, or the window
//   got a new frame (a window manager started). So a panel kept directly
//   above a window's frame, which re-orders itself on this, is told
//   whenever anything ends up between the two. Moving or resizing in place,
//   and ordering an override-redirect window (a panel) directly above the
//   frame, report nothing.
// - window destroyed (804): the client window was destroyed.
// The data handed to a callback is the window number (4 bytes). Callbacks
// run on the backend's event thread and must hand their work over to their
// own thread; once the notifier is gone, none runs any more.
#include "Platform/PrivateWindowServer.h"
#include "Platform/X11/X11Backend.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace tessaly {

class X11WindowNotifier {
public:
    static constexpr std::uint32_t windowDestroyed = 804;
    static constexpr std::uint32_t windowReordered = 808;

    explicit X11WindowNotifier(std::shared_ptr<X11Backend> backend) : backend_(std::move(backend)) {}
    ~X11WindowNotifier();
    X11WindowNotifier(const X11WindowNotifier&) = delete;
    X11WindowNotifier& operator=(const X11WindowNotifier&) = delete;

    // 0 on success; a failure for an event code never sent here, a null
    // callback, or when the event thread cannot start.
    WindowServerError registerNotifyProc(WindowServerNotifyProc proc, std::uint32_t event, void* context);
    // Adds windows to those reported on; windows already gone are ignored.
    WindowServerError requestNotificationsForWindows(const WindowID* windows, std::int32_t count);

private:
    struct Registration {
        WindowServerNotifyProc proc = nullptr;
        std::uint32_t event = 0;
        void* context = nullptr;
    };
    bool subscribe();
    void handle(const X11Event& event);
    void send(std::uint32_t code, WindowID window);

    std::shared_ptr<X11Backend> backend_;
    std::mutex subscribeMutex_;
    Subscription subscription_;  // under subscribeMutex_
    std::atomic<bool> subscribed_ = false;
    std::mutex mutex_;
    std::vector<Registration> registrations_;
    std::unordered_set<xcb_window_t> watched_;  // the windows asked about
};

}  // namespace tessaly
