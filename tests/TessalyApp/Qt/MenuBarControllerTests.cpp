#include "TessalyApp/Qt/MenuBarController.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QImage>
#include <QMenu>
#include <QSystemTrayIcon>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

class FakeAppearance final : public SystemAppearance {
public:
    bool dark = false;
    std::function<void()> observer;
    bool prefersDark() const override { return dark; }
    Subscription addObserver(std::function<void()> handler) override {
        observer = std::move(handler);
        return Subscription([this] { observer = nullptr; });
    }
};

class MenuBarControllerTests : public ::testing::Test {
protected:
    MenuBarControllerTests() {
        Log::setSink([this](LogLevel, LogCategory category, std::string_view line) {
            if (category == LogCategory::app) log.emplace_back(line);
        });
        actions.isTrusted = [] { return true; };
        actions.isSessionRunning = [this] { return running; };
        actions.isDragActive = [this] { return running; };
        actions.groupsSnapshot = [this] { return groups; };
        actions.onFocusGroup = [this](const Uuid& id) { calls.push_back("focus " + id.uuidString()); };
        actions.onQuit = [this] { calls.push_back("quit"); };
        actions.onWillOpen = [this] { calls.push_back("will open"); };
    }
    ~MenuBarControllerTests() override { Log::setSink(nullptr); }

    // Opens the menu as the tray does: the menu is told it is about to show.
    std::vector<QAction*> open(MenuBarController& controller) {
        emit controller.menu().aboutToShow();
        const QList<QAction*> shown = controller.menu().actions();
        return std::vector<QAction*>(shown.begin(), shown.end());
    }

    L10n::ScopedLanguageForTesting english{AppLanguage::english};
    StatusMenuActions actions;
    bool running = false;
    std::vector<GroupMenuItem> groups;
    std::vector<std::string> calls;
    std::vector<std::string> log;
};

QAction* find(const std::vector<QAction*>& actions, const QString& text) {
    for (QAction* action : actions) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

TEST_F(MenuBarControllerTests, TheMenuIsRebuiltEachTimeItOpensWithForeignTextKeptLiteral) {
    MenuBarController controller(actions);
    EXPECT_TRUE(calls.empty());  // building the item starts nothing
    const Uuid id = Uuid::random();
    groups = {{id, "R&D notes", 1}};
    running = true;

    std::vector<QAction*> items = open(controller);
    items = open(controller);  // twice: the rows are there once
    EXPECT_EQ(calls, (std::vector<std::string>{"will open", "will open"}));
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0]->text(), "Running");
    EXPECT_FALSE(items[0]->isEnabled());
    int rows = 0;
    for (QAction* action : items) rows += action->text().startsWith("1 tab") ? 1 : 0;
    EXPECT_EQ(rows, 1);
    QAction* row = find(items, "1 tab | R&&D notes");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->toolTip(), "Bring this group to the front (switches workspace if needed)");
    EXPECT_FALSE(find(items, "Groups")->isEnabled());
    // The menu is drawn here (no StatusNotifier host): its rows name their keys.
    EXPECT_EQ(find(items, "Settings…")->shortcut(), QKeySequence("Ctrl+,"));
    EXPECT_TRUE(controller.menu().toolTipsVisible());

    row->trigger();
    find(items, "Quit Tessaly")->trigger();
    EXPECT_EQ(calls, (std::vector<std::string>{"will open", "will open", "focus " + id.uuidString(), "quit"}));
}

TEST_F(MenuBarControllerTests, TheOpenMenuAnswersItsKeysNamedInTheDisplayLanguage) {
    L10n::ScopedLanguageForTesting german{AppLanguage::german};
    actions.onOpenSettings = [this] { calls.push_back("settings"); };
    MenuBarController controller(actions);
    QMenu& menu = controller.menu();
    menu.popup(QPoint(40, 40));
    const auto items = open(controller);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(find(items, "Tessaly beenden")->shortcut().toString(QKeySequence::NativeText), "Strg+Q");
    QTest::keyClick(&menu, Qt::Key_Comma, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(calls.back(), "settings");
    EXPECT_FALSE(menu.isVisible());  // chosen: the menu closed
    // Closed, the menu hears nothing.
    calls.clear();
    QTest::keyClick(&menu, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(calls.empty());
    menu.popup(QPoint(40, 40));
    QTest::keyClick(&menu, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(calls, (std::vector<std::string>{"will open", "quit"}));
}

TEST_F(MenuBarControllerTests, WithoutATraySaysSoOnceAndStillOffersTheRows) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());  // offscreen: no tray
    MenuBarController controller(actions);
    EXPECT_FALSE(controller.isTrayAvailable());
    EXPECT_EQ(log, (std::vector<std::string>{MenuBarController::noTrayLine}));
    controller.showNotice("⚠️ something");  // no tray to show it: nothing breaks

    // The settings window's stand-in lists the same rows and acts on them.
    const auto rows = controller.model().refresh();
    const auto quit = std::find_if(rows.begin(), rows.end(),
                                   [](const StatusMenuEntry& e) { return e.kind == StatusMenuEntry::Kind::quit; });
    ASSERT_NE(quit, rows.end());
    controller.model().activate(*quit);
    EXPECT_EQ(calls.back(), "quit");
}

TEST_F(MenuBarControllerTests, TheMarkFollowsThePanelsLightness) {
    const auto appearance = std::make_shared<FakeAppearance>();
    MenuBarController controller(actions, appearance);
    const auto inkLightness = [&] {
        const QImage image = controller.trayIcon().icon().pixmap(64, 64).toImage();
        return image.pixelColor(32, 5).lightness();
    };
    EXPECT_LT(inkLightness(), 128);  // dark strokes on a light panel
    appearance->dark = true;
    ASSERT_TRUE(appearance->observer);
    appearance->observer();
    EXPECT_GT(inkLightness(), 128);
}

}  // namespace
}  // namespace tessaly
