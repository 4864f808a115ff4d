#pragma once
// Badges that applications show on their launcher tiles (unread counts and
// similar labels), read from the process that shows the tiles.
#include <optional>
#include <string>
#include <vector>

#include "Platform/Accessibility.h"
#include "Platform/Types.h"

namespace tessaly {

// One tile, as the host reports it; either field may be unreadable.
struct DockTile {
    std::optional<std::string> statusLabel;  // the badge text
    std::optional<std::string> url;          // the tile's location (a file URL or a path)
};

class DockBadges {
public:
    virtual ~DockBadges() = default;

    // The process that hosts the tiles, or absent when none runs.
    virtual std::optional<ProcessID> dockProcess() const = 0;
    // The tiles of that host, in its order. Blocks for up to `timeout`
    // seconds; answers the tiles read so far (possibly none) on a time-out
    // or when `host` is not the tile host any more.
    virtual std::vector<DockTile> tiles(ProcessID host, AXTimeout timeout) const = 0;
};

}  // namespace tessaly
