#pragma once
// An application's icon as plain pixels, so that code without a toolkit can
// carry it: 32-bit ARGB, not premultiplied, row by row (the layout of
// _NET_WM_ICON). The toolkit half turns it into its own image type once.
#include <cstdint>
#include <memory>
#include <vector>

#include "Platform/Types.h"

namespace tessaly {

struct AppIcon {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;  // width * height pixels
};

class AppIconSource {
public:
    virtual ~AppIconSource() = default;
    // The icon of the application that owns `pid`'s windows; a generic icon
    // when it has none of its own; null only when no icon at all can be had.
    // Cached per application.
    virtual std::shared_ptr<const AppIcon> icon(ProcessID pid) = 0;
};

}  // namespace tessaly
