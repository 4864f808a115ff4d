#pragma once
// The drag-to-group machinery while drag grouping is on: the mouse tap, the
// recogniser, the session's answers to it, the insert preview and the drag
// tick. The environment is declared before the controller that refers to it,
// so it outlives it.
#include <memory>

#include "OverlayUI/InsertPreviewPanel.h"
#include "Platform/Subscription.h"
#include "TessalyCore/DragGroupingController.h"
#include "TessalyCore/DragSettings.h"
#include "TessalyCore/EventTapMonitor.h"
#include "TessalySession/LiveDragEnvironment.h"

namespace tessaly {

struct DragIntegration {
    std::unique_ptr<EventTapMonitor> monitor;
    std::unique_ptr<LiveDragEnvironment> environment;
    std::unique_ptr<DragGroupingController> controller;
    std::unique_ptr<InsertPreviewPanel> preview;
    Subscription tickTimer;  // empty while no press is watched
    DragSettings settings;
};

}  // namespace tessaly
