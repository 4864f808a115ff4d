// The selected tab is the member on top of its group, on the simulated
// desktop, with a member that takes no focus: raised by the window manager
// it takes the tab at the next look, a focus report of the member left below
// it does not take the tab away, and a tab clicked wins over both. And with
// members that all take the focus: a member back from full screen over the
// one made active meanwhile, and one left on top while the focus went to a
// member below it, have the tab within a second or two.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class SessionStacking : public SessionDesktop {
protected:
    static constexpr ProcessID eyes = 104;

    SessionStacking() { env.desktop->addApplication({eyes, "org.example.Eyes", "Eyes", ""}); }
    WindowID active() const { return session->engine().group(1)->activeWindowID; }
};

TEST_F(SessionStacking, AMemberThatTakesNoFocusHasTheTabWheneverItIsOnTop) {
    addWindow(1, editor, home);
    addWindow(2, terminal, home);
    addWindow(3, eyes, home);
    env.desktop->setRefusesFocus(3, true);
    start(false);
    groupWindows(2, 1);
    groupWindows(3, 1);
    session->tabBarDidSelectTab(session->engine().group(1)->id, 1);
    run(1.1);
    ASSERT_EQ(active(), 1u);
    ASSERT_EQ(env.desktop->frontmostApplication()->pid, editor);

    // The window manager raises it (a pager); the focus stays below.
    env.desktop->raiseWindow(3);
    run(1.1);
    EXPECT_EQ(active(), 3u);
    EXPECT_EQ(env.desktop->frontmostApplication()->pid, editor);

    // The window manager tells again of the focus it left on the editor:
    // the member on top keeps the tab.
    env.desktop->injectNotification(AXElement::application(editor), "AXFocusedWindowChanged");
    run(2.2);
    EXPECT_EQ(active(), 3u);

    // A tab clicked: that member comes on top and keeps the tab.
    session->tabBarDidSelectTab(session->engine().group(1)->id, 2);
    run(2.2);
    EXPECT_EQ(env.desktop->stacking().front(), 2u);
    EXPECT_EQ(active(), 2u);

    // The terminal made active behind the member on top of it (a focus
    // report with nothing raised): the member on top takes the tab back
    // once it has stayed there.
    env.desktop->raiseWindow(3);
    run(1.1);
    ASSERT_EQ(active(), 3u);
    session->engine().noteExternalFocus(2);
    run(2.2);
    EXPECT_EQ(active(), 3u);
}

TEST_F(SessionStacking, TheMemberOnTopHasTheTabAfterFullScreenAndAFocusLeftBelow) {
    addWindow(1, editor, home);
    addWindow(2, terminal, home);
    addWindow(3, browser, home);
    start(false);
    groupWindows(2, 1);
    groupWindows(3, 1);
    session->tabBarDidSelectTab(session->engine().group(1)->id, 3);
    run(2.2);
    ASSERT_EQ(active(), 3u);
    ASSERT_EQ(env.desktop->stacking().front(), 3u);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Full screen: another member takes the tab, nothing is raised.
        env.desktop->setFullScreen(3, true);
        run(1.1);
        ASSERT_NE(active(), 3u);
        // Back, over the others: its tab again (a second look is due).
        env.desktop->setFullScreen(3, false);
        run(2.2);
        EXPECT_EQ(env.desktop->stacking().front(), 3u);
        EXPECT_EQ(active(), 3u);
        EXPECT_EQ(session->engine().group(3)->frame, home);
    }

    // The window manager tells of the focus on a member below, and raises
    // nothing: the member on top takes the tab back once it stayed there.
    session->engine().noteExternalFocus(1);
    run(0.2);
    ASSERT_EQ(active(), 1u);
    run(2.2);
    EXPECT_EQ(env.desktop->stacking().front(), 3u);
    EXPECT_EQ(active(), 3u);
}

}  // namespace
}  // namespace tessaly::testing
