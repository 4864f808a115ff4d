// A member with absurd size hints (a window of this test's own, as a
// hostile client makes it) does not take its group along: while its window
// manager makes it 5000 pixels wide and high, or next to nothing, the other
// member keeps to the screen and stays large enough for the bar; once the
// hostile window is gone the other member is as a group member should be.
// On xfwm4, which survives such hints (openbox does not).
#include "EndToEndTest.h"

#include <xcb/xcb_icccm.h>

namespace tessaly::e2e {
namespace {

class HostileHintsTest : public EndToEndOnWindowManager {
protected:
    // A managed window of this process, as any client's.
    xcb_window_t createHostile() {
        X11Connection& x = desktop->connection();
        xcb_connection_t* c = x.get();
        const xcb_window_t w = desktop->createOwnWindow(Rect(300, 260, 500, 400));
        const std::string title = "hostile";
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(title.size()), title.data());
        xcb_map_window(c, w);
        x.flush();
        const bool managed = desktop->waitUntil([&] {
            const auto list = desktop->windows().clientList();
            const auto i = desktop->windows().read(w);
            return std::find(list.begin(), list.end(), w) != list.end() && i && i->viewable;
        });
        return managed ? w : kNoWindow;
    }
    // New size hints, then a resize to `size`, as the client asks for it.
    void hint(xcb_window_t w, xcb_size_hints_t hints, Size size) {
        X11Connection& x = desktop->connection();
        xcb_icccm_set_wm_normal_hints(x.get(), w, &hints);
        const std::uint32_t values[] = {static_cast<std::uint32_t>(size.width), static_cast<std::uint32_t>(size.height)};
        xcb_configure_window(x.get(), w, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
        x.flush();
    }
};

TEST_P(HostileHintsTest, AnAbsurdMemberLeavesTheOtherMemberOnScreen) {
    const xcb_window_t hostile = createHostile();
    ASSERT_NE(hostile, kNoWindow);
    const auto logo = desktop->launchXlogo("500x400+900+300");
    ASSERT_TRUE(logo);
    ASSERT_TRUE(startProgramWithGroups({{hostile, logo->window}}));
    ASSERT_TRUE(user->focus(hostile) && user->waitForBarAbove(hostile))
        << "no bar above the group: " << DesktopUser::describe(user->overlays());
    const Rect screen(0, 0, desktop->connection().screen().width_in_pixels,
                      desktop->connection().screen().height_in_pixels);
    // The logo on the screen, at least as large as the bar needs, and not
    // larger than the screen.
    const auto sane = [&] {
        const Rect f = user->frame(logo->window);
        return screen.contains(f.origin) && f.width() <= screen.width() && f.height() <= screen.height() &&
               f.width() >= 120 && f.height() >= 30;
    };
    const auto expectSaneAfter = [&](const char* what, Size hostileAtLeast, Size hostileAtMost) {
        // The window manager takes the hints (the hostile window changes).
        EXPECT_TRUE(user->waitUntil([&] {
            const Rect f = user->frame(hostile);
            return f.width() >= hostileAtLeast.width && f.height() >= hostileAtLeast.height &&
                   f.width() <= hostileAtMost.width && f.height() <= hostileAtMost.height;
        })) << what << ": the window manager did not apply them: " << DesktopUser::describe(user->frame(hostile));
        // For as long as the program takes to follow and to check back.
        EXPECT_FALSE(user->waitUntil([&] { return !sane(); }, std::chrono::milliseconds(2000)))
            << what << ": the other member is " << DesktopUser::describe(user->frame(logo->window));
    };

    xcb_size_hints_t large{};
    xcb_icccm_size_hints_set_min_size(&large, 5000, 5000);
    hint(hostile, large, Size{5000, 5000});
    expectSaneAfter("at least 5000x5000", Size{2000, 2000}, Size{1e6, 1e6});

    xcb_size_hints_t none{};
    xcb_icccm_size_hints_set_max_size(&none, 0, 0);
    hint(hostile, none, Size{1, 1});
    expectSaneAfter("at most 0x0", Size{}, Size{60, 60});

    xcb_size_hints_t three{};
    xcb_icccm_size_hints_set_min_size(&three, 3000, 3000);
    hint(hostile, three, Size{3000, 3000});
    expectSaneAfter("at least 3000x3000", Size{2000, 2000}, Size{1e6, 1e6});

    xcb_destroy_window(desktop->connection().get(), hostile);
    desktop->connection().flush();
    EXPECT_TRUE(user->waitUntil(sane)) << "after the hostile window went: "
                                       << DesktopUser::describe(user->frame(logo->window));
    // The logo follows a move of its own like any window; the group of one
    // is gone or keeps its bar on the logo.
    const Rect before = user->frame(logo->window);
    ASSERT_TRUE(desktop->windows().setPosition(logo->window, Point{200, 150}));
    EXPECT_TRUE(user->waitUntil([&] { return user->frame(logo->window).origin == Point{200, 150}; }))
        << DesktopUser::describe(before) << " -> " << DesktopUser::describe(user->frame(logo->window));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, HostileHintsTest, ::testing::Values(test::X11WindowManager::xfwm4),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
