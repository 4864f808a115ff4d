// The tab bar's widgets offscreen: what a render shows, how clicks become
// intents, how renders wait for a gesture and how hiding ends one, menus,
// palettes and placement.
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QRawFont>

#include <gmock/gmock.h>

#include "OverlayUI/Qt/BadgePillView.h"
#include "OverlayUI/Qt/BarBackingView.h"
#include "OverlayUI/Qt/GroupNameCaptionView.h"
#include "OverlayUI/Qt/HoverGlowButton.h"
#include "OverlayUI/Qt/TabBarView.h"
#include "OverlayUI/Qt/TabItemView.h"
#include "QtWidgetTestSupport.h"
#include "TessalyCore/L10nCatalog.h"

namespace tessaly::test {
namespace {

using ::testing::ElementsAre;

TEST(QtTabBar, RenderShowsForeignTitlesAsPlainSanitisedTextInTabOrder) {
    BarFixture f;
    std::vector<TabViewModel> tabs{
        tabModel(1, "Line\nbreak\tand \u0007bell", true),
        tabModel(2, "<b>bold</b> & co\u200F"),
        tabModel(3, std::string(10000, 'x')),
        tabModel(4, "\xff\xfe ok"),
        tabModel(5, " \n\t ", false, true),
    };
    tabs[1].badge = " 12 ";
    tabs[2].badge = "12345678";
    tabs[3].badge = "•";
    tabs[4].accent = TabColor(1, 0, 0);
    // Icon properties that lie about their size, or claim an absurd one: no icon.
    auto truncated = std::make_shared<AppIcon>();
    truncated->width = truncated->height = 64;
    truncated->argb.resize(100);
    auto huge = std::make_shared<AppIcon>();
    huge->width = 100000;
    huge->height = 1;
    huge->argb.resize(100000, 0xff00ff00u);
    tabs[0].icon = truncated;
    tabs[1].icon = huge;
    f.panel->render(tabs, std::string("Work\n&\u0001Play"), std::nullopt, true);
    f.placeAbove();

    TabBarView& view = f.view();
    ASSERT_THAT(shownWindows(view), ElementsAre(1, 2, 3, 4, 5));
    const auto items = view.tabItems();
    EXPECT_EQ(items[0]->shownTitle(), QStringLiteral("Line break and bell"));
    EXPECT_EQ(items[1]->shownTitle(), QStringLiteral("<b>bold</b> & co"));
    EXPECT_LE(items[2]->shownTitle().size(), 256);
    EXPECT_EQ(items[3]->shownTitle(), QStringLiteral("\uFFFD\uFFFD ok"));
    EXPECT_EQ(items[4]->shownTitle(), QStringLiteral("⛶ (Untitled)"));
    EXPECT_DOUBLE_EQ(items[4]->baseAlpha(), 0.55);
    EXPECT_DOUBLE_EQ(items[0]->baseAlpha(), 1.0);
    // Badges: trimmed, long ones cut, no digit no pill.
    EXPECT_EQ(items[0]->badgePill(), nullptr);
    ASSERT_NE(items[1]->badgePill(), nullptr);
    EXPECT_EQ(items[1]->badgePill()->text(), QStringLiteral("12"));
    ASSERT_NE(items[2]->badgePill(), nullptr);
    EXPECT_EQ(items[2]->badgePill()->text(), QStringLiteral("123456…"));
    EXPECT_EQ(items[3]->badgePill(), nullptr);
    EXPECT_EQ(view.nameCaption().name(), std::optional<std::string>("Work &Play"));

    // The row reads: caption, tabs in order, lock icon, (no move button
    // without displays), add button; nothing wider than a tab may be.
    int x = view.nameCaption().geometry().right();
    for (const TabItemView* item : items) {
        EXPECT_GT(item->geometry().left(), x);
        EXPECT_LE(item->width(), TabItemView::maximumWidth);
        x = item->geometry().right();
    }
    EXPECT_TRUE(view.lockIcon().isVisible());
    EXPECT_GT(view.lockIcon().geometry().left(), x);
    EXPECT_FALSE(view.moveButton().isVisible());
    EXPECT_TRUE(view.addButton().isVisible());
    EXPECT_GT(view.addButton().geometry().left(), view.lockIcon().geometry().right());
}

TEST(QtTabBar, ClicksBecomeIntentsNamingTheGroup) {
    BarFixture f;
    f.panel->render({tabModel(7, "seven", true), tabModel(8, "eight")}, std::nullopt, std::nullopt, false);
    f.placeAbove();
    TabItemView& eight = *f.view().tabItem(8);

    click(eight);                      // select
    click(eight, Qt::MiddleButton);    // close
    // A press, a 6-pixel move and a release still selects; a 7-pixel move
    // starts a drag whose release selects nothing.
    const QPoint start = eight.rect().center();
    sendMouse(eight, QEvent::MouseButtonPress, Qt::LeftButton, start);
    sendMove(eight, start + QPoint(6, 0));
    sendMouse(eight, QEvent::MouseButtonRelease, Qt::LeftButton, start + QPoint(6, 0));
    sendMouse(eight, QEvent::MouseButtonPress, Qt::LeftButton, start);
    sendMove(eight, start + QPoint(7, 0));
    EXPECT_TRUE(eight.isReordering());
    sendMouse(eight, QEvent::MouseButtonRelease, Qt::LeftButton, start + QPoint(7, 0));
    // The released tab settles into its slot, then reports it (unchanged).
    f.advance(TabReorderGesture::slideDuration);
    // Released outside the tab: no selection.
    sendMouse(eight, QEvent::MouseButtonPress, Qt::LeftButton, start);
    sendMouse(eight, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(-50, start.y()));
    eight.popOutButton().click();
    f.view().addButton().click();

    EXPECT_THAT(f.delegate->intents,
                ElementsAre("select 8", "close 8", "select 8", "moveToIndex 8 1", "popOut 8", "add"));
    for (const Uuid& group : f.delegate->groups) EXPECT_EQ(group, f.groupID);
    EXPECT_GT(f.delegate->lastAddAnchor.width(), 0);
    EXPECT_FALSE(f.view().tabGestureActive());
}

TEST(QtTabBar, RightClickOpensTheTabMenuWithoutSelectingAndItsItemsSendIntents) {
    BarFixture f;
    f.panel->setProviders({[] { return std::vector<ColorPreset>{}; }, [](WindowID) { return false; },
                           [] { return std::vector<DisplayMoveTarget>{{0, "Left & Centre", true}, {1, "Right", false}}; }});
    f.panel->render({tabModel(7, "seven", true), tabModel(8, "eight")}, std::nullopt, std::nullopt, false);
    f.placeAbove();
    TabItemView& eight = *f.view().tabItem(8);

    sendMouse(eight, QEvent::MouseButtonPress, Qt::RightButton, eight.rect().center());
    QMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    const auto texts = actionTexts(*menu);
    ASSERT_GE(texts.size(), 6u);
    EXPECT_EQ(texts[0], "Pop Tab Out");
    EXPECT_EQ(texts[1], "Close This Tab’s Window");
    EXPECT_EQ(texts[2], "Group All Windows of This App");
    EXPECT_FALSE(menu->actions()[2]->isEnabled());  // no other windows to gather
    EXPECT_EQ(texts[3], "Tab Color");
    // A foreign display name keeps its '&' literally.
    QAction* move = findAction(*menu, QStringLiteral("Move to Display"));
    ASSERT_NE(move, nullptr);
    ASSERT_NE(move->menu(), nullptr);
    EXPECT_THAT(actionTexts(*move->menu()), ElementsAre("Left && Centre", "Right"));
    EXPECT_FALSE(move->menu()->actions()[0]->isEnabled());

    move->menu()->actions()[1]->trigger();
    menu->actions()[1]->trigger();  // close the tab's window
    closeMenus();
    EXPECT_THAT(f.delegate->intents, ElementsAre("moveToDisplay 1", "close 8"));
}

TEST(QtTabBar, RendersWaitForAGestureAndHidingOrClosingTheBarEndsIt) {
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "closed during the press" : "hidden during the press");
        BarFixture f;
        f.panel->render({tabModel(1, "one", true), tabModel(2, "two")}, std::nullopt, std::nullopt, false);
        f.placeAbove();
        TabItemView& two = *f.view().tabItem(2);
        sendMouse(two, QEvent::MouseButtonPress, Qt::LeftButton, two.rect().center());
        ASSERT_TRUE(f.view().tabGestureActive());

