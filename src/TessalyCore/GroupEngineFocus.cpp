// Focus from outside the tab bar, tab cycling, suspension and minimisation.
// None of these tests the lock.
#include <algorithm>

#include "TessalyCore/GroupEngine.h"

namespace tessaly {

void GroupEngine::noteExternalFocus(WindowID windowID) {
    const auto i = index(windowID);
    if (!i) return;
    const TabGroup& g = groups_[*i];
    // A minimised member reported as focused is promoted like any other.
    if (g.activeWindowID == windowID || g.suspended.contains(windowID)) return;
    promoteActive(windowID, *i);
    emitChanged(*i);
}

void GroupEngine::cycleActive(WindowID inGroupWith, bool forward) {
    const auto i = index(inGroupWith);
    if (!i) return;
    const TabGroup& g = groups_[*i];
    // The cycle runs in tab order from the active member, whichever member was named.
    const std::vector<WindowID> ids = g.windowIDs();
    const std::size_t n = ids.size();
    const auto active = std::find(ids.begin(), ids.end(), g.activeWindowID);
    if (active == ids.end() || n == 1) return;
    std::size_t k = static_cast<std::size_t>(active - ids.begin());
    const std::size_t step = forward ? 1 : n - 1;
    for (std::size_t tries = 0; tries + 1 < n; ++tries) {
        k = (k + step) % n;
        if (g.isUsable(ids[k])) {
            setActive(ids[k]);
            return;
        }
    }
}

void GroupEngine::suspendMember(WindowID windowID) {
    const auto i = index(windowID);
    if (!i) return;
    TabGroup& g = groups_[*i];
    if (!g.suspended.insert(windowID).second) return;
    // Nothing is raised; with no usable member left it stays active.
    if (g.activeWindowID == windowID) promoteMostRecentUsable(*i, windowID);
    emitChanged(*i);
}

void GroupEngine::resumeMember(WindowID windowID) {
    const auto i = index(windowID);
    if (!i) return;
    TabGroup& g = groups_[*i];
    if (g.suspended.erase(windowID) == 0) return;
    windowSystem_->setFrame(g.frame, windowID);
    emitChanged(*i);
}

void GroupEngine::noteMinimized(WindowID windowID) {
    const auto i = index(windowID);
    if (!i) return;
    TabGroup& g = groups_[*i];
    if (!g.minimized.insert(windowID).second) return;
    if (g.activeWindowID == windowID) {
        if (const auto successor = promoteMostRecentUsable(*i, windowID)) windowSystem_->raiseAndActivate(*successor);
    }
    emitChanged(*i);
}

void GroupEngine::noteDeminiaturized(WindowID windowID) {
    const auto i = index(windowID);
    if (!i) return;
    TabGroup& g = groups_[*i];
    if (g.minimized.erase(windowID) == 0) return;
    // A restored window becomes the active tab in the group's frame, unless
    // it is also suspended.
    if (!g.suspended.contains(windowID)) {
        windowSystem_->setFrame(g.frame, windowID);
        promoteActive(windowID, *i);
        windowSystem_->raiseAndActivate(windowID);
    }
    emitChanged(*i);
}

}  // namespace tessaly
