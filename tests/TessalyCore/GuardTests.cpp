#include <gtest/gtest.h>

#include "TessalyCore/LiveFollowGate.h"
#include "TessalyCore/OSFocusGate.h"

namespace tessaly {
namespace {

// ---- Focus gate ----

class FocusGate : public ::testing::Test {
protected:
    std::function<std::optional<WindowID>()> reader(std::optional<WindowID> answer) {
        return [this, answer] {
            ++reads;
            return answer;
        };
    }
    OSFocusGate gate{1.0};
    int reads = 0;
};

TEST_F(FocusGate, OnlyTheFrontmostProcessIsAsked) {
    EXPECT_FALSE(OSFocusGate::accepts(10, std::nullopt));
    EXPECT_FALSE(OSFocusGate::accepts(10, 11));
    EXPECT_TRUE(OSFocusGate::accepts(10, 10));
    EXPECT_FALSE(gate.isOSFocused(5, 10, std::nullopt, 100, reader(5)));
    EXPECT_FALSE(gate.isOSFocused(5, 10, 11, 100, reader(5)));
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(gate.verdicts.empty());
}

TEST_F(FocusGate, AnswersAreReusedForTheirLifetime) {
    EXPECT_TRUE(gate.isOSFocused(5, 10, 10, 100, reader(5)));
    EXPECT_TRUE(gate.isOSFocused(5, 10, 10, 100.99, reader(6)));  // focus moved, answer kept
    EXPECT_EQ(reads, 1);
    EXPECT_FALSE(gate.isOSFocused(5, 10, 10, 101.0, reader(6)));  // aged exactly ttl: read again
    EXPECT_EQ(reads, 2);
}

TEST_F(FocusGate, AbsentReadIsARememberedNo) {
    EXPECT_FALSE(gate.isOSFocused(5, 10, 10, 100, reader(std::nullopt)));
    EXPECT_FALSE(gate.isOSFocused(5, 10, 10, 100.5, reader(5)));
    EXPECT_EQ(reads, 1);
}

TEST_F(FocusGate, PruneDropsAgedAnswersAndKeepsFutureOnes) {
    gate.isOSFocused(1, 10, 10, 100, reader(1));
    gate.isOSFocused(2, 10, 10, 100.5, reader(1));
    gate.isOSFocused(3, 10, 10, 105, reader(3));  // later than the prune time
    gate.prune(101.0);
    EXPECT_FALSE(gate.verdicts.contains(1));  // exactly ttl old
    EXPECT_TRUE(gate.verdicts.contains(2));
    EXPECT_TRUE(gate.verdicts.contains(3));
    // A clock that went back: the entry counts as fresh.
    EXPECT_TRUE(gate.isOSFocused(3, 10, 10, 101.0, reader(std::nullopt)));
    EXPECT_EQ(reads, 3);
}

// ---- Live-follow gate ----

namespace LFG = LiveFollowGate;

TEST(LiveFollow, JumpsAreJudgedAgainstThePointer) {
    const Rect last(0, 0, 500, 400);
    EXPECT_EQ(LFG::decide(Rect(400, 0, 500, 400), last, {300, 0}, Point{0, 0}, 0, 150, 5), (LFG::Decision{true, 0}));
    EXPECT_EQ(LFG::decide(Rect(400, 0, 500, 400), last, {100, 0}, Point{0, 0}, 0, 150, 5), (LFG::Decision{false, 1}));
    EXPECT_EQ(LFG::decide(Rect(0, 150, 500, 400), last, {0, 0}, Point{0, 0}, 0, 150, 5), (LFG::Decision{true, 0}));
    EXPECT_EQ(LFG::decide(Rect(0, 0, 900, 900), last, {0, 0}, Point{0, 0}, 3, 150, 5), (LFG::Decision{true, 0}));
    // Without a pointer reading the pointer counts as still.
    EXPECT_EQ(LFG::decide(Rect(0, 151, 5, 5), last, {500, 500}, std::nullopt, 0, 150, 5), (LFG::Decision{false, 1}));
    // Without a last good frame everything is believed.
    EXPECT_EQ(LFG::decide(Rect(9000, 9000, 5, 5), std::nullopt, {0, 0}, std::nullopt, 4, 150, 5), (LFG::Decision{true, 0}));
}

TEST(LiveFollow, AfterMaxRejectsTheNextReadingIsBelieved) {
    int streak = 0;
    for (int i = 1; i <= 5; ++i) {
        const auto d = LFG::decide(Rect(1000, 0, 5, 5), Rect(0, 0, 5, 5), {0, 0}, Point{0, 0}, streak, 150, 5);
        EXPECT_FALSE(d.accept);
        EXPECT_EQ(d.rejectStreak, i);
        streak = d.rejectStreak;
    }
    EXPECT_EQ(LFG::decide(Rect(1000, 0, 5, 5), Rect(0, 0, 5, 5), {0, 0}, Point{0, 0}, streak, 150, 5),
              (LFG::Decision{true, 0}));
}

TEST(LiveFollow, FinalFrame) {
    const Rect original(10, 10, 100, 100);
    const Rect last(100, 100, 300, 200);
    EXPECT_EQ(LFG::finalFrame(std::nullopt, std::nullopt, std::nullopt, std::nullopt, original, 150), original);
    EXPECT_EQ(LFG::finalFrame(Rect(1, 2, 3, 4), std::nullopt, std::nullopt, std::nullopt, original, 150), Rect(1, 2, 3, 4));
    EXPECT_EQ(LFG::finalFrame(std::nullopt, last, Point{0, 0}, Point{0, 0}, original, 150), last);
    EXPECT_EQ(LFG::finalFrame(Rect(900, 900, 1, 1), last, std::nullopt, Point{0, 0}, original, 150), Rect(900, 900, 1, 1));
    EXPECT_EQ(LFG::finalFrame(Rect(900, 900, 1, 1), last, Point{0, 0}, std::nullopt, original, 150), last);
    // Expected origin: (100,100) + pointer movement (50, 0) = (150, 100).
    EXPECT_EQ(LFG::finalFrame(Rect(300, 100, 300, 200), last, Point{50, 0}, Point{0, 0}, original, 150),
              Rect(300, 100, 300, 200));  // exactly 150 off
    EXPECT_EQ(LFG::finalFrame(Rect(350, 100, 300, 200), last, Point{50, 0}, Point{0, 0}, original, 150), last);
    EXPECT_TRUE(LFG::acceptFinalFrame(Rect(150, 250, 1, 1), last, {50, 0}, {0, 0}, 150));
    EXPECT_FALSE(LFG::acceptFinalFrame(Rect(150, 250.5, 1, 1), last, {50, 0}, {0, 0}, 150));
}

}  // namespace
}  // namespace tessaly
