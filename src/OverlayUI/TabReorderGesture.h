#pragma once
// Pressing and dragging the tabs of one bar: a tab dragged beyond the slop
// (in any direction) lifts, follows the pointer along the strip while its
// siblings slide out of its way, and settles into its slot on release (the
// bar then reports its new index); dragged more than 16 points above or
// below the bar it pops out: a chip with its picture follows the pointer
// over the screen, the cross-bar coordination hears where it is, and on
// release another group's bar takes it or it leaves its group. While a
// press or drag of a tab is under way, renders of the bar wait; the newest
// one is applied when the gesture ends.
//
// The bar view owns one of these and is its presenter. How its widget
// events map onto the calls (the TabItemView reports what it decided):
//
//   tab press (left button)            -> pressBegan()
//   tab release without a reorder      -> pressEnded()      (a click, after onSelect)
//   tab drag beyond the slop           -> dragMoved(index of the item in the row,
//                                             the press in bar coordinates,
//                                             pointer in bar coordinates,
//                                             pointer in global coordinates,
//                                             a function reading the row's layout)
//   tab release after a reorder drag   -> dragEnded()
//   bar hidden, closed, grab lost      -> cancel()
//   renderTabs(model)                  -> if (holdRender(model)) return; ... rebuild ...
//   updateTitle(window, title)         -> updateHeldTitle(window, title) besides the shown title
//
// Bar coordinates are the bar view's own (top-left origin, y down); global
// coordinates are those of the overlay panels (X root pixels).
// `Layout::pixelsPerPoint` converts the one into the other's units for the
// chip's frame. Tabs are named by their index in the layout read when the
// drag began; the row is not rebuilt while a gesture runs, so the indices
// stay valid until restoreTabs.
//
// Ending without a release (cancel): the gesture ends the way a release
// ends it (chip hidden, tabs back in the row, cross-bar state cleared,
// renders resumed), but nothing is dropped: a tab dragged within the bar
// lands in the slot it reached (reported at once), a popped-out tab stays
// in its group (no pop-out, no move to another bar), a settling tab
// finishes at once. A render that no longer holds the dragged tab's window
// (the window closed mid-drag) ends the drag the same way, without a report.
//
// Main thread only. Callbacks may re-enter (hide or close the bar, render
// it, even drop this object): nothing is touched after a callback once the
// object is gone.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "OverlayUI/BarAnimation.h"
#include "OverlayUI/TabViewModel.h"
#include "Platform/Geometry.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/Subscription.h"
#include "Platform/Types.h"

namespace tessaly {

class TabReorderGesture {
public:
    // Distance from the press, in any direction (strictly more), that turns
    // a press on a tab into a drag: a tab pulled straight down leaves too.
    static constexpr double reorderSlop = 6.0;
    // Vertical distance outside the bar (strictly more) that pops a dragged tab out.
    static constexpr double popOutThreshold = 16.0;
    // Siblings sliding and the released tab settling.
    static constexpr double slideDuration = BarAnimation::duration;
    // The shadow under a lifted tab (offset in bar coordinates: downwards).
    struct LiftShadow {
        static constexpr double opacity = 0.35;
        static constexpr double blurRadius = 6.0;
        static constexpr double offsetX = 0.0;
        static constexpr double offsetY = 2.0;
    };

    // One tab of the row as laid out, in bar coordinates.
    struct TabSlot {
        WindowID windowID = 0;
        double x = 0;      // left edge
        double width = 0;
    };

    // The row when a drag begins.
    struct Layout {
        std::vector<TabSlot> tabs;  // the arranged tabs, left to right (no gap, no buttons)
        double spacing = 0;         // between neighbours
        double originY = 0;         // the tabs' top edge
        double tabHeight = 0;       // the tabs' height
        double barHeight = 0;       // the bar's own height
        double pixelsPerPoint = 1;  // global units per bar unit
    };

    // One drag of one tab, from its start to its end. Only `order` changes.
    struct ReorderSession {
        int generation = 0;
        std::size_t dragged = 0;               // index into the layout's tabs
        std::vector<std::size_t> order;        // tabs in their current visual order
        std::vector<WindowID> windowIDs;       // per tab index
        std::vector<double> widthByView;       // per tab index, at the start
        double leadingX = 0;                   // left edge of the first slot
        double spacing = 0;
        double originY = 0;
        double grabOffsetX = 0;                // pointer minus the dragged tab's origin
        double grabOffsetY = 0;
        double contentWidth = 0;               // all widths plus the spacing between them
        double tabHeight = 0;
        double barHeight = 0;
        double pixelsPerPoint = 1;

        // The dragged tab's slot in `order`.
        std::size_t draggedSlot() const;
        // The widths in `order`.
        std::vector<double> orderedWidths() const;
    };

