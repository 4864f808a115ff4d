#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Sim/SimEnvironment.h"
#include "Platform/Sim/SimFixtures.h"

namespace tessaly {
namespace {

class SimDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.desktop->addApplication({10, "org.example.A", "Alpha", "/apps/a.desktop"});
        env.desktop->addApplication({20, "org.example.B", "Beta", "/apps/b.desktop"});
        add(1, 10, Rect(0, 30, 100, 100));
        add(2, 20, Rect(50, 30, 100, 100));
    }

    void add(WindowID id, ProcessID pid, Rect frame) {
        env.desktop->addWindow(testing::simWindow(id, pid, frame, "w" + std::to_string(id)));
    }

    void watchAll() {
        for (const auto kind : {WorkspaceNotification::didActivateApplication,
                                WorkspaceNotification::didTerminateApplication,
                                WorkspaceNotification::activeSpaceDidChange, WorkspaceNotification::willSleep,
                                WorkspaceNotification::didWake, WorkspaceNotification::screensDidSleep,
                                WorkspaceNotification::screensDidWake,
                                WorkspaceNotification::screenParametersDidChange}) {
            observers.push_back(env.desktop->addObserver(kind, [this](const WorkspaceEvent& e) { seen.push_back(e.kind); }));
        }
    }

    SimEnvironment env;
    std::vector<Subscription> observers;
    std::vector<WorkspaceNotification> seen;
};

TEST_F(SimDesktopTest, WorkspaceNotificationsWaitForTheMainQueue) {
    watchAll();
    env.desktop->switchSpace(1);  // only one Space: nothing
    env.desktop->setSpaceCount(3);
    env.desktop->switchSpace(2);
    env.desktop->sleep();
    env.desktop->wake();
    env.desktop->screensSleep();
    env.desktop->screensWake();
    env.desktop->setDisplays({DisplayInfo{1, "A", Rect(0, 0, 800, 600), Rect(0, 25, 800, 575)}});
    env.desktop->bringToFront(20);
    env.desktop->terminate(10);
    EXPECT_TRUE(seen.empty());
    env.main->runPending();
    using N = WorkspaceNotification;
    EXPECT_EQ(seen, (std::vector<N>{N::activeSpaceDidChange, N::willSleep, N::didWake, N::screensDidSleep,
                                    N::screensDidWake, N::screenParametersDidChange, N::didActivateApplication,
                                    N::didTerminateApplication}));
    EXPECT_EQ(env.desktop->currentSpace(), 2u);
    EXPECT_EQ(env.desktop->screens().front().visibleFrame, Rect(0, 25, 800, 575));
}

TEST_F(SimDesktopTest, TerminatedApplicationsLeaveNoWindowsAndFailRequests) {
    env.desktop->terminate(10);
    EXPECT_FALSE(env.desktop->window(1).has_value());
    EXPECT_EQ(env.desktop->stacking(), std::vector<WindowID>{2});
    EXPECT_FALSE(env.desktop->runningApplication(10).has_value());
    EXPECT_EQ(env.desktop->runningApplications().size(), 1u);
    EXPECT_EQ(env.desktop->copyAttributeValue(AXElement::application(10), "AXWindows", 1.0).error,
              AXError::invalidElement);
    EXPECT_EQ(env.desktop->createObserver(10), nullptr);
    EXPECT_FALSE(env.desktop->activate(10));
}

TEST_F(SimDesktopTest, LateAndHungApplicationsCostVirtualTime) {
    env.desktop->setLatency(10, 0.3);
    const double t0 = env.clock->monotonic();
    EXPECT_TRUE(env.desktop->copyAttributeValue(SimDesktop::windowElement(10, 1), "AXTitle", 1.0).ok());
    EXPECT_NEAR(env.clock->monotonic() - t0, 0.3, 1e-9);
    EXPECT_EQ(env.desktop->copyAttributeValue(SimDesktop::windowElement(10, 1), "AXTitle", 0.25).error,
              AXError::cannotComplete);
    EXPECT_NEAR(env.clock->monotonic() - t0, 0.55, 1e-9);
    env.desktop->hang(10);
    EXPECT_EQ(env.desktop->setAttributeValue(SimDesktop::windowElement(10, 1), "AXPosition", Point{1, 1}, 0),
              AXError::cannotComplete);
    EXPECT_NEAR(env.clock->monotonic() - t0, 0.55 + SimDesktop::defaultMessagingTimeout, 1e-9);
    EXPECT_EQ(env.desktop->window(1)->frame(), Rect(0, 30, 100, 100));
}

