#pragma once
// Reading and acting on the window manager's client windows over EWMH and
// ICCCM. Every read of many windows is pipelined (one batch of requests,
// then the replies), never one round trip per window. A window that
// vanished is simply absent from a read and makes an action answer false.
#include "Platform/FrameRecord.h"
#include "Platform/Geometry.h"
#include "Platform/MaximizedAxes.h"
#include "Platform/Types.h"
#include "Platform/X11/X11Connection.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

enum class X11WindowType { unspecified, normal, dialog, utility, toolbar, menu, splash, dock, desktop, notification, other };

// _NET_WM_STATE, as flags.
struct X11WindowState {
    bool hidden = false;
    bool fullscreen = false;
    bool above = false;
    bool below = false;
    bool maximizedVert = false;
    bool maximizedHorz = false;
    bool shaded = false;
    bool sticky = false;
    bool modal = false;
    bool skipTaskbar = false;
    bool demandsAttention = false;
};

// The decoration around a client: _NET_FRAME_EXTENTS, or where the window
// manager publishes none (i3), what lies between the client and the edges
// of the root's child holding it.
struct X11FrameExtents {
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
    // These extents less `inner` ones on each side (may be negative).
    X11FrameExtents less(const X11FrameExtents& inner) const {
        return {left - inner.left, right - inner.right, top - inner.top, bottom - inner.bottom};
    }
    friend bool operator==(const X11FrameExtents&, const X11FrameExtents&) = default;
};

inline constexpr std::uint32_t kX11AllDesktops = 0xFFFFFFFF;

struct X11WindowInfo {
    xcb_window_t window = kNoWindow;       // the client
    xcb_window_t frameWindow = kNoWindow;  // the root's child holding it (itself when not reparented)
    std::optional<ProcessID> pid;
    std::string title;
    std::string instanceName;  // WM_CLASS, first string
    std::string className;     // WM_CLASS, second string
    std::string applicationID; // _GTK_APPLICATION_ID or _KDE_NET_WM_DESKTOP_FILE
    X11WindowType type = X11WindowType::unspecified;
    xcb_window_t transientFor = kNoWindow;
    X11WindowState state;
    bool iconic = false;           // WM_STATE is Iconic
    bool hiddenPublished = false;  // the window manager keeps _NET_WM_STATE_HIDDEN
    bool viewable = false;         // map state of the client
    // Whether the frame window is mapped: a window rolled up stays framed on
    // screen, a minimised one does not (read for rolled-up windows only).
    bool frameViewable = true;
    bool overrideRedirect = false;
    std::optional<std::uint32_t> desktop;  // kX11AllDesktops: on every desktop
    double alpha = 1.0;
    Rect clientFrame;  // the client window in root coordinates
    X11FrameExtents extents;
    bool extentsPublished = false;  // from _NET_FRAME_EXTENTS (else measured from the frame window)
    // _GTK_FRAME_EXTENTS: the invisible shadow and resize margins a client
    // that draws its own decoration keeps around what it shows (published
    // while a compositor runs).
    X11FrameExtents margins;
    Rect frame;        // what the user sees: clientFrame grown by the extents, less the margins
    // Where the client sits: its top-left inside its parent's interior, and
    // whether that parent is frameWindow (one level of reparenting).
    Point inParent;
    bool parentIsFrame = false;
    // frameWindow's outer rectangle, root coordinates (empty for a client
    // that is not reparented).
    Rect frameBounds;

    // Puts the client at `client` (root coordinates) and the frame around
    // it: grown by published extents, else measured against frameBounds,
    // less the margins.
    void placeClient(const Rect& client);

