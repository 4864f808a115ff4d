#pragma once
// The How To page's looping picture of making a group, as a pure function of
// time: a mock window travels toward another, a Shift keycap appears, the
// insert preview outlines the target, the window drops into place and the
// group's tab bar slides in; then the picture resets. One cycle lasts 6.35 s:
//
//   0.00  rest
//   1.00  the window and pointer travel to the drop point (ease-in-out, 1.7 s)
//   1.60  the keycap fades in (ease-in-out, 0.3 s)
//   2.75  the preview fades in (ease-in-out, 0.35 s)
//   3.75  drop: the window lands on the target, the bar comes, the preview
//         and keycap go (a critically damped spring, response 0.45 s)
//   5.95  reset: the window returns and fades in, the bar fades out (ease-out, 0.35 s)
//
// With reduce motion the picture is still: the finished group alone.
// Coordinates are stage points, origin top left, y down.
namespace tessaly {

struct GroupDemoLayout {
    static constexpr double stageW = 340;
    static constexpr double stageH = 164;
    static constexpr double windowW = 110;
    static constexpr double windowH = 76;
    static constexpr double windowY = 73;   // both windows' centre at rest
    static constexpr double startX = 62;    // the dragged window's centre at rest
    static constexpr double targetX = 262;  // the target window's centre
    static constexpr double dropX = targetX - 30;
    static constexpr double dropY = windowY + 12;
    static constexpr double barH = 16;
    static constexpr double barY = windowY - windowH / 2 - barH / 2;  // the bar sits on the target's top edge
    static constexpr double hintY = 137;  // the keycap's centre
};

// The picture at one moment.
struct GroupDemoFrame {
    double draggedX = GroupDemoLayout::startX;  // centre of the dragged window (and its pointer)
    double draggedY = GroupDemoLayout::windowY;
    double hintOpacity = 0;     // the Shift keycap
    double overlayOpacity = 0;  // the insert preview
    // 0 apart, 1 grouped: the tab bar's opacity and slide (4 points down
    // into place), and 1 minus the dragged window's and pointer's opacity.
    double grouped = 0;

    double tabBarOffsetY() const { return -4 * (1 - grouped); }
    double draggedOpacity() const { return 1 - grouped; }
};

namespace GroupDemoTimeline {

inline constexpr double cycleDuration = 6.35;

// The picture `elapsed` seconds after the loop started (or restarted).
GroupDemoFrame frame(double elapsed, bool reduceMotion);

// Seconds from `elapsed` until the picture next moves: 0 while it moves. In
// between the steps (about half of each cycle) the picture stands still and
// needs no drawing. The drop's spring counts as settled 0.8 s after it
// starts, when what is left of its travel is far below a pixel.
double stillFor(double elapsed);

// The timing curves, from 0 to 1 over 0...1 (the spring over seconds).
double easeInOut(double x);
double easeOut(double x);
double criticalSpring(double seconds, double response);

}  // namespace GroupDemoTimeline

// Whether the user asked the system to reduce motion. The X11 desktop has no
// such setting, so the answer is no.
bool systemPrefersReducedMotion();

}  // namespace tessaly
