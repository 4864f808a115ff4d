// Construction, wiring and shut-down; engine events and member tracking.
#include "TessalySession/GroupSession.h"

#include <algorithm>
#include <utility>

#include "AXKit/AXApplication.h"
#include "OverlayUI/PublicZOrderSync.h"
#include "OverlayUI/SkyLightZOrderSync.h"
#include "OverlayUI/TabStripGeometry.h"
#include "Platform/Log.h"
#include "Platform/Overloaded.h"
#include "PrivateAPIs/SkyLight.h"
#include "TessalyCore/ReconcileLog.h"
#include "TessalySession/FrameLog.h"

namespace tessaly {

std::string GroupSession::frameLog(const Rect& frame) { return tessaly::frameLog(frame); }

GroupSession::GroupSession(Services services, bool usePublicZSync)
    : services_(std::move(services)), discovery_(services_.platform.windowList) {
    const PlatformServices& platform = services_.platform;

    // The badge monitor reads through a reader it keeps alive.
    auto reader = std::make_shared<DockBadgeReader>(platform.dockBadges);
    badgeMonitor_ = std::make_unique<DockBadgeMonitor>([reader] { return reader->read(); }, platform.mainExecutor,
                                                       *platform.queueFactory, badgeInterval);

    windowSystem_ = std::make_shared<AXWindowSystem>(platform);
    engine_ = std::make_unique<GroupEngine>(windowSystem_);
    offSpaceReconciler_ = std::make_unique<OffSpaceReconciler>(*engine_, platform.workspace);

    std::shared_ptr<ZOrderSynchronizing> zSync;
    if (usePublicZSync) zSync = std::make_shared<PublicZOrderSync>();
    else zSync = std::make_shared<SkyLightZOrderSync>(std::make_shared<SkyLight>(platform.privateSymbols));
    overlay_ = std::make_unique<OverlayManager>(std::move(zSync), services_.iconProvider, services_.overlayFactory,
                                                platform);

    OverlayFactory& factory = *services_.overlayFactory;
    colorPanel_ = factory.makeTabColorPanelController();
    barMergePreview_ = factory.makeInsertPreviewPanel();
    barCrossPrompt_ = factory.makeCrossPromptPanel();

    wireOverlay();
    wireEngine();
    windowSystem_->onEvent = guarded([this](const WindowSystemEvent& event) { handleWindowEvent(event); });
    windowSystem_->beforeFrameWrite = [this] { publishFollowBeforeWrite(); };
    if (platform.windowList) {
        listChanges_ = platform.windowList->observeChanges(guarded([this] { sweepWithin(sweepCoalesceDelay); }));
    }
    scheduleNextSweep();
    observeWorkspace();
}

GroupSession::~GroupSession() {
    shutdown();
    // The engine's and the window system's callbacks reach back here.
    engine_->onEvent = nullptr;
    engine_->isFanOutExempt = nullptr;
    engine_->onLivenessEviction = nullptr;
    windowSystem_->onEvent = nullptr;
    windowSystem_->beforeFrameWrite = nullptr;
}

void GroupSession::wireOverlay() {
    overlay_->setTabDelegate(std::shared_ptr<TabBarPanelDelegate>(alive_, this));
    overlay_->colorPresetsProvider = guarded([this] { return colorPresets_; });
    overlay_->sameAppCandidatesChecker = guarded(
        [this](const Uuid& groupID, WindowID windowID) { return hasSameAppCandidates(groupID, windowID); });
    overlay_->badgeProvider = guarded([this](ProcessID pid) -> std::optional<std::string> {
        if (!showTabBadges_) return std::nullopt;
        const auto path = appPath(pid);
        if (!path) return std::nullopt;
        const auto& badges = badgeMonitor_->badges();
        const auto found = badges.find(*path);
        if (found == badges.end()) return std::nullopt;
        return found->second;
    });
    overlay_->displayMoveTargetsProvider = guarded([this](const Uuid& groupID) { return displayMoveTargets(groupID); });
    badgeMonitor_->onChange = guarded([this](const std::set<std::string>& changed) { applyBadges(changed); });
}

void GroupSession::wireEngine() {
    engine_->onEvent = guarded([this](const GroupEvent& event) { handleGroupEvent(event); });
    engine_->isFanOutExempt = guarded([this](WindowID windowID) { return tabbedAside_.contains(windowID); });
    engine_->onLivenessEviction = guarded([](WindowID windowID, const std::string& title) {
        ReconcileLog::trace(LogCategory::reconcile, "liveness eviction " + std::to_string(windowID) + " '" + title +
                                                        "' (missingSweepLimit reached)");
    });
}

void GroupSession::observeWorkspace() {
    Workspace* workspace = services_.platform.workspace.get();
    if (!workspace) return;
    auto observe = [&](WorkspaceNotification kind, std::function<void(const WorkspaceEvent&)> handler) {
        observers_.push_back(workspace->addObserver(kind, guarded(std::move(handler))));
    };
    observe(WorkspaceNotification::activeSpaceDidChange, [this](const WorkspaceEvent&) { runSweep(true); });
    observe(WorkspaceNotification::windowDidChangeSpace, [this](const WorkspaceEvent& event) {
        if (event.window) handleWindowSpaceChanged(*event.window);
    });
    observe(WorkspaceNotification::didTerminateApplication, [this](const WorkspaceEvent& event) {
        if (!event.application) return;
        // The members go first, so nothing reaches for a connection being dropped.
        engine_->handleAppTerminated(event.application->pid);
        windowSystem_->dropConnection(event.application->pid);
    });
    observe(WorkspaceNotification::didActivateApplication, [this](const WorkspaceEvent& event) {
        if (event.application) adoptFocusedMember(event.application->pid);
    });
    observe(WorkspaceNotification::screenParametersDidChange,
            [this](const WorkspaceEvent&) { beginDisplaySettle("screen-params"); });
    observe(WorkspaceNotification::willSleep, [this](const WorkspaceEvent&) { handleSleep("willSleep"); });
    observe(WorkspaceNotification::screensDidSleep, [this](const WorkspaceEvent&) { handleSleep("screensDidSleep"); });
    observe(WorkspaceNotification::screensDidWake, [this](const WorkspaceEvent&) { handleWake("screensDidWake"); });
    observe(WorkspaceNotification::didWake, [this](const WorkspaceEvent&) { handleWake("didWake"); });
}

void GroupSession::shutdown() {
    if (isShutDown_) return;
    isShutDown_ = true;
    sweepTimer_.cancel();
    listChanges_.cancel();
    displayResyncTimer_.cancel();
    liveFollowResyncTimer_.cancel();
    pointerSettleTimer_.cancel();
    observers_.clear();
    if (hotkeys_) hotkeys_->unregisterAll();
    disableDragGrouping();
    // Ending a live follow above asks for a re-check that will never be due.
    liveFollowResyncTimer_.cancel();
    // A group dragged by its bar stays where it is shown.
    settleBarDrags();
    overlay_->shutdown();
    badgeMonitor_->setActive(false);
    // From here on nothing reaches the session: bars' intents, engine and
    // window-system reports, the badge monitor and queued work do nothing,
    // and the window system no longer reads frames for nobody.
    windowSystem_->onEvent = nullptr;
    if (const auto& follow = services_.platform.memberFollow) follow->setPlanner({});
    alive_.reset();
}

// ---- Small shared helpers ----

void GroupSession::whenEngineIdle(std::function<void()> work) {
    if (engineReportDepth_ == 0) {
        const Turn turn(*this);
        work();
        return;
    }
    services_.platform.mainExecutor->post(guarded(std::move(work)));
}

double GroupSession::now() const { return services_.platform.clock->monotonic(); }

std::vector<ScreenBox> GroupSession::screens() const {
    if (!services_.platform.displays) return {};
    return TabStripGeometry::screenBoxesCG(*services_.platform.displays);
}

std::optional<ProcessID> GroupSession::frontmostPID() const {
    if (!services_.platform.workspace) return std::nullopt;
    const auto front = services_.platform.workspace->frontmostApplication();
    if (!front) return std::nullopt;
    return front->pid;
}

bool GroupSession::isLeftButtonDown() const { return services_.input && services_.input->isLeftButtonDown(); }

AXWindowRef GroupSession::focusedWindow(ProcessID pid) const {
    return AXApplication(windowSystem_->axServices(), pid, focusedWindowTimeout).focusedWindow();
}

bool GroupSession::hasMemberOf(ProcessID pid) const {
    return std::any_of(engine_->groups().begin(), engine_->groups().end(), [pid](const TabGroup& g) {
        return std::any_of(g.members.begin(), g.members.end(), [pid](const GroupMember& m) { return m.pid == pid; });
    });
}

// ---- Engine events and member tracking ----

void GroupSession::handleGroupEvent(const GroupEvent& event) {
    ++engineReportDepth_;
    // The bars show the engine's state before anything else looks at it.
    overlay_->apply(event);
    // The group's members as they stand now; windows that left it are let
    // go once nothing holds them.
    const auto reindex = [this](const TabGroup& group) {
        std::vector<WindowID> departed = std::exchange(memberIndex_[group.id], group.windowIDs());
        std::erase_if(departed, [&](WindowID id) { return group.contains(id); });
        untrackWhenSettled(std::move(departed));
        // A member's maximised state as it joins: a change from it is told
        // apart from a window that came in maximised.
        for (const WindowID id : group.windowIDs()) {
            if (reportedAxes_.contains(id)) continue;
            const AXWindowRef window = windowSystem_->window(id);
            reportedAxes_[id] = window ? window->maximized() : MaximizedAxes{};
        }
    };
    std::visit(Overloaded{
                   [&](const GroupEvent::GroupCreated& e) {
                       reindex(e.group);
                       // A new group is swept within a second, as its first look at the stacking.
                       sweepWithin(sweepInterval);
                   },
                   [&](const GroupEvent::GroupChanged& e) {
                       reindex(e.group);
                       // Send-backs are counted for the frame the group has
                       // now: restored, it comes back to its frame afresh.
                       for (const GroupMember& member : e.group.members) {
                           snapBackBudget_.groupFrameIs(member.windowID, e.group.frame);
                       }
                       if (awaitsStackingLook(e.group)) sweepWithin(sweepInterval);
                       // A member with a header bar of its own brought to
                       // the front of a maximised group: the bar has no
                       // room on it.
                       if (isWindowManagerMaximized(e.group) &&
                           !overlay_->hasRoom(e.group.frame, e.group.activeWindowID)) {
                           whenEngineIdle([this, id = e.group.id] { zoomBelowBar(id); });
                       }
                   },
                   [&](const GroupEvent::GroupDissolved& e) {
                       if (barDrags_.contains(e.groupID)) {
                           whenEngineIdle([this, id = e.groupID] { tabBarDidEndDrag(id); });
                       }
                       std::vector<WindowID> removed;
                       if (const auto found = memberIndex_.find(e.groupID); found != memberIndex_.end()) {
                           removed = std::move(found->second);
                           memberIndex_.erase(found);
                       }
                       untrackWhenSettled(std::move(removed));
                       zoomRecords_.erase(e.groupID);
                       relayedTiles_.erase(e.groupID);
                   },
                   [](const GroupEvent::MemberTitleChanged&) {},
               },
               event.payload);
    updateBadgeMonitor();
    --engineReportDepth_;
}

void GroupSession::untrackWhenSettled(std::vector<WindowID> windowIDs) {
    if (windowIDs.empty()) return;
    services_.platform.mainExecutor->post(guarded([this, windowIDs = std::move(windowIDs)] {
        for (const WindowID id : windowIDs) untrackIfUngrouped(id);
    }));
}

void GroupSession::untrackIfUngrouped(WindowID windowID) {
    if (engine_->group(windowID)) return;
    windowSystem_->untrack(windowID);
    forgetMemberMaximize(windowID);
    shadedMembers_.erase(windowID);
    shadeRequests_.erase(windowID);
    ownShadeAt_.erase(windowID);
}

}  // namespace tessaly
