// The Tab Bar page on a real desktop, used as a user does: its height
// buttons move every bar (a group at the top of the screen moves down to
// keep room for its taller bar), its badge switch shows or hides the badges
// on the tabs, and its opacity slider shows on the bars where a compositing
// manager runs (picom, or the window manager's own). Without one the bars
// are drawn opaque, also when the compositing manager goes away while they
// are translucent, and no compositing manager casts a shadow around them.
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
    ASSERT_TRUE(control("label", "Tab Bar Height: 35\u00A0px")) << "the page does not show the new height";
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
    ASSERT_TRUE(focusControl("slider", ""));
    pressKey(0xff50);  // Home
    EXPECT_TRUE(a11y_->poll([&] { return a11y_->value(pid(), *slider) == 6.0; })) << "the slider did not move";
    EXPECT_TRUE(control("label", "Tab Bar Opacity: 30%"));
}

// What the bars are drawn over: a terminal of one known colour along the top
// of the screen, below every window started after it; and what shows there.
class BarsOverABackdrop : public SettingsTabBarTest {
protected:
    // The bar's background in the light palette (white 0.86).
    static constexpr std::uint32_t barFill = 0xdbdbdb;

    // Starts the program (with `defaults`), then groups two terminals
    // below the top of the backdrop; their bar. marco and metacity snap a
    // window dragged with Shift held: there the program groups on Control.
    std::optional<ShownWindow> startWithGroupOverBackdrop(std::map<std::string, std::string> defaults = {}) {
        const bool onControl = desktop->windowManager() == test::X11WindowManager::marco ||
                               desktop->windowManager() == test::X11WindowManager::metacity;
        if (onControl) defaults["dragModifierGate"] = "\"control\"";
        writeDefaults(defaults);
        if (const auto started = startShell(); !started) {
            ADD_FAILURE() << started.message();
            return std::nullopt;
        }
        if (onControl) user->groupingKey = KeySym::controlL;
        if (!desktop->launch({"xterm", "-bg", "rgb:20/60/a0", "-fg", "rgb:20/60/a0", "-geometry", "220x20+0+0"})) {
            return std::nullopt;
        }
        const auto pair = groupedXterms("translucent", 120);
        if (!pair) return std::nullopt;
        pair_ = *pair;
        return barOn(pair_.active);
    }
    Pair pair_;
    std::uint32_t pixel(Point at) {
        const auto read = pixels(Rect(at.x, at.y, 1, 1));
        return read.empty() ? 0 : read.front() & 0xffffff;
    }
    // A point of the bar's own background, past its tabs and buttons; and
    // one of the backdrop beside the bar.
    static Point onBar(const ShownWindow& bar) { return {bar.rect.maxX() - 40, bar.rect.midY()}; }
    static Point besideBar(const ShownWindow& bar) { return {bar.rect.maxX() + 20, bar.rect.midY()}; }

    // `over` at `alpha` over `under`, channel by channel.
    static std::uint32_t blend(std::uint32_t over, std::uint32_t under, double alpha) {
        std::uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const double a = (over >> shift) & 0xff;
            const double b = (under >> shift) & 0xff;
            out |= static_cast<std::uint32_t>(std::lround(a * alpha + b * (1 - alpha))) << shift;
        }
        return out;
    }
    static bool near(std::uint32_t a, std::uint32_t b, int tolerance = 3) {
        for (int shift = 0; shift < 24; shift += 8) {
            if (std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)) > tolerance) {
                return false;
            }
        }
        return true;
    }
    static std::string hex(std::uint32_t rgb) {
        char text[8];
        std::snprintf(text, sizeof text, "#%06x", rgb);
        return text;
    }
};

// The same on the window manager of the test's parameter.
class BarsOverABackdropOn : public BarsOverABackdrop, public ::testing::WithParamInterface<test::X11WindowManager> {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = BarsOverABackdrop::desktopOptions();
        options.manager = GetParam();
        return options;
    }
};

// With a compositing manager: picom beside the test openbox, or the window
// manager's own (xfwm4, marco).
class TheOpacitySlider : public BarsOverABackdropOn {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = BarsOverABackdropOn::desktopOptions();
        options.compositor = GetParam() == test::X11WindowManager::openboxTest;
        return options;
    }
};

