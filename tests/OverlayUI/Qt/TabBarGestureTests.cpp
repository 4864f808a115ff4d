// What the user does on a tab bar, offscreen: tabs dragged along the row
// and out of it onto other bars or the desktop, presses and drags on the
// bar's background, gaps opened for tabs from other bars, and other
// applications' drags spring-loading a tab. Delays run on a virtual clock;
// animations are run to their end where a test looks at where they lead.
#include <QDragEnterEvent>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsOpacityEffect>
#include <QMimeData>

#include <gmock/gmock.h>

#include "OverlayUI/OverlayManager.h"
#include "OverlayUI/PublicZOrderSync.h"
#include "OverlayUI/Qt/GroupNameCaptionView.h"
#include "OverlayUI/Qt/HoverGlowButton.h"
#include "OverlayUI/Qt/TabBarView.h"
#include "OverlayUI/Qt/TabDragChip.h"
#include "OverlayUI/Qt/TabItemView.h"
#include "QtWidgetTestSupport.h"

namespace tessaly::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

int runningAnimations(const QObject& root) {
    int running = 0;
    for (const QAbstractAnimation* animation : root.findChildren<QAbstractAnimation*>()) {
        if (animation->state() == QAbstractAnimation::Running) ++running;
    }
    return running;
}

// A drag of one tab by the left button, the pointer given globally.
class TabDrag {
public:
    explicit TabDrag(TabItemView& tab) : tab_(tab) {
        sendMouse(tab_, QEvent::MouseButtonPress, Qt::LeftButton, tab_.rect().center());
        at_ = tab_.mapToGlobal(tab_.rect().center());
    }
    QPoint pointer() const { return at_; }
    void moveTo(QPoint global) {
        at_ = global;
        sendMove(tab_, tab_.mapFromGlobal(global));
    }
    void moveBy(int dx, int dy) { moveTo(at_ + QPoint(dx, dy)); }
    void release() { sendMouse(tab_, QEvent::MouseButtonRelease, Qt::LeftButton, tab_.mapFromGlobal(at_)); }

private:
    TabItemView& tab_;
    QPoint at_;
};

// ---- Within the bar ----

TEST(QtTabGestures, ADraggedTabSlidesPastItsNeighboursAndSettlesBeforeItsSlotIsReported) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true), tabModel(2, "two"), tabModel(3, "three")}, std::nullopt,
                    std::nullopt, false);
    f.placeAbove();
    TabBarView& view = f.view();
    TabItemView& one = *view.tabItem(1);
    TabItemView& two = *view.tabItem(2);
    const QRect first = one.geometry();
    const int builds = view.rowBuilds();
    // The session answers a reorder by rendering the new order at once.
    f.delegate->onIntent = [&](const std::string& intent) {
        if (intent == "moveToIndex 1 1") {
            f.panel->render({tabModel(2, "two"), tabModel(1, "one", true), tabModel(3, "three")}, std::nullopt,
                            std::nullopt, false);
        }
    };

    TabDrag drag(one);
    drag.moveBy(10, 0);  // the drag begins here
    ASSERT_TRUE(view.tabGestureActive());
    // Lifted: on top of its siblings, with a shadow, following the pointer.
    EXPECT_NE(dynamic_cast<QGraphicsDropShadowEffect*>(one.graphicsEffect()), nullptr);
    drag.moveBy(5, 0);
    EXPECT_EQ(one.x(), first.x() + 5);
    // Past the neighbour's middle: the neighbour glides into the first slot.
    drag.moveBy(two.width(), 4);
    finishAnimations(view);
    EXPECT_EQ(two.x(), first.x());
    EXPECT_EQ(one.y(), first.y());  // the row's line, whatever the pointer's height

    drag.release();
    EXPECT_THAT(f.delegate->intents, IsEmpty());  // still settling
    EXPECT_TRUE(view.tabGestureActive());
    f.advance(TabReorderGesture::slideDuration);
    EXPECT_THAT(f.delegate->intents, ElementsAre("moveToIndex 1 1"));
    EXPECT_FALSE(view.tabGestureActive());
    // The render of the new order waited for the gesture's end and found
    // the row it asked for already shown.
    EXPECT_THAT(shownWindows(view), ElementsAre(2, 1, 3));
    EXPECT_EQ(view.rowBuilds(), builds);
    EXPECT_EQ(one.graphicsEffect(), nullptr);
    EXPECT_EQ(two.x(), first.x());
    EXPECT_EQ(one.x(), two.geometry().right() + 1 + TabBarView::rowSpacing);

    // Dragged far past the left end, the tab stops at the first slot; a
    // press on another tab while it settles lands it at once.
    TabItemView& three = *view.tabItem(3);
    TabDrag back(three);
    back.moveBy(-10, 0);
    back.moveBy(-2000, 0);
    EXPECT_EQ(three.x(), first.x());
    back.release();
    sendMouse(one, QEvent::MouseButtonPress, Qt::LeftButton, one.rect().center());
    EXPECT_THAT(f.delegate->intents, ElementsAre("moveToIndex 1 1", "moveToIndex 3 0"));
    sendMouse(one, QEvent::MouseButtonRelease, Qt::LeftButton, one.rect().center());
    f.advance(1);
    EXPECT_THAT(f.delegate->intents, ElementsAre("moveToIndex 1 1", "moveToIndex 3 0", "select 1"));
    EXPECT_FALSE(view.tabGestureActive());
}

