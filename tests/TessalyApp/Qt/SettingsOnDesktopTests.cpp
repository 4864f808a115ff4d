// The settings window on a real desktop (Xvfb and openbox): it comes to the
// front on the current desktop with the focus while another program has it,
// floats above until it has had the focus for a second, and records a
// tab-cycle hotkey from real key presses.
#include "Platform/Qt/QtOnX11.h"

#include <QApplication>
#include <QPushButton>
#include <QWindow>

#include <gtest/gtest.h>

#include "Platform/ManualMainExecutor.h"
#include "Platform/UserDefaults.h"
#include "TessalyApp/Qt/GroupDemoAnimation.h"
#include "TessalyApp/Qt/HotkeyRecorderRow.h"
#include "TessalyApp/Qt/HowToSettingsTab.h"
#include "TessalyApp/Qt/SettingsView.h"
#include "TessalyApp/Qt/SettingsWindowController.h"
#include "TessalyApp/Qt/TabBarSettingsTab.h"

namespace tessaly {
namespace {

using test::QtOnX11;

TEST(SettingsOnDesktop, Suite) {
    if (QtOnX11::isChild()) GTEST_SKIP();
    QtOnX11::runSuite("SettingsDesktop", {{"TESSALY_QT_X11_DESKTOPS", "2"}});
}

TESSALY_QT_X11_TEST(SettingsDesktop, ComesToTheFrontFloatsBrieflyAndRecordsRealKeys) {
    auto& windows = desktop().windows();
    const auto term = desktop().launchXterm();
    ASSERT_TRUE(term);
    ASSERT_TRUE(desktop().waitUntil([&] { return windows.activeWindow() == term->window; }));

    SettingsStore store(std::make_shared<InMemoryUserDefaults>());
    auto main = std::make_shared<ManualMainExecutor>();
    SettingsWindowController controller(store, {}, main, {});
    controller.model().setSelectedCategory(SettingsCategory::tabBar);
    controller.show();
    const auto id = static_cast<xcb_window_t>(controller.window().windowHandle()->winId());
    ASSERT_TRUE(waitUntil([&] { return windows.activeWindow() == id; })) << "the window took the focus";
    ASSERT_TRUE(windows.read(id));
    EXPECT_EQ(windows.read(id)->desktop, 0u);
    EXPECT_TRUE(waitUntil([&] { return windows.read(id)->state.above; })) << "above the others at first";
    // Once Qt has seen the focus arrive, a second of it ends the floating.
    ASSERT_TRUE(waitUntil([&] { return controller.window().isActiveWindow(); }));
    main->advance(SettingsWindowController::keyFloatSeconds);
    EXPECT_TRUE(waitUntil([&] { return !windows.read(id)->state.above; })) << "an ordinary window once focused";

    // Recording the next-tab hotkey from the keyboard: a letter alone is
    // refused, Control-Alt-Left is taken (from the previous tab).
    auto* page = dynamic_cast<TabBarSettingsTab*>(controller.view().currentPage());
    ASSERT_NE(page, nullptr);
    page->nextTabRow().recordButton().click();
    ASSERT_TRUE(controller.model().hotkeyRecorder().isRecording());
    if (desktop().run({"xdotool", "key", "a"}) != 0) GTEST_SKIP() << "xdotool is not installed";
    EXPECT_TRUE(waitUntil([&] { return controller.model().hotkeyRecorder().showsRuleHint(); }));
    ASSERT_EQ(desktop().run({"xdotool", "key", "ctrl+alt+Left"}), 0);
    ASSERT_TRUE(waitUntil([&] { return !controller.model().hotkeyRecorder().isRecording(); }));
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo::defaultPrevTab);
    EXPECT_EQ(store.prevTabHotkey(), std::nullopt);

    // Closed, then opened again from another desktop: it comes along and floats again.
    controller.window().close();
    ASSERT_TRUE(windows.activate(term->window));
    ASSERT_TRUE(desktop().waitUntil([&] { return windows.activeWindow() == term->window; }));
    ASSERT_TRUE(windows.switchToDesktop(1));
    ASSERT_TRUE(desktop().waitUntil([&] { return windows.currentDesktop() == 1u; }));
    controller.show();
    // (Qt may have made a new native window for the shown widget.)
    const auto again = static_cast<xcb_window_t>(controller.window().windowHandle()->winId());
    EXPECT_TRUE(waitUntil([&] {
        const auto now = windows.read(again);
        return now && now->desktop == 1u && windows.activeWindow() == again;
    })) << "on the desktop in view and focused";
    EXPECT_TRUE(waitUntil([&] { return windows.read(again)->state.above; })) << "floating again";
}

TESSALY_QT_X11_TEST(SettingsDesktop, TheHowToPictureStopsOnAnotherDesktopAndWhileMinimised) {
    auto& windows = desktop().windows();
    SettingsStore store(std::make_shared<InMemoryUserDefaults>());
    auto main = std::make_shared<ManualMainExecutor>();
    SettingsWindowController controller(store, {}, main, {});
    controller.model().setSelectedCategory(SettingsCategory::howTo);
    controller.show();
    auto* page = dynamic_cast<HowToSettingsTab*>(controller.view().currentPage());
    ASSERT_NE(page, nullptr);
    GroupDemoAnimation& demo = page->demo();
    const auto id = static_cast<xcb_window_t>(controller.window().windowHandle()->winId());
    ASSERT_TRUE(waitUntil([&] { return windows.activeWindow() == id && demo.isAnimating(); }));
    // An ordinary window once it has had the focus for a while.
    ASSERT_TRUE(waitUntil([&] { return controller.window().isActiveWindow(); }));
    main->advance(SettingsWindowController::keyFloatSeconds);
    ASSERT_TRUE(waitUntil([&] { return !windows.read(id)->state.above; }));

    // The user goes to the other desktop: the window is out of view. (Each
    // request is sent by waiting on the desktop's own connection.)
    const std::uint32_t here = windows.currentDesktop().value_or(0), other = 1 - here;
    ASSERT_TRUE(windows.switchToDesktop(other));
    ASSERT_TRUE(desktop().waitUntil([&] { return windows.read(id) && !windows.read(id)->viewable; }));
    EXPECT_TRUE(waitUntil([&] { return !demo.isAnimating(); })) << "still playing on another desktop";
    ASSERT_TRUE(windows.switchToDesktop(here));
    ASSERT_TRUE(desktop().waitUntil([&] { return windows.read(id) && windows.read(id)->viewable; }));
    EXPECT_TRUE(waitUntil([&] { return demo.isAnimating(); })) << "not playing once back";

    ASSERT_TRUE(windows.minimize(id));
    ASSERT_TRUE(desktop().waitUntil([&] { return windows.read(id) && windows.read(id)->iconic; }));
    EXPECT_TRUE(waitUntil([&] { return !demo.isAnimating(); })) << "still playing while minimised";
    ASSERT_TRUE(windows.activate(id));
    ASSERT_TRUE(desktop().waitUntil([&] { return windows.read(id) && windows.read(id)->viewable; }));
    EXPECT_TRUE(waitUntil([&] { return demo.isAnimating(); })) << "not playing once restored";
}

}  // namespace
}  // namespace tessaly
