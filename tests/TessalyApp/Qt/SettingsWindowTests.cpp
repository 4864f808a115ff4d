// The settings window as a whole, offscreen: floating after it opens, what
// closing does, fitting a small screen, and recording a hotkey from key
// presses in the window.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QMenu>
#include <QToolButton>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>

#include <gtest/gtest.h>

#include "Platform/ManualMainExecutor.h"
#include "Platform/TestFiles.h"
#include "Platform/UserDefaults.h"
#include "TessalyApp/Qt/AboutSettingsTab.h"
#include "TessalyApp/Qt/ColorsSettingsTab.h"
#include "TessalyApp/Qt/GeneralSettingsTab.h"
#include "TessalyApp/Qt/HotkeyRecorderRow.h"
#include "TessalyApp/Qt/HowToSettingsTab.h"
#include "TessalyApp/Qt/SettingsColorPanel.h"
#include "TessalyApp/Qt/SettingsView.h"
#include "TessalyApp/Qt/SettingsWindowController.h"
#include "TessalyApp/Qt/TabBarSettingsTab.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

using Target = HotkeyRecorder::Target;

// X key codes: evdev codes + 8 (a = 38, Control_L = 37, Right = 114).
class FakeLayout : public KeyboardLayout {
public:
    std::optional<std::string> displayText(std::uint16_t) const override { return std::nullopt; }
    std::optional<std::uint16_t> storedKeyCode(std::uint32_t native) const override {
        switch (native) {
            case 38: return 0x00;   // A
            case 37: return 0x3B;   // Control
            case 114: return 124;   // Right Arrow
            case 9: return 53;      // Escape
            default: return std::nullopt;
        }
    }
};

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() {
        SettingsWindowController::Options options;
        options.onHotkeyRecordingChanged = [this](bool on) { recording.push_back(on); };
        options.keyboardLayout = std::make_shared<FakeLayout>();
        options.bringToFront = [this](QWidget& window) {
            ++broughtToFront;
            // Shown without the focus unless the test wants it to have it.
            window.setAttribute(Qt::WA_ShowWithoutActivating, !activates);
            window.show();
            if (activates) {
                window.activateWindow();
                QApplication::setActiveWindow(&window);
            }
        };
        controller = std::make_unique<SettingsWindowController>(store, SettingsModelEnvironment{}, main, options);
    }
    ~SettingsWindowTest() override { controller.reset(); }

    SettingsModel& model() { return controller->model(); }
    QWidget& window() { return controller->window(); }
    void closeWindow() {
        window().close();
        QApplication::processEvents();
    }
    // A key press as X11 delivers it to the window's focus widget.
    void press(QWidget& target, int key, Qt::KeyboardModifiers modifiers, quint32 nativeKey) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, nativeKey, 0, 0);
        QApplication::sendEvent(&target, &event);
    }

    std::shared_ptr<ManualMainExecutor> main = std::make_shared<ManualMainExecutor>();
    SettingsStore store{std::make_shared<InMemoryUserDefaults>()};
    std::vector<bool> recording;
    int broughtToFront = 0;
    bool activates = false;
    std::unique_ptr<SettingsWindowController> controller;
};

TEST_F(SettingsWindowTest, AWindowThatNeverGetsTheFocusFloatsForAtMostThreeSeconds) {
    controller->show();
    EXPECT_EQ(broughtToFront, 1);
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(controller->isFloating());
    EXPECT_TRUE(window().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    main->advance(2.9);
    EXPECT_TRUE(controller->isFloating());
    main->advance(0.1);
    EXPECT_FALSE(controller->isFloating());
    EXPECT_FALSE(window().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));

    // Closed while floating: the ceiling leaves the hidden window alone, and
    // the next opening floats it again with a new ceiling.
    controller->show();
    closeWindow();
    main->advance(3);
    EXPECT_TRUE(controller->isFloating());
    controller->show();
    EXPECT_TRUE(controller->isFloating());
    main->advance(3);
    EXPECT_FALSE(controller->isFloating());
}

