#include "TessalyApp/ColorPaletteFieldState.h"

namespace tessaly {

ColorPaletteFieldState::ColorPaletteFieldState(const TabColor& selection)
    : selection_(selection), customColor_(selection), hexText_(selection.hexString()) {}

bool ColorPaletteFieldState::isValid() const { return TabColor::fromHex(hexText_).has_value(); }

void ColorPaletteFieldState::setHexText(std::string text) {
    hexText_ = std::move(text);
    if (const auto parsed = TabColor::fromHex(hexText_)) {
        selection_ = *parsed;
        customColor_ = *parsed;
    }
}

void ColorPaletteFieldState::select(const TabColor& color) {
    selection_ = color;
    if (TabColor::fromHex(hexText_) == color) return;  // the text already says so
    setHexText(color.hexString());
}

bool ColorPaletteFieldState::isMarked(const TabColor& swatch) const {
    return swatch.hexString() == selection_.hexString();
}

}  // namespace tessaly
