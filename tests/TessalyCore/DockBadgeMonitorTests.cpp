#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Platform/Sim/SimEnvironment.h"
#include "TessalyCore/DockBadgeMonitor.h"

namespace tessaly {
namespace {

using Paths = std::set<std::string>;

class DockBadgeMonitorTest : public ::testing::Test {
protected:
    DockBadgeMonitorTest() {
        monitor.onChange = [this](const Paths& paths) { changes.push_back(paths); };
    }

    void run() {
        env.queues->runAll();
        env.main->runPending();
    }

    SimEnvironment env;
    BadgeMap current;
    int reads = 0;
    DockBadgeMonitor monitor{[this] {
                                 ++reads;
                                 return current;
                             },
                             env.main, *env.queues};
    std::vector<Paths> changes;
};

TEST_F(DockBadgeMonitorTest, SwitchingOnReadsAtOnceThenEveryInterval) {
    current = {{"/apps/mail", "3"}};
    monitor.setActive(true);
    monitor.setActive(true);
    EXPECT_EQ(env.main->pendingTimerCount(), 1u);
    EXPECT_EQ(env.queues->queuedCount(DockBadgeMonitor::queueLabel), 1u);
    run();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(monitor.badges(), current);
    EXPECT_EQ(changes, std::vector<Paths>{{"/apps/mail"}});

    current = {{"/apps/mail", "4"}, {"/apps/chat", "1"}};
    env.main->advance(DockBadgeMonitor::defaultInterval);
    run();
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(changes.back(), (Paths{"/apps/mail", "/apps/chat"}));

    env.main->advance(DockBadgeMonitor::defaultInterval);  // nothing changed
    run();
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(changes.size(), 2u);

    current = {{"/apps/chat", "1"}};
    env.main->advance(DockBadgeMonitor::defaultInterval);
    run();
    EXPECT_EQ(changes.back(), Paths{"/apps/mail"});
}

TEST_F(DockBadgeMonitorTest, SwitchingOffReportsEveryBadgedPath) {
    monitor.setActive(false);
    EXPECT_TRUE(changes.empty());
    monitor.setActive(true);
    run();  // no badges
    monitor.setActive(false);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(env.main->pendingTimerCount(), 0u);

    current = {{"/a", "1"}, {"/b", "2"}};
    monitor.setActive(true);
    run();
    changes.clear();
    monitor.setActive(false);
    EXPECT_EQ(changes, (std::vector<Paths>{{"/a", "/b"}}));
    EXPECT_TRUE(monitor.badges().empty());
}

TEST_F(DockBadgeMonitorTest, OneReadAtATime) {
    monitor.setActive(true);  // a read is in flight
    env.main->advance(DockBadgeMonitor::defaultInterval * 3);
    EXPECT_EQ(env.queues->queuedCount(DockBadgeMonitor::queueLabel), 1u);
    run();
    EXPECT_EQ(reads, 1);
}

TEST_F(DockBadgeMonitorTest, ReadReturningAfterSwitchOffIsDropped) {
    current = {{"/a", "1"}};
    monitor.setActive(true);
    monitor.setActive(false);
    run();
    EXPECT_TRUE(monitor.badges().empty());
    EXPECT_TRUE(changes.empty());

    // Switched on again while a read is out: no second read, and the
    // returning one counts as a normal poll.
    monitor.setActive(true);
    monitor.setActive(false);
    monitor.setActive(true);
    EXPECT_EQ(env.queues->queuedCount(DockBadgeMonitor::queueLabel), 1u);
    run();
    EXPECT_EQ(monitor.badges(), current);
    EXPECT_EQ(changes, std::vector<Paths>{{"/a"}});
}

TEST_F(DockBadgeMonitorTest, ReadsAfterTheMonitorIsGoneAreHarmless) {
    auto owned = std::make_unique<DockBadgeMonitor>([] { return BadgeMap{{"/a", "1"}}; }, env.main, *env.queues);
    owned->onChange = [](const Paths&) { FAIL(); };
    owned->setActive(true);
    owned.reset();
    run();
    EXPECT_EQ(env.main->pendingTimerCount(), 0u);
}

TEST(DockBadgeMonitorPaths, ChangedPaths) {
    EXPECT_TRUE(DockBadgeMonitor::changedPaths({}, {}).empty());
    EXPECT_EQ(DockBadgeMonitor::changedPaths({{"/a", "3"}, {"/b", "1"}, {"/c", "x"}},
                                             {{"/a", "4"}, {"/b", "1"}, {"/d", "y"}}),
              (Paths{"/a", "/c", "/d"}));
}

TEST(DockBadgeMonitorReader, WorksWithTheBadgeReader) {
    SimEnvironment env;
    env.desktop->setDockProcess(40);
    env.desktop->setDockTiles({{"5", "file:///usr/share/applications/mail.desktop"}});
    auto reader = std::make_shared<DockBadgeReader>(env.services.dockBadges);
    DockBadgeMonitor monitor([reader] { return reader->read(); }, env.main, *env.queues);
    monitor.setActive(true);
    env.settle();
    EXPECT_EQ(monitor.badges(), (BadgeMap{{"/usr/share/applications/mail.desktop", "5"}}));
}

}  // namespace
}  // namespace tessaly
