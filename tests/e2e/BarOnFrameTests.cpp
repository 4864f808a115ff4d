// A bar stands on the frame the window manager reports, also where that is
// not the frame the program asked for: a group dragged by its bar past the
// left edge of the screen (icewm and metacity keep windows on screen and
// stop it short), and groups rebuilt at start from a handoff whose frame is
// not where their windows are now.
#include "EndToEndTest.h"

#include <algorithm>
#include <thread>

namespace tessaly::e2e {
namespace {

using std::chrono::milliseconds;

class BarOnFrameTest : public EndToEndOnWindowManager {
protected:
    // Two xterms of one size, the first at `at`.
    std::vector<xcb_window_t> pair(const std::string& name, Point at) {
        std::vector<xcb_window_t> windows;
        for (int i = 0; i < 2; ++i) {
            const auto xterm = desktop->launchXterm(
                name + "-" + std::to_string(i + 1),
                "60x12+" + std::to_string(static_cast<int>(at.x) + 40 * i) + "+" + std::to_string(static_cast<int>(at.y)));
            if (!xterm) return {};
            windows.push_back(xterm->window);
        }
        return windows;
    }
    // Where the group is, and whether its bar and both members are there.
    std::string apart(const std::vector<xcb_window_t>& windows) {
        const Rect active = user->frame(windows[0]);
        // Where it stands is the subject here, not the stacking.
        if (!user->barAbove(windows[0], true)) {
            return "no bar on " + DesktopUser::describe(active) + " (the program showed " +
                   DesktopUser::describe(user->overlays()) + ")";
        }
        if (!user->shareFrame(windows[0], windows[1])) {
            return DesktopUser::describe(active) + " and " + DesktopUser::describe(user->frame(windows[1])) +
                   " in one group";
        }
        return "";
    }
    // Within a display settle (2 s) of the last change, and so it stays.
    ::testing::AssertionResult onItsFrame(const std::vector<xcb_window_t>& windows) {
        std::string why;
        if (!user->waitUntil([&] { return (why = apart(windows)).empty(); }, milliseconds(2500))) {
            return ::testing::AssertionFailure() << why;
        }
        const auto end = std::chrono::steady_clock::now() + milliseconds(1500);
        while (std::chrono::steady_clock::now() < end) {
            if (!(why = apart(windows)).empty()) return ::testing::AssertionFailure() << "then " << why;
            std::this_thread::sleep_for(milliseconds(50));
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_P(BarOnFrameTest, ABarDraggedPastTheLeftEdgeStandsWhereTheWindowManagerKeepsTheGroup) {
    const auto windows = pair("edge", Point{200, 300});
    ASSERT_EQ(windows.size(), 2u);
    ASSERT_TRUE(startProgramWithGroups({windows}));
    std::optional<ShownWindow> bar;
    ASSERT_TRUE(user->waitUntil([&] { return (bar = user->barAbove(windows[0], true)).has_value(); }))
        << "the group did not come up";
    const Rect start = user->frame(windows[0]);

    // Taken by the bar's background at its right end and pulled left until
    // the group would stand 150 px past the screen's left edge.
    const Point grab{bar->rect.maxX() - 12, bar->rect.midY()};
    const Point to{grab.x - start.minX() - 150, grab.y + 20};
    user->input.moveTo(grab);
    user->input.press(1);
    user->movePointer(grab, to, 8, [](Point) { return true; }, milliseconds(1));
    // Held there a moment: the bar has followed the pointer past the edge,
    // and the window manager has long said where it keeps the window.
    const bool followed = user->waitUntil([&] {
        const auto shown = user->overlays();
        return std::any_of(shown.begin(), shown.end(), [](const ShownWindow& w) { return w.rect.minX() <= -100; });
    });
    std::this_thread::sleep_for(milliseconds(400));
    user->input.release(1);
    ASSERT_TRUE(followed) << "the bar did not follow the pointer past the edge: "
                          << DesktopUser::describe(user->overlays());

    EXPECT_TRUE(onItsFrame(windows)) << "after the drag from " << DesktopUser::describe(start);
    EXPECT_LT(user->frame(windows[0]).minX(), start.minX()) << "the group did not move";
}

TEST_P(BarOnFrameTest, GroupsRebuiltOnAFrameTheirWindowsLeftStandWhereTheirWindowsAre) {
    const auto first = pair("moved", Point{120, 120});
    const auto second = pair("resized", Point{700, 420});
    ASSERT_EQ(first.size() + second.size(), 4u);
    // Each group's windows share a frame; the one saved for the first lies
    // elsewhere, the one saved for the second is larger (both moved or
    // resized while no program followed them).
    std::vector<Rect> frames;
    for (const auto* windows : {&first, &second}) {
        const auto active = desktop->windows().read(windows->front());
        ASSERT_TRUE(active);
        desktop->windows().setFrame(windows->back(), active->frame);
        ASSERT_TRUE(desktop->waitUntil([&] {
            const auto other = desktop->windows().read(windows->back());
            return other && other->frame == active->frame;
        }));
        frames.push_back(active->frame);
    }
    const std::vector<Rect> savedFrames{frames[0].offsetBy(300, 200),
                                        Rect(frames[1].origin, Size{frames[1].width() + 200, frames[1].height() + 90})};
    std::vector<HandoffGroup> saved;
    for (std::size_t g = 0; g < 2; ++g) {
        HandoffGroup group{savedFrames[g], {}};
        for (const xcb_window_t window : g == 0 ? first : second) {
            const auto info = desktop->windows().read(window);
            ASSERT_TRUE(info && info->pid);
            group.members.push_back({window, static_cast<pid_t>(*info->pid), info->title});
        }
        saved.push_back(std::move(group));
    }
    TessalyProgram::Options options;
    options.handoff = handoffJson(saved);
    ASSERT_TRUE(startProgram(options));

    EXPECT_TRUE(onItsFrame(first)) << "the group saved at " << DesktopUser::describe(savedFrames[0]);
    EXPECT_TRUE(onItsFrame(second)) << "the group saved at " << DesktopUser::describe(savedFrames[1]);
    EXPECT_TRUE(user->shareFrame(first[0], first[1]) && user->frame(first[0]).origin == frames[0].origin)
        << "the windows were moved to " << DesktopUser::describe(user->frame(first[0]));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, BarOnFrameTest,
                         ::testing::Values(test::X11WindowManager::openbox, test::X11WindowManager::icewm,
                                           test::X11WindowManager::metacity),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
