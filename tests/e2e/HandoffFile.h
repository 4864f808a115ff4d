#pragma once
// A relaunch handoff written for the program's next start, as the program
// itself writes one before it relaunches: the groups to rebuild, each a
// frame and its members (window and process; the first member active). The
// program rebuilds them at start, which makes many groups at once without
// dragging a single title bar.
#include "Platform/Geometry.h"
#include "Platform/Types.h"

#include <nlohmann/json.hpp>

#include <sys/types.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tessaly::e2e {

struct HandoffMember {
    std::uint32_t window = 0;
    pid_t pid = 0;
    std::string title = "window";
};

struct HandoffGroup {
    Rect frame;
    std::vector<HandoffMember> members;  // in tab order; the first is active
};

// The handoff file's text, fresh now (the machine's boot time and the
// uptime as the program reads them).
inline std::string handoffJson(const std::vector<HandoffGroup>& groups) {
    const auto seconds = [](clockid_t clock) {
        timespec t{};
        clock_gettime(clock, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    const double uptime = seconds(CLOCK_BOOTTIME);
    const double bootTime = seconds(CLOCK_REALTIME) - uptime;
    nlohmann::json list = nlohmann::json::array();
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const auto& group = groups[i];
        nlohmann::json members = nlohmann::json::array();
        for (const auto& m : group.members) {
            members.push_back({{"windowID", m.window}, {"pid", m.pid}, {"lastKnownTitle", m.title}});
        }
        std::string serial = std::to_string(i + 1);
        const std::string id = "00000000-0000-4000-8000-" + std::string(12 - std::min<std::size_t>(12, serial.size()), '0') + serial;
        const Rect& f = group.frame;
        list.push_back({{"id", id},
                        {"frame", {{f.origin.x, f.origin.y}, {f.size.width, f.size.height}}},
                        {"activeWindowID", group.members.empty() ? 0u : group.members.front().window},
                        {"members", members}});
    }
    return nlohmann::json{{"schemaVersion", 1}, {"bootTime", bootTime}, {"writtenAtUptime", uptime}, {"groups", list}}
        .dump();
}

}  // namespace tessaly::e2e
