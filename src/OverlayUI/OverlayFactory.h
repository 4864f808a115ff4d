#pragma once
// Makes the overlay's windows. The toolkit half implements it; tests use a
// recording fake (tests/OverlayUI/FakeOverlay.h). Main thread only.
#include <memory>

#include "OverlayUI/CrossPromptPanel.h"
#include "OverlayUI/GroupNameDialog.h"
#include "OverlayUI/InsertPreviewPanel.h"
#include "OverlayUI/MenuModel.h"
#include "OverlayUI/TabBarPanel.h"
#include "OverlayUI/TabColorPanelController.h"
#include "Platform/Geometry.h"
#include "Platform/Uuid.h"

namespace tessaly {

class OverlayFactory {
public:
    virtual ~OverlayFactory() = default;

    // A new bar for the group, hidden.
    virtual std::unique_ptr<TabBarPanel> makeTabBarPanel(const Uuid& groupID) = 0;
    virtual std::unique_ptr<InsertPreviewPanel> makeInsertPreviewPanel() = 0;
    virtual std::unique_ptr<CrossPromptPanel> makeCrossPromptPanel() = 0;
    virtual std::unique_ptr<GroupNameDialog> makeGroupNameDialog() = 0;
    virtual std::unique_ptr<TabColorPanelController> makeTabColorPanelController() = 0;

    // Pops the menu up with its top-left corner at `at` (global top-left)
    // without a nested event loop; returns at once. Handlers run later, on
    // the main thread, when an item is chosen.
    virtual void popUpMenu(MenuModel menu, Point at) = 0;

    // How many global (window-server) units one unit of the bars' own
    // content takes: more than 1 when the toolkit scales its windows. A
    // strip is laid out that much larger, so its content keeps its height.
    virtual double pixelsPerPoint() const { return 1.0; }
};

}  // namespace tessaly
