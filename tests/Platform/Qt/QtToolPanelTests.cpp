// Tool panels on a real desktop: override-redirect, outside the client list,
// never focused, and placed and stacked in X pixels with one request on Qt's
// connection.
#include "Platform/Qt/QtOnX11.h"
#include "Platform/Qt/QtToolPanel.h"
#include "Platform/Qt/QtX11Connection.h"

#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using tessaly::QtToolPanel;
using tessaly::QtX11Connection;
using tessaly::Rect;

// The root's children, bottom to top.
std::vector<xcb_window_t> rootStack(const tessaly::X11Connection& x) {
    const auto tree = tessaly::xcbReply(x.get(), xcb_query_tree_reply, xcb_query_tree(x.get(), x.root()));
    if (!tree) return {};
    const auto* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

Rect xGeometry(const tessaly::X11Connection& x, xcb_window_t window) {
    const auto g = tessaly::xcbReply(x.get(), xcb_get_geometry_reply, xcb_get_geometry(x.get(), window));
    if (!g) return Rect::null();
    return Rect(g->x, g->y, g->width, g->height);
}

}  // namespace

TEST(QtToolPanel, OffscreenPanelsGetTheFlagsAndX11CallsDoNothing) {
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) GTEST_SKIP() << "for other platforms";
    QWidget panel;
    QtToolPanel::configure(panel);
    EXPECT_EQ(panel.windowFlags() & QtToolPanel::flags(), QtToolPanel::flags());
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(QtX11Connection::isAvailable());
    EXPECT_FALSE(QtX11Connection::configure(panel.winId(), Rect(0, 0, 10, 10)));
    EXPECT_FALSE(QtX11Connection::serverTime());
    QtX11Connection::sync();  // nothing to do, nothing breaks
}

TESSALY_QT_X11_TEST(QtDesktop, PanelsAreOverrideRedirectUnfocusedAndPlacedExactlyAboveAFrame) {
    auto& x = desktop().connection();
    const auto term = desktop().launchXterm();
    ASSERT_TRUE(term);
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().windows().activeWindow() == term->window; }));
    const auto info = desktop().windows().read(term->window);
    ASSERT_TRUE(info);

    QWidget panel;
    QtToolPanel::configure(panel);
    panel.setGeometry(50, 50, 200, 30);
    panel.show();
    QtX11Connection::sync();
    const auto id = static_cast<xcb_window_t>(panel.winId());
    const auto attributes = tessaly::xcbReply(x.get(), xcb_get_window_attributes_reply, xcb_get_window_attributes(x.get(), id));
    ASSERT_TRUE(attributes);
    EXPECT_TRUE(attributes->override_redirect);
    EXPECT_EQ(attributes->map_state, XCB_MAP_STATE_VIEWABLE);
    auto stack = rootStack(x);
    EXPECT_NE(std::find(stack.begin(), stack.end(), id), stack.end()) << "a child of the root";
    const auto clients = desktop().windows().clientList();
    EXPECT_EQ(std::find(clients.begin(), clients.end(), id), clients.end());

    // Over the terminal's frame, on Qt's connection, in one request.
    const Rect strip(info->frame.minX(), info->frame.minY() - 30, info->frame.width(), 30);
    ASSERT_TRUE(QtX11Connection::configure(panel.winId(), strip, info->frameWindow));
    QtX11Connection::sync();
    EXPECT_EQ(xGeometry(x, id), strip);
    stack = rootStack(x);
    const auto frameAt = std::find(stack.begin(), stack.end(), info->frameWindow);
    ASSERT_NE(frameAt, stack.end());
    ASSERT_NE(frameAt + 1, stack.end());
    EXPECT_EQ(*(frameAt + 1), id) << "directly above the frame";
    // Qt learns the new place from the server.
    EXPECT_TRUE(waitUntil([&] { return panel.geometry() == QRect(0, 0, 0, 0).adjusted(
                                           static_cast<int>(strip.minX()), static_cast<int>(strip.minY()),
                                           static_cast<int>(strip.maxX()), static_cast<int>(strip.maxY())); }));
    EXPECT_EQ(desktop().windows().activeWindow(), term->window) << "showing and moving a panel takes no focus";
}
