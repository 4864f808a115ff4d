#pragma once
// The timing of a tab bar's own animations: siblings sliding out of the way
// of a dragged tab, a released tab settling into its slot, a drop gap
// opening, moving and closing. All run this long, on an ease-out curve
// (Qt: QEasingCurve::OutCubic); the logic that starts them finishes its
// state after the same time on the main executor, so the picture and the
// state agree when the animation ends.
namespace tessaly::BarAnimation {

inline constexpr double duration = 0.16;

}  // namespace tessaly::BarAnimation
