#pragma once
// The window-system observer: one thread with a connection of its own that
// watches the root (client list, active window, desktops, work area, screen
// size, RandR, the compositing manager's selection), every managed client
// (title, state, WM_STATE, desktop, map, configure, destroy) and the struts
// of docks the window manager does not list, and
// hands each change to a callback on that thread. The platform layer posts
// them on to the main thread.
//
// Stopping is synchronous: stop() (or the destructor) wakes the blocked
// thread through an eventfd and joins it; no callback runs afterwards.
// stop() must not be called from inside the callback.
#include "Platform/Geometry.h"
#include "Platform/X11/X11AwaitedReplies.h"
#include "Platform/X11/X11ButtonTracker.h"
#include "Platform/X11/X11Connection.h"
#include "Platform/X11/X11EventThread.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tessaly {

struct X11Event {
    enum class Kind {
        clientListChanged,       // _NET_CLIENT_LIST
        stackingListChanged,     // _NET_CLIENT_LIST_STACKING
        activeWindowChanged,     // _NET_ACTIVE_WINDOW (window: the new active window, 0 for none)
        currentDesktopChanged,   // _NET_CURRENT_DESKTOP
        numberOfDesktopsChanged, // _NET_NUMBER_OF_DESKTOPS
        screenChanged,           // RandR notify, root resized, work area or a strut changed
        titleChanged,            // _NET_WM_NAME / WM_NAME of a client
        stateChanged,            // _NET_WM_STATE of a client
        wmStateChanged,          // WM_STATE of a client (iconic / normal)
        desktopChanged,          // _NET_WM_DESKTOP of a client
        frameChanged,            // ConfigureNotify of a client's frame or of the client itself,
                                 // or its extents or margins changed (property: which)
        reparented,              // a client moved into another frame (window: the client, frameWindow: the new one)
        mapped,                  // a client was mapped
        unmapped,                // a client was unmapped (minimised, hidden, withdrawn)
        destroyed,               // a client window was destroyed
        propertyChanged,         // another property of a client (property: which one)
        frameMapChanged,         // a client's frame was mapped or unmapped (window: the client)
        rootChildConfigured,     // ConfigureNotify of a root child that holds no known client
        rootChildMapChanged,     // a root child that holds no known client was mapped or unmapped
        screenSaverChanged,      // MIT-SCREEN-SAVER turned on or off (screenSaverOn)
        windowManagerChanged,    // _NET_SUPPORTING_WM_CHECK changed or its window was destroyed
        marked,                  // a mark on the mark window: every event from before it has come by
        compositorChanged,       // a compositing manager took or left _NET_WM_CM_Sn (composited)
        connectionLost,          // the X server closed the connection: the reader's last event
    };
    Kind kind = Kind::clientListChanged;
    xcb_window_t window = kNoWindow;       // the client (or the root child for rootChildConfigured)
    xcb_window_t frameWindow = kNoWindow;  // for configure events: the window configured
    xcb_window_t aboveSibling = kNoWindow; // for configure events of root children
    bool rootChild = false;                // a configure event of a root child (frameWindow)
    // For configure events of root children: whether the window's place in
    // the stacking order changed (the window directly below it is another
    // one than before), the window now directly below it and the one it
    // was directly above before (each named as the client it holds when it
    // is a client's frame; 0 for none), and whether the configured window
    // is override-redirect.
    bool restacked = false;
    xcb_window_t below = kNoWindow;
    bool belowIsClient = false;  // `below` is a client: in a frame, or its own (client-side decorations)
    xcb_window_t uncovered = kNoWindow;
    bool overrideRedirect = false;
    Rect geometry;                         // for configure events: the configured window, parent coordinates
    Size size;                             // for configure events: its size, border excluded
    double border = 0;                     // for configure events: its border width
    bool hasGeometry = false;              // geometry, size and border are given (not by a restack alone)
    bool synthetic = false;                // for configure events: sent by a client (the window manager), not the server
    std::vector<xcb_window_t> clients;     // for clientListChanged: the clients now watched
    bool screenSaverOn = false;            // for screenSaverChanged
    bool composited = false;               // for compositorChanged: a compositing manager runs now
    xcb_atom_t property = XCB_ATOM_NONE;   // for changes of a client's property: which one
};

