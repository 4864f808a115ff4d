#include <gtest/gtest.h>

#include "AXKit/DockBadgeReader.h"
#include "AXKit/URLText.h"
#include "Platform/Sim/SimEnvironment.h"

namespace tessaly {
namespace {

TEST(DockBadgeReader, NoDockGivesNothingAndAClearedCache) {
    SimEnvironment env;
    DockBadgeReader reader(env.services.dockBadges);
    env.desktop->setDockTiles({{"3", "file:///usr/share/applications/mail.desktop"}});
    EXPECT_TRUE(reader.read().empty());
    env.desktop->setDockProcess(50);
    EXPECT_EQ(reader.read(), (BadgeMap{{"/usr/share/applications/mail.desktop", "3"}}));
    EXPECT_EQ(reader.dockPID(), 50);
    env.desktop->setDockProcess(std::nullopt);
    EXPECT_TRUE(reader.read().empty());
    EXPECT_FALSE(reader.dockPID().has_value());
    env.desktop->setDockProcess(51);  // a restarted host
    EXPECT_EQ(reader.read().size(), 1u);
    EXPECT_EQ(reader.dockPID(), 51);
}

TEST(DockBadgeReader, SkipsEmptyLabelsAndMissingLocationsLaterTileWins) {
    SimEnvironment env;
    env.desktop->setDockProcess(50);
    env.desktop->setDockTiles({
        {"", "file:///apps/a.desktop"},
        {"2", std::nullopt},
        {std::nullopt, "file:///apps/b.desktop"},
        {"1", "file:///apps/c.desktop"},
        {"9", "file:///apps/x/../c.desktop"},
        {"!", "file:///apps/./my%20app.desktop/"},
    });
    DockBadgeReader reader(env.services.dockBadges);
    EXPECT_EQ(reader.read(), (BadgeMap{{"/apps/c.desktop", "9"}, {"/apps/my app.desktop", "!"}}));
}

TEST(DockBadgeReader, HungHostAnswersNothingAfterItsTimeout) {
    SimEnvironment env;
    env.desktop->addApplication({50, "", "Launcher", ""});
    env.desktop->setDockProcess(50);
    env.desktop->setDockTiles({{"1", "/apps/a.desktop"}});
    env.desktop->hang(50);
    DockBadgeReader reader(env.services.dockBadges);
    const double before = env.clock->monotonic();
    EXPECT_TRUE(reader.read().empty());
    EXPECT_DOUBLE_EQ(env.clock->monotonic() - before, 0.25);
}

TEST(StandardizedFilePath, ResolvesDotsSchemesAndSlashes) {
    EXPECT_EQ(standardizedFilePath("file:///Applications/Mail.app/"), "/Applications/Mail.app");
    EXPECT_EQ(standardizedFilePath("file://localhost/a/./b/../c"), "/a/c");
    EXPECT_EQ(standardizedFilePath("/a//b/"), "/a/b");
    EXPECT_EQ(standardizedFilePath("/../a"), "/a");
    EXPECT_EQ(standardizedFilePath("file:///a%2Fb%20c"), "/a/b c");
}

}  // namespace
}  // namespace tessaly
