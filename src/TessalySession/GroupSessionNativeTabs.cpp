// Native window tabs: some applications fold their own windows into tabs of
// a window of theirs. A member caught in such a fold has not closed and has
// not left the desktop; it is tabbed aside behind a host window. The sweep
// asks whether a member that left the screen was tabbed aside, a probe on a
// serial queue confirms through accessibility that the presumed host holds a
// tab set (the verdict is kept for 30 s), and a member is repointed to the
// window that now stands for it: the confirmed host, or the sibling that
// survives when a member window closes inside its tab set.
//
// All of this runs only where applications have native tabs; elsewhere every
// answer is "none" and no probe is ever made.
#include <algorithm>

#include "AXKit/AXApplication.h"
#include "TessalyCore/TabAsideDecision.h"
#include "TessalySession/GroupSession.h"

namespace tessaly {

namespace {

// What one probe found, handed from the queue to the main thread.
struct TabStackProbe {
    std::map<WindowID, bool> verdicts;
    std::map<WindowID, GroupSession::ConfirmedHost> hosts;
};

TabStackProbe probeTabStacks(const AXServicesRef& services, ProcessID pid, const std::set<WindowID>& pending) {
    TabStackProbe found;
    const AXApplication app(services, pid, AXApplication::Timeout::hot);
    for (const AXWindowRef& window : app.windows(true)) {
        if (!window->windowID || !pending.contains(*window->windowID)) continue;
        const bool isStack = window->isInNativeTabSet();
        found.verdicts[*window->windowID] = isStack;
        if (isStack) found.hosts[*window->windowID] = {window, window->title().value_or("")};
    }
    return found;
}

}  // namespace

bool GroupSession::isMemberTabbedAside(WindowID windowID, const std::vector<DiscoveredWindow>& onScreenWindows,
                                       const std::vector<DiscoveredWindow>& allWindows, double at) {
    if (!supportsNativeWindowTabs()) return false;
    const auto group = engine_->group(windowID);
    const auto member = group ? group->member(windowID) : std::nullopt;
    if (!member) return false;

    std::optional<Rect> liveFrame;
    for (const DiscoveredWindow& window : allWindows) {
        if (window.windowID != windowID) continue;
        liveFrame = window.frame;
        break;
    }
    std::optional<Rect> frozenAnchor;
    if (const auto found = tabbedAside_.find(windowID); found != tabbedAside_.end()) frozenAnchor = found->second;
    std::optional<WindowID> lockedHost;
    if (const auto found = tabbedAsideHost_.find(windowID); found != tabbedAsideHost_.end()) lockedHost = found->second;

    const TabAsideDecision decision = resolveTabAside(
        windowID, member->pid, liveFrame, frozenAnchor, group->frame, lockedHost, onScreenWindows,
        [&group](WindowID id) { return group->contains(id); },
        [this, at](WindowID host) -> std::optional<bool> {
            const auto found = tabStackVerdicts_.find(host);
            if (found == tabStackVerdicts_.end() || !(at - found->second.at < tabStackVerdictLifetime)) {
                return std::nullopt;
            }
            return found->second.isStack;
        });

    if (decision.anchorFrame) tabbedAside_[windowID] = *decision.anchorFrame;
    else tabbedAside_.erase(windowID);
    if (decision.lockedHost) tabbedAsideHost_[windowID] = *decision.lockedHost;
    else tabbedAsideHost_.erase(windowID);
    if (!decision.hostsToJudge.empty()) judgeTabStackHosts(decision.hostsToJudge, member->pid, at);
    return decision.isAside;
}

void GroupSession::judgeTabStackHosts(const std::vector<WindowID>& hosts, ProcessID pid, double at) {
    std::set<WindowID> pending;
    for (const WindowID host : hosts) {
        if (!tabStackConfirmsInFlight_.contains(host)) pending.insert(host);
    }
    if (pending.empty()) return;
    tabStackConfirmsInFlight_.insert(pending.begin(), pending.end());
    if (!tabStackConfirmQueue_) {
        tabStackConfirmQueue_ = services_.platform.queueFactory->makeSerialQueue(tabStackConfirmQueueLabel);
    }

    // The answer is checked against the session on the main thread, never on
    // the queue.
    auto apply = guarded([this, pending, at](const TabStackProbe& probe) {
        bool confirmed = false;
        for (const WindowID host : pending) {
            tabStackConfirmsInFlight_.erase(host);
            const auto verdict = probe.verdicts.find(host);
            const bool isStack = verdict != probe.verdicts.end() && verdict->second;
            tabStackVerdicts_[host] = TabStackVerdict{isStack, at};
            const auto kept = probe.hosts.find(host);
            if (isStack && kept != probe.hosts.end()) {
                confirmedHosts_[host] = kept->second;
                confirmed = true;
            } else {
                confirmedHosts_.erase(host);
            }
        }
        if (confirmed) repointBackgroundedNativeTabMembers();
    });
    tabStackConfirmQueue_->async([services = windowSystem_->axServices(), main = services_.platform.mainExecutor,
                                  apply = std::move(apply), pid, pending]() mutable {
        TabStackProbe probe = probeTabStacks(services, pid, pending);
        main->post([apply = std::move(apply), probe = std::move(probe)] { apply(probe); });
    });
}

void GroupSession::repointBackgroundedNativeTabMembers() {
    if (!supportsNativeWindowTabs()) return;
    const std::map<WindowID, WindowID> snapshot = tabbedAsideHost_;
    for (const auto& [memberID, hostID] : snapshot) {
        const auto host = confirmedHosts_.find(hostID);
        if (host == confirmedHosts_.end()) continue;
        const auto group = engine_->group(memberID);
        if (!group || isGestureActive(group->id)) continue;
        if (engine_->group(hostID)) continue;  // a member never takes another member's window
        const ConfirmedHost confirmed = host->second;
        repoint(memberID, hostID, confirmed.window, confirmed.title);
    }
}

void GroupSession::repoint(WindowID member, WindowID to, const AXWindowRef& window, const std::string& title) {
    if (window) windowSystem_->track(window);
    engine_->repointMember(member, to, title);
    tabbedAside_.erase(member);
    tabbedAsideHost_.erase(member);
    confirmedHosts_.erase(to);
    const auto group = engine_->group(to);
    if (group && group->activeWindowID != to && group->isUsable(to)) windowSystem_->setFrame(group->frame, to);
}

bool GroupSession::repointToSurvivingNativeTabSibling(WindowID windowID) {
    const std::optional<NativeTabSibling> sibling = survivingNativeTabSibling(windowID);
    if (!sibling) return false;
    repoint(windowID, sibling->windowID, sibling->window, sibling->title);
    return true;
}

std::optional<GroupSession::NativeTabSibling> GroupSession::survivingNativeTabSibling(WindowID windowID) {
    // Without native tabs no window takes a closed member's place: the
    // focused window of the same application is just another window.
    if (!supportsNativeWindowTabs()) return std::nullopt;
    const auto group = engine_->group(windowID);
    const auto member = group ? group->member(windowID) : std::nullopt;
    if (!member) return std::nullopt;
    const auto isMember = [this](WindowID id) { return engine_->group(id).has_value(); };
    const AXApplication app(windowSystem_->axServices(), member->pid, AXApplication::Timeout::hot);

    // A focused window whose frame cannot be read is not known to stand where
    // the member stood, so it does not take the tab.
    if (const AXWindowRef focused = app.focusedWindow(); focused && focused->windowID) {
        const std::optional<Rect> frame = focused->frame();
        if (frame && focusedSurvivorAccepted(*focused->windowID, frame, windowID, group->frame, isMember,
                                             survivorOriginTolerance)) {
            return NativeTabSibling{focused, *focused->windowID, focused->title().value_or(member->lastKnownTitle)};
        }
    }

    const std::optional<WindowID> siblingID =
        cgSurvivorSiblingID(windowID, member->pid, group->frame, discovery_.allWindows(false), isMember);
    if (!siblingID) return std::nullopt;
    for (const AXWindowRef& window : app.windows(true)) {
        if (window->windowID != siblingID) continue;
        return NativeTabSibling{window, *siblingID, window->title().value_or(member->lastKnownTitle)};
    }
    return std::nullopt;
}

void GroupSession::forgetNativeTabState(const std::unordered_set<WindowID>* alive) {
    if (!alive) {
        tabbedAside_.clear();
        tabbedAsideHost_.clear();
        tabStackVerdicts_.clear();
        confirmedHosts_.clear();
        return;
    }
    std::erase_if(tabStackVerdicts_, [alive](const auto& entry) { return !alive->contains(entry.first); });
    std::erase_if(confirmedHosts_, [alive](const auto& entry) { return !alive->contains(entry.first); });
}

}  // namespace tessaly
