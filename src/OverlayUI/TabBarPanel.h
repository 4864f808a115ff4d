#pragma once
// One group's tab bar on screen, as the overlay manager drives it: a strip
// panel holding the tabs and, while the strip sits above the window, a
// backing panel under the window's top corners. Implemented by the toolkit
// half (made through OverlayFactory); tests use a recording fake.
//
// The bar turns every click and menu choice of its view into one intent of
// its delegate, naming its group first; cross-bar tab drags go to its drag
// coordinator. Main thread only.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "OverlayUI/DisplayMoveTarget.h"
#include "OverlayUI/OverlayPanel.h"
#include "OverlayUI/TabBarPanelDelegate.h"
#include "OverlayUI/TabDragCoordinating.h"
#include "OverlayUI/TabStripGeometry.h"
#include "OverlayUI/TabViewModel.h"
#include "Platform/Uuid.h"
#include "TessalyCore/ColorPreset.h"
#include "TessalyCore/SettingEnums.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

// What a bar asks of its owner when it builds its menus. Each is read at
// the moment it is needed; the owner's callbacks answer the neutral values
// (an empty list, true, an empty list) once the owner is gone.
struct TabBarProviders {
    std::function<std::vector<ColorPreset>()> presetsProvider;
    std::function<bool(WindowID)> hasSameAppCandidates;
    std::function<std::vector<DisplayMoveTarget>()> displayMoveTargetsProvider;
};

class TabBarPanel {
public:
    virtual ~TabBarPanel() = default;

    virtual const Uuid& groupID() const = 0;

    // Wiring, done by the overlay manager right after making the bar.
    virtual void setDelegate(std::weak_ptr<TabBarPanelDelegate> delegate) = 0;
    // Not owned; the coordinator outlives its bars.
    virtual void setDragCoordinator(TabDragCoordinating* coordinator) = 0;
    virtual void setProviders(TabBarProviders providers) = 0;

    // Settings: each repaints only when the value differs from the last one.
    virtual void setAppearanceMode(AppearanceMode mode) = 0;
    virtual void setTabBarOpacity(double opacity) = 0;
    virtual void setTabBadgeColor(const TabColor& color) = 0;

    // A new model: tabs in tab order, the group's name, accent and lock.
    // Titles and names are raw; the bar sanitises what it shows.
    virtual void render(const std::vector<TabViewModel>& tabs, const std::optional<std::string>& name,
                        const std::optional<TabColor>& groupAccent, bool isLocked) = 0;
    // One tab's title, without a full render.
    virtual void updateTitle(WindowID windowID, const std::string& title) = 0;

    // Puts the strip (and the backing band, when the layout has one; else
    // the backing is ordered out) at the layout's frames and takes the
    // layout's corner style. When the bar is not shown it is shown: the
    // strip ordered front, the backing directly below the strip.
    virtual void place(const TabStripGeometry::BarLayout& layout) = 0;
    // Shows the bar at its last frames; nothing when shown already.
    virtual void show() = 0;
    // Orders both panels out. Ends any press or gesture on the bar with the
    // callbacks a release would send.
    virtual void hide() = 0;
    // Hides the bar and closes its panels (and a drag chip) for good. The
    // bar object may be dropped right after, also from inside one of its
    // own callbacks: the toolkit half releases its widgets later.
    virtual void close() = 0;

    // The strip has been ordered in and not out since.
    virtual bool isShown() const = 0;
    // The lock state of the last render.
    virtual bool isLocked() const = 0;
    // The last placement put the strip above the window (the backing belongs on screen).
    virtual bool backingShown() const = 0;

    virtual OverlayPanel& stripPanel() = 0;
    virtual OverlayPanel& backingPanel() = 0;

    // Cross-bar drags: where a tab dropped at a global point would land
    // among this bar's tabs (0 when the bar is in no window), and the gap
    // shown there.
    virtual int dropIndex(Point globalPoint) const = 0;
    virtual void openDropGap(int index, double tabWidth) = 0;
    virtual void closeDropGap() = 0;
};

}  // namespace tessaly
