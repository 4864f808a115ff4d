// Dragging tabs within their bar, out of it and back, on the virtual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "OverlayUI/TabReorderGesture.h"
#include "Platform/ManualMainExecutor.h"

namespace tessaly {
namespace {

std::string text(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}
std::string text(Point p) { return text(p.x) + "," + text(p.y); }
std::string text(const Rect& r) { return text(r.origin) + " " + text(r.size.width) + "x" + text(r.size.height); }

// Records what the bar view is asked to show and what the gesture reports, in one sequence.
class RecordingBar final : public TabReorderGesture::Presenter {
public:
    std::vector<std::string> log;

    void liftTabs(std::size_t dragged) override { note("lift " + std::to_string(dragged)); }
    void moveTab(std::size_t tab, Point origin, double duration) override {
        note("move " + std::to_string(tab) + " to " + text(origin) + (duration > 0 ? " sliding" : ""));
    }
    void setTabHidden(std::size_t tab, bool hidden) override {
        note(std::string(hidden ? "hide " : "show ") + std::to_string(tab));
    }
    void showChip(std::size_t tab, const Rect& frame) override {
        note("chip " + std::to_string(tab) + " at " + text(frame));
    }
    void moveChip(const Rect& frame) override { note("chip to " + text(frame)); }
    void hideChip() override { note("chip off"); }
    void restoreTabs(const std::vector<std::size_t>& order) override {
        std::string line = "restore";
        for (std::size_t tab : order) line += " " + std::to_string(tab);
        note(line);
    }

    void note(std::string line) { log.push_back(std::move(line)); }
    std::vector<std::string> take() { return std::exchange(log, {}); }
};

// Three tabs 100 wide, 2 apart, from x 6, 24 high at y 3, in a bar 30
// high whose top-left corner stands at (1000, 500) on the screen.
class TabReorderGestureTest : public testing::Test {
protected:
    TabReorderGestureTest() {
        gesture->onReorder = [this](WindowID w, int i) { bar.note("reorder " + std::to_string(w) + " at " + std::to_string(i)); };
        gesture->onPopOut = [this](WindowID w) { bar.note("pop out " + std::to_string(w)); };
        gesture->onCrossBarUpdate = [this](Point p, double w) { bar.note("over " + text(p) + " width " + text(w)); };
        gesture->onCrossBarCommit = [this](WindowID w) {
            bar.note("commit " + std::to_string(w));
            return anotherBarTakesIt;
        };
        gesture->onCrossBarCancel = [this] { bar.note("cross-bar cancel"); };
        gesture->onRender = [this](const std::vector<TabViewModel>& tabs) {
            bar.note("render " + std::to_string(tabs.size()) + " tabs");
            // The bar renders through the gesture again, which lets it through now.
            EXPECT_FALSE(gesture->holdRender(tabs));
        };
    }

    TabReorderGesture::Layout layout() const {
        TabReorderGesture::Layout row;
        row.tabs = {{1, 6, 100}, {2, 108, 100}, {3, 210, 100}};
        row.spacing = 2;
        row.originY = 3;
        row.tabHeight = 24;
        row.barHeight = 30;
        row.pixelsPerPoint = pixelsPerPoint;
        return row;
    }

    // A press; the tab pressed is told with the first move.
    void press(std::optional<Point> at = std::nullopt) {
        gesture->pressBegan();
        pressed = at;
    }
    // The pointer at a point of the bar. Without a point pressed, the press
    // was where the first move went (just past the slop).
    void dragTo(std::size_t tab, double x, double y) {
        if (!pressed) pressed = Point{x, y};
        const Point origin{1000 * pixelsPerPoint, 500 * pixelsPerPoint};
        gesture->dragMoved(tab, *pressed, {x, y}, {origin.x + x * pixelsPerPoint, origin.y + y * pixelsPerPoint},
                           [this] { return layout(); });
    }
    std::optional<Point> pressed;

    // A press on the first tab, dragged until it has passed the second (order 1 0 2).
    void dragFirstPastSecond() {
        press();
        dragTo(0, 57, 15);
        dragTo(0, 160, 15);
    }
    // A press on a tab, dragged out below the bar.
    void popOut(std::size_t tab, double x) {
        press();
        dragTo(tab, x, 15);
        dragTo(tab, x, 90);
    }

