#pragma once
// How a bar hands a tab that was dragged out of it to whoever knows every
// bar (the overlay manager), so that another group's bar can take it.
// Points are global top-left coordinates.
#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "Platform/Uuid.h"

namespace tessaly {

class TabDragCoordinating {
public:
    virtual ~TabDragCoordinating() = default;

    // The popped-out tab of `sourceGroupID` is at `point`; `tabWidth` is its width.
    virtual void tabDrag(const Uuid& sourceGroupID, Point point, double tabWidth) = 0;
    // Released while popped out: true when another bar took the tab (the
    // source bar then only ends its drag), false when there was no target
    // (the source bar pops the tab out of its group).
    virtual bool tabDragCommit(const Uuid& sourceGroupID, WindowID windowID) = 0;
    // The drag ended without a drop, or came back to its own bar.
    virtual void tabDragCancel(const Uuid& sourceGroupID) = 0;
};

}  // namespace tessaly
