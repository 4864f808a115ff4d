// Tab bars on a real desktop (Xvfb + openbox, xterm and xlogo): each case
// runs in a child process on a desktop of its own (see OverlayOnX11.h).
// First: the X11 headers it reaches must come before Qt's "emit" keyword.
#include "OverlayOnX11.h"

#include <xcb/shape.h>

#include <chrono>
#include <cmath>
#include <thread>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QLineEdit>
#include <QWidget>
#include <QWindow>

#include "OverlayUI/Qt/BarMoveFilter.h"
#include "OverlayUI/Qt/QtGroupNameDialog.h"
#include "OverlayUI/Qt/QtInsertPreviewPanel.h"
#include "OverlayUI/Qt/TabBarView.h"
#include "OverlayUI/Qt/TabItemView.h"
#include "Platform/Qt/QtX11Connection.h"
#include "Platform/Qt/QtX11Coordinates.h"

namespace tessaly::test {
namespace {

// The synthetic reports of a window's place that reach Qt (what a move
// filter tells it once the bars rest), in order.
class ToldReports final : public QAbstractNativeEventFilter {
public:
    explicit ToldReports(std::uint32_t window) : window_(window) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~ToldReports() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    ToldReports(const ToldReports&) = delete;
    ToldReports& operator=(const ToldReports&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if (event->response_type != (XCB_CONFIGURE_NOTIFY | 0x80)) return false;
        const auto* c = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        if (c->window == window_) told.emplace_back(c->x, c->y, c->width, c->height);
        return false;
    }
    // Waits for the rest that tells Qt where the window stands.
    bool rest() {
        const std::size_t before = told.size();
        return QtOnX11Test::waitUntil([&] { return told.size() > before; });
    }

    std::vector<Rect> told;

private:
    std::uint32_t window_;
};

// ---- 1. One bar above the active member's frame, never focused ----

TEST(TabBarOnX11, OneOverrideRedirectBarSitsDirectlyAboveTheActiveFrame) {
    QtOnX11::runSuite("TabBarOnX11_Appears");
}

TESSALY_QT_X11_TEST_F(OverlayOnX11, TabBarOnX11_Appears, Run) {
    const auto first = desktop().launchXterm("first", "80x24+200+300");
    const auto second = desktop().launchXterm("second", "80x24+260+330");
    ASSERT_TRUE(first && second);
    desktop().windows().activate(second->window);
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().windows().activeWindow() == second->window; }));
    const xcb_window_t activeBefore = desktop().windows().activeWindow();
    const xcb_window_t focusBefore = inputFocus();

    const TabGroup group = groupOf({*first, *second}, 1);
    manager->apply(GroupEvent::groupCreated(group));
    const xcb_window_t strip = stripWindow(group.id);
    const xcb_window_t frame = info(second->window).frameWindow;
    ASSERT_NE(strip, kNoWindow);
    ASSERT_TRUE(waitUntil([&] {
        const Rect g = geometry(strip);
        return isViewable(strip) && g.minX() == group.frame.minX() && g.maxY() == group.frame.minY() &&
               directlyAbove(strip, frame);
    })) << "bar at " << geometry(strip) << " for the frame " << group.frame;

    const Rect placed = geometry(strip);
    EXPECT_EQ(placed.width(), group.frame.width());
    EXPECT_EQ(placed.height(), TabStripGeometry::defaultHeight);
    EXPECT_TRUE(isOverrideRedirect(strip));
    const auto clients = desktop().windows().clientList();
    EXPECT_EQ(std::count(clients.begin(), clients.end(), strip), 0);
    // Nothing of a backing behind a plain rectangular frame could show
    // without a compositor: the bar has one, but keeps it off screen.
    EXPECT_TRUE(bar(group.id).backingShown());
    EXPECT_FALSE(isViewable(bar(group.id).backingPanel().windowNumber()));

    // Showing the bar moved no focus, now or a moment later.
    desktop().connection().sync();
    waitUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(desktop().windows().activeWindow(), activeBefore);
    EXPECT_EQ(inputFocus(), focusBefore);
    EXPECT_TRUE(directlyAbove(strip, frame));
}

// ---- 1b. A shaped frame: the backing shows in its cut corners, below it ----

TEST(TabBarOnX11, AShapedFramesBarShowsItsBackingBelowTheFrame) {
    QtOnX11::runSuite("TabBarOnX11_ShapedFrame");
}

