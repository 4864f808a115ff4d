#include "TessalySession/FollowSnapshot.h"

namespace tessaly {

std::optional<FollowPlan> FollowSnapshot::plan(const FollowRequest& request) const {
    const auto found = byActive.find(request.source);
    if (found == byActive.end() || found->second.movers.empty()) return std::nullopt;
    const Group& group = found->second;
    std::optional<double> changed;
    if (const auto at = minimizeChanged.find(request.source); at != minimizeChanged.end()) changed = at->second;
    switch (followVerdict(request, group.state, changed, rules)) {
        case FollowVerdict::follow: return FollowPlan{request.frame, group.movers, group.state.frame};
        case FollowVerdict::dragged:
        case FollowVerdict::held: return FollowPlan{request.frame, group.movers, group.state.frame, true};
        default: return std::nullopt;
    }
}

}  // namespace tessaly
