#pragma once
// Whether a compositing manager runs on the X server: the owner of
// _NET_WM_CM_Sn, followed from the backend's event reader as compositing
// managers start and stop (or die). Main thread only; changes are posted
// to the main executor.
#include "Platform/Compositing.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/ObserverList.h"
#include "Platform/X11/X11Backend.h"

#include <functional>
#include <memory>

namespace tessaly {

class X11Compositing final : public Compositing {
public:
    X11Compositing(std::shared_ptr<X11Backend> backend, std::shared_ptr<MainExecutor> main);
    ~X11Compositing() override;
    X11Compositing(const X11Compositing&) = delete;
    X11Compositing& operator=(const X11Compositing&) = delete;

    bool isActive() const override { return active_; }
    Subscription addObserver(std::function<void()> handler) override { return observers_.add(std::move(handler)); }

private:
    void update(bool active);

    std::shared_ptr<X11Backend> backend_;
    std::shared_ptr<MainExecutor> main_;
    bool active_ = false;
    ObserverList observers_;
    LifetimeToken lifetime_;
    Subscription events_;  // last: ends first, before the rest goes
};

}  // namespace tessaly
