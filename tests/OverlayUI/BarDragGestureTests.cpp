// Presses and drags on a bar's background, and drags that lose their release.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OverlayUI/BarDragGesture.h"

namespace tessaly {
namespace {

class BarDragGestureTest : public testing::Test {
protected:
    BarDragGestureTest() {
        gesture.onActivate = [this] { log.push_back("activate"); };
        gesture.onMaximize = [this] { log.push_back("maximize"); };
        gesture.onDrag = [this](Point d) {
            log.push_back("drag " + std::to_string(static_cast<int>(d.x)) + "," + std::to_string(static_cast<int>(d.y)));
        };
        gesture.onDragEnd = [this] { log.push_back("end"); };
    }
    std::vector<std::string> take() { return std::exchange(log, {}); }

    BarDragGesture gesture;
    std::vector<std::string> log;
};

using Lines = std::vector<std::string>;

TEST_F(BarDragGestureTest, ClicksDoubleClicksAndDragsReportTheirIntents) {
    // A click: activate, then the end of a drag that never moved.
    gesture.press(1, {100, 10});
    gesture.release();
    // The second press of a double click maximises alone; its release ends nothing.
    gesture.press(2, {100, 10});
    gesture.release();
    EXPECT_EQ(take(), (Lines{"activate", "end", "maximize"}));

    // A drag reports each step since the last one, downwards positive.
    gesture.press(1, {100, 10});
    gesture.move({130, 5});
    gesture.move({130, 45});
    gesture.release();
    gesture.move({500, 500});
    gesture.release();
    EXPECT_EQ(take(), (Lines{"activate", "drag 30,-5", "drag 0,40", "end"}));
    EXPECT_FALSE(gesture.isDragging());
}

TEST_F(BarDragGestureTest, ADragWhoseReleaseCannotComeEndsOnceThroughTheSamePath) {
    // The bar is hidden mid-drag: the drag ends as a release would, once.
    gesture.press(1, {0, 0});
    gesture.move({10, 0});
    gesture.cancel();
    gesture.cancel();
    gesture.release();
    EXPECT_EQ(take(), (Lines{"activate", "drag 10,0", "end"}));

    // The release got lost without a cancel: the next press ends the old drag first.
    gesture.press(1, {0, 0});
    gesture.press(1, {50, 50});
    gesture.move({60, 50});
    gesture.press(2, {60, 50});
    EXPECT_EQ(take(), (Lines{"activate", "end", "activate", "drag 10,0", "end", "maximize"}));

    // Activating hides the bar (its cancel runs inside): the drag is not left behind.
    gesture.onActivate = [this] {
        log.push_back("activate");
        gesture.cancel();
    };
    gesture.press(1, {0, 0});
    gesture.move({5, 5});
    EXPECT_EQ(take(), (Lines{"activate", "end"}));
    EXPECT_FALSE(gesture.isDragging());
}

}  // namespace
}  // namespace tessaly
