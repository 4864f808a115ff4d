#pragma once
// One xcb connection with the atoms this backend uses, interned once, and the
// small tools every X11 file shares: owning wrappers for replies and errors,
// a pipelined "send every request, then collect every reply" helper and
// readers for property values.
//
// A connection may be used from several threads at once (xcb serialises
// requests itself). Errors caused by windows that vanished are ordinary
// failures: a reply is empty, a check answers false; nothing aborts.
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace tessaly {

// XCB_WINDOW_NONE as a window value (the enum mixes badly in expressions).
inline constexpr xcb_window_t kNoWindow = 0;

struct X11FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
// A reply (or error, or event) owned by xcb's malloc: freed with free().
template <typename T>
using XReply = std::unique_ptr<T, X11FreeDeleter>;
using XError = XReply<xcb_generic_error_t>;
using XEvent = XReply<xcb_generic_event_t>;

// The atoms the backend uses. X(member, "name").
#define TESSALY_X11_ATOMS(X)                                                  \
    X(NET_SUPPORTED, "_NET_SUPPORTED")                                        \
    X(NET_SUPPORTING_WM_CHECK, "_NET_SUPPORTING_WM_CHECK")                    \
    X(NET_CLIENT_LIST, "_NET_CLIENT_LIST")                                    \
    X(NET_CLIENT_LIST_STACKING, "_NET_CLIENT_LIST_STACKING")                  \
    X(NET_ACTIVE_WINDOW, "_NET_ACTIVE_WINDOW")                                \
    X(NET_CURRENT_DESKTOP, "_NET_CURRENT_DESKTOP")                            \
    X(NET_NUMBER_OF_DESKTOPS, "_NET_NUMBER_OF_DESKTOPS")                      \
    X(NET_WORKAREA, "_NET_WORKAREA")                                          \
    X(NET_WM_PID, "_NET_WM_PID")                                              \
    X(NET_WM_NAME, "_NET_WM_NAME")                                            \
    X(NET_WM_DESKTOP, "_NET_WM_DESKTOP")                                      \
    X(NET_WM_WINDOW_OPACITY, "_NET_WM_WINDOW_OPACITY")                        \
    X(NET_FRAME_EXTENTS, "_NET_FRAME_EXTENTS")                                \
    X(NET_WM_STRUT, "_NET_WM_STRUT")                                          \
    X(NET_WM_STRUT_PARTIAL, "_NET_WM_STRUT_PARTIAL")                          \
    X(NET_WM_WINDOW_TYPE, "_NET_WM_WINDOW_TYPE")                              \
    X(NET_WM_WINDOW_TYPE_NORMAL, "_NET_WM_WINDOW_TYPE_NORMAL")                \
    X(NET_WM_WINDOW_TYPE_DIALOG, "_NET_WM_WINDOW_TYPE_DIALOG")                \
    X(NET_WM_WINDOW_TYPE_UTILITY, "_NET_WM_WINDOW_TYPE_UTILITY")              \
    X(NET_WM_WINDOW_TYPE_TOOLBAR, "_NET_WM_WINDOW_TYPE_TOOLBAR")              \
    X(NET_WM_WINDOW_TYPE_MENU, "_NET_WM_WINDOW_TYPE_MENU")                    \
    X(NET_WM_WINDOW_TYPE_SPLASH, "_NET_WM_WINDOW_TYPE_SPLASH")                \
    X(NET_WM_WINDOW_TYPE_DOCK, "_NET_WM_WINDOW_TYPE_DOCK")                    \
    X(NET_WM_WINDOW_TYPE_DESKTOP, "_NET_WM_WINDOW_TYPE_DESKTOP")              \
    X(NET_WM_WINDOW_TYPE_NOTIFICATION, "_NET_WM_WINDOW_TYPE_NOTIFICATION")    \
    X(NET_WM_STATE, "_NET_WM_STATE")                                          \
    X(NET_WM_STATE_HIDDEN, "_NET_WM_STATE_HIDDEN")                            \
    X(NET_WM_STATE_FULLSCREEN, "_NET_WM_STATE_FULLSCREEN")                    \
    X(NET_WM_STATE_ABOVE, "_NET_WM_STATE_ABOVE")                              \
    X(NET_WM_STATE_BELOW, "_NET_WM_STATE_BELOW")                              \
    X(NET_WM_STATE_MAXIMIZED_VERT, "_NET_WM_STATE_MAXIMIZED_VERT")            \
    X(NET_WM_STATE_MAXIMIZED_HORZ, "_NET_WM_STATE_MAXIMIZED_HORZ")            \
    X(NET_WM_STATE_SHADED, "_NET_WM_STATE_SHADED")                            \
    X(NET_WM_STATE_STICKY, "_NET_WM_STATE_STICKY")                            \
    X(NET_WM_STATE_MODAL, "_NET_WM_STATE_MODAL")                              \
    X(NET_WM_STATE_SKIP_TASKBAR, "_NET_WM_STATE_SKIP_TASKBAR")                \
    X(NET_WM_STATE_DEMANDS_ATTENTION, "_NET_WM_STATE_DEMANDS_ATTENTION")      \
    X(NET_MOVERESIZE_WINDOW, "_NET_MOVERESIZE_WINDOW")                        \
    X(NET_RESTACK_WINDOW, "_NET_RESTACK_WINDOW")                              \
    X(NET_CLOSE_WINDOW, "_NET_CLOSE_WINDOW")                                  \
    X(NET_WM_MOVERESIZE, "_NET_WM_MOVERESIZE")                                \
    X(NET_WM_ALLOWED_ACTIONS, "_NET_WM_ALLOWED_ACTIONS")                      \
    X(NET_WM_ACTION_MOVE, "_NET_WM_ACTION_MOVE")                              \
    X(NET_WM_ACTION_RESIZE, "_NET_WM_ACTION_RESIZE")                          \
    X(NET_WM_ACTION_MINIMIZE, "_NET_WM_ACTION_MINIMIZE")                      \
    X(NET_WM_ACTION_FULLSCREEN, "_NET_WM_ACTION_FULLSCREEN")                  \
    X(NET_WM_ACTION_MAXIMIZE_VERT, "_NET_WM_ACTION_MAXIMIZE_VERT")            \
    X(NET_WM_ACTION_MAXIMIZE_HORZ, "_NET_WM_ACTION_MAXIMIZE_HORZ")            \
    X(NET_WM_ACTION_CHANGE_DESKTOP, "_NET_WM_ACTION_CHANGE_DESKTOP")          \
    X(NET_WM_ACTION_CLOSE, "_NET_WM_ACTION_CLOSE")                            \
    X(GTK_APPLICATION_ID, "_GTK_APPLICATION_ID")                              \
    X(GTK_FRAME_EXTENTS, "_GTK_FRAME_EXTENTS")                                \
    X(KDE_NET_WM_DESKTOP_FILE, "_KDE_NET_WM_DESKTOP_FILE")                    \
    X(UTF8_STRING, "UTF8_STRING")                                             \
    X(WM_STATE, "WM_STATE")                                                   \
    X(WM_CHANGE_STATE, "WM_CHANGE_STATE")                                     \
    X(WM_PROTOCOLS, "WM_PROTOCOLS")                                           \
    X(WM_DELETE_WINDOW, "WM_DELETE_WINDOW")                                   \
    X(WM_TAKE_FOCUS, "WM_TAKE_FOCUS")                                         \
    X(TESSALY_WAKE, "_TESSALY_WAKE")                                          \
    X(TESSALY_MARK, "_TESSALY_MARK")

struct X11Atoms {
#define TESSALY_X11_ATOM_MEMBER(member, name) xcb_atom_t member = XCB_ATOM_NONE;
    TESSALY_X11_ATOMS(TESSALY_X11_ATOM_MEMBER)
#undef TESSALY_X11_ATOM_MEMBER
};

// Counts round trips for measurements: while counting, every wait for a
// reply that has not come yet counts one (the replies of a pipelined batch
// arrive together and count once). Off, it costs nothing.
class X11RoundTrips {
public:
    static void setCounting(bool on) { counting_.store(on); }
    static bool isCounting() { return counting_.load(std::memory_order_relaxed); }
    static std::uint64_t count() { return count_.load(); }
    // Those the calling thread made.
    static std::uint64_t countOnThisThread() { return threadCount_; }
    static void add() {
        count_.fetch_add(1);
        ++threadCount_;
    }

private:
    static inline std::atomic<bool> counting_{false};
    static inline std::atomic<std::uint64_t> count_{0};
    static inline thread_local std::uint64_t threadCount_ = 0;
};

// Takes the reply of a cookie, owning it; an error is returned through
// `error` when asked for, otherwise dropped.
template <typename ReplyFn, typename Cookie>
auto xcbReply(xcb_connection_t* c, ReplyFn fn, Cookie cookie, XError* error = nullptr) {
    using R = std::remove_pointer_t<decltype(fn(c, cookie, nullptr))>;
    xcb_generic_error_t* e = nullptr;
    R* r = nullptr;
    bool arrived = false;
    if (X11RoundTrips::isCounting()) {
        void* polled = nullptr;
        arrived = xcb_poll_for_reply(c, cookie.sequence, &polled, &e) != 0;
        r = static_cast<R*>(polled);
        if (!arrived) X11RoundTrips::add();
    }
    if (!arrived) r = fn(c, cookie, &e);
    if (error) error->reset(e);
    else std::free(e);
    return XReply<R>(r);
}

// Takes the replies of cookies sent together, in their order. The last one
// is waited for first: meanwhile xcb queues every earlier reply, so the
// batch wakes the calling thread once rather than once per reply that
// comes in a read of its own.
template <typename ReplyFn, typename Cookie>
auto xcbReplies(xcb_connection_t* c, const std::vector<Cookie>& cookies, ReplyFn replyFn) {
    using R = decltype(xcbReply(c, replyFn, std::declval<Cookie>()));
    std::vector<R> replies(cookies.size());
    if (cookies.empty()) return replies;
    replies.back() = xcbReply(c, replyFn, cookies.back());
    for (std::size_t i = 0; i + 1 < cookies.size(); ++i) replies[i] = xcbReply(c, replyFn, cookies[i]);
    return replies;
}

// Pipelining: sends one request per item, then collects every reply, so a
// batch costs one round trip. `send(item)` answers a cookie; a missing reply
// (the window vanished) is an empty pointer at its place.
template <typename Item, typename Send, typename ReplyFn>
auto xcbPipeline(xcb_connection_t* c, const std::vector<Item>& items, Send send, ReplyFn replyFn) {
    using Cookie = decltype(send(items.front()));
    std::vector<Cookie> cookies;
    cookies.reserve(items.size());
    for (const auto& item : items) cookies.push_back(send(item));
    return xcbReplies(c, cookies, replyFn);
}

// Readers for property replies; an absent property or a wrong format reads
// as empty.
std::vector<std::uint32_t> propertyCardinals(const xcb_get_property_reply_t* reply);
std::optional<std::uint32_t> propertyCardinal(const xcb_get_property_reply_t* reply);
// Text of a STRING (Latin-1, converted), UTF8_STRING or other 8-bit property.
std::string propertyText(const xcb_get_property_reply_t* reply, xcb_atom_t utf8Atom);
// The NUL-separated strings of an 8-bit property (WM_CLASS).
std::vector<std::string> propertyStrings(const xcb_get_property_reply_t* reply);

class X11Connection {
public:
    // Connects to `display` (empty: $DISPLAY). Answers nullptr when no X
    // server can be reached.
    static std::unique_ptr<X11Connection> open(const std::string& display = {});
    // Another connection to the server `beside` is connected to, which
    // `display` names: its atoms are taken from `beside` rather than asked
    // for again (they live as long as the server).
    static std::unique_ptr<X11Connection> open(const std::string& display, const X11Connection& beside);
    // Names the default authority file ($HOME/.Xauthority) in XAUTHORITY
    // when it is unset. Without it every connect has libXau build the name in
    // one static buffer, which two threads connecting at once (the event
    // reader and Qt at start-up) both write. Call before any thread starts:
    // it changes the environment.
    static void nameAuthorityFile();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* get() const { return c_; }
    xcb_window_t root() const { return root_; }
    const xcb_screen_t& screen() const { return *screen_; }
    const X11Atoms& atoms() const { return atoms_; }
    // False once the server closed the connection.
    bool isAlive() const;

    xcb_get_property_cookie_t getProperty(xcb_window_t window, xcb_atom_t property,
                                          std::uint32_t maxLength = 1024) const;
    XReply<xcb_get_property_reply_t> readProperty(xcb_window_t window, xcb_atom_t property,
                                                  std::uint32_t maxLength = 1024) const;

    // Waits for the answer to a checked request: false on any error.
    bool check(xcb_void_cookie_t cookie) const;
    // Sends a 32-bit client message about `window` to `destination` (the root:
    // to the window manager, with SubstructureRedirect|SubstructureNotify).
    void sendClientMessage(xcb_window_t destination, xcb_window_t window, xcb_atom_t type,
                           std::uint32_t d0, std::uint32_t d1 = 0, std::uint32_t d2 = 0, std::uint32_t d3 = 0,
                           std::uint32_t d4 = 0) const;
    // Sends what is buffered; on a connection that reads no events (see
    // setDiscardsEvents) also drops the asynchronous errors queued so far.
    void flush() const;
    // For a connection used only for requests: errors of unchecked requests
    // (a window that vanished) would otherwise pile up in its event queue.
    void setDiscardsEvents(bool discards) { discardsEvents_ = discards; }
    // One round trip: every request sent so far has been handled.
    void sync() const;
    // Asks the server to handle this connection's requests before those of
    // ordinary clients whenever both wait (SYNC SetPriority). The server
    // otherwise takes waiting clients in turn by their number, and a
    // connection made just before a busy one's is taken last. False when
    // the server has no SYNC extension.
    bool askToBeServedFirst() const;
    // Drops events and asynchronous errors queued on this connection (it
    // selects no events; errors of unchecked requests collect here).
    void discardQueuedEvents() const;

    // The name of an atom ("" for None or unknown).
    std::string atomName(xcb_atom_t atom) const;
    xcb_atom_t internAtom(const std::string& name, bool onlyIfExists = false) const;

    // The selection a compositing manager of this screen owns (_NET_WM_CM_Sn),
    // and whether one owns it now (one round trip).
    xcb_atom_t compositingSelection() const;
    bool isComposited() const;

    // The window manager's check window when an EWMH window manager runs,
    // else 0 (read anew each time).
    xcb_window_t windowManagerCheckWindow() const;
    // The name the window manager of check window `check` gives itself
    // ("" for none).
    std::string windowManagerName(xcb_window_t check) const;
    // The name the running window manager gives itself ("" for none), read
    // once per window manager instance.
    std::string windowManagerName() const;
    // Whether the running window manager lists `atom` in _NET_SUPPORTED
    // (read once per window manager instance). One without a check window
    // that holds the window manager selection counts as running, its list
    // read anew each time: mutter replacing itself is left so (its old
    // instance deletes the root's check as it goes, after the new one has
    // set it).
    bool windowManagerSupports(xcb_atom_t atom) const;
    // The same for several atoms at once (one look at the check window).
    std::vector<bool> windowManagerSupports(const std::vector<xcb_atom_t>& atoms) const;

private:
    X11Connection(xcb_connection_t* c, int screenNumber);
    // The owner of a selection (none for XCB_ATOM_NONE or when none holds it).
    xcb_window_t selectionOwner(xcb_atom_t selection) const;
    // Connected, with the atoms still to fill.
    static std::unique_ptr<X11Connection> connect(const std::string& display);
    bool internAll();

    xcb_connection_t* c_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
    int screenNumber_ = 0;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    X11Atoms atoms_;
    bool discardsEvents_ = false;

    mutable std::atomic<xcb_window_t> lastCheckWindow_{XCB_WINDOW_NONE};  // the check window found last time
    mutable std::mutex supportedMutex_;
    mutable xcb_window_t supportedFor_ = XCB_WINDOW_NONE;
    mutable std::vector<xcb_atom_t> supported_;
    mutable std::mutex nameMutex_;
    mutable xcb_window_t nameFor_ = XCB_WINDOW_NONE;
    mutable std::string name_;
};

}  // namespace tessaly
