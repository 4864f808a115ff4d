#pragma once
// Whether the system itself has focused a given window: its application is
// the frontmost one and the window is that application's focused window.
// Each answer is remembered per window for `ttl` seconds. The gate calls
// nothing itself: the caller passes the frontmost process, the time and a
// reader that performs the actual read.
//
// Times are the caller's monotonic seconds. An answer stored "in the future"
// (a clock that went backwards) counts as fresh.
#include <functional>
#include <optional>
#include <unordered_map>

#include "Platform/Types.h"

namespace tessaly {

struct OSFocusGate {
    struct Verdict {
        bool isFocused = false;
        double at = 0;
    };

    std::unordered_map<WindowID, Verdict> verdicts;
    double ttl;

    explicit OSFocusGate(double ttlSeconds) : ttl(ttlSeconds) {}

    // True exactly when the frontmost process is known and is `eventPID`.
    static bool accepts(ProcessID eventPID, std::optional<ProcessID> frontmostPID) {
        return frontmostPID && *frontmostPID == eventPID;
    }

    // The reader is called synchronously at most once and not kept.
    bool isOSFocused(WindowID windowID, ProcessID pid, std::optional<ProcessID> frontmostPID, double now,
                     const std::function<std::optional<WindowID>()>& readFocusedWindowID);

    // Drops every answer that has aged `ttl` or more.
    void prune(double now);
};

}  // namespace tessaly