// Lifted over the frame by another client after the bar was ordered again
// where it stands (a restack that moves nothing is not reported), the
// backing would lie over the window's title bar: the window manager
// restacks the bars, so they are cut and the backing goes.
TESSALY_QT_X11_TEST_F(OverlayOnX11WithoutTick, TabBarOnX11_ShapedFrame, Run) {
    const auto first = desktop().launchXterm("first", "80x24+200+300");
    const auto second = desktop().launchXterm("second", "80x24+200+300");
    ASSERT_TRUE(first && second);
    const xcb_window_t frame = info(second->window).frameWindow;
    cutCorners(frame);

    const TabGroup group = groupOf({*first, *second}, 1);
    manager->apply(GroupEvent::groupCreated(group));
    const xcb_window_t strip = stripWindow(group.id);
    const xcb_window_t backing = bar(group.id).backingPanel().windowNumber();
    ASSERT_TRUE(waitUntil([&] {
        return directlyAbove(strip, frame) && isViewable(backing) && directlyAbove(frame, backing);
    })) << "no backing below the shaped frame";
    EXPECT_EQ(geometry(backing).minY(), group.frame.minY());

    // Ordered again where it stands (nothing is reported), then lifted.
    manager->reassertAll();
    QtX11Connection::sync();
    auto& x = desktop().connection();
    const std::uint32_t values[] = {frame, XCB_STACK_MODE_ABOVE};
    xcb_configure_window(x.get(), backing, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    x.sync();
    EXPECT_TRUE(waitUntil([&] { return !isViewable(backing) || !directlyAbove(backing, frame); }))
        << "the backing stayed over its window";
}

// ---- 2. Raised over, then raised again: back above its frame ----

TEST(TabBarOnX11, ABarReturnsAboveItsWindowWhenTheWindowIsRaisedAgain) {
    QtOnX11::runSuite("TabBarOnX11_Restack");
}

// Without the 0.25 s tick: only the window manager's restack, as reported
// by the backend, can put the bar back.
TESSALY_QT_X11_TEST_F(OverlayOnX11WithoutTick, TabBarOnX11_Restack, Run) {
    const auto shown = groupTwoTerminals();
    ASSERT_TRUE(shown);
    const auto& [first, second, group, strip, frame] = *shown;
    ASSERT_TRUE(waitUntil([&] { return directlyAbove(strip, frame); }));

    // Another window over the group's.
    const auto other = desktop().launchXlogo("300x300+250+280");
    ASSERT_TRUE(other);
    const xcb_window_t otherFrame = info(other->window).frameWindow;
    desktop().windows().activate(other->window);
    ASSERT_TRUE(waitUntil([&] { return isAbove(otherFrame, frame) && isAbove(otherFrame, strip); }));
    EXPECT_TRUE(directlyAbove(strip, frame));  // still with its own window, under the other

    // Hidden and shown again (a maximise puts it inside the title bar and
    // back): it comes back in its place, not over the other window.
    bar(group.id).hide();
    ASSERT_TRUE(waitUntil([&] { return !isViewable(strip); }));
    bar(group.id).show();
    ASSERT_TRUE(waitUntil([&] { return isViewable(strip); }));
    EXPECT_FALSE(waitUntil([&] { return !directlyAbove(strip, frame) || isAbove(strip, otherFrame); },
                           std::chrono::milliseconds(300)))
        << "shown again over the other window";

    // A click on the group window's title bar: the window manager raises it.
    const X11WindowInfo window = info(second.window);
    clickAt({window.frame.minX() + 40, window.frame.minY() + window.extents.top / 2});
    ASSERT_TRUE(waitUntil([&] { return isAbove(frame, otherFrame) && directlyAbove(strip, frame); }))
        << "the bar did not come back above its window";
    EXPECT_TRUE(isAbove(strip, otherFrame));
}

// ---- 2b. A dragged window: its bar moves once per move, unseen by Qt until it rests ----

TEST(TabBarOnX11, ADraggedWindowsBarIsMovedOncePerMoveUnseenByQtAndEndsOnIt) {
    QtOnX11::runSuite("TabBarOnX11_Follow");
}

// The session's part is played as the program plays it: every move the
// backend reports becomes the group's frame on the main thread. The bar's
// moves are counted on a connection of the harness's own.
TESSALY_QT_X11_TEST_F(OverlayOnX11, TabBarOnX11_Follow, Run) {
    const auto shown = groupTwoTerminals();
    ASSERT_TRUE(shown);
    const auto& [first, second, placed, strip, frame] = *shown;
    TabGroup group = placed;
    const auto inPlace = [&] {
        const Rect f = geometry(frame);
        const Rect g = geometry(strip);
        return g.minX() == f.minX() && g.maxY() == f.minY() && directlyAbove(strip, frame);
    };
    ASSERT_TRUE(waitUntil(inPlace));
    auto follow = platform->backend()->subscribe([&, weak = std::weak_ptr<OverlayManager>(manager)](const X11Event& e) {
        if (e.kind != X11Event::Kind::frameChanged || !e.rootChild || e.frameWindow != frame || !e.hasGeometry) return;
        QMetaObject::invokeMethod(qApp, [weak, &group, at = e.geometry] {
            if (const auto live = weak.lock()) {
                group.frame = at;
                live->apply(GroupEvent::groupChanged(group));
            }
        });
    });
    const auto counter = X11Connection::open(desktop().display());
    ASSERT_TRUE(counter);
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(counter->get(), strip, XCB_CW_EVENT_MASK, &mask);
    counter->sync();
    const auto moveTo = [&](double x, double y) {
        desktop().windows().setPosition(second.window, Point{x, y});
        return waitUntil([&] { return geometry(frame).minY() == y && inPlace(); });
    };
    const auto settle = [&] { waitUntil([] { return false; }, std::chrono::milliseconds(300)); };
    const auto stripConfigures = [&] {
        int count = 0;
        while (XEvent event{xcb_poll_for_event(counter->get())}) {
            // The server's own, not the word Qt is sent of where its window stands at rest.
            count += event->response_type == XCB_CONFIGURE_NOTIFY;
        }
        return count;
    };
    // The first move may reach the bar twice: its frame is being watched for it.
    ASSERT_TRUE(moveTo(240, 320));
    settle();
    stripConfigures();

    // What Qt paints of the bar meanwhile, and how often it is told the
    // bar's window moved.
    struct Counter : QObject {
        int paints = 0;
        int moves = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            moves += event->type() == QEvent::Move;
            return false;
        }
    } painted;
    QWidget& view = bar(group.id).view();
    view.installEventFilter(&painted);
    for (QWidget* child : view.findChildren<QWidget*>()) child->installEventFilter(&painted);
    if (view.window() != &view) view.window()->installEventFilter(&painted);

    constexpr int kMoves = 12;
    for (int i = 1; i <= kMoves; ++i) {
        ASSERT_TRUE(moveTo(240 + 17 * i, 320 + 9 * (i % 3))) << "move " << i << ": the bar is not on its window";
    }
    settle();
    // Once by the follower; the main thread's placement of the same frame
    // sends nothing (now and then it comes first, and the follower's adds one).
    const int configures = stripConfigures();
    EXPECT_GE(configures, kMoves);
    EXPECT_LE(configures, kMoves + kMoves / 4);
    EXPECT_TRUE(inPlace());
    EXPECT_EQ(painted.paints, 0) << "the bar was painted again for a move alone";
    // Qt hears of the bar's place only when the main thread's placement
    // comes first, now and then on a busy machine: far from every move.
    EXPECT_LE(painted.moves, kMoves / 4) << "Qt was told of every move";

    // A main thread that lags behind the drag: the placements it still
    // owes for where the frame has been do not take the bar back there.
    for (const double x : {520.0, 560.0}) {
        desktop().windows().setPosition(second.window, Point{x, 320});
        const auto deadline = std::chrono::steady_clock::now() + kX11Patience;
        while (!(geometry(frame).minX() == x && inPlace()) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));  // Qt's events wait meanwhile
        }
        ASSERT_TRUE(inPlace()) << "the bar did not follow to " << x << " by itself";
    }
    settle();
    EXPECT_EQ(stripConfigures(), 2) << "the bar went back where the frame had been";
    EXPECT_TRUE(inPlace());

    // At rest Qt knows where the bar stands: a click where Qt has a tab
    // lands on it, and its menu opens.
    const auto qtStripOrigin = [&] { return QtX11Coordinates::toX(QPointF(view.mapToGlobal(QPoint(0, 0)))); };
    EXPECT_TRUE(waitUntil([&] {
        const Point qt = qtStripOrigin();
        const Point x = geometry(strip).origin;
        return std::abs(qt.x - x.x) <= 1 && std::abs(qt.y - x.y) <= 1;
    })) << "Qt has the bar at " << qtStripOrigin() << ", the server at " << geometry(strip).origin;
    follow.cancel();
    TabItemView* tab = bar(group.id).view().tabItem(first.window);
    ASSERT_NE(tab, nullptr);
    clickAt(QtX11Coordinates::toX(QPointF(tab->mapToGlobal(tab->rect().center()))), 3);
    ASSERT_TRUE(waitUntil([] { return openMenu() && openMenu()->isVisible(); })) << "no menu opened";
    EXPECT_EQ(openMenu()->actions().front()->text(), QStringLiteral("Pop Tab Out"));
    tapKey(kEscape);
    EXPECT_TRUE(waitUntil([] { return openMenu() == nullptr; }));

    // Where Qt was told of a move at rest, a report of the server's that
    // comes meanwhile (the window resized) stands: ours, back after it, is
    // dropped, as it would put Qt's window where it no longer is.
    QWidget plain(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    plain.setGeometry(600, 500, 200, 40);
    plain.show();
    ASSERT_TRUE(waitUntil([&] { return plain.windowHandle() && plain.windowHandle()->isExposed(); }));
    settle();
    BarMoveFilter filter;
    const auto window = static_cast<std::uint32_t>(plain.winId());
    filter.watch(window);
    // Each case hands the filter the reports it needs, in its order; the
    // server's own reach Qt unfiltered. The rest comes as in the program,
    // once the reports stopped for a moment.
    QCoreApplication::instance()->removeNativeEventFilter(&filter);
    ToldReports qtTold(window);
    const QSize size = plain.windowHandle()->geometry().size() * plain.windowHandle()->devicePixelRatio();
    const auto report = [&](std::int16_t x, std::int16_t y, QSize s, bool synthetic = false, xcb_window_t under = 0) {
        xcb_configure_notify_event_t e{};
        e.response_type = XCB_CONFIGURE_NOTIFY | (synthetic ? 0x80 : 0);
        e.event = e.window = window;
        e.above_sibling = under;
        e.x = x;
        e.y = y;
        e.width = static_cast<std::uint16_t>(s.width());
        e.height = static_cast<std::uint16_t>(s.height());
        return filter.nativeEventFilter("xcb_generic_event_t", &e, nullptr);
    };
    const QPoint before = plain.windowHandle()->geometry().topLeft();
    EXPECT_FALSE(report(20, 20, size));  // the first: Qt's
    EXPECT_TRUE(report(30, 30, size));   // a move alone: kept from Qt
    ASSERT_TRUE(qtTold.rest()) << "Qt was not told where the server has the window";
    EXPECT_FALSE(report(40, 40, size + QSize(20, 0)));  // resized meanwhile: Qt's
    const Rect told = geometry(window);
    EXPECT_TRUE(report(static_cast<std::int16_t>(told.minX()), static_cast<std::int16_t>(told.minY()), size, true))
        << "ours, back after the server's report, reached Qt";
    settle();
    EXPECT_EQ(plain.windowHandle()->geometry().topLeft(), before) << "Qt took the report that came back late";

    // A move kept from Qt, then a resize still queued for Qt when it is
    // told where the window stands: Qt keeps only the last of a window's
    // queued reports, so what it is told must carry the new size.
    report(640, 520, size);               // (the size back as Qt has it)
    EXPECT_TRUE(report(650, 520, size));  // a move alone: kept from Qt
    xcb_connection_t* c = QtX11Connection::get();
    const std::uint32_t wider[] = {320, 40};
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, wider);
    QtX11Connection::sync();
    ASSERT_TRUE(qtTold.rest());
    EXPECT_EQ(qtTold.told.back().size, (Size{320, 40})) << "told of the window's old size";
    const auto qtHas = [&] {
        const QRect g = plain.windowHandle()->geometry();
        return Rect(g.x(), g.y(), g.width(), g.height());
    };
    EXPECT_TRUE(waitUntil([&] { return qtHas() == geometry(window); }))
        << "Qt has the window at " << qtHas() << ", the server at " << geometry(window);

    // Where a resized window is restacked in place at rest (as on marco),
    // it stays above the window the server has under it then, not the one
    // its last report named: another connection may have ordered it since.
    filter.setRestackAfterResize(true);
    int restacked = 0;
    filter.onRestacking = [&](std::uint32_t w) { restacked += w == window ? 1 : 0; };
    QWidget low(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    QWidget high(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    for (QWidget* other : {&low, &high}) {
        other->setGeometry(100, 100, 50, 50);
        other->show();
    }
    ASSERT_TRUE(waitUntil([&] { return low.windowHandle()->isExposed() && high.windowHandle()->isExposed(); }));
    const auto lowWindow = static_cast<xcb_window_t>(low.winId()), highWindow = static_cast<xcb_window_t>(high.winId());
    const std::uint32_t aboveLow[] = {lowWindow, XCB_STACK_MODE_ABOVE}, aboveHigh[] = {highWindow, XCB_STACK_MODE_ABOVE};
    xcb_configure_window(c, highWindow, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, aboveLow);
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, aboveHigh);
    QtX11Connection::sync();
    ASSERT_TRUE(directlyAbove(window, highWindow));
    const QSize now(static_cast<int>(geometry(window).width()), static_cast<int>(geometry(window).height()));
    report(0, 0, now);                                       // the size as Qt has it
    EXPECT_FALSE(report(0, 0, now + QSize(10, 0), false, lowWindow));  // resized, above `low` back then
    ASSERT_TRUE(waitUntil([&] { return restacked > 0; })) << "not restacked at rest";
    QtX11Connection::sync();
    EXPECT_EQ(restacked, 1);
    EXPECT_TRUE(directlyAbove(window, highWindow)) << "restacked above the window its stale report named";
}