TEST_F(SettingsWindowTest, AWindowWithTheFocusStopsFloatingAfterOneSecond) {
    activates = true;
    controller->show();
    QApplication::processEvents();
    if (!window().isActiveWindow()) GTEST_SKIP() << "this platform does not activate windows";
    EXPECT_TRUE(controller->isFloating());
    main->advance(0.9);
    EXPECT_TRUE(controller->isFloating());
    main->advance(0.1);
    EXPECT_FALSE(controller->isFloating());
    main->advance(2);  // the ceiling finds nothing to do
    EXPECT_EQ(main->pendingTimerCount(), 0u);
    // Opened again while it has the focus: it does not float at all.
    controller->show();
    QApplication::processEvents();
    EXPECT_FALSE(controller->isFloating());
    EXPECT_EQ(main->pendingTimerCount(), 0u);
}

TEST_F(SettingsWindowTest, ClosingLeavesHowToAndAboutAndEndsWhatWasOpen) {
    model().setSelectedCategory(SettingsCategory::grouping);
    model().setSelectedCategory(SettingsCategory::about);
    controller->show();
    EXPECT_NE(dynamic_cast<AboutSettingsTab*>(controller->view().currentPage()), nullptr);
    model().hotkeyRecorder().begin(Target::nextTab);
    controller->colorPanel().begin(TabColor(1, 0, 0), &window(), [](const TabColor&) {});
    ASSERT_TRUE(controller->colorPanel().dialog().isVisible());
    closeWindow();
    EXPECT_EQ(recording, (std::vector<bool>{true, false}));
    EXPECT_FALSE(controller->colorPanel().dialog().isVisible());
    EXPECT_EQ(model().selectedCategory(), SettingsCategory::grouping);

    // On a configuration page, closing keeps the page; an open sheet is cancelled.
    model().setSelectedCategory(SettingsCategory::colors);
    controller->show();
    auto* colors = dynamic_cast<ColorsSettingsTab*>(controller->view().currentPage());
    ASSERT_NE(colors, nullptr);
    colors->addPresetButton().click();
    QPointer<QDialog> sheet = colors->openSheet();
    ASSERT_TRUE(sheet);
    closeWindow();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(sheet);
    EXPECT_TRUE(model().colorPresets().empty());
    EXPECT_EQ(model().selectedCategory(), SettingsCategory::colors);
    // And it opens again, with its state, while the colour panel was up.
    controller->colorPanel().begin(TabColor(), &window(), [](const TabColor&) {});
    controller->show();
    EXPECT_TRUE(window().isVisible());
    EXPECT_NE(dynamic_cast<ColorsSettingsTab*>(controller->view().currentPage()), nullptr);
}

void closeAndShowOn(SettingsWindowController& controller, int) {
    controller.window().close();
    controller.show();
    QApplication::processEvents();
}

TEST(SettingsWindowFitTest, OnA1024By600ScreenTheWholeWindowIsReachableAndItsPagesScroll) {
    SettingsStore store(std::make_shared<InMemoryUserDefaults>());
    SettingsWindowController::Options options;
    // 1024 x 600 with a 24-pixel panel at the top.
    int areaHeight = 576;
    options.availableArea = [&] { return QRect(0, 24, 1024, areaHeight); };
    options.bringToFront = [](QWidget& window) {
        window.setAttribute(Qt::WA_ShowWithoutActivating);
        window.show();
    };
    SettingsWindowController controller(store, {}, std::make_shared<ManualMainExecutor>(), options);
    controller.model().setSelectedCategory(SettingsCategory::howTo);
    controller.show();
    QApplication::processEvents();
    QWidget& window = controller.window();
    // With room for the window manager's frame, the window stays inside the area.
    EXPECT_LE(window.height() + 40, 576);
    EXPECT_LE(window.maximumHeight() + 40, 576);
    EXPECT_EQ(window.width(), 640);
    EXPECT_GE(window.y(), 24);
    // A page taller than the room it has scrolls to every control (a still
    // smaller screen makes sure, whatever fonts the test machine has).
    closeAndShowOn(controller, areaHeight = 300);
    EXPECT_LE(window.height() + 40, 300);
    controller.model().setSelectedCategory(SettingsCategory::howTo);  // closing left it
    QApplication::processEvents();
    QScrollArea& detail = controller.view().detail();
    ASSERT_NE(detail.widget(), nullptr);
    EXPECT_GT(detail.widget()->minimumSizeHint().height(), detail.viewport()->height());
    EXPECT_GT(detail.verticalScrollBar()->maximum(), 0);
    auto* page = dynamic_cast<HowToSettingsTab*>(detail.widget());
    ASSERT_NE(page, nullptr);
    detail.verticalScrollBar()->setValue(detail.verticalScrollBar()->maximum());
    // Scrolled to the end, the page's bottom edge is inside the viewport.
    const QPoint bottom = page->mapTo(detail.viewport(), QPoint(0, page->height()));
    EXPECT_LE(bottom.y(), detail.viewport()->height());
}

