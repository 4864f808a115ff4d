#pragma once
// Accents on bars: the group tint of a bar's background and the built-in
// colour presets.
#include <vector>

#include "OverlayUI/BarPalette.h"
#include "TessalyCore/ColorPreset.h"
#include "TessalyCore/TabColor.h"

namespace tessaly::TabAccents {

// The share of the group accent in a bar's background.
inline constexpr double groupTintStrength = 0.16;

// `accent` mixed into `base` by `strength` (clamped to 0...1), opaque: the
// base's alpha is dropped (the bar applies its opacity afterwards).
BarColor tintedBar(const TabColor& accent, const BarColor& base, double strength);

// A bar's background fill: the palette's background, tinted by the group
// accent when there is one, at the bar opacity.
BarColor barFill(const BarPalette& palette, const std::optional<TabColor>& groupAccent, double opacity);

// The eight built-in presets (red, orange, yellow, green, blue, purple,
// white, black), built once per process with fresh ids and the names in the
// language of the process.
const std::vector<ColorPreset>& builtInColorPresets();

}  // namespace tessaly::TabAccents
