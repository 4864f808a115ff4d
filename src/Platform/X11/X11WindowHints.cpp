#include "Platform/X11/X11WindowHints.h"

#include <xcb/xcb_icccm.h>

#include <algorithm>

namespace tessaly {

std::optional<SizeHints> X11WindowHints::sizeHints(WindowID window) const {
    X11WindowCache* cache = backend_->windows().cache();
    if (cache) {
        if (const auto kept = cache->sizeHints(window)) return *kept;
    }
    const auto since = cache ? cache->generation() : 0;
    auto found = read(window);
    if (cache) cache->rememberSizeHints(since, window, found);
    return found;
}

bool X11WindowHints::refusesFocus(WindowID window) const {
    const auto& x = backend_->connection();
    xcb_connection_t* c = x.get();
    const auto hintsCookie = xcb_icccm_get_wm_hints(c, window);
    const auto protocolsCookie = xcb_icccm_get_wm_protocols(c, window, x.atoms().WM_PROTOCOLS);
    xcb_icccm_wm_hints_t hints{};
    const bool noInput = xcb_icccm_get_wm_hints_reply(c, hintsCookie, &hints, nullptr) &&
                         (hints.flags & XCB_ICCCM_WM_HINT_INPUT) && !hints.input;
    xcb_icccm_get_wm_protocols_reply_t protocols{};
    if (!xcb_icccm_get_wm_protocols_reply(c, protocolsCookie, &protocols, nullptr)) return noInput;
    bool takesFocus = false;
    for (std::uint32_t i = 0; i < protocols.atoms_len; ++i) takesFocus |= protocols.atoms[i] == x.atoms().WM_TAKE_FOCUS;
    xcb_icccm_get_wm_protocols_reply_wipe(&protocols);
    return noInput && !takesFocus;
}

std::optional<Rect> X11WindowHints::titleBar(WindowID window) const {
    const auto info = backend_->windows().read(window);
    if (!info) return std::nullopt;
    const Rect& f = info->frame;
    return Rect(f.minX(), f.minY(), f.width(), std::max(0.0, info->extents.less(info->margins).top));
}

std::optional<SizeHints> X11WindowHints::read(WindowID window) const {
    const auto& x = backend_->connection();
    xcb_size_hints_t hints{};
    if (!xcb_icccm_get_wm_normal_hints_reply(x.get(), xcb_icccm_get_wm_normal_hints(x.get(), window), &hints, nullptr)) {
        return std::nullopt;  // gone, or no hints
    }
    if (!(hints.flags & XCB_ICCCM_SIZE_HINT_P_RESIZE_INC)) return std::nullopt;
    // An increment of one pixel is none.
    const auto step = [](std::int32_t increment) { return increment > 1 ? static_cast<double>(increment) : 0.0; };
    SizeHints result;
    result.increment = Size{step(hints.width_inc), step(hints.height_inc)};
    if (result.increment.width == 0 && result.increment.height == 0) return std::nullopt;
    if (hints.flags & XCB_ICCCM_SIZE_HINT_BASE_SIZE) {
        result.base = Size{static_cast<double>(hints.base_width), static_cast<double>(hints.base_height)};
    } else if (hints.flags & XCB_ICCCM_SIZE_HINT_P_MIN_SIZE) {
        result.base = Size{static_cast<double>(hints.min_width), static_cast<double>(hints.min_height)};
    }
    return result;
}

}  // namespace tessaly
