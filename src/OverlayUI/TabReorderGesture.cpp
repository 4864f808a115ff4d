#include "OverlayUI/TabReorderGesture.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "OverlayUI/TabReorderGeometry.h"

namespace tessaly {

namespace {

bool isFinite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

std::vector<std::size_t> identityOrder(std::size_t count) {
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    return order;
}

}  // namespace

std::size_t TabReorderGesture::ReorderSession::draggedSlot() const {
    const auto at = std::find(order.begin(), order.end(), dragged);
    return static_cast<std::size_t>(at - order.begin());
}

std::vector<double> TabReorderGesture::ReorderSession::orderedWidths() const {
    std::vector<double> widths;
    widths.reserve(order.size());
    for (const std::size_t tab : order) widths.push_back(widthByView[tab]);
    return widths;
}

TabReorderGesture::TabReorderGesture(Presenter& presenter, std::shared_ptr<MainExecutor> executor)
    : presenter_(presenter), executor_(std::move(executor)) {}

namespace {

// Where a drag that began with its first move at `first` began (dragMoved).
Point dragStart(Point pressed, Point first) {
    const double dx = first.x - pressed.x;
    const double dy = first.y - pressed.y;
    const double distance = std::hypot(dx, dy);
    if (distance <= 2 * TabReorderGesture::reorderSlop) return first;
    // In whole points, as the bar's coordinates come.
    const double k = TabReorderGesture::reorderSlop / distance;
    return {std::round(pressed.x + dx * k), std::round(pressed.y + dy * k)};
}

}  // namespace

bool TabReorderGesture::isBeyondSlop(Point press, Point pointer) {
    return std::hypot(pointer.x - press.x, pointer.y - press.y) > reorderSlop;
}

// ------------------------------------------------------------------ events

void TabReorderGesture::pressBegan() {
    // A tab still settling from the last drag lands now; a drag whose
    // release never came ends here.
    if (!finishSession()) return;
    tabGestureActive_ = true;
}

void TabReorderGesture::pressEnded() { endGesture(); }

void TabReorderGesture::dragMoved(std::size_t tab, Point pressed, Point local, Point global,
                                  const std::function<Layout()>& currentLayout) {
    if (!isFinite(pressed) || !isFinite(local) || !isFinite(global)) return;
    if (reorder_ && settling_) {
        const auto alive = lifetime_.watch();
        finalizeReorderLayout();
        if (alive.expired()) return;
    }
    if (!reorder_) {
        if (!currentLayout || !beginReorder(tab, dragStart(pressed, local), currentLayout())) return;
    }
    updateReorder(local, global);
}

void TabReorderGesture::dragEnded() {
    if (!reorder_ || settling_) {
        // A drag that never found its tab: only the gesture ends.
        if (!settling_) endGesture();
        return;
    }
    const auto alive = lifetime_.watch();
    if (poppedOut_) {
        const WindowID windowID = reorder_->windowIDs[reorder_->dragged];
        poppedOut_ = false;
        presenter_.hideChip();
        cancelReorderLayout();
        const bool handled = onCrossBarCommit && onCrossBarCommit(windowID);
        if (alive.expired()) return;
        if (!handled && onPopOut) {
            onPopOut(windowID);
            if (alive.expired()) return;
        }
        endGesture();
        return;
    }
    if (onCrossBarCancel) {
        onCrossBarCancel();
        if (alive.expired() || !reorder_ || settling_) return;
    }
    settleReorderInBar();
}

void TabReorderGesture::cancel() {
    if (!finishSession()) return;
    endGesture();
}

bool TabReorderGesture::finishSession() {
    if (!reorder_) return true;
    const auto alive = lifetime_.watch();
    if (settling_) finalizeReorderLayout();
    else abandon(true);
    return !alive.expired();
}

bool TabReorderGesture::holdRender(const std::vector<TabViewModel>& tabs) {
    if (!tabGestureActive_) return false;
    pendingRender_ = tabs;
    if (!reorder_) return true;
    const WindowID dragged = reorder_->windowIDs[reorder_->dragged];
    const bool stillThere =
        std::any_of(tabs.begin(), tabs.end(), [dragged](const TabViewModel& tab) { return tab.windowID == dragged; });
    if (stillThere) return true;
    // The dragged tab's window is gone: nothing is left to drop or report.
    const auto alive = lifetime_.watch();
    if (settling_) cancelReorderLayout();
    else abandon(false);
    if (alive.expired()) return true;
    endGesture();
    return true;
}

void TabReorderGesture::updateHeldTitle(WindowID windowID, const std::string& title) {
    if (!pendingRender_) return;
    for (TabViewModel& tab : *pendingRender_) {
        if (tab.windowID == windowID) tab.title = title;
    }
}

// ------------------------------------------------------------ the session

bool TabReorderGesture::beginReorder(std::size_t tab, Point start, const Layout& layout) {
    if (tab >= layout.tabs.size()) return false;
    ReorderSession session;
    session.dragged = tab;
    session.order = identityOrder(layout.tabs.size());
    session.spacing = std::isfinite(layout.spacing) ? std::max(0.0, layout.spacing) : 0.0;
    session.leadingX = layout.tabs.front().x;
    session.originY = layout.originY;
    for (const TabSlot& slot : layout.tabs) {
        session.windowIDs.push_back(slot.windowID);
        session.widthByView.push_back(std::isfinite(slot.width) ? std::max(0.0, slot.width) : 0.0);
    }
    session.contentWidth = std::accumulate(session.widthByView.begin(), session.widthByView.end(), 0.0) +
                           session.spacing * static_cast<double>(layout.tabs.size() - 1);
    session.grabOffsetX = start.x - layout.tabs[tab].x;
    session.grabOffsetY = start.y - layout.originY;
    session.tabHeight = layout.tabHeight;
    session.barHeight = layout.barHeight;
    session.pixelsPerPoint = layout.pixelsPerPoint > 0 ? layout.pixelsPerPoint : 1.0;
    if (!std::isfinite(session.leadingX) || !std::isfinite(session.originY) || !std::isfinite(session.grabOffsetX) ||
        !std::isfinite(session.grabOffsetY))
        return false;

    presenter_.liftTabs(tab);
    poppedOut_ = false;
    settling_ = false;
    ++reorderGeneration_;
    session.generation = reorderGeneration_;
    reorder_ = std::move(session);
    return true;
}

void TabReorderGesture::updateReorder(Point local, Point global) {
    const ReorderSession& s = *reorder_;
    const double w = s.widthByView[s.dragged];
    const double maxX = s.leadingX + s.contentWidth - w;
    const double x = std::max(s.leadingX, std::min(local.x - s.grabOffsetX, maxX));
    presenter_.moveTab(s.dragged, {x, s.originY}, 0);

    const double outside = std::max({0.0, local.y - s.barHeight, -local.y});
    const auto alive = lifetime_.watch();
    if (outside > popOutThreshold) {
        if (!poppedOut_) enterPoppedOut(s, global);
        else presenter_.moveChip(chipFrame(s, global));
        if (onCrossBarUpdate) onCrossBarUpdate(global, w);
        return;
    }
    if (poppedOut_) {
        exitPoppedOut(s);
        if (alive.expired() || !reorder_ || settling_) return;
    }
    ReorderSession& session = *reorder_;
    const std::size_t current = session.draggedSlot();
    const int target = TabReorderGeometry::targetIndex(session.orderedWidths(), session.spacing, session.leadingX,
                                                       static_cast<int>(current), x);
    if (target < 0 || static_cast<std::size_t>(target) == current || static_cast<std::size_t>(target) >= session.order.size())
        return;
    session.order.erase(session.order.begin() + static_cast<std::ptrdiff_t>(current));
    session.order.insert(session.order.begin() + target, session.dragged);
    slideSiblingsToRest(session);
}

Rect TabReorderGesture::chipFrame(const ReorderSession& s, Point global) const {
    const double scale = s.pixelsPerPoint;
    return Rect(global.x - s.grabOffsetX * scale, global.y - s.grabOffsetY * scale, s.widthByView[s.dragged] * scale,
                s.tabHeight * scale);
}

void TabReorderGesture::enterPoppedOut(const ReorderSession& s, Point global) {
    poppedOut_ = true;
    presenter_.setTabHidden(s.dragged, true);
    presenter_.showChip(s.dragged, chipFrame(s, global));
}

void TabReorderGesture::exitPoppedOut(const ReorderSession& s) {
    poppedOut_ = false;
    presenter_.hideChip();
    presenter_.setTabHidden(s.dragged, false);
    if (onCrossBarCancel) onCrossBarCancel();
}

void TabReorderGesture::slideSiblingsToRest(const ReorderSession& s) {
    const std::vector<double> widths = s.orderedWidths();
    for (std::size_t i = 0; i < s.order.size(); ++i) {
        if (s.order[i] == s.dragged) continue;
        const double x = TabReorderGeometry::restingX(widths, s.spacing, s.leadingX, static_cast<int>(i));
        presenter_.moveTab(s.order[i], {x, s.originY}, slideDuration);
    }
}

void TabReorderGesture::settleReorderInBar() {
    const ReorderSession& s = *reorder_;
    settling_ = true;
    const double rest = TabReorderGeometry::restingX(s.orderedWidths(), s.spacing, s.leadingX,
                                                     static_cast<int>(s.draggedSlot()));
    presenter_.moveTab(s.dragged, {rest, s.originY}, slideDuration);
    const int generation = s.generation;
    auto settled = lifetime_.guarded([this, generation] {
        // A press on a tab may have finalised this drag already, or a newer one runs.
        if (!reorder_ || reorder_->generation != generation) return;
        const auto alive = lifetime_.watch();
        finalizeReorderLayout();
        if (alive.expired()) return;
        endGesture();
    });
    if (!executor_) {
        settled();
        return;
    }
    settleTimer_ = executor_->schedule(slideDuration, std::move(settled));
}

void TabReorderGesture::finalizeReorderLayout() {
    ReorderSession s = std::move(*reorder_);
    reorder_.reset();
    settling_ = false;
    settleTimer_.cancel();
    presenter_.restoreTabs(s.order);
    if (onReorder) onReorder(s.windowIDs[s.dragged], static_cast<int>(s.draggedSlot()));
}

void TabReorderGesture::cancelReorderLayout() {
    const std::size_t count = reorder_->order.size();
    reorder_.reset();
    settling_ = false;
    settleTimer_.cancel();
    // Nothing is reported, so the row shows the model's order again.
    presenter_.restoreTabs(identityOrder(count));
}

void TabReorderGesture::abandon(bool report) {
    const auto alive = lifetime_.watch();
    if (poppedOut_) {
        poppedOut_ = false;
        presenter_.hideChip();
        cancelReorderLayout();
        if (onCrossBarCancel) onCrossBarCancel();
        return;
    }
    if (onCrossBarCancel) {
        onCrossBarCancel();
        if (alive.expired() || !reorder_) return;
    }
    if (report) finalizeReorderLayout();
    else cancelReorderLayout();
}

void TabReorderGesture::endGesture() {
    tabGestureActive_ = false;
    if (auto pending = std::exchange(pendingRender_, std::nullopt)) {
        if (onRender) onRender(*pending);
    }
}

}  // namespace tessaly