// ---- 2c. A bar placed for a frame the window had, or has yet to report: it waits there ----

TEST(TabBarOnX11, ABarPlacedForAFrameTheWindowHadOrHasYetToReportWaitsThere) {
    QtOnX11::runSuite("TabBarOnX11_Back");
}

// A zoom undone: the group frame goes back to one its window had a moment
// ago, while the window itself is still zoomed. The bar waits there for it,
// rather than taking the frame's latest report for a drag it lags behind.
// Then a bar placed ahead of its frame's reports.
TESSALY_QT_X11_TEST_F(OverlayOnX11, TabBarOnX11_Back, Run) {
    const auto shown = groupTwoTerminals();
    ASSERT_TRUE(shown);
    const auto& [first, second, placed, strip, frame] = *shown;
    TabGroup group = placed;
    const Rect before = group.frame;
    const auto stripOn = [&](const Rect& f) {
        const Rect g = geometry(strip);
        return g.minX() == f.minX() && g.maxY() == f.minY() && g.width() == f.width();
    };
    ASSERT_TRUE(waitUntil([&] { return stripOn(before) && directlyAbove(strip, frame); }));

    const Rect zoomed(0, 60, 1200, 800);
    desktop().windows().setFrame(second.window, zoomed);
    ASSERT_TRUE(waitUntil([&] { return geometry(frame).width() == zoomed.width(); }));
    group.frame = geometry(frame);
    manager->apply(GroupEvent::groupChanged(group));
    ASSERT_TRUE(waitUntil([&] { return stripOn(group.frame); }));

    group.frame = before;
    manager->apply(GroupEvent::groupChanged(group));
    EXPECT_TRUE(waitUntil([&] { return stripOn(before); }));
    waitUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_TRUE(stripOn(before)) << "the bar went back to the zoomed frame: " << geometry(strip);

    // Placed for where the window goes before its frame has said so (the
    // main thread read the move first): the bar waits there, and from there
    // follows the frame on its own.
    const Rect ahead = before.offsetBy(40, 30);
    group.frame = ahead;
    manager->apply(GroupEvent::groupChanged(group));
    ASSERT_TRUE(waitUntil([&] { return stripOn(ahead); }));
    desktop().windows().setFrame(second.window, ahead);
    ASSERT_TRUE(waitUntil([&] { return geometry(frame).origin == ahead.origin; }));
    const Rect further = ahead.offsetBy(25, 15);
    desktop().windows().setFrame(second.window, further);
    EXPECT_TRUE(waitUntil([&] { return stripOn(further); })) << "the bar stayed at " << geometry(strip);
}

