// Hover help on the tab bars of the real program, on the window managers
// people run (stock openbox; xfwm4 with its own compositor): the pointer
// resting on the bar's "+" or on a tab's pop-out button brings up the
// toolkit's tooltip after its usual delay, although the bar never takes the
// focus. The tooltip is a window of the program found through the X server
// (override-redirect, typed as a tooltip), standing above every window it
// covers, the bar included, whole on the screen also where the bar stands
// at the screen's bottom edge; and it says the control's help in the user's
// language (German here), as a screen reader reads it where the machine has
// an accessibility bus.
#include "AccessibilityBus.h"
#include "BarTabs.h"
#include "EndToEndTest.h"
#include "GroupOnTop.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::e2e {
namespace {

using WM = test::X11WindowManager;

class HoverHelpTest : public EndToEndOnWindowManager {
protected:
    void SetUp() override {
        EndToEndOnWindowManager::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // A session bus of the desktop's own, for the accessibility bus.
        if (const auto address = desktop->startService({"dbus-daemon", "--session", "--nofork", "--print-address=3"})) {
            std::string why;
            a11y = AccessibilityBus::connect(*address, why);
            if (a11y) sessionBus = *address;
            else std::fprintf(stderr, "no accessibility bus (the texts are not read): %s\n", why.c_str());
        }
    }

    TessalyProgram::Options germanProgram() const {
        TessalyProgram::Options options;
        options.environment["LANGUAGE"] = "de";
        if (!sessionBus.empty()) {
            options.environment["DBUS_SESSION_BUS_ADDRESS"] = sessionBus;
            options.environment["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1";
        }
        return options;
    }

    // The program's shown tooltips: its override-redirect windows that say
    // they are one (_NET_WM_WINDOW_TYPE).
    std::vector<ShownWindow> tooltips() {
        X11Connection& x = desktop->connection();
        const xcb_atom_t tooltip = x.internAtom("_NET_WM_WINDOW_TYPE_TOOLTIP");
        auto all = user->overlays();
        std::erase_if(all, [&](const ShownWindow& w) {
            auto reply = xcbReply(x.get(), xcb_get_property_reply,
                                  xcb_get_property(x.get(), 0, w.window, x.atoms().NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 0, 16));
            if (!reply || reply->format != 32) return true;
            const auto* types = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
            const int count = xcb_get_property_value_length(reply.get()) / 4;
            return std::find(types, types + count, tooltip) == types + count;
        });
        return all;
    }

    // Whether `tip` stands above every other shown window that it covers.
    bool standsOnTop(const ShownWindow& tip) {
        const auto stack = user->screen.stack();
        const auto at = std::find_if(stack.begin(), stack.end(), [&](const ShownWindow& w) { return w.window == tip.window; });
        if (at == stack.end()) return false;
        return std::none_of(at + 1, stack.end(), [&](const ShownWindow& w) { return !w.rect.intersection(tip.rect).isEmpty(); });
    }

    // Rests the pointer on `spot` (coming from just left of it, as a hand
    // does) until a tooltip shows; that tooltip.
    std::optional<ShownWindow> hover(Point spot) {
        user->input.moveTo(Point{spot.x - 3, spot.y});
        user->input.moveTo(spot);
        std::vector<ShownWindow> shown;
        if (!user->waitUntil([&] { return (shown = tooltips()).size() == 1; })) return std::nullopt;
        return shown.front();
    }
    // Takes the pointer off the bar, to the empty desktop; the tooltip goes.
    bool leave() {
        user->input.moveTo(Point{1500, 60});
        return user->waitUntil([&] { return tooltips().empty(); });
    }

    // Whether a screen reader reads `text` in a tooltip of the program (true
    // where the machine has no accessibility bus).
    bool readsTooltip(const std::string& text) {
        return !a11y || a11y->waitFor(program->pid(), "tool tip", text).has_value();
    }

    std::string sessionBus;
    std::unique_ptr<AccessibilityBus> a11y;
};

TEST_P(HoverHelpTest, RestingOnPlusOrAPopOutButtonShowsItsHelpOnTopAndOnScreen) {
    // Two windows as one group whose bar stands as near the bottom edge of
    // the screen as the program lets a group go (on openbox; xfwm4 keeps
    // windows whole on the screen): the tooltips there still show whole.
    const auto first = desktop->launchXlogo("420x300+300+985");
    const auto second = desktop->launchXlogo("420x300+300+985");
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(startProgramWithGroups({{first->window, second->window}}, germanProgram()));
    // The group settles first: the member shown on top takes the tab after
    // a second there, and the bar built anew then would end a tooltip.
    ASSERT_TRUE(selectedTabOnTop(*desktop, *user, {first->window, second->window}));
    std::vector<ShownWindow> bars;
    ASSERT_TRUE(user->waitUntil([&] { return (bars = user->bars()).size() == 1 && tabsOf(*desktop, bars.front()).size() == 2; }))
        << "the program shows " << DesktopUser::describe(user->overlays());
    if (manager() == WM::xfwm4) {
        ASSERT_TRUE(desktop->composited()) << "xfwm4 runs without its compositor";
    }
    const ShownWindow bar = bars.front();
    const auto tabs = tabsOf(*desktop, bar);
    const Rect screen(0, 0, 1600, 1000);
    if (manager() == WM::openbox) {
        ASSERT_GE(bar.rect.maxY(), 960) << "the bar stands at " << DesktopUser::describe(bar.rect);
    }

    // "+" right after the last tab; a tab's pop-out button at its right end.
    const Point plus{tabs.back().maxX + 2 + 11, std::round(bar.rect.midY())};
    const Point popOut{tabs.front().maxX - 14, std::round(bar.rect.midY())};
    for (const auto& [spot, text] : {std::pair{plus, std::string("Fenster zur Gruppe hinzufügen")},
                                     std::pair{popOut, std::string("Aus Gruppe lösen")}}) {
        SCOPED_TRACE("hovering at " + DesktopUser::describe(spot) + " for \"" + text + "\"");
        const auto tip = hover(spot);
        ASSERT_TRUE(tip) << "no tooltip; the program shows " << DesktopUser::describe(user->overlays());
        EXPECT_TRUE(screen.contains(tip->rect)) << "the tooltip stands at " << DesktopUser::describe(tip->rect);
        EXPECT_TRUE(standsOnTop(*tip)) << "a window covers the tooltip at " << DesktopUser::describe(tip->rect)
                                       << " (bar at " << DesktopUser::describe(bar.rect) << ")";
        EXPECT_TRUE(readsTooltip(text)) << "the tooltips read:\n" << AccessibilityBus::describe(a11y->last);
        ASSERT_TRUE(leave()) << "the tooltip stayed after the pointer left the bar";
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, HoverHelpTest, ::testing::Values(WM::openbox, WM::xfwm4),
                         test::X11WindowManagerName());

}  // namespace
}  // namespace tessaly::e2e