TEST_P(TheOpacitySlider, ShowsOnTheBars) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    const auto bar = startWithGroupOverBackdrop();
    ASSERT_TRUE(bar);
    const std::uint32_t under = pixel(besideBar(*bar));
    EXPECT_TRUE(user->waitUntil([&] { return near(pixel(onBar(*bar)), barFill); }))
        << "an opaque bar shows " << hex(pixel(onBar(*bar)));

    ASSERT_TRUE(openSettingsWindow());
    ASSERT_TRUE(openPage("Tab Bar"));
    ASSERT_TRUE(focusControl("slider", ""));
    pressKey(0xff50);  // Home: the lowest opacity
    ASSERT_TRUE(control("label", "Tab Bar Opacity: 30%"));
    const std::uint32_t expected = blend(barFill, under, 0.3);
    EXPECT_TRUE(user->waitUntil([&] { return near(pixel(onBar(*bar)), expected); }))
        << "the bar shows " << hex(pixel(onBar(*bar))) << ", not " << hex(expected) << " (" << hex(barFill)
        << " at 30% over " << hex(under) << ")";
}

// A new opacity shows on all of a bar that another window covered: on the
// part left uncovered while the window is there, and on all of it once the
// window has gone (metacity cuts a bar where windows cover it); and so does
// the next one.
TEST_P(TheOpacitySlider, ShowsOnAllOfABarAWindowCovered) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    const auto bar = startWithGroupOverBackdrop();
    ASSERT_TRUE(bar);
    const std::uint32_t under = pixel(besideBar(*bar));
    const Point left{bar->rect.minX() + 3, bar->rect.midY()};
    const auto seen = [&] {
        return "the bar shows " + hex(pixel(left)) + " at its left, " + hex(pixel(onBar(*bar))) + " at its right";
    };
    ASSERT_TRUE(user->waitUntil([&] { return near(pixel(left), barFill) && near(pixel(onBar(*bar)), barFill); }))
        << seen();

    ASSERT_TRUE(openSettingsWindow());
    ASSERT_TRUE(openPage("Tab Bar"));
    const auto slider = control("slider", "");
    ASSERT_TRUE(slider);
    // A window over the right part of the bar.
    const int x = static_cast<int>(bar->rect.midX()), y = static_cast<int>(bar->rect.minY()) - 20;
    const auto cover = desktop->launchXterm("cover", "60x6+" + std::to_string(x) + "+" + std::to_string(y));
    ASSERT_TRUE(cover);
    ASSERT_TRUE(user->focus(cover->window));
    ASSERT_TRUE(user->waitUntil([&] { return !near(pixel(onBar(*bar)), barFill); })) << "the window does not cover the bar";

    // The slider to its end, from the keyboard (a click taken before the
    // settings window had the focus back is made again).
    const auto slideTo = [&](std::uint32_t key, const char* label) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            user->click(slider->center());
            pressKey(key);
            if (control("label", label)) return true;
        }
        return false;
    };
    ASSERT_TRUE(slideTo(0xff50, "Tab Bar Opacity: 30%"));  // Home: the lowest opacity
    const std::uint32_t translucent = blend(barFill, under, 0.3);
    EXPECT_TRUE(user->waitUntil([&] { return near(pixel(left), translucent); }))
        << "covered: " << seen() << ", not " << hex(translucent) << " at its left";
    ASSERT_TRUE(desktop->windows().close(cover->window));
    EXPECT_TRUE(user->waitUntil([&] { return near(pixel(left), translucent) && near(pixel(onBar(*bar)), translucent); }))
        << "uncovered: " << seen() << ", not " << hex(translucent);

    ASSERT_TRUE(slideTo(0xff57, "Tab Bar Opacity: 100%"));  // End: opaque
    EXPECT_TRUE(user->waitUntil([&] { return near(pixel(left), barFill) && near(pixel(onBar(*bar)), barFill); }))
        << "opaque again: " << seen();
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, TheOpacitySlider,
                         ::testing::Values(test::X11WindowManager::openboxTest, test::X11WindowManager::xfwm4,
                                           test::X11WindowManager::metacity, test::X11WindowManager::marco),
                         test::X11WindowManagerName());

