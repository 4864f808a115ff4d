#pragma once
// Groups made without a gesture: the handoff a relaunching program leaves
// for the next one (TessalyProgram::Options::handoff), naming live windows.
// For tests whose subject is not how a group is made, on window managers
// where a grouping drag is not what they test.
#include "Platform/X11/X11Desktop.h"

#include <time.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tessaly::e2e {

namespace handoff_detail {

inline double seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

inline std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
    return out + "\"";
}

inline std::string randomUuid() {
    static std::mt19937_64 random{std::random_device{}()};
    const std::uint64_t high = random(), low = random();
    char text[40];
    std::snprintf(text, sizeof text, "%08X-%04X-4%03X-8%03X-%012llX", static_cast<unsigned>(high >> 32),
                  static_cast<unsigned>((high >> 16) & 0xFFFF), static_cast<unsigned>(high & 0xFFF),
                  static_cast<unsigned>(low >> 52), static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
    return text;
}

}  // namespace handoff_detail

// A fresh handoff that makes each list of windows one group, in tab order,
// its first window active, on the frame the first window has now; the other
// windows are put on that frame first (a terminal keeps to whole cells, so
// they should be alike). Empty when a window is gone.
inline std::optional<std::string> handoffGroups(test::X11Desktop& desktop,
                                                const std::vector<std::vector<xcb_window_t>>& groups) {
    using handoff_detail::quoted;
    std::string json = "{\"schemaVersion\": 1, \"bootTime\": " +
                       std::to_string(handoff_detail::seconds(CLOCK_REALTIME) - handoff_detail::seconds(CLOCK_BOOTTIME)) +
                       ", \"writtenAtUptime\": " + std::to_string(handoff_detail::seconds(CLOCK_BOOTTIME)) +
                       ", \"groups\": [";
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const auto& windows = groups[g];
        const auto first = desktop.windows().read(windows.front());
        if (!first) return std::nullopt;
        const Rect frame = first->frame;
        for (std::size_t i = 1; i < windows.size(); ++i) {
            desktop.windows().setFrame(windows[i], frame);
            desktop.waitUntil([&] {
                const auto info = desktop.windows().read(windows[i]);
                return info && info->frame.origin == frame.origin;
            });
        }
        json += std::string(g ? ", " : "") + "{\"id\": " + quoted(handoff_detail::randomUuid()) + ", \"frame\": [[" +
                std::to_string(frame.minX()) + ", " + std::to_string(frame.minY()) + "], [" +
                std::to_string(frame.width()) + ", " + std::to_string(frame.height()) +
                "]], \"activeWindowID\": " + std::to_string(windows.front()) + ", \"members\": [";
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const auto info = desktop.windows().read(windows[i]);
            if (!info || !info->pid) return std::nullopt;
            json += std::string(i ? ", " : "") + "{\"windowID\": " + std::to_string(windows[i]) +
                    ", \"pid\": " + std::to_string(*info->pid) + ", \"lastKnownTitle\": " + quoted(info->title) + "}";
        }
        json += "]}";
    }
    return json + "]}";
}

}  // namespace tessaly::e2e
