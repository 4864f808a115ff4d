#pragma once
// The stacking requests the overlay's panels make themselves, on Qt's own
// connection (QtX11Connection), so that they reach the server after every
// request Qt made for the same window (map, move, shape) without a round
// trip. Everything here does nothing, and answers 0, when Qt does not run on
// xcb (offscreen tests).
#include <cstdint>

#include "Platform/Geometry.h"

struct xcb_connection_t;

namespace tessaly::X11PanelOps {

using XWindow = std::uint32_t;

// Qt's connection, or null (looked up once per application). Read on the
// main thread; requests on it may then be sent from any thread (xcb orders
// them).
xcb_connection_t* qtConnection();

// Moves and sizes `window` to `xPixels` and stacks it directly above or
// below `sibling` (a child of the root), in one ConfigureWindow. Flushed
// unless more requests are to go with it.
void place(xcb_connection_t* connection, XWindow window, const Rect& xPixels, XWindow sibling, bool above,
           bool flush = true);

// Restacks `window` directly above or below `sibling` (another child of the
// root). Not flushed: Qt flushes its connection before its event loop
// waits, so the orderings of one pass (every bar, four times a second) go
// out in one write.
void restack(XWindow window, XWindow sibling, bool above);
// Raises the window to the top of the stack (not flushed either).
void raise(XWindow window);
// Hands `window` (a child of the root) to the root again where it stands
// (at `xPixels`' origin): a compositor takes it on as a new window. Flushed.
void handToRoot(XWindow window, const Rect& xPixels);

// The root's child holding `window` (its frame when a window manager framed
// it, itself when it is a root child); 0 when it is gone. One round trip per
// level of the tree.
XWindow rootChildOf(XWindow window);
// Whether the window's bounding region is shaped (anything but its
// rectangle, such as rounded corners); one round trip.
bool isShaped(XWindow window);

}  // namespace tessaly::X11PanelOps
