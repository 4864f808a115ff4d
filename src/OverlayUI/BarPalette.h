#pragma once
// The nine colours of a tab bar, for the dark and the light appearance.
// Toolkit-free: each colour is sRGB with alpha; the toolkit half converts.
#include "TessalyCore/SettingEnums.h"

namespace tessaly {

struct BarColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    // A grey of white level `white`.
    static constexpr BarColor white(double level, double alphaValue = 1.0) {
        return BarColor{level, level, level, alphaValue};
    }

    friend bool operator==(const BarColor&, const BarColor&) = default;
};

struct BarPalette {
    BarColor background;       // strip fill and backing (tinted and made translucent by the bar)
    BarColor activeTab;        // active tab; a tab under an emphasised spring-loading highlight
    BarColor inactiveTab;      // the other tabs
    BarColor activeText;       // active tab's title; the group name caption
    BarColor inactiveText;     // the other tabs' titles
    BarColor activeControl;    // pop-out button on the active tab
    BarColor inactiveControl;  // pop-out button on the other tabs
    BarColor barControl;       // add button, move button, lock icon
    BarColor hoverGlow;        // hover background of buttons; spring-loading blend

    static const BarPalette dark;
    static const BarPalette light;

    // Dark for `dark`, light for `light`; for `system` whatever the system
    // appearance is (`systemIsDark`).
    static const BarPalette& forAppearance(AppearanceMode mode, bool systemIsDark);

    friend bool operator==(const BarPalette&, const BarPalette&) = default;
};

}  // namespace tessaly