        // Models that arrive during the press wait; only the newest is kept.
        f.panel->render({tabModel(1, "one", true)}, std::nullopt, std::nullopt, false);
        f.panel->render({tabModel(1, "one"), tabModel(3, "three", true)}, std::nullopt, std::nullopt, false);
        f.panel->updateTitle(3, "three, renamed");
        EXPECT_THAT(shownWindows(f.view()), ElementsAre(1, 2));
        EXPECT_TRUE(f.view().hasPendingRender());

        // The bar goes away under the pointer: it never sees the release.
        if (closing) f.panel->close();
        else f.panel->hide();
        EXPECT_FALSE(f.view().tabGestureActive());
        EXPECT_FALSE(f.view().hasPendingRender());
        EXPECT_THAT(shownWindows(f.view()), ElementsAre(1, 3));
        EXPECT_EQ(f.view().tabItem(3)->shownTitle(), QStringLiteral("three, renamed"));
        EXPECT_TRUE(f.delegate->intents.empty());  // ending a press selects nothing

        // Later renders are not held back.
        f.panel->render({tabModel(4, "four", true)}, std::nullopt, std::nullopt, false);
        EXPECT_THAT(shownWindows(f.view()), ElementsAre(4));
    }
}

TEST(QtTabBar, ADragOfATabHiddenMidwayEndsAsItsReleaseWould) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true), tabModel(2, "two")}, std::nullopt, std::nullopt, false);
    f.placeAbove();
    TabItemView& one = *f.view().tabItem(1);
    const QPoint start = one.rect().center();
    sendMouse(one, QEvent::MouseButtonPress, Qt::LeftButton, start);
    sendMove(one, start + QPoint(20, 0));
    ASSERT_TRUE(one.isReordering());
    f.panel->render({tabModel(2, "two", true)}, std::nullopt, std::nullopt, false);
    f.panel->hide();
    EXPECT_FALSE(f.view().tabGestureActive());
    EXPECT_THAT(shownWindows(f.view()), ElementsAre(2));
    f.panel->show();
    EXPECT_TRUE(f.bar().isShown());
}