// ---- Out of the bar: other bars and the desktop ----

struct TwoBars : BarFixture {
    std::shared_ptr<OverlayManager> manager =
        std::make_shared<OverlayManager>(std::make_shared<PublicZOrderSync>(), nullptr, factory, PlatformServices{});
    TabGroup source = TabGroup(Uuid::random(), {GroupMember(11, 100, "eleven"), GroupMember(12, 100, "twelve")}, 12,
                               Rect(50, 200, 640, 400));
    TabGroup target = TabGroup(Uuid::random(), {GroupMember(21, 200, "twenty-one"), GroupMember(22, 200, "twenty-two")},
                               21, Rect(150, 700, 640, 300));

    TwoBars() {
        manager->setTabDelegate(delegate);
        manager->apply(GroupEvent::groupCreated(source));
        manager->apply(GroupEvent::groupCreated(target));
        settle();
    }
    TabBarView& view(const TabGroup& group) { return static_cast<QtTabBarPanel*>(manager->bar(group.id))->view(); }
    // A global point on the target's strip, `dx` from its left end. (The
    // target stands lower than the source: a tab leaves its bar only
    // upwards or downwards.)
    QPoint onTarget(int dx) { return view(target).mapToGlobal(QPoint(dx, 15)); }
};

TEST(QtTabGestures, ATabDraggedOffItsBarFollowsAsAChipOpensAGapInAnotherBarAndMovesThere) {
    TwoBars f;
    TabBarView& source = f.view(f.source);
    TabBarView& target = f.view(f.target);
    TabItemView& tab = *source.tabItem(11);
    const int tabWidth = tab.width();

    TabDrag drag(tab);
    drag.moveBy(10, 0);
    drag.moveBy(0, 16);  // 16 points below the bar's middle: still in it
    EXPECT_EQ(source.dragChip(), nullptr);
    drag.moveBy(0, 30);
    TabDragChip* chip = source.dragChip();
    ASSERT_NE(chip, nullptr);
    EXPECT_TRUE(chip->isShown());
    EXPECT_FALSE(chip->picture().isNull());
    // The chip keeps the spot of the tab that was grabbed under the pointer.
    const Rect chipFrame = chip->panel().frame();
    EXPECT_EQ(chipFrame.width(), tabWidth);
    EXPECT_TRUE(chipFrame.contains(Point{static_cast<double>(drag.pointer().x()), static_cast<double>(drag.pointer().y())}));
    // The tab keeps its slot, invisible but still there to receive the drag.
    auto* invisible = dynamic_cast<QGraphicsOpacityEffect*>(tab.graphicsEffect());
    ASSERT_NE(invisible, nullptr);
    EXPECT_EQ(invisible->opacity(), 0);
    EXPECT_TRUE(tab.isVisible());

    // Over the other bar: a gap of the tab's width opens where it would land.
    drag.moveTo(f.onTarget(4));
    EXPECT_EQ(target.dropGap().dropGapIndex(), 0);
    EXPECT_EQ(target.gapSlot(), 0);
    EXPECT_EQ(source.dropGap().dropGapIndex(), std::nullopt);
    finishAnimations(target);
    EXPECT_EQ(target.gapWidth(), tabWidth);
    EXPECT_EQ(target.tabItem(21)->x(), TabBarView::rowInset + tabWidth + TabBarView::rowSpacing);
    // Back within reach of its own bar: the chip goes, the gap closes.
    drag.moveTo(source.mapToGlobal(QPoint(tab.geometry().center().x(), 40)));
    EXPECT_FALSE(chip->isShown());
    EXPECT_EQ(target.dropGap().dropGapIndex(), std::nullopt);
    EXPECT_EQ(tab.graphicsEffect()->metaObject(), &QGraphicsDropShadowEffect::staticMetaObject);

    // Out again, past the target's last tab, and released there.
    drag.moveTo(f.onTarget(target.width() - 60));
    EXPECT_TRUE(chip->isShown());
    EXPECT_EQ(target.dropGap().dropGapIndex(), 2);
    drag.release();
    EXPECT_THAT(f.delegate->intents, ElementsAre("moveToGroup 11 2"));
    EXPECT_EQ(f.delegate->groups.back(), f.source.id);
    EXPECT_FALSE(chip->isShown());
    EXPECT_EQ(tab.graphicsEffect(), nullptr);
    EXPECT_FALSE(source.tabGestureActive());
    f.advance(DropGap::animationDuration);
    EXPECT_EQ(target.gapSlot(), std::nullopt);
}

