#include "TessalyCore/UpdateHandoff.h"

#include <cmath>
#include <set>

#include <nlohmann/json.hpp>

#include "Platform/AtomicFile.h"
#include "Platform/JsonReading.h"
#include "Platform/Log.h"
#include "Platform/XdgDirectories.h"
#include "TessalyCore/TabGroup.h"

namespace tessaly {

namespace {

using json = nlohmann::json;
using namespace json_reading;

void logUpdate(const std::string& message) { Log::error(LogCategory::update, message); }

json encodeMember(const UpdateHandoff::Member& member) {
    json object = json::object();
    object["windowID"] = member.windowID;
    object["pid"] = member.pid;
    object["lastKnownTitle"] = member.lastKnownTitle;
    if (member.titleOverride) object["titleOverride"] = *member.titleOverride;
    if (member.accent) object["accent"] = *member.accent;
    return object;
}

json encodeGroup(const UpdateHandoff::Group& group) {
    json object = json::object();
    object["id"] = group.id.uuidString();
    if (group.name) object["name"] = *group.name;
    if (group.groupAccent) object["groupAccent"] = *group.groupAccent;
    object["frame"] = json::array({json::array({group.frame.origin.x, group.frame.origin.y}),
                                   json::array({group.frame.size.width, group.frame.size.height})});
    object["activeWindowID"] = group.activeWindowID;
    json members = json::array();
    for (const auto& member : group.members) members.push_back(encodeMember(member));
    object["members"] = std::move(members);
    return object;
}

std::optional<TabColor> optionalColor(const json& object, const char* key) {
    const json* value = optionalMember(object, key);
    if (!value) return std::nullopt;
    return value->get<TabColor>();
}

std::optional<std::string> optionalText(const json& object, const char* key) {
    const json* value = optionalMember(object, key);
    if (!value) return std::nullopt;
    return requireString(*value, key);
}

UpdateHandoff::Member decodeMember(const json& object) {
    UpdateHandoff::Member member;
    member.windowID = requireUInt32(requireMember(object, "windowID"), "windowID");
    member.pid = requireInt32(requireMember(object, "pid"), "pid");
    member.lastKnownTitle = requireString(requireMember(object, "lastKnownTitle"), "lastKnownTitle");
    member.titleOverride = optionalText(object, "titleOverride");
    member.accent = optionalColor(object, "accent");
    return member;
}

Rect decodeFrame(const json& value) {
    auto pair = [](const json& p) {
        if (!p.is_array() || p.size() != 2) {
            throw json::type_error::create(302, "frame must be [[x, y], [width, height]]", nullptr);
        }
        return std::pair(requireNumber(p[0], "frame"), requireNumber(p[1], "frame"));
    };
    if (!value.is_array() || value.size() != 2) {
        throw json::type_error::create(302, "frame must be [[x, y], [width, height]]", nullptr);
    }
    const auto [x, y] = pair(value[0]);
    const auto [width, height] = pair(value[1]);
    return Rect(x, y, width, height);
}

UpdateHandoff::Group decodeGroup(const json& object) {
    UpdateHandoff::Group group;
    group.id = requireUuid(requireMember(object, "id"), "id");
    // Names are kept the way the engine stores them: trimmed, never empty.
    group.name = storedGroupName(optionalText(object, "name"));
    group.groupAccent = optionalColor(object, "groupAccent");
    group.frame = decodeFrame(requireMember(object, "frame"));
    group.activeWindowID = requireUInt32(requireMember(object, "activeWindowID"), "activeWindowID");
    const json& members = requireMember(object, "members");
    if (!members.is_array()) throw json::type_error::create(302, "members must be an array", nullptr);
    for (const auto& member : members) group.members.push_back(decodeMember(member));
    return group;
}

}  // namespace

bool UpdateHandoff::Group::isSound() const {
    if (!frame.isSane()) return false;
    std::set<WindowID> seen;
    for (const auto& member : members) {
        if (!seen.insert(member.windowID).second) return false;
    }
    return true;
}

bool UpdateHandoff::isFresh(double currentBootTime, double uptime) const {
    const double age = uptime - writtenAtUptime;
    // Every comparison with NaN is false, so a non-finite value is stale.
    return std::fabs(currentBootTime - bootTime) <= bootTimeTolerance && age >= 0 && age <= timeToLive;
}

json UpdateHandoff::toJSON() const {
    json document = json::object();
    document["schemaVersion"] = schemaVersion;
    document["bootTime"] = bootTime;
    document["writtenAtUptime"] = writtenAtUptime;
    json list = json::array();
    for (const auto& group : groups) {
        if (!group.isSound()) {
            logUpdate("update handoff: group " + group.id.uuidString() +
                      " left out (its frame is out of any screen's range or it lists a window twice)");
            continue;
        }
        list.push_back(encodeGroup(group));
    }
    document["groups"] = std::move(list);
    return document;
}

std::optional<UpdateHandoff> UpdateHandoff::fromJSON(const json& document, std::string* error) {
    try {
        if (!document.is_object()) throw json::type_error::create(302, "the document is not a JSON object", nullptr);
        UpdateHandoff handoff;
        const auto version = int64Value(requireMember(document, "schemaVersion"));
        if (!version) throw json::type_error::create(302, "schemaVersion must be an integer", nullptr);
        handoff.schemaVersion = *version;
        handoff.bootTime = requireNumber(requireMember(document, "bootTime"), "bootTime");
        handoff.writtenAtUptime = requireNumber(requireMember(document, "writtenAtUptime"), "writtenAtUptime");
        const json& groups = requireMember(document, "groups");
        if (!groups.is_array()) throw json::type_error::create(302, "groups must be an array", nullptr);
        std::set<Uuid> ids;
        for (const auto& object : groups) {
            UpdateHandoff::Group group = decodeGroup(object);
            if (!group.isSound()) {
                logUpdate("update handoff: group " + group.id.uuidString() +
                          " dropped (its frame is out of any screen's range or it lists a window twice)");
                continue;
            }
            if (!ids.insert(group.id).second) {
                logUpdate("update handoff: group " + group.id.uuidString() + " dropped (its id appears twice)");
                continue;
            }
            handoff.groups.push_back(std::move(group));
        }
        return handoff;
    } catch (const json::exception& exception) {
        if (error) *error = exception.what();
        return std::nullopt;
    }
}

// MARK: - Store

UpdateHandoffStore::UpdateHandoffStore(std::optional<std::filesystem::path> fileURL)
    : fileURL_(fileURL ? std::move(fileURL) : defaultLocation()) {}

std::optional<std::filesystem::path> UpdateHandoffStore::defaultLocation() {
    auto base = XdgDirectories::dataHome();
    if (!base) base = XdgDirectories::runtimeDir();
    if (!base) return std::nullopt;
    return *base / "Tessaly" / "update-handoff.json";
}

void UpdateHandoffStore::write(const UpdateHandoff& handoff) const {
    if (!fileURL_) {
        logUpdate("update handoff not written: no private folder to write it to");
        return;
    }
    if (!std::isfinite(handoff.bootTime) || !std::isfinite(handoff.writtenAtUptime)) {
        logUpdate("update handoff not written: its boot time or uptime is not a finite number");
        return;
    }
    std::string error;
    if (!AtomicFile::createDirectories(fileURL_->parent_path(), 0700, &error)) {
        logUpdate("update handoff not written: " + error);
        return;
    }
    // Titles that are not UTF-8 are written with replacement characters
    // rather than losing the groups.
    const std::string bytes = handoff.toJSON().dump(-1, ' ', false, json::error_handler_t::replace);
    if (!AtomicFile::write(*fileURL_, bytes, 0600, &error)) logUpdate("update handoff not written: " + error);
}

std::optional<UpdateHandoff> UpdateHandoffStore::takeAndDelete() const {
    if (!fileURL_) return std::nullopt;
    std::error_code ignored;
    // The file is only ever written in place by this program: a link there
    // is not one of its handoffs, and is not followed.
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(*fileURL_, ignored))) {
        std::filesystem::remove(*fileURL_, ignored);
        logUpdate("update handoff not restored: " + fileURL_->string() + " is a symbolic link");
        return std::nullopt;
    }
    const AtomicFile::ReadResult read = AtomicFile::read(*fileURL_, maxDocumentBytes, AtomicFile::Owner::user);
    std::filesystem::remove(*fileURL_, ignored);
    if (read.status == AtomicFile::ReadStatus::missing) return std::nullopt;
    if (read.status != AtomicFile::ReadStatus::ok) {
        logUpdate("update handoff not restored: " + read.error);
        return std::nullopt;
    }
    std::string error;
    const auto document = parseBounded(read.bytes, &error);
    std::optional<UpdateHandoff> handoff;
    if (document) handoff = UpdateHandoff::fromJSON(*document, &error);
    if (!handoff) {
        logUpdate("update handoff not restored: " + error);
        return std::nullopt;
    }
    if (handoff->schemaVersion != UpdateHandoff::currentSchemaVersion) {
        logUpdate("update handoff not restored: schema version " + std::to_string(handoff->schemaVersion));
        return std::nullopt;
    }
    return handoff;
}

}  // namespace tessaly