TEST(QtTabBar, ABarDroppedFromInsideItsOwnClickHandlerGoesLater) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true), tabModel(2, "two")}, std::nullopt, std::nullopt, false);
    f.placeAbove();
    QPointer<QWidget> strip = &f.view();
    // The session dissolves the group when the tab is clicked: the manager
    // closes and drops the bar while the click is still being handled.
    f.delegate->onIntent = [&](const std::string&) {
        f.panel->close();
        f.panel.reset();
    };
    click(*f.view().tabItem(2));
    EXPECT_THAT(f.delegate->intents, ElementsAre("select 2"));
    ASSERT_TRUE(strip);  // still there until the event loop runs again
    EXPECT_FALSE(strip->isVisible());
    settleQt();
    EXPECT_FALSE(strip);
}

TEST(QtTabBar, SettingsRepaintOnlyWhenChangedAndFillsStayOpaque) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true)}, std::nullopt, std::nullopt, false);
    f.placeAbove();
    TabBarView& view = f.view();

    f.panel->setAppearanceMode(AppearanceMode::dark);
    EXPECT_EQ(view.fillColor(), QColor::fromRgbF(0.16, 0.16, 0.16));
    EXPECT_EQ(f.bar().backingView().fillColor(), view.fillColor());
    const int applied = view.paletteApplications();
    const int built = view.rowBuilds();
    f.panel->setAppearanceMode(AppearanceMode::dark);
    f.panel->setTabBarOpacity(1.0);
    f.panel->render({tabModel(1, "one", true)}, std::nullopt, std::nullopt, false);
    EXPECT_EQ(view.paletteApplications(), applied);
    EXPECT_EQ(view.rowBuilds(), built);  // the same model again keeps the row
    f.panel->render({tabModel(1, "one, renamed", true)}, std::nullopt, std::nullopt, false);
    EXPECT_EQ(view.rowBuilds(), built + 1);

    // No compositor: a translucent bar is drawn opaque, never black.
    f.panel->setTabBarOpacity(0.3);
    EXPECT_EQ(view.fillColor().alphaF(), 1.0);
    EXPECT_EQ(view.fillColor(), QColor::fromRgbF(0.16, 0.16, 0.16));
    // The group accent tints the strip and the backing alike.
    f.panel->render({tabModel(1, "one", true)}, std::nullopt, TabColor(1, 0, 0), false);
    EXPECT_GT(view.fillColor().redF(), view.fillColor().greenF());
    EXPECT_EQ(f.bar().backingView().fillColor(), view.fillColor());
    f.panel->setAppearanceMode(AppearanceMode::light);
    f.panel->render({tabModel(1, "one", true)}, std::nullopt, std::nullopt, false);
    EXPECT_EQ(view.fillColor(), QColor::fromRgbF(0.86, 0.86, 0.86));

    // What is painted has no black in it (a translucent window would).
    const QImage picture = view.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) ASSERT_NE(picture.pixelColor(x, y), QColor(Qt::black));
    }

    // A badge turning white gets black text; the default blue white text.
    f.panel->render({[] {
                        auto tab = tabModel(1, "one", true);
                        tab.badge = "3";
                        return tab;
                    }()},
                    std::nullopt, std::nullopt, false);
    BadgePillView* pill = view.tabItem(1)->badgePill();
    ASSERT_NE(pill, nullptr);
    EXPECT_EQ(pill->textColor(), QColor(Qt::white));
    EXPECT_EQ(pill->sizeHint(), QSize(14, 14));
    f.panel->setTabBadgeColor(TabColor(1, 1, 1));
    EXPECT_EQ(pill->textColor(), QColor(Qt::black));
}

