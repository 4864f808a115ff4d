#include "TessalyCore/UpdateHandoffLifecycle.h"

#include <string>

#include "Platform/Log.h"

namespace tessaly {

namespace {

void logStale(const UpdateHandoff& handoff, double bootTime, double uptime) {
    Log::error(LogCategory::update,
               "update handoff dropped: not fresh (written at uptime " + std::to_string(handoff.writtenAtUptime) +
                   " of boot " + std::to_string(handoff.bootTime) + ", now uptime " + std::to_string(uptime) +
                   " of boot " + std::to_string(bootTime) + ")");
}

}  // namespace

void UpdateHandoffLifecycle::storePendingAtLaunch(std::optional<UpdateHandoff> handoff) { pending_ = std::move(handoff); }

std::optional<UpdateHandoff> UpdateHandoffLifecycle::consumeFresh(double bootTime, double uptime) {
    if (!pending_) return std::nullopt;
    std::optional<UpdateHandoff> handoff = std::move(pending_);
    pending_.reset();
    if (handoff->isFresh(bootTime, uptime)) return handoff;
    logStale(*handoff, bootTime, uptime);
    return std::nullopt;
}

bool UpdateHandoffLifecycle::keepIfFresh(double bootTime, double uptime) {
    if (!pending_) return false;
    if (pending_->isFresh(bootTime, uptime)) return true;
    logStale(*pending_, bootTime, uptime);
    pending_.reset();
    return false;
}

}  // namespace tessaly
