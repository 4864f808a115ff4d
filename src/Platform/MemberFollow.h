#pragma once
// Moves a group's other members the moment the platform reads a new frame of
// its active member, on the thread that read it, before anything else is sent
// for that change. What may move comes from a planner the session publishes
// (a pure function of its state at the time); everything the planner turns
// down (no plan) goes the ordinary way, through the main thread.
//
// Every frame sent, here or by the main thread, goes into one record of what
// the server was told (FrameRecord), and every decision below is a question
// to it. The main thread's commit of a change followed here sends nothing
// for it again: inside an adoption of the frame of the source that made
// them, a write of the frame already sent is taken as done. A window the
// main thread is writing to itself is never moved here until that write has
// gone out, so the two never overtake each other. A frame the server was
// just told is not sent again (the window manager reports a move of a frame
// and of its client).
//
// A window the main thread wrote a frame to is not followed here until it
// reports that frame (or a while has passed): its reports from before the
// write, or of a window manager getting there in steps, are no move of
// anyone's. The main thread sees its own change through.
//
// Thread-safe. The planner and the sender run under the object's lock: a new
// planner (a new state of the session) and a move in flight exclude each
// other, so no move leaves for a membership the session has already left.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Platform/Clock.h"
#include "Platform/FrameRecord.h"
#include "Platform/Geometry.h"
#include "Platform/Types.h"

namespace tessaly {

// A new frame of a window, as the platform read it.
struct FollowRequest {
    WindowID source = 0;
    Rect frame;
    double now = 0;         // monotonic seconds of the platform's clock (follow() sets it)
    bool buttonUp = false;  // the left button is known to be up
    bool fullScreen = false;
    bool maximized = false;
    bool minimized = false;
    bool shaded = false;  // rolled up to its title bar
};

struct FollowMove {
    WindowID window = 0;
    ProcessID pid = 0;
    friend bool operator==(const FollowMove&, const FollowMove&) = default;
};

// Every window in `moves` goes to `frame`. At the group's committed frame
// only the windows that were moved here and may not be there are moved,
// unless every move is asked for (windows kept behind a dragged one).
struct FollowPlan {
    Rect frame;
    std::vector<FollowMove> moves;
    Rect committed;  // the group's frame as the main thread holds it
    bool always = false;
};

// No plan: the change is left to the main thread.
using FollowPlanner = std::function<std::optional<FollowPlan>(const FollowRequest&)>;

class MemberFollow : public std::enable_shared_from_this<MemberFollow> {
public:
    // Sends one move without waiting for anything; false when it cannot
    // (the window is unknown, or a move needs what is not known now).
    using Sender = std::function<bool(const FollowMove&, const Rect&)>;
    // A window's size increments as far as they are known without asking
    // the server (zero where none are known).
    using Increments = std::function<Size(WindowID)>;

    // Times are read on `clock` (the session's). `record` is the platform's
    // (its writes go into it too); without one the follow keeps its own.
    MemberFollow(std::shared_ptr<Clock> clock, Sender send, Increments increments = {},
                 std::shared_ptr<FrameRecord> record = nullptr)
        : clock_(std::move(clock)), send_(std::move(send)), increments_(std::move(increments)),
          record_(record ? std::move(record) : std::make_shared<FrameRecord>()) {}
    MemberFollow(const MemberFollow&) = delete;
    MemberFollow& operator=(const MemberFollow&) = delete;

    // Any thread. An empty planner plans nothing.
    void setPlanner(FollowPlanner planner);

    // The platform's reading thread: plans for the change and sends the
    // moves. Answers how many were sent.
    std::size_t follow(FollowRequest request);

    // ---- The main thread ----
    // While it lives, writes of frames that were sent for `source`'s change
    // are taken as done.
    class Adoption {
    public:
        Adoption(const std::shared_ptr<MemberFollow>& follow, WindowID source);
        ~Adoption();
        Adoption(const Adoption&) = delete;
        Adoption& operator=(const Adoption&) = delete;

    private:
        std::shared_ptr<MemberFollow> follow_;
    };
    // Before a frame write to `window`: true when that frame went out here
    // already for the adoption under way (the write is then left out).
    bool takeSent(WindowID window, const Rect& frame);
    // `read` is a frame the window was sent in the last while, here or by
    // the main thread: the window passing through (in a burst of moves its
    // reports come after newer frames were sent), not a move of its own.
    bool isPassing(WindowID window, const Rect& read, Size increments);
    // A write of `frame` to `window` the main thread makes: no move leaves
    // here for the window until the token is gone (the write went out, or
    // was dropped). Made with make_shared only.
    std::shared_ptr<void> willWrite(WindowID window, const Rect& frame);

private:
    Size incrementsOf(WindowID window) const { return increments_ ? increments_(window) : Size{}; }

    const std::shared_ptr<Clock> clock_;
    const Sender send_;
    const Increments increments_;
    std::mutex mutex_;
    FollowPlanner planner_;
    std::optional<WindowID> adopting_;
    const std::shared_ptr<FrameRecord> record_;
};

}  // namespace tessaly
