#include "Platform/X11/X11Desktop.h"
#include "Platform/X11/X11WindowHints.h"

#include <algorithm>

namespace tessaly::test {
namespace {

class X11WindowsTest : public X11DesktopTest {};

TEST_F(X11WindowsTest, ReadsRealClients) {
    auto xterm = desktop->launchXterm("first terminal");
    auto xlogo = desktop->launchXlogo();
    ASSERT_TRUE(xterm && xlogo);
    auto& windows = desktop->windows();
    const auto list = windows.clientList();
    EXPECT_NE(std::find(list.begin(), list.end(), xterm->window), list.end());
    EXPECT_NE(std::find(list.begin(), list.end(), xlogo->window), list.end());

    const auto infos = windows.read(list);
    const auto term = std::find_if(infos.begin(), infos.end(), [&](auto& i) { return i.window == xterm->window; });
    const auto logo = std::find_if(infos.begin(), infos.end(), [&](auto& i) { return i.window == xlogo->window; });
    ASSERT_NE(term, infos.end());
    ASSERT_NE(logo, infos.end());

    EXPECT_EQ(term->title, "first terminal");
    EXPECT_EQ(term->pid, xterm->pid);
    EXPECT_EQ(term->className, "XTerm");
    EXPECT_TRUE(term->isStandard());
    EXPECT_FALSE(term->isMinimized());
    EXPECT_TRUE(term->viewable);
    // xlogo publishes no _NET_WM_PID: the pid comes from the X-Resource query.
    EXPECT_EQ(logo->pid, xlogo->pid);
    EXPECT_EQ(logo->className, "XLogo");

    // The frame window is the root's child, and the frame is the client grown
    // by the decoration openbox reports.
    EXPECT_NE(term->frameWindow, term->window);
    EXPECT_GT(term->extents.top, 0);
    EXPECT_EQ(term->frame.minY(), term->clientFrame.minY() - term->extents.top);
    EXPECT_EQ(term->frame.width(), term->clientFrame.width() + term->extents.left + term->extents.right);
    const auto frames = windows.frameWindows({xterm->window, xlogo->window});
    EXPECT_EQ(frames[0], term->frameWindow);
    EXPECT_EQ(frames[1], logo->frameWindow);
    auto geometry = xcbReply(desktop->connection().get(), xcb_get_geometry_reply,
                             xcb_get_geometry(desktop->connection().get(), term->frameWindow));
    ASSERT_TRUE(geometry);
    EXPECT_EQ(Rect(geometry->x, geometry->y, geometry->width + 2 * geometry->border_width,
                   geometry->height + 2 * geometry->border_width),
              term->frame);
}

class X11WindowHintsTest : public X11BackendTest {};

TEST_F(X11WindowHintsTest, TerminalsStepByCharacterCellsFromTheirBaseSize) {
    auto xterm = desktop->launchXterm("cells");
    auto xlogo = desktop->launchXlogo();
    ASSERT_TRUE(xterm && xlogo);
    const X11WindowHints hints(backend);
    const auto cells = hints.sizeHints(xterm->window);
    ASSERT_TRUE(cells);
    EXPECT_GT(cells->increment.width, 1);
    EXPECT_GT(cells->increment.height, 1);
    // The client's size is the base plus whole cells (80x24).
    const Size client = desktop->windows().read(xterm->window)->clientFrame.size;
    EXPECT_EQ(client.width, cells->base.width + 80 * cells->increment.width);
    EXPECT_EQ(client.height, cells->base.height + 24 * cells->increment.height);
    EXPECT_FALSE(hints.sizeHints(xlogo->window)) << "no increments";
    EXPECT_FALSE(hints.sizeHints(0x7fffff0u)) << "no such window";
}

}  // namespace
}  // namespace tessaly::test
