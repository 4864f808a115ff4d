#include "AXKit/DockBadgeReader.h"

#include <utility>

#include "AXKit/URLText.h"

namespace tessaly {

DockBadgeReader::DockBadgeReader(std::shared_ptr<DockBadges> badges) : badges_(std::move(badges)) {}

std::optional<ProcessID> DockBadgeReader::dockApplication() {
    const std::optional<ProcessID> pid = badges_ ? badges_->dockProcess() : std::nullopt;
    if (!pid) {
        dockPID_.reset();
        return std::nullopt;
    }
    // A restarted host (new pid) replaces the cached one.
    dockPID_ = pid;
    return dockPID_;
}

BadgeMap DockBadgeReader::read() {
    BadgeMap result;
    const std::optional<ProcessID> dock = dockApplication();
    if (!dock) return result;
    for (const DockTile& tile : badges_->tiles(*dock, dockTimeout)) {
        if (!tile.statusLabel || tile.statusLabel->empty()) continue;
        if (!tile.url) continue;
        result[standardizedFilePath(*tile.url)] = *tile.statusLabel;
    }
    return result;
}

}  // namespace tessaly
