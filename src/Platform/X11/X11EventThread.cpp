#include "Platform/X11/X11EventThread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tessaly {

bool X11EventThread::start(const X11Connection& connection, Handler handler, std::function<void()> closed,
                           std::function<void()> drained) {
    return start([&connection] { return &connection; }, std::move(handler), std::move(closed), std::move(drained));
}

bool X11EventThread::start(std::function<const X11Connection*()> connect, Handler handler,
                           std::function<void()> closed, std::function<void()> drained) {
    if (thread_.joinable()) return false;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) return false;
    thread_ = std::thread(
        [this, connect = std::move(connect), handler = std::move(handler), closed = std::move(closed),
         drained = std::move(drained)] {
            if (const X11Connection* connection = connect()) run(*connection, handler, closed, drained);
        });
    return true;
}

void X11EventThread::stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    if (wakeFd_ >= 0) close(wakeFd_);
    wakeFd_ = -1;
}

void X11EventThread::run(const X11Connection& connection, const Handler& handler,
                         const std::function<void()>& closed, const std::function<void()>& drained) const {
    xcb_connection_t* c = connection.get();
    while (true) {
        // Events may already sit in xcb's queue (read while waiting for a
        // reply), so drain before blocking on the socket.
        while (XEvent event{xcb_poll_for_event(c)}) handler(*event);
        if (drained) {
            drained();
            if (XEvent event{xcb_poll_for_queued_event(c)}) {
                handler(*event);
                continue;
            }
        }
        if (!connection.isAlive()) {
            if (closed) closed();
            return;
        }
        pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents & POLLIN) return;
    }
}

}  // namespace tessaly
