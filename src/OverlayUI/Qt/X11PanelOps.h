#pragma once
// The stacking requests the overlay's panels make themselves, on Qt's own
// connection (QtX11Connection), so that they reach the server after every
// request Qt made for the same window (map, move, shape) without a round
// trip. Everything here does nothing, and answers 0, when Qt does not run on
// xcb (offscreen tests).
#include <cstdint>

namespace tessaly::X11PanelOps {

using XWindow = std::uint32_t;

// Restacks `window` directly above or below `sibling` (another child of the
// root). Flushed at once.
void restack(XWindow window, XWindow sibling, bool above);
// Raises the window to the top of the stack. Flushed at once.
void raise(XWindow window);

// The root's child holding `window` (its frame when a window manager framed
// it, itself when it is a root child); 0 when it is gone. One round trip per
// level of the tree.
XWindow rootChildOf(XWindow window);

}  // namespace tessaly::X11PanelOps
