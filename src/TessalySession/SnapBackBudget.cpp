#include "TessalySession/SnapBackBudget.h"

#include "Platform/FrameLanding.h"

namespace tessaly {

namespace {

// All four values equal: a group frame that moved at all is a new target.
bool sameFrame(const Rect& a, const Rect& b) { return a.origin == b.origin && a.size == b.size; }

}  // namespace

SnapBackBudget::Verdict SnapBackBudget::decide(WindowID windowID, const Rect& target, const Rect& read,
                                               Size increment) {
    if (FrameLanding::isLanded(read, target, tolerance, increment)) return Verdict::landed();

    const auto existing = tallies_.find(windowID);
    if (existing != tallies_.end() && sameFrame(existing->second.target, target)) {
        Tally& tally = existing->second;
        if (tally.sends >= limit) {
            const bool first = !tally.exhaustionReported;
            tally.exhaustionReported = true;
            return Verdict::exhausted(first);
        }
        ++tally.sends;
        return Verdict::resend();
    }
    // No tally, or the group frame changed since the last send: start afresh.
    Tally& tally = tallies_[windowID];
    tally = Tally{target, 0, false};
    if (limit < 1) {
        tally.exhaustionReported = true;
        return Verdict::exhausted(true);
    }
    tally.sends = 1;
    return Verdict::resend();
}

void SnapBackBudget::groupFrameIs(WindowID windowID, const Rect& groupFrame) {
    const auto existing = tallies_.find(windowID);
    if (existing != tallies_.end() && !sameFrame(existing->second.target, groupFrame)) tallies_.erase(existing);
}

int SnapBackBudget::sends(WindowID windowID) const {
    const auto it = tallies_.find(windowID);
    return it == tallies_.end() ? 0 : it->second.sends;
}

}  // namespace tessaly