TEST(QtTabBar, PlacementTakesTheLayoutsFramesStyleAndBacking) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true)}, std::nullopt, std::nullopt, false);
    const Rect window(100, 300, 900, 500);
    f.placeAbove(window);
    QtTabBarPanel& bar = f.bar();
    EXPECT_TRUE(bar.isShown());
    EXPECT_EQ(bar.stripPanel().frame(), Rect(100, 270, 900, 30));
    EXPECT_TRUE(bar.stripPanel().isVisible());
    EXPECT_TRUE(bar.backingShown());
    EXPECT_EQ(bar.backingPanel().frame(), Rect(100, 300, 900, TabStripGeometry::backingReach));
    EXPECT_EQ(f.view().style(), (TabStripGeometry::Style{10, 0}));
    EXPECT_EQ(f.view().geometry(), QRect(100, 270, 900, 30));

    // Inside the title bar: no backing.
    const TabStripGeometry::BarLayout inside{{TabStripGeometry::Placement::Mode::overlap, Rect(180, 304, 740, 26), 26},
                                             {10, 10},
                                             std::nullopt};
    bar.place(inside);
    EXPECT_FALSE(bar.backingShown());
    EXPECT_FALSE(bar.backingPanel().isVisible());
    EXPECT_TRUE(bar.stripPanel().isVisible());
    bar.hide();
    bar.show();
    EXPECT_FALSE(bar.backingPanel().isVisible());
    f.placeAbove(window);
    bar.hide();
    EXPECT_FALSE(bar.stripPanel().isVisible());
    EXPECT_FALSE(bar.backingPanel().isVisible());
    bar.show();
    EXPECT_TRUE(bar.backingPanel().isVisible());
    // The backing never takes the mouse; the strip does, but never the focus.
    EXPECT_TRUE(static_cast<QtOverlayPanel&>(bar.backingPanel()).widget()->testAttribute(
        Qt::WA_TransparentForMouseEvents));
    QWidget* strip = static_cast<QtOverlayPanel&>(bar.stripPanel()).widget();
    EXPECT_TRUE(strip->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(strip->windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
    EXPECT_FALSE(strip->isActiveWindow());
}

TEST(QtTabBar, BackgroundCornersAreCutToHalfTheSmallerSide) {
    // Top corners of radius 10 and square bottom ones.
    const QPainterPath above = TabBarView::backgroundPath(QRectF(0, 0, 300, 30), {10, 0});
    EXPECT_FALSE(above.contains(QPointF(1, 1)));
    EXPECT_TRUE(above.contains(QPointF(10, 1)));
    EXPECT_TRUE(above.contains(QPointF(0.5, 29.5)));
    EXPECT_TRUE(above.contains(QPointF(299.5, 29.5)));
    // Radii of 10 on a 14-wide strip become 7.
    const QPainterPath narrow = TabBarView::backgroundPath(QRectF(0, 0, 14, 30), {10, 10});
    EXPECT_TRUE(narrow.contains(QPointF(7, 1)));
    EXPECT_FALSE(narrow.contains(QPointF(0.8, 0.8)));
    EXPECT_NEAR(narrow.boundingRect().width(), 14, 1e-9);
}

TEST(QtTabItem, TitlesAndBadgesAsShown) {
    EXPECT_EQ(TabItemView::displayString("", false), QStringLiteral("(Untitled)"));
    EXPECT_EQ(TabItemView::displayString("\u0007", true), QStringLiteral("⛶ (Untitled)"));
    EXPECT_EQ(TabItemView::displayString("  Mail  ", true), QStringLiteral("⛶ Mail"));
    const auto badge = [](std::optional<std::string> text) { return TabItemView::badgeDisplayString(text); };
    EXPECT_EQ(badge("3"), "3");
    EXPECT_EQ(badge(" 12\n"), "12");
    EXPECT_EQ(badge("1234567"), "1234567");
    EXPECT_EQ(badge("12345678"), "123456…");
    EXPECT_EQ(badge("new"), std::nullopt);
    EXPECT_EQ(badge("•"), std::nullopt);
    EXPECT_EQ(badge(""), std::nullopt);
    EXPECT_EQ(badge(std::nullopt), std::nullopt);
    EXPECT_EQ(badge("٣"), "٣");  // any Unicode digit counts
}

TEST(QtOverlaySymbols, SymbolsArePaintedAndEveryTextIsInTheInstalledFonts) {
    // The fonts the program installs: a character neither has shows as a
    // missing-glyph box.
    std::vector<QRawFont> installed;
    for (const QString& family : {QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei")}) {
        installed.push_back(QRawFont::fromFont(QFont(family)));
        ASSERT_EQ(installed.back().familyName(), family) << "not installed: " << family.toStdString();
    }
    const auto drawable = [&](char32_t c) {
        return QChar::isSpace(c) || std::any_of(installed.begin(), installed.end(), [c](const QRawFont& font) {
                   return font.supportsCharacter(c);
               });
    };
    for (const auto& table : {L10n::overlayCatalog(), L10n::settingsCatalog(), L10n::formatCatalog()}) {
        for (const L10n::CatalogEntry& entry : table) {
            for (const std::string_view text : entry.text) {
                for (const char32_t c : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUcs4()) {
                    EXPECT_TRUE(drawable(c)) << entry.id << ": U+" << std::hex << static_cast<std::uint32_t>(c);
                }
            }
        }
    }
    EXPECT_TRUE(drawable(U'…'));  // the end of a cut title or badge

    // The symbols are painted: ink in the tint, the same whatever the font,
    // and each its own shape.
    using Symbol = OverlayShapes::Symbol;
    const auto picture = [](QWidget& widget, const char* family) {
        widget.setFont(QFont(QString::fromLatin1(family)));
        return widget.grab().toImage();
    };
    const auto ink = [](const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y).alpha() > 128;
        }
        return count;
    };
    std::vector<QImage> shapes;
    for (const Symbol symbol : {Symbol::add, Symbol::popOut, Symbol::moveToDisplay}) {
        HoverGlowButton button(symbol, 14, nullptr);
        button.resize(22, 22);
        button.setColors(Qt::black, Qt::transparent);
        const QImage shown = picture(button, "DejaVu Sans");
        EXPECT_EQ(shown, picture(button, "WenQuanYi Micro Hei")) << button.text().toStdString();
        EXPECT_GT(ink(shown), 12) << button.text().toStdString();
        for (const QImage& other : shapes) EXPECT_NE(shown, other) << button.text().toStdString();
        shapes.push_back(shown);
    }
    // A suspended tab's mark stands before its title, drawn the same way.
    TabItemView tab(tabModel(1, "", false, true), std::nullopt, false, false, TabColor::defaultBadge, {}, {}, {},
                    nullptr);
    tab.resize(tab.sizeHint());
    const QRect mark(24, 0, 11, tab.height());  // after the icon
    const QImage inFirst = picture(tab, "DejaVu Sans").copy(mark);
    EXPECT_EQ(inFirst, picture(tab, "WenQuanYi Micro Hei").copy(mark));
    EXPECT_EQ(tab.shownTitle(), QStringLiteral("⛶ (Untitled)"));
}

