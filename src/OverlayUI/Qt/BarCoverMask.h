#pragma once
// Where the window manager will not keep a bar between windows, the bar is
// cut to look stacked where it belongs. metacity stacks every
// override-redirect window above all of its own windows, whatever it is
// asked (a bar ordered directly above its group's frame is put above the
// topmost frame at once): there each bar is cut where the windows the
// window manager stacks above its group's window would cover it, and its
// backing band, which belongs behind that window, is cut away whole. The
// window manager is watched, not named: cutting starts the first time it
// restacks a bar the program ordered (a strip put elsewhere than above the
// frame it was ordered above, a backing put directly above the frame it was
// ordered below), and stops when another one comes.
//
// Reports arrive on the backend's event thread; the cutting is done on the
// main thread, once for all the reports that came meanwhile.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>

#include "OverlayUI/Qt/X11PanelOps.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/Subscription.h"

namespace tessaly {

class QtTabBarPanel;
class X11Backend;
struct X11Event;

class BarCoverMask {
public:
    BarCoverMask(const std::shared_ptr<X11Backend>& backend, std::shared_ptr<MainExecutor> mainExecutor,
                 std::shared_ptr<std::set<QtTabBarPanel*>> bars);
    ~BarCoverMask();
    BarCoverMask(const BarCoverMask&) = delete;
    BarCoverMask& operator=(const BarCoverMask&) = delete;

    // Main thread, just before the request: a bar's panel (strip or
    // backing) is ordered directly above or below `frame` (a root child);
    // frame 0 when the panel is gone.
    void ordering(X11PanelOps::XWindow panel, X11PanelOps::XWindow frame, bool above);
    // Main thread, just before the requests: a panel is put below the
    // window under it and back above, by the program itself; its next two
    // restack reports are not the window manager's.
    void restackingInPlace(X11PanelOps::XWindow panel);
    // Main thread: cuts every live bar for the windows as they stand now
    // (after a bar was placed or shown, and for each batch of reports).
    void update();
    // Whether the window manager was seen to restack bars of its own accord.
    bool isCutting() const { return cutting_.load(); }

private:
    // How many of the frames a panel was last ordered above count as ours:
    // a report of an earlier ordering may come after a later one was asked.
    static constexpr std::size_t kRecentFrames = 4;

    // What was asked of one panel.
    struct Ordered {
        std::deque<X11PanelOps::XWindow> above;  // the latest frames it was ordered above
        X11PanelOps::XWindow below = 0;          // the frame it was last ordered below
        bool belowLanded = false;                // and since reported elsewhere than above it
        int ownRestacks = 0;                     // restack reports still to come of a restack in place
    };
    // Whether a restack report of a panel (its new sibling below) is none
    // of the program's own doing.
    static bool isForeign(Ordered& ordered, X11PanelOps::XWindow sibling);
    void handle(const X11Event& event);
    void scheduleUpdate();

    std::shared_ptr<X11Backend> backend_;
    std::shared_ptr<MainExecutor> mainExecutor_;
    std::shared_ptr<std::set<QtTabBarPanel*>> bars_;
    std::mutex mutex_;
    std::unordered_map<X11PanelOps::XWindow, Ordered> ordered_;
    std::atomic<bool> cutting_ = false;
    std::atomic<bool> updatePosted_ = false;
    LifetimeToken lifetime_;     // posted updates do nothing once this is gone
    Subscription subscription_;  // last: ends before the rest goes
};

}  // namespace tessaly
