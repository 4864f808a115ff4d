#pragma once
// The tab bars of all groups. One bar per group rendered so far, redrawn,
// placed, hidden or closed from the group engine's events; each visible bar
// is kept directly above its group's active window through a z-order
// strategy, on every render and move, on every restack the window server
// reports and on a 0.25 s tick. Where the window server reports restacks of
// the active window, a bar ordered since its window's last report is in
// place: the tick re-orders it only on every fourth run, for a restack
// nobody reported. A bar is hidden for four independent
// reasons: the group is entirely minimised, no member is on the current
// Space, the group frame straddles two screens during a live drag (the
// seam), or the system overview is showing.
//
// At rest nothing runs where the desktop has no overview to probe and the
// window server reports restacks (X11): the tick runs only while a shown
// bar waits for its ordering (its window has no frame yet, say), and a slow
// safety pass re-orders the shown bars whose panels are not known to stand
// in place, for a restack no report covers.
//
// One manager per running session; the session owns it and is its only
// caller apart from the settings routine's three setters. It never calls
// the engine: it reaches the session only through the delegate and the
// providers the session installs. Main thread only.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "OverlayUI/DisplayMoveTarget.h"
#include "OverlayUI/OverlayFactory.h"
#include "OverlayUI/TabBarPanel.h"
#include "OverlayUI/TabBarPanelDelegate.h"
#include "OverlayUI/TabDragCoordinating.h"
#include "OverlayUI/ZOrderSynchronizing.h"
#include "Platform/AppIcon.h"
#include "Platform/Lifetime.h"
#include "Platform/PlatformServices.h"
#include "Platform/Subscription.h"
#include "Platform/WindowHints.h"
#include "Platform/Uuid.h"
#include "TessalyCore/ColorPreset.h"
#include "TessalyCore/GroupEvent.h"
#include "TessalyCore/SettingEnums.h"
#include "TessalyCore/TabColor.h"
#include "TessalyCore/TabGroup.h"
#include "TessalyCore/WindowDiscovery.h"

namespace tessaly {

class WindowRestackWatcher;

class OverlayManager final : public TabDragCoordinating {
public:
    // The period of the overview probe and re-ordering tick.
    static constexpr double tickInterval = 0.25;
    // Every this many ticks, bars believed in place are re-ordered too.
    static constexpr int fullReorderTicks = 4;
    // The period of the safety pass where the tick rests (see the top).
    static constexpr double safetyPassInterval = 10.0;

    // Uses of `services`: the main executor (tick, restack reports), the
    // window list and displays (overview probe, strip placement) and the
    // private window-server symbols (restack reports; may be null).
    OverlayManager(std::shared_ptr<ZOrderSynchronizing> zSync, std::shared_ptr<AppIconSource> iconProvider,
                   std::shared_ptr<OverlayFactory> factory, const PlatformServices& services);
    ~OverlayManager() override;
    OverlayManager(const OverlayManager&) = delete;
    OverlayManager& operator=(const OverlayManager&) = delete;

    // ---- Wiring (set by the session right after making the manager) -------

    // Receives the bars' intents; captured by each bar when it is made.
    void setTabDelegate(std::weak_ptr<TabBarPanelDelegate> delegate) { tabDelegate_ = std::move(delegate); }

    // Read at every use. An empty function counts as the neutral default.
    std::function<std::vector<ColorPreset>()> colorPresetsProvider;              // default: empty list
    std::function<bool(const Uuid& groupID, WindowID windowID)> sameAppCandidatesChecker;  // default: true
    std::function<std::optional<std::string>(ProcessID)> badgeProvider;          // default: none
    std::function<std::vector<DisplayMoveTarget>(const Uuid& groupID)> displayMoveTargetsProvider;  // default: empty
    // Whether the system overview shows now. Default: a marker window in the
    // on-screen window list, read while some bar is shown; on a desktop that
    // has no overview at all (X11), false, so that the tick never lists
    // windows.
    std::function<bool()> missionControlProbe;

    // ---- Settings ---------------------------------------------------------

    // The strip height handed to every bar at render (points).
    double tabBarHeight() const { return tabBarHeight_; }
    void setTabBarHeight(double height) { tabBarHeight_ = height; }
    // The room a bar of `height` points takes above its window, in the
    // window server's units (the bars' content may be scaled: Qt's device
    // pixel ratio): what the session keeps free above a group.
    double barRoom(double height) const;
    double barRoom() const { return barRoom(tabBarHeight_); }
    // The smallest group frame a bar can be laid on (inside its title bar at
    // the least width, as high as the bar), in the window server's units.
    Size smallestGroupFrame() const;
    // Where a bar stands for a group frame, in the window server's units.
    Rect stripFrame(const Rect& groupFrame) const;
    // Whether a bar for the group frame, with `activeWindow` in front,
    // covers nothing of what the window shows: it has room above, or lies
    // inside the window manager's title bar. A window the window manager
    // draws no title bar for has to give the bar room above it.
    bool hasRoom(const Rect& groupFrame, WindowID activeWindow) const;
    // Each does nothing for an unchanged value; otherwise every bar takes it.
    void setAppearanceMode(AppearanceMode mode);
    void setTabBarOpacity(double opacity);
    void setTabBadgeColor(const TabColor& color);

    // ---- Driven by the session ---------------------------------------------

