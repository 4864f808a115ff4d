#pragma once
// The displays, each as its full frame and its visible frame (without menu
// bars, docks and panels), in global top-left coordinates.
#include <cstdint>
#include <string>
#include <vector>

#include "Platform/Geometry.h"

namespace tessaly {

struct DisplayInfo {
    std::uint32_t displayID = 0;
    std::string name;
    Rect frame;
    Rect visibleFrame;

    friend bool operator==(const DisplayInfo&, const DisplayInfo&) = default;
};

class Displays {
public:
    virtual ~Displays() = default;

    // Every display, the main display first; empty when none is attached.
    virtual std::vector<DisplayInfo> screens() const = 0;
};

}  // namespace tessaly
