// Dragging a group, by its active window's title bar and by the program's
// bar, on the window managers people run: the other members stay out of
// sight the whole drag (behind the dragged window, never at a screen corner
// a window manager pulls back into view), and after the drop they stand on
// the group's frame, whole.
//
// The members are xlogo windows in a colour no other window on the desktop
// has; the screen is read back (GetImage on the root) after every step of
// the pointer.
#include "EndToEndTest.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::e2e {
namespace {

using std::chrono::milliseconds;

constexpr std::uint32_t kMemberColour = 0xff00ff;  // the members' background
// How long a member may take to go out of sight after a step: the window
// manager moves the dragged window, then the members.
constexpr milliseconds kOutOfSightWithin{500};

class ParkedMemberTest : public EndToEndOnWindowManager {
protected:
    // Where the screen shows a member's colour: how many pixels, and the
    // box around them.
    struct Seen {
        std::size_t pixels = 0;
        Rect box = Rect::null();
    };

    void SetUp() override {
        EndToEndOnWindowManager::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        const auto active = desktop->launchXlogo("460x300+300+320");
        ASSERT_TRUE(active);
        windows.push_back(active->window);
        for (const char* place : {"460x300+820+320", "460x300+820+660"}) {
            const auto member = desktop->launch({"xlogo", "-geometry", place, "-bg", "#ff00ff", "-fg", "#00ff00"});
            ASSERT_TRUE(member);
            windows.push_back(member->window);
        }
        ASSERT_TRUE(startProgramWithGroups({windows}));
        ASSERT_TRUE(user->focus(windows[0]));
        ASSERT_TRUE(user->waitForBarAbove(windows[0])) << "the group did not come up";
        ASSERT_TRUE(user->waitUntil([&] { return seen().pixels == 0; }))
            << "a member shows before any drag: " << describe(seen());
    }

    // What shows of the members: the screen's pixels in their colour, less
    // those the window manager draws in its own windows on top. icewm's
    // taskbar graphs the traffic the machine receives in that very magenta
    // (its network monitor, at the bottom right), which has nothing to do
    // with the windows; a member under the taskbar would not show anyway.
    Seen seen() {
        std::vector<Point> coloured;
        xcb_connection_t* c = desktop->connection().get();
        const xcb_screen_t& screen = desktop->connection().screen();
        const int width = screen.width_in_pixels, height = screen.height_in_pixels;
        // In bands, each well within a request's size.
        constexpr int band = 100;
        for (int top = 0; top < height; top += band) {
            const int rows = std::min(band, height - top);
            auto image = xcbReply(c, xcb_get_image_reply,
                                  xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, desktop->connection().root(), 0,
                                                static_cast<std::int16_t>(top), static_cast<std::uint16_t>(width),
                                                static_cast<std::uint16_t>(rows), ~0u));
            if (!image || xcb_get_image_data_length(image.get()) < 4 * width * rows) continue;
            const auto* pixels = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image.get()));
            for (int y = 0; y < rows; ++y) {
                for (int x = 0; x < width; ++x) {
                    if ((pixels[y * width + x] & 0xffffff) != kMemberColour) continue;
                    coloured.push_back(Point{static_cast<double>(x), static_cast<double>(top + y)});
                }
            }
        }
        Seen s;
        if (coloured.empty()) return s;
        const auto shown = user->screen.stack();  // bottom to top
        const auto clientFrames = desktop->windows().frameWindows(desktop->windows().clientList());
        const auto drawnByWindowManager = [&](Point p) {
            const auto top = std::find_if(shown.rbegin(), shown.rend(),
                                          [p](const ShownWindow& w) { return w.rect.contains(p); });
            return top != shown.rend() && top->pid == ProcessID{desktop->windowManagerPid()} &&
                   std::find(clientFrames.begin(), clientFrames.end(), top->window) == clientFrames.end();
        };
        for (const Point p : coloured) {
            if (drawnByWindowManager(p)) continue;
            ++s.pixels;
            s.box = s.box.unionWith(Rect(p.x, p.y, 1, 1));
        }
        return s;
    }
    static std::string describe(const Seen& s) {
        return std::to_string(s.pixels) + " pixels of a member in " + DesktopUser::describe(s.box);
    }
    std::string frames() {
        std::string text;
        for (const xcb_window_t w : windows) {
            const X11WindowInfo info = user->info(w);
            text += (text.empty() ? "" : ", ") + DesktopUser::describe(info.frame) + (info.iconic ? " minimised" : "");
        }
        return "frames " + text + " (the dragged one first)";
    }

    // Presses at `grab` and moves the pointer through `path` in small
    // steps; after each step, once the group's active window has moved with
    // the pointer, no pixel of a member may show. Releases at the end and
    // answers the sights of a member (the first and the last), if any.
    std::string dragThrough(Point grab, const std::vector<Point>& path) {
        const xcb_window_t active = windows[0];
        const Rect start = user->frame(active);
        const Point offset{grab.x - start.minX(), grab.y - start.minY()};
        std::string first, last;
        int steps = 0, sightings = 0;
        user->input.moveTo(grab);
        user->input.press(1);
        Point from = grab;
        for (const Point to : path) {
            user->movePointer(from, to, DesktopUser::kDragStep, [&](Point p) {
                // The window manager or the program moves the window with
                // the pointer (a window manager may hold it at an edge).
                user->waitUntil(
                    [&] {
                        const Point at = user->frame(active).origin;
                        return std::abs(at.x - (p.x - offset.x)) <= DesktopUser::kEdgeResistance &&
                               std::abs(at.y - (p.y - offset.y)) <= DesktopUser::kEdgeResistance;
                    },
                    DesktopUser::kStepPatience);
                Seen s;
                const bool hidden = user->waitUntil(
                    [&] {
                        s = seen();
                        return s.pixels == 0;
                    },
                    kOutOfSightWithin);
                ++steps;
                if (!hidden) {
                    ++sightings;
                    last = "step " + std::to_string(steps) + ": " + describe(s) + " with the pointer at " +
                           DesktopUser::describe(p) + "; " + frames();
                    if (first.empty()) first = last;
                }
                return true;
            });
            from = to;
        }
        user->input.release(1);
        if (sightings == 0) return "";
        return "in " + std::to_string(sightings) + " of " + std::to_string(steps) + " steps, first at " + first +
               (sightings > 1 ? ", last at " + last : "");
    }

    // After the drop: every member on the dragged window's frame, the bar
    // above it, and still nothing of a member in sight.
    bool landedTogether() {
        for (const xcb_window_t w : windows) {
            if (!user->shareFrame(windows[0], w) || user->info(w).iconic) return false;
        }
        return user->barAbove(windows[0]).has_value() && seen().pixels == 0;
    }

    std::vector<xcb_window_t> windows;  // the active window first, then the members
};

