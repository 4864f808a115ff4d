#include "Platform/X11/X11Displays.h"

namespace tessaly {

X11Displays::X11Displays(std::shared_ptr<X11Backend> backend) : backend_(std::move(backend)) {}

std::vector<DisplayInfo> X11Displays::screens() const {
    std::vector<DisplayInfo> screens;
    if (!backend_->connection().isAlive()) return screens;
    for (const auto& m : backend_->monitors()) {
        screens.push_back(DisplayInfo{m.id, m.name, m.frame, m.visibleFrame});
    }
    return screens;
}

}  // namespace tessaly