TEST(TabBarOnX11, ABarPlacedAheadOfAFrameNeverHeardFromWaitsThere) {
    QtOnX11::runSuite("TabBarOnX11_Unheard");
}

// Terminals up before the overlay: their frames have not been heard to
// move or restack since (as for windows grouped at start).
class OverlayOnX11AfterClients : public OverlayOnX11 {
protected:
    void SetUp() override {
        first = desktop().launchXterm("first", "80x24+200+300");
        second = desktop().launchXterm("second", "80x24+200+300");
        ASSERT_TRUE(first && second);
        OverlayOnX11::SetUp();
    }
    std::optional<X11Desktop::Client> first, second;
};

// A group dragged by its bar past the left edge, where the window manager
// keeps the window on screen: the bar goes where the drag takes the group,
// and a restack of the frame where it stood before, heard only now, does
// not take the bar back there.
TESSALY_QT_X11_TEST_F(OverlayOnX11AfterClients, TabBarOnX11_Unheard, Run) {
    TabGroup group = groupOf({*first, *second}, 1);
    manager->apply(GroupEvent::groupCreated(group));
    const xcb_window_t strip = stripWindow(group.id);
    const xcb_window_t frame = info(second->window).frameWindow;
    const xcb_window_t otherFrame = info(first->window).frameWindow;
    const auto stripOn = [&](const Rect& f) {
        const Rect g = geometry(strip);
        return g.minX() == f.minX() && g.maxY() == f.minY() && g.width() == f.width();
    };
    const Rect before = group.frame;
    ASSERT_TRUE(waitUntil([&] { return stripOn(before) && directlyAbove(strip, frame); }));

    const Rect ahead = before.offsetBy(-320, 20);
    group.frame = ahead;
    manager->apply(GroupEvent::groupChanged(group));
    ASSERT_TRUE(waitUntil([&] { return stripOn(ahead); }));
    desktop().windows().activate(first->window);
    ASSERT_TRUE(waitUntil([&] { return isAbove(otherFrame, frame); }));
    desktop().windows().activate(second->window);
    ASSERT_TRUE(waitUntil([&] { return isAbove(frame, otherFrame) && directlyAbove(strip, frame); }))
        << "the bar did not come back above its window";
    waitUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_TRUE(stripOn(ahead)) << "the bar went back where the frame stood before the drag: " << geometry(strip);
    EXPECT_EQ(geometry(frame).origin, before.origin);
}

