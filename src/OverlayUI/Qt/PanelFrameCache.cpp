#include "OverlayUI/Qt/PanelFrameCache.h"

#include "Platform/X11/X11Backend.h"

namespace tessaly {

PanelFrameCache::PanelFrameCache(const std::shared_ptr<X11Backend>& backend) : backend_(backend) {
    if (!backend_) return;
    subscription_ = backend_->subscribe([this](const X11Event& event) {
        using Kind = X11Event::Kind;
        std::lock_guard lock(mutex_);
        switch (event.kind) {
        case Kind::mapped:
        case Kind::unmapped:
        case Kind::reparented:
        case Kind::destroyed:
            frames_.erase(event.window);
            ++generation_;
            break;
        case Kind::clientListChanged:
        case Kind::windowManagerChanged:
            frames_.clear();
            shaped_.clear();
            ++generation_;
            break;
        case Kind::frameChanged:
            if (event.rootChild) {
                const auto it = frames_.find(event.window);
                if (it != frames_.end()) it->second = event.frameWindow;
            }
            break;
        default: break;
        }
    });
    remembers_ = static_cast<bool>(subscription_);
}

PanelFrameCache::~PanelFrameCache() {
    subscription_.cancel();  // before the backend reference can go on its own thread
}

X11PanelOps::XWindow PanelFrameCache::frameOf(WindowID window) {
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        const auto it = frames_.find(window);
        if (it != frames_.end()) return it->second;
        generation = generation_;
    }
    const X11PanelOps::XWindow frame = X11PanelOps::rootChildOf(window);
    if (frame != 0 && remembers_) {
        std::lock_guard lock(mutex_);
        if (generation == generation_) frames_[window] = frame;
    }
    return frame;
}

bool PanelFrameCache::isShaped(X11PanelOps::XWindow frame) {
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        if (const auto it = shaped_.find(frame); it != shaped_.end()) return it->second;
        generation = generation_;
    }
    const bool shaped = X11PanelOps::isShaped(frame);
    if (remembers_) {
        std::lock_guard lock(mutex_);
        if (generation == generation_) shaped_[frame] = shaped;
    }
    return shaped;
}

void PanelFrameCache::forget(WindowID window) {
    std::lock_guard lock(mutex_);
    frames_.erase(window);
    ++generation_;
}

std::size_t PanelFrameCache::size() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
}

}  // namespace tessaly