TEST(QtTabGestures, ATabReleasedOverTheDesktopPopsOutAndOverALockedBarStaysWithoutAGap) {
    TwoBars f;
    TabBarView& source = f.view(f.source);
    TabBarView& target = f.view(f.target);

    TabDrag overDesktop(*source.tabItem(12));
    overDesktop.moveBy(10, 0);
    overDesktop.moveBy(40, 300);
    overDesktop.release();
    EXPECT_THAT(f.delegate->intents, ElementsAre("popOut 12"));

    f.target.isLocked = true;
    f.manager->apply(GroupEvent::groupChanged(f.target));
    TabDrag overLocked(*source.tabItem(11));
    overLocked.moveBy(10, 0);
    overLocked.moveTo(f.onTarget(30));
    ASSERT_TRUE(source.dragChip()->isShown());
    EXPECT_EQ(target.gapSlot(), std::nullopt);
    overLocked.release();
    // Handed to the session, which refuses a locked group: nothing pops out.
    EXPECT_THAT(f.delegate->intents, ElementsAre("popOut 12", "moveToGroup 11 0"));
}

TEST(QtTabGestures, HidingOrClosingABarMidDragEndsTheDragWithoutDroppingTheTab) {
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "closed" : "hidden");
        TwoBars f;
        TabBarView& source = f.view(f.source);
        TabBarView& target = f.view(f.target);
        TabDrag drag(*source.tabItem(11));
        drag.moveBy(10, 0);
        drag.moveTo(f.onTarget(4));
        ASSERT_EQ(target.dropGap().dropGapIndex(), 0);
        if (closing) f.manager->bar(f.source.id)->close();
        else f.manager->bar(f.source.id)->hide();
        EXPECT_FALSE(source.dragChip()->isShown());
        EXPECT_FALSE(source.tabGestureActive());
        EXPECT_EQ(target.dropGap().dropGapIndex(), std::nullopt);
        // Popped out, it stays in its group: neither dropped nor popped out.
        EXPECT_THAT(f.delegate->intents, IsEmpty());
        drag.release();  // a late release finds nothing to end
        f.advance(1);
        EXPECT_THAT(f.delegate->intents, IsEmpty());
    }
}