// ---- 3. No room above: inside the window manager's title bar, and inside a narrow window ----

TEST(TabBarOnX11, AWindowAtTheTopGetsTheStripInsideItsTitleBar) {
    QtOnX11::runSuite("TabBarOnX11_TitleBar");
}

TESSALY_QT_X11_TEST_F(OverlayOnX11, TabBarOnX11_TitleBar, Run) {
    const auto wide = desktop().launchXterm("wide", "80x24+300+0");
    const auto other = desktop().launchXterm("other", "80x24+300+0");
    const auto narrow = desktop().launchXlogo("150x150+1200+0");
    const auto narrowOther = desktop().launchXlogo("150x150+1200+0");
    ASSERT_TRUE(wide && other && narrow && narrowOther);

    for (const auto& [active, partner] : {std::pair{*wide, *other}, std::pair{*narrow, *narrowOther}}) {
        const TabGroup group = groupOf({partner, active}, 1);
        SCOPED_TRACE(::testing::Message() << "window frame " << group.frame);
        ASSERT_LT(group.frame.minY(), TabStripGeometry::defaultHeight);  // no room above
        manager->apply(GroupEvent::groupCreated(group));
        const xcb_window_t strip = stripWindow(group.id);
        // Inside the window manager's title bar: nothing of the client covered.
        const double clientTop = info(active.window).clientFrame.minY();
        ASSERT_TRUE(waitUntil([&] {
            return isViewable(strip) && geometry(strip).minY() > group.frame.minY() &&
                   geometry(strip).maxY() <= clientTop;
        })) << "strip at " << geometry(strip) << ", the client's top at " << clientTop;
        const Rect g = geometry(strip);
        EXPECT_GE(g.minX(), group.frame.minX());
        EXPECT_LE(g.maxX(), group.frame.maxX());
        EXPECT_GT(g.width(), 0);
        EXPECT_LE(g.maxY(), group.frame.maxY());
        EXPECT_FALSE(bar(group.id).backingShown());
        EXPECT_FALSE(isViewable(bar(group.id).backingPanel().windowNumber()));
        EXPECT_TRUE(waitUntil([&] { return directlyAbove(strip, info(active.window).frameWindow); }));
    }
}

