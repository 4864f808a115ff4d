#pragma once
// The accessibility notifications of one application, turned into
// AXAppEvents and delivered on the main thread in the order they happened.
// Notifications are handled on the shared observer thread; the main thread
// creates the stream, observes and stops observing windows, and invalidates it.
//
// Teardown is synchronous: once invalidate() (or the destructor) returns, no
// further event of this stream is posted, and work still queued on the
// observer thread finds the stream stopped. Events posted before still reach
// the handler. Nothing a running callback can reach is freed under it.
#include <functional>
#include <memory>
#include <string>

#include "AXKit/AXAppEvent.h"
#include "AXKit/AXObserverThread.h"
#include "AXKit/AXServices.h"
#include "Platform/MainExecutor.h"

namespace tessaly {

class AXObserverStream {
public:
    using Handler = std::function<void(const AXAppEvent&)>;

    // Per-window notifications, registered and removed in this order.
    static const std::vector<std::string>& windowNotifications();

    // Null when no observer can be made for the process.
    static std::unique_ptr<AXObserverStream> make(AXServicesRef services, const AXObserverThread& thread,
                                                  std::shared_ptr<MainExecutor> main, ProcessID pid,
                                                  Handler handler);
    ~AXObserverStream();
    AXObserverStream(const AXObserverStream&) = delete;
    AXObserverStream& operator=(const AXObserverStream&) = delete;

    ProcessID pid() const;
    void observe(const AXWindow& window);
    void stopObserving(WindowID windowID);
    void invalidate();

    // The window ids observed now, in order.
    std::vector<WindowID> observedWindowIDs() const;

    struct Core;

private:
    explicit AXObserverStream(std::shared_ptr<Core> core);
    std::shared_ptr<Core> core_;
};

}  // namespace tessaly
