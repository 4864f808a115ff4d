// The decisions of a bar drag: which group a dragged group would merge
// into, what its release does, and which parked members it must put back.
#include <algorithm>

#include "TessalySession/GroupSession.h"

namespace tessaly {

namespace {

// The least share of the smaller frame's area that the overlap must cover.
constexpr double mergeOverlapMinFraction = 0.25;

double area(const Rect& frame) { return frame.size.width * frame.size.height; }

}  // namespace

std::optional<Uuid> GroupSession::mergeTarget(const Uuid& draggedGroupID, const Rect& frame) const {
    std::vector<MergeCandidate> candidates;
    candidates.reserve(engine_->groupCount());
    for (const TabGroup& group : engine_->groups()) {
        if (group.id == draggedGroupID) continue;
        const bool onDesktop = std::any_of(group.members.begin(), group.members.end(),
                                           [&group](const GroupMember& m) { return group.isUsable(m.windowID); });
        candidates.push_back({group.id, group.frame, group.isLocked, onDesktop});
    }
    return mergeTargetPick(frame, candidates);
}

std::optional<Uuid> GroupSession::mergeTargetPick(const Rect& draggedFrame, const std::vector<MergeCandidate>& among) {
    const double draggedArea = area(draggedFrame.standardized());
    const MergeCandidate* best = nullptr;
    double bestArea = 0;
    for (const MergeCandidate& candidate : among) {
        if (candidate.isLocked || !candidate.hasOnDesktopMember) continue;
        const Rect overlap = draggedFrame.intersection(candidate.frame);
        if (overlap.isNull()) continue;
        if (overlap.size.width < mergeOverlapMinSpan || overlap.size.height < mergeOverlapMinSpan) continue;
        const double overlapArea = area(overlap);
        if (overlapArea < mergeOverlapMinFraction * std::min(draggedArea, area(candidate.frame.standardized()))) {
            continue;
        }
        // Strictly greater: on equal overlaps the earlier group stays.
        if (!best || overlapArea > bestArea) {
            best = &candidate;
            bestArea = overlapArea;
        }
    }
    if (!best) return std::nullopt;
    return best->id;
}

BarDropOutcome GroupSession::barDropOutcome(bool groupExists, const std::optional<Uuid>& hoveredTarget,
                                            bool sourceLocked,
                                            const std::function<bool(const Uuid&)>& targetIsMergeable) {
    if (!groupExists) return BarDropOutcome::abandon();
    if (!hoveredTarget || sourceLocked) return BarDropOutcome::commitFrame();
    if (!targetIsMergeable || !targetIsMergeable(*hoveredTarget)) return BarDropOutcome::commitFrame();
    return BarDropOutcome::merge(*hoveredTarget);
}

std::vector<ParkedMember> GroupSession::parkedToRestore(const std::vector<ParkedMember>& parked,
                                                        const std::set<WindowID>& survivingMembers) {
    std::vector<ParkedMember> stranded;
    for (const ParkedMember& member : parked) {
        if (!survivingMembers.contains(member.windowID)) stranded.push_back(member);
    }
    return stranded;
}

}  // namespace tessaly