// ---- 4. Clicks: select without focus; the tab menu opens and Escape closes it ----

TEST(TabBarOnX11, ClickingATabSelectsItWithoutMovingFocusAndEscapeClosesItsMenu) {
    QtOnX11::runSuite("TabBarOnX11_Click");
}

TESSALY_QT_X11_TEST_F(OverlayOnX11, TabBarOnX11_Click, Run) {
    const auto first = desktop().launchXterm("first", "80x24+200+300");
    const auto second = desktop().launchXterm("second", "80x24+200+300");
    ASSERT_TRUE(first && second);
    desktop().windows().activate(second->window);
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().windows().activeWindow() == second->window; }));
    const TabGroup group = groupOf({*first, *second}, 1);
    manager->apply(GroupEvent::groupCreated(group));
    const xcb_window_t strip = stripWindow(group.id);
    ASSERT_TRUE(waitUntil([&] { return isViewable(strip) && geometry(strip) == bar(group.id).stripPanel().frame(); }));
    // Qt has taken the new geometry: the tabs are laid out.
    TabItemView* tab = bar(group.id).view().tabItem(first->window);
    ASSERT_NE(tab, nullptr);
    ASSERT_TRUE(waitUntil([&] { return bar(group.id).view().width() > 0 && tab->width() > 0; }));
    const auto tabCentre = [&] {
        return QtX11Coordinates::toX(QPointF(tab->mapToGlobal(tab->rect().center())));
    };
    const xcb_window_t active = desktop().windows().activeWindow();
    const xcb_window_t focus = inputFocus();

    clickAt(tabCentre());
    ASSERT_TRUE(waitUntil([&] { return !delegate->intents.empty(); }));
    EXPECT_EQ(delegate->intents.front(), "select " + std::to_string(first->window));
    EXPECT_EQ(delegate->groups.front(), group.id);
    EXPECT_EQ(desktop().windows().activeWindow(), active);
    EXPECT_EQ(inputFocus(), focus);

    clickAt(tabCentre(), 3);
    ASSERT_TRUE(waitUntil([] { return openMenu() && openMenu()->isVisible(); })) << "no menu opened";
    EXPECT_EQ(openMenu()->actions().front()->text(), QStringLiteral("Pop Tab Out"));
    tapKey(kEscape);
    ASSERT_TRUE(waitUntil([] { return openMenu() == nullptr; })) << "Escape did not close the menu";
    EXPECT_EQ(delegate->intents.size(), 1u);  // the right click selected nothing, the menu chose nothing
    EXPECT_EQ(desktop().windows().activeWindow(), active);
}

