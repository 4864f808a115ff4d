#include "OverlayUI/Qt/QtTabBarPanel.h"

#include "OverlayUI/BarPalette.h"
#include "OverlayUI/Qt/BarBackingView.h"
#include "OverlayUI/Qt/BarCoverMask.h"
#include "OverlayUI/Qt/BarFrameFollower.h"
#include "OverlayUI/Qt/BarMoveFilter.h"
#include "OverlayUI/Qt/PanelFrameCache.h"
#include "OverlayUI/Qt/TabBarView.h"
#include "Platform/Qt/QtX11Connection.h"
#include "Platform/Qt/QtX11Coordinates.h"

namespace tessaly {

namespace {

// The parts of `rects` (X pixels, root coordinates) over a panel at
// `panelFrame`, in the panel's own logical coordinates.
QRegion localRegion(const Rect& panelFrame, const std::vector<Rect>& rects) {
    QRegion region;
    const QPointF origin = QtX11Coordinates::fromX(panelFrame).topLeft();
    for (const Rect& r : rects) {
        const Rect part = r.intersection(panelFrame);
        if (!part.isEmpty()) region += QtX11Coordinates::fromX(part).translated(-origin).toAlignedRect();
    }
    return region;
}

}  // namespace

QtTabBarPanel::QtTabBarPanel(const Uuid& groupID, Environment environment)
    : groupID_(groupID),
      environment_(std::move(environment)),
      strip_(QtOverlayPanel::content(std::make_unique<TabBarView>(environment_.executor), view_), environment_.frames,
             {.takesMouse = true, .translucent = composited()}),
      backing_(QtOverlayPanel::content(std::make_unique<BarBackingView>(), backingView_), environment_.frames,
               {.takesMouse = false, .translucent = composited()}) {
    view_->showMenu = environment_.showMenu;
    view_->makeNameDialog = environment_.makeNameDialog;
    wireView();
    applyPalette();
    strip_.onOrderedRelative = lifetime_.guarded([this] {
        updateBackingWithheld();
        updateFollowing(false);
        if (isCut()) environment_.coverMask->update();
    });
    // Where bars are cut, the window manager restacks them as it likes:
    // they are not ordered any more (it would only move them back).
    for (QtOverlayPanel* panel : {&strip_, &backing_}) {
        panel->onOrdering = lifetime_.guarded([this, panel](std::uint32_t frame, bool above) {
            if (!environment_.coverMask) return true;
            environment_.coverMask->ordering(panel->windowNumber(), frame, above);
            return !isCut();
        });
    }
    watchMoves(true);
    if (environment_.registry) environment_.registry->insert(this);
    if (environment_.compositing) {
        compositingObserver_ =
            environment_.compositing->addObserver(lifetime_.guarded([this] { followCompositing(); }));
    }
}

void QtTabBarPanel::followCompositing() {
    const bool translucent = composited();
    if (closed_ || translucent == strip_.isTranslucent()) return;
    // Both windows are made anew: a press or drag under way ends as a
    // release would (the window that grabbed the pointer goes).
    view_->endGestures();
    watchMoves(false);
    strip_.setTranslucent(translucent);
    backing_.setTranslucent(translucent);
    watchMoves(true);
    updateBackingWithheld();
    updateFollowing(true);
}

void QtTabBarPanel::updateBackingWithheld() {
    // Without a compositor, a backing behind a frame that is a plain
    // rectangle is covered all over: it stays off screen, and a move of the
    // bar moves its strip alone. Behind a shaped frame (cut corners), or
    // where a compositor may show it through a translucent one, it shows.
    const std::uint32_t frame = strip_.relativeFrame();
    if (!environment_.frames || frame == 0) return;
    const bool withheld = !composited() && !environment_.frames->isShaped(frame);
    if (withheld == backing_.isWithheld()) return;
    backing_.setWithheld(withheld);
    if (!withheld && isShown_ && backingShown()) backing_.orderRelative(OverlayPanel::Order::below, frame);
}

QtTabBarPanel::~QtTabBarPanel() {
    if (environment_.registry) environment_.registry->erase(this);
    if (!closed_) close();
    if (environment_.follower) environment_.follower->follow(this, std::nullopt);
    watchMoves(false);
    if (environment_.coverMask) {
        for (const QtOverlayPanel* panel : {&strip_, &backing_}) {
            environment_.coverMask->ordering(panel->windowNumber(), 0, false);
        }
    }
}

void QtTabBarPanel::watchMoves(bool watch) {
    if (!environment_.moveFilter) return;
    for (const QtOverlayPanel* panel : {&strip_, &backing_}) {
        const auto window = static_cast<std::uint32_t>(panel->windowNumber());
        if (watch) environment_.moveFilter->watch(window);
        else environment_.moveFilter->unwatch(window);
    }
}

void QtTabBarPanel::updateFollowing(bool placed) {
    if (!environment_.follower) return;
    std::optional<BarFrameFollower::Target> target;
    // Cut bars are not followed: the follower would restack them too.
    if (isShown_ && layout_ && layout_->backingFrame && strip_.relativeFrame() != 0 && strip_.orderedAbove() &&
        !isCut()) {
        const Rect& band = *layout_->backingFrame;
        target = BarFrameFollower::Target{
            .strip = strip_.windowNumber(),
            .backing = backing_.isVisible() ? backing_.windowNumber() : 0,
            .frame = strip_.relativeFrame(),
            .groupFrame = Rect(band.minX(), band.minY(), band.width(), band.height()),
            .stripHeight = layout_->placement.frame.height(),
            .backingReach = band.height(),
        };
    }
    // Ordered again against the frame it follows: the follower keeps the
    // bar where the frame has gone since the last placement.
    const auto followed = [](const std::optional<BarFrameFollower::Target>& t) {
        return t ? std::array{t->strip, t->backing, t->frame} : std::array<X11PanelOps::XWindow, 3>{};
    };
    if (!placed && target && followed(target) == followed_) return;
    followed_ = followed(target);
    environment_.follower->follow(this, target);
}

void QtTabBarPanel::wireView() {
    // Each callback reaches the bar weakly, then its delegate (or drag
    // coordinator) if there is one, naming the group first.
    const auto intent = [this](auto send) {
        return lifetime_.guarded([this, send](auto... args) {
            if (const auto receiver = delegate()) send(*receiver, groupID_, args...);
        });
    };
    TabBarView& v = *view_;
    v.onSelect = intent([](TabBarPanelDelegate& d, const Uuid& g, WindowID w) { d.tabBarDidSelectTab(g, w); });
    v.onClose = intent([](TabBarPanelDelegate& d, const Uuid& g, WindowID w) { d.tabBarDidCloseTab(g, w); });
    v.onReorder = intent(
        [](TabBarPanelDelegate& d, const Uuid& g, WindowID w, int index) { d.tabBarDidMoveTabToIndex(g, w, index); });
    v.onPopOut = intent([](TabBarPanelDelegate& d, const Uuid& g, WindowID w) { d.tabBarDidPopOutTab(g, w); });
    v.onGroupSameApp = intent(
        [](TabBarPanelDelegate& d, const Uuid& g, WindowID w) { d.tabBarDidRequestGroupSameAppForTab(g, w); });
    v.onToggleLock = intent([](TabBarPanelDelegate& d, const Uuid& g) { d.tabBarDidToggleLock(g); });
    v.onUngroup = intent([](TabBarPanelDelegate& d, const Uuid& g) { d.tabBarDidRequestUngroup(g); });
    v.onCloseGroup = intent([](TabBarPanelDelegate& d, const Uuid& g) { d.tabBarDidRequestCloseGroup(g); });
    v.onDrag = intent([](TabBarPanelDelegate& d, const Uuid& g, Point delta, EventFlags modifiers) {
        d.tabBarDidDragBy(g, delta, modifiers);
    });
    v.onDragEnd = intent([](TabBarPanelDelegate& d, const Uuid& g) { d.tabBarDidEndDrag(g); });
    v.onActivate = intent([](TabBarPanelDelegate& d, const Uuid& g) { d.tabBarDidActivate(g); });
    v.onOpenSettings = intent([](TabBarPanelDelegate& d, const Uuid& g) { d.tabBarDidRequestSettings(g); });
    v.onAdd = intent([](TabBarPanelDelegate& d, const Uuid& g, Rect anchor) { d.tabBarDidClickAdd(g, anchor); });
    v.onMoveToDisplay = intent(
        [](TabBarPanelDelegate& d, const Uuid& g, int index) { d.tabBarDidRequestMoveToDisplay(g, index); });
    v.onSetAccent = intent([](TabBarPanelDelegate& d, const Uuid& g, WindowID w, std::optional<TabColor> accent) {
        d.tabBarDidSetAccentForTab(g, accent, w);
    });
    v.onCustomAccent = intent(
        [](TabBarPanelDelegate& d, const Uuid& g, WindowID w) { d.tabBarDidRequestCustomAccentForTab(g, w); });
    v.onSetGroupAccent = intent([](TabBarPanelDelegate& d, const Uuid& g, std::optional<TabColor> accent) {
        d.tabBarDidSetGroupAccent(g, accent);
    });
    v.onCustomGroupAccent =
        intent([](TabBarPanelDelegate& d, const Uuid& g) { d.tabBarDidRequestCustomGroupAccent(g); });
    v.onOpenAutoColorRules =
        intent([](TabBarPanelDelegate& d, const Uuid& g) { d.tabBarDidRequestAutoColorRules(g); });
    v.onRename = intent([](TabBarPanelDelegate& d, const Uuid& g, std::optional<std::string> name) {
        d.tabBarDidRenameGroup(g, name);
    });
    v.onMaximize = intent([](TabBarPanelDelegate& d, const Uuid& g) { d.tabBarDidRequestMaximize(g); });
    v.onCrossBarUpdate = lifetime_.guarded([this](Point point, double tabWidth) {
        if (dragCoordinator_) dragCoordinator_->tabDrag(groupID_, point, tabWidth);
    });
    v.onCrossBarCommit = lifetime_.guarded([this](WindowID windowID) {
        return dragCoordinator_ && dragCoordinator_->tabDragCommit(groupID_, windowID);
    });
    v.onCrossBarCancel = lifetime_.guarded([this] {
        if (dragCoordinator_) dragCoordinator_->tabDragCancel(groupID_);
    });
}

void QtTabBarPanel::setProviders(TabBarProviders providers) { view_->providers = std::move(providers); }

// ---- Settings ----

void QtTabBarPanel::setAppearanceMode(AppearanceMode mode) {
    if (mode == appearanceMode_) return;
    appearanceMode_ = mode;
    applyPalette();
}

std::uint32_t QtTabBarPanel::orderedFrame() const {
    return isShown_ && strip_.orderedAbove() ? strip_.relativeFrame() : 0;
}

bool QtTabBarPanel::isCut() const { return environment_.coverMask && environment_.coverMask->isCutting(); }

void QtTabBarPanel::setCover(const std::vector<Rect>& above) {
    view_->setCover(localRegion(strip_.frame(), above));
    if (isCut()) backing_.orderOut();
    else if (isShown_ && backingShown_ && !backing_.isVisible()) {
        backing_.orderRelative(OverlayPanel::Order::below, strip_.windowNumber());
    }
}

void QtTabBarPanel::windowManagerChanged() {
    strip_.handToRoot();
    backing_.handToRoot();
}

void QtTabBarPanel::systemAppearanceChanged() {
    if (appearanceMode_ == AppearanceMode::system) applyPalette();
}

void QtTabBarPanel::applyPalette() {
    const bool systemIsDark = environment_.systemIsDark && environment_.systemIsDark();
    const BarPalette& palette = BarPalette::forAppearance(appearanceMode_, systemIsDark);
    view_->setBarPalette(palette);
    backingView_->setBarPalette(palette);
}

void QtTabBarPanel::setTabBarOpacity(double opacity) {
    if (opacity == tabBarOpacity_) return;
    tabBarOpacity_ = opacity;
    view_->setTabBarOpacity(opacity);
    backingView_->setTabBarOpacity(opacity);
}

void QtTabBarPanel::setTabBadgeColor(const TabColor& color) {
    if (color == tabBadgeColor_) return;
    tabBadgeColor_ = color;
    view_->setTabBadgeColor(color);
}

// ---- Model ----

void QtTabBarPanel::render(const std::vector<TabViewModel>& tabs, const std::optional<std::string>& name,
                           const std::optional<TabColor>& groupAccent, bool isLocked) {
    // The tab items are built from the accent, lock and caption: those first.
    isLocked_ = isLocked;
    view_->setName(name);
    view_->setGroupAccent(groupAccent);
    view_->setLocked(isLocked);
    view_->renderTabs(tabs);
    backingView_->setGroupAccent(groupAccent);
}

void QtTabBarPanel::updateTitle(WindowID windowID, const std::string& title) { view_->updateTitle(windowID, title); }

// ---- On screen ----

void QtTabBarPanel::place(const TabStripGeometry::BarLayout& requested) {
    if (closed_) return;
    const TabStripGeometry::BarLayout layout = caughtUp(requested);
    // Not followed meanwhile: a report of where the frame was, read while
    // this placement goes out, would put the bar back there after it.
    if (environment_.follower) environment_.follower->follow(this, std::nullopt);
    view_->setStyle(layout.style);
    if (layout.backingFrame) {
        backing_.setFrame(*layout.backingFrame);
        backingShown_ = true;
    } else {
        if (backingShown_) backing_.orderOut();
        backingShown_ = false;
    }
    strip_.setFrame(layout.placement.frame);
    layout_ = layout;
    show();
    updateFollowing(true);
    if (isCut()) environment_.coverMask->update();
}

TabStripGeometry::BarLayout QtTabBarPanel::caughtUp(const TabStripGeometry::BarLayout& layout) const {
    // Only a bar followed on the frame it is ordered above: the follower
    // has put it where that frame went since.
    const std::uint32_t frame = followed_[2];
    if (!environment_.follower || frame == 0 || frame != strip_.relativeFrame() || !layout.backingFrame) return layout;
    const Rect& band = *layout.backingFrame;
    const Rect now = environment_.follower->caughtUp(frame, band);
    const double dx = now.minX() - band.minX();
    const double dy = now.minY() - band.minY();
    if (dx == 0 && dy == 0) return layout;
    TabStripGeometry::BarLayout moved = layout;
    moved.placement.frame = layout.placement.frame.offsetBy(dx, dy);
    moved.backingFrame = band.offsetBy(dx, dy);
    return moved;
}

void QtTabBarPanel::show() {
    if (closed_ || isShown_) return;
    // Back where it was ordered last (directly above its window); the
    // manager's ordering follows. A new bar comes to the front.
    strip_.orderInAsBefore();
    if (backingShown()) backing_.orderRelative(OverlayPanel::Order::below, strip_.windowNumber());
    isShown_ = true;
    // Now, not when the main thread is next idle: bars a start rebuilds come up one by one.
    QtX11Connection::flush();
}

void QtTabBarPanel::hide() {
    // A press or drag under way ends as a release would: the bar never
    // sees the real release once it is out.
    view_->endGestures();
    strip_.orderOut();
    backing_.orderOut();
    isShown_ = false;
    updateFollowing(true);
}

void QtTabBarPanel::close() {
    if (closed_) return;
    hide();
    view_->closeDropGap();
    closed_ = true;
}

// ---- Cross-bar drops ----

int QtTabBarPanel::dropIndex(Point globalPoint) const {
    if (!strip_.isVisible()) return 0;
    return view_->dropIndex(view_->mapFromGlobal(QtX11Coordinates::fromX(globalPoint).toPoint()));
}

void QtTabBarPanel::openDropGap(int index, double tabWidth) { view_->openDropGap(index, tabWidth); }

void QtTabBarPanel::closeDropGap() { view_->closeDropGap(); }

}  // namespace tessaly
