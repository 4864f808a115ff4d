#pragma once
// What the server was last told about each window's frame: every frame sent
// in the last `lifetime`, when, by which path (a move made the moment the
// platform read a change, or a write of the main thread's), and whether the
// main thread's write is still in flight or has landed. The questions the
// follow path asks ("sent already?", "passing through?", "landing?", "a
// duplicate?") are answered from here, and from nothing else.
//
// It also holds a write the server is about to be told: one kept back until
// the window can take it (a maximised window is unmaximised first), made
// then, and kept a moment longer in case the window's decoration changes
// after it. While one is held no move is sent to that window at once; a
// newer write takes its place. A held write's times are those of the
// writer that held it, and are compared with nothing else.
//
// One rule compares a frame read with a frame told: FrameLanding's, with
// `tolerance` and the window's size increments. Frames told are compared
// with each other exactly: both are ours, and a move left out because a
// frame near it went out would leave the window off by that much.
//
// Thread-safe: every member takes the record's own lock. The platform's
// writes and the follow path (MemberFollow, which asks its questions under
// its own lock, taken first) share one record.
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "Platform/Geometry.h"
#include "Platform/MaximizedAxes.h"
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
    // A write is held at most this long for its window to take it (KWin
    // with compositing, on a busy machine, carries an unmaximise out only
    // about three seconds after it was asked).
    static constexpr double holdLifetime = 5.0;
    // How far an edge read may be from the one told and still have landed.
    static constexpr double tolerance = 4.0;

    // The one rule: `read` is where `told` landed.
    static bool isLanded(const Rect& read, const Rect& told, Size increments);

    // From a window's frame to its client, edge by edge.
    struct Inset {
        double left = 0;
        double right = 0;
        double top = 0;
        double bottom = 0;
        friend bool operator==(const Inset&, const Inset&) = default;
    };
    // A write kept back: the parts of the frame it names (a frame comes as a
    // size and a move), for whom.
    struct HeldWrite {
        std::optional<Point> origin;
        std::optional<Size> size;
        std::optional<ProcessID> owner;
        // Once made: the inset it was made with (the window manager may
        // change the decoration only after the state).
        std::optional<Inset> madeWith;
        // Asked for once it is made: the window maximised again along these
        // axes, where the frame put it (a tile's place). Not carried over to
        // a write that takes this one's place.
        MaximizedAxes maximizeAfter;
    };

    // ---- Telling ----
    // A move sent at once for a change of `source`.
    void followed(WindowID window, const Rect& frame, WindowID source, double at);
    // The main thread begins a write: it is in flight until written() and
    // the frame the window ends at (moves sent before it are behind it).
    void writing(WindowID window, const Rect& frame, double at);
    void written(WindowID window);
    // Forgets windows told nothing for `lifetime` and with no write in flight
    // (held writes stay until they are released or outlive their time).
    void prune(double at);
    // Holds `write` for `window` until `at + patience`, in place of the one
    // held. A write not made yet keeps the parts it leaves out from a held
    // one not made yet either: the window would otherwise come back at the
    // size (or place) it is leaving.
    void hold(WindowID window, HeldWrite write, double at, double patience = holdLifetime);
    // The held write is gone (made, taken over by a write sent at once, or
    // its window is).
    void release(WindowID window);
    // The window is to be maximised along `axes` once its held write is
    // made: true when one is held and not made yet (the writer then asks),
    // false when the caller must ask itself. Decided under the lock, as is
    // made(): either the maximise goes with the write or after it.
    bool maximizeAfterHeld(WindowID window, MaximizedAxes axes, double at);
    // `write` was made with `inset`: it stays held until `at + patience`
    // unless a newer write took its place. Answers the axes to maximise it
    // along now (none if a newer write took its place).
    MaximizedAxes made(WindowID window, const HeldWrite& write, Inset inset, double at, double patience);

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
    // The write held for `window` that has not outlived its time.
    std::optional<HeldWrite> held(WindowID window, double at) const;
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

    struct Held {
        HeldWrite write;
        double until = 0;
    };

    // Under mutex_.
    Record& tell(WindowID window, const Told& told);
    const Record* find(WindowID window) const;
    const Held* findHeld(WindowID window, double at) const;

    mutable std::mutex mutex_;
    std::unordered_map<WindowID, Record> records_;
    std::unordered_map<WindowID, Held> held_;
};

}  // namespace tessaly
