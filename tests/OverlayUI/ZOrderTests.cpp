// Ordering bars against windows: the two strategies, and the window
// server's restack reports that make the manager re-order at once.
#include "OverlayFixture.h"

#include <algorithm>
#include <set>
#include <thread>

#include "OverlayUI/SkyLightZOrderSync.h"
#include "OverlayUI/WindowRestackWatcher.h"

namespace tessaly {
namespace {

TEST(SkyLightZOrderSyncTest, EachPanelIsPrimedOnceThroughTheToolkitThenOrderedByTheWindowServer) {
    SimEnvironment env;
    auto stacking = std::make_shared<FakeStacking>();
    FakeOverlayPanel strip(stacking, 500);
    FakeOverlayPanel backing(stacking, 501);
    FakeOverlayPanel unmapped(stacking, 0);

    SkyLightZOrderSync sync(std::make_shared<SkyLight>(env.desktop));
    EXPECT_TRUE(sync.orderAbove(strip, 42));
    EXPECT_TRUE(sync.orderBelow(backing, 42));
    EXPECT_EQ(sync.primedPanels(), (std::set<WindowID>{500, 501}));
    EXPECT_EQ(strip.record->relativeOrders.size(), 1u);
    EXPECT_TRUE(env.desktop->committedOrderings().empty());

    EXPECT_TRUE(sync.orderAbove(strip, 42));
    EXPECT_TRUE(sync.orderBelow(backing, 43));
    EXPECT_EQ(strip.record->relativeOrders.size(), 1u);  // no toolkit ordering any more
    EXPECT_EQ(env.desktop->committedOrderings(),
              (std::vector<SimDesktop::Ordering>{{500, 1, 42}, {501, -1, 43}}));

    EXPECT_FALSE(sync.orderAbove(unmapped, 42));
    EXPECT_TRUE(unmapped.record->relativeOrders.empty());
}

TEST(SkyLightZOrderSyncTest, WithoutTheWindowServerFunctionsOnlyTheFirstOrderingSucceeds) {
    SimEnvironment env;
    env.desktop->setPrivateWindowServerAvailable(false);
    auto stacking = std::make_shared<FakeStacking>();
    FakeOverlayPanel strip(stacking, 500);
    SkyLightZOrderSync sync(std::make_shared<SkyLight>(env.desktop));
    EXPECT_TRUE(sync.orderAbove(strip, 42));
    EXPECT_FALSE(sync.orderAbove(strip, 42));
    EXPECT_EQ(strip.record->relativeOrders.size(), 1u);
}

// The simulated window server, with restack reports a test can send from a
// thread of its own, as the real one does.
class ReportingSymbols final : public PrivateSymbols {
public:
    explicit ReportingSymbols(std::shared_ptr<SimDesktop> desktop) : desktop_(std::move(desktop)) {}

    AXGetWindowFunction axGetWindow() override { return desktop_->axGetWindow(); }
    std::optional<WindowServerFunctions> openWindowServer() override {
        auto f = desktop_->openWindowServer();
        if (!f) return f;
        f->registerNotifyProc = [this](WindowServerNotifyProc proc, std::uint32_t event, void* context) {
            registrations.push_back({proc, event, context});
            return WindowServerError{0};
        };
        f->requestNotificationsForWindows = [this](WindowServerConnection, const WindowID* windows, std::int32_t n) {
            asked.insert(asked.end(), windows, windows + n);
            const bool refused = std::any_of(windows, windows + n, [&](WindowID w) { return unwatchable.contains(w); });
            return WindowServerError{refused ? 1000 : 0};
        };
        return f;
    }

    // Sends a report for `window` on another thread and waits for it to be handed over.
    void report(WindowID window, std::uint32_t event = WindowRestackWatcher::windowReorderedEvent) {
        std::thread sender([&] {
            for (const auto& r : registrations) {
                if (r.event != event) continue;
                WindowID data = window;
                r.proc(event, &data, sizeof data, r.context, 1);
            }
        });
        sender.join();
    }