    // The single entry for engine events (and synthesised group changes).
    void apply(const GroupEvent& event);
    // From the sweep: whether the group has a member on the current Space;
    // `replace` for the first sweep after a Space change.
    void setSpacePresence(const TabGroup& group, bool present, bool replace);
    // Re-places a bar for a new group frame during a live follow or a bar
    // drag, without a render. Never shows a bar that is hidden for a reason.
    void movePanel(const Uuid& groupID, const Rect& groupFrame);
    // While the group frame straddles two screens during a live drag.
    void setBarSeamHidden(bool hidden, const Uuid& groupID);
    // Re-orders every visible bar against its group's active window.
    void reassertAll();
    // The group whose strip panel has this window number (backings are not matched).
    std::optional<Uuid> groupIDForPanelWindowNumber(WindowID windowNumber) const;
    // Stops the tick and restack reports and closes every bar; afterwards
    // the manager does nothing.
    void shutdown();

    // One tick: the overview probe, edge-triggered.
    void updateMissionControlState();

    // ---- TabDragCoordinating --------------------------------------------------

    void tabDrag(const Uuid& sourceGroupID, Point point, double tabWidth) override;
    bool tabDragCommit(const Uuid& sourceGroupID, WindowID windowID) override;
    void tabDragCancel(const Uuid& sourceGroupID) override;

    // ---- Read-backs -----------------------------------------------------------

    bool hasBar(const Uuid& groupID) const { return panels_.contains(groupID); }
    // The group's bar; null when it has none.
    TabBarPanel* bar(const Uuid& groupID) const;
    std::size_t barCount() const { return panels_.size(); }
    bool isMissionControlActive() const { return missionControlActive_; }
    // Whether the tick runs only while a bar waits for its ordering.
    bool ticksOnlyWhenNeeded() const { return restsBetweenReports_; }
    bool isShutDown() const { return isShutDown_; }
    AppearanceMode appearanceMode() const { return appearanceMode_; }
    double tabBarOpacity() const { return tabBarOpacity_; }
    TabColor tabBadgeColor() const { return tabBadgeColor_; }

private:
    struct PendingTabDrop {
        Uuid groupID;
        int index = 0;
    };

    void render(const TabGroup& group);
    TabBarPanel& barFor(const Uuid& groupID);
    // Places the bar for the group frame, or hides it when the frame cannot
    // carry a strip.
    void place(TabBarPanel& bar, const Uuid& groupID, const Rect& groupFrame);
    void reassert(const Uuid& groupID);
    void tick();
    // Where the tick rests: starts it for a bar left waiting for its ordering.
    void tickUntilOrdered();
    bool isWaitingForOrder(const Uuid& groupID) const;
    void safetyPass();
    std::vector<Uuid> barIDs() const;
    void reassertWindow(WindowID windowID);
    bool mayShow(const Uuid& groupID) const;
    std::vector<TabViewModel> tabModels(const TabGroup& group) const;
    void logOverviewDetected() const;
    bool defaultMissionControlProbe() const;
    std::vector<ScreenBox> screens() const;
    // The window server's units per point of the bars' content (1 without a factory).
    double pixelsPerPoint() const;
    // How far the window manager's title bar over the window reaches below
    // the group frame's top, when known.
    std::optional<double> titleBarHeight(WindowID window, const Rect& groupFrame) const;
    std::optional<std::pair<Uuid, TabBarPanel*>> barPanelAt(Point point, const Uuid& excluding) const;
    void closeAllDropGaps();

    std::map<Uuid, std::unique_ptr<TabBarPanel>> panels_;
    double tabBarHeight_;
    AppearanceMode appearanceMode_ = AppearanceMode::system;
    double tabBarOpacity_ = 1.0;
    TabColor tabBadgeColor_ = TabColor::defaultBadge;
    std::shared_ptr<ZOrderSynchronizing> zSync_;
    std::shared_ptr<AppIconSource> iconProvider_;
    std::shared_ptr<OverlayFactory> factory_;
    std::weak_ptr<TabBarPanelDelegate> tabDelegate_;
    std::map<Uuid, WindowID> activeWindowByGroup_;
    std::map<Uuid, Rect> frameByGroup_;  // group frame at the last render or move
    std::map<Uuid, double> stripHeightByGroup_;
    std::set<Uuid> offSpaceHidden_;
    std::set<Uuid> seamHidden_;
    std::set<Uuid> renderHidden_;  // fully minimised (or memberless) at the last render
    // Bars ordered against a watched active window since its last restack report.
    std::set<Uuid> ordered_;
    int ticks_ = 0;
    bool restsBetweenReports_ = false;
    bool missionControlActive_ = false;
    std::set<Uuid> missionControlHidden_;
    std::optional<PendingTabDrop> pendingTabDrop_;
    bool isShutDown_ = false;

    std::shared_ptr<MainExecutor> mainExecutor_;
    std::shared_ptr<Displays> displays_;
    std::shared_ptr<WindowHints> windowHints_;  // may be null
    std::optional<WindowDiscovery> discovery_;
    std::unique_ptr<WindowRestackWatcher> restackWatcher_;
    Subscription reassertTimer_;
    Subscription safetyPassTimer_;  // while bars exist, where the tick rests
    LifetimeToken lifetime_;  // last: callbacks stop reaching in first
};

}  // namespace tessaly
