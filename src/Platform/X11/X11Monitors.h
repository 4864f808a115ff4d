#pragma once
// Displays: the RandR monitors (primary first), each with its full frame and
// its visible frame, which is the monitor less what docks reserve through
// _NET_WM_STRUT_PARTIAL (or _NET_WM_STRUT): every dock shown, whether the
// window manager lists it among its clients or not (i3 lists no dock, and
// frames it). Where no window reserves
// anything, a window manager may still keep a panel of its own (icewm's
// taskbar), known only from its work area (_NET_WORKAREA): the visible
// frame keeps within it. Read anew on each call; callers re-read on the
// event reader's screenChanged (X11Backend keeps them until then).
#include <optional>

#include "Platform/Geometry.h"
#include "Platform/X11/X11Connection.h"

#include <string>
#include <vector>

namespace tessaly {

struct X11Monitor {
    std::uint32_t id = 0;  // the RandR monitor's name atom: stable for one name
    std::string name;
    Rect frame;
    Rect visibleFrame;
    bool isPrimary = false;
    friend bool operator==(const X11Monitor&, const X11Monitor&) = default;
};

// What one dock reserves along each edge of the root window, with the span
// it covers on that edge (EWMH _NET_WM_STRUT_PARTIAL order).
struct X11Strut {
    double left = 0, right = 0, top = 0, bottom = 0;
    double leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
    double topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;
};

// The part of `monitor` left after the struts, on a root window of `rootSize`;
// without struts, the part inside the window manager's `workArea` (when it
// meets the monitor). One work area spans all monitors, so where struts say
// which monitor a panel is on, they alone count.
Rect visibleFrame(const Rect& monitor, const std::vector<X11Strut>& struts, Size rootSize,
                  const std::optional<Rect>& workArea = std::nullopt);

// A top-level window that is shown, and the root child that holds it (the
// window itself, or the frame a window manager put it in).
struct X11TopLevel {
    xcb_window_t window = 0;
    xcb_window_t rootChild = 0;
};

// The shown top-level windows among `rootChildren`: each viewable root
// child, and the viewable windows directly inside it (a client in its frame;
// i3's frames are override-redirect). Two round trips. A frame made for a
// listed client holds nothing else worth a look but its decorations (some
// window managers draw them in twenty windows a frame): callers leave the
// frames they know out of `rootChildren`.
std::vector<X11TopLevel> shownTopLevels(const X11Connection& x, const std::vector<xcb_window_t>& rootChildren);

// What each of `windows` reserves, in their order (absent: nothing). One
// round trip.
std::vector<std::optional<X11Strut>> readStruts(const X11Connection& x, const std::vector<xcb_window_t>& windows);

class X11Windows;

class X11Monitors {
public:
    // `windows`, when given, reads the clients on `connection` (answering
    // from what it keeps in memory).
    explicit X11Monitors(const X11Connection& connection, const X11Windows* windows = nullptr)
        : x_(connection), windows_(windows) {}

    // Monitors, the primary first, then in RandR's order. Without RandR
    // monitors, the whole screen is one display.
    std::vector<X11Monitor> monitors() const;
    // The struts of every managed client and of every other shown
    // top-level window (a few pipelined batches).
    std::vector<X11Strut> struts() const;
    // _NET_WORKAREA of the current desktop; absent where none is published.
    std::optional<Rect> workArea() const;

private:
    const X11Connection& x_;
    const X11Windows* windows_;
};

}  // namespace tessaly