class X11EventReader {
public:
    using Handler = std::function<void(const X11Event&)>;

    // Connects to `display` (empty: $DISPLAY), selects the events and starts
    // the thread; every selection is in place when this returns. nullptr
    // when no X server can be reached. Each property change on `markWindow`
    // (a window of the caller's own) is reported as `marked`, in order with
    // every other event: a caller that changes it after a request learns
    // when the events the server sent before that request have come by.
    // With `buttons`, the reader keeps it current from XInput 2.2 raw
    // button events, in order with every other event (a press comes before
    // the configure events of the move it starts); without XI 2.2 it stays
    // unknown. `buttons` must outlive the reader.
    static std::unique_ptr<X11EventReader> start(const std::string& display, Handler handler,
                                                 xcb_window_t markWindow = kNoWindow,
                                                 X11ButtonState* buttons = nullptr,
                                                 const X11Connection* beside = nullptr);
    ~X11EventReader();
    X11EventReader(const X11EventReader&) = delete;
    X11EventReader& operator=(const X11EventReader&) = delete;

    void stop();
    bool isRunning() const { return thread_.isRunning(); }
    // The clients watched from the start (before any clientListChanged).
    const std::vector<xcb_window_t>& clientsAtStart() const { return clientsAtStart_; }

private:
    X11EventReader(std::unique_ptr<X11Connection> connection, Handler handler);
    // One event read: handed to the handler of its kind.
    void handle(const xcb_generic_event_t& event);
    bool handleExtension(const xcb_generic_event_t& event, int type);
    void handleProperty(const xcb_property_notify_event_t& e);
    void handleConfigure(const xcb_configure_notify_event_t& e, bool synthetic);
    void handleCirculate(const xcb_circulate_notify_event_t& e);
    void handleCreate(const xcb_create_notify_event_t& e);
    void handleReparent(const xcb_reparent_notify_event_t& e);
    void handleMap(const xcb_map_notify_event_t& e);
    void handleUnmap(const xcb_unmap_notify_event_t& e);
    void handleDestroy(const xcb_destroy_notify_event_t& e);
    // A frame destroyed names no client any more.
    void forgetFrame(xcb_window_t frame);
    // Selects raw button events and device changes, then reads the
    // mapping and seeds the state (at the start: waits for the replies).
    void watchButtons(X11ButtonState& state);
    void handleInput(const xcb_generic_event_t& event);
    // False when a held button makes the state unknown (see X11ButtonTracker).
    bool setButtonMapping(const xcb_get_pointer_mapping_reply_t* reply);
    // The pointer mapping changed: read in its place among the events, then
    // seeded when a held button makes the state unknown.
    void readButtonMapping();
    // One QueryPointer, on this connection, taken in its place among the
    // events (X11AwaitedReplies::awaitInPlace): the raw events handled
    // before it are in its answer already, those after it follow it.
    void seedButtons();
    // One event read: hands it to what waited for replies sent before it, then to its handler.
    void take(const xcb_generic_event_t& event);
    // Reads the client list and watches its clients (at the start, before
    // the thread runs); answers the list.
    std::vector<xcb_window_t> refreshClients();
    // The client list is now `list`: forgets the clients that left it and
    // answers those that joined it (not watched yet).
    std::vector<xcb_window_t> joinedClients(const std::vector<xcb_window_t>& list);
    // The client list changed: read in its turn, without waiting; its new
    // clients are watched and the change published once their frames are known.
    void readClientList();
    // Finds the root's child holding each of `windows` (0 for one that
    // vanished), level by level, without waiting for a reply: `found` runs in
    // its turn among the events. `next`: a step of work under way (see
    // X11AwaitedReplies::awaitNext).
    void findFrames(std::vector<xcb_window_t> windows, std::function<void(const std::vector<xcb_window_t>&)> found,
                    bool next = false);
    // Watches `clients`, each held by the root's child in `frames` (0: gone).
    void watchClients(const std::vector<xcb_window_t>& clients, const std::vector<xcb_window_t>& frames);
    void publish(X11Event::Kind kind, xcb_window_t window, xcb_atom_t property = XCB_ATOM_NONE);
    // Watches the window manager's check window for its destruction (at
    // the start: waits for the reads).
    void watchWindowManager();
    // The same once _NET_SUPPORTING_WM_CHECK changed, without waiting: the
    // check window is watched once both reads are in.
    void watchWindowManagerLater();
    void watchCheckWindow(xcb_window_t check);
    xcb_window_t clientOfFrame(xcb_window_t frame) const;
    // The root's children bottom to top, as the server has them: read once
    // at the start, then kept from the create, destroy, reparent, configure
    // and circulate events of the root's substructure (what a compositor does).
    void readStack();
    // Out of step with the server: the order is read again, and taken in
    // its place among the events (X11AwaitedReplies::awaitInPlace), so the
    // stacking events handled before it are in it and those after it go on
    // from it.
    void readStackLater();
    // Watches the shown top-level windows among `rootChildren` that are
    // not clients or frames for struts (a dock the window manager does not
    // list), and remembers the root children that hold one; answers
    // whether any of them does.
    bool watchTopLevels(const std::vector<xcb_window_t>& rootChildren);
    // The same for one root child just shown, without waiting for a reply:
    // a strut found is published (screenChanged) in its turn.
    void watchShownLater(xcb_window_t rootChild);
    // Under watchShownLater: whether `window` is no client's and no frame.
    bool isUnknown(xcb_window_t window) const;
    // Puts `window` directly above `sibling` (0: at the bottom); answers
    // whether the window directly below it changed, and which window that
    // was before (`uncovered`).
    bool restack(xcb_window_t window, xcb_window_t sibling, xcb_window_t& uncovered);
    // `border` is negative when only the stacking order is known.
    void emitConfigured(xcb_window_t window, const Rect& geometry, double border, bool overrideRedirect,
                        bool restacked, xcb_window_t uncovered);
    // A root child's ConfigureNotify, read through the root or the frame's own copy.
    void configureRootChild(const xcb_configure_notify_event_t& e);
    // Whether `e` is the root's copy of the frame's own copy handled just before.
    bool handledAlready(const xcb_configure_notify_event_t& e);
    void publishReparented(xcb_window_t client);
    void publishFrameMap(xcb_window_t rootChild);
    // The client a root child holds, or the root child itself.
    xcb_window_t named(xcb_window_t rootChild) const;

