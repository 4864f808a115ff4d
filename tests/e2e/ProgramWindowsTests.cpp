// The program's own windows on each window manager: the settings window
// carries the program's mark (_NET_WM_ICON, what title bars and task lists
// show) and its title, offers the usual buttons, and can be minimised also
// where the window manager follows the Motif hints (icewm).
#include "ShellTest.h"

#include <algorithm>

namespace tessaly::e2e {
namespace {

class ProgramWindowsTest : public ShellOnWindowManager {
protected:
    // The 32-bit values of a property of `window` (empty when unset).
    std::vector<std::uint32_t> words(xcb_window_t window, const char* property) {
        X11Connection& x = desktop->connection();
        const auto reply = x.readProperty(window, x.internAtom(property), 1u << 16);
        if (!reply || reply->format != 32) return {};
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return {data, data + xcb_get_property_value_length(reply.get()) / 4};
    }
    // The icon's images as (width, height), when every one is whole.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> iconSizes(xcb_window_t window) {
        const auto icon = words(window, "_NET_WM_ICON");
        std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes;
        for (std::size_t at = 0; at + 2 <= icon.size();) {
            const std::uint64_t pixels = std::uint64_t{icon[at]} * icon[at + 1];
            if (pixels == 0 || at + 2 + pixels > icon.size()) return {};
            sizes.emplace_back(icon[at], icon[at + 1]);
            at += 2 + pixels;
        }
        return sizes;
    }
    // The Motif hints' functions and decorations (all when unset).
    bool motifOffersMinimise(xcb_window_t window) {
        const auto hints = words(window, "_MOTIF_WM_HINTS");
        if (hints.size() < 3) return true;
        constexpr std::uint32_t functionsSet = 1, decorationsSet = 2, allFunctions = 1, minimiseFunction = 8,
                                allDecorations = 1, minimiseButton = 32;
        const bool function = !(hints[0] & functionsSet) || (hints[1] & (allFunctions | minimiseFunction));
        const bool button = !(hints[0] & decorationsSet) || (hints[2] & (allDecorations | minimiseButton));
        return function && button;
    }
};

TEST_P(ProgramWindowsTest, TheSettingsWindowShowsTheMarkAndItsTitleAndCanBeMinimised) {
    writeDefaults({}, /*firstStart=*/true);
    ASSERT_TRUE(startShell({}));
    const auto window = waitForProgramWindow(settingsTitle);
    ASSERT_TRUE(window) << "the first start showed no settings window";
    EXPECT_EQ(window->title, settingsTitle);

    const auto sizes = iconSizes(window->window);
    EXPECT_FALSE(sizes.empty()) << "no icon (_NET_WM_ICON) on the settings window";
    EXPECT_TRUE(std::any_of(sizes.begin(), sizes.end(), [](const auto& size) { return size.first >= 32; }))
        << "no icon of 32 pixels or more";
    EXPECT_TRUE(motifOffersMinimise(window->window)) << "the Motif hints leave minimising out";
    // Where the window manager says what a window allows, minimising is in.
    X11Connection& x = desktop->connection();
    const auto allowed = words(window->window, "_NET_WM_ALLOWED_ACTIONS");
    if (!allowed.empty()) {
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), x.internAtom("_NET_WM_ACTION_MINIMIZE")), allowed.end())
            << "the window manager does not offer to minimise the settings window";
    }

    ASSERT_TRUE(desktop->windows().minimize(window->window));
    EXPECT_TRUE(desktop->waitUntil([&] {
        const auto info = desktop->windows().read(window->window);
        return info && info->iconic && (!info->viewable || test::X11Desktop::keepsMinimisedWindowsMapped(GetParam()));
    })) << "the settings window was not minimised";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ProgramWindowsTest,
                         ::testing::Values(test::X11WindowManager::openbox, test::X11WindowManager::xfwm4,
                                           test::X11WindowManager::fluxbox, test::X11WindowManager::icewm,
                                           test::X11WindowManager::metacity, test::X11WindowManager::marco, test::X11WindowManager::kwin, test::X11WindowManager::kwinComposited, test::X11WindowManager::mutter, test::X11WindowManager::muffin),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
