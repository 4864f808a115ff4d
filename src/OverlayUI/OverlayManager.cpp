#include "OverlayUI/OverlayManager.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <utility>

#include "OverlayUI/WindowRestackWatcher.h"
#include "Platform/Log.h"
#include "PrivateAPIs/SkyLight.h"
#include "TessalyCore/MissionControl.h"
#include "TessalyCore/ReconcileLog.h"

namespace tessaly {

namespace {

const char* boolText(bool value) { return value ? "true" : "false"; }

void trace(const std::string& message) { ReconcileLog::trace(LogCategory::overlay, message); }

std::vector<Size> screenSizes(const std::vector<ScreenBox>& screens) {
    std::vector<Size> sizes;
    for (const ScreenBox& screen : screens) sizes.push_back({screen.full.width(), screen.full.height()});
    return sizes;
}

Rect scaled(const Rect& r, double factor) {
    return Rect(r.minX() * factor, r.minY() * factor, r.width() * factor, r.height() * factor);
}

std::vector<ScreenBox> scaled(const std::vector<ScreenBox>& screens, double factor) {
    std::vector<ScreenBox> result;
    for (const ScreenBox& screen : screens) {
        result.push_back({scaled(screen.full, factor), scaled(screen.visible, factor)});
    }
    return result;
}

// The strip's layout when the bars' content is `scale` times larger than
// the window server's units: worked out in the content's units (the frames,
// screens and title bar divided), so the strip and every inset and band grow
// with it, then given back in the window server's units. The corner radii
// stay in the content's units, in which the bar draws them.
TabStripGeometry::BarLayout barLayout(const Rect& groupFrame, double height, const std::vector<ScreenBox>& screens,
                                      double scale, std::optional<double> titleBarHeight = std::nullopt) {
    if (scale == 1.0) return TabStripGeometry::barLayout(groupFrame, height, screens, titleBarHeight);
    if (titleBarHeight) *titleBarHeight /= scale;
    TabStripGeometry::BarLayout layout =
        TabStripGeometry::barLayout(scaled(groupFrame, 1 / scale), height, scaled(screens, 1 / scale), titleBarHeight);
    layout.placement.frame = scaled(layout.placement.frame, scale);
    layout.placement.barHeight *= scale;
    if (layout.backingFrame) layout.backingFrame = scaled(*layout.backingFrame, scale);
    return layout;
}

std::string describe(const std::vector<Size>& sizes) {
    std::ostringstream text;
    text << "[";
    for (std::size_t i = 0; i < sizes.size(); ++i) text << (i ? ", " : "") << sizes[i].width << "x" << sizes[i].height;
    text << "]";
    return text.str();
}

}  // namespace

OverlayManager::OverlayManager(std::shared_ptr<ZOrderSynchronizing> zSync, std::shared_ptr<AppIconSource> iconProvider,
                               std::shared_ptr<OverlayFactory> factory, const PlatformServices& services)
    : tabBarHeight_(TabStripGeometry::defaultHeight),
      zSync_(std::move(zSync)),
      iconProvider_(std::move(iconProvider)),
      factory_(std::move(factory)),
      mainExecutor_(services.mainExecutor),
      displays_(services.displays),
      windowHints_(services.windowHints) {
    colorPresetsProvider = [] { return std::vector<ColorPreset>{}; };
    sameAppCandidatesChecker = [](const Uuid&, WindowID) { return true; };
    badgeProvider = [](ProcessID) { return std::optional<std::string>{}; };
    displayMoveTargetsProvider = [](const Uuid&) { return std::vector<DisplayMoveTarget>{}; };
    if (services.windowList) discovery_.emplace(services.windowList);
    if (services.windowList && !services.windowList->hasOverview()) missionControlProbe = [] { return false; };
    else missionControlProbe = lifetime_.guarded([this] { return defaultMissionControlProbe(); });
    if (services.privateSymbols && mainExecutor_) {
        restackWatcher_ = std::make_unique<WindowRestackWatcher>(
            std::make_shared<SkyLight>(services.privateSymbols), mainExecutor_,
            lifetime_.guarded([this](WindowID window) { reassertWindow(window); }));
    }
    // Nothing to probe and every restack of an active window reported: the
    // tick has work only while a bar waits for its ordering.
    restsBetweenReports_ = services.windowList && !services.windowList->hasOverview() && restackWatcher_ &&
                           restackWatcher_->isAvailable();
    if (mainExecutor_ && !restsBetweenReports_) {
        reassertTimer_ = mainExecutor_->scheduleRepeating(tickInterval, lifetime_.guarded([this] { tick(); }));
    }
}

// Bars left on screen would outlive everything that could take them down.
OverlayManager::~OverlayManager() { shutdown(); }

// ---------------------------------------------------------------- settings

void OverlayManager::setAppearanceMode(AppearanceMode mode) {
    if (mode == appearanceMode_) return;
    appearanceMode_ = mode;
    for (auto& [id, bar] : panels_) bar->setAppearanceMode(mode);
}

void OverlayManager::setTabBarOpacity(double opacity) {
    if (opacity == tabBarOpacity_) return;
    tabBarOpacity_ = opacity;
    for (auto& [id, bar] : panels_) bar->setTabBarOpacity(opacity);
}

void OverlayManager::setTabBadgeColor(const TabColor& color) {
    if (color == tabBadgeColor_) return;
    tabBadgeColor_ = color;
    for (auto& [id, bar] : panels_) bar->setTabBadgeColor(color);
}

// ------------------------------------------------------------------ events

void OverlayManager::apply(const GroupEvent& event) {
    if (isShutDown_) return;
    switch (event.kind()) {
        case GroupEvent::Kind::groupCreated:
        case GroupEvent::Kind::groupChanged: render(*event.group()); return;
        case GroupEvent::Kind::groupDissolved: {
            const Uuid id = event.groupID();
            if (auto node = panels_.extract(id)) node.mapped()->close();
            if (panels_.empty()) safetyPassTimer_.cancel();
            activeWindowByGroup_.erase(id);
            offSpaceHidden_.erase(id);
            missionControlHidden_.erase(id);
            seamHidden_.erase(id);
            renderHidden_.erase(id);
            ordered_.erase(id);
            frameByGroup_.erase(id);
            stripHeightByGroup_.erase(id);
            if (pendingTabDrop_ && pendingTabDrop_->groupID == id) pendingTabDrop_.reset();
            return;
        }
        case GroupEvent::Kind::memberTitleChanged: {
            const auto& changed = std::get<GroupEvent::MemberTitleChanged>(event.payload);
            if (TabBarPanel* found = bar(changed.groupID)) found->updateTitle(changed.windowID, changed.title);
            return;
        }
    }
}

TabBarPanel& OverlayManager::barFor(const Uuid& groupID) {
    if (const auto it = panels_.find(groupID); it != panels_.end()) return *it->second;
    std::unique_ptr<TabBarPanel> created = factory_->makeTabBarPanel(groupID);
    created->setDelegate(tabDelegate_);
    created->setDragCoordinator(this);
    created->setProviders(TabBarProviders{
        lifetime_.guarded([this] { return colorPresetsProvider ? colorPresetsProvider() : std::vector<ColorPreset>{}; }),
        [weak = lifetime_.watch(), this, groupID](WindowID windowID) {
            if (weak.expired() || !sameAppCandidatesChecker) return true;
            return sameAppCandidatesChecker(groupID, windowID);
        },
        lifetime_.guarded([this, groupID] {
            return displayMoveTargetsProvider ? displayMoveTargetsProvider(groupID) : std::vector<DisplayMoveTarget>{};
        }),
    });
    if (restsBetweenReports_ && !safetyPassTimer_ && mainExecutor_) {
        safetyPassTimer_ =
            mainExecutor_->scheduleRepeating(safetyPassInterval, lifetime_.guarded([this] { safetyPass(); }));
    }
    return *panels_.emplace(groupID, std::move(created)).first->second;
}

std::vector<TabViewModel> OverlayManager::tabModels(const TabGroup& group) const {
    std::vector<TabViewModel> tabs;
    tabs.reserve(group.members.size());
    for (const GroupMember& member : group.members) {
        TabViewModel tab;
        tab.windowID = member.windowID;
        tab.title = member.titleOverride ? *member.titleOverride : member.lastKnownTitle;
        tab.icon = iconProvider_ ? iconProvider_->icon(member.pid) : nullptr;
        tab.isActive = member.windowID == group.activeWindowID;
        tab.isSuspended = group.suspended.contains(member.windowID) || group.minimized.contains(member.windowID);
        tab.accent = member.accent;
        tab.badge = badgeProvider ? badgeProvider(member.pid) : std::nullopt;
        tabs.push_back(std::move(tab));
    }
    return tabs;
}

void OverlayManager::render(const TabGroup& group) {
    TabBarPanel& panel = barFor(group.id);
    activeWindowByGroup_[group.id] = group.activeWindowID;
    frameByGroup_[group.id] = group.frame;
    if (restackWatcher_) restackWatcher_->watch(group.activeWindowID);

    panel.setAppearanceMode(appearanceMode_);
    panel.setTabBarOpacity(tabBarOpacity_);
    panel.setTabBadgeColor(tabBadgeColor_);

    // A group without members has nothing to show; the engine never sends
    // one, but a bar must not stand over windows that are gone.
    const bool fullyMinimized = group.isFullyMinimized() || group.members.empty();
    const bool offSpace = offSpaceHidden_.contains(group.id);
    const bool seam = seamHidden_.contains(group.id);
    if (fullyMinimized) renderHidden_.insert(group.id);
    else renderHidden_.erase(group.id);
    if (fullyMinimized || offSpace || seam) {
        if (panel.isShown() && ReconcileLog::isEnabled()) {
            trace("bar hidden at render group=" + group.id.uuidString() + " fullyMinimized=" +
                  boolText(fullyMinimized) + " offSpace=" + boolText(offSpace) + " seam=" + boolText(seam));
        }
        panel.hide();
        missionControlHidden_.erase(group.id);
        return;
    }

    stripHeightByGroup_[group.id] = tabBarHeight_;
    panel.render(tabModels(group), group.name, group.groupAccent, group.isLocked);

    if (missionControlActive_) {
        if (panel.isShown() && ReconcileLog::isEnabled())
            trace("bar hidden at render (overview up) group=" + group.id.uuidString());
        panel.hide();
        missionControlHidden_.insert(group.id);
        return;
    }
    place(panel, group.id, group.frame);
    reassert(group.id);
}

std::vector<ScreenBox> OverlayManager::screens() const {
    if (!displays_) return {};
    return TabStripGeometry::screenBoxesCG(*displays_);
}

double OverlayManager::pixelsPerPoint() const {
    const double ratio = factory_ ? factory_->pixelsPerPoint() : 1.0;
    return std::isfinite(ratio) && ratio > 0 ? ratio : 1.0;
}

Size OverlayManager::smallestGroupFrame() const {
    return Size{TabStripGeometry::overlapMinWidth * pixelsPerPoint(), barRoom()};
}

double OverlayManager::barRoom(double height) const {
    return TabStripGeometry::stripHeight(height) * pixelsPerPoint();
}

Rect OverlayManager::stripFrame(const Rect& groupFrame) const {
    return barLayout(groupFrame, tabBarHeight_, screens(), pixelsPerPoint()).placement.frame;
}

std::optional<double> OverlayManager::titleBarHeight(WindowID window, const Rect& groupFrame) const {
    const std::optional<Rect> bar = windowHints_ ? windowHints_->titleBar(window) : std::nullopt;
    if (!bar) return std::nullopt;
    // Below the group frame's top where that lies on the title bar: a
    // maximised window's frame may reach above the work area, the group
    // frame keeps to it.
    const double top = groupFrame.minY();
    if (top >= bar->minY() && top <= bar->maxY()) return bar->maxY() - top;
    return bar->height();
}

bool OverlayManager::hasRoom(const Rect& groupFrame, WindowID activeWindow) const {
    const double scale = pixelsPerPoint();
    std::optional<double> titleBar = titleBarHeight(activeWindow, groupFrame);
    if (titleBar) *titleBar /= scale;
    return TabStripGeometry::hasRoom(scaled(groupFrame, 1 / scale), tabBarHeight_, scaled(screens(), 1 / scale),
                                     titleBar);
}

void OverlayManager::place(TabBarPanel& panel, const Uuid& groupID, const Rect& groupFrame) {
    const auto height = stripHeightByGroup_.find(groupID);
    const double stripHeight = height != stripHeightByGroup_.end() ? height->second : tabBarHeight_;
    const std::vector<ScreenBox> all = screens();
    TabStripGeometry::BarLayout layout = barLayout(groupFrame, stripHeight, all, pixelsPerPoint());
    // Without room above, the strip goes where the active window's title
    // bar is (asked only then: the follow path never asks).
    if (layout.placement.mode == TabStripGeometry::Placement::Mode::overlap) {
        const auto active = activeWindowByGroup_.find(groupID);
        const auto titleBar =
            active != activeWindowByGroup_.end() ? titleBarHeight(active->second, groupFrame) : std::nullopt;
        if (titleBar) layout = barLayout(groupFrame, stripHeight, all, pixelsPerPoint(), titleBar);
    }
    if (!groupFrame.isSane() || !TabStripGeometry::isPlaceable(layout.placement.frame)) {
        // No window to sit on: no bar until the group has a usable frame.
        panel.hide();
        return;
    }
    panel.place(layout);
}

bool OverlayManager::mayShow(const Uuid& groupID) const {
    return !missionControlActive_ && !offSpaceHidden_.contains(groupID) && !seamHidden_.contains(groupID) &&
           !renderHidden_.contains(groupID);
}

// ---------------------------------------------------------------- ordering

void OverlayManager::reassert(const Uuid& groupID) {
    ordered_.erase(groupID);
    if (missionControlActive_) return;
    TabBarPanel* panel = bar(groupID);
    if (!panel || !panel->stripPanel().isVisible()) return;
    const auto active = activeWindowByGroup_.find(groupID);
    if (active == activeWindowByGroup_.end()) {
        Log::debug(LogCategory::overlay,
                   "panel for group " + groupID.uuidString() + " has no active window to order against");
        return;
    }
    // A window that could not be watched yet (it had no frame) is asked again.
    if (restackWatcher_) restackWatcher_->watch(active->second);
    bool done = zSync_->orderAbove(panel->stripPanel(), active->second);
    if (panel->backingShown()) done = zSync_->orderBelow(panel->backingPanel(), active->second) && done;
    if (done && restackWatcher_ && restackWatcher_->isWatching(active->second)) ordered_.insert(groupID);
    else tickUntilOrdered();
}

void OverlayManager::reassertAll() {
    if (isShutDown_) return;
    for (const Uuid& id : barIDs()) reassert(id);
}

void OverlayManager::tick() {
    updateMissionControlState();
    if (isShutDown_) return;
    if (restsBetweenReports_) {
        for (const Uuid& id : barIDs()) {
            if (isWaitingForOrder(id)) reassert(id);
        }
        const auto ids = barIDs();
        if (std::none_of(ids.begin(), ids.end(), [this](const Uuid& id) { return isWaitingForOrder(id); })) {
            reassertTimer_.cancel();
        }
        return;
    }
    const bool all = ++ticks_ % fullReorderTicks == 0;
    for (const Uuid& id : barIDs()) {
        if (all || !ordered_.contains(id)) reassert(id);
    }
}

void OverlayManager::tickUntilOrdered() {
    if (!restsBetweenReports_ || reassertTimer_ || !mainExecutor_ || isShutDown_) return;
    reassertTimer_ = mainExecutor_->scheduleRepeating(tickInterval, lifetime_.guarded([this] { tick(); }));
}

bool OverlayManager::isWaitingForOrder(const Uuid& groupID) const {
    TabBarPanel* panel = bar(groupID);
    return panel && !ordered_.contains(groupID) && panel->stripPanel().isVisible();
}

void OverlayManager::safetyPass() {
    if (isShutDown_) return;
    for (const Uuid& id : barIDs()) {
        TabBarPanel* panel = bar(id);
        if (!panel || !panel->stripPanel().isVisible()) continue;
        const bool inPlace = panel->stripPanel().isOrderedRelative() &&
                             (!panel->backingShown() || panel->backingPanel().isOrderedRelative());
        if (!inPlace) reassert(id);
    }
}

std::vector<Uuid> OverlayManager::barIDs() const {
    std::vector<Uuid> ids;
    ids.reserve(panels_.size());
    for (const auto& [id, panel] : panels_) ids.push_back(id);
    return ids;
}

void OverlayManager::reassertWindow(WindowID windowID) {
    if (isShutDown_) return;
    for (const auto& [id, window] : activeWindowByGroup_) {
        if (window == windowID) reassert(id);
    }
}

TabBarPanel* OverlayManager::bar(const Uuid& groupID) const {
    const auto it = panels_.find(groupID);
    return it == panels_.end() ? nullptr : it->second.get();
}

std::optional<Uuid> OverlayManager::groupIDForPanelWindowNumber(WindowID windowNumber) const {
    if (windowNumber == 0) return std::nullopt;
    for (const auto& [id, panel] : panels_) {
        if (panel->stripPanel().windowNumber() == windowNumber) return id;
    }
    return std::nullopt;
}

// ------------------------------------------------------------ hide reasons

void OverlayManager::setSpacePresence(const TabGroup& group, bool present, bool replace) {
    if (isShutDown_) return;
    TabBarPanel* panel = bar(group.id);
    if (!panel) return;
    if (!present) {
        if (!offSpaceHidden_.insert(group.id).second) return;
        if (ReconcileLog::isEnabled()) trace("bar hidden: no member on current Space group=" + group.id.uuidString());
        panel->hide();
        return;
    }
    const bool wasHidden = offSpaceHidden_.erase(group.id) > 0;
    if (wasHidden && ReconcileLog::isEnabled())
        trace("bar re-shown: member back on Space group=" + group.id.uuidString());
    if (!wasHidden && !replace) return;
    panel->hide();
    // Hiding ends a gesture on the bar, whose end may have dissolved the group.
    if (!bar(group.id)) return;
    render(group);
}

void OverlayManager::movePanel(const Uuid& groupID, const Rect& groupFrame) {
    if (isShutDown_) return;
    TabBarPanel* panel = bar(groupID);
    if (!panel) return;
    frameByGroup_[groupID] = groupFrame;
    // A bar hidden for a reason stays hidden; it is placed at this frame
    // when the reason ends.
    if (!mayShow(groupID)) return;
    place(*panel, groupID, groupFrame);
    reassert(groupID);
}

void OverlayManager::setBarSeamHidden(bool hidden, const Uuid& groupID) {
    if (isShutDown_) return;
    if (!hidden) {
        seamHidden_.erase(groupID);
        return;
    }
    TabBarPanel* panel = bar(groupID);
    if (!panel) return;
    if (!seamHidden_.insert(groupID).second) return;
    panel->hide();
    missionControlHidden_.erase(groupID);
}

// ---------------------------------------------------------------- overview

bool OverlayManager::defaultMissionControlProbe() const {
    if (!discovery_) return false;
    return MissionControl::isActive(*discovery_, screenSizes(screens()));
}

void OverlayManager::updateMissionControlState() {
    if (isShutDown_) return;
    bool anyShown = false;
    for (const auto& [id, panel] : panels_) anyShown = anyShown || panel->isShown();
    if (!anyShown && !missionControlActive_) {
        missionControlHidden_.clear();
        return;
    }
    const bool verdict = missionControlProbe && missionControlProbe();
    if (verdict == missionControlActive_) return;
    missionControlActive_ = verdict;

    if (verdict) {
        logOverviewDetected();
        // By id: hiding ends a gesture on a bar, whose end may change the groups.
        for (const Uuid& id : barIDs()) {
            TabBarPanel* panel = bar(id);
            if (!panel || !panel->isShown()) continue;
            panel->hide();
            if (bar(id)) missionControlHidden_.insert(id);
        }
        return;
    }
    if (ReconcileLog::isEnabled())
        trace("overview dismissed — re-surfacing " + std::to_string(missionControlHidden_.size()) + " bars");
    const std::set<Uuid> remembered = std::exchange(missionControlHidden_, {});
    for (const Uuid& id : remembered) {
        TabBarPanel* panel = bar(id);
        if (!panel || !mayShow(id)) continue;
        // The group may have moved while the overview showed (or the bar
        // was made then and never placed): place it at its current frame.
        const auto frame = frameByGroup_.find(id);
        if (frame != frameByGroup_.end()) place(*panel, id, frame->second);
        else panel->show();
        reassert(id);
    }
}

void OverlayManager::logOverviewDetected() const {
    if (!ReconcileLog::isEnabled()) return;
    const std::vector<Size> sizes = screenSizes(screens());
    const std::optional<DiscoveredWindow> marker =
        discovery_ ? MissionControl::activeMarker(discovery_->allWindows(true), sizes) : std::nullopt;
    if (!marker) {
        trace("overview detected by probe; marker re-read found none (dismissed?)");
        return;
    }
    std::ostringstream frame;
    frame << marker->frame;
    std::ostringstream alpha;
    alpha << marker->alpha;
    trace("overview detected — marker id=" + std::to_string(marker->windowID) +
          " owner=" + marker->ownerName.value_or("?") + " frame=" + frame.str() + " alpha=" + alpha.str() +
          " layer=" + std::to_string(marker->layer) + " screens=" + describe(sizes));
}

// ---------------------------------------------------------------- shutdown

void OverlayManager::shutdown() {
    if (isShutDown_) return;
    isShutDown_ = true;
    reassertTimer_.cancel();
    safetyPassTimer_.cancel();
    restackWatcher_.reset();
    pendingTabDrop_.reset();
    // Taken out first: closing a bar may call back in.
    auto closing = std::exchange(panels_, {});
    for (auto& [id, panel] : closing) panel->close();
}

// ------------------------------------------------------ cross-bar tab drags

std::optional<std::pair<Uuid, TabBarPanel*>> OverlayManager::barPanelAt(Point point, const Uuid& excluding) const {
    for (const auto& [id, panel] : panels_) {
        if (id == excluding || !panel->isShown()) continue;
        if (panel->stripPanel().frame().contains(point)) return std::make_pair(id, panel.get());
    }
    return std::nullopt;
}

void OverlayManager::closeAllDropGaps() {
    for (const auto& [id, panel] : panels_) panel->closeDropGap();
}

void OverlayManager::tabDrag(const Uuid& sourceGroupID, Point point, double tabWidth) {
    if (isShutDown_) return;
    const auto target = barPanelAt(point, sourceGroupID);
    if (!target) {
        closeAllDropGaps();
        pendingTabDrop_.reset();
        return;
    }
    const auto& [targetID, targetBar] = *target;
    const int index = targetBar->dropIndex(point);
    if (!targetBar->isLocked()) {
        for (const auto& [id, panel] : panels_) {
            if (id != targetID) panel->closeDropGap();
        }
        targetBar->openDropGap(index, tabWidth);
    } else {
        closeAllDropGaps();
    }
    pendingTabDrop_ = PendingTabDrop{targetID, index};
}

bool OverlayManager::tabDragCommit(const Uuid& sourceGroupID, WindowID windowID) {
    if (isShutDown_) return false;
    std::optional<PendingTabDrop> drop = std::exchange(pendingTabDrop_, std::nullopt);
    // The bar the tab was last over may have been hidden since (the
    // overview, a Space change, its group minimised): a release over what
    // now shows as empty desktop is no drop onto it.
    if (drop) {
        const TabBarPanel* target = bar(drop->groupID);
        if (!target || !target->isShown()) drop.reset();
    }
    if (!drop) {
        closeAllDropGaps();
        return false;
    }
    if (const auto delegate = tabDelegate_.lock())
        delegate->tabBarDidMoveTabToGroupAtIndex(sourceGroupID, windowID, drop->groupID, drop->index);
    closeAllDropGaps();
    pendingTabDrop_.reset();
    return true;
}

void OverlayManager::tabDragCancel(const Uuid&) {
    if (isShutDown_) return;
    closeAllDropGaps();
    pendingTabDrop_.reset();
}

}  // namespace tessaly