    // What the bar view does for the gesture. Tabs are indices of the layout.
    class Presenter {
    public:
        virtual ~Presenter() = default;
        // A drag begins: the tabs (and the trailing controls) leave the row's
        // layout and stay where they are, the row keeps its width, the
        // dragged tab goes on top of its siblings and casts the lift shadow.
        virtual void liftTabs(std::size_t dragged) = 0;
        // Puts a tab's top-left corner at `origin`, at once (duration 0) or
        // sliding there over `duration` seconds on the ease-out curve.
        virtual void moveTab(std::size_t tab, Point origin, double duration) = 0;
        // Hides the dragged tab while it is popped out; it keeps its slot.
        virtual void setTabHidden(std::size_t tab, bool hidden) = 0;
        // The drag chip: a picture of the tab taken now, shown at `frame`
        // (global units) on top of everything, without taking focus and
        // without taking the pointer.
        virtual void showChip(std::size_t tab, const Rect& frame) = 0;
        virtual void moveChip(const Rect& frame) = 0;
        virtual void hideChip() = 0;
        // The drag is over: the tabs return to the row's layout in `order`,
        // followed by the lock icon, the move button and the add button; the
        // shadow goes and every tab is shown.
        virtual void restoreTabs(const std::vector<std::size_t>& order) = 0;
    };

    // The executor times the settle of a released tab; without one the
    // settle finishes at once.
    TabReorderGesture(Presenter& presenter, std::shared_ptr<MainExecutor> executor);
    TabReorderGesture(const TabReorderGesture&) = delete;
    TabReorderGesture& operator=(const TabReorderGesture&) = delete;

    // ---- What the gesture reports (absent callbacks do nothing) ----
    std::function<void(WindowID, int)> onReorder;       // a drag finished in the bar, at that index
    std::function<void(WindowID)> onPopOut;             // released away from every bar that takes it
    std::function<void(Point, double)> onCrossBarUpdate;  // popped out: global pointer, tab width
    std::function<bool(WindowID)> onCrossBarCommit;     // released popped out: true when another bar took it
    std::function<void()> onCrossBarCancel;             // back in the bar, or released in it
    // The newest render held back during the gesture, now to be applied.
    std::function<void(const std::vector<TabViewModel>&)> onRender;

    // Whether the pointer, pressed at `press`, has moved far enough to drag
    // (both in bar coordinates): the tab item asks before it reports a drag.
    static bool isBeyondSlop(Point press, Point pointer);

    // ---- Events ----
    void pressBegan();
    void pressEnded();
    // The tab keeps under the pointer the spot where the drag began: the
    // first move past the slop, or, when that lies far beyond the slop (a
    // busy machine's queued moves coming as one), where the pointer crossed
    // the slop on its way from the press.
    void dragMoved(std::size_t tab, Point pressed, Point local, Point global,
                   const std::function<Layout()>& currentLayout);
    void dragEnded();
    void cancel();

    // True when the model has to wait for the gesture's end (it is kept,
    // replacing an earlier one); false when the bar renders it now.
    bool holdRender(const std::vector<TabViewModel>& tabs);
    void updateHeldTitle(WindowID windowID, const std::string& title);

    // ---- State ----
    bool tabGestureActive() const { return tabGestureActive_; }
    bool isPoppedOut() const { return poppedOut_; }
    bool isSettling() const { return reorder_ && settling_; }
    const std::optional<ReorderSession>& session() const { return reorder_; }
    int reorderGeneration() const { return reorderGeneration_; }
    const std::optional<std::vector<TabViewModel>>& pendingRender() const { return pendingRender_; }

private:
    bool beginReorder(std::size_t tab, Point start, const Layout& layout);
    void updateReorder(Point local, Point global);
    Rect chipFrame(const ReorderSession& session, Point global) const;
    void enterPoppedOut(const ReorderSession& session, Point global);
    void exitPoppedOut(const ReorderSession& session);
    void slideSiblingsToRest(const ReorderSession& session);
    void settleReorderInBar();
    // Both end the session and give the tabs back to the row; finalising reports the index.
    void finalizeReorderLayout();
    void cancelReorderLayout();
    // Clears the gesture flag and applies a held render.
    void endGesture();
    // Lands a settling tab at once, or ends a running drag without a drop;
    // false when this object went away meanwhile.
    bool finishSession();
    // Ends a running drag without a drop; `report` for an in-bar drag.
    void abandon(bool report);

    Presenter& presenter_;
    std::shared_ptr<MainExecutor> executor_;
    std::optional<ReorderSession> reorder_;
    int reorderGeneration_ = 0;
    bool poppedOut_ = false;
    bool settling_ = false;
    bool tabGestureActive_ = false;
    std::optional<std::vector<TabViewModel>> pendingRender_;
    Subscription settleTimer_;
    LifetimeToken lifetime_;  // last: timers and re-entrant checks see the object go first
};

}  // namespace tessaly