// ---- Translucent while a compositing manager runs ----

TEST(TabBarOnX11, BarsAndPreviewsAreTranslucentOnlyWhileACompositorRunsAndCastNoShadow) {
    QtOnX11::runSuite("TabBarOnX11_Compositor");
}

TESSALY_QT_X11_TEST_F(OverlayOnX11, TabBarOnX11_Compositor, Run) {
    const auto first = desktop().launchXlogo("300x200+200+300");
    const auto second = desktop().launchXlogo("300x200+200+300");
    ASSERT_TRUE(first && second);
    const TabGroup group = groupOf({*first, *second}, 1);
    manager->apply(GroupEvent::groupCreated(group));
    const xcb_window_t frame = info(second->window).frameWindow;
    auto& x = desktop().connection();
    const auto depth = [&](xcb_window_t window) {
        XReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(x.get(), xcb_get_geometry(x.get(), window), nullptr));
        return g ? int(g->depth) : 0;
    };
    const auto property = [&](xcb_window_t window, const char* name) {
        return propertyCardinals(x.readProperty(window, x.internAtom(name)).get());
    };
    // In place: the strip directly above the frame; with a compositor, the
    // backing directly below it (without one it could not show there).
    const auto inPlace = [&](int bits) {
        const xcb_window_t strip = stripWindow(group.id);
        const xcb_window_t backing = bar(group.id).backingPanel().windowNumber();
        const Rect g = geometry(strip);
        const bool backingInPlace = bits == 32 ? isViewable(backing) && depth(backing) == bits &&
                                                     directlyAbove(frame, backing)
                                               : !isViewable(backing);
        return isViewable(strip) && depth(strip) == bits && g.maxY() == group.frame.minY() &&
               g.width() == group.frame.width() && directlyAbove(strip, frame) && backingInPlace;
    };
    const int opaque = desktop().connection().screen().root_depth;
    ASSERT_TRUE(waitUntil([&] { return inPlace(opaque); })) << "no opaque bar in place without a compositor";
    const auto made = factory->makeInsertPreviewPanel();
    auto& preview = static_cast<QtInsertPreviewPanel&>(*made);
    preview.show(Rect(600, 100, 300, 200), false);
    ASSERT_TRUE(waitUntil([&] { return isViewable(preview.panel().windowNumber()); }));
    EXPECT_EQ(depth(preview.panel().windowNumber()), opaque);

    std::string why;
    if (!desktop().startCompositor(why)) GTEST_SKIP() << why;
    EXPECT_TRUE(waitUntil([&] { return inPlace(32); })) << "the bar did not become translucent in place";
    EXPECT_TRUE(waitUntil([&] { return depth(preview.panel().windowNumber()) == 32; }));
    EXPECT_TRUE(isViewable(preview.panel().windowNumber()));
    // Every window made anew says what the first ones said: no shadow.
    for (const xcb_window_t window :
         {stripWindow(group.id), bar(group.id).backingPanel().windowNumber(), preview.panel().windowNumber()}) {
        EXPECT_EQ(property(window, "_COMPTON_SHADOW"), std::vector<std::uint32_t>{0});
        EXPECT_EQ(property(window, "_NET_WM_WINDOW_TYPE"),
                  std::vector<std::uint32_t>{x.internAtom("_NET_WM_WINDOW_TYPE_DND")});
        EXPECT_EQ(property(window, "_NET_FRAME_EXTENTS"), (std::vector<std::uint32_t>{0, 0, 0, 0}));
    }

    // The compositor goes: opaque again within a second, still in place.
    ASSERT_TRUE(desktop().stopCompositor());
    EXPECT_TRUE(waitUntil([&] { return inPlace(opaque); }, std::chrono::seconds(1)))
        << "the bar stayed translucent without a compositor";
    EXPECT_TRUE(waitUntil([&] { return depth(preview.panel().windowNumber()) == opaque; }, std::chrono::seconds(1)));
}

