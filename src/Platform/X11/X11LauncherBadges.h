#pragma once
// Launcher badges on Linux desktops: applications announce their unread
// counts with com.canonical.Unity.LauncherEntry "Update" signals on the
// session bus (application URI "application://ID.desktop" and a dictionary
// with "count" and "count-visible"). This process listens and so is the
// tile host itself; each tile's location is the desktop entry's path.
#include "Platform/DockBadges.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tessaly {

class X11BusSignals;

class X11LauncherBadges final : public DockBadges {
public:
    // Listens on the session bus, or on the bus at `busAddress`. Without a
    // bus there is no host (dockProcess() is absent).
    explicit X11LauncherBadges(const std::string& busAddress = {},
                               std::vector<std::filesystem::path> applicationDirs = {});
    ~X11LauncherBadges() override;

    std::optional<ProcessID> dockProcess() const override;
    std::vector<DockTile> tiles(ProcessID host, AXTimeout timeout) const override;

    // Runs on the listener's thread after each update (for tests to wait on).
    void setOnUpdate(std::function<void()> onUpdate);

private:
    struct Entry {
        std::int64_t count = 0;
        bool countVisible = false;
    };
    void update(const std::string& uri, std::optional<std::int64_t> count, std::optional<bool> visible);
    std::string locationOf(const std::string& uri) const;

    std::vector<std::filesystem::path> dirs_;
    mutable std::mutex mutex_;
    std::map<std::string, Entry> entries_;  // by application URI
    std::function<void()> onUpdate_;
    std::unique_ptr<X11BusSignals> listener_;  // last: stops before the rest goes
};

}  // namespace tessaly
