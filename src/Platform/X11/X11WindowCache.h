#pragma once
// What a move or resize needs to know, remembered between writes so that a
// write costs no round trip: the owner of each client, whether it is
// maximised, its frame extents
// (as the window manager publishes them, or as measured from the frame
// window where it publishes none, with the client's border), its margins
// (_GTK_FRAME_EXTENTS), whether it asks for Static window gravity, its size
// (a move names it, as some window managers resize a window moved without
// one), and whether the window manager takes _NET_MOVERESIZE_WINDOW.
//
// X window ids are reused after destruction, so only windows the event
// reader watches are remembered (clients in its _NET_CLIENT_LIST): it reports
// their destruction, their leaving the list and changes of their extents,
// margins and size hints and of the window manager, and each report drops
// what it makes stale. Nothing is remembered before the reader runs
// (activate() asks the owner to start it).
//
// A fill races with those reports: it carries the generation taken before
// its requests went out and is dropped when a report that could make it
// stale came in between (for extents and size one about that window, for an
// owner one about which windows live, for the window manager one about it).
// A client list written anew with the same clients (a restack, on some
// window managers) tells of no window that came or went: it drops no fill.
// The size is kept from the client's ConfigureNotify (a root child's, for
// a client the window manager did not reparent) and from reads. A size a
// write asks for is the one a move names from then on, until the window
// manager has answered it: the server passes the request on at once, but
// the window manager carries it out when it gets to it, and until then
// every report and read still shows the size the window is leaving (a move
// naming that one would undo the resize). Each write sends a mark (see
// X11EventReader) before its request; a report of the size asked for that
// the reader sees after the mark is the answer. A window manager that
// allows another size, or none, answers with something else or nothing:
// the size asked for lapses after kSizeAnswerPatience, and the last size
// reported counts again.
// Measured extents are dropped when the client is configured within its
// frame for real (not by the synthetic ConfigureNotify a move sends) or
// given another frame: the decoration may have changed.
//
// It also keeps the whole of each watched client as a read last saw it
// (X11WindowInfo: frame, state, title, owner...), so a read answers from
// memory. Moves and resizes are followed from the ConfigureNotify of the
// frame (a root child) and of the client itself: the client's place in its
// parent and the frame's outer rectangle come with them, and the client keeps
// its place in the frame when only the frame changes (also where it sits
// deeper, as in icewm's frames). Window managers size the client and its
// frame one after the other, in either order: between the two reports the
// client is torn (not answered, so a read asks the server) and whole again
// once the other has come; a frame that changes size alone (rolled up)
// leaves it torn until the next read.
// Every other change (a property, a map or unmap of the client or its frame, a
// new frame, another desktop, another window manager) drops the client, and
// the next read asks the server. Fills race with reports like every other
// fill. The same holds for the client's size hints; the client list and the
// active window are kept as the reader reports them.
// setKeepsClients(false) turns all of this off (every read asks the server).
//
// It also remembers the minimises this backend sent that the window manager
// has not carried out yet (the window is still mapped): a restore asked
// for meanwhile would be lost (mapping a mapped window does nothing, and
// asking for the normal state is not in the window managers' protocol), so
// it waits until the window manager has carried the minimise out (the
// window is unmapped and iconic) and is made then (see X11Windows::restore). Both are forgotten after kMinimizePatience, so a
// minimise the window manager ignored leaves nothing behind for long.
// Every member is safe to call from any thread.
#include "Platform/Clock.h"
#include "Platform/Types.h"
#include "Platform/WindowHints.h"
#include "Platform/X11/X11Windows.h"

