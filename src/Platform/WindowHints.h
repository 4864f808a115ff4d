#pragma once
// What a window asks of its own size: terminals and editors snap their size
// to character cells, so a frame set on them lands on the nearest multiple
// of their increment. Frame checks judge a landed frame against these.
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
};

}  // namespace tessaly
