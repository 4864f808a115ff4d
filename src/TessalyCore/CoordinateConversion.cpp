#include "TessalyCore/CoordinateConversion.h"

namespace tessaly::CoordinateConversion {

namespace {

Rect flipped(const Rect& r, double height) {
    if (r.isNull()) return r;
    const Rect s = r.standardized();
    return Rect(s.origin.x, height - s.origin.y - s.size.height, s.size.width, s.size.height);
}

}  // namespace

double mainDisplayHeight(std::span<const Rect> screenFrames, const Rect& mainDisplayBounds) {
    if (!screenFrames.empty()) return screenFrames.front().height();
    return mainDisplayBounds.height();
}

Rect appKitRect(const Rect& fromCG, double mainDisplayHeight) { return flipped(fromCG, mainDisplayHeight); }

Rect cgRect(const Rect& fromAppKit, double mainDisplayHeight) { return flipped(fromAppKit, mainDisplayHeight); }

}  // namespace tessaly::CoordinateConversion
