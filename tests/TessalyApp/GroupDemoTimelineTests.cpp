#include "TessalyApp/GroupDemoTimeline.h"

#include <gtest/gtest.h>


namespace tessaly {
namespace {

using L = GroupDemoLayout;
using GroupDemoTimeline::frame;

TEST(GroupDemoTimelineTests, OneCycleTravelsDropsAndResets) {
    EXPECT_EQ(L::dropX, 232);
    EXPECT_EQ(L::barY + L::barH / 2, L::windowY - L::windowH / 2);  // the bar sits on the target

    const GroupDemoFrame rest = frame(0.5, false);
    EXPECT_EQ(rest.draggedX, L::startX);
    EXPECT_EQ(rest.hintOpacity, 0);
    EXPECT_EQ(rest.grouped, 0);

    const GroupDemoFrame midTravel = frame(1.85, false);
    EXPECT_NEAR(midTravel.draggedX, (L::startX + L::dropX) / 2, 0.5);  // ease-in-out is symmetric
    EXPECT_GT(midTravel.hintOpacity, 0.5);  // the keycap comes 0.6 s into the travel
    EXPECT_DOUBLE_EQ(frame(1.9, false).hintOpacity, 1);
    EXPECT_EQ(midTravel.overlayOpacity, 0);

    const GroupDemoFrame beforeDrop = frame(3.7, false);
    EXPECT_DOUBLE_EQ(beforeDrop.draggedX, L::dropX);
    EXPECT_DOUBLE_EQ(beforeDrop.draggedY, L::dropY);
    EXPECT_DOUBLE_EQ(beforeDrop.overlayOpacity, 1);

    const GroupDemoFrame grouped = frame(5.9, false);
    EXPECT_NEAR(grouped.draggedX, L::targetX, 1e-6);
    EXPECT_NEAR(grouped.grouped, 1, 1e-6);
    EXPECT_NEAR(grouped.hintOpacity, 0, 1e-6);
    EXPECT_NEAR(grouped.overlayOpacity, 0, 1e-6);
    EXPECT_NEAR(grouped.tabBarOffsetY(), 0, 1e-5);

    // The spring is critically damped: the drop never passes the target.
    for (double t = 3.75; t < 5.95; t += 0.01) EXPECT_LE(frame(t, false).draggedX, L::targetX + 1e-9) << t;

    const GroupDemoFrame reset = frame(6.32, false);
    EXPECT_DOUBLE_EQ(reset.draggedX, L::startX);
    EXPECT_DOUBLE_EQ(reset.draggedOpacity(), 1);
    // The next cycle starts where the first did.
    EXPECT_NEAR(frame(GroupDemoTimeline::cycleDuration + 1.85, false).draggedX, midTravel.draggedX, 1e-6);
}

TEST(GroupDemoTimelineTests, ThePictureStandsStillBetweenTheStepsAndNeverWhileItMoves) {
    using GroupDemoTimeline::frame;
    using GroupDemoTimeline::stillFor;
    EXPECT_DOUBLE_EQ(stillFor(0), 1.0);
    EXPECT_DOUBLE_EQ(stillFor(3.2), 0.55);
    EXPECT_NEAR(stillFor(6.34), 0.01 + 1.0, 1e-9);  // to the next cycle's travel
    EXPECT_NEAR(stillFor(GroupDemoTimeline::cycleDuration + 4.6), 1.35, 1e-9);  // after the spring
    // Wherever it says the picture is still, it is (to a hundredth of a
    // point) until the wait is over.
    for (double t = 0; t < 2 * GroupDemoTimeline::cycleDuration; t += 0.01) {
        const double wait = stillFor(t);
        if (wait <= 0) continue;
        const GroupDemoFrame now = frame(t, false), later = frame(t + wait, false);
        EXPECT_NEAR(now.draggedX, later.draggedX, 0.01) << t;
        EXPECT_NEAR(now.draggedY, later.draggedY, 0.01) << t;
        EXPECT_NEAR(now.grouped, later.grouped, 0.001) << t;
        EXPECT_NEAR(now.hintOpacity, later.hintOpacity, 0.001) << t;
        EXPECT_NEAR(now.overlayOpacity, later.overlayOpacity, 0.001) << t;
    }
}

TEST(GroupDemoTimelineTests, ReduceMotionShowsTheFinishedGroupStill) {
    for (const double t : {0.0, 2.0, 4.0}) {
        const GroupDemoFrame still = frame(t, true);
        EXPECT_EQ(still.grouped, 1);
        EXPECT_EQ(still.draggedOpacity(), 0);
        EXPECT_EQ(still.hintOpacity, 0);
        EXPECT_EQ(still.overlayOpacity, 0);
    }
    EXPECT_FALSE(systemPrefersReducedMotion());
}

}  // namespace
}  // namespace tessaly