TEST(QtTabGestures, ARenderWithoutTheDraggedTabsWindowEndsTheDrag) {
    TwoBars f;
    TabBarView& source = f.view(f.source);
    TabDrag drag(*source.tabItem(11));
    drag.moveBy(10, 0);
    drag.moveBy(0, 200);
    ASSERT_TRUE(source.dragChip()->isShown());
    // The window dies mid-drag: its group goes on without it.
    f.source.members.erase(f.source.members.begin());
    f.manager->apply(GroupEvent::groupChanged(f.source));
    EXPECT_FALSE(source.dragChip()->isShown());
    EXPECT_FALSE(source.tabGestureActive());
    EXPECT_THAT(shownWindows(source), ElementsAre(12));
    drag.release();
    f.advance(1);
    EXPECT_THAT(f.delegate->intents, IsEmpty());
}

// ---- The background ----

TEST(QtTabGestures, PressesOnTheBackgroundActivateDragAndMaximiseTheGroup) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true)}, std::string("Work"), std::nullopt, false);
    f.placeAbove();
    TabBarView& view = f.view();
    const QPoint background(view.width() - 4, view.height() / 2);

    sendMouse(view, QEvent::MouseButtonPress, Qt::LeftButton, background);
    sendMove(view, background + QPoint(30, 20));
    sendMove(view, background + QPoint(-500, 20));  // far outside the bar
    sendMouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, background + QPoint(-500, 20));
    // A double click: the first press and release as a click, the second maximises.
    sendMouse(view, QEvent::MouseButtonPress, Qt::LeftButton, background);
    sendMouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, background);
    sendMouse(view, QEvent::MouseButtonDblClick, Qt::LeftButton, background);
    sendMouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, background);
    // The name caption is part of the background.
    click(view.nameCaption());
    EXPECT_THAT(f.delegate->intents, ElementsAre("activate", "dragBy 30 20", "dragBy -530 0", "endDrag", "activate",
                                                 "endDrag", "maximize", "activate", "endDrag"));

    // Hidden mid-drag, the drag ends once; its release never comes.
    f.delegate->intents.clear();
    sendMouse(view, QEvent::MouseButtonPress, Qt::LeftButton, background);
    sendMove(view, background + QPoint(5, 0));
    f.panel->hide();
    sendMouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, background);
    EXPECT_THAT(f.delegate->intents, ElementsAre("activate", "dragBy 5 0", "endDrag"));
    EXPECT_FALSE(view.barDragGesture().isDragging());
}

// ---- Gaps for tabs from other bars ----

