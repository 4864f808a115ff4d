#pragma once
// What a move or resize needs to know that does not change while a window
// lives, remembered between writes so that a write costs no round trip: the
// owner of each client, its frame extents, and whether the window manager
// takes _NET_MOVERESIZE_WINDOW.
//
// X window ids are reused after destruction, so only windows the event
// reader watches are remembered (clients in its _NET_CLIENT_LIST): it reports
// their destruction, their leaving the list and changes of their extents and
// of the window manager, and each report drops what it makes stale. Nothing
// is remembered before the reader runs (activate() asks the owner to start
// it).
//
// A fill races with those reports: it carries the generation taken before
// its requests went out and is dropped when a report that could make it
// stale came in between (for extents any report, for an owner one about
// which windows live, for the window manager one about it).
// Every member is safe to call from any thread.
#include "Platform/Types.h"
#include "Platform/X11/X11Windows.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tessaly {

class X11WindowCache {
public:
    using Generation = std::uint64_t;

    struct Lookup {
        Generation generation = 0;  // for the fills that follow this lookup
        bool known = false;         // the window is a watched client
        std::optional<ProcessID> pid;
        std::optional<X11FrameExtents> extents;
        std::optional<bool> moveResize;  // the window manager takes _NET_MOVERESIZE_WINDOW
    };

    // `startWatching` starts the event reader; it is asked once, by the
    // first activate() before the cache is active.
    void setStarter(std::function<void()> startWatching);
    void activate();
    bool isActive() const { return active_.load(); }

    Lookup lookup(xcb_window_t window) const;
    // Taken before the requests of a read whose answers fill the cache.
    Generation generation() const;
    // Fills, dropped when the cache changed since `since` or the window is
    // not a watched client.
    void rememberPid(Generation since, xcb_window_t window, ProcessID pid);
    void rememberExtents(Generation since, xcb_window_t window, const X11FrameExtents& extents);
    void rememberMoveResize(Generation since, bool supported);

    // From the event reader. watching() turns the cache on with the clients
    // the reader watches from its start.
    void watching(const std::vector<xcb_window_t>& clients);
    void clientsChanged(const std::vector<xcb_window_t>& clients);
    void destroyed(xcb_window_t window);
    void extentsChanged(xcb_window_t window);
    void windowManagerChanged();

private:
    struct Entry {
        std::optional<ProcessID> pid;
        std::optional<X11FrameExtents> extents;
    };
    // Under mutex_: whether a fill of `window` begun at `since` may still be
    // stored, given the last report that bears on it.
    bool mayRemember(Generation since, Generation lastReport, xcb_window_t window) const;

    std::function<void()> startWatching_;
    std::atomic<bool> startAsked_{false};
    std::atomic<bool> active_{false};

    mutable std::mutex mutex_;
    Generation generation_ = 1;          // counts every report
    Generation membershipChangedAt_ = 1; // which windows are live clients
    Generation windowManagerChangedAt_ = 1;
    std::unordered_set<xcb_window_t> clients_;
    std::unordered_map<xcb_window_t, Entry> entries_;
    std::optional<bool> moveResize_;
};

}  // namespace tessaly
