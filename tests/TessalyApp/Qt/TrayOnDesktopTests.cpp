// The tray icon on a real desktop with an XEmbed tray (trayer): without a
// tray the program says so once; a tray that appears later takes the icon;
// a right click opens the status menu, rebuilt for that opening; a tray
// that goes away and comes back takes the icon again.
#include "Platform/Qt/QtOnX11.h"
#include "TessalyApp/Qt/MenuBarController.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include <spawn.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Log.h"
#include "TessalyCore/L10n.h"

extern char** environ;

namespace tessaly {
namespace {

using test::QtOnX11;
using test::X11Desktop;

TEST(TrayOnDesktop, Suite) {
    if (QtOnX11::isChild()) GTEST_SKIP();
    // No session bus: Qt takes the XEmbed tray, as on a desktop without a
    // StatusNotifier host.
    QtOnX11::runSuite("TrayDesktop", {{"DBUS_SESSION_BUS_ADDRESS", "disabled:"}});
}

class TrayDesktopTest : public test::QtOnX11Test {
protected:
    TrayDesktopTest() {
        Log::setSink([this](LogLevel, LogCategory category, std::string_view line) {
            if (category == LogCategory::app) log.emplace_back(line);
        });
    }
    ~TrayDesktopTest() override {
        if (tray_ > 0) X11Desktop::stopProcess(tray_);
        Log::setSink(nullptr);
    }

    // Starts trayer; false when the program is missing.
    bool startTray() {
        char program[] = "trayer";
        char* argv[] = {program, nullptr};
        return ::posix_spawnp(&tray_, "trayer", nullptr, nullptr, argv, environ) == 0;
    }
    void stopTray() {
        X11Desktop::stopProcess(tray_);
        tray_ = -1;
    }

    // The window Qt embeds into the tray.
    static QWidget* iconWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QStringLiteral("QSystemTrayIconSys")) return widget;
        }
        return nullptr;
    }
    // Docked: the icon's window sits inside the tray, not on the root, and
    // the tray shows it.
    bool isDocked() {
        QWidget* icon = iconWindow();
        if (!icon || !icon->isVisible()) return false;
        auto& x = desktop().connection();
        const auto window = static_cast<xcb_window_t>(icon->winId());
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x.get(), xcb_query_tree(x.get(), window), nullptr);
        xcb_get_window_attributes_reply_t* attributes =
            xcb_get_window_attributes_reply(x.get(), xcb_get_window_attributes(x.get(), window), nullptr);
        const bool docked = tree && attributes && tree->parent != x.root() &&
                            attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(tree);
        std::free(attributes);
        return docked;
    }
    // Right-clicks the icon until its menu shows (the tray may still be
    // placing the icon when the first click comes).
    bool openMenuByRightClick(MenuBarController& controller) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            rightClickIcon();
            if (waitUntil([&] { return controller.menu().isVisible(); }, std::chrono::seconds(2))) return true;
        }
        return false;
    }
    void rightClickIcon() {
        QWidget* icon = iconWindow();
        ASSERT_NE(icon, nullptr);
        auto& x = desktop().connection();
        xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
            x.get(), xcb_translate_coordinates(x.get(), static_cast<xcb_window_t>(icon->winId()), x.root(), 0, 0),
            nullptr);
        ASSERT_NE(at, nullptr);
        const auto px = static_cast<std::int16_t>(at->dst_x + icon->width() / 2);
        const auto py = static_cast<std::int16_t>(at->dst_y + icon->height() / 2);
        std::free(at);
        for (const auto type : {XCB_MOTION_NOTIFY, XCB_BUTTON_PRESS, XCB_BUTTON_RELEASE}) {
            const std::uint8_t detail = type == XCB_MOTION_NOTIFY ? 0 : 3;
            xcb_test_fake_input(x.get(), type, detail, XCB_CURRENT_TIME, x.root(), px, py, XCB_NONE);
        }
        x.sync();
    }

    L10n::ScopedLanguageForTesting english{AppLanguage::english};
    std::vector<std::string> log;
    pid_t tray_ = -1;
};

TESSALY_QT_X11_TEST_F(TrayDesktopTest, TrayDesktop, TheIconDocksInALateTrayAndRightClickOpensTheFreshMenu) {
    int openings = 0;
    StatusMenuActions actions;
    actions.isTrusted = [] { return true; };
    actions.isSessionRunning = [] { return true; };
    actions.isDragActive = [] { return true; };
    actions.groupsSnapshot = [] {
        return std::vector<GroupMenuItem>{{Uuid::random(), "Mail", 2}, {Uuid::random(), "Build", 3}};
    };
    actions.onWillOpen = [&] { ++openings; };
    MenuBarController controller(actions);
    ASSERT_FALSE(controller.isTrayAvailable());
    EXPECT_EQ(log, (std::vector<std::string>{MenuBarController::noTrayLine}));

    ASSERT_TRUE(startTray()) << "trayer is not installed";
    ASSERT_TRUE(waitUntil([&] { return controller.isTrayAvailable(); })) << "the tray announced itself";
    ASSERT_TRUE(waitUntil([&] { return isDocked(); })) << "the icon docked in the late tray";

    ASSERT_TRUE(openMenuByRightClick(controller)) << "the menu opened";
    EXPECT_EQ(openings, 1);
    QStringList texts;
    for (const QAction* action : controller.menu().actions()) texts << action->text();
    EXPECT_EQ(texts.value(0), "Running");
    EXPECT_TRUE(texts.contains("2 tabs | Mail"));
    EXPECT_TRUE(texts.contains("3 tabs | Build"));
    controller.menu().hide();

    // The tray goes away, and another one comes: the icon docks there.
    stopTray();
    ASSERT_TRUE(waitUntil([&] { return !controller.isTrayAvailable(); }));
    ASSERT_TRUE(startTray());
    EXPECT_TRUE(waitUntil([&] { return isDocked(); })) << "the icon docked in the new tray";
    EXPECT_EQ(log.size(), 1u);  // "no tray" was said once
}

}  // namespace
}  // namespace tessaly
