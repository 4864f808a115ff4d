// Files and links dragged from other applications over a bar's tabs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "OverlayUI/SpringLoadingDestination.h"
#include "OverlayUI/SpringLoadingDragTypes.h"
#include "Platform/ManualMainExecutor.h"

namespace tessaly {
namespace {

using Highlight = SpringLoadingDestination::Highlight;
using Tab = SpringLoadingDestination::HoveredTab;

TEST(SpringLoadingDragTypesTest, OnlyTheOfferedTypeNamesCountAndOnlyTheFirstOnes) {
    EXPECT_TRUE(SpringLoadingDragTypes::springs({"text/uri-list"}));
    EXPECT_TRUE(SpringLoadingDragTypes::springs({"application/x-kde-cutselection", " TEXT/Plain ; charset=utf-8"}));
    EXPECT_TRUE(SpringLoadingDragTypes::springs({"image/png"}));
    EXPECT_TRUE(SpringLoadingDragTypes::springs({"XdndDirectSave0"}));
    EXPECT_FALSE(SpringLoadingDragTypes::springs({}));
    EXPECT_FALSE(SpringLoadingDragTypes::springs({"", ";", "application/x-color", "image/png-but-not"}));
    // A known name buried in a huge or garbled list is not looked for.
    std::vector<std::string> huge(100000, std::string("\xff\xfe garbage\0", 11));
    huge.push_back("text/uri-list");
    EXPECT_FALSE(SpringLoadingDragTypes::springs(huge));
    EXPECT_FALSE(SpringLoadingDragTypes::recognizes("text/plain" + std::string(1000, ' ')));
    EXPECT_EQ(SpringLoadingDragTypes::all().front(), "text/uri-list");
}

class SpringLoadingTest : public testing::Test {
protected:
    SpringLoadingTest() {
        spring.onSelect = [this](WindowID w) { selected.push_back(w); };
        spring.onHighlightChanged = [this] { ++repaints; };
    }

    ManualMainExecutor executor;
    SpringLoadingDestination spring{std::shared_ptr<MainExecutor>(&executor, [](MainExecutor*) {})};
    std::vector<WindowID> selected;
    int repaints = 0;
};

TEST_F(SpringLoadingTest, RestingOnAnInactiveTabSelectsItOnceAndMovingAwayAndBackArmsItAgain) {
    ASSERT_TRUE(spring.draggingEntered({"text/uri-list"}));
    const Tab active{1, true, false};
    const Tab minimised{2, false, true};
    const Tab plain{3, false, false};

    // Neither the active tab nor a minimised one springs.
    EXPECT_FALSE(spring.draggingUpdated(active));
    executor.advance(2);
    EXPECT_FALSE(spring.draggingUpdated(minimised));
    executor.advance(2);
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ(spring.highlightFor(2), Highlight::none);

    // An inactive tab lights up and springs after the delay, once.
    EXPECT_TRUE(spring.draggingUpdated(plain));
    EXPECT_EQ(spring.highlightFor(3), Highlight::standard);
    executor.advance(SpringLoadingDestination::springLoadingDelay - 0.01);
    EXPECT_TRUE(selected.empty());
    // Moving within the tab does not start the delay again.
    EXPECT_TRUE(spring.draggingUpdated(plain));
    executor.advance(0.01);
    EXPECT_EQ(selected, (std::vector<WindowID>{3}));
    EXPECT_EQ(spring.highlightFor(3), Highlight::emphasized);
    EXPECT_EQ(spring.highlightFor(1), Highlight::none);
    EXPECT_FALSE(spring.draggingUpdated(plain));
    executor.advance(2);
    EXPECT_EQ(selected.size(), 1u);
    EXPECT_EQ(spring.highlightFor(3), Highlight::none);

    // Off the tabs (the gap between them), then back: armed again.
    EXPECT_FALSE(spring.draggingUpdated(std::nullopt));
    EXPECT_FALSE(spring.springTarget());
    EXPECT_TRUE(spring.draggingUpdated(plain));
    executor.advance(1);
    EXPECT_EQ(selected, (std::vector<WindowID>{3, 3}));

    // Leaving the bar takes every highlight away and stops a running delay.
    const int before = repaints;
    EXPECT_TRUE(spring.draggingUpdated(Tab{4, false, false}));
    spring.draggingExited();
    executor.advance(1);
    EXPECT_EQ(selected.size(), 2u);
    EXPECT_GT(repaints, before);
    EXPECT_EQ(spring.highlightFor(4), Highlight::none);
    EXPECT_FALSE(spring.isTracking());
}

TEST_F(SpringLoadingTest, DragsThatOfferNothingKnownAreIgnored) {
    EXPECT_FALSE(spring.draggingEntered({"application/x-color"}));
    EXPECT_FALSE(spring.draggingUpdated(Tab{3, false, false}));
    executor.advance(2);
    spring.draggingExited();
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ(repaints, 0);

    // A new drag after one that left nothing behind starts clean.
    ASSERT_TRUE(spring.draggingEntered({"text/plain"}));
    EXPECT_TRUE(spring.draggingUpdated(Tab{3, false, false}));
    // The drop is refused: the drag ends over the bar without a selection.
    spring.draggingExited();
    executor.advance(2);
    EXPECT_TRUE(selected.empty());
}

}  // namespace
}  // namespace tessaly
