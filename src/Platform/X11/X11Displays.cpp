#include "Platform/X11/X11Displays.h"

#include "Platform/X11/X11Monitors.h"

namespace tessaly {

namespace {

bool mayChangeScreens(X11Event::Kind kind) {
    using Kind = X11Event::Kind;
    switch (kind) {
    case Kind::screenChanged:
    case Kind::clientListChanged:  // a dock's struts come and go with it
    case Kind::windowManagerChanged:
    case Kind::connectionLost: return true;
    default: return false;
    }
}

}  // namespace

X11Displays::X11Displays(std::shared_ptr<X11Backend> backend) : backend_(std::move(backend)) {
    subscription_ = backend_->subscribe([this](const X11Event& event) {
        if (mayChangeScreens(event.kind)) changes_.fetch_add(1);
    });
}

X11Displays::~X11Displays() { subscription_.cancel(); }

std::vector<DisplayInfo> X11Displays::screens() const {
    std::lock_guard lock(mutex_);
    const std::uint64_t before = changes_.load();
    if (kept_ && keptAt_ == before) return *kept_;
    std::vector<DisplayInfo> screens;
    if (!backend_->connection().isAlive()) return screens;
    for (const auto& m : X11Monitors(backend_->connection()).monitors()) {
        screens.push_back(DisplayInfo{m.id, m.name, m.frame, m.visibleFrame});
    }
    // A report that came in meanwhile may have been read or not.
    if (subscription_.isActive() && changes_.load() == before) {
        kept_ = screens;
        keptAt_ = before;
    }
    return screens;
}

}  // namespace tessaly
