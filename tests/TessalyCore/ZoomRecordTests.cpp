#include "TessalyCore/ZoomRecord.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

const Rect kGroup(100, 100, 800, 600);
const Rect kRequested(0, 25, 1440, 875);
const Rect kZoomed(0, 55, 1440, 845);
constexpr double kTolerance = 2.0;

TEST(ZoomRecord, NothingToRememberWhenAppliedEqualsRequestedOrStart) {
    // Within tolerance on all four values, the edge counting as within.
    EXPECT_EQ(ZoomRecord::make(kGroup, kRequested, Rect(2, 27, 1438, 873), std::nullopt, kTolerance, 10),
              std::nullopt);
    EXPECT_EQ(ZoomRecord::make(kGroup, kRequested, kGroup, std::nullopt, kTolerance, 10), std::nullopt);

    const auto record = ZoomRecord::make(kGroup, kRequested, kZoomed, std::nullopt, kTolerance, 10);
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, (ZoomRecord{kGroup, kRequested, kZoomed, 10, std::nullopt, {}}));
    EXPECT_TRUE(record->isCurrent(kZoomed));
    EXPECT_FALSE(record->isCurrent(kGroup));
}

TEST(ZoomRecord, SecondZoomKeepsFirstRestoreFrameOnlyWhileFirstStands) {
    const auto first = ZoomRecord::make(kGroup, kRequested, kZoomed, std::nullopt, kTolerance, 10);
    ASSERT_TRUE(first);
    const Rect zoomedAgain(0, 55, 1400, 845);
    const Rect requestedAgain(0, 25, 1400, 875);

    const auto second = ZoomRecord::make(kZoomed, requestedAgain, zoomedAgain, first, kTolerance, 20);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->restoreFrame, kGroup);

    const auto afterRestore =
        ZoomRecord::make(kZoomed, requestedAgain, zoomedAgain, first->restored(15), kTolerance, 20);
    ASSERT_TRUE(afterRestore);
    EXPECT_EQ(afterRestore->restoreFrame, kZoomed);

    const Rect moved(1, 55, 1440, 845);
    const auto afterMove = ZoomRecord::make(moved, requestedAgain, zoomedAgain, first, kTolerance, 20);
    ASSERT_TRUE(afterMove);
    EXPECT_EQ(afterMove->restoreFrame, moved);

    // Zooming back to the first frame's own start leaves nothing to undo.
    EXPECT_EQ(ZoomRecord::make(kZoomed, Rect(0, 0, 10, 10), kGroup, first, kTolerance, 20), std::nullopt);
}

TEST(ZoomRecord, ReZoomNeedsIntervalCurrentFrameAndStandingZoom) {
    const ZoomRecord record = *ZoomRecord::make(kGroup, kRequested, kZoomed, std::nullopt, kTolerance, 10);
    EXPECT_FALSE(record.isReZoom(kRequested, kZoomed, kTolerance, 0.5, 10.4));
    EXPECT_TRUE(record.isReZoom(kRequested, kZoomed, kTolerance, 0.5, 10.5));
    EXPECT_TRUE(record.isReZoom(Rect(2, 23, 1442, 873), kZoomed, kTolerance, 0.5, 11));
    EXPECT_FALSE(record.isReZoom(Rect(3, 25, 1440, 875), kZoomed, kTolerance, 0.5, 11));
    EXPECT_FALSE(record.isReZoom(kRequested, Rect(0, 55, 1440, 845.5), kTolerance, 0.5, 11));
    EXPECT_FALSE(record.restored(11).isReZoom(kRequested, kZoomed, kTolerance, 0.5, 12));
}

TEST(ZoomRecord, EchoOnlyShortlyAfterRestore) {
    const ZoomRecord record = *ZoomRecord::make(kGroup, kRequested, kZoomed, std::nullopt, kTolerance, 10);
    EXPECT_FALSE(record.isEchoAfterRestore(kRequested, kTolerance, 1.0, 10.1));

    const ZoomRecord restored = record.restored(20);
    EXPECT_EQ(restored.restoredAt, 20.0);
    EXPECT_EQ(restored.recordedAt, 10.0);
    EXPECT_FALSE(restored.isCurrent(kZoomed));
    EXPECT_TRUE(restored.isEchoAfterRestore(Rect(1, 26, 1440, 875), kTolerance, 1.0, 20.2));
    EXPECT_FALSE(restored.isEchoAfterRestore(kRequested, kTolerance, 1.0, 21.0));
    EXPECT_FALSE(restored.isEchoAfterRestore(kGroup, kTolerance, 1.0, 20.2));
    EXPECT_NE(restored, record);
}

}  // namespace
}  // namespace tessaly
