#pragma once
// One display described by two frames in window-server coordinates (origin at
// the top left of the main display, y growing downwards).
#include "Platform/Geometry.h"

#include <ostream>

namespace tessaly {

struct ScreenBox {
    Rect full;     // the screen's whole frame
    Rect visible;  // the part not covered by the menu bar or the dock

    // The same screen only when both frames are equal; this is how placement
    // code tells the host screen from the others.
    friend bool operator==(const ScreenBox&, const ScreenBox&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const ScreenBox& s) {
    return os << "ScreenBox(full: " << s.full << ", visible: " << s.visible << ")";
}

}  // namespace tessaly
