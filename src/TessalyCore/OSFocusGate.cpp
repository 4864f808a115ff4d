#include "TessalyCore/OSFocusGate.h"

namespace tessaly {

bool OSFocusGate::isOSFocused(WindowID windowID, ProcessID pid, std::optional<ProcessID> frontmostPID, double now,
                              const std::function<std::optional<WindowID>()>& readFocusedWindowID) {
    if (!accepts(pid, frontmostPID)) return false;
    if (const auto it = verdicts.find(windowID); it != verdicts.end() && now - it->second.at < ttl) {
        return it->second.isFocused;
    }
    const std::optional<WindowID> focused = readFocusedWindowID ? readFocusedWindowID() : std::nullopt;
    const bool isFocused = focused && *focused == windowID;
    verdicts[windowID] = Verdict{isFocused, now};
    return isFocused;
}

void OSFocusGate::prune(double now) {
    std::erase_if(verdicts, [&](const auto& entry) { return !(now - entry.second.at < ttl); });
}

}  // namespace tessaly