TEST_P(ParkedMemberTest, NothingOfTheOtherMembersShowsWhileTheGroupIsDragged) {
    // By the title bar: right and down, then partly past the screen's left
    // edge (the pointer kept off the edge, where openbox switches desktops),
    // then back in. icewm, metacity and marco keep every window on the
    // screen, and mutter and muffin every window another program moves (a
    // member stops at the edge its window is dragged past): a member cannot
    // follow its window past the edge there.
    const Point grab = user->titleBarPoint(windows[0], 200);
    const bool keepsWindowsOnScreen = manager() == test::X11WindowManager::icewm ||
                                      manager() == test::X11WindowManager::metacity ||
                                      manager() == test::X11WindowManager::marco ||
                                      manager() == test::X11WindowManager::mutter ||
                                      manager() == test::X11WindowManager::muffin;
    const double left = keepsWindowsOnScreen ? 160 : -120;
    const std::string byTitleBar =
        dragThrough(grab, {Point{grab.x + 360, grab.y + 180}, Point{grab.x + left - 300, grab.y + 60}, Point{grab.x + 100, grab.y}});
    EXPECT_EQ(byTitleBar, "") << "a member showed during a drag by the title bar";
    EXPECT_TRUE(user->waitUntil([&] { return landedTogether(); }))
        << "the group did not land together after the title-bar drag: " << frames() << ", " << describe(seen());

    // By the program's bar, pressed on its background at its right end:
    // up, then toward the bottom right corner, then back.
    const auto bar = user->barAbove(windows[0]);
    ASSERT_TRUE(bar);
    const Point barGrab{bar->rect.maxX() - 12, bar->rect.midY()};
    const std::string byBar = dragThrough(
        barGrab, {Point{barGrab.x - 200, barGrab.y - 120}, Point{barGrab.x + 500, barGrab.y + 300}, Point{barGrab.x, barGrab.y}});
    EXPECT_EQ(byBar, "") << "a member showed during a drag by the bar";
    EXPECT_TRUE(user->waitUntil([&] { return landedTogether(); }))
        << "the group did not land together after the bar drag: " << frames() << ", " << describe(seen());

    // Whole: each member on the group's frame, as large as the dragged
    // window, shown (behind it).
    const X11WindowInfo front = user->info(windows[0]);
    for (std::size_t i = 1; i < windows.size(); ++i) {
        const X11WindowInfo member = user->info(windows[i]);
        EXPECT_TRUE(member.viewable && member.clientFrame == front.clientFrame)
            << "member " << i << " at " << DesktopUser::describe(member.clientFrame) << ", not at "
            << DesktopUser::describe(front.clientFrame);
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ParkedMemberTest,
                         ::testing::Values(test::X11WindowManager::openbox, test::X11WindowManager::xfwm4,
                                           test::X11WindowManager::icewm, test::X11WindowManager::fluxbox,
                                           test::X11WindowManager::metacity, test::X11WindowManager::marco, test::X11WindowManager::kwin, test::X11WindowManager::kwinComposited, test::X11WindowManager::mutter, test::X11WindowManager::muffin),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