TEST_F(SimDesktopTest, UntrustedProcessIsRefused) {
    env.desktop->setTrusted(false);
    EXPECT_EQ(env.desktop->copyAttributeValue(AXElement::application(10), "AXWindows", 1.0).error,
              AXError::apiDisabled);
    EXPECT_EQ(env.desktop->createObserver(10), nullptr);
}

TEST_F(SimDesktopTest, ClampedFramesAndFullScreenRoundTrip) {
    env.desktop->setFrameBehaviour(1, {SimFrameBehaviour::Kind::clamp, Size{200, 150}, Size{400, 300}});
    const AXElement w = SimDesktop::windowElement(10, 1);
    env.desktop->setAttributeValue(w, "AXSize", Size{1000, 100}, 1.0);
    EXPECT_EQ(env.desktop->window(1)->frame(), Rect(0, 30, 400, 150));
    env.desktop->setFullScreen(1, true);
    EXPECT_EQ(env.desktop->window(1)->frame(), Rect(0, 0, 1920, 1080));
    env.desktop->setFullScreen(1, false);
    EXPECT_EQ(env.desktop->window(1)->frame(), Rect(0, 30, 400, 150));
}

TEST_F(SimDesktopTest, ObserversGetOnlyRegisteredNotificationsOnTheirThread) {
    auto observer = env.desktop->createObserver(10);
    ASSERT_NE(observer, nullptr);
    auto thread = env.queues->makeSerialQueue("observer");
    std::vector<std::string> names;
    observer->start(thread, [&](const AXElement&, const std::string& name) { names.push_back(name); });
    EXPECT_EQ(observer->addNotification(SimDesktop::windowElement(10, 1), "AXWindowMoved"), AXError::success);
    EXPECT_EQ(observer->addNotification(SimDesktop::windowElement(10, 1), "AXWindowMoved"),
              AXError::notificationAlreadyRegistered);
    env.desktop->moveWindow(1, Rect(5, 30, 100, 100));
    env.desktop->moveWindow(1, Rect(5, 30, 120, 100));  // resized: not registered
    env.desktop->moveWindow(2, Rect(0, 30, 10, 10));    // another application
    EXPECT_TRUE(names.empty());
    env.queues->runAll();
    EXPECT_EQ(names, std::vector<std::string>{"AXWindowMoved"});
    EXPECT_EQ(observer->removeNotification(SimDesktop::windowElement(10, 1), "AXWindowMoved"), AXError::success);
    EXPECT_EQ(observer->removeNotification(SimDesktop::windowElement(10, 1), "AXWindowMoved"),
              AXError::notificationNotRegistered);
    observer->invalidate();
    observer->invalidate();
    EXPECT_EQ(env.desktop->liveObserverCount(), 0);
}

TEST_F(SimDesktopTest, WindowListOptionsAndActivation) {
    EXPECT_EQ(env.desktop->frontmostApplication(), std::nullopt);
    EXPECT_TRUE(env.desktop->activate(10));
    EXPECT_EQ(env.desktop->frontmostApplication()->pid, 10);
    EXPECT_EQ(env.desktop->stacking().front(), 1u);  // its focused window came forward
    const auto only = env.desktop->copyWindowInfo(WindowListOption::includingWindow, 2);
    ASSERT_EQ(only->size(), 1u);
    EXPECT_EQ(only->front().number, 2u);
    EXPECT_EQ(only->front().ownerName, "Beta");
    env.desktop->foldIntoTabs(1, 1);  // not into itself
    add(3, 10, Rect(0, 0, 10, 10));
    env.desktop->foldIntoTabs(3, 1);
    const auto onScreen = env.desktop->copyWindowInfo(WindowListOption::onScreenOnly, 0);
    EXPECT_EQ(onScreen->size(), 2u);  // 3 is folded away
    env.desktop->unfoldFromTabs(3);
    EXPECT_EQ(env.desktop->window(1)->nativeTabs, 0);
    EXPECT_EQ(env.desktop->copyWindowInfo(WindowListOption::onScreenOnly, 0)->size(), 3u);
}

TEST_F(SimDesktopTest, PrivateLookupsOutliveNothing) {
    AXGetWindowFunction getWindow = env.desktop->axGetWindow();
    WindowID id = 0;
    EXPECT_EQ(getWindow(SimDesktop::windowElement(10, 1), &id), AXError::success);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(getWindow(AXElement::application(10), &id), AXError::invalidElement);
    env.desktop.reset();
    env.services = PlatformServices{};
    EXPECT_EQ(getWindow(SimDesktop::windowElement(10, 1), &id), AXError::invalidElement);
}

}  // namespace
}  // namespace tessaly
