#pragma once
// Window hints over X11. Size: WM_NORMAL_HINTS (ICCCM) of a client, its size
// increments and the base size they count from (the minimum size where the
// client gives no base, as ICCCM says); one round trip per window asked,
// unless the backend keeps the client (see X11WindowCache). Focus: ICCCM's
// "no input" model, WM_HINTS with input false and no WM_TAKE_FOCUS among
// WM_PROTOCOLS (xeyes); one round trip per window asked. Title bar: the
// decoration's top (_NET_FRAME_EXTENTS, or measured from the window
// manager's frame where it publishes none) less any invisible margin the
// client keeps above what it shows (_GTK_FRAME_EXTENTS); from memory while
// the backend keeps the client.
#include "Platform/WindowHints.h"
#include "Platform/X11/X11Backend.h"

#include <memory>

namespace tessaly {

class X11WindowHints final : public WindowHints {
public:
    explicit X11WindowHints(std::shared_ptr<X11Backend> backend) : backend_(std::move(backend)) {}
    std::optional<SizeHints> sizeHints(WindowID window) const override;
    bool refusesFocus(WindowID window) const override;
    std::optional<Rect> titleBar(WindowID window) const override;

private:
    std::optional<SizeHints> read(WindowID window) const;
    std::shared_ptr<X11Backend> backend_;
};

}  // namespace tessaly
