// Bringing a window of ours to the front with the focus, on openbox, while
// another client is active and from another desktop.
#include "Platform/Qt/QtOnX11.h"
#include "Platform/Qt/QtWindowActivation.h"

#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

TESSALY_QT_X11_TEST(QtDesktop, BringToFrontTakesTheFocusOnTheCurrentDesktopAndStaysAboveForAWhile) {
    auto& windows = desktop().windows();
    const auto term = desktop().launchXterm();
    ASSERT_TRUE(term);
    ASSERT_TRUE(desktop().waitUntil([&] { return windows.activeWindow() == term->window; }));

    QWidget window;
    window.setWindowTitle(QStringLiteral("activation test"));
    window.resize(300, 200);
    tessaly::QtWindowActivation::bringToFront(window, 0.3);
    const auto id = static_cast<xcb_window_t>(window.windowHandle()->winId());
    ASSERT_TRUE(waitUntil([&] { return windows.activeWindow() == id; })) << "the window got the focus";
    auto info = windows.read(id);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->desktop, 0u);
    // Above for the time asked, then an ordinary window again.
    EXPECT_TRUE(waitUntil([&] { return windows.read(id)->state.above; }));
    EXPECT_TRUE(waitUntil([&] { return !windows.read(id)->state.above; }));

    // The terminal takes the focus back; then the user switches desktop.
    ASSERT_TRUE(windows.activate(term->window));
    ASSERT_TRUE(waitUntil([&] { return windows.activeWindow() == term->window; }));
    ASSERT_TRUE(windows.switchToDesktop(1));
    ASSERT_TRUE(waitUntil([&] { return windows.currentDesktop() == 1u; }));
    tessaly::QtWindowActivation::bringToFront(window);
    EXPECT_TRUE(waitUntil([&] {
        const auto now = windows.read(id);
        return now && now->desktop == 1u && windows.activeWindow() == id;
    })) << "moved to the desktop in view and focused there";
}
