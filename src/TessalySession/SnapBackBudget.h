#pragma once
// How often an inactive member that strayed from its group's frame is sent
// back. An application may refuse a frame or keep re-asserting its own; the
// budget bounds the sends for one target (the group frame) and reports the
// exhaustion once per target. A group that leaves a frame and comes back to
// it (maximised and restored) has a new target: the owner tells the budget
// of every frame the group takes. A plain value owned by the session.
#include <map>

#include "Platform/Geometry.h"
#include "Platform/Types.h"

namespace tessaly {

struct SnapBackBudget {
    enum class VerdictKind { landed, resend, exhausted };
    struct Verdict {
        VerdictKind kind = VerdictKind::landed;
        bool firstReport = false;  // exhausted: the first exhausted verdict for this target

        static Verdict landed() { return {VerdictKind::landed, false}; }
        static Verdict resend() { return {VerdictKind::resend, false}; }
        static Verdict exhausted(bool firstReport) { return {VerdictKind::exhausted, firstReport}; }
        friend bool operator==(const Verdict&, const Verdict&) = default;
    };

    int limit = 8;           // sends allowed for one target
    double tolerance = 4.0;  // points per coordinate still counting as in place

    SnapBackBudget() = default;
    SnapBackBudget(int limitValue, double toleranceValue) : limit(limitValue), tolerance(toleranceValue) {}

    // One frame report of a window that should sit at `target`. `increment`
    // (the window's size increments, 0 where none) widens what counts as in
    // place: a terminal that snapped its size to its character cells is home.
    Verdict decide(WindowID windowID, const Rect& target, const Rect& read, Size increment = {});

    // The owner drops a window's tally when the window is destroyed or its
    // frame is adopted.
    void forget(WindowID windowID) { tallies_.erase(windowID); }
    // The window's group now has `groupFrame`: a tally for another frame is
    // over, also when the group comes back to that frame later.
    void groupFrameIs(WindowID windowID, const Rect& groupFrame);
    bool hasTally(WindowID windowID) const { return tallies_.contains(windowID); }
    int sends(WindowID windowID) const;

private:
    struct Tally {
        Rect target;
        int sends = 0;
        bool exhaustionReported = false;
    };
    std::map<WindowID, Tally> tallies_;
};

}  // namespace tessaly