    // An ordinary application window: typed NORMAL, or untyped and not
    // transient for another window.
    bool isStandard() const {
        return type == X11WindowType::normal || (type == X11WindowType::unspecified && transientFor == kNoWindow);
    }
    // Rolled up to its title bar, which stays on screen (some window managers
    // unmap the client then and call it iconic and hidden, as metacity and
    // marco do): not minimised.
    bool isRolledUp() const { return state.shaded && frameViewable; }
    // Reparented into a frame window that does not hold what it shows side
    // to side: a frame the window manager has made but not sized yet (KWin
    // makes each 1x1 in the top-left corner, with the client at 0,0 inside).
    // Neither the client's place nor its frame means anything until it is
    // sized. A frame may cut off the invisible margins (metacity and marco
    // do for a maximised window that draws its own decoration), and a window
    // rolled up keeps its width, so neither is taken for one.
    bool isBeingFramed() const {
        return frameWindow != window && !frameBounds.isEmpty() &&
               (frameBounds.minX() > clientFrame.minX() + margins.left ||
                frameBounds.maxX() < clientFrame.maxX() - margins.right);
    }
    bool isMinimized() const { return !isRolledUp() && (state.hidden || (iconic && !hiddenPublished)); }
    MaximizedAxes maximized() const { return {state.maximizedVert, state.maximizedHorz}; }
};

class X11WindowCache;

class X11Windows {
public:
    // With `cache`, reads remember what later writes need (see
    // X11WindowCache) and writes use it instead of asking the server. With
    // `record`, a write to a maximised window is held there until the window
    // manager has unmaximised it (see mayMoveResize).
    explicit X11Windows(const X11Connection& connection, X11WindowCache* cache = nullptr,
                        FrameRecord* record = nullptr)
        : x_(connection), cache_(cache), record_(record) {}

    X11WindowCache* cache() const { return cache_; }

    // _NET_CLIENT_LIST, in mapping order (and _NET_ACTIVE_WINDOW below):
    // as the event reader last saw it, while it runs and the cache keeps
    // clients.
    std::vector<xcb_window_t> clientList() const;
    // _NET_CLIENT_LIST_STACKING, bottom to top.
    std::vector<xcb_window_t> stackingList() const;
    xcb_window_t activeWindow() const;
    // _NET_ACTIVE_WINDOW as the server has it now, kept for activeWindow()
    // unless the reader has told a change since the read began.
    xcb_window_t readActiveWindow() const;
    std::optional<std::uint32_t> currentDesktop() const;
    std::optional<std::uint32_t> numberOfDesktops() const;

    // Reads the windows in one pipelined batch (plus one for frames nested
    // deeper and pids from the X-Resource extension); vanished windows are
    // left out, the order of the rest is kept.
    // Clients the cache keeps are answered from it.
    std::vector<X11WindowInfo> read(const std::vector<xcb_window_t>& windows) const;
    std::optional<X11WindowInfo> read(xcb_window_t window) const;
    // The root's child holding each window (0 for a vanished one), walking
    // parents level by level for all windows at once.
    std::vector<xcb_window_t> frameWindows(const std::vector<xcb_window_t>& windows) const;
    // The same, with the clients kept in memory answered from there: one
    // destroyed a moment ago still names its frame until the reader has
    // told of its end.
    std::vector<xcb_window_t> knownFrameWindows(const std::vector<xcb_window_t>& windows) const;
    // The owning process through the X-Resource client-id query, for each
    // window (nullopt where unknown).
    std::vector<std::optional<ProcessID>> resourcePids(const std::vector<xcb_window_t>& windows) const;
    // The owning process of each window: _NET_WM_PID, else the X-Resource
    // query (two batches at most).
    std::vector<std::optional<ProcessID>> pids(const std::vector<xcb_window_t>& windows) const;
    bool exists(xcb_window_t window) const;

