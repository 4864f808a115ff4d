#include "TessalyApp/TabBarSettingsValues.h"

#include <algorithm>
#include <cmath>

#include "TessalyCore/L10n.h"
#include "TessalyCore/SettingsStore.h"

namespace tessaly::TabBarSettingsValues {

namespace {
constexpr auto heightRange = SettingsStore::tabBarHeightRange;
}  // namespace

std::string opacityText(double opacity) {
    return L10n::tabBarOpacity() + ": " + std::to_string(std::llround(opacity * 100)) + "%";
}

std::string heightText(double height) {
    // A no-break space: a label that wraps keeps the number with its unit.
    return L10n::tabBarHeight() + ": " + std::to_string(static_cast<long long>(std::trunc(height))) + "\u00A0px";
}

double heightStepDown(double height) { return std::max(heightRange.lowerBound, height - 1.0); }
bool canStepDown(double height) { return height > heightRange.lowerBound; }
double heightStepUp(double height) { return std::min(height + 1.0, heightRange.upperBound); }
bool canStepUp(double height) { return height < heightRange.upperBound; }
bool canResetHeight(double height) { return height != SettingsStore::defaultTabBarHeight; }

int opacitySliderPosition(double opacity) {
    const double clamped = std::clamp(opacity, opacityMinimum, opacityMaximum);
    return static_cast<int>(std::lround(clamped / opacityStep));
}

double opacityForSliderPosition(int position) {
    return std::clamp(position * opacityStep, opacityMinimum, opacityMaximum);
}

int opacitySliderMinimum() { return opacitySliderPosition(opacityMinimum); }
int opacitySliderMaximum() { return opacitySliderPosition(opacityMaximum); }

}  // namespace tessaly::TabBarSettingsValues
