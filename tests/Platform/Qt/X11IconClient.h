#pragma once
// A small X client for icon tests, started as this test program with
// "--tessaly-x11-icon-client KIND": one window of class TessalyIconClient
// whose _NET_WM_ICON holds what KIND says, living until it is ended.
//   none         no icon property
//   choice       16x16 blue, 32x32 green, 48x48 red: the 32x32 is the pick
//   truncated    a 64x64 image with only 100 pixels
//   huge         a 100000x100000 image with 16 pixels
//   oversized    a 724x724 image, complete (2 MiB, past the read cap)
//   cut-after-16 a complete 16x16 yellow image, then a truncated one
// or, with no _NET_WM_ICON, an icon pixmap in WM_HINTS:
//   hints        20x20 red, of the screen's depth, with a mask showing its left half
//   hints-bitmap a 16x16 bitmap whose top half is set (black), without a mask
//   hints-huge   a 600x600 pixmap, past the side limit
//   hints-deep   an 8-bit pixmap: neither a bitmap nor of the screen's depth
#include "Platform/X11/X11Connection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::test {

inline constexpr const char* kIconClientFlag = "--tessaly-x11-icon-client";
inline constexpr const char* kIconClientClass = "TessalyIconClient";

// The property values of KIND; none for an unknown kind.
std::optional<std::vector<std::uint32_t>> iconClientProperty(const std::string& kind);
// Runs the client (in main, before anything else); its exit code.
int runIconClient(const std::string& kind);

// Sets WM_HINTS naming the icon pixmap (and mask) of a hints KIND on
// `window`, making the pixmaps on `x`; false for another kind. (Some window
// managers cannot take every one: openbox stops at an 8-bit icon pixmap.)
bool setIconClientHints(const X11Connection& x, xcb_window_t window, const std::string& kind);

}  // namespace tessaly::test
