// Starting on a display where no window manager runs yet: the onboarding
// window says what the program waits for, offers nothing that could not
// work, stays in front of the settings window of a first start, and goes
// once a window manager answers and the session starts.
#include "ScreenReadback.h"
#include "ShellTest.h"

#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tessaly::e2e {
namespace {

constexpr const char* onboardingTitle = "Welcome to Tessaly";
constexpr const char* onboardingBody =
    "To group windows into tabs,\nTessaly needs a window manager with EWMH support.\nIt starts automatically once "
    "one is running.";

class ShellOnboardingTest : public ShellTest {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = ShellTest::desktopOptions();
        options.windowManager = false;
        return options;
    }
};

TEST_F(ShellOnboardingTest, WithoutAWindowManagerItAsksForOneOffersNoButtonAndStartsWhenOneAnswers) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ChildProcess* run = launch();
    ASSERT_TRUE(run);
    pid_ = run->pid();
    ASSERT_TRUE(control("label", onboardingBody, onboardingTitle)) << "no onboarding window saying what it waits for";
    const auto tree = a11y_->snapshot(pid());
    const auto window = windowNode(tree, onboardingTitle);
    ASSERT_TRUE(window);
    for (std::size_t i = 0; i < tree.size(); ++i) {
        EXPECT_FALSE(tree[i].isShowing() && tree[i].role == "push button" && AccessibilityBus::isInside(tree, i, *window))
            << "the window offers \"" << tree[i].name << "\"";
    }
    EXPECT_EQ(run->count(TessalyProgram::sessionStartedLine), 0u);

    ASSERT_TRUE(startOnDesktop({"openbox", "--sm-disable"}));  // as it comes
    EXPECT_TRUE(run->waitForOutput(TessalyProgram::sessionStartedLine, test::kX11Patience));
    EXPECT_TRUE(a11y_->waitUntil(pid(), [](const std::vector<Accessible>& shown) {
        return !windowNode(shown, onboardingTitle);
    })) << "the onboarding window stayed after the session started";
}

// Watches the root's children on a connection of its own: which window
// was restacked directly above which.
class RootRestacks {
public:
    explicit RootRestacks(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr), xcb_disconnect) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data;
        root_ = screen->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_.get(), root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_.get());
    }
    // Reads what arrived; whether `window` was put right above `below` since the watch began.
    bool raisedAbove(xcb_window_t window, xcb_window_t below) {
        while (auto* event = xcb_poll_for_event(connection_.get())) {
            if ((event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
                const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
                restacks_.emplace_back(configure->window, configure->above_sibling);
            }
            std::free(event);
        }
        return std::find(restacks_.begin(), restacks_.end(), std::pair{window, below}) != restacks_.end();
    }

private:
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection_;
    xcb_window_t root_ = XCB_NONE;
    std::vector<std::pair<xcb_window_t, xcb_window_t>> restacks_;
};

TEST_F(ShellOnboardingTest, AtAFirstStartTheWelcomeStaysInFrontOfTheSettingsWindow) {
    writeDefaults({}, true);
    RootRestacks restacks(desktop->display());
    ChildProcess* run = launch({});  // as a user starts it: the settings window opens too
    ASSERT_TRUE(run);
    pid_ = run->pid();
    // The program's shown top-level windows by title, bottom to top.
    const auto shown = [&] {
        xcb_connection_t* c = desktop->connection().get();
        std::vector<std::pair<std::string, xcb_window_t>> titled;
        for (const ShownWindow& window : ScreenReadback(*desktop).stack()) {
            if (window.pid != ProcessID{pid_}) continue;
            xcb_icccm_get_text_property_reply_t name{};
            if (!xcb_icccm_get_wm_name_reply(c, xcb_icccm_get_wm_name(c, window.window), &name, nullptr)) continue;
            titled.emplace_back(std::string(name.name, name.name_len), window.window);
            xcb_icccm_get_text_property_reply_wipe(&name);
        }
        return titled;
    };
    const auto find = [&](const std::string& title) -> std::optional<std::size_t> {
        const auto titled = shown();
        for (std::size_t i = 0; i < titled.size(); ++i) {
            if (titled[i].first == title) return i;
        }
        return std::nullopt;
    };
    ASSERT_TRUE(desktop->waitUntil([&] { return find(onboardingTitle) && find(settingsTitle); }))
        << "the welcome and the settings window did not both show";
    xcb_window_t welcome = XCB_NONE, settings = XCB_NONE;
    for (const auto& [title, window] : shown()) {
        if (title == onboardingTitle) welcome = window;
        if (title == settingsTitle) settings = window;
    }
    // The settings window floats for a moment after it opens, then is
    // raised as it drops to the normal level: with no window manager, that
    // raise puts it right above the welcome, which must come back on top.
    ASSERT_TRUE(desktop->waitUntil([&] { return restacks.raisedAbove(settings, welcome); }))
        << "the settings window was never raised";
    EXPECT_TRUE(desktop->waitUntil([&] {
        const auto welcomeAt = find(onboardingTitle), settingsAt = find(settingsTitle);
        return welcomeAt && settingsAt && *welcomeAt > *settingsAt;
    }))
        << "the welcome stays hidden under the settings window";
    EXPECT_EQ(run->count(TessalyProgram::sessionStartedLine), 0u);
}

}  // namespace
}  // namespace tessaly::e2e
