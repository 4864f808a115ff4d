#pragma once
// What the server was last told about each window's frame: every frame sent
// in the last `lifetime`, when, by which path (a move made the moment the
// platform read a change, or a write of the main thread's), and whether the
// main thread's write is still in flight or has landed. The questions the
// follow path asks ("sent already?", "passing through?", "landing?", "a
// duplicate?") are answered from here, and from nothing else.
//
// One rule compares a frame read with a frame told: FrameLanding's, with
// `tolerance` and the window's size increments. Frames told are compared
// with each other exactly: both are ours, and a move left out because a
// frame near it went out would leave the window off by that much.
//
// Not thread-safe: its owner (MemberFollow) holds it under its lock.
#include <deque>
#include <functional>
#include <unordered_map>

#include "Platform/Geometry.h"
#include "Platform/Types.h"

namespace tessaly {

class FrameRecord {
public:
    enum class Path {
        follow,  // moved at once, on the thread that read the change of `source`
        write,   // written by the main thread
    };
    // A frame told is only this long taken as on its way.
    static constexpr double lifetime = 1.0;
    // How far an edge read may be from the one told and still have landed.
    static constexpr double tolerance = 4.0;

    // The one rule: `read` is where `told` landed.
    static bool isLanded(const Rect& read, const Rect& told, Size increments);

    // ---- Telling ----
    // A move sent at once for a change of `source`.
    void followed(WindowID window, const Rect& frame, WindowID source, double at);
    // The main thread begins a write: it is in flight until written() and
    // the frame the window ends at (moves sent before it are behind it).
    void writing(WindowID window, const Rect& frame, double at);
    void written(WindowID window);
    // Forgets windows told nothing for `lifetime` and with no write in flight.
    void prune(double at);

    // ---- Questions ----
    // A write of the main thread's has not gone out yet.
    bool isInFlight(WindowID window) const;
    // `read` is one of the frames told in the last `lifetime`: in a burst of
    // moves a window reports frames older than the one told last.
    bool isPassing(WindowID window, const Rect& read, Size increments, double at) const;
    // The main thread's last write has neither been reported (`read` lands
    // there: then it has, from now on) nor outlived `lifetime`. The window's
    // increments are asked for only when there is such a write.
    bool isLanding(WindowID window, const Rect& read, const std::function<Size()>& increments, double at);
    // The server was last told exactly `frame`, within `lifetime`.
    bool isLastTold(WindowID window, const Rect& frame, double at) const;
    // A move sent at once that the main thread has not taken as its own.
    bool hasUntakenMove(WindowID window) const;
    // The main thread, adopting `source`'s change, is about to write `frame`:
    // true when a move for that change took it there already. It and every
    // move before it are then taken (the main thread has caught up with them).
    bool take(WindowID window, const Rect& frame, WindowID source, double at);

private:
    struct Told {
        Rect frame;
        double at = 0;
        Path by = Path::follow;
        WindowID source = 0;  // the change a move was for
        bool taken = false;   // a move the main thread took as its own write
    };
    struct Record {
        std::deque<Told> told;  // oldest first, none older than `lifetime` when the last was added
        int inFlight = 0;       // writes begun and not gone out
        bool landed = true;     // the last write was reported (or outlived `lifetime`)
        const Told* lastWrite() const;
    };

    Record& tell(WindowID window, const Told& told);
    const Record* find(WindowID window) const;

    std::unordered_map<WindowID, Record> records_;
};

}  // namespace tessaly
