#include "Platform/X11/X11Compositing.h"

namespace tessaly {

X11Compositing::X11Compositing(std::shared_ptr<X11Backend> backend, std::shared_ptr<MainExecutor> main)
    : backend_(std::move(backend)), main_(std::move(main)) {
    if (!backend_ || !main_) return;
    // Watched first, read then: a change in between is posted after the read.
    events_ = backend_->subscribe([main = main_, alive = lifetime_.watch(), this](const X11Event& event) {
        if (event.kind != X11Event::Kind::compositorChanged) return;
        main->post([alive, this, active = event.composited] {
            if (!alive.expired()) update(active);
        });
    });
    active_ = backend_->connection().isComposited();
}

X11Compositing::~X11Compositing() {
    events_.cancel();  // before the backend reference can go on its own thread
}

void X11Compositing::update(bool active) {
    if (active == active_) return;
    active_ = active;
    observers_.notify();
}

}  // namespace tessaly
