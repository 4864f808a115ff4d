#pragma once
// Hears of a few windows' own moves, resizes and restacks on a connection
// and thread of its own that listen to nothing else.
//
// The backend's event reader hears the whole desktop (the root's children,
// every client's properties, raw input): it is often awake or just back
// asleep when a frame moves, and the scheduler wakes it later than a thread
// that only ever waits for that frame. What must keep pace with a frame (a
// bar on its top edge) is told here first; the reader's report of the same
// change follows a moment later.
//
// The connection is made on the thread, so starting costs the caller no
// round trip; windows asked for before it is up are selected once it is.
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

#include "Platform/Geometry.h"
#include "Platform/X11/X11EventThread.h"

namespace tessaly {

class X11FrameWatch {
public:
    struct Report {
        xcb_window_t window = 0;
        Rect geometry;      // in the parent's coordinates, borders included
        bool gone = false;  // destroyed, or moved under another parent: no longer watched
    };
    using Handler = std::function<void(const Report&)>;

    // Handler runs on the watch's thread.
    X11FrameWatch(std::string display, Handler handler);
    ~X11FrameWatch();  // returns when the thread has ended: no report after it
    X11FrameWatch(const X11FrameWatch&) = delete;
    X11FrameWatch& operator=(const X11FrameWatch&) = delete;

    // Any thread. Reports of `window` start once the server has the
    // selection (no round trip waits for it); watching one twice is one.
    void watch(xcb_window_t window);

private:
    const X11Connection* connect();
    void handle(const xcb_generic_event_t& event);
    void select(xcb_window_t window);  // mutex held, connection up

    const std::string display_;
    const Handler handler_;
    std::mutex mutex_;
    std::unique_ptr<X11Connection> x_;  // made on the thread
    std::unordered_set<xcb_window_t> watched_;
    X11EventThread thread_;  // last: stops before the rest goes
};

}  // namespace tessaly
