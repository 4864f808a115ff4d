// The gap a bar opens for a tab dragged over it from another bar.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "OverlayUI/DropGap.h"
#include "Platform/ManualMainExecutor.h"

namespace tessaly {
namespace {

using Change = DropGap::Change;

class DropGapTest : public testing::Test {
protected:
    DropGapTest() {
        gap.onChange = [this](const Change& change) { changes.push_back(change); };
    }
    std::vector<Change> take() { return std::exchange(changes, {}); }

    ManualMainExecutor executor;
    DropGap gap{std::shared_ptr<MainExecutor>(&executor, [](MainExecutor*) {})};
    std::vector<Change> changes;
};

using Changes = std::vector<Change>;
constexpr double d = DropGap::animationDuration;

TEST_F(DropGapTest, AGapGrowsMovesAtFullWidthAndStaysWhenReopenedWhileClosing) {
    // Opening at 2 twice animates once: the spacer grows from nothing before tab 2.
    gap.open(2, 120, 3);
    gap.open(2, 120, 3);
    EXPECT_EQ(take(), (Changes{{2, 0, 120, d}}));
    // Moving to 0: the spacer jumps there at full width.
    gap.open(0, 120, 3);
    EXPECT_EQ(take(), (Changes{{0, 120, 120, d}}));

    // Closed, then opened again within the closing: it grows again from nothing at
    // the new slot, and the first closing's end leaves it there.
    gap.close();
    EXPECT_EQ(gap.dropGapIndex(), std::nullopt);
    EXPECT_TRUE(gap.isClosing());
    executor.advance(0.1);
    gap.open(3, 120, 3);
    executor.advance(0.5);
    EXPECT_EQ(take(), (Changes{{0, 120, 0, d}, {3, 0, 120, d}}));
    EXPECT_EQ(gap.spacerSlot(), 3);

    // A closing that runs its course takes the spacer out of the row.
    gap.close();
    gap.close();
    executor.advance(d);
    EXPECT_EQ(take(), (Changes{{3, 120, 0, d}, {std::nullopt, 0, 0, 0}}));
    EXPECT_FALSE(gap.spacerSlot());
}

TEST_F(DropGapTest, IndicesAreClampedAndARenderClearsEverythingAtOnce) {
    gap.open(-4, 90, 3);
    gap.open(99, 90, 3);
    gap.open(1, std::numeric_limits<double>::quiet_NaN(), 0);
    EXPECT_EQ(take(), (Changes{{0, 0, 90, d}, {3, 90, 90, d}, {0, 90, 0, d}}));

    gap.close();
    gap.reset();
    executor.advance(1);
    take();
    EXPECT_FALSE(gap.spacerSlot());
    EXPECT_FALSE(gap.dropGapIndex());
    // After a render the next gap starts from nothing.
    gap.open(1, 50, 2);
    EXPECT_EQ(take(), (Changes{{1, 0, 50, d}}));
}

}  // namespace
}  // namespace tessaly
