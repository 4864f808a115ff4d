#include "OverlayUI/BarPalette.h"

namespace tessaly {

const BarPalette BarPalette::dark{
    BarColor::white(0.16),        // background
    BarColor::white(0.32),        // activeTab
    BarColor::white(0.18, 0.9),   // inactiveTab
    BarColor::white(1.0),         // activeText
    BarColor::white(0.82),        // inactiveText
    BarColor::white(1.0),         // activeControl
    BarColor::white(0.7),         // inactiveControl
    BarColor::white(0.8),         // barControl
    BarColor::white(1.0, 0.28),   // hoverGlow
};

const BarPalette BarPalette::light{
    BarColor::white(0.86),        // background
    BarColor::white(1.0),         // activeTab
    BarColor::white(0.78, 0.95),  // inactiveTab
    BarColor::white(0.15),        // activeText
    BarColor::white(0.3),         // inactiveText
    BarColor::white(0.25),        // activeControl
    BarColor::white(0.45),        // inactiveControl
    BarColor::white(0.35),        // barControl
    BarColor::white(0.0, 0.12),   // hoverGlow
};

const BarPalette& BarPalette::forAppearance(AppearanceMode mode, bool systemIsDark) {
    switch (mode) {
        case AppearanceMode::dark: return dark;
        case AppearanceMode::light: return light;
        case AppearanceMode::system: break;
    }
    return systemIsDark ? dark : light;
}

}  // namespace tessaly
