#pragma once
// Where a group's shared frame may go on a set of screens. Pure functions:
// they read no screen and touch no window. Screens come in the platform's
// order; every tuning distance is an argument. All rectangles and points are
// in window-server coordinates (y grows downwards, so minY is the top edge).
//
// Tuning arguments (points):
//   strip        height reserved above a group's frame for its tab bar
//   edgeKeep     how much of a frame stays on its host at an outer screen edge
//   edgePushCap  the most a dragged frame may be pushed past its confined place
//   crossArmPush the push past the confined place beyond which a drag arms a
//                crossing to the neighbouring screen
//   sliver       how much of a parked window stays on its host
#include "Platform/Geometry.h"
#include "TessalyCore/ScreenBox.h"

#include <optional>
#include <ostream>
#include <vector>

namespace tessaly::WindowPlacement {

// The offset callers pass to popOutFrame.
inline constexpr double popOutOffset = 40.0;

enum class Side { left, right, top, bottom };

// A whole-group bar drag that went past an edge into a neighbouring screen.
struct Crossing {
    Side side = Side::left;
    ScreenBox target;

    friend bool operator==(const Crossing&, const Crossing&) = default;
};

struct BarDragResolution {
    Rect raw;        // the confined frame pushed by at most edgePushCap
    Rect displayed;  // the confined frame
    std::optional<Crossing> crossing;

    friend bool operator==(const BarDragResolution&, const BarDragResolution&) = default;
};

// The frame moved by `offset` diagonally, preferring right and up, staying
// within `within` where it can.
Rect popOutFrame(const Rect& from, const Rect& within, double offset);

// The smallest y at which a tab strip may begin on `from`, climbing through
// screens stacked directly above it that reserve no band at their top.
double stripTopLimitCG(const ScreenBox& from, const std::vector<ScreenBox>& screens);

// The strip limit of the screen holding the middle of the window's top edge
// (else the first screen the window meets); absent when none.
std::optional<double> stripTopLimitCG(const Rect& forWindow, const std::vector<ScreenBox>& screens);

// Moves a frame's top out of (or back up to) the tab bar's room when the bar
// height changes; x and width never change.
Rect reReserveTopForHeightChange(const Rect& frame, double stripTopLimitCG, double oldHeight, double newHeight,
                                 double visibleBottom);

// Keeps a frame on its host below the strip. At an edge shared with another
// screen the frame stays wholly on the host; at an outer edge it may hang off
// keeping edgeKeep on the host. snapFitOnScreen keeps a fitting frame wholly
// on the host.
Rect confine(const Rect& frame, const ScreenBox& into, const std::vector<ScreenBox>& screens, double strip,
             double edgeKeep, bool snapFitOnScreen);

// The screen under the cursor when it also meets the frame, else hostScreen.
std::optional<ScreenBox> dropHost(const Rect& frame, std::optional<Point> cursor,
                                  const std::vector<ScreenBox>& screens);

// The screen sharing the largest area with the frame; on a tie the one holding
// the frame's centre, else the earlier one.
std::optional<ScreenBox> hostScreen(const Rect& frame, const std::vector<ScreenBox>& screens);

// Whether the frame meets at least two screens.
bool straddles(const Rect& frame, const std::vector<ScreenBox>& screens);

// An origin for the frame's size that leaves only a sliver of it on the host
// without reaching onto another screen where that can be helped.
Point parkOrigin(const Rect& frame, const ScreenBox& host, const std::vector<ScreenBox>& screens, double sliver);

// Carries a frame to another screen, keeping its size and its relative place
// within the visible frames.
Rect relocate(const Rect& frame, const ScreenBox& from, const ScreenBox& to);

// Resolves a whole-group drag by the tab bar into a confined frame, a frame
// pushed past it by at most edgePushCap, and, past crossArmPush towards a
// neighbouring screen, a crossing.
BarDragResolution resolveBarDrag(const Rect& raw, const ScreenBox& host, const std::vector<ScreenBox>& screens,
                                 double strip, double edgePushCap, double crossArmPush, double edgeKeep);

// Places a frame against the entered edge of the crossing's target, keeping
// the other coordinate, and confines it there.
Rect crossed(const Rect& frame, const Crossing& through, const std::vector<ScreenBox>& screens, double strip,
             double edgeKeep);

std::ostream& operator<<(std::ostream& os, Side side);
std::ostream& operator<<(std::ostream& os, const Crossing& crossing);
std::ostream& operator<<(std::ostream& os, const BarDragResolution& resolution);

}  // namespace tessaly::WindowPlacement
