// Builds the recording fake the way other test programs include it.
#include "OverlayUI/FakeOverlay.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(FakeOverlayTest, PlacingAFakeBarStacksItsBackingBelowItsStrip) {
    FakeOverlayFactory factory;
    factory.stacking->push(5);
    auto bar = factory.makeTabBarPanel(Uuid::random());
    TabStripGeometry::BarLayout layout;
    layout.placement.frame = Rect(0, 0, 100, 30);
    layout.backingFrame = Rect(0, 30, 100, 18);
    bar->place(layout);
    const auto& record = *factory.bars.front();
    EXPECT_TRUE(record.isShown);
    EXPECT_TRUE(factory.stacking->isDirectlyAbove(record.stripNumber(), record.backingNumber()));
}

}  // namespace
}  // namespace tessaly
