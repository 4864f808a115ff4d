#include <gtest/gtest.h>

#include <vector>

#include "Platform/Sim/SimEnvironment.h"
#include "Platform/Sim/SimFixtures.h"
#include "TessalyCore/WindowDiscovery.h"

namespace tessaly {
namespace {

class WindowDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.desktop->addApplication({10, "org.example.A", "Alpha", ""});
        env.desktop->addApplication({20, "org.example.B", "", ""});
        add(1, 10, Rect(0, 30, 500, 500));
        add(2, 20, Rect(100, 100, 300, 300));
        add(3, 10, Rect(200, 200, 100, 100));  // frontmost
    }

    void add(WindowID id, ProcessID pid, Rect frame) { env.desktop->addWindow(testing::simWindow(id, pid, frame)); }

    std::vector<WindowID> ids(const std::vector<DiscoveredWindow>& list) {
        std::vector<WindowID> out;
        for (const auto& w : list) out.push_back(w.windowID);
        return out;
    }

    SimEnvironment env;
    WindowDiscovery discovery{env.services.windowList};
};

TEST_F(WindowDiscoveryTest, ListsFrontToBackWithOwnerAndState) {
    env.desktop->setMinimized(1, true);
    const auto all = discovery.allWindows(false);
    EXPECT_EQ(ids(all), (std::vector<WindowID>{3, 2, 1}));
    EXPECT_EQ(all[0].ownerName, "Alpha");
    EXPECT_FALSE(all[1].ownerName.has_value());  // an owner without a name
    EXPECT_FALSE(all[2].isOnScreen);
    EXPECT_EQ(ids(discovery.allWindows(true)), (std::vector<WindowID>{3, 2}));
}

TEST_F(WindowDiscoveryTest, DesktopElementsOtherSpacesAndHiddenApplications) {
    SimWindowSpec desktopIcons;
    desktopIcons.id = 9;
    desktopIcons.pid = 20;
    desktopIcons.frame = Rect(0, 0, 1920, 1080);
    desktopIcons.isDesktopElement = true;
    env.desktop->addWindow(desktopIcons);
    env.desktop->setSpaceCount(2);
    env.desktop->moveWindowToSpace(2, 1);
    env.desktop->setHidden(10, true);
    EXPECT_EQ(ids(discovery.allWindows(false)), (std::vector<WindowID>{3, 2, 1}));
    EXPECT_TRUE(discovery.allWindows(true).empty());
    env.desktop->switchSpace(1);
    EXPECT_EQ(ids(discovery.allWindows(true)), std::vector<WindowID>{2});
}

TEST_F(WindowDiscoveryTest, EntriesWithoutTheEssentialsAreLeftOut) {
    env.desktop->setWindowListHook([](std::vector<WindowInfo>& list) {
        list[0].layer.reset();     // 3
        list[1].alpha.reset();     // 2
        list[1].isOnScreen.reset();
        list[2].ownerPID.reset();  // 1
        WindowInfo noNumber;
        noNumber.ownerPID = 5;
        noNumber.bounds = Rect(0, 0, 1, 1);
        noNumber.layer = 0;
        list.push_back(noNumber);
        WindowInfo badBounds = noNumber;
        badBounds.number = 77;
        badBounds.bounds = Rect::null();
        list.push_back(badBounds);
    });
    const auto full = discovery.allWindows(false);
    ASSERT_EQ(ids(full), std::vector<WindowID>{2});
    EXPECT_EQ(full[0].alpha, 1.0);
    EXPECT_FALSE(full[0].isOnScreen);  // the full list assumes off screen
    const auto onScreen = discovery.allWindows(true);
    ASSERT_EQ(ids(onScreen), std::vector<WindowID>{2});
    EXPECT_TRUE(onScreen[0].isOnScreen);  // the on-screen list assumes on screen
}

TEST_F(WindowDiscoveryTest, UnavailableListAndVanishedWindows) {
    EXPECT_EQ(discovery.frame(2), Rect(100, 100, 300, 300));
    env.desktop->destroyWindow(2);
    EXPECT_FALSE(discovery.frame(2).has_value());
    env.desktop->setWindowListUnavailable(true);
    EXPECT_TRUE(discovery.allWindows(false).empty());
    EXPECT_FALSE(discovery.frame(1).has_value());
    EXPECT_FALSE(discovery.topmostWindow(Point{250, 250}, {}, {}).has_value());
}

TEST_F(WindowDiscoveryTest, TopmostSkipsLevelsFaintWindowsAndExclusions) {
    EXPECT_EQ(discovery.topmostWindow(Point{250, 250}, {}, {})->windowID, 3u);
    EXPECT_EQ(discovery.topmostWindow(Point{250, 250}, {3}, {})->windowID, 2u);
    EXPECT_EQ(discovery.topmostWindow(Point{250, 250}, {}, {10, 20}), std::nullopt);
    EXPECT_EQ(discovery.topmostWindow(Point{250, 250}, {2, 3}, {})->windowID, 1u);

    env.desktop->setLayerAndAlpha(3, 0, 0.05);  // exactly the limit: ignored
    EXPECT_EQ(discovery.topmostWindow(Point{250, 250}, {}, {})->windowID, 2u);
    env.desktop->setLayerAndAlpha(3, 0, 0.06);
    EXPECT_EQ(discovery.topmostWindow(Point{250, 250}, {}, {})->windowID, 3u);
    env.desktop->setLayerAndAlpha(3, WindowLayer::floating, 1.0);
    EXPECT_EQ(discovery.topmostWindow(Point{250, 250}, {}, {})->windowID, 2u);
}

TEST_F(WindowDiscoveryTest, RightAndBottomEdgesAreOutside) {
    EXPECT_EQ(discovery.topmostWindow(Point{300, 250}, {}, {})->windowID, 2u);  // right edge of 3
    EXPECT_EQ(discovery.topmostWindow(Point{200, 200}, {}, {})->windowID, 3u);  // its top-left corner
    EXPECT_EQ(discovery.topmostWindow(Point{400, 399}, {}, {})->windowID, 1u);  // right edge of 2
    EXPECT_FALSE(discovery.topmostWindow(Point{250, 530}, {}, {}).has_value());  // bottom edge of 1
}

}  // namespace
}  // namespace tessaly
