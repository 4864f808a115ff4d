#pragma once
// Connects the system colour chooser to one custom-colour request at a
// time: every colour change while it is open goes to the latest request's
// callback; closing it ends the request.
#include <functional>
#include <optional>

#include "TessalyCore/TabColor.h"

namespace tessaly {

class TabColorPanelController {
public:
    virtual ~TabColorPanelController() = default;

    // Replaces any earlier request (which gets no further calls), preselects
    // `initial` when given and brings the chooser to the front.
    virtual void begin(const std::optional<TabColor>& initial, std::function<void(TabColor)> onPick) = 0;
};

}  // namespace tessaly
