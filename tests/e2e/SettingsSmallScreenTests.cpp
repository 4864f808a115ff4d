// The settings window on a small screen (1024 x 600): it fits, and every
// control of every page can be reached from the keyboard, each shown inside
// the window when it has the focus (the page scrolls to it).
#include "ShellTest.h"

#include <set>

namespace tessaly::e2e {
namespace {

constexpr xcb_keysym_t keyTab = 0xff09;

class SettingsSmallScreenTest : public ShellTest {
protected:
    SettingsSmallScreenTest() { screen = Size{1024, 600}; }
    // The usable area the window manager announces (the whole screen
    // unless a panel takes some).
    Rect workArea() {
        auto reply = desktop->connection().readProperty(desktop->connection().root(),
                                                        desktop->connection().atoms().NET_WORKAREA, 4);
        if (!reply || xcb_get_property_value_length(reply.get()) < 16) return Rect(0, 0, 1024, 600);
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return Rect(v[0], v[1], v[2], v[3]);
    }
};

TEST_F(SettingsSmallScreenTest, TheWindowFitsAndEveryControlOfEveryPageCanBeReached) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ASSERT_TRUE(startShell({}));
    const auto window = waitForProgramWindow(settingsTitle);
    ASSERT_TRUE(window);
    const Rect area = workArea();
    Rect frame;
    ASSERT_TRUE(desktop->waitUntil([&] {
        const auto info = desktop->windows().read(window->window);
        return info && area.contains(frame = info->frame);
    })) << "the window (" << DesktopUser::describe(frame) << ") does not fit the screen's usable area ("
        << DesktopUser::describe(area) << "), client " << DesktopUser::describe(user->info(window->window).clientFrame)
        << " extents top " << user->info(window->window).extents.top;
    const Rect inside = user->info(window->window).clientFrame;

    for (const char* page : {"How to Use", "General", "Grouping", "Tab Bar", "Color", "About"}) {
        SCOPED_TRACE(page);
        ASSERT_TRUE(openPage(page));
        // The page's controls that take the focus (the list of pages aside).
        std::set<std::string> controls;
        std::vector<Accessible> tree = a11y_->snapshot(pid());
        const auto top = windowNode(tree, settingsTitle);
        ASSERT_TRUE(top);
        for (std::size_t i = 0; i < tree.size(); ++i) {
            const Accessible& a = tree[i];
            // Containers (the window, the scrolled page) hold the focus only
            // to pass it on.
            if (!AccessibilityBus::isInside(tree, i, *top) || !a.has(Accessible::showing) ||
                !a.has(Accessible::focusable) || !a.has(Accessible::enabled) || a.role == "list" ||
                a.role == "list item" || a.role == "filler" || a.role == "scroll pane") {
                continue;
            }
            controls.insert(a.path);
        }
        // Tab through the window until the focus comes round again; within
        // a row of choices (one stop for Tab) the arrow keys go on.
        std::set<std::string> reached;
        std::string first;
        // The focus after a key: the toolkit tells of it a moment after the
        // key, so one that has not moved from `before` yet is read again
        // for a while (a page with a single stop keeps it).
        std::string before;
        const auto focusedNow = [&](std::optional<Accessible>& focused, std::vector<Accessible>& now) {
            const auto read = [&](bool moved) {
                return a11y_->waitUntil(
                    pid(),
                    [&](const std::vector<Accessible>& shown) {
                        focused.reset();
                        for (const auto& a : shown) {
                            if (a.has(Accessible::focused) && a.depth > 1) focused = a;
                        }
                        now = shown;
                        return focused.has_value() && (!moved || focused->path != before);
                    },
                    moved ? std::chrono::milliseconds(1500) : test::kX11Patience);
            };
            const bool found = read(true) || read(false);
            if (found) before = focused->path;
            return found;
        };
        const auto note = [&](const Accessible& focused) {
            reached.insert(focused.path);
            EXPECT_TRUE(inside.contains(focused.extents))
                << "the " << focused.role << " \"" << focused.name << "\" has the focus at "
                << DesktopUser::describe(focused.extents) << ", outside the window " << DesktopUser::describe(inside);
        };
        for (int step = 0; step < 80; ++step) {
            pressKey(keyTab);
            std::optional<Accessible> focused;
            std::vector<Accessible> now;
            ASSERT_TRUE(focusedNow(focused, now)) << "the focus left the window";
            if (focused->path == first) break;
            if (first.empty()) first = focused->path;
            if (!controls.contains(focused->path)) continue;
            note(*focused);
            std::size_t siblings = 0;
            for (const auto& a : now) {
                siblings += a.path != focused->path && a.parent == focused->parent && a.role == focused->role &&
                            a.role == "check box" && controls.contains(a.path) && !reached.contains(a.path);
            }
            for (std::size_t k = 0; k < siblings; ++k) {
                pressKey(KeySym::right);
                std::optional<Accessible> next;
                ASSERT_TRUE(focusedNow(next, now));
                if (controls.contains(next->path)) note(*next);
            }
        }
        for (const auto& path : controls) {
            if (reached.contains(path)) continue;
            std::string what = path;
            for (const auto& a : tree) {
                if (a.path == path) what = a.role + " \"" + a.name + "\"";
            }
            ADD_FAILURE() << "the " << what << " cannot be reached from the keyboard";
        }
    }
}

}  // namespace
}  // namespace tessaly::e2e