TEST(QtTabBar, BarMenuNamesTheGroupThroughTheDialogThenActivates) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true)}, std::string("Old"), std::nullopt, true);
    f.placeAbove();
    sendMouse(f.view(), QEvent::MouseButtonPress, Qt::RightButton, QPoint(f.view().width() - 2, 15));
    QMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_THAT(actionTexts(*menu), ElementsAre("Rename Group…", "Group Color", "-", "Unlock Group", "-",
                                                "Dissolve Group", "Close All Windows in the Group", "-", "Settings…"));
    EXPECT_FALSE(findAction(*menu, QStringLiteral("Dissolve Group"))->isEnabled());
    findAction(*menu, QStringLiteral("Rename Group…"))->trigger();
    closeMenus();
    EXPECT_FALSE(f.view().isNamePromptOpen());  // never inside the menu's own handling
    f.settle();
    ASSERT_TRUE(f.view().isNamePromptOpen());

    QDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    auto* field = dialog->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("Old"));
    field->setText(QStringLiteral("  New name "));
    button(*dialog, "OK").click();
    f.settle();
    EXPECT_THAT(f.delegate->intents, ElementsAre("rename New name", "activate"));
    EXPECT_FALSE(f.view().isNamePromptOpen());
}

}  // namespace
}  // namespace tessaly::test