TEST(QtTabGestures, AGapOpensMovesAndClosesAmongTheTabs) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true), tabModel(2, "two"), tabModel(3, "three")}, std::nullopt,
                    std::nullopt, false);
    f.placeAbove();
    TabBarView& view = f.view();
    const auto x = [&](WindowID w) { return view.tabItem(w)->x(); };
    const int x1 = x(1), x2 = x(2), x3 = x(3);

    f.panel->openDropGap(1, 120);
    EXPECT_EQ(view.gapSlot(), 1);
    finishAnimations(view);
    EXPECT_EQ(view.gapWidth(), 120);
    EXPECT_EQ(x(1), x1);
    EXPECT_EQ(x(2), x2 + 122);
    // Where a tab would land, given globally: between the tabs' middles.
    EXPECT_EQ(f.panel->dropIndex(Point{100.0 + x1, 280}), 0);
    EXPECT_EQ(f.panel->dropIndex(Point{100.0 + x3 + 122 + 200, 280}), 3);

    f.panel->openDropGap(1, 120);  // the same slot: nothing moves
    EXPECT_EQ(runningAnimations(view), 0);
    f.panel->openDropGap(0, 120);  // jumps at full width, the first tab glides across
    EXPECT_EQ(view.gapSlot(), 0);
    finishAnimations(view);
    EXPECT_EQ(x(1), x1 + 122);
    EXPECT_EQ(x(2), x2 + 122);

    // Closing: the gap shrinks, and its spacer leaves the row once the
    // closing has run its course.
    f.panel->closeDropGap();
    finishAnimations(view);
    EXPECT_EQ(view.gapWidth(), 0);
    EXPECT_EQ(view.gapSlot(), 0);
    f.advance(DropGap::animationDuration);
    EXPECT_EQ(view.gapSlot(), std::nullopt);
    EXPECT_EQ(x(1), x1);
    EXPECT_EQ(x(3), x3);

    // Reopened while closing: the spacer stays and grows again.
    f.panel->openDropGap(2, 80);
    f.panel->closeDropGap();
    f.panel->openDropGap(3, 80);
    f.advance(DropGap::animationDuration);
    finishAnimations(view);
    EXPECT_EQ(view.gapSlot(), 3);
    EXPECT_EQ(view.addButton().x(), x(3) + view.tabItem(3)->width() + TabBarView::rowSpacing + 82);
    // A render takes the gap away at once.
    f.panel->render({tabModel(1, "one", true), tabModel(2, "two")}, std::nullopt, std::nullopt, false);
    EXPECT_EQ(view.gapSlot(), std::nullopt);
}

// ---- Other applications' drags ----

class ForeignDrag {
public:
    ForeignDrag(TabBarView& view, const QStringList& formats) : view_(view) {
        for (const QString& format : formats) data_.setData(format, QByteArray("never read"));
    }
    bool enter(QPoint at) {
        QDragEnterEvent event(at, Qt::CopyAction | Qt::LinkAction, &data_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view_, &event);
        // Taken part in without an action: no drop can follow.
        if (event.isAccepted()) {
            EXPECT_EQ(event.dropAction(), Qt::IgnoreAction);
        }
        return event.isAccepted();
    }
    bool move(QPoint at) {
        QDragMoveEvent event(at, Qt::CopyAction | Qt::LinkAction, &data_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view_, &event);
        return event.isAccepted();
    }
    bool drop(QPoint at) {
        QDropEvent event(at, Qt::CopyAction | Qt::LinkAction, &data_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view_, &event);
        return event.isAccepted() && event.dropAction() != Qt::IgnoreAction;
    }

private:
    TabBarView& view_;
    QMimeData data_;
};

