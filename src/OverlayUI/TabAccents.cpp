#include "OverlayUI/TabAccents.h"

#include <algorithm>

#include "TessalyCore/L10n.h"

namespace tessaly::TabAccents {

BarColor tintedBar(const TabColor& accent, const BarColor& base, double strength) {
    const double s = !(strength > 0) ? 0.0 : std::min(strength, 1.0);
    const auto mix = [s](double a, double b) { return s * a + (1 - s) * b; };
    return BarColor{mix(accent.red, base.red), mix(accent.green, base.green), mix(accent.blue, base.blue), 1.0};
}

BarColor barFill(const BarPalette& palette, const std::optional<TabColor>& groupAccent, double opacity) {
    BarColor fill = groupAccent ? tintedBar(*groupAccent, palette.background, groupTintStrength) : palette.background;
    fill.alpha = opacity;
    return fill;
}

const std::vector<ColorPreset>& builtInColorPresets() {
    static const std::vector<ColorPreset> presets{
        ColorPreset(Uuid::random(), L10n::colorRed(), TabColor(1.0, 0.27, 0.23)),
        ColorPreset(Uuid::random(), L10n::colorOrange(), TabColor(1.0, 0.58, 0.0)),
        ColorPreset(Uuid::random(), L10n::colorYellow(), TabColor(1.0, 0.8, 0.0)),
        ColorPreset(Uuid::random(), L10n::colorGreen(), TabColor(0.2, 0.78, 0.35)),
        ColorPreset(Uuid::random(), L10n::colorBlue(), TabColor(0.04, 0.52, 1.0)),
        ColorPreset(Uuid::random(), L10n::colorPurple(), TabColor(0.75, 0.35, 0.95)),
        ColorPreset(Uuid::random(), L10n::colorWhite(), TabColor(1.0, 1.0, 1.0)),
        ColorPreset(Uuid::random(), L10n::colorBlack(), TabColor(0.0, 0.0, 0.0)),
    };
    return presets;
}

}  // namespace tessaly::TabAccents
