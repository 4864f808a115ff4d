#pragma once
// Whether a live reading of a dragged window's frame is believable, judged by
// comparing how far its origin jumped since the last believed reading with
// how far the pointer moved meanwhile. Distances are per axis, the larger of
// |dx| and |dy|; only origins are compared.
#include <optional>

#include "Platform/Geometry.h"

namespace tessaly::LiveFollowGate {

struct Decision {
    bool accept = false;
    int rejectStreak = 0;  // rejections in a row including this one; 0 after an acceptance

    friend bool operator==(const Decision&, const Decision&) = default;
};

// One live reading. After `maxReject` rejections in a row the next reading
// is accepted whatever it shows.
Decision decide(const Rect& frame, const std::optional<Rect>& lastGood, Point cursor,
                std::optional<Point> cursorAtLastGood, int rejectStreak, double glitchJump, int maxReject);

// Whether the fresh frame lies where the pointer's own movement would have
// taken the last good frame, within `glitchJump` on each axis.
bool acceptFinalFrame(const Rect& fresh, const Rect& lastGood, Point cursorNow, Point cursorAtLastGood,
                      double glitchJump);

// The frame to adopt when the drag ends.
Rect finalFrame(const std::optional<Rect>& fresh, const std::optional<Rect>& lastGood,
                std::optional<Point> cursorNow, std::optional<Point> cursorAtLastGood, const Rect& original,
                double glitchJump);

}  // namespace tessaly::LiveFollowGate
