#pragma once
// Groups of live windows made without a gesture, through the relaunch
// handoff (HandoffFile.h): for tests whose subject is not how a group is
// made, on window managers where a grouping drag is not what they test.
#include "HandoffFile.h"

#include "Platform/X11/X11Desktop.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly::e2e {

// A handoff that makes each list of windows one group, in tab order, its
// first window active, on the frame the first window has now; the other
// windows are put on that frame first (a terminal keeps to whole cells, so
// they should be alike). Empty when a window is gone.
inline std::optional<std::string> handoffGroups(test::X11Desktop& desktop,
                                                const std::vector<std::vector<xcb_window_t>>& groups) {
    std::vector<HandoffGroup> handoff;
    for (const auto& windows : groups) {
        const auto first = desktop.windows().read(windows.front());
        if (!first) return std::nullopt;
        HandoffGroup group{first->frame, {}};
        for (const xcb_window_t window : windows) {
            if (window != windows.front()) {
                desktop.windows().setFrame(window, group.frame);
                desktop.waitUntil([&] {
                    const auto info = desktop.windows().read(window);
                    return info && info->frame.origin == group.frame.origin;
                });
            }
            const auto info = desktop.windows().read(window);
            if (!info || !info->pid) return std::nullopt;
            group.members.push_back({window, static_cast<pid_t>(*info->pid), info->title});
        }
        handoff.push_back(std::move(group));
    }
    return handoffJson(handoff);
}

}  // namespace tessaly::e2e