TEST_F(BarsOverABackdrop, AreOpaqueWithoutACompositorAndAgainWithinASecondOfItsEnd) {
    const auto bar = startWithGroupOverBackdrop({{"tabBarOpacity", "0.3"}});
    ASSERT_TRUE(bar);
    const std::uint32_t under = pixel(besideBar(*bar));
    // No compositing manager: opaque, never black.
    EXPECT_TRUE(user->waitUntil([&] { return near(pixel(onBar(*bar)), barFill); }))
        << "without a compositor the bar shows " << hex(pixel(onBar(*bar)));

    std::string why;
    if (!desktop->startCompositor(why)) GTEST_SKIP() << why;
    const std::uint32_t translucent = blend(barFill, under, 0.3);
    EXPECT_TRUE(user->waitUntil([&] { return near(pixel(onBar(*bar)), translucent); }))
        << "with a compositor the bar shows " << hex(pixel(onBar(*bar))) << ", not " << hex(translucent);

    ASSERT_TRUE(desktop->stopCompositor());
    EXPECT_TRUE(user->waitUntil([&] { return near(pixel(onBar(*bar)), barFill); }, seconds(1)))
        << "a second after the compositor ended the bar shows " << hex(pixel(onBar(*bar)));
    const auto again = barOn(pair_.active);
    EXPECT_TRUE(again && again->rect == bar->rect) << "the bar did not stay on its group";
}

// With a compositing manager that casts shadows: picom with "-c" (started
// once the bars show), or marco's own.
using NoCompositorShadow = BarsOverABackdropOn;

TEST_P(NoCompositorShadow, FallsAroundTheBarsOrTheInsertPreview) {
    const auto bar = startWithGroupOverBackdrop();
    ASSERT_TRUE(bar);
    // picom as "-c" makes it: a shadow around every window that does not
    // ask for none, up to about 25 pixels out.
    std::string why;
    if (!desktop->composited() && !desktop->startCompositor(why, {"-c"})) GTEST_SKIP() << why;
    // The bar translucent for the compositor (made anew with an alpha channel)...
    ASSERT_TRUE(user->waitUntil([&] {
        const auto shown = barOn(pair_.active);
        xcb_connection_t* c = desktop->connection().get();
        auto geometry = shown ? xcbReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, shown->window)) : nullptr;
        return geometry && geometry->depth == 32;
    })) << "the bar was not made translucent";
    // ... before a window whose shadow shows below it.
    const auto third = desktop->launchXterm("translucent-third", "60x6+1100+40");
    ASSERT_TRUE(third);
    const std::uint32_t backdrop = pixel(besideBar(*bar));
    const Point belowThird{user->frame(third->window).midX(), user->frame(third->window).maxY() + 6};
    ASSERT_TRUE(user->waitUntil([&] { return !near(pixel(belowThird), backdrop, 1); }))
        << "the compositor draws no shadows here: " << hex(pixel(belowThird));
    const Point above{bar->rect.midX(), bar->rect.minY() - 8};
    EXPECT_TRUE(near(pixel(above), backdrop, 1)) << "above the bar: " << hex(pixel(above)) << ", the backdrop "
                                                 << hex(backdrop);

    // The preview over the group (its frame and its bar) has the bar's top edge.
    const Rect target = user->frame(pair_.active);
    const Rect outline = target.unionWith(bar->rect);
    const auto previewShows = [&] {
        const auto overlays = user->overlays();
        return std::any_of(overlays.begin(), overlays.end(), [&](const ShownWindow& w) { return w.rect == outline; });
    };
    // The drag shows the preview; one that did not (the window manager
    // took the gesture) is tried again from where it began.
    const Point home = user->frame(third->window).origin;
    bool shown = false;
    bool unshaded = false;
    std::string dragged;
    for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
        desktop->windows().setPosition(third->window, home);
        user->waitUntil([&] { return user->frame(third->window).origin == home; });
        user->focus(third->window);
        user->dragTitleBar(third->window, Point{std::round(target.midX()), std::round(target.midY())}, true, dragged,
                           [&] {
                               if (!previewShows()) return false;
                               shown = true;
                               unshaded = near(pixel(above), backdrop, 1);
                               return true;
                           },
                           seconds(3));
    }
    ASSERT_TRUE(shown) << "no preview over the group at " << DesktopUser::describe(outline) << " (" << dragged
                       << "; the program shows " << DesktopUser::describe(user->overlays()) << ")";
    EXPECT_TRUE(unshaded) << "with the preview shown, above it: " << hex(pixel(above));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, NoCompositorShadow,
                         ::testing::Values(test::X11WindowManager::openboxTest, test::X11WindowManager::marco),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
