// The overlay's other Qt pieces offscreen: menus from the logic's models,
// the group-name dialog, the colour chooser, the preview and prompt panels,
// and the overlay manager driving Qt bars.
#include <QColorDialog>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <gmock/gmock.h>

#include "OverlayUI/OverlayManager.h"
#include "OverlayUI/PublicZOrderSync.h"
#include "OverlayUI/Qt/QtCrossPromptPanel.h"
#include "OverlayUI/Qt/QtGroupNameDialog.h"
#include "OverlayUI/Qt/QtInsertPreviewPanel.h"
#include "OverlayUI/Qt/QtMenus.h"
#include "OverlayUI/Qt/QtTabColorPanelController.h"
#include "OverlayUI/Qt/TabBarView.h"
#include "OverlayUI/Qt/TabItemView.h"
#include "QtWidgetTestSupport.h"

namespace tessaly::test {
namespace {

using ::testing::ElementsAre;

TEST(QtMenus, ForeignTitlesShowAsTheyAreAndOnlyEnabledItemsAct) {
    std::vector<std::string> ran;
    MenuModel model;
    model.append(MenuItem::closure("Save & Quit", [&] { ran.push_back("save"); }));
    model.append(MenuItem::closure("<i>Mail</i>\n\u202Etxt.exe", [&] { ran.push_back("mail"); }));
    MenuItem disabled = MenuItem::closure("Off", [&] { ran.push_back("off"); });
    disabled.enabled = false;
    model.append(disabled);
    model.append(MenuItem::separator());
    MenuItem checked = MenuItem::closure("Blue", [&] { ran.push_back("blue"); });
    checked.checked = true;
    checked.swatch = TabColor(0.04, 0.52, 1.0);
    model.append(checked);
    model.append(MenuItem::withSubmenu("More", {MenuItem::closure("Inner", [&] { ran.push_back("inner"); })}));
    model.append(MenuItem::closure(std::string(5000, 'w'), [] {}));

    QMenu menu;
    QtMenus::fill(menu, model);
    const auto texts = actionTexts(menu);
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts[0], "Save && Quit");
    EXPECT_EQ(texts[1], "<i>Mail</i> txt.exe");
    EXPECT_EQ(texts[3], "-");
    EXPECT_LE(texts[6].size(), 130u * 3);
    EXPECT_FALSE(menu.actions()[2]->isEnabled());
    EXPECT_TRUE(menu.actions()[4]->isChecked());
    EXPECT_FALSE(menu.actions()[4]->icon().isNull());