    struct Registration {
        WindowServerNotifyProc proc;
        std::uint32_t event;
        void* context;
    };
    std::vector<Registration> registrations;
    std::vector<WindowID> asked;
    std::set<WindowID> unwatchable;  // asking about them fails (no frame yet, say)

private:
    std::shared_ptr<SimDesktop> desktop_;
};

TEST(WindowRestackWatcherTest, ReportsReachTheMainThreadOnlyWhileTheWatcherLives) {
    SimEnvironment env;
    auto symbols = std::make_shared<ReportingSymbols>(env.desktop);
    std::vector<WindowID> seen;
    auto watcher = std::make_unique<WindowRestackWatcher>(std::make_shared<SkyLight>(symbols), env.main,
                                                          [&](WindowID w) { seen.push_back(w); });
    ASSERT_TRUE(watcher->isAvailable());
    watcher->watch(42);
    watcher->watch(42);
    watcher->watch(0);
    EXPECT_EQ(symbols->asked, (std::vector<WindowID>{42}));

    symbols->report(42);
    symbols->report(42, SkyLight::Event::windowDestroyed);  // not listened for
    EXPECT_TRUE(seen.empty());  // not on the reporting thread
    env.main->runPending();
    EXPECT_EQ(seen, (std::vector<WindowID>{42}));

    // A report already on its way when the watcher goes, and one after.
    symbols->report(42);
    watcher.reset();
    symbols->report(42);
    env.main->runPending();
    EXPECT_EQ(seen.size(), 1u);
}

TEST(WindowRestackWatcherTest, WithoutTheNotificationFunctionsNothingIsWatched) {
    SimEnvironment env;
    env.desktop->setPrivateWindowServerAvailable(false);
    WindowRestackWatcher watcher(std::make_shared<SkyLight>(env.desktop), env.main, [](WindowID) {});
    EXPECT_FALSE(watcher.isAvailable());
    watcher.watch(42);
    EXPECT_FALSE(watcher.isWatching(42));
}

class RestackReportsTest : public OverlayFixture {
protected:
    RestackReportsTest() {
        PlatformServices services = env.services;
        services.privateSymbols = symbols;
        manager = makeManager(services);
    }
    std::shared_ptr<ReportingSymbols> symbols = std::make_shared<ReportingSymbols>(env.desktop);
};

TEST_F(RestackReportsTest, ARestackedActiveWindowGetsItsBarBackWithoutWaitingForTheTick) {
    TabGroup group = makeGroup({101, 102});
    TabGroup other = makeGroup({201, 202}, Rect(1000, 200, 500, 400));
    manager->apply(GroupEvent::groupCreated(group));
    manager->apply(GroupEvent::groupCreated(other));
    EXPECT_EQ(symbols->asked, (std::vector<WindowID>{101, 201}));

    // The window manager raises the group's window over its bar.
    factory->stacking->push(101);
    const auto otherOrders = barOf(other).strip->relativeOrders.size();
    symbols->report(101);
    env.main->runPending();
    EXPECT_TRUE(isOrderedAtActive(group));
    EXPECT_EQ(barOf(other).strip->relativeOrders.size(), otherOrders);  // only the affected bar

    // The next active window is watched as soon as the group renders it.
    group.activeWindowID = 102;
    manager->apply(GroupEvent::groupChanged(group));
    EXPECT_EQ(symbols->asked.back(), 102u);

    // After shut-down reports change nothing.
    manager->shutdown();
    symbols->report(102);
    EXPECT_EQ(env.main->runPending(), 0u);
}

TEST_F(RestackReportsTest, TheTickLeavesABarInPlaceUntilItsWindowIsReportedOrTheFullRoundComes) {
    TabGroup group = makeGroup({101, 102});
    manager->apply(GroupEvent::groupCreated(group));
    const auto orders = [&] { return barOf(group).strip->relativeOrders.size(); };
    const std::size_t rendered = orders();

    // Ordered since its window's last report: the ticks leave it alone...
    env.main->advance(OverlayManager::tickInterval * (OverlayManager::fullReorderTicks - 1));
    EXPECT_EQ(orders(), rendered);
    // ...but for the full round, which catches a restack nobody reported.
    factory->stacking->push(101);
    env.main->advance(OverlayManager::tickInterval);
    EXPECT_EQ(orders(), rendered + 1);
    EXPECT_TRUE(isOrderedAtActive(group));

    // A reported restack re-orders at once, and the bar is in place again.
    factory->stacking->push(101);
    symbols->report(101);
    env.main->runPending();
    EXPECT_TRUE(isOrderedAtActive(group));
    const std::size_t reported = orders();
    env.main->advance(OverlayManager::tickInterval * (OverlayManager::fullReorderTicks - 1));
    EXPECT_EQ(orders(), reported);

}

// Where there is no overview to probe and restacks are reported (X11).
class RestingOverlayTest : public RestackReportsTest {
protected:
    RestingOverlayTest() {
        env.desktop->setHasOverview(false);
        PlatformServices services = env.services;
        services.privateSymbols = symbols;
        manager = makeManager(services);
    }
    std::size_t orders(const TabGroup& group) { return barOf(group).strip->relativeOrders.size(); }
};

TEST_F(RestingOverlayTest, NothingRunsButASlowSafetyPassUnlessABarWaitsForItsOrder) {
    EXPECT_TRUE(manager->ticksOnlyWhenNeeded());
    EXPECT_EQ(env.main->pendingTimerCount(), 0u) << "no bar, nothing to do";
    TabGroup group = makeGroup({101, 102});
    manager->apply(GroupEvent::groupCreated(group));
    ASSERT_TRUE(isOrderedAtActive(group));
    EXPECT_EQ(env.main->nextTimerDelay(), OverlayManager::safetyPassInterval);

    // At rest a bar in place is left alone, pass after pass.
    const std::size_t placed = orders(group);
    env.main->advance(OverlayManager::safetyPassInterval * 3);
    EXPECT_EQ(orders(group), placed);

    // A restack nobody reported: the next pass puts the bar back.
    factory->stacking->push(101);
    env.main->advance(OverlayManager::safetyPassInterval);
    EXPECT_TRUE(isOrderedAtActive(group));
    EXPECT_EQ(orders(group), placed + 1);

    // A window whose restacks cannot be watched yet: the tick orders its bar
    // until they can, then rests again.
    symbols->unwatchable.insert(201);
    TabGroup waiting = makeGroup({201, 202}, Rect(1000, 200, 500, 400));
    manager->apply(GroupEvent::groupCreated(waiting));
    EXPECT_EQ(env.main->nextTimerDelay(), OverlayManager::tickInterval);
    env.main->advance(OverlayManager::tickInterval * 2);
    EXPECT_EQ(orders(waiting), 3u);
    EXPECT_EQ(orders(group), placed + 1) << "only the bar that waits";
    symbols->unwatchable.clear();
    env.main->advance(OverlayManager::tickInterval * 4);
    EXPECT_EQ(orders(waiting), 4u);
    EXPECT_GT(env.main->nextTimerDelay().value_or(0), OverlayManager::tickInterval);

    // The last bar gone, nothing runs at all.
    manager->apply(GroupEvent::groupDissolved(group.id));
    manager->apply(GroupEvent::groupDissolved(waiting.id));
    EXPECT_EQ(env.main->pendingTimerCount(), 0u);
}

}  // namespace
}  // namespace tessaly
