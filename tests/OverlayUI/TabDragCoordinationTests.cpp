// A tab dragged out of one bar and over the others.
#include "OverlayFixture.h"

namespace tessaly {
namespace {

class TabDragCoordinationTest : public OverlayFixture {
protected:
    TabDragCoordinationTest() {
        manager->setTabDelegate(delegate);
        for (TabGroup* group : {&source, &left, &right}) manager->apply(GroupEvent::groupCreated(*group));
        // Tab midpoints of the target bars along x.
        barOf(left).tabMidXs = {60, 160};
        barOf(right).tabMidXs = {1060, 1160, 1260};
    }

    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    TabGroup source = makeGroup({101, 102}, Rect(0, 600, 800, 300));
    TabGroup left = makeGroup({201, 202}, Rect(0, 200, 800, 300));       // strip y 170...200
    TabGroup right = makeGroup({301, 302, 303}, Rect(1000, 200, 800, 300));
};

TEST_F(TabDragCoordinationTest, TheGapFollowsThePointerAndTheDropMovesTheTab) {
    manager->tabDrag(source.id, {100, 180}, 90);
    EXPECT_EQ(barOf(left).dropGapIndex, 1);
    EXPECT_EQ(barOf(left).dropGapWidth, 90);

    // From one bar to the other: the first gap closes as the second opens.
    manager->tabDrag(source.id, {1200, 180}, 90);
    EXPECT_FALSE(barOf(left).dropGapIndex);
    EXPECT_EQ(barOf(right).dropGapIndex, 2);

    EXPECT_TRUE(manager->tabDragCommit(source.id, 102));
    EXPECT_EQ(delegate->intents, (std::vector<std::string>{"move 102 from " + source.id.uuidString() + " to " +
                                                           right.id.uuidString() + " at 2"}));
    EXPECT_FALSE(barOf(right).dropGapIndex);
    // Nothing is pending any more: a second release pops the tab out.
    EXPECT_FALSE(manager->tabDragCommit(source.id, 102));
}

TEST_F(TabDragCoordinationTest, OwnHiddenAndAbsentBarsAreNeverTargets) {
    // Over its own bar.
    manager->tabDrag(source.id, {100, 580}, 90);
    EXPECT_FALSE(barOf(source).dropGapIndex);
    // Over a bar hidden for being off-Space, though its frame holds the point.
    manager->setSpacePresence(left, false, false);
    manager->tabDrag(source.id, {100, 180}, 90);
    EXPECT_FALSE(barOf(left).dropGapIndex);
    // Over empty desktop after a gap was open: every gap closes.
    manager->tabDrag(source.id, {1200, 180}, 90);
    ASSERT_TRUE(barOf(right).dropGapIndex);
    manager->tabDrag(source.id, {1200, 900}, 90);
    EXPECT_FALSE(barOf(right).dropGapIndex);
    EXPECT_FALSE(manager->tabDragCommit(source.id, 102));
    EXPECT_TRUE(delegate->intents.empty());
}

TEST_F(TabDragCoordinationTest, ALockedBarShowsNoGapButStillTakesTheRelease) {
    right.isLocked = true;
    manager->apply(GroupEvent::groupChanged(right));
    manager->tabDrag(source.id, {100, 180}, 90);
    manager->tabDrag(source.id, {1100, 180}, 90);
    EXPECT_FALSE(barOf(left).dropGapIndex);
    EXPECT_FALSE(barOf(right).dropGapIndex);
    EXPECT_TRUE(manager->tabDragCommit(source.id, 101));
    ASSERT_EQ(delegate->intents.size(), 1u);
    EXPECT_NE(delegate->intents[0].find(right.id.uuidString() + " at 1"), std::string::npos);
}

TEST_F(TabDragCoordinationTest, CancellingOrDissolvingTheTargetForgetsTheDrop) {
    manager->tabDrag(source.id, {100, 180}, 90);
    manager->tabDragCancel(source.id);
    EXPECT_FALSE(barOf(left).dropGapIndex);
    EXPECT_FALSE(manager->tabDragCommit(source.id, 102));

    manager->tabDrag(source.id, {100, 180}, 90);
    manager->apply(GroupEvent::groupDissolved(left.id));
    EXPECT_FALSE(manager->tabDragCommit(source.id, 102));

    // Without a delegate the drop is consumed and still answers true.
    manager->setTabDelegate({});
    manager->tabDrag(source.id, {1100, 180}, 90);
    EXPECT_TRUE(manager->tabDragCommit(source.id, 102));
    EXPECT_TRUE(delegate->intents.empty());
}

TEST_F(TabDragCoordinationTest, ABarHiddenUnderTheTabTakesNoDrop) {
    // The overview, a Space change or minimising hides the bar after the last move:
    // the release lands on what now shows as empty desktop and pops the tab out.
    manager->tabDrag(source.id, {100, 180}, 90);
    ASSERT_TRUE(barOf(left).dropGapIndex);
    manager->setSpacePresence(left, false, false);
    EXPECT_FALSE(manager->tabDragCommit(source.id, 102));
    EXPECT_FALSE(barOf(left).dropGapIndex);
    EXPECT_TRUE(delegate->intents.empty());
}

}  // namespace
}  // namespace tessaly
