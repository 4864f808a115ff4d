#include "Platform/X11/X11LauncherBadges.h"

#include "Platform/X11/X11Applications.h"
#include "Platform/X11/X11BusSignals.h"

#include <unistd.h>

#include <cstring>

namespace tessaly {

namespace {

// Reads one "sv" dictionary value that holds `type` ("x", "i", "b"); false
// (with the value skipped) for any other content.
bool readVariant(sd_bus_message* m, const char* type, void* out) {
    const char* contents = nullptr;
    if (sd_bus_message_peek_type(m, nullptr, &contents) <= 0 || !contents || std::strcmp(contents, type) != 0) {
        sd_bus_message_skip(m, "v");
        return false;
    }
    if (sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, type) <= 0) return false;
    const bool ok = sd_bus_message_read_basic(m, type[0], out) > 0;
    sd_bus_message_exit_container(m);
    return ok;
}

}  // namespace

X11LauncherBadges::X11LauncherBadges(const std::string& busAddress, std::vector<std::filesystem::path> applicationDirs)
    : dirs_(applicationDirs.empty() ? desktopEntryDirectories() : std::move(applicationDirs)) {
    X11BusSignals::Match match;
    match.interface = "com.canonical.Unity.LauncherEntry";
    match.member = "Update";
    listener_ = X11BusSignals::listen(X11BusSignals::Bus::session, busAddress, match, [this](sd_bus_message* m) {
        const char* uri = nullptr;
        if (sd_bus_message_read(m, "s", &uri) < 0 || !uri) return;
        std::optional<std::int64_t> count;
        std::optional<bool> visible;
        if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}") <= 0) return;
        while (sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv") > 0) {
            const char* key = nullptr;
            if (sd_bus_message_read(m, "s", &key) < 0 || !key) return;
            if (std::strcmp(key, "count") == 0) {
                std::int64_t wide = 0;
                std::int32_t narrow = 0;
                if (readVariant(m, "x", &wide)) count = wide;
                else if (readVariant(m, "i", &narrow)) count = narrow;
            } else if (std::strcmp(key, "count-visible") == 0) {
                int flag = 0;
                if (readVariant(m, "b", &flag)) visible = flag != 0;
            } else {
                sd_bus_message_skip(m, "v");
            }
            sd_bus_message_exit_container(m);
        }
        sd_bus_message_exit_container(m);
        update(uri, count, visible);
    });
}

X11LauncherBadges::~X11LauncherBadges() { listener_.reset(); }

void X11LauncherBadges::setOnUpdate(std::function<void()> onUpdate) {
    std::lock_guard lock(mutex_);
    onUpdate_ = std::move(onUpdate);
}

void X11LauncherBadges::update(const std::string& uri, std::optional<std::int64_t> count, std::optional<bool> visible) {
    std::function<void()> notify;
    {
        std::lock_guard lock(mutex_);
        Entry& e = entries_[uri];
        if (count) e.count = *count;
        if (visible) e.countVisible = *visible;
        notify = onUpdate_;
    }
    if (notify) notify();
}

std::optional<ProcessID> X11LauncherBadges::dockProcess() const {
    if (!listener_) return std::nullopt;
    return static_cast<ProcessID>(getpid());
}

std::string X11LauncherBadges::locationOf(const std::string& uri) const {
    constexpr std::string_view scheme = "application://";
    if (!uri.starts_with(scheme)) return uri;
    const std::string file = uri.substr(scheme.size());
    std::error_code ec;
    for (const auto& dir : dirs_) {
        if (std::filesystem::exists(dir / file, ec)) return (dir / file).string();
    }
    return dirs_.empty() ? file : (dirs_.back() / file).string();
}

std::vector<DockTile> X11LauncherBadges::tiles(ProcessID host, AXTimeout) const {
    std::vector<DockTile> result;
    if (!listener_ || host != static_cast<ProcessID>(getpid())) return result;
    std::map<std::string, Entry> entries;
    {
        std::lock_guard lock(mutex_);
        entries = entries_;
    }
    for (const auto& [uri, e] : entries) {
        DockTile tile;
        tile.url = locationOf(uri);
        if (e.countVisible && e.count > 0) tile.statusLabel = std::to_string(e.count);
        result.push_back(std::move(tile));
    }
    return result;
}

}  // namespace tessaly