#include <atomic>
#include <chrono>
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
        bool extentsPublished = true;    // else measured
        double clientBorder = 0;         // with measured extents
        std::optional<X11FrameExtents> margins;
        // The last margins it kept that were not none: a window that draws
        // its own decoration drops them while maximised and shows them
        // again once unmaximised.
        std::optional<X11FrameExtents> restingMargins;
        std::optional<bool> staticGravity;
        std::optional<Size> size;        // the client's, border excluded (see sizeRequested)
        bool sizeAsked = false;          // size is one a write asked for, not answered yet
        std::optional<bool> maximized;
        std::optional<bool> moveResize;  // the window manager takes _NET_MOVERESIZE_WINDOW
    };

    // `clock`'s monotonic reading times the sizes asked for.
    explicit X11WindowCache(const Clock& clock = SystemClock::shared()) : clock_(clock) {}

    // `startWatching` starts the event reader; it is asked once, by the
    // first activate() before the cache is active.
    void setStarter(std::function<void()> startWatching);
    // `sendMark` queues a mark on the request connection (not flushed); it
    // is called with the cache's lock held, so marks go out in count order.
    void setMarker(std::function<void()> sendMark);
    void activate();
    // The reader has stopped for good (the server went away): nothing is
    // remembered any more.
    void deactivate();
    bool isActive() const { return active_.load(); }

    Lookup lookup(xcb_window_t window) const;
    // Taken before the requests of a read whose answers fill the cache.
    Generation generation() const;
    // Fills, dropped when the cache changed since `since` or the window is
    // not a watched client.
    void rememberPid(Generation since, xcb_window_t window, ProcessID pid);
    void rememberExtents(Generation since, xcb_window_t window, const X11FrameExtents& extents);
    void rememberMeasuredExtents(Generation since, xcb_window_t window, const X11FrameExtents& extents,
                                 double clientBorder);
    void rememberMargins(Generation since, xcb_window_t window, const X11FrameExtents& margins);
    void rememberGravity(Generation since, xcb_window_t window, bool staticGravity);
    void rememberSize(Generation since, xcb_window_t window, Size size);
    void rememberMoveResize(Generation since, bool supported);
    void rememberMaximized(Generation since, xcb_window_t window, bool maximized);
    // A write asked the window manager for this client size: lookup()
    // answers it until the window manager has (see above).
    void sizeRequested(xcb_window_t window, Size size);
    static constexpr double kSizeAnswerPatience = 1.0;  // seconds

    void setKeepsClients(bool keeps);
    // The client as last read and followed since, when it is watched and
    // kept.
    std::optional<X11WindowInfo> client(xcb_window_t window) const;
    bool holdsClient(xcb_window_t window) const;  // client() would answer, without the copy
    // The root child holding a kept client (its frame, or itself), without
    // the copy of the rest.
    std::optional<xcb_window_t> frameWindow(xcb_window_t window) const;
    // `window` is a client the reader watches: it lives until the reader
    // tells of its end (while clients are kept).
    bool watches(xcb_window_t window) const;
    void rememberClient(Generation since, const X11WindowInfo& info);
    // _NET_CLIENT_LIST and _NET_ACTIVE_WINDOW as the reader last saw them.
    std::optional<std::vector<xcb_window_t>> clientList() const;
    std::optional<xcb_window_t> activeWindow() const;
    void rememberActiveWindow(Generation since, xcb_window_t window);
    // _NET_CLIENT_LIST_STACKING as last read, until the window manager changes it.
    std::optional<std::vector<xcb_window_t>> stackingList() const;
    void rememberStackingList(Generation since, const std::vector<xcb_window_t>& list);
    // WM_NORMAL_HINTS as last read (inside, nullopt: no increments), kept
    // until a property of the client changes.
    std::optional<std::optional<SizeHints>> sizeHints(xcb_window_t window) const;
    void rememberSizeHints(Generation since, xcb_window_t window, const std::optional<SizeHints>& hints);

    static constexpr std::chrono::milliseconds kMinimizePatience{2000};

    // A minimise of `window` was sent (it drops a restore still waiting).
    void minimizeSent(xcb_window_t window);
    // A restore of `window` is asked for: true when a minimise of ours is
    // still on its way, so the restore now waits for the window's unmap.
    bool deferRestore(xcb_window_t window);
    bool restoreWaiting(xcb_window_t window);
    // Takes the waiting restore of `window`: true for exactly one caller
    // (the restore that finds the minimise carried out, or the reader's
    // event that shows it), which maps the window.
    bool takeDeferredRestore(xcb_window_t window);

    // From the event reader. watching() turns the cache on with the clients
    // the reader watches from its start.
    void watching(const std::vector<xcb_window_t>& clients);
    void clientsChanged(const std::vector<xcb_window_t>& clients);
    void destroyed(xcb_window_t window);
    // _NET_FRAME_EXTENTS or _GTK_FRAME_EXTENTS of the client changed.
    void extentsChanged(xcb_window_t window);
    // WM_NORMAL_HINTS of the client changed.
    void normalHintsChanged(xcb_window_t window);
    // _NET_WM_STATE of the client changed.
    void stateChanged(xcb_window_t window);
    // The client's own ConfigureNotify: its size now, and its outer
    // rectangle in its parent with `border` (not for a synthetic one).
    void configured(xcb_window_t window, Size size, bool synthetic, const Rect& inParent = {}, double border = 0);
    // The ConfigureNotify of the root child `frameWindow` holding `window`
    // (itself when not reparented): its outer rectangle.
    void frameConfigured(xcb_window_t window, xcb_window_t frameWindow, const Rect& outer, double border);
    // Something of `window` changed that the kept client does not follow.
    void clientChanged(xcb_window_t window);
    // Something of every client changed (the current desktop).
    void allClientsChanged();
    void windowManagerChanged();
    void activeWindowChanged(xcb_window_t window);
    void stackingListChanged();
    // The reader has seen the next mark.
    void marked();

