#pragma once
// Keeps shown tab bars on their windows at the speed of the X server: on the
// backend's event thread, as soon as the frame a bar sits on reports a move,
// a resize or a restack, the bar's strip (and its backing) are put back on
// the frame's top edge, directly above (below) it, with one ConfigureWindow
// each on Qt's connection. The overlay manager's own placement follows a
// moment later on the main thread and lands where the bar already is.
//
// Only bars placed above their window are followed, and only from a report
// of the frame with the group frame they were placed for: one of the frame
// window's own last few reported geometries (the main thread may lag behind
// a drag; such a bar goes where the frame is now at once, when the frame has
// only moved since), or the next report of it (the main thread may have read
// the move first). Until then the bar stays where it was placed; anything
// else (a strip inside a title bar, a frame the session changed, a window
// manager whose frames differ from the reported extents) is left to the
// main thread. A bar on a frame not reported yet waits for a report of its
// place as well: the first report may be from before the placement (a
// drag the window manager stops short of where the bar was put), and
// metacity's frames, holding invisible borders beyond the extents, never
// report it. A followed frame that changes its
// width about its middle is left to the main thread too: a GTK window
// growing its shadow margins back around what it shows after a maximise
// (the bar stays on what shows), a window manager's resize about the
// middle (which the session follows anyway), or a frame gaining or losing
// a window manager's invisible borders (metacity and marco, as a window
// is rolled up or down). A bar that is hidden is never
// shown here. When another window is put between a frame and its bar (a
// window manager restacking without telling the frame), the bar is put back
// too.
//
// The frames bars sit on are also watched on a connection of the follower's
// own (X11FrameWatch), which wakes sooner than the backend's reader: once a
// frame's first change has come that way, its moves are taken from there
// only, and the reader's reports of them are left alone.
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "OverlayUI/Qt/X11PanelOps.h"
#include "Platform/Geometry.h"
#include "Platform/Subscription.h"
#include "Platform/X11/X11FrameWatch.h"

namespace tessaly {

class X11Backend;
struct X11Event;

class BarFrameFollower {
public:
    struct Target {
        X11PanelOps::XWindow strip = 0;
        X11PanelOps::XWindow backing = 0;  // 0: none on screen
        X11PanelOps::XWindow frame = 0;    // the root child the bar sits on
        Rect groupFrame;                   // what the bar was placed for (its top edge counts)
        double stripHeight = 0;
        double backingReach = 0;
        bool confirmed = false;  // the frame was reported with the group frame's top edge
        bool awaited = false;    // placed for a place the frame has not reported yet
    };

    explicit BarFrameFollower(const std::shared_ptr<X11Backend>& backend);
    ~BarFrameFollower();
    BarFrameFollower(const BarFrameFollower&) = delete;
    BarFrameFollower& operator=(const BarFrameFollower&) = delete;

    // Main thread. A bar (any key) now sits as `target` says, or, without a
    // target, is no longer followed. Once this returns no request for an
    // earlier target is sent any more.
    void follow(const void* bar, const std::optional<Target>& target);

    // Main thread. Where a bar about to be placed for `groupFrame` on
    // `frame` belongs: where the frame is now when it has only moved since
    // it was reported there (the main thread lags behind a drag), so that
    // the bar does not go back there for a moment first; else `groupFrame`.
    Rect caughtUp(X11PanelOps::XWindow frame, const Rect& groupFrame) const;

private:
    // How many of a frame's latest geometries a placement may have been made for.
    static constexpr std::size_t kRecentGeometries = 8;
    // How many windows' geometries are kept before those of windows no bar
    // sits on are forgotten (their windows may be long gone).
    static constexpr std::size_t kRememberedWindows = 512;

    // The frame's latest reported geometry, when it was reported with
    // `groupFrame`'s top edge lately and has only moved since (mutex held).
    std::optional<Rect> movedOnFrom(X11PanelOps::XWindow frame, const Rect& groupFrame) const;
    void handle(const X11Event& event);
    void handleWatched(const X11FrameWatch::Report& report);
    // A root child changed (mutex held): records its geometry, if any, and
    // puts back the bars on it or, when it now sits directly on a bar's
    // frame, on that frame.
    void rootChildChanged(X11PanelOps::XWindow window, const std::optional<Rect>& geometry,
                          X11PanelOps::XWindow below);
    // Puts the bar's strip and backing on the target's group frame (mutex held).
    void place(const Target& target);

    mutable std::mutex mutex_;
    std::unordered_map<const void*, Target> targets_;
    std::unordered_set<X11PanelOps::XWindow> ownWindows_;
    // Every root child's latest geometries as reported, oldest first.
    std::unordered_map<X11PanelOps::XWindow, std::deque<Rect>> lastGeometry_;
    // Frames whose changes come from the watch (it has reported one).
    std::unordered_set<X11PanelOps::XWindow> watchedFrames_;
    xcb_connection_t* connection_ = nullptr;  // Qt's
    std::shared_ptr<X11Backend> backend_;
    std::unique_ptr<X11FrameWatch> watch_;
    Subscription subscription_;  // last: ends before the rest goes
};

}  // namespace tessaly
