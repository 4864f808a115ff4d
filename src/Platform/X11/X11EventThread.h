#pragma once
// A thread that hands every event of one xcb connection to a function until
// stopped. It blocks in poll() on the connection and on an eventfd, so
// stop() wakes it at once and returns when it has ended (synchronously);
// stop() must not be called from inside the function.
#include "Platform/X11/X11Connection.h"

#include <functional>
#include <thread>

namespace tessaly {

class X11EventThread {
public:
    using Handler = std::function<void(const xcb_generic_event_t&)>;

    X11EventThread() = default;
    ~X11EventThread() { stop(); }
    X11EventThread(const X11EventThread&) = delete;
    X11EventThread& operator=(const X11EventThread&) = delete;

    // Starts reading `connection`, which must outlive the thread. False when
    // already running or the wake-up descriptor cannot be made. `closed`
    // runs on the thread, last, when the server closed the connection (not
    // when stopped). `drained`, when given, runs each time every event read
    // so far has been handed out, before the thread waits for more; events
    // it lets xcb read meanwhile are handed out before the wait.
    bool start(const X11Connection& connection, Handler handler, std::function<void()> closed = {},
               std::function<void()> drained = {});
    // The same with a connection that `connect` makes on the thread itself
    // (kept alive by its caller); nothing is read when it answers nullptr.
    bool start(std::function<const X11Connection*()> connect, Handler handler, std::function<void()> closed = {},
               std::function<void()> drained = {});
    void stop();
    bool isRunning() const { return thread_.joinable(); }

private:
    void run(const X11Connection& connection, const Handler& handler, const std::function<void()>& closed,
             const std::function<void()>& drained) const;

    int wakeFd_ = -1;
    std::thread thread_;
};

}  // namespace tessaly