    for (QAction* action : menu.actions()) action->trigger();
    menu.actions()[4]->trigger();  // a checked row stays checked and runs again
    ASSERT_NE(menu.actions()[5]->menu(), nullptr);
    menu.actions()[5]->menu()->actions()[0]->trigger();
    EXPECT_THAT(ran, ElementsAre("save", "mail", "blue", "blue", "inner"));
    EXPECT_TRUE(menu.actions()[4]->isChecked());
}

TEST(QtGroupNameDialog, AnswersOnceWithTheTrimmedNameOrCancelled) {
    std::vector<GroupNameEditOutcome> outcomes;
    const auto record = [&](GroupNameEditOutcome outcome) { outcomes.push_back(outcome); };
    QtGroupNameDialog dialog;

    dialog.open(std::nullopt, record);
    ASSERT_TRUE(dialog.isOpen());
    EXPECT_EQ(dialog.messageLabel().text(), QStringLiteral("Name Group"));
    EXPECT_EQ(dialog.window()->windowTitle(), QStringLiteral("Name Group"));  // not the program's file name
    EXPECT_EQ(dialog.messageLabel().textFormat(), Qt::PlainText);
    EXPECT_EQ(dialog.field().text(), QString());
    EXPECT_EQ(dialog.field().placeholderText(), QStringLiteral("Group name"));
    // Opening again while open keeps the first completion.
    dialog.open(std::string("ignored"), [&](GroupNameEditOutcome) { outcomes.push_back(GroupNameEditOutcome::named("wrong")); });
    dialog.field().setText(QStringLiteral("  Work\t "));
    dialog.okButton().click();
    EXPECT_FALSE(dialog.isOpen());

    dialog.open(std::string("<b>Work</b>"), record);
    EXPECT_EQ(dialog.messageLabel().text(), QStringLiteral("Rename Group"));
    EXPECT_EQ(dialog.window()->windowTitle(), QStringLiteral("Rename Group"));
    EXPECT_EQ(dialog.hintLabel().text(), QStringLiteral("Leave it blank to remove the name."));
    EXPECT_EQ(dialog.field().text(), QStringLiteral("<b>Work</b>"));
    dialog.field().setText(QStringLiteral("changed"));
    dialog.cancelButton().click();

    dialog.open(std::string("Work"), record);
    dialog.field().setText(QStringLiteral(" \n "));
    dialog.okButton().click();

    dialog.open(std::string("Work"), record);
    dialog.window()->reject();  // Escape or the window's close button

    EXPECT_THAT(outcomes, ElementsAre(GroupNameEditOutcome::named("Work"), GroupNameEditOutcome::cancelled(),
                                      GroupNameEditOutcome::cleared(), GroupNameEditOutcome::cancelled()));

    // Dropped while open: cancelled, once.
    auto dropped = std::make_unique<QtGroupNameDialog>();
    int calls = 0;
    dropped->open(std::nullopt, [&](GroupNameEditOutcome outcome) {
        ++calls;
        EXPECT_EQ(outcome, GroupNameEditOutcome::cancelled());
    });
    dropped.reset();
    settleQt();
    EXPECT_EQ(calls, 1);
}

TEST(QtTabColorPanel, ChangesGoToTheLatestRequestUntilTheChooserCloses) {
    QtTabColorPanelController controller;
    std::vector<std::string> picks;
    controller.begin(TabColor(1, 0, 0), [&](TabColor c) { picks.push_back("tab " + c.hexString()); });
    ASSERT_NE(controller.dialog(), nullptr);
    EXPECT_EQ(controller.dialog()->currentColor(), QColor(255, 0, 0));
    EXPECT_TRUE(picks.empty());  // preselecting is no pick
    controller.begin(std::nullopt, [&](TabColor c) { picks.push_back("group " + c.hexString()); });
    controller.dialog()->setCurrentColor(QColor(0, 255, 0));
    EXPECT_THAT(picks, ElementsAre("group #00FF00"));
    controller.dialog()->reject();
    EXPECT_FALSE(controller.isPicking());
    controller.dialog()->setCurrentColor(QColor(0, 0, 255));
    EXPECT_EQ(picks.size(), 1u);
}

TEST(QtOverlayPanels, PreviewAndPromptFrameTheTargetAndNeverTakeTheMouse) {
    QtInsertPreviewPanel preview;
    preview.show(Rect(200, 150, 400, 300), false);
    EXPECT_TRUE(preview.isShown());
    QWidget* box = preview.panel().widget();
    EXPECT_EQ(box->geometry(), QRect(200, 150, 400, 300));
    EXPECT_TRUE(box->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(preview.view().badgeRect().isEmpty());
    // Only the outline is the window's: the target shows through inside.
    EXPECT_TRUE(box->mask().contains(QPoint(1, 150)));
    EXPECT_FALSE(box->mask().contains(QPoint(200, 150)));
    preview.show(Rect(0, 0, 500, 400), true);  // again while shown: moves and recolours
    EXPECT_EQ(box->geometry(), QRect(0, 0, 500, 400));
    EXPECT_TRUE(preview.view().isLocked());
    EXPECT_EQ(preview.view().outlineColor(), QColor(Qt::gray));
    EXPECT_FALSE(preview.view().badgeRect().isEmpty());
    EXPECT_TRUE(box->mask().contains(preview.view().badgeRect().center()));
    preview.hide();
    EXPECT_FALSE(preview.isShown());

    QtCrossPromptPanel prompt;
    prompt.show("Move to\n<b>Display 2</b> & more", Rect(100, 100, 600, 400));
    EXPECT_TRUE(prompt.isShown());
    EXPECT_EQ(prompt.view().text(), QStringLiteral("Move to <b>Display 2</b> & more"));
    QWidget* dim = prompt.panel().widget();
    EXPECT_TRUE(dim->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(dim->mask().contains(prompt.view().pillRect().center()));
    prompt.hide();
    EXPECT_FALSE(prompt.isShown());
}

// The overlay manager over Qt bars, with no desktop behind it.
struct ManagerFixture : BarFixture {
    std::shared_ptr<OverlayManager> manager;
    ManagerFixture() {
        manager = std::make_shared<OverlayManager>(std::make_shared<PublicZOrderSync>(), nullptr, factory,
                                                   PlatformServices{});
        manager->setTabDelegate(delegate);
    }
    QtTabBarPanel* barOf(const Uuid& id) const { return static_cast<QtTabBarPanel*>(manager->bar(id)); }
};

TabGroup twoWindowGroup(const Rect& frame) {
    return TabGroup(Uuid::random(), {GroupMember(11, 100, "first"), GroupMember(12, 100, "second & more")}, 12, frame);
}

TEST(QtOverlayManager, EngineEventsDriveQtBarsFromCreationToDissolution) {
    ManagerFixture f;
    TabGroup group = twoWindowGroup(Rect(50, 200, 640, 480));
    f.manager->apply(GroupEvent::groupCreated(group));
    QtTabBarPanel* bar = f.barOf(group.id);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isShown());
    EXPECT_EQ(bar->stripPanel().frame(), Rect(50, 170, 640, 30));
    TabBarView& view = bar->view();
    ASSERT_EQ(view.tabItems().size(), 2u);
    EXPECT_TRUE(view.tabItem(12)->isActive());
    EXPECT_EQ(view.tabItem(12)->shownTitle(), QStringLiteral("second & more"));

    f.manager->apply(GroupEvent::memberTitleChanged(group.id, 11, "first, renamed"));
    EXPECT_EQ(view.tabItem(11)->shownTitle(), QStringLiteral("first, renamed"));

    click(*view.tabItem(11));
    EXPECT_THAT(f.delegate->intents, ElementsAre("select 11"));

    // A zero-size frame gets no bar on screen; a sane one brings it back.
    group.frame = Rect(50, 200, 0, 0);
    f.manager->apply(GroupEvent::groupChanged(group));
    EXPECT_FALSE(f.barOf(group.id)->stripPanel().isVisible());
    group.frame = Rect(60, 220, 500, 400);
    group.activeWindowID = 11;
    f.manager->apply(GroupEvent::groupChanged(group));
    EXPECT_TRUE(f.barOf(group.id)->stripPanel().isVisible());
    EXPECT_EQ(f.barOf(group.id)->stripPanel().frame(), Rect(60, 190, 500, 30));

    QPointer<QWidget> strip = &f.barOf(group.id)->view();
    f.manager->apply(GroupEvent::groupDissolved(group.id));
    EXPECT_FALSE(f.manager->hasBar(group.id));
    settleQt();
    EXPECT_FALSE(strip);
}

TEST(QtOverlayManager, DissolvingTheGroupFromItsOwnMenuIsSafe) {
    ManagerFixture f;
    const TabGroup group = twoWindowGroup(Rect(50, 200, 640, 480));
    f.manager->apply(GroupEvent::groupCreated(group));
    // The session answers "Dissolve Group" by dissolving at once.
    f.delegate->onIntent = [&](const std::string& intent) {
        if (intent == "ungroup") f.manager->apply(GroupEvent::groupDissolved(group.id));
    };
    TabItemView& tab = *f.barOf(group.id)->view().tabItem(11);
    sendMouse(tab, QEvent::MouseButtonPress, Qt::RightButton, tab.rect().center());
    QMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    QAction* dissolve = findAction(*menu, QStringLiteral("Dissolve Group"));
    ASSERT_NE(dissolve, nullptr);
    dissolve->trigger();
    closeMenus();
    EXPECT_THAT(f.delegate->intents, ElementsAre("ungroup"));
    EXPECT_FALSE(f.manager->hasBar(group.id));
}

}  // namespace
}  // namespace tessaly::test