    // Places the frame (decoration included) at `frame`: the top-left of the
    // frame lands at the origin (NorthWest gravity) and the client gets the
    // size left after the extents. Answers false when the window is gone. A
    // maximised window is unmaximised first, as window managers keep it in
    // place otherwise (the same for setPosition and setSize).
    // With a cache that knows the window (and its owner and extents, as the
    // write needs them) a write makes no round trip; a window that died
    // since then ignores it and the write still answers true.
    bool setFrame(xcb_window_t window, const Rect& frame, std::optional<ProcessID> owner = std::nullopt) const;
    // With `owner`, also false when the window does not belong to that
    // process (checked in the same round trip as the rest of the move).
    bool setPosition(xcb_window_t window, Point topLeft, std::optional<ProcessID> owner = std::nullopt) const;
    bool setSize(xcb_window_t window, Size size, std::optional<ProcessID> owner = std::nullopt) const;
    // Places the frame as setFrame does, from the cache alone and without
    // flushing: false, with nothing sent, unless the cache knows the window
    // as `owner`'s, with all a move needs, not maximised and with no write
    // held for it in the record. Never waits for the server.
    bool sendFrameIfKnown(xcb_window_t window, const Rect& frame, ProcessID owner) const;
    // Raises without focusing (_NET_RESTACK_WINDOW, else ConfigureWindow).
    bool raise(xcb_window_t window) const;
    // Raises and focuses (_NET_ACTIVE_WINDOW, source: pager).
    bool activate(xcb_window_t window) const;
    // Where the window manager publishes a window's allowed actions
    // (_NET_WM_ALLOWED_ACTIONS), an action it leaves out is refused: the
    // request is not sent and the call answers false. That holds for
    // minimising, closing, full screen and moving to another desktop.
    // A minimise answers at once, without waiting for the window manager.
    bool minimize(xcb_window_t window) const;
    // Where the window manager publishes no allowed actions, a minimise
    // that minimize() sent may still be ignored (i3 ignores every one):
    // only the window's state tells, once the window manager has had
    // minimizeConfirmation to carry it out.
    bool minimizeMayBeIgnored() const;
    static constexpr std::chrono::milliseconds minimizeConfirmation{250};
    // Shows a minimised window again (maps it), without focusing or raising
    // it; where a map asks the window manager nothing (it keeps minimised
    // windows mapped, or took the window over minimised), by activating it.
    // Right behind a minimise of ours that the window manager has not
    // carried out yet, the map waits until it has (the backend's reader
    // calls restoreIfWaiting on the window's unmap and WM_STATE changes). A
    // window that is shown stays as it is.
    bool restore(xcb_window_t window) const;
    void restoreIfWaiting(xcb_window_t window) const;
    // A write to the window is held in the record (see mayMoveResize).
    bool holdsWrite(xcb_window_t window) const;
    // Makes again a write that waited for the window to be unmaximised
    // (the backend's reader calls it on state and extents changes), and
    // once more if the extents change right after. `seen` is when the
    // reader met the change: how long the main thread took to get here
    // does not count against the record's time limits.
    void replayPendingWrite(xcb_window_t window, bool extentsChanged, double seen) const;
    // The requests that take a window maximised along `held` to `axes`.
    void sendMaximized(xcb_window_t window, MaximizedAxes held, MaximizedAxes axes) const;
    // Unmapped and iconic (WM_STATE, or _NET_WM_STATE_HIDDEN): a minimise
    // has been carried out; iconic alone where the window manager keeps
    // minimised windows mapped. Absent when the window is gone.
    std::optional<bool> iconified(xcb_window_t window) const;
    // Asks politely (_NET_CLOSE_WINDOW, else WM_DELETE_WINDOW); false when
    // the window offers neither. Never kills a client.
    bool close(xcb_window_t window) const;
    bool setFullScreen(xcb_window_t window, bool fullScreen) const;
    // Asks the window manager to roll the window up to its title bar, or
    // down again; false when the window is gone.
    bool setShaded(xcb_window_t window, bool shaded) const;
    // Asks the window manager to hold the window maximised along exactly
    // these axes: a change of axes is a restore and then a maximise along
    // the new ones, each one request. A frame written just before, held
    // until the window is unmaximised, is made first. False when the window
    // is gone or the window manager refuses to maximise it along an axis
    // asked for.
    bool setMaximized(xcb_window_t window, MaximizedAxes axes) const;
    bool moveToDesktop(xcb_window_t window, std::uint32_t desktop) const;
    bool switchToDesktop(std::uint32_t desktop) const;

private:
    // The window's map state and whether it is marked iconic (WM_STATE, or
    // _NET_WM_STATE_HIDDEN); absent when the window is gone. One round trip.
    struct Visibility {
        std::uint8_t mapState = XCB_MAP_STATE_UNMAPPED;
        bool iconic = false;
    };
    std::optional<Visibility> visibility(xcb_window_t window) const;
    // Whether the running window manager keeps minimised windows mapped and
    // lets its compositor hide them (mutter and muffin): an iconic window is
    // minimised there although mapped, and a map asks nothing of it. Absent
    // when no window manager announces itself.
    std::optional<bool> keepsMinimisedMapped() const;
    // Iconic and unmapped, or kept mapped as above: a minimise has been
    // carried out.
    bool minimiseCarriedOut(const Visibility& seen) const;
    // Shows a minimised window seen in `mapState`: maps it when unmapped,
    // else activates it.
    void show(xcb_window_t window, std::uint8_t mapState) const;
    std::vector<X11WindowInfo> readFromServer(const std::vector<xcb_window_t>& windows) const;
    std::vector<xcb_window_t> frameWindows(const std::vector<xcb_window_t>& windows, bool fromMemory) const;
    // Reads again the windows read half way through a change of their window manager's.
    void readAgainIfTorn(std::vector<X11WindowInfo>& infos) const;
    // Fills frameViewable of the rolled-up windows among `infos`.
    void readFrameMapStates(std::vector<X11WindowInfo>& infos) const;
    X11WindowType typeOf(const std::vector<std::uint32_t>& types) const;
    X11WindowState stateOf(const std::vector<std::uint32_t>& atoms) const;
    // Whether the window manager lets `window` do `action` (see minimize);
    // absent when the window is gone. One round trip.
    std::optional<bool> allows(xcb_window_t window, xcb_atom_t action) const;
    // The decoration measured from the root's child holding the window, for
    // window managers that publish no _NET_FRAME_EXTENTS.
    std::optional<X11FrameExtents> measuredExtents(xcb_window_t window) const;
    // What a move or resize needs: the window exists (and belongs to
    // `owner`, when given), its frame extents and whether they are
    // published, its margins, its window gravity, its size (when
    // `needsSize`: a move names the size it keeps), and whether the window
    // manager takes _NET_MOVERESIZE_WINDOW.
    // From the cache when it knows all of it, else in one round trip (which
    // fills the cache; extents that are not published are measured, in two
    // more).
    struct MoveTarget {
        X11FrameExtents extents;
        bool extentsPublished = false;
        X11FrameExtents margins;
        std::optional<X11FrameExtents> restingMargins;  // see X11WindowCache::Lookup
        bool staticGravity = false;  // WM_NORMAL_HINTS asks for Static window gravity
        Size size;  // the client's
        double clientBorder = 0;  // the client's own border (read with extents that are not published)
        bool moveResize = false;
        bool maximized = false;
        // Shows no margins now but did before it was maximised: it has
        // not redrawn since it was unmaximised.
        bool awaitsMargins() const {
            return !maximized && restingMargins && margins == X11FrameExtents{};
        }
    };
    std::optional<MoveTarget> moveTarget(xcb_window_t window, std::optional<ProcessID> owner, bool needsSize) const;
    // Whether the write may go ahead now. A maximised window is unmaximised
    // instead and the write (`pending`) is held in the record until it has
    // (without a record it goes ahead at once); a write made again never
    // waits twice.
    bool mayMoveResize(xcb_window_t window, const MoveTarget& target, const FrameRecord::HeldWrite& pending,
                       bool replaying) const;
    // `made`, when given, learns the extents the write was made with.
    bool writeFrame(xcb_window_t window, std::optional<Point> origin, std::optional<Size> size,
                    std::optional<ProcessID> owner, bool replaying, X11FrameExtents* made = nullptr) const;
    // Sends the move (to `frameOrigin`, the frame's top-left, when given)
    // and the client size, to the window manager or, without one, straight
    // to the window.
    void sendMoveResize(xcb_window_t window, const MoveTarget& target, std::optional<Point> frameOrigin,
                        Size clientSize, bool flush = true) const;
    // The client size that gives a frame of `size` around it.
    static Size clientSize(Size size, const X11FrameExtents& extents);

    const X11Connection& x_;
    X11WindowCache* cache_ = nullptr;
    FrameRecord* record_ = nullptr;
};

}  // namespace tessaly
