#pragma once
// What a window asks of the window manager. Of its own size: terminals and
// editors snap their size to character cells, so a frame set on them lands
// on the nearest multiple of their increment (frame checks judge a landed
// frame against these). Of the focus: a window may take none at all, so
// raising it leaves the focus where it was.
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
};

}  // namespace tessaly
