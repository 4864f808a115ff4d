// Hover help of a tab bar on a real desktop (Xvfb + openbox, xlogo): the
// bar never takes the focus, yet the pointer resting on each of its
// controls brings up that control's tooltip, a window above the bar that
// stays above it when the window manager raises the group's window.
// First: the X11 headers it reaches must come before Qt's "emit" keyword.
#include "OverlayOnX11.h"

#include <QToolTip>
#include <QWindow>
#include <QWidget>

#include "OverlayUI/Qt/HoverGlowButton.h"
#include "OverlayUI/Qt/TabBarView.h"
#include "OverlayUI/Qt/TabItemView.h"
#include "Platform/Qt/QtX11Coordinates.h"
#include "TessalyCore/L10n.h"

namespace tessaly::test {
namespace {

// The X window of the tooltip shown now (Qt's window of it: the widget's
// own id may name one made before); none when none is shown.
xcb_window_t shownTooltip() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowType() == Qt::ToolTip && widget->isVisible() && widget->windowHandle()) {
            return static_cast<xcb_window_t>(widget->windowHandle()->winId());
        }
    }
    return kNoWindow;
}

TEST(TabBarOnX11, EveryControlShowsItsHelpAboveTheBarWhileThePointerRestsOnIt) {
    QtOnX11::runSuite("TabBarOnX11_Help");
}

TESSALY_QT_X11_TEST_F(OverlayOnX11, TabBarOnX11_Help, Run) {
    const auto first = desktop().launchXlogo("420x260+300+300");
    const auto second = desktop().launchXlogo("420x260+300+300");
    ASSERT_TRUE(first && second);
    desktop().windows().activate(second->window);
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().windows().activeWindow() == second->window; }));
    // Locked, with a second display to move to: every control shows.
    manager->displayMoveTargetsProvider = [](const Uuid&) {
        return std::vector<DisplayMoveTarget>{{0, "Left", true}, {1, "Right", false}};
    };
    TabGroup group = groupOf({*first, *second}, 1);
    group.isLocked = true;
    manager->apply(GroupEvent::groupCreated(group));
    const xcb_window_t strip = stripWindow(group.id);
    const xcb_window_t frame = info(second->window).frameWindow;
    TabBarView& view = bar(group.id).view();
    TabItemView* tab = view.tabItem(first->window);
    ASSERT_NE(tab, nullptr);
    ASSERT_TRUE(waitUntil([&] {
        return isViewable(strip) && geometry(strip) == bar(group.id).stripPanel().frame() && tab->width() > 0 &&
               view.lockIcon().isVisible() && view.moveButton().isVisible();
    }));

    const struct {
        QWidget* control;
        std::string help;
    } controls[] = {
        {&view.addButton(), L10n::addWindowTooltip()},
        {&view.moveButton(), L10n::moveToDisplayTooltip()},
        {&view.lockIcon(), L10n::groupLockedHint()},
        {&tab->popOutButton(), L10n::detachTooltip()},
    };
    const Point away = QtX11Coordinates::toX(QPointF(view.mapToGlobal(QPoint(0, -120))));
    for (const auto& [control, help] : controls) {
        SCOPED_TRACE(help);
        const Point centre = QtX11Coordinates::toX(QPointF(control->mapToGlobal(control->rect().center())));
        fake(XCB_MOTION_NOTIFY, 0, static_cast<int>(centre.x) - 2, static_cast<int>(centre.y));
        fake(XCB_MOTION_NOTIFY, 0, static_cast<int>(centre.x), static_cast<int>(centre.y));
        ASSERT_TRUE(waitUntil([&] { return QToolTip::isVisible() && QToolTip::text().toStdString() == help; }))
            << "shown: \"" << QToolTip::text().toStdString() << "\"";
        const xcb_window_t tipWindow = shownTooltip();
        ASSERT_NE(tipWindow, kNoWindow);
        EXPECT_TRUE(waitUntil([&] { return isViewable(tipWindow) && isAbove(tipWindow, strip); }))
            << "the tooltip is not above the bar";
        // The same after the bar followed a raise of its window.
        desktop().windows().activate(first->window);
        desktop().windows().activate(second->window);
        EXPECT_TRUE(waitUntil([&] { return directlyAbove(strip, frame) && isAbove(tipWindow, strip); }))
            << "after a raise the tooltip is " << (isViewable(tipWindow) ? "" : "hidden and ") << "not above the bar";
        fake(XCB_MOTION_NOTIFY, 0, static_cast<int>(away.x), static_cast<int>(away.y));
        ASSERT_TRUE(waitUntil([] { return !QToolTip::isVisible(); })) << "the tooltip stayed";
    }
}

}  // namespace
}  // namespace tessaly::test