// ---- 5. Scaled Qt: the bar still matches the frame in X pixels ----

TEST(TabBarOnX11, UnderQtScalingTheBarStillMatchesTheFrameInXPixels) {
    QtOnX11::runSuite("TabBarOnX11_Scaled", {{"QT_SCALE_FACTOR", "2"}});
}

TESSALY_QT_X11_TEST_F(OverlayOnX11, TabBarOnX11_Scaled, Run) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    // Odd positions and sizes are where a logical move would miss a pixel.
    const auto first = desktop().launchXlogo("301x201+251+401");
    const auto second = desktop().launchXlogo("301x201+251+401");
    ASSERT_TRUE(first && second);
    TabGroup group = groupOf({*first, *second}, 1);
    manager->apply(GroupEvent::groupCreated(group));
    const xcb_window_t strip = stripWindow(group.id);
    const auto matches = [&] {
        const Rect g = geometry(strip);
        return isViewable(strip) && g.minX() == group.frame.minX() && g.width() == group.frame.width() &&
               g.maxY() == group.frame.minY();
    };
    ASSERT_TRUE(waitUntil(matches)) << "bar at " << geometry(strip) << " for the frame " << group.frame;
    // The strip keeps its content's height: 30 logical pixels, 60 X pixels.
    EXPECT_EQ(geometry(strip).height(), 2 * TabStripGeometry::defaultHeight);
    EXPECT_TRUE(waitUntil([&] { return bar(group.id).view().height() == TabStripGeometry::defaultHeight; }));

    // Moved by one odd pixel: still exact.
    group.frame.origin.x += 1;
    group.frame.origin.y += 3;
    group.frame.size.width -= 1;
    manager->movePanel(group.id, group.frame);
    ASSERT_TRUE(waitUntil(matches)) << "bar at " << geometry(strip) << " for the frame " << group.frame;
}

// ---- The name dialog takes the keyboard from another application ----

TEST(TabBarOnX11, TheNameDialogComesToTheFrontWithTheKeyboardFocus) {
    QtOnX11::runSuite("TabBarOnX11_NameDialog");
}

TESSALY_QT_X11_TEST_F(OverlayOnX11, TabBarOnX11_NameDialog, Run) {
    const auto terminal = desktop().launchXterm("busy", "80x24+200+300");
    ASSERT_TRUE(terminal);
    desktop().windows().activate(terminal->window);
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().windows().activeWindow() == terminal->window; }));

    std::vector<GroupNameEditOutcome> outcomes;
    QtGroupNameDialog dialog;
    dialog.open(std::string("Old"), [&](GroupNameEditOutcome outcome) { outcomes.push_back(outcome); });
    const auto dialogWindow = static_cast<xcb_window_t>(dialog.window()->winId());
    ASSERT_TRUE(waitUntil([&] {
        return desktop().windows().activeWindow() == dialogWindow && QApplication::focusWidget() == static_cast<QWidget*>(&dialog.field());
    })) << "active window " << desktop().windows().activeWindow() << ", the dialog's " << dialogWindow;

    // What the user types goes into the field; Return answers.
    constexpr xcb_keycode_t kW = 25, kO = 32, kR = 27, kK = 45, kReturn = 36;
    for (const xcb_keycode_t key : {kW, kO, kR, kK, kReturn}) tapKey(key);
    ASSERT_TRUE(waitUntil([&] { return !outcomes.empty(); }));
    EXPECT_EQ(outcomes.front().kind, GroupNameEditOutcome::Kind::named);
    EXPECT_TRUE(outcomes.front().name.ends_with("work")) << outcomes.front().name;
    EXPECT_FALSE(dialog.isOpen());
}

}  // namespace
}  // namespace tessaly::test
