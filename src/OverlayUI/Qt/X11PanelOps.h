#pragma once
// The few X11 requests the overlay's panels make themselves, all on Qt's own
// connection, so that they are ordered behind every request Qt made for the
// same window (map, move, shape) without a round trip. Everything here does
// nothing, and answers 0 or false, when Qt does not run on xcb (offscreen
// tests).
#include <cstdint>

#include "Platform/Geometry.h"

namespace tessaly::X11PanelOps {

using XWindow = std::uint32_t;

// Whether Qt runs on an X server (platform "xcb").
bool available();

// Moves and resizes a window to `pixels` (X root coordinates) in one
// ConfigureWindow; with a sibling, restacks it directly above or below that
// sibling in the same request. The request is flushed.
void configure(XWindow window, const Rect& pixels);
void restack(XWindow window, XWindow sibling, bool above);
// Raises the window to the top of the stack.
void raise(XWindow window);

// The root's child holding `window` (its frame when a window manager framed
// it, itself when it is a root child); 0 when it is gone. One round trip per
// level of the tree.
XWindow rootChildOf(XWindow window);

// Waits until the server has handled every request sent so far on Qt's
// connection.
void sync();

}  // namespace tessaly::X11PanelOps
