#pragma once
// What the Tab Bar page shows and allows for the bar's opacity and height.
#include <string>

namespace tessaly::TabBarSettingsValues {

// The opacity slider: 0.3 to 1.0 in steps of 0.05.
inline constexpr double opacityMinimum = 0.3;
inline constexpr double opacityMaximum = 1.0;
inline constexpr double opacityStep = 0.05;

// "Tab Bar Opacity: 85%": the percentage rounded half away from zero.
std::string opacityText(double opacity);
// "Tab Bar Height: 30 px": the height with its fraction dropped, joined to
// its unit by a no-break space.
std::string heightText(double height);

// The height one point lower (never below the range) and whether that step is possible.
double heightStepDown(double height);
bool canStepDown(double height);
double heightStepUp(double height);
bool canStepUp(double height);
// Whether the reset button does anything (the height is not exactly the default).
bool canResetHeight(double height);

// The slider's whole-number positions and the opacity each stands for.
int opacitySliderPosition(double opacity);
double opacityForSliderPosition(int position);
int opacitySliderMinimum();
int opacitySliderMaximum();

}  // namespace tessaly::TabBarSettingsValues
