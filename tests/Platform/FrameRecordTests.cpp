// A write the server is about to be told: held while the window manager
// unmaximises the window, made then and kept a moment for late extents,
// replaced by a newer write, forgotten after its time. Virtual clock.
#include "Platform/FrameRecord.h"

#include <gtest/gtest.h>

#include "Platform/Clock.h"

namespace tessaly {
namespace {

constexpr WindowID maximised = 7;
constexpr WindowID other = 8;

FrameRecord::HeldWrite write(std::optional<Point> origin, std::optional<Size> size,
                             std::optional<FrameRecord::Inset> madeWith = std::nullopt) {
    return {origin, size, ProcessID{40}, madeWith, {}};
}

class HeldWriteScenario : public ::testing::Test {
protected:
    std::optional<FrameRecord::HeldWrite> held(WindowID window = maximised) const {
        return record.held(window, clock.monotonic());
    }
    void hold(const FrameRecord::HeldWrite& w, double patience = FrameRecord::holdLifetime) {
        record.hold(maximised, w, clock.monotonic(), patience);
    }

    VirtualClock clock;
    FrameRecord record;
};

TEST_F(HeldWriteScenario, ASizeAndAMoveHeldTogetherAreMadeOnceAndKeptForLateExtents) {
    // A frame written as a size and then a move: the move keeps the size.
    hold(write(std::nullopt, Size{420, 320}));
    clock.advance(0.01);
    hold(write(Point{150, 120}, std::nullopt));
    EXPECT_EQ(held()->origin, (Point{150, 120}));
    EXPECT_EQ(held()->size, (Size{420, 320}));
    EXPECT_FALSE(held(other));
    EXPECT_FALSE(record.isLastTold(maximised, Rect(150, 120, 420, 320), clock.monotonic())) << "held is not told";

    // Unmaximised: made, and held on for extents published after the state;
    // pruning the frames told leaves it.
    auto made = *held();
    made.madeWith = FrameRecord::Inset{1, 1, 20, 1};
    hold(made, 0.5);
    record.prune(clock.monotonic() + 0.4);
    clock.advance(0.5);
    EXPECT_EQ(held()->madeWith, made.madeWith);
    clock.advance(0.001);
    EXPECT_FALSE(held()) << "settled";

    // A move held after a write that went out (maximised again) is not
    // completed from it.
    hold(write(Point{5, 5}, Size{6, 6}, FrameRecord::Inset{}), 0.5);
    hold(write(Point{7, 7}, std::nullopt));
    EXPECT_FALSE(held()->size);
    EXPECT_FALSE(held()->madeWith);
}

TEST_F(HeldWriteScenario, AWriteHeldTooLongOrTakenOverIsForgotten) {
    // Never unmaximised: dropped after its time, and not merged from then on.
    hold(write(std::nullopt, Size{420, 320}));
    clock.advance(FrameRecord::holdLifetime);
    EXPECT_TRUE(held());
    clock.advance(0.001);
    EXPECT_FALSE(held());
    hold(write(Point{5, 5}, std::nullopt));
    EXPECT_FALSE(held()->size);

    // A write sent at once takes its place, and only its window's.
    record.hold(other, write(Point{1, 2}, Size{3, 4}), clock.monotonic());
    record.release(maximised);
    EXPECT_FALSE(held());
    EXPECT_TRUE(held(other));
}

// A maximise asked for after a held write goes with the write, whichever
// thread comes first: asked before the write is made, the writer sends it;
// asked after, the caller does; a newer write takes it along with the place.
TEST_F(HeldWriteScenario, AMaximiseAfterAHeldWriteIsSentOnceByWhoeverComesSecond) {
    const MaximizedAxes vertically{true, false};
    const auto tile = write(Point{0, 0}, Size{960, 1080});
    EXPECT_FALSE(record.maximizeAfterHeld(maximised, vertically, clock.monotonic())) << "nothing held";
    hold(tile);
    EXPECT_TRUE(record.maximizeAfterHeld(maximised, vertically, clock.monotonic()));
    EXPECT_EQ(record.made(maximised, tile, {}, clock.monotonic(), 0.5), vertically);
    EXPECT_FALSE(record.maximizeAfterHeld(maximised, vertically, clock.monotonic())) << "made: the caller asks";
    EXPECT_FALSE(record.made(maximised, tile, {}, clock.monotonic(), 0.5).any()) << "made once";

    // The writer read the held write, then a newer one took its place: what
    // it made is not marked on the newer one, whose maximise stays with it.
    hold(tile);
    const auto taken = write(Point{960, 0}, Size{960, 1080});
    clock.advance(0.6);
    hold(taken);
    EXPECT_TRUE(record.maximizeAfterHeld(maximised, vertically, clock.monotonic()));
    EXPECT_FALSE(record.made(maximised, tile, {}, clock.monotonic(), 0.5).any());
    EXPECT_FALSE(held()->madeWith);
    EXPECT_EQ(record.made(maximised, taken, {}, clock.monotonic(), 0.5), vertically);
}

}  // namespace
}  // namespace tessaly
