// The session's frame judgements: when a frame has landed, the snap-back
// budget, how the window manager holds a window, and how frames and
// numbers are written in log lines.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Platform/FrameLanding.h"
#include "TessalySession/FrameLog.h"
#include "TessalySession/SnapBackBudget.h"
#include "TessalySession/WindowManagerFrame.h"

namespace tessaly {
namespace {

constexpr Rect asked{100, 100, 800, 600};
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(FrameLanding, EdgesWithinTheToleranceOrSidesWithinOneIncrement) {
    EXPECT_TRUE(FrameLanding::isLanded(Rect(104, 96, 804, 596), asked, 4.0));
    EXPECT_FALSE(FrameLanding::isLanded(Rect(100, 100, 804.01, 600), asked, 4.0));
    EXPECT_FALSE(FrameLanding::isLanded(Rect(104.1, 100, 800, 600), asked, 4.0));

    // A terminal with 7 x 13 character cells lands short of the asked size.
    const Size cells{7, 13};
    EXPECT_TRUE(FrameLanding::isLanded(Rect(100, 100, 794, 588), asked, 4.0, cells));
    EXPECT_FALSE(FrameLanding::isLanded(Rect(100, 100, 793, 600), asked, 4.0, cells)) << "a whole cell short";
    EXPECT_FALSE(FrameLanding::isLanded(Rect(106, 100, 800, 600), asked, 4.0, cells)) << "increments never move";
    // metacity snaps a terminal keeping its bottom edge: it comes down by
    // what it is short; moved as well, it has not landed.
    EXPECT_TRUE(FrameLanding::isLanded(Rect(100, 106, 800, 594), asked, 4.0, cells));
    EXPECT_FALSE(FrameLanding::isLanded(Rect(100, 112, 800, 594), asked, 4.0, cells));
    // An increment on one axis only widens that axis.
    EXPECT_FALSE(FrameLanding::isLanded(Rect(100, 100, 800, 590), asked, 4.0, Size{7, 0}));

    // Values that cannot be compared never land.
    EXPECT_FALSE(FrameLanding::isLanded(Rect(nan, 100, 800, 600), asked, 4.0));
    EXPECT_FALSE(FrameLanding::isLanded(Rect(100, 100, 800, nan), asked, 4.0, cells));
    EXPECT_FALSE(FrameLanding::isLanded(Rect(100, 100, inf, 600), asked, 4.0, Size{inf, 0}));
}

TEST(SnapBackBudget, EightSendsPerTargetThenOneExhaustionReportAndAfreshOnceTheGroupLeftIt) {
    using V = SnapBackBudget::Verdict;
    SnapBackBudget budget(8, 4.0);
    const Rect stray{300, 300, 800, 600};
    EXPECT_EQ(budget.decide(1, asked, Rect(104, 100, 800, 600)), V::landed());
    EXPECT_FALSE(budget.hasTally(1)) << "a landed report creates no tally";
    for (int send = 1; send <= 8; ++send) {
        EXPECT_EQ(budget.decide(1, asked, stray), V::resend()) << send;
        // Landed reports in between do not reset the count.
        EXPECT_EQ(budget.decide(1, asked, asked), V::landed());
    }
    EXPECT_EQ(budget.sends(1), 8);
    EXPECT_EQ(budget.decide(1, asked, stray), V::exhausted(true));
    EXPECT_EQ(budget.decide(1, asked, stray), V::exhausted(false));
    // A new group frame starts afresh; so does a window the owner forgot.
    EXPECT_EQ(budget.decide(1, asked.offsetBy(1, 0), stray), V::resend());
    EXPECT_EQ(budget.sends(1), 1);
    budget.forget(1);
    EXPECT_EQ(budget.decide(1, asked.offsetBy(1, 0), stray), V::resend());
    EXPECT_EQ(budget.sends(1), 1);
    // The group at its frame again keeps the count; a group that went
    // elsewhere (maximised) and came back to the same frame starts afresh.
    for (int send = 2; send <= 8; ++send) budget.decide(1, asked.offsetBy(1, 0), stray);
    budget.groupFrameIs(1, asked.offsetBy(1, 0));
    EXPECT_EQ(budget.decide(1, asked.offsetBy(1, 0), stray), V::exhausted(true));
    budget.groupFrameIs(1, Rect(0, 25, 1920, 1055));
    EXPECT_EQ(budget.decide(1, asked.offsetBy(1, 0), stray), V::resend());
    EXPECT_EQ(budget.sends(1), 1);

    // A terminal that snapped to its cells is home and costs nothing.
    EXPECT_EQ(budget.decide(2, asked, Rect(100, 100, 795, 590), Size{7, 13}), V::landed());

    SnapBackBudget none(0, 4.0);
    EXPECT_EQ(none.decide(3, asked, stray), V::exhausted(true));
    EXPECT_EQ(none.decide(3, asked, stray), V::exhausted(false));
}

TEST(FrameLanding, BesideAMaximiseOnlyTheAxesNotMaximisedCount) {
    const Rect tile{0, 25, 960, 1055};
    const MaximizedAxes vertically{true, false};
    EXPECT_TRUE(FrameLanding::isLandedBeside(Rect(2, 0, 958, 1080), tile, vertically, 4.0));
    EXPECT_FALSE(FrameLanding::isLandedBeside(Rect(300, 25, 484, 1055), tile, vertically, 4.0)) << "at its own place";
    EXPECT_TRUE(FrameLanding::isLandedBeside(Rect(0, 0, 10, 10), tile, MaximizedAxes::both(), 4.0));
    EXPECT_FALSE(FrameLanding::isLandedBeside(Rect(0, 0, 960, 1080), tile, {}, 4.0));
}

// How the window manager holds a window, from its state and its frame
// against the work area (below a 25-point strip).
TEST(WindowManagerFrame, MaximisedTiledHalfWayOrNone) {
    using Hold = WindowManagerFrame::Hold;
    const Rect area{0, 25, 1920, 1055};
    const MaximizedAxes both = MaximizedAxes::both(), vertically{true, false}, none{};
    const Size cells{8, 13};
    const auto judge = [&](const Rect& frame, MaximizedAxes state, Size increments = {}) {
        return WindowManagerFrame::judge(frame, state, area, increments, 4.0);
    };

    // Maximised, borders hidden beyond the work area: the part inside it.
    EXPECT_EQ(judge(Rect(-5, 20, 1930, 1064), both).hold, Hold::maximized);
    EXPECT_EQ(judge(Rect(-5, 20, 1930, 1064), both).shown, area);
    // A terminal KWin maximised short of the bottom by less than a cell; a
    // whole cell short, or without its cells, it is on its way.
    EXPECT_EQ(judge(Rect(1, 25, 1918, 1046), both, cells).hold, Hold::maximized);
    EXPECT_EQ(judge(Rect(1, 25, 1918, 1040), both, cells).hold, Hold::halfWay);
    EXPECT_EQ(judge(Rect(1, 25, 1918, 1046), both).hold, Hold::halfWay);
    // The state told before the frame.
    EXPECT_EQ(judge(Rect(100, 100, 700, 500), both).hold, Hold::halfWay);

    // Half-screen tiles, told as maximised vertically or not at all (KWin,
    // a terminal short of the tile by its cells).
    EXPECT_EQ(judge(Rect(0, 25, 960, 1055), vertically).hold, Hold::tiled);
    EXPECT_EQ(judge(Rect(960, 20, 960, 1064), vertically).shown, Rect(960, 25, 960, 1055));
    EXPECT_EQ(judge(Rect(0, 25, 958, 1046), none, cells).hold, Hold::tiled);
    EXPECT_EQ(judge(Rect(962, 25, 956, 1055), none).hold, Hold::tiled);
    // Maximised vertically at its own place: no tile, but maximised.
    EXPECT_EQ(judge(Rect(300, 25, 700, 1055), vertically).hold, Hold::maximized);
    // Without a state, a frame that is not at a side, reaches beyond the
    // work area, or is as wide as it, is the user's.
    EXPECT_EQ(judge(Rect(300, 25, 700, 1055), none).hold, Hold::none);
    EXPECT_EQ(judge(Rect(0, 0, 960, 1080), none).hold, Hold::none);
    EXPECT_EQ(judge(Rect(0, 25, 1920, 1055), none).hold, Hold::none);
    EXPECT_EQ(judge(Rect(-300, 25, 960, 1055), none).hold, Hold::none);
}

TEST(FrameLog, TruncatesTowardZeroAndNeverFormatsNonFiniteValuesAsIntegers) {
    EXPECT_EQ(frameLog(Rect(12.7, -3.2, 800.9, 600)), "12,-3 800x600");
    EXPECT_EQ(frameLog(Rect(10, 20, -800, 600)), "-790,20 800x600") << "standardised";
    EXPECT_EQ(frameLog(Rect(nan, inf, -inf, 1e300)), "nan,inf -infx1e+300");
    EXPECT_EQ(frameLog(Rect::null()), "inf,inf 0x0");
    EXPECT_EQ(logNumber(-0.5), "0");
    EXPECT_EQ(logNumber(9.3e18), "9.3e+18");
}

}  // namespace
}  // namespace tessaly
