#pragma once
// Flips rectangles between window-server coordinates (origin top left, y
// growing downwards) and toolkit coordinates (origin bottom left, y growing
// upwards) about the height of the main display. The flip is its own inverse.
//
//   appKitRect(Rect(0, 0, 100, 50), 1000)  -> Rect(0, 950, 100, 50)
#include "Platform/Geometry.h"

#include <span>

namespace tessaly::CoordinateConversion {

// The height to flip about: that of the first screen's frame, or when there
// are no screens, that of the main display's bounds. Callers read both anew
// for every conversion, as displays come and go.
double mainDisplayHeight(std::span<const Rect> screenFrames, const Rect& mainDisplayBounds);

// x, width and height unchanged; y' = mainDisplayHeight - y - height.
Rect appKitRect(const Rect& fromCG, double mainDisplayHeight);
Rect cgRect(const Rect& fromAppKit, double mainDisplayHeight);

}  // namespace tessaly::CoordinateConversion