TEST_F(SettingsWindowTest, AHotkeyIsRecordedFromTheWindowsKeyPresses) {
    model().setSelectedCategory(SettingsCategory::tabBar);
    controller->show();
    auto* page = dynamic_cast<TabBarSettingsTab*>(controller->view().currentPage());
    ASSERT_NE(page, nullptr);
    page->prevTabRow().recordButton().click();
    ASSERT_EQ(model().hotkeyRecorder().target(), Target::prevTab);
    QWidget& focus = page->prevTabRow().recordButton();
    // Control alone, then A alone: no combination, then the hint.
    press(focus, Qt::Key_Control, Qt::ControlModifier, 37);
    EXPECT_FALSE(page->prevTabRow().ruleHint().isVisibleTo(page));
    press(focus, Qt::Key_A, Qt::NoModifier, 38);
    EXPECT_TRUE(page->prevTabRow().ruleHint().isVisibleTo(page));
    EXPECT_TRUE(model().hotkeyRecorder().isRecording());
    // Control-Alt-Right: the next-tab hotkey moves to the previous tab.
    press(focus, Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier, 114);
    EXPECT_FALSE(model().hotkeyRecorder().isRecording());
    EXPECT_EQ(store.prevTabHotkey(), KeyCombo::defaultNextTab);
    EXPECT_EQ(store.nextTabHotkey(), std::nullopt);
    EXPECT_EQ(page->nextTabRow().recordButton().text().toStdString(), L10n::hotkeyOff());
    EXPECT_FALSE(page->nextTabRow().clearShown());
    // Idle again: keys reach the widgets.
    bool clicked = false;
    QObject::connect(&page->resetHotkeysButton(), &QPushButton::clicked, [&] { clicked = true; });
    press(page->resetHotkeysButton(), Qt::Key_Space, Qt::NoModifier, 65);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, 65, 0, 0);
    QApplication::sendEvent(&page->resetHotkeysButton(), &release);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo::defaultNextTab);
    // Leaving the page while recording ends the recording without a capture.
    page->nextTabRow().recordButton().click();
    model().setSelectedCategory(SettingsCategory::general);
    EXPECT_FALSE(model().hotkeyRecorder().isRecording());
    EXPECT_EQ(store.nextTabHotkey(), KeyCombo::defaultNextTab);
}

TEST_F(SettingsWindowTest, TheSidebarAndTheModelSelectionFollowEachOther) {
    controller->show();
    QListWidget& sidebar = controller->view().sidebar();
    ASSERT_EQ(sidebar.count(), 6);
    EXPECT_EQ(sidebar.item(0)->text().toStdString(), L10n::howTo());
    EXPECT_EQ(sidebar.item(4)->text().toStdString(), L10n::color());
    EXPECT_EQ(sidebar.currentRow(), 1);
    sidebar.setCurrentRow(3);
    EXPECT_EQ(model().selectedCategory(), SettingsCategory::tabBar);
    EXPECT_NE(dynamic_cast<TabBarSettingsTab*>(controller->view().currentPage()), nullptr);
    // Nothing selected: the General page, and no row highlighted.
    sidebar.clearSelection();
    EXPECT_EQ(model().selectedCategory(), std::nullopt);
    EXPECT_NE(dynamic_cast<GeneralSettingsTab*>(controller->view().currentPage()), nullptr);
    // The shell opening a page from outside.
    model().setSelectedCategory(SettingsCategory::colors);
    EXPECT_EQ(sidebar.currentRow(), 4);
    EXPECT_TRUE(sidebar.item(4)->isSelected());
    EXPECT_EQ(sidebar.width(), SettingsView::sidebarWidth);
}

