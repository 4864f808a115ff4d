// Members folded into their application's own window tabs: where
// applications have native tabs, a folded member keeps its place and follows
// the tab that shows, and a member closed inside a tab set hands its tab to
// the sibling that stays. Where they have none (X11), nothing is probed and
// no other window ever takes a member's tab.
#include "TessalySession/SessionDesktop.h"

namespace tessaly::testing {
namespace {

class NativeTabs : public SessionDesktop {
protected:
    static constexpr Rect place{100, 100, 700, 500};

    void startSession(bool nativeWindowTabs) {
        session = std::make_unique<GroupSession>(
            GroupSession::Services{env.services, input, input, overlay, std::make_shared<NoIcons>(), nativeWindowTabs},
            true);
        settle();
    }
    // Group {1 (editor), 2 (terminal)}.
    TabGroup pair(bool nativeWindowTabs) {
        addWindow(1, editor, place);
        addWindow(2, terminal, place);
        startSession(nativeWindowTabs);
        return groupWindows(2, 1);
    }
    int childReads(WindowID id) const {
        int count = 0;
        for (const SimAXCall& call : env.desktop->axCalls(SimDesktop::windowElement(editor, id))) {
            if (call.kind == SimAXCall::Kind::read && call.name == "AXChildren") ++count;
        }
        return count;
    }
};

TEST_F(NativeTabs, AFoldedMemberKeepsItsTabAndFollowsTheWindowThatShowsIt) {
    const TabGroup group = pair(true);
    const std::vector<WindowID> order = group.windowIDs();
    addWindow(5, editor, group.frame);
    env.desktop->foldIntoTabs(1, 5);
    run(1.2);

    // Window 5 now shows the editor's tab set: it took member 1's place.
    const auto folded = session->engine().group(group.id);
    ASSERT_TRUE(folded);
    std::vector<WindowID> expected = order;
    std::replace(expected.begin(), expected.end(), WindowID{1}, WindowID{5});
    EXPECT_EQ(folded->windowIDs(), expected);
    EXPECT_TRUE(session->tabbedAside().empty());
    ASSERT_TRUE(session->tabStackVerdicts().contains(5));
    EXPECT_TRUE(session->tabStackVerdicts().at(5).isStack);
    EXPECT_EQ(childReads(5), 1) << "one probe";

    // The showing tab closes: the tab that remains takes the member's place.
    env.desktop->destroyWindow(5);
    settle();
    ASSERT_TRUE(session->engine().group(group.id));
    EXPECT_EQ(session->engine().group(group.id)->windowIDs(), order);
    run(2.0);
    EXPECT_EQ(session->engine().group(group.id)->windowIDs(), order) << "the sweep agrees";

    // A focused window whose frame cannot be read does not stand where the
    // member stood: a closed member just leaves.
    addWindow(6, editor, Rect(900, 500, 500, 300));
    env.desktop->setFailingRead(6, "AXPosition");
    focus(6);
    env.desktop->destroyWindow(1);
    settle();
    EXPECT_FALSE(session->engine().group(group.id));
    EXPECT_FALSE(session->engine().group(6));
}

TEST_F(NativeTabs, WithoutNativeTabsNothingIsProbedAndNoWindowTakesAClosedMembersTab) {
    const TabGroup group = pair(false);
    // Another editor window focused exactly where the member was.
    addWindow(6, editor, group.frame);
    focus(6);
    env.desktop->destroyWindow(1);
    settle();
    EXPECT_FALSE(session->engine().group(group.id));
    EXPECT_FALSE(session->engine().group(6));

    // A fold does not happen here, but a window that leaves the screen
    // behind a same-place sibling is simply a member that left.
    addWindow(7, editor, place);
    const TabGroup again = groupWindows(2, 7);
    env.desktop->foldIntoTabs(7, 6);
    env.desktop->clearAXCalls();
    run(3.0);
    EXPECT_FALSE(session->engine().group(again.id)) << "detached as off the desktop";
    EXPECT_EQ(childReads(6), 0);
    EXPECT_EQ(env.queues->queue(GroupSession::tabStackConfirmQueueLabel), nullptr);
    EXPECT_TRUE(session->tabStackVerdicts().empty());
}

}  // namespace
}  // namespace tessaly::testing
