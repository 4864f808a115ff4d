#pragma once
// Which member of a group the window manager shows on top, and whether the
// group's bar has that member's tab lit: the selected tab is the member on
// top, whatever brought it there.
#include "BarTabs.h"
#include "DesktopUser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::e2e {

// The member whose frame stands highest in the stacking order.
inline xcb_window_t topMemberOf(DesktopUser& user, const std::vector<xcb_window_t>& members) {
    const auto stack = user.screen.stack();
    std::ptrdiff_t best = -1;
    xcb_window_t top = kNoWindow;
    for (const xcb_window_t member : members) {
        const xcb_window_t frame = user.screen.frameWindow(member);
        const auto at = std::find_if(stack.begin(), stack.end(), [&](const ShownWindow& w) { return w.window == frame; });
        if (at != stack.end() && at - stack.begin() > best) {
            best = at - stack.begin();
            top = member;
        }
    }
    return top;
}

// The group's bar: of the bars with a tab for each member, the one nearest
// to the members' frame, and its tabs; none while it is not shown. Where it
// stands exactly is not judged here.
inline std::optional<std::pair<ShownWindow, std::vector<ShownTab>>> groupBarOf(test::X11Desktop& desktop, DesktopUser& user,
                                                                               const std::vector<xcb_window_t>& members) {
    const Rect frame = user.frame(members.front());
    std::optional<std::pair<ShownWindow, std::vector<ShownTab>>> nearest;
    double best = 0;
    for (const auto& bar : user.bars()) {
        auto tabs = tabsOf(desktop, bar);
        if (tabs.size() != members.size()) continue;
        const double distance = std::abs(bar.rect.minX() - frame.minX()) + std::abs(bar.rect.maxY() - frame.minY());
        if (!nearest || distance < best) {
            best = distance;
            nearest = std::pair{bar, std::move(tabs)};
        }
    }
    return nearest;
}

// Waits until `expected` (any member when none) is on top of the group
// `members` (in tab order) and the group's bar has that member's tab lit.
inline ::testing::AssertionResult selectedTabOnTop(test::X11Desktop& desktop, DesktopUser& user,
                                                   const std::vector<xcb_window_t>& members,
                                                   xcb_window_t expected = kNoWindow,
                                                   std::chrono::milliseconds patience = test::kX11Patience) {
    std::string seen;
    const bool held = user.waitUntil(
        [&] {
            const xcb_window_t top = topMemberOf(user, members);
            const auto bar = groupBarOf(desktop, user, members);
            const auto index = std::find(members.begin(), members.end(), top) - members.begin();
            seen = "member " + std::to_string(index) + " on top, tabs " +
                   (bar ? describeTabs(bar->second) : std::string("not shown"));
            return (expected == kNoWindow || top == expected) && bar && activeIndex(bar->second) == index;
        },
        patience);
    if (held) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << seen << "; the program shows " << DesktopUser::describe(user.overlays());
}

}  // namespace tessaly::e2e
