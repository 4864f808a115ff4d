#pragma once
// Qt's own connection to the X server, for the few requests that must go out
// on it: making sure what Qt sent has reached the server before another
// connection orders the same window, and placing a window in X pixels with
// one request. Everything here does nothing (and answers false or none)
// unless Qt runs on X11 (platform "xcb"); under "offscreen" Qt still hands
// out a connection, but its window ids are not X windows.
#include "Platform/Geometry.h"

#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

class QtX11Connection {
public:
    static bool isAvailable();
    // Qt's connection, or null.
    static xcb_connection_t* get();
    static xcb_window_t root();

    // Sends what Qt has buffered (a map, a move) to the server.
    static void flush();
    // Flushes and waits until the server has handled everything Qt sent so
    // far: requests on any other connection are ordered after those.
    static void sync();

    // Moves and sizes `window` to `xPixels` (root coordinates, rounded to
    // whole pixels; the size at least 1 x 1) with one ConfigureWindow; with
    // `aboveSibling` (a child of the root) also stacks it directly above
    // that window. Flushed at once. False when not on X11.
    static bool configure(WId window, const Rect& xPixels, std::optional<xcb_window_t> aboveSibling = std::nullopt);

    // A current server timestamp, for requests that the window manager
    // weighs by time (activation). Costs one round trip on a connection of
    // its own; none when the server cannot be asked.
    static std::optional<xcb_timestamp_t> serverTime();
    // The desktop the window manager shows now (_NET_CURRENT_DESKTOP).
    static std::optional<std::uint32_t> currentDesktop();
    // The window manager's active client (_NET_ACTIVE_WINDOW), or none.
    static std::optional<xcb_window_t> activeWindow();

    // Small tools for the requests above, on Qt's connection.
    static xcb_atom_t atom(const std::string& name);
    // Interns those of `names` not known yet in one round trip, so that
    // atom() answers them from memory.
    static void internAtoms(const std::vector<std::string>& names);
    // A 32-bit property's values (empty when absent).
    static std::vector<std::uint32_t> cardinals(xcb_window_t window, const std::string& property);
    static void setCardinal(xcb_window_t window, const std::string& property, xcb_atom_t type, std::uint32_t value);
    static void setCardinals(xcb_window_t window, const std::string& property, xcb_atom_t type,
                             const std::vector<std::uint32_t>& values);
    // A client message about `window` to the window manager (to the root,
    // with SubstructureRedirect and SubstructureNotify).
    static void sendToWindowManager(xcb_window_t window, const std::string& type, std::array<std::uint32_t, 5> data);
};

}  // namespace tessaly
