#pragma once
// Reads the badges that applications show on their launcher tiles, keyed by
// the standardised file path of each tile's location (for an application,
// the path of its bundle or desktop entry). Used from one serial queue at a
// time.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "Platform/DockBadges.h"
#include "Platform/Types.h"

namespace tessaly {

using BadgeMap = std::map<std::string, std::string>;

class DockBadgeReader {
public:
    static constexpr float dockTimeout = 0.25f;

    explicit DockBadgeReader(std::shared_ptr<DockBadges> badges);

    // Every tile's badge; empty when the launcher host cannot be reached.
    BadgeMap read();

    std::optional<ProcessID> dockPID() const { return dockPID_; }

private:
    std::optional<ProcessID> dockApplication();

    std::shared_ptr<DockBadges> badges_;
    std::optional<ProcessID> dockPID_;
};

}  // namespace tessaly
