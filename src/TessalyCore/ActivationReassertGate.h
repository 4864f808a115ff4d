#pragma once
// Remembers one raise to repeat when its application reports that it has
// been activated, for `ttl` seconds. Times are monotonic readings.
#include <optional>
#include <utility>

#include "Platform/Types.h"

namespace tessaly {

template <typename Payload>
struct ActivationReassertGate {
    struct Pending {
        ProcessID pid = 0;
        double deadline = 0;
        Payload payload;
    };

    std::optional<Pending> pending;
    double ttl = 1.0;

    explicit ActivationReassertGate(double ttlValue) : ttl(ttlValue) {}

    // Drops any earlier armed raise; arms this one unless its application is
    // already frontmost.
    void arm(ProcessID pid, std::optional<ProcessID> frontmostPID, Payload payload, double now) {
        pending.reset();
        if (frontmostPID && *frontmostPID == pid) return;
        pending = Pending{pid, now + ttl, std::move(payload)};
    }

    // The armed payload when `activatedPID` is its application and it has
    // not expired. An activation of another application leaves it armed; an
    // expired one is dropped.
    std::optional<Payload> fire(ProcessID activatedPID, double now) {
        if (!pending) return std::nullopt;
        if (pending->deadline > now) {
            if (pending->pid != activatedPID) return std::nullopt;
            Payload payload = std::move(pending->payload);
            pending.reset();
            return payload;
        }
        pending.reset();
        return std::nullopt;
    }
};

}  // namespace tessaly
