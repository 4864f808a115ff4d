#pragma once
// One group's tab bar in Qt: the strip panel holding the TabBarView and the
// backing panel holding the BarBackingView, placed from the layout the
// overlay manager works out, shown, hidden and closed; every callback of the
// view becomes one intent of the delegate, naming the group first.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "OverlayUI/GroupNameDialog.h"
#include "OverlayUI/MenuModel.h"
#include "OverlayUI/TabBarPanel.h"
#include "OverlayUI/Qt/QtOverlayPanel.h"
#include "Platform/Compositing.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"

class QPoint;

namespace tessaly {

class BarBackingView;
class BarCoverMask;
class BarFrameFollower;
class BarMoveFilter;
class PanelFrameCache;
class TabBarView;

class QtTabBarPanel final : public TabBarPanel {
public:
    // What a bar takes from the factory that made it.
    struct Environment {
        std::shared_ptr<PanelFrameCache> frames;
        std::function<void(MenuModel, QPoint)> showMenu;  // at a global logical point
        std::function<std::unique_ptr<GroupNameDialog>()> makeNameDialog;
        std::function<bool()> systemIsDark;  // for the "system" appearance; absent: light
        // The live bars of the factory (each bar enters and leaves it itself).
        std::shared_ptr<std::set<QtTabBarPanel*>> registry;
        // Keeps shown bars on their frames from the X11 event thread; may be null.
        std::shared_ptr<BarFrameFollower> follower;
        // Keeps the bars' pure moves from Qt; may be null.
        std::shared_ptr<BarMoveFilter> moveFilter;
        // Cuts bars a window manager will not keep between windows; may be null.
        std::shared_ptr<BarCoverMask> coverMask;
        // Times the bar's animations' ends, drop gaps, spring loading and the
        // name prompt's deferral; null: each happens at once.
        std::shared_ptr<MainExecutor> executor;
        // While a compositing manager runs the bar is translucent (drawn at
        // its opacity); null: always opaque.
        std::shared_ptr<Compositing> compositing;
    };

    QtTabBarPanel(const Uuid& groupID, Environment environment);
    ~QtTabBarPanel() override;
    QtTabBarPanel(const QtTabBarPanel&) = delete;
    QtTabBarPanel& operator=(const QtTabBarPanel&) = delete;

    const Uuid& groupID() const override { return groupID_; }
    void setDelegate(std::weak_ptr<TabBarPanelDelegate> delegate) override { delegate_ = std::move(delegate); }
    void setDragCoordinator(TabDragCoordinating* coordinator) override { dragCoordinator_ = coordinator; }
    void setProviders(TabBarProviders providers) override;

    void setAppearanceMode(AppearanceMode mode) override;
    void setTabBarOpacity(double opacity) override;
    void setTabBadgeColor(const TabColor& color) override;

    void render(const std::vector<TabViewModel>& tabs, const std::optional<std::string>& name,
                const std::optional<TabColor>& groupAccent, bool isLocked) override;
    void updateTitle(WindowID windowID, const std::string& title) override;

    void place(const TabStripGeometry::BarLayout& layout) override;
    void show() override;
    void hide() override;
    void close() override;

    bool isShown() const override { return isShown_; }
    bool isLocked() const override { return isLocked_; }
    bool backingShown() const override { return backingShown_ && !isCut(); }
    OverlayPanel& stripPanel() override { return strip_; }
    OverlayPanel& backingPanel() override { return backing_; }

    int dropIndex(Point globalPoint) const override;
    void openDropGap(int index, double tabWidth) override;
    void closeDropGap() override;

    // The system appearance changed: a bar that follows it takes the new palette.
    void systemAppearanceChanged();
    // Another window manager came: its compositor is shown the bar's windows
    // anew (xfwm4's, started anew, draws none it found above a frame of the
    // old window manager's until they are).
    void windowManagerChanged();
    // The root child the strip is ordered directly above while the bar is
    // shown; 0 otherwise.
    std::uint32_t orderedFrame() const;
    // Cuts the strip where the windows stacked above its group's window lie
    // (X pixels, root coordinates; none: uncut). While bars are cut, the
    // backing is kept out: it belongs behind that window, which covers it.
    void setCover(const std::vector<Rect>& above);

    TabBarView& view() const { return *view_; }
    BarBackingView& backingView() const { return *backingView_; }
    AppearanceMode appearanceMode() const { return appearanceMode_; }

private:
    void wireView();
    void applyPalette();
    // Keeps the backing off screen where nothing of it could be seen.
    void updateBackingWithheld();
    bool composited() const { return environment_.compositing && environment_.compositing->isActive(); }
    // Makes both panels translucent while a compositing manager runs, opaque otherwise.
    void followCompositing();
    // Tells the follower where the bar sits now (or that it is not to be
    // followed): after each placement, and after an ordering that put the
    // bar against another frame.
    void updateFollowing(bool placed);
    // The move filter watches the bar's windows (after they were made anew too).
    void watchMoves(bool watch);
    // The layout moved to where the followed frame has gone since the
    // placement was made for it, if it has only moved.
    TabStripGeometry::BarLayout caughtUp(const TabStripGeometry::BarLayout& layout) const;
    // Whether bars are cut to look stacked (see BarCoverMask).
    bool isCut() const;
    // The delegate while both it and this bar live.
    std::shared_ptr<TabBarPanelDelegate> delegate() const { return delegate_.lock(); }

    Uuid groupID_;
    Environment environment_;
    std::weak_ptr<TabBarPanelDelegate> delegate_;
    TabDragCoordinating* dragCoordinator_ = nullptr;
    TabBarView* view_ = nullptr;             // owned by strip_
    BarBackingView* backingView_ = nullptr;  // owned by backing_
    QtOverlayPanel strip_;
    QtOverlayPanel backing_;
    bool isLocked_ = false;
    bool isShown_ = false;
    bool backingShown_ = false;
    bool closed_ = false;
    std::optional<TabStripGeometry::BarLayout> layout_;  // the last placement
    std::array<std::uint32_t, 3> followed_{};  // strip, backing and frame last given to the follower
    AppearanceMode appearanceMode_ = AppearanceMode::system;
    double tabBarOpacity_ = 1.0;
    TabColor tabBadgeColor_ = TabColor::defaultBadge;
    Subscription compositingObserver_;
    LifetimeToken lifetime_;  // last: the view's callbacks stop reaching in first
};

}  // namespace tessaly