TEST(QtTabGestures, AFileDraggedOverAnInactiveTabSelectsItAfterARestButTheBarNeverTakesTheDrop) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true), tabModel(2, "two"), tabModel(3, "three", false, true)}, std::nullopt,
                    std::nullopt, false);
    f.placeAbove();
    TabBarView& view = f.view();
    const auto at = [&](WindowID w) { return view.tabItem(w)->geometry().center(); };
    const auto highlight = [&](WindowID w) { return view.tabItem(w)->springHighlight(); };
    using Highlight = TabItemView::SpringHighlight;

    ForeignDrag drag(view, {QStringLiteral("x-special/gnome-icon-list"), QStringLiteral("text/uri-list")});
    ASSERT_TRUE(drag.enter(at(2)));
    EXPECT_FALSE(drag.move(at(2)));  // never an answer that would bring a drop
    EXPECT_EQ(highlight(2), Highlight::standard);
    f.advance(0.4);
    EXPECT_THAT(f.delegate->intents, IsEmpty());
    EXPECT_FALSE(drag.move(at(2) + QPoint(2, 0)));
    f.advance(0.1);
    EXPECT_THAT(f.delegate->intents, ElementsAre("select 2"));
    EXPECT_EQ(highlight(2), Highlight::emphasized);
    // Resting on it longer selects it no more; the active tab and a
    // suspended one never spring.
    drag.move(at(2));
    f.advance(1);
    for (const WindowID never : {WindowID{1}, WindowID{3}}) {
        drag.move(at(never));
        EXPECT_EQ(highlight(never), Highlight::none);
        EXPECT_EQ(highlight(2), Highlight::none);
        f.advance(1);
    }
    EXPECT_THAT(f.delegate->intents, ElementsAre("select 2"));
    // Back on tab 2, a render in the middle of the hover keeps its highlight.
    drag.move(at(2));
    f.panel->render({tabModel(1, "one"), tabModel(2, "two"), tabModel(3, "three", false, true)}, std::nullopt,
                    std::nullopt, false);
    EXPECT_EQ(highlight(2), Highlight::standard);
    EXPECT_FALSE(drag.drop(at(2)));
    EXPECT_EQ(highlight(2), Highlight::none);
    f.advance(1);
    EXPECT_THAT(f.delegate->intents, ElementsAre("select 2"));
}

TEST(QtTabGestures, DragsOfUnknownTypesOrEndlessTypeListsAreNotTakenPartIn) {
    BarFixture f;
    f.panel->render({tabModel(1, "one", true), tabModel(2, "two")}, std::nullopt, std::nullopt, false);
    f.placeAbove();
    TabBarView& view = f.view();
    const QPoint overTwo = view.tabItem(2)->geometry().center();

    EXPECT_FALSE(ForeignDrag(view, {QStringLiteral("application/x-private-thing")}).enter(overTwo));
    EXPECT_FALSE(ForeignDrag(view, {}).enter(overTwo));
    // A type list of thousands, the one known type far down it, names of
    // absurd length: only the first ones are looked at.
    QStringList endless;
    for (int i = 0; i < 5000; ++i) endless << QStringLiteral("application/x-junk-%1").arg(i);
    endless << QStringLiteral("text/plain");
    EXPECT_FALSE(ForeignDrag(view, endless).enter(overTwo));
    EXPECT_FALSE(ForeignDrag(view, {QString(100000, QLatin1Char('t'))}).enter(overTwo));
    f.advance(1);
    EXPECT_THAT(f.delegate->intents, IsEmpty());
}

// ---- Menus of the bar's buttons ----

TEST(QtTabGestures, TheMoveButtonListsTheDisplaysBelowItAndAddAnchorsOnItsButton) {
    BarFixture f;
    f.panel->setProviders({{}, {}, [] {
                               return std::vector<DisplayMoveTarget>{{0, "Left", false}, {1, "Right & Co", true}};
                           }});
    f.panel->render({tabModel(1, "one", true)}, std::nullopt, std::nullopt, true);
    f.placeAbove();
    TabBarView& view = f.view();
    ASSERT_TRUE(view.moveButton().isVisible());
    view.moveButton().click();
    QMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_THAT(actionTexts(*menu), ElementsAre("Move to…", "-", "Left", "Right && Co"));
    EXPECT_FALSE(menu->actions()[0]->isEnabled());
    EXPECT_FALSE(menu->actions()[3]->isEnabled());  // the display the group is on
    menu->actions()[2]->trigger();
    closeMenus();
    // The add button works on a locked group too; its anchor is the button.
    view.addButton().click();
    EXPECT_THAT(f.delegate->intents, ElementsAre("moveToDisplay 0", "add"));
    const QPoint corner = view.addButton().mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(f.delegate->lastAddAnchor, Rect(corner.x(), corner.y(), view.addButton().width(),
                                              view.addButton().height()));
}

}  // namespace
}  // namespace tessaly::test