private:
    struct Entry {
        std::optional<ProcessID> pid;
        std::optional<X11FrameExtents> extents;
        bool extentsMeasured = false;
        double clientBorder = 0;
        std::optional<X11FrameExtents> margins;
        std::optional<X11FrameExtents> restingMargins;  // kept when margins are dropped
        std::optional<bool> staticGravity;
        std::optional<Size> size;  // as last reported or read
        // A size asked for and not answered yet: the mark sent before the
        // request, and when it lapses (monotonic seconds).
        struct AskedSize {
            Size size;
            std::uint64_t mark = 0;
            double until = 0;
        };
        std::optional<AskedSize> asked;
        std::optional<bool> maximized;
        Generation reportedAt = 0;  // the last report about this window
        std::optional<X11WindowInfo> client;
        // Between the ConfigureNotify of a resized client and that of its
        // frame (in either order) the two make no frame that ever was: the
        // client is torn, and not answered, while the other side's resize
        // is awaited.
        enum class Side { client, frame };
        std::optional<Side> awaited;
        std::optional<std::optional<SizeHints>> sizeHints;
        void forgetClient();  // what a read keeps of the client
        // The client's size as a report or read gives it; the answer to
        // the size asked for when it is that size and `marksSeen` shows
        // it came after the request.
        void sizeReported(Size reported, std::uint64_t marksSeen);
        void reported(Side side, bool resized);  // a ConfigureNotify of the client or its frame
    };
    // Under mutex_: a report about `window` (which drops fills begun
    // before); its entry when it is a watched client.
    Entry* reported(xcb_window_t window);
    // Under mutex_: whether a fill of `window` begun at `since` may still be
    // stored, given the last report that bears on it.
    bool mayRemember(Generation since, Generation lastReport, xcb_window_t window) const;
    Generation reportedAt(xcb_window_t window) const;
    // Under mutex_: the kept client of `window` unless torn (null then).
    const std::optional<X11WindowInfo>* wholeClient(xcb_window_t window) const;
    // What a read kept of `window` (`field`), while clients are kept.
    template <class T>
    T keptOfClient(xcb_window_t window, T Entry::*field) const;

    const Clock& clock_;
    std::function<void()> startWatching_;
    std::function<void()> sendMark_;
    std::uint64_t marksSent_ = 0;  // under mutex_
    std::uint64_t marksSeen_ = 0;
    std::atomic<bool> startAsked_{false};
    std::atomic<bool> active_{false};
    std::atomic<bool> keepsClients_{true};

    mutable std::mutex mutex_;
    Generation generation_ = 1;          // counts every report
    Generation membershipChangedAt_ = 1; // which windows are live clients
    Generation windowManagerChangedAt_ = 1;
    std::unordered_set<xcb_window_t> clients_;
    std::vector<xcb_window_t> clientList_;  // the same, in the list's order
    std::optional<xcb_window_t> activeWindow_;
    Generation activeChangedAt_ = 1;
    std::optional<std::vector<xcb_window_t>> stackingList_;
    Generation stackingChangedAt_ = 1;
    std::unordered_map<xcb_window_t, Entry> entries_;
    std::optional<bool> moveResize_;
    using Deadline = std::chrono::steady_clock::time_point;
    std::unordered_map<xcb_window_t, Deadline> minimizing_;      // sent, not yet carried out
    std::unordered_map<xcb_window_t, Deadline> deferredRestores_;
};

}  // namespace tessaly
