#pragma once
// The gap a bar opens among its tabs while a tab popped out of another
// group's bar hovers over it: an empty spacer of the dragged tab's width
// standing before tab `index` (or after the last tab, before the lock icon,
// move button and add button). It grows when it opens, jumps to a new slot
// at full width when it moves (the tabs between glide across), and shrinks
// to nothing when it closes; the spacer leaves the row only when the
// closing has run its course and no new gap was opened meanwhile.
//
// The bar view owns one. Calls (all from the overlay manager through the
// bar panel, except reset):
//
//   TabBarPanel::openDropGap(index, width) -> open(index, width, number of tabs in the row)
//   TabBarPanel::closeDropGap()            -> close()
//   renderTabs(model) (a new row)          -> reset()
//   onChange(change)                       -> put the spacer at change.spacerSlot (none:
//                                             out of the row) and animate its width from
//                                             change.fromWidth to change.toWidth over
//                                             change.duration (0: at once), laying the
//                                             row out as it goes
//   TabBarPanel::dropIndex(global point)   -> TabReorderGeometry::dropInsertionIndex of
//                                             the tabs' midpoints and the point's x in
//                                             bar coordinates (0 for a bar in no window)
//
// Main thread only.
#include <functional>
#include <memory>
#include <optional>

#include "OverlayUI/BarAnimation.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/Subscription.h"

namespace tessaly {

class DropGap {
public:
    static constexpr double animationDuration = BarAnimation::duration;

    struct Change {
        std::optional<int> spacerSlot;  // the tab index the spacer stands before; none: out of the row
        double fromWidth = 0;
        double toWidth = 0;
        double duration = 0;

        friend bool operator==(const Change&, const Change&) = default;
    };

    // The executor times the end of a closing; without one it ends at once.
    explicit DropGap(std::shared_ptr<MainExecutor> executor);
    DropGap(const DropGap&) = delete;
    DropGap& operator=(const DropGap&) = delete;

    std::function<void(const Change&)> onChange;

    // Opens the gap before tab `index` (clamped to 0...tabCount), or moves it
    // there; nothing when it stands there already. A width that is not a
    // finite positive number makes a gap of no width.
    void open(int index, double tabWidth, int tabCount);
    // Closes an open gap; nothing when none is open.
    void close();
    // The row was rebuilt: no gap and no spacer, without animation.
    void reset();

    // The index of the open gap; none when closed or closing.
    std::optional<int> dropGapIndex() const { return dropGapIndex_; }
    // Where the spacer stands in the row (also while closing).
    std::optional<int> spacerSlot() const { return spacerSlot_; }
    // The width the spacer has or is animating to.
    double width() const { return width_; }
    bool isClosing() const { return !dropGapIndex_ && spacerSlot_.has_value(); }

private:
    void changed(double fromWidth, double duration);

    std::shared_ptr<MainExecutor> executor_;
    std::optional<int> dropGapIndex_;
    std::optional<int> spacerSlot_;
    double width_ = 0;
    Subscription closingTimer_;
    LifetimeToken lifetime_;  // last
};

}  // namespace tessaly