    static std::vector<TabViewModel> model(std::vector<WindowID> windows) {
        std::vector<TabViewModel> tabs;
        for (WindowID w : windows) {
            TabViewModel tab;
            tab.windowID = w;
            tab.title = "Window " + std::to_string(w);
            tabs.push_back(tab);
        }
        return tabs;
    }

    ManualMainExecutor executor;
    RecordingBar bar;
    std::unique_ptr<TabReorderGesture> gesture =
        std::make_unique<TabReorderGesture>(bar, std::shared_ptr<MainExecutor>(&executor, [](MainExecutor*) {}));
    double pixelsPerPoint = 1;
    bool anotherBarTakesIt = false;
};

using Lines = std::vector<std::string>;

TEST_F(TabReorderGestureTest, ATabDraggedAlongTheBarPassesItsNeighboursAndSettlesIntoItsSlot) {
    press();
    dragTo(0, 57, 15);  // the first move beyond the slop, 51 points into the first tab
    EXPECT_EQ(bar.take(), (Lines{"lift 0", "move 0 to 6,3"}));
    EXPECT_EQ(gesture->reorderGeneration(), 1);

    // Its right edge passes the second tab's middle: the second slides into the first slot.
    dragTo(0, 160, 15);
    EXPECT_EQ(bar.take(), (Lines{"move 0 to 109,3", "move 1 to 6,3 sliding", "move 2 to 210,3 sliding"}));

    // A render meanwhile waits for the gesture's end.
    EXPECT_TRUE(gesture->holdRender(model({1, 2, 3})));
    EXPECT_TRUE(gesture->holdRender(model({1, 2, 3, 4})));

    // Far past the right end the tab stops at the last slot.
    dragTo(0, 5000, 15);
    EXPECT_EQ(bar.take(), (Lines{"move 0 to 210,3", "move 1 to 6,3 sliding", "move 2 to 108,3 sliding"}));
    dragTo(0, 5200, 25);
    EXPECT_EQ(bar.take(), (Lines{"move 0 to 210,3"}));

    gesture->dragEnded();
    EXPECT_EQ(bar.take(), (Lines{"cross-bar cancel", "move 0 to 210,3 sliding"}));
    EXPECT_TRUE(gesture->tabGestureActive());

    executor.advance(0.15);
    EXPECT_TRUE(bar.log.empty());
    // When the settle has run its course the index is reported, then the newest render lands.
    executor.advance(0.01);
    EXPECT_EQ(bar.take(), (Lines{"restore 1 2 0", "reorder 1 at 2", "render 4 tabs"}));
    EXPECT_FALSE(gesture->tabGestureActive());
    EXPECT_FALSE(gesture->session());
}

TEST_F(TabReorderGestureTest, ATabPopsOutBeyondSixteenPointsFollowsAsAChipAndComesBack) {
    press();
    dragTo(1, 160, 15);  // grabbed 52 points in
    bar.take();

    // Exactly 16 points below the bar it stays in.
    dragTo(1, 160, 46);
    EXPECT_EQ(bar.take(), (Lines{"move 1 to 108,3"}));
    dragTo(1, 160, 46.5);
    EXPECT_EQ(bar.take(), (Lines{"move 1 to 108,3", "hide 1", "chip 1 at 1108,534.5 100x24",
                                 "over 1160,546.5 width 100"}));
    EXPECT_TRUE(gesture->isPoppedOut());
    // Popped out, the order stands still while the chip follows.
    dragTo(1, 20, -200);
    EXPECT_EQ(bar.take(), (Lines{"move 1 to 6,3", "chip to 968,288 100x24", "over 1020,300 width 100"}));

    // Back within reach of the bar: the chip goes, the tab shows and reordering resumes.
    dragTo(1, 20, -10);
    EXPECT_EQ(bar.take(), (Lines{"move 1 to 6,3", "chip off", "show 1", "cross-bar cancel", "move 0 to 108,3 sliding",
                                 "move 2 to 210,3 sliding"}));

    // Out again and released where no other bar takes it: the tab leaves its group,
    // and the row shows the model's order until the next render.
    dragTo(1, 20, 100);
    bar.take();
    gesture->dragEnded();
    EXPECT_EQ(bar.take(), (Lines{"chip off", "restore 0 1 2", "commit 2", "pop out 2"}));
    EXPECT_FALSE(gesture->tabGestureActive());

    // Released over a bar that takes it: only the commit.
    anotherBarTakesIt = true;
    popOut(2, 250);
    bar.take();
    gesture->dragEnded();
    EXPECT_EQ(bar.take(), (Lines{"chip off", "restore 0 1 2", "commit 3"}));
    EXPECT_EQ(executor.pendingTimerCount(), 0u);
}

TEST_F(TabReorderGestureTest, APressPulledStraightDownBecomesADragAndPopsOut) {
    // Within 6 points of the press, in any direction, a press stays a click;
    // beyond them it is a drag, whichever way the pointer went.
    const Point pressedAt{160, 15};
    for (const Point still : {Point{166, 15}, Point{160, 21}, Point{160, 9}, Point{164, 19}}) {
        EXPECT_FALSE(TabReorderGesture::isBeyondSlop(pressedAt, still)) << text(still);
    }
    for (double sideways = 0; sideways <= 5; ++sideways) {
        EXPECT_TRUE(TabReorderGesture::isBeyondSlop(pressedAt, {160 + sideways, 22})) << sideways << " sideways";
    }
    EXPECT_TRUE(TabReorderGesture::isBeyondSlop(pressedAt, {167, 15}));
    EXPECT_TRUE(TabReorderGesture::isBeyondSlop(pressedAt, {160, 8}));

    // Pulled on downwards, the tab lifts where it is, pops out below the
    // bar and, released there, leaves its group.
    press();
    dragTo(1, 163, 22);
    EXPECT_EQ(bar.take(), (Lines{"lift 1", "move 1 to 108,3"}));
    dragTo(1, 163, 60);
    EXPECT_TRUE(gesture->isPoppedOut());
    bar.take();
    gesture->dragEnded();
    EXPECT_EQ(bar.take(), (Lines{"chip off", "restore 0 1 2", "commit 2", "pop out 2"}));
}

TEST_F(TabReorderGestureTest, TheChipKeepsTheGrabbedSpotUnderThePointerWhenQtScales) {
    pixelsPerPoint = 2;
    press();
    dragTo(0, 30, 10);   // grabbed at (24, 7) of the tab
    dragTo(0, 30, 60);
    const Lines lines = bar.take();
    ASSERT_EQ(lines.size(), 6u);
    // The pointer is at (2060, 1120) on the screen; the chip is the tab's size in screen pixels.
    EXPECT_EQ(lines[4], "chip 0 at 2012,1106 200x48");
    EXPECT_EQ(lines[5], "over 2060,1120 width 100");
}

TEST_F(TabReorderGestureTest, AFirstMoveReportedFarFromThePressKeepsThePressedSpotNearThePointer) {
    // A busy machine reports the drag's first move far below the bar: the
    // drag began where the pointer left the slop, 6 points below the press.
    pixelsPerPoint = 2;
    press(Point{30, 10});  // 24 points into the tab, 7 down
    dragTo(0, 30, 80);
    // The pointer is at (2060, 1160): the chip's top left 48 and 26 pixels from it.
    EXPECT_EQ(bar.take(), (Lines{"lift 0", "move 0 to 6,3", "hide 0", "chip 0 at 2012,1134 200x48",
                                 "over 2060,1160 width 100"}));
}

TEST_F(TabReorderGestureTest, APressWhileATabSettlesLandsItAtOnceAndTheLateSettleDoesNothing) {
    dragFirstPastSecond();
    gesture->dragEnded();
    EXPECT_TRUE(gesture->holdRender(model({2, 1, 3})));
    bar.take();

    executor.advance(0.05);
    press();  // another tab, 0.05 s after the release
    EXPECT_EQ(bar.take(), (Lines{"restore 1 0 2", "reorder 1 at 1"}));
    EXPECT_TRUE(gesture->tabGestureActive());

    executor.advance(0.5);
    EXPECT_TRUE(bar.log.empty());
    // The render still waits: for the end of the new press.
    gesture->pressEnded();
    EXPECT_EQ(bar.take(), (Lines{"render 3 tabs"}));
}

TEST_F(TabReorderGestureTest, HidingTheBarEndsAnyGestureAsAReleaseWouldButDropsNothing) {
    // Within the bar: the tab lands in the slot it reached, at once.
    dragFirstPastSecond();
    EXPECT_TRUE(gesture->holdRender(model({1, 2, 3})));
    bar.take();
    gesture->cancel();
    EXPECT_EQ(bar.take(), (Lines{"cross-bar cancel", "restore 1 0 2", "reorder 1 at 1", "render 3 tabs"}));
    EXPECT_FALSE(gesture->tabGestureActive());
    EXPECT_EQ(executor.pendingTimerCount(), 0u);

    // Popped out: the tab stays in its group; no other bar receives it.
    popOut(2, 250);
    bar.take();
    gesture->cancel();
    EXPECT_EQ(bar.take(), (Lines{"chip off", "restore 0 1 2", "cross-bar cancel"}));
    // The release that the tab reports later finds nothing to end.
    gesture->dragEnded();
    gesture->cancel();
    EXPECT_TRUE(bar.log.empty());

    // Settling: it lands at once.
    dragFirstPastSecond();
    gesture->dragEnded();
    bar.take();
    gesture->cancel();
    EXPECT_EQ(bar.take(), (Lines{"restore 1 0 2", "reorder 1 at 1"}));
    executor.advance(1);
    EXPECT_TRUE(bar.log.empty());

    // A plain press.
    press();
    EXPECT_TRUE(gesture->holdRender(model({1})));
    gesture->cancel();
    EXPECT_EQ(bar.take(), (Lines{"render 1 tabs"}));
    EXPECT_FALSE(gesture->tabGestureActive());
}

TEST_F(TabReorderGestureTest, AWindowThatClosesWhileItsTabIsDraggedEndsTheDragWithoutAReport) {
    popOut(1, 160);
    bar.take();
    // Its window closed: the group's next model lacks it.
    EXPECT_TRUE(gesture->holdRender(model({1, 3})));
    EXPECT_EQ(bar.take(), (Lines{"chip off", "restore 0 1 2", "cross-bar cancel", "render 2 tabs"}));
    EXPECT_FALSE(gesture->session());
    // The pointer keeps moving on the tab that went away and is released.
    dragTo(7, 200, 80);
    gesture->dragEnded();
    EXPECT_TRUE(bar.log.empty());

    // The same while it settles: no reorder is reported for a closed window.
    dragFirstPastSecond();
    gesture->dragEnded();
    bar.take();
    EXPECT_TRUE(gesture->holdRender(model({2, 3})));
    EXPECT_EQ(bar.take(), (Lines{"restore 0 1 2", "render 2 tabs"}));
    executor.advance(1);
    EXPECT_TRUE(bar.log.empty());
}

TEST_F(TabReorderGestureTest, CallbacksMayCloseTheBarOrDropTheGestureUnderIt) {
    // The commit closes the bar (its gesture is cancelled from inside) and
    // the view goes with it.
    gesture->onCrossBarCommit = [this](WindowID) {
        gesture->cancel();
        gesture.reset();
        return false;
    };
    popOut(0, 57);
    gesture->dragEnded();
    EXPECT_FALSE(gesture);

    // A render that the reorder causes at once is held and applied after it.
    gesture = std::make_unique<TabReorderGesture>(bar, nullptr);
    gesture->onReorder = [this](WindowID, int) {
        bar.note("reorder");
        EXPECT_TRUE(gesture->holdRender(model({2, 1, 3})));
    };
    gesture->onRender = [this](const std::vector<TabViewModel>&) { bar.note("render"); };
    dragFirstPastSecond();
    bar.take();
    // Without an executor the settle ends at once.
    gesture->dragEnded();
    EXPECT_EQ(bar.take(), (Lines{"move 0 to 108,3 sliding", "restore 1 0 2", "reorder", "render"}));
}

TEST_F(TabReorderGestureTest, ADragOfATabOutsideTheRowStartsNothing) {
    press();
    dragTo(3, 50, 15);
    dragTo(3, 50, 90);
    EXPECT_TRUE(bar.log.empty());
    EXPECT_TRUE(gesture->holdRender(model({1, 2, 3})));
    gesture->dragEnded();
    EXPECT_EQ(bar.take(), (Lines{"render 3 tabs"}));
    EXPECT_FALSE(gesture->tabGestureActive());
    // Nor does a pointer position that is no number.
    press();
    dragTo(0, std::nan(""), 15);
    EXPECT_FALSE(gesture->session());
}

}  // namespace
}  // namespace tessaly
