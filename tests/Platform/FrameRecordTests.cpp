// A write the server is about to be told: held while the window manager
// unmaximises the window, made then and kept a moment for late extents,
// replaced by a newer write, forgotten after its time. Times run on a
// virtual clock.
#include "Platform/FrameRecord.h"

#include <gtest/gtest.h>

#include "Platform/Clock.h"
#include "Platform/MemberFollow.h"

namespace tessaly {
namespace {

constexpr WindowID maximised = 7;
constexpr WindowID other = 8;
constexpr ProcessID owner = 40;

FrameRecord::HeldWrite write(std::optional<Point> origin, std::optional<Size> size,
                             std::optional<FrameRecord::Inset> madeWith = std::nullopt) {
    return {origin, size, owner, madeWith};
}

class HeldWriteScenario : public ::testing::Test {
protected:
    std::optional<FrameRecord::HeldWrite> held(WindowID window = maximised) const {
        return record.held(window, clock.monotonic());
    }
    void hold(FrameRecord::HeldWrite write, double patience = FrameRecord::holdLifetime) {
        record.hold(maximised, write, clock.monotonic(), patience);
    }

    VirtualClock clock;
    FrameRecord record;
};

TEST_F(HeldWriteScenario, ASizeAndAMoveHeldTogetherAreMadeOnceAndKeptForLateExtents) {
    EXPECT_FALSE(held());
    // A frame written as a size and then a move while the window is
    // maximised: both wait, and the move keeps the size.
    hold(write(std::nullopt, Size{420, 320}));
    clock.advance(0.01);
    hold(write(Point{150, 120}, std::nullopt));
    auto waiting = held();
    ASSERT_TRUE(waiting);
    EXPECT_EQ(waiting->origin, (Point{150, 120}));
    EXPECT_EQ(waiting->size, (Size{420, 320}));
    EXPECT_EQ(waiting->owner, owner);
    EXPECT_FALSE(waiting->madeWith);
    EXPECT_FALSE(held(other)) << "held for its window only";
    EXPECT_FALSE(record.isLastTold(maximised, Rect(150, 120, 420, 320), clock.monotonic()))
        << "held is not told";

    // A newer frame replaces what it names.
    hold(write(Point{60, 40}, Size{500, 300}));
    EXPECT_EQ(held()->origin, (Point{60, 40}));
    EXPECT_EQ(held()->size, (Size{500, 300}));

    // Unmaximised: made, and held on for extents the window manager
    // publishes after the state.
    clock.advance(0.2);
    waiting = held();
    waiting->madeWith = FrameRecord::Inset{1, 1, 20, 1};
    hold(*waiting, 0.5);
    record.prune(clock.monotonic() + 0.4);
    clock.advance(0.5);
    ASSERT_TRUE(held()) << "pruning the frames told leaves held writes";
    EXPECT_EQ(held()->madeWith, (FrameRecord::Inset{1, 1, 20, 1}));
    clock.advance(0.001);
    EXPECT_FALSE(held()) << "the extents settled: nothing more to make";
}

TEST_F(HeldWriteScenario, AWriteHeldTooLongOrTakenOverIsForgotten) {
    // The window manager never unmaximises: the write is dropped after its
    // time, and a new one is not completed from it.
    hold(write(std::nullopt, Size{420, 320}));
    clock.advance(FrameRecord::holdLifetime);
    EXPECT_TRUE(held());
    clock.advance(0.001);
    EXPECT_FALSE(held());
    hold(write(Point{5, 5}, std::nullopt));
    EXPECT_FALSE(held()->size);

    // Nor from one that went out already (maximised again since).
    hold(write(Point{5, 5}, Size{6, 6}, FrameRecord::Inset{}), 0.5);
    hold(write(Point{7, 7}, std::nullopt));
    EXPECT_FALSE(held()->size);
    EXPECT_FALSE(held()->madeWith);

    // A write sent at once (the window was unmaximised meanwhile) takes
    // its place; so does the window's end.
    record.release(maximised);
    EXPECT_FALSE(held());
    record.hold(other, write(Point{1, 2}, Size{3, 4}), clock.monotonic());
    record.hold(maximised, write(Point{1, 2}, Size{3, 4}), clock.monotonic());
    record.release(other);
    EXPECT_FALSE(held(other));
    EXPECT_TRUE(held());
}

// The platform's writes and the member follow tell one record: a frame the
// follow sent is what the platform finds told, and a write the session
// begins holds the follow back.
TEST(SharedFrameRecord, TheFollowAndThePlatformAskTheSameRecord) {
    const auto clock = std::make_shared<VirtualClock>();
    const auto record = std::make_shared<FrameRecord>();
    std::vector<Rect> sent;
    const auto follow = std::make_shared<MemberFollow>(
        clock, [&](const FollowMove&, const Rect& frame) {
            sent.push_back(frame);
            return true;
        }, MemberFollow::Increments{}, record);
    follow->setPlanner([](const FollowRequest& request) -> std::optional<FollowPlan> {
        return FollowPlan{request.frame, {{other, 9}}, Rect(0, 0, 10, 10)};
    });
    const Rect moved(50, 60, 400, 300);
    EXPECT_EQ(follow->follow({maximised, moved}), 1u);
    EXPECT_TRUE(record->isLastTold(other, moved, clock->monotonic()));
    {
        const auto writing = follow->willWrite(other, Rect(0, 0, 10, 10));
        EXPECT_TRUE(record->isInFlight(other));
        EXPECT_EQ(follow->follow({maximised, moved.offsetBy(5, 0)}), 0u);
    }
    EXPECT_FALSE(record->isInFlight(other));
    EXPECT_EQ(sent.size(), 1u);
}

}  // namespace
}  // namespace tessaly