    std::unique_ptr<X11Connection> x_;
    // On x_. Reads whose answer stands for what events keep (the buttons,
    // the stacking order, the check window) are awaited in place.
    X11AwaitedReplies replies_;
    Handler handler_;
    std::uint8_t randrFirstEvent_ = 0;
    bool hasRandr_ = false;
    std::uint8_t screenSaverFirstEvent_ = 0;
    bool hasScreenSaver_ = false;
    std::uint8_t xfixesFirstEvent_ = 0;
    bool hasXFixes_ = false;
    X11EventThread thread_;
    std::vector<xcb_window_t> clientsAtStart_;
    std::optional<X11ButtonTracker> buttons_;  // with XI 2.2; reader thread only once started
    std::uint8_t inputOpcode_ = 0;

    // Touched on the reader thread only (and in start() before it runs).
    std::unordered_set<xcb_window_t> clients_;
    std::unordered_map<xcb_window_t, xcb_window_t> frameToClient_;
    std::unordered_map<xcb_window_t, xcb_window_t> clientToFrame_;
    // Frames (not clients) whose own ConfigureNotify is selected: the server
    // hands a window's own copy out before its parent's, so a frame's move
    // is read a little sooner that way than through the root.
    std::unordered_set<xcb_window_t> frames_;
    std::optional<xcb_configure_notify_event_t> frameCopy_;  // handled, its root copy still to come
    xcb_window_t checkWindow_ = kNoWindow;
    xcb_window_t markWindow_ = kNoWindow;
    std::vector<xcb_window_t> stack_;  // the root's children, bottom to top
    bool stackAsked_ = false;          // read again, the answer on its way
    // Root children shown with a strut (their own, or a window's inside
    // them) that are no known client's frame: their map and unmap change the
    // screens' visible frames.
    std::unordered_set<xcb_window_t> strutHolders_;
    // Root children a window has been put into, or that held a strut, since
    // they were last shown: frames whose showing may show a dock (never our
    // own panels, which are looked at only at the start).
    std::unordered_set<xcb_window_t> framesToWatch_;
};

}  // namespace tessaly
