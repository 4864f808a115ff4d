#include "TessalyCore/TabAsideDecision.h"

#include <cmath>
#include <ostream>

#include "Platform/WindowList.h"
#include "TessalyCore/FrameTolerance.h"

namespace tessaly {

std::ostream& operator<<(std::ostream& os, const TabAsideDecision& d) {
    os << "TabAsideDecision(" << (d.isAside ? "aside" : "not aside");
    if (d.lockedHost) os << ", host " << *d.lockedHost;
    if (d.anchorFrame) os << ", " << *d.anchorFrame;
    os << ", judge [";
    for (std::size_t i = 0; i < d.hostsToJudge.size(); ++i) os << (i ? ", " : "") << d.hostsToJudge[i];
    return os << "])";
}

bool framesMatch(const Rect& a, const Rect& b) { return framesWithin(a, b, tabAsideFrameTolerance); }

namespace {

bool isOrdinaryWindowOf(const DiscoveredWindow& w, ProcessID pid) {
    return w.pid == pid && w.layer == WindowLayer::normal;
}

// The locked host, when it still stands in the list and is judged a host
// (or not judged yet).
std::optional<TabAsideDecision> lockedHostDecision(WindowID host, ProcessID memberPID,
                                                   const std::vector<DiscoveredWindow>& windows,
                                                   const std::function<bool(WindowID)>& isMember,
                                                   const std::function<std::optional<bool>(WindowID)>& verdict) {
    for (const DiscoveredWindow& w : windows) {
        if (w.windowID != host || !isOrdinaryWindowOf(w, memberPID)) continue;
        if (isMember(host)) continue;  // a member cannot be a host
        const std::optional<bool> judged = verdict(host);
        if (!judged) return TabAsideDecision{true, host, w.frame, {host}};
        if (*judged) return TabAsideDecision{true, host, w.frame, {}};
        return std::nullopt;  // rejected: search generally
    }
    return std::nullopt;
}

}  // namespace

TabAsideDecision resolveTabAside(WindowID member, ProcessID memberPID, const std::optional<Rect>& memberLiveFrame,
                                 const std::optional<Rect>& frozenAnchor, const Rect& groupFrame,
                                 std::optional<WindowID> lockedHost,
                                 const std::vector<DiscoveredWindow>& onScreenWindows,
                                 const std::function<bool(WindowID)>& isMember,
                                 const std::function<std::optional<bool>(WindowID)>& verdict) {
    if (lockedHost && !onScreenWindows.empty()) {
        if (auto decision = lockedHostDecision(*lockedHost, memberPID, onScreenWindows, isMember, verdict)) {
            return *decision;
        }
    }

    std::vector<Rect> references;
    if (memberLiveFrame) references.push_back(*memberLiveFrame);
    if (frozenAnchor) references.push_back(*frozenAnchor);
    references.push_back(groupFrame);

    std::vector<const DiscoveredWindow*> undecided;
    for (const DiscoveredWindow& w : onScreenWindows) {
        if (!isOrdinaryWindowOf(w, memberPID)) continue;
        // The member is never its own host, whatever isMember says of it.
        if (isMember(w.windowID) || w.windowID == member) continue;
        bool matches = false;
        for (const Rect& reference : references) matches = matches || framesMatch(w.frame, reference);
        if (!matches) continue;
        const std::optional<bool> judged = verdict(w.windowID);
        if (!judged) {
            undecided.push_back(&w);
        } else if (*judged) {
            return TabAsideDecision{true, w.windowID, w.frame, {}};
        }
    }
    if (undecided.empty()) return TabAsideDecision::notAside();
    TabAsideDecision decision{true, undecided.front()->windowID, undecided.front()->frame, {}};
    for (const DiscoveredWindow* w : undecided) decision.hostsToJudge.push_back(w->windowID);
    return decision;
}

std::optional<WindowID> cgSurvivorSiblingID(WindowID memberID, ProcessID memberPID, const Rect& groupFrame,
                                            const std::vector<DiscoveredWindow>& windows,
                                            const std::function<bool(WindowID)>& isMember) {
    for (const DiscoveredWindow& w : windows) {
        if (!isOrdinaryWindowOf(w, memberPID) || w.windowID == memberID) continue;
        if (isMember(w.windowID)) continue;
        if (framesMatch(w.frame, groupFrame)) return w.windowID;
    }
    return std::nullopt;
}

bool focusedSurvivorAccepted(WindowID candidateID, const std::optional<Rect>& candidateFrame, WindowID memberID,
                             const Rect& groupFrame, const std::function<bool(WindowID)>& isMember,
                             double originTolerance) {
    if (candidateID == memberID) return false;
    if (isMember(candidateID)) return false;
    if (!candidateFrame) return true;
    return std::abs(candidateFrame->minX() - groupFrame.minX()) <= originTolerance &&
           std::abs(candidateFrame->minY() - groupFrame.minY()) <= originTolerance;
}

}  // namespace tessaly