// The dialog of `T` the window shows now (the newest when there are several).
template <class T>
T* openDialog(QWidget& window) {
    T* found = nullptr;
    for (T* dialog : window.findChildren<T*>()) {
        if (dialog->isVisible()) found = dialog;
    }
    return found;
}

TEST_F(SettingsWindowTest, ExportAndImportGoThroughQtsOwnDialogsWithoutBlocking) {
    tessaly::testing::TempFolder folder;
    const QString file = QString::fromStdString((folder.path() / "mine.json").string());
    controller->show();
    model().setTabBarHeight(40);
    model().exportSettings();  // returns at once: the dialog waits
    auto* save = openDialog<QFileDialog>(window());
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(save->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(save->isModal());
    save->selectFile(file);
    static_cast<QDialog*>(save)->accept();  // as the Save button does
    auto* done = openDialog<QMessageBox>(window());
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text().toStdString(), L10n::exportDoneTitle());
    done->accept();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(std::filesystem::exists(folder.path() / "mine.json"));

    model().setTabBarHeight(25);
    model().importSettings();
    auto* open = openDialog<QFileDialog>(window());
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
    open->selectFile(file);
    static_cast<QDialog*>(open)->accept();
    auto* confirm = openDialog<QMessageBox>(window());
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(confirm->text().toStdString(), L10n::importConfirmTitle());
    confirm->buttons().front()->click();  // "Replace"
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(store.tabBarHeight(), 40);
    EXPECT_EQ(model().tabBarHeight(), 40);

    // Cancelling the file choice answers nothing more.
    model().importSettings();
    openDialog<QFileDialog>(window())->reject();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openDialog<QMessageBox>(window()), nullptr);
}

TEST_F(SettingsWindowTest, WithoutATrayTheWindowOffersTheStatusMenuAndTheHowToPageSaysWhere) {
    QMenu menu;
    menu.addAction("Quit");
    bool trayAvailable = true;
    controller->view().setStatusMenuProvider([&]() -> QMenu* { return trayAvailable ? nullptr : &menu; });
    model().setSelectedCategory(SettingsCategory::howTo);
    controller->show();
    QToolButton& button = controller->view().statusMenuButton();
    EXPECT_TRUE(button.isHidden());
    auto* page = dynamic_cast<HowToSettingsTab*>(controller->view().currentPage());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->menuBody().text().toStdString(), L10n::howToMenuBarBody());

    // The tray goes while the page is open: shown again, the page points
    // to the window's own menu button, which says what it is.
    trayAvailable = false;
    closeWindow();
    model().setSelectedCategory(SettingsCategory::howTo);
    controller->show();
    ASSERT_FALSE(button.isHidden());
    page = dynamic_cast<HowToSettingsTab*>(controller->view().currentPage());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->menuBody().text().toStdString(), L10n::howToMenuButtonBody());
    EXPECT_EQ(page->detachBody().text().toStdString(), L10n::howToDetachBodyMenuButton());
    EXPECT_EQ(page->menuTitle().text(), button.text());
    EXPECT_FALSE(button.text().isEmpty());
    EXPECT_NE(button.toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_FALSE(button.toolTip().isEmpty());
    button.click();
    EXPECT_TRUE(menu.isVisible());
    menu.hide();

    // A tray that comes back takes the menu again.
    trayAvailable = true;
    closeWindow();
    model().setSelectedCategory(SettingsCategory::howTo);
    controller->show();
    EXPECT_TRUE(button.isHidden());
    page = dynamic_cast<HowToSettingsTab*>(controller->view().currentPage());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->detachBody().text().toStdString(), L10n::howToDetachBody());
    EXPECT_EQ(page->menuBody().text().toStdString(), L10n::howToMenuBarBody());
}

}  // namespace
}  // namespace tessaly
