#pragma once
// Spring-loaded tabs: while another application drags a file, a link, text
// or an image over a tab bar, the tab under the pointer lights up and, once
// the pointer has rested on it for the spring-loading delay, its window is
// selected so that it comes to the front under the drag. The active tab and
// suspended or minimised tabs never spring; a tab springs once until the
// pointer moves to another tab (or off the tabs) and back. The bar never
// takes the drop.
//
// X11 has no spring loading of its own: the bar takes part in an XDND drag
// by accepting its enter (so that positions keep coming), refusing every
// position and the drop, and running the delay and the highlight here.
// Only the offered type names are looked at, never the data.
//
// The bar view owns one. Widget events:
//
//   dragEnterEvent(e)  -> accept the enter only when
//                         draggingEntered(e->mimeData()->formats()) is true
//   dragMoveEvent(e)   -> draggingUpdated(the tab under e->position(): its
//                         window id, active and suspended flags; none over
//                         the gap, the buttons or between tabs); then refuse
//                         the position (e->ignore(), no drop action)
//   dragLeaveEvent     -> draggingExited()
//   dropEvent          -> draggingExited(); refuse the drop
//   renderTabs         -> each new tab item takes highlightFor(its window)
//   onHighlightChanged -> every tab item takes highlightFor(its window) and
//                         repaints when that differs from what it shows
//
// Main thread only.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/Subscription.h"
#include "Platform/Types.h"

namespace tessaly {

class SpringLoadingDestination {
public:
    enum class Highlight { none, standard, emphasized };

    // How long the pointer rests on a tab before it springs.
    static constexpr double springLoadingDelay = 0.5;

    // The tab under the pointer.
    struct HoveredTab {
        WindowID windowID = 0;
        bool isActive = false;
        bool isSuspended = false;  // suspended or minimised
    };

    // The executor times the delay; without one a tab springs at once.
    explicit SpringLoadingDestination(std::shared_ptr<MainExecutor> executor);
    SpringLoadingDestination(const SpringLoadingDestination&) = delete;
    SpringLoadingDestination& operator=(const SpringLoadingDestination&) = delete;

    std::function<void(WindowID)> onSelect;      // a tab sprang: select its window
    std::function<void()> onHighlightChanged;    // repaint the tabs' highlights

    // A drag entered the bar. True when it offers a type that springs: the
    // bar then accepts the enter to keep receiving positions.
    bool draggingEntered(const std::vector<std::string>& offeredTypes);
    // The pointer moved over the bar. True when the hovered tab may spring
    // (its delay runs); false over no tab, over a tab that may not spring,
    // and for a drag that does not spring at all.
    bool draggingUpdated(const std::optional<HoveredTab>& tab);
    // The drag left the bar, was dropped on it (and refused) or ended.
    void draggingExited();

    // The highlight a tab shows now.
    Highlight highlightFor(WindowID windowID) const;

    bool isTracking() const { return tracking_; }
    std::optional<WindowID> springTarget() const { return springTarget_; }
    Highlight springHighlight() const { return springHighlight_; }

private:
    void setHighlight(Highlight highlight);
    void activated();
    void clear();

    std::shared_ptr<MainExecutor> executor_;
    bool tracking_ = false;
    std::optional<WindowID> springTarget_;
    Highlight springHighlight_ = Highlight::none;
    std::optional<WindowID> lastSprungWindow_;
    Subscription delayTimer_;
    LifetimeToken lifetime_;  // last
};

}  // namespace tessaly
