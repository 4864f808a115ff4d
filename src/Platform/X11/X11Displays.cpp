#include "Platform/X11/X11Displays.h"

#include "Platform/X11/X11Monitors.h"

namespace tessaly {

std::vector<DisplayInfo> X11Displays::screens() const {
    std::vector<DisplayInfo> screens;
    if (!backend_->connection().isAlive()) return screens;
    for (const auto& m : X11Monitors(backend_->connection()).monitors()) {
        screens.push_back(DisplayInfo{m.id, m.name, m.frame, m.visibleFrame});
    }
    return screens;
}

}  // namespace tessaly
