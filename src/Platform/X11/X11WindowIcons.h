#pragma once
// The icons clients put on their windows: _NET_WM_ICON, a list of images,
// each its width, its height and then width * height ARGB pixels; or, from
// older clients, the icon pixmap (and its mask) of WM_HINTS. Both come from
// another process, so they are read with a cap and checked against what
// was really read.
#include "Platform/AppIcon.h"
#include "Platform/Types.h"
#include "Platform/X11/X11Connection.h"
#include "Platform/X11/X11Windows.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tessaly {

class X11WindowIcons {
public:
    // At most this much of a window's property is read; images past it are
    // not seen.
    static constexpr std::uint32_t kMaxPropertyBytes = 1u << 20;
    // Images wider or taller than this are passed over.
    static constexpr int kMaxSide = 512;
    static constexpr int kPreferredSide = 32;

    X11WindowIcons(const X11Connection& connection, const X11Windows& windows);

    // The window's image whose larger side is nearest `preferredSide` (the
    // larger one on a tie); none when it has no usable image.
    std::optional<AppIcon> windowIcon(xcb_window_t window, int preferredSide = kPreferredSide) const;
    // The icon of the first managed client of `pid`, in client-list order,
    // that has one.
    std::optional<AppIcon> processIcon(ProcessID pid, int preferredSide = kPreferredSide) const;

    // The icon WM_HINTS names: its icon pixmap, with its mask when it names
    // one. The pixmaps are the client's: of depth 1 (drawn black on white)
    // or the screen's, at most kMaxSide on a side, with as much image data
    // as their size needs; anything else gives none.
    std::optional<AppIcon> hintsIcon(xcb_window_t window) const;
    // The same for the first managed client of `pid` that has one.
    std::optional<AppIcon> processHintsIcon(ProcessID pid) const;

    // Picks an image out of the property's values. An image with a zero
    // side or one that runs past the end of `values` ends the list (the
    // data is cut short or corrupt); images larger than kMaxSide are passed
    // over.
    static std::optional<AppIcon> pick(std::span<const std::uint32_t> values, int preferredSide = kPreferredSide);

private:
    // What `read` answers for the first managed client of `pid` that gives something.
    template <typename Read>
    std::optional<AppIcon> firstOfProcess(ProcessID pid, Read read) const;

    const X11Connection& x_;
    const X11Windows& windows_;
    xcb_atom_t iconAtom_ = XCB_ATOM_NONE;
};

}  // namespace tessaly
