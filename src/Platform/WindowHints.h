#pragma once
// What a window asks of the window manager. Of its own size: terminals and
// editors snap their size to character cells, so a frame set on them lands
// on the nearest multiple of their increment (frame checks judge a landed
// frame against these). Of the focus: a window may take none at all, so
// raising it leaves the focus where it was. And what the window manager
// draws around it: the title bar across the top of its frame.
#include <optional>

#include "Platform/Geometry.h"
#include "Platform/Types.h"

namespace tessaly {

struct SizeHints {
    Size increment;  // 0 where the window has none
    Size base;       // the size the increments count from
    friend bool operator==(const SizeHints&, const SizeHints&) = default;
};

class WindowHints {
public:
    virtual ~WindowHints() = default;
    // Absent for an unknown window or one that sets no increments.
    virtual std::optional<SizeHints> sizeHints(WindowID window) const = 0;
    // Whether the window never takes the input focus, neither given nor by
    // itself; false when unknown.
    virtual bool refusesFocus(WindowID) const { return false; }
    // The title bar the window manager draws over the window as it stands
    // now, in global coordinates: the band across the top of its frame
    // (with any border above it) down to what the window itself shows; no
    // higher than that for a window it draws no title bar for (one that
    // draws its own header bar). Absent where unknown: the title bar is
    // then taken to lie inside the frame, as tall as a bar.
    virtual std::optional<Rect> titleBar(WindowID) const { return std::nullopt; }
};

}  // namespace tessaly
