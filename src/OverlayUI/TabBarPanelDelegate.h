#pragma once
// The intents a tab bar sends to the group session. Every one names the
// group first. None returns a value: a bar learns the outcome only from the
// next model the overlay manager renders.
//
// Naming: each intent is "tabBar" followed by every argument label of the
// intent after the group, capitalised and joined, so that no two intents
// share a name:
//   select a tab               -> tabBarDidSelectTab(group, window)
//   move a tab to an index     -> tabBarDidMoveTabToIndex(group, window, index)
//   move a tab to another bar  -> tabBarDidMoveTabToGroupAtIndex(group, window, target, index)
//   set a tab's accent         -> tabBarDidSetAccentForTab(group, accent, window)
// Intents without further arguments keep their plain name
// (tabBarDidToggleLock(group)).
//
// The overlay manager and the bars hold the delegate weakly (a
// std::weak_ptr). An owner that is not itself held by a shared_ptr can hand
// out an aliasing pointer tied to a token of its own:
//   std::shared_ptr<char> alive_ = std::make_shared<char>();
//   overlay.setTabDelegate(std::shared_ptr<TabBarPanelDelegate>(alive_, this));
// which expires when the owner drops alive_.
#include <optional>
#include <string>

#include "Platform/Geometry.h"
#include "Platform/InputMonitor.h"
#include "Platform/Types.h"
#include "Platform/Uuid.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

class TabBarPanelDelegate {
public:
    virtual ~TabBarPanelDelegate() = default;

    // 1. A tab clicked, or hovered long enough by a spring-loaded drag.
    virtual void tabBarDidSelectTab(const Uuid& groupID, WindowID windowID) = 0;
    // 2. A tab's close request.
    virtual void tabBarDidCloseTab(const Uuid& groupID, WindowID windowID) = 0;
    // 3. An in-bar reorder dropped at `index`.
    virtual void tabBarDidMoveTabToIndex(const Uuid& groupID, WindowID windowID, int index) = 0;
    // 4. A tab dragged out of its bar and released over another group's bar
    //    (sent only by the overlay manager).
    virtual void tabBarDidMoveTabToGroupAtIndex(const Uuid& groupID, WindowID windowID, const Uuid& targetGroupID,
                                                int index) = 0;
    // 5. A tab popped out of its group (button, menu or drag).
    virtual void tabBarDidPopOutTab(const Uuid& groupID, WindowID windowID) = 0;
    // 6. Gather the other windows of the tab's application into the group.
    virtual void tabBarDidRequestGroupSameAppForTab(const Uuid& groupID, WindowID windowID) = 0;
    // 7. Lock or unlock the group.
    virtual void tabBarDidToggleLock(const Uuid& groupID) = 0;
    // 8. Dissolve the group.
    virtual void tabBarDidRequestUngroup(const Uuid& groupID) = 0;
    // 9. Close every window of the group.
    virtual void tabBarDidRequestCloseGroup(const Uuid& groupID) = 0;
    // 10. The bar background dragged by `delta` (points, since the last step),
    // with the modifiers the pointer event carried: the keyboard may have
    // been let go by the time a late step is handled.
    virtual void tabBarDidDragBy(const Uuid& groupID, Point delta, EventFlags modifiers) = 0;
    // 11. The mouse released after a bar drag.
    virtual void tabBarDidEndDrag(const Uuid& groupID) = 0;
    // 12. A press on the bar background; also after the group-name dialog closes.
    virtual void tabBarDidActivate(const Uuid& groupID) = 0;
    // 13. A double click on the bar: maximise or restore.
    virtual void tabBarDidRequestMaximize(const Uuid& groupID) = 0;
    // 14. The group-name dialog's outcome; absent clears the name.
    virtual void tabBarDidRenameGroup(const Uuid& groupID, const std::optional<std::string>& name) = 0;
    // 15. Open the settings window.
    virtual void tabBarDidRequestSettings(const Uuid& groupID) = 0;
    // 16. The add button: `anchor` is the button's frame in global top-left
    //     coordinates, where the add-window menu pops up.
    virtual void tabBarDidClickAdd(const Uuid& groupID, const Rect& anchor) = 0;
    // 17. A display row: move the group to display `index`.
    virtual void tabBarDidRequestMoveToDisplay(const Uuid& groupID, int index) = 0;
    // 18. A tab's colour chosen (absent clears it).
    virtual void tabBarDidSetAccentForTab(const Uuid& groupID, const std::optional<TabColor>& accent,
                                          WindowID windowID) = 0;
    // 19. A tab's custom colour item.
    virtual void tabBarDidRequestCustomAccentForTab(const Uuid& groupID, WindowID windowID) = 0;
    // 20. The group's colour chosen (absent clears it).
    virtual void tabBarDidSetGroupAccent(const Uuid& groupID, const std::optional<TabColor>& accent) = 0;
    // 21. The group's custom colour item.
    virtual void tabBarDidRequestCustomGroupAccent(const Uuid& groupID) = 0;
    // 22. The auto-colour rules item of a tab's colour menu.
    virtual void tabBarDidRequestAutoColorRules(const Uuid& groupID) = 0;
};

}  // namespace tessaly
