#pragma once
// The groups carried across a relaunch, with the boot time and the uptime at
// writing, and the file that holds them between the two processes.
//
// File form (compact JSON, absent optionals left out, null read as absent):
//   {"schemaVersion": 1, "bootTime": 1799990000.5, "writtenAtUptime": 10000.25,
//    "groups": [{"id": "<UUID>", "name": "Work", "groupAccent": {"red": ...},
//                "frame": [[x, y], [width, height]], "activeWindowID": 7,
//                "members": [{"windowID": 7, "pid": 100, "lastKnownTitle": "...",
//                             "titleOverride": "...", "accent": {...}}]}]}
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "Platform/Uuid.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

struct UpdateHandoff {
    struct Member {
        WindowID windowID = 0;
        ProcessID pid = 0;
        std::string lastKnownTitle;
        std::optional<std::string> titleOverride;
        std::optional<TabColor> accent;

        friend bool operator==(const Member&, const Member&) = default;
    };

    struct Group {
        Uuid id;
        std::optional<std::string> name;
        std::optional<TabColor> groupAccent;
        Rect frame;
        WindowID activeWindowID = 0;
        std::vector<Member> members;  // tab order

        // A sane frame (Rect::isSane) and no window listed twice: a group
        // that can be written and rebuilt.
        bool isSound() const;

        friend bool operator==(const Group&, const Group&) = default;
    };

    static constexpr std::int64_t currentSchemaVersion = 1;
    static constexpr double timeToLive = 120.0;        // seconds
    static constexpr double bootTimeTolerance = 5.0;   // seconds

    std::int64_t schemaVersion = currentSchemaVersion;
    double bootTime = 0;         // seconds since 1970
    double writtenAtUptime = 0;  // seconds since boot, as now - bootTime
    std::vector<Group> groups;   // engine order

    UpdateHandoff() = default;
    UpdateHandoff(double bootTimeValue, double writtenAtUptimeValue, std::vector<Group> groupsValue)
        : bootTime(bootTimeValue), writtenAtUptime(writtenAtUptimeValue), groups(std::move(groupsValue)) {}

    // Written in the same boot (boot times within 5 s) and no more than 120 s
    // before `uptime`, both ends included. Any non-finite value is stale.
    bool isFresh(double currentBootTime, double uptime) const;

    // The JSON document. Groups that are not sound are left out and logged.
    nlohmann::json toJSON() const;
    // Reads a document of any schema version. Groups that are not sound, or
    // that repeat an earlier group's id, are dropped and logged; names are
    // trimmed as the engine stores them (an empty one is absent). Absent
    // (with `error` set) when the document does not have the file's shape.
    static std::optional<UpdateHandoff> fromJSON(const nlohmann::json& document, std::string* error = nullptr);

    friend bool operator==(const UpdateHandoff&, const UpdateHandoff&) = default;
};

// Writes the handoff file and takes it back once.
class UpdateHandoffStore {
public:
    // Without a file, the default location; when there is none either, the
    // store writes nothing and finds nothing.
    explicit UpdateHandoffStore(std::optional<std::filesystem::path> fileURL = std::nullopt);

    // $XDG_DATA_HOME/Tessaly/update-handoff.json (else ~/.local/share/...),
    // else under $XDG_RUNTIME_DIR; never a shared temporary folder.
    static std::optional<std::filesystem::path> defaultLocation();

    const std::optional<std::filesystem::path>& fileURL() const { return fileURL_; }

    // Creates the folder and writes the file atomically, readable by the
    // user alone. A failure is logged ("update handoff not written: ...") and
    // leaves an older file as it was.
    void write(const UpdateHandoff& handoff) const;

    // Reads the file, removes it whatever it held, and returns the handoff
    // when it decodes with schema version 1. Unreadable, oversized, damaged
    // or foreign files are logged and answer absent.
    std::optional<UpdateHandoff> takeAndDelete() const;

private:
    std::optional<std::filesystem::path> fileURL_;
};

}  // namespace tessaly
