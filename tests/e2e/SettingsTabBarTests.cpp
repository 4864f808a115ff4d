// The Tab Bar page on a real desktop, used as a user does: its height
// buttons move every bar (a group at the top of the screen moves down to
// keep room for its taller bar), and its badge switch shows or hides the
// badges on the tabs. Its opacity slider has nothing to show on a desktop
// without a compositing manager (the bars are drawn opaque there).
#include "ShellTest.h"

#include <systemd/sd-bus.h>

namespace tessaly::e2e {
namespace {

using std::chrono::seconds;

class SettingsTabBarTest : public ShellTest {
protected:
    // Announces a launcher badge for the xterm's desktop entry, as an
    // application does on the desktop's session bus.
    bool announceBadge(std::int64_t count) {
        sd_bus* bus = nullptr;
        if (sd_bus_new(&bus) < 0) return false;
        const bool ok = sd_bus_set_address(bus, sessionBus_.c_str()) >= 0 && sd_bus_set_bus_client(bus, 1) >= 0 &&
                        sd_bus_start(bus) >= 0 &&
                        sd_bus_emit_signal(bus, "/com/canonical/unity/launcherentry/1", "com.canonical.Unity.LauncherEntry",
                                           "Update", "sa{sv}", "application://xterm.desktop", 2, "count", "x", count,
                                           "count-visible", "b", 1) >= 0;
        sd_bus_flush_close_unref(bus);
        return ok;
    }
};

TEST_F(SettingsTabBarTest, HeightAndBadgesChangedOnThePageReachEveryBar) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    // The xterms' applications are known by a desktop entry of their own.
    testing::writeFile(folders_ / "data" / "applications" / "xterm.desktop",
                       "[Desktop Entry]\nType=Application\nName=XTerm\nExec=xterm\nStartupWMClass=XTerm\n");
    ASSERT_TRUE(startShell());
    // One group at the top of the screen, one lower down, both left of
    // where the settings window will be.
    const auto top = groupedXterms("top", 0, 20);
    ASSERT_TRUE(top);
    const auto low = groupedXterms("low", 560, 20);
    ASSERT_TRUE(low);
    const auto topBar = barOn(top->active);
    ASSERT_TRUE(topBar);
    ASSERT_EQ(topBar->rect.minY(), 0) << "the top group does not start at the top of the screen";

    ASSERT_TRUE(openSettingsWindow());
    ASSERT_TRUE(openPage("Tab Bar"));

    // Five steps up: every bar is 35 high and stands on its frame; the top
    // group moved down to keep its bar on the screen.
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(clickControl("push button", "+"));
    ASSERT_TRUE(control("label", "Tab Bar Height: 35 px")) << "the page does not show the new height";
    for (const auto& group : {*top, *low}) {
        EXPECT_TRUE(user->waitUntil([&] {
            const auto bar = barOn(group.active);
            return bar && bar->rect.size.height == 35 && bar->rect.minY() >= 0 &&
                   user->shareFrame(group.active, group.inactive);
        })) << "a bar did not take the new height";
    }
    EXPECT_EQ(user->frame(top->active).minY(), 35) << "the top group did not make room for its taller bar";

    // Badges are off at first. A badge for the terminals, then the switch
    // turned on: it shows on their tabs; turned off: it goes.
    const Rect lowBar = barOn(low->active)->rect;
    const auto noBadge = pixels(lowBar);
    ASSERT_TRUE(announceBadge(7));
    ASSERT_TRUE(clickControl("check box", "Show app notification badges on tabs"));
    EXPECT_TRUE(user->waitUntil([&] { return differingPixels(pixels(lowBar), noBadge) > 20; }))
        << "no badge appeared on the tabs";
    ASSERT_TRUE(clickControl("check box", "Show app notification badges on tabs"));
    EXPECT_TRUE(user->waitUntil([&] { return differingPixels(pixels(lowBar), noBadge) == 0; }))
        << "the badges stayed after they were turned off";

    // The opacity slider to its lowest, from the keyboard (what the bars
    // then show: below).
    const auto slider = control("slider", "");
    ASSERT_TRUE(slider);
    user->click(slider->center());
    pressKey(0xff50);  // Home
    EXPECT_TRUE(a11y_->poll([&] { return a11y_->value(pid(), *slider) == 6.0; })) << "the slider did not move";
    EXPECT_TRUE(control("label", "Tab Bar Opacity: 30%"));
}

TEST_F(SettingsTabBarTest, TheOpacitySliderShowsOnTheBars) {
    GTEST_SKIP() << "the bars' opacity has nothing to show on the test desktop: without a compositing manager "
                    "the bars are drawn opaque (none is assumed on X11), and a translucent window would show black";
}

}  // namespace
}  // namespace tessaly::e2e
