// The overlay manager driven as the session drives it, on the simulated
// desktop with the recording toolkit fake.
#include "OverlayFixture.h"

#include <limits>
#include <string>

#include "TessalyCore/MissionControl.h"

namespace tessaly {
namespace {

using Mode = TabStripGeometry::Placement::Mode;

class OverlayManagerTest : public OverlayFixture {};

TEST_F(OverlayManagerTest, AGroupsLifeDrawsPlacesOrdersAndClosesOneBar) {
    TabGroup group = makeGroup({101, 102, 103});
    group.members[1].titleOverride = "Renamed";
    group.members[1].lastKnownTitle = "Changed since";
    group.members[2].accent = TabColor(1, 0, 0);
    group.minimized.insert(103);
    manager->badgeProvider = [](ProcessID pid) {
        return pid == 12 ? std::optional<std::string>("3") : std::nullopt;
    };

    manager->apply(GroupEvent::groupCreated(group));

    ASSERT_EQ(factory->bars.size(), 1u);
    const FakeBarRecord& bar = barOf(group);
    ASSERT_EQ(bar.renders.size(), 1u);
    const auto& tabs = bar.lastRender().tabs;
    ASSERT_EQ(tabs.size(), 3u);
    EXPECT_EQ(tabs[0].title, "Window 101");
    EXPECT_TRUE(tabs[0].isActive);
    EXPECT_EQ(tabs[1].title, "Renamed");  // the override wins over the last known title
    EXPECT_EQ(tabs[1].badge, std::optional<std::string>("3"));
    EXPECT_FALSE(tabs[0].badge);
    EXPECT_TRUE(tabs[2].isSuspended);  // minimised counts as suspended
    EXPECT_EQ(tabs[2].accent, TabColor(1, 0, 0));
    EXPECT_EQ(tabs[0].icon, icons->icons[11]);

    // Placed above the frame, with its backing under the window's top edge.
    ASSERT_TRUE(bar.lastPlacement());
    EXPECT_EQ(bar.lastPlacement()->placement.mode, Mode::above);
    EXPECT_EQ(bar.lastPlacement()->placement.frame, Rect(200, 270, 800, 30));
    EXPECT_EQ(bar.lastPlacement()->backingFrame, Rect(200, 300, 800, TabStripGeometry::backingReach));
    EXPECT_TRUE(bar.isShown);
    EXPECT_TRUE(isOrderedAtActive(group));
    EXPECT_EQ(manager->groupIDForPanelWindowNumber(bar.stripNumber()), group.id);
    EXPECT_FALSE(manager->groupIDForPanelWindowNumber(bar.backingNumber()));

    // A change redraws the same bar and orders it at the new active window.
    group.activeWindowID = 102;
    group.frame = Rect(250, 350, 700, 500);
    manager->apply(GroupEvent::groupChanged(group));
    EXPECT_EQ(factory->bars.size(), 1u);
    EXPECT_EQ(bar.renders.size(), 2u);
    EXPECT_EQ(bar.lastPlacement()->placement.frame, Rect(250, 320, 700, 30));
    EXPECT_TRUE(isOrderedAtActive(group));

    // A title change only touches that tab.
    manager->apply(GroupEvent::memberTitleChanged(group.id, 101, "New title"));
    EXPECT_EQ(bar.renders.size(), 2u);
    EXPECT_EQ(bar.placements.size(), 2u);
    ASSERT_EQ(bar.titleUpdates.size(), 1u);
    EXPECT_EQ(bar.titleUpdates[0], std::make_pair(WindowID{101}, std::string("New title")));

    manager->apply(GroupEvent::groupDissolved(group.id));
    EXPECT_TRUE(bar.isClosed);
    EXPECT_FALSE(bar.alive);
    EXPECT_FALSE(manager->hasBar(group.id));
    EXPECT_FALSE(factory->stacking->contains(bar.stripNumber()));
    // Events for a group without a bar change nothing.
    manager->apply(GroupEvent::memberTitleChanged(group.id, 101, "Late"));
    manager->apply(GroupEvent::groupDissolved(group.id));
    EXPECT_EQ(bar.titleUpdates.size(), 1u);
    EXPECT_EQ(factory->bars.size(), 1u);
}

TEST_F(OverlayManagerTest, AFullyMinimisedGroupKeepsItsBarHiddenUntilAMemberIsRestored) {
    TabGroup group = makeGroup({101, 102});
    manager->apply(GroupEvent::groupCreated(group));
    FakeBarRecord& bar = barOf(group);

    group.minimized = {101, 102};
    manager->apply(GroupEvent::groupChanged(group));
    EXPECT_FALSE(bar.isShown);
    EXPECT_EQ(bar.renders.size(), 1u);  // the hidden path does not refresh the tabs
    EXPECT_TRUE(manager->hasBar(group.id));

    // Moving a hidden bar's group never shows the bar.
    manager->movePanel(group.id, Rect(0, 400, 500, 400));
    EXPECT_FALSE(bar.isShown);

    group.minimized = {102};
    manager->apply(GroupEvent::groupChanged(group));
    EXPECT_TRUE(bar.isShown);
    EXPECT_EQ(bar.renders.size(), 2u);
    EXPECT_TRUE(isOrderedAtActive(group));
}

TEST_F(OverlayManagerTest, SpacePresenceHidesOnceAndShowsAfreshOnReturnOrReplace) {
    TabGroup group = makeGroup({101, 102});
    // Without a bar nothing is remembered.
    manager->setSpacePresence(group, false, false);
    manager->apply(GroupEvent::groupCreated(group));
    FakeBarRecord& bar = barOf(group);
    EXPECT_TRUE(bar.isShown);

    manager->setSpacePresence(group, false, false);
    manager->setSpacePresence(group, false, false);
    EXPECT_FALSE(bar.isShown);
    EXPECT_EQ(bar.hideCount, 1);
    // A render while away keeps it hidden; a move does too.
    manager->apply(GroupEvent::groupChanged(group));
    manager->movePanel(group.id, Rect(10, 400, 500, 300));
    EXPECT_FALSE(bar.isShown);

    group.frame = Rect(10, 400, 500, 300);
    manager->setSpacePresence(group, true, false);
    EXPECT_TRUE(bar.isShown);
    EXPECT_EQ(bar.lastPlacement()->placement.frame, Rect(10, 370, 500, 30));
    EXPECT_TRUE(isOrderedAtActive(group));

    // Present and not replaced: nothing happens.
    const auto renders = bar.renders.size();
    manager->setSpacePresence(group, true, false);
    EXPECT_EQ(bar.renders.size(), renders);
    // The first sweep after a Space change orders a shown bar out and in afresh.
    const int shows = bar.showCount;
    manager->setSpacePresence(group, true, true);
    EXPECT_EQ(bar.renders.size(), renders + 1);
    EXPECT_EQ(bar.showCount, shows + 1);
    EXPECT_TRUE(bar.isShown);
}

TEST_F(OverlayManagerTest, ASeamHiddenBarStaysHiddenUntilTheLiveFollowMovesItAgain) {
    TabGroup group = makeGroup({101, 102});
    manager->setBarSeamHidden(true, group.id);  // no bar: not remembered
    manager->apply(GroupEvent::groupCreated(group));
    FakeBarRecord& bar = barOf(group);
    ASSERT_TRUE(bar.isShown);

    manager->setBarSeamHidden(true, group.id);
    EXPECT_FALSE(bar.isShown);
    manager->movePanel(group.id, Rect(900, 300, 800, 600));
    EXPECT_FALSE(bar.isShown);  // straddling: the move does not show it
    manager->setBarSeamHidden(false, group.id);
    EXPECT_FALSE(bar.isShown);  // nothing shows until the next move or render

    manager->movePanel(group.id, Rect(300, 300, 800, 600));
    EXPECT_TRUE(bar.isShown);
    EXPECT_EQ(bar.lastPlacement()->placement.frame, Rect(300, 270, 800, 30));
    EXPECT_EQ(bar.renders.size(), 1u);  // moved, not redrawn
    EXPECT_TRUE(isOrderedAtActive(group));
}

TEST_F(OverlayManagerTest, TheOverviewHidesBarsAndTheirGroupsCatchUpWhenItEnds) {
    int probes = 0;
    bool overview = false;
    manager->missionControlProbe = [&] {
        ++probes;
        return overview;
    };
    // No bar shown: the probe is not even asked.
    env.main->advance(1.0);
    EXPECT_EQ(probes, 0);

    TabGroup shown = makeGroup({101, 102});
    TabGroup away = makeGroup({201, 202}, Rect(1000, 200, 600, 400));
    manager->apply(GroupEvent::groupCreated(shown));
    manager->apply(GroupEvent::groupCreated(away));
    overview = true;
    env.main->advance(OverlayManager::tickInterval);
    EXPECT_TRUE(manager->isMissionControlActive());
    EXPECT_FALSE(barOf(shown).isShown);
    EXPECT_FALSE(barOf(away).isShown);

    // While it shows: a new group is drawn but neither placed nor shown, a
    // moved group's bar stays out, a group leaves the Space.
    TabGroup created = makeGroup({301, 302}, Rect(100, 700, 400, 300));
    manager->apply(GroupEvent::groupCreated(created));
    EXPECT_EQ(barOf(created).renders.size(), 1u);
    EXPECT_TRUE(barOf(created).placements.empty());
    EXPECT_FALSE(barOf(created).isShown);
    manager->movePanel(shown.id, Rect(400, 500, 800, 400));
    EXPECT_FALSE(barOf(shown).isShown);
    manager->setSpacePresence(away, false, false);
    // Re-ordering waits too.
    const auto orders = barOf(shown).strip->relativeOrders.size();
    manager->reassertAll();
    EXPECT_EQ(barOf(shown).strip->relativeOrders.size(), orders);

    overview = false;
    env.main->advance(OverlayManager::tickInterval);
    EXPECT_FALSE(manager->isMissionControlActive());
    // Shown again at the frames the groups have now, not the ones they had.
    EXPECT_TRUE(barOf(shown).isShown);
    EXPECT_EQ(barOf(shown).lastPlacement()->placement.frame, Rect(400, 470, 800, 30));
    EXPECT_TRUE(barOf(created).isShown);
    EXPECT_EQ(barOf(created).lastPlacement()->placement.frame, Rect(100, 670, 400, 30));
    EXPECT_TRUE(isOrderedAtActive(shown));
    EXPECT_TRUE(isOrderedAtActive(created));
    EXPECT_FALSE(barOf(away).isShown);  // off-Space by now
}

TEST_F(OverlayManagerTest, TheDefaultProbeFindsTheDocksFullScreenMarker) {
    TabGroup group = makeGroup({101, 102});
    manager->apply(GroupEvent::groupCreated(group));
    env.main->advance(OverlayManager::tickInterval);
    EXPECT_FALSE(manager->isMissionControlActive());

    env.desktop->addApplication({77, "com.example.dock", MissionControl::dockOwnerName, "/dock"});
    SimWindowSpec marker;
    marker.id = 9000;
    marker.pid = 77;
    marker.frame = Rect(0, 0, 1920, 1080);
    marker.layer = 18;
    env.desktop->addWindow(marker);
    env.main->advance(OverlayManager::tickInterval);
    EXPECT_TRUE(manager->isMissionControlActive());
    EXPECT_FALSE(barOf(group).isShown);

    env.desktop->destroyWindow(9000);
    env.main->advance(OverlayManager::tickInterval);
    EXPECT_FALSE(manager->isMissionControlActive());
    EXPECT_TRUE(barOf(group).isShown);
}

TEST_F(OverlayManagerTest, TheTickPutsABarBackAboveItsWindowAfterAnotherWindowRose) {
    TabGroup group = makeGroup({101, 102});
    manager->apply(GroupEvent::groupCreated(group));
    // The window manager raised the frame over its bar, and the window
    // server did not report it: the tick's full round puts the bar back.
    factory->stacking->push(101);
    EXPECT_FALSE(isOrderedAtActive(group));
    env.main->advance(OverlayManager::tickInterval * OverlayManager::fullReorderTicks);
    EXPECT_TRUE(isOrderedAtActive(group));

    // The session's re-ordering after a focus change does the same at once.
    factory->stacking->push(101);
    manager->reassertAll();
    EXPECT_TRUE(isOrderedAtActive(group));
}

TEST_F(OverlayManagerTest, AfterShutDownTheManagerDoesNothing) {
    TabGroup group = makeGroup({101, 102});
    int probes = 0;
    manager->missionControlProbe = [&] {
        ++probes;
        return false;
    };
    manager->apply(GroupEvent::groupCreated(group));
    const std::shared_ptr<FakeBarRecord> bar = factory->bars.front();

    manager->shutdown();
    EXPECT_TRUE(bar->isClosed);
    EXPECT_FALSE(bar->alive);
    EXPECT_EQ(manager->barCount(), 0u);
    EXPECT_EQ(env.main->pendingTimerCount(), 0u);

    manager->apply(GroupEvent::groupCreated(group));
    manager->apply(GroupEvent::groupChanged(group));
    manager->setSpacePresence(group, true, true);
    manager->movePanel(group.id, group.frame);
    manager->reassertAll();
    env.main->advance(2.0);
    EXPECT_EQ(factory->bars.size(), 1u);  // no bar re-created
    EXPECT_EQ(manager->barCount(), 0u);
    EXPECT_EQ(probes, 0);
}

TEST_F(OverlayManagerTest, SettingsReachEveryBarOnlyWhenTheyChange) {
    TabGroup first = makeGroup({101, 102});
    manager->apply(GroupEvent::groupCreated(first));
    manager->setAppearanceMode(AppearanceMode::dark);
    manager->setAppearanceMode(AppearanceMode::dark);
    manager->setTabBarOpacity(0.5);
    manager->setTabBarOpacity(0.5);
    manager->setTabBadgeColor(TabColor(1, 0, 0));
    manager->setTabBadgeColor(TabColor(1, 0, 0));
    manager->apply(GroupEvent::groupChanged(first));  // renders push the same values again

    const FakeBarRecord& bar = barOf(first);
    EXPECT_EQ(bar.appearanceMode, AppearanceMode::dark);
    EXPECT_EQ(bar.appearanceRepaints, 1);
    EXPECT_EQ(bar.tabBarOpacity, 0.5);
    EXPECT_EQ(bar.opacityRepaints, 1);
    EXPECT_EQ(bar.tabBadgeColor, TabColor(1, 0, 0));
    EXPECT_EQ(bar.badgeRepaints, 1);

    // A bar made later starts with the current settings.
    TabGroup second = makeGroup({201, 202});
    manager->apply(GroupEvent::groupCreated(second));
    EXPECT_EQ(barOf(second).appearanceMode, AppearanceMode::dark);
    EXPECT_EQ(barOf(second).tabBarOpacity, 0.5);
    EXPECT_EQ(barOf(second).tabBadgeColor, TabColor(1, 0, 0));

    // The bar height reaches a bar at its next render.
    manager->setTabBarHeight(40);
    manager->apply(GroupEvent::groupChanged(first));
    EXPECT_EQ(bar.lastPlacement()->placement.frame, Rect(200, 260, 800, 40));
}

TEST_F(OverlayManagerTest, BarsAskTheSessionsProvidersAndFallBackOnceTheManagerIsGone) {
    TabGroup group = makeGroup({101, 102});
    auto delegate = std::make_shared<RecordingDelegate>();
    manager->setTabDelegate(delegate);
    // The defaults before the session sets anything.
    manager->apply(GroupEvent::groupCreated(group));
    const std::shared_ptr<FakeBarRecord> bar = factory->bars.front();
    EXPECT_TRUE(bar->providers.hasSameAppCandidates(101));
    EXPECT_TRUE(bar->providers.presetsProvider().empty());

    std::vector<std::pair<Uuid, WindowID>> asked;
    manager->sameAppCandidatesChecker = [&](const Uuid& id, WindowID w) {
        asked.emplace_back(id, w);
        return false;
    };
    manager->displayMoveTargetsProvider = [](const Uuid&) {
        return std::vector<DisplayMoveTarget>{{1, "Right", false}};
    };
    EXPECT_FALSE(bar->providers.hasSameAppCandidates(102));
    EXPECT_EQ(asked, (std::vector<std::pair<Uuid, WindowID>>{{group.id, 102}}));
    EXPECT_EQ(bar->providers.displayMoveTargetsProvider().size(), 1u);
    EXPECT_EQ(bar->liveDelegate(), delegate);
    EXPECT_EQ(bar->dragCoordinator, manager.get());

    manager.reset();
    EXPECT_TRUE(bar->providers.hasSameAppCandidates(102));
    EXPECT_TRUE(bar->providers.displayMoveTargetsProvider().empty());
    delegate.reset();
    EXPECT_FALSE(bar->liveDelegate());
}

TEST_F(OverlayManagerTest, BadInputGivesASaneBarOrNoBar) {
    const std::string longTitle(10'000, 'x');
    const std::string invalidUTF8 = "bad \xC3\x28 \xFF tail";
    TabGroup group = makeGroup({101, 102, 103, 104});
    group.members[0].lastKnownTitle = "line\nbreak\t\x07 bell";
    group.members[1].lastKnownTitle = "\u202Eevil\u200F <b>&amp;</b> & more";
    group.members[2].lastKnownTitle = longTitle;
    group.members[3].lastKnownTitle = invalidUTF8;
    manager->apply(GroupEvent::groupCreated(group));
    FakeBarRecord& bar = barOf(group);
    ASSERT_EQ(bar.lastRender().tabs.size(), 4u);
    EXPECT_EQ(bar.lastRender().tabs[2].title.size(), 10'000u);  // the bar shows a cleaned, cut copy
    EXPECT_TRUE(bar.isShown);

    // A zero-size frame carries no bar; a later sound frame brings it back.
    group.frame = Rect(300, 300, 0, 0);
    manager->apply(GroupEvent::groupChanged(group));
    EXPECT_FALSE(bar.isShown);
    group.frame = Rect(300, 300, 400, 300);
    manager->apply(GroupEvent::groupChanged(group));
    EXPECT_TRUE(bar.isShown);

    // Frames that are not numbers never reach the panels.
    const auto placements = bar.placements.size();
    manager->movePanel(group.id, Rect(std::numeric_limits<double>::quiet_NaN(), 0, 100, 100));
    EXPECT_EQ(bar.placements.size(), placements);
    EXPECT_FALSE(bar.isShown);

    // A frame off every screen still gets its bar above it.
    group.frame = Rect(5000, 5000, 400, 300);
    manager->apply(GroupEvent::groupChanged(group));
    EXPECT_TRUE(bar.isShown);
    EXPECT_EQ(bar.lastPlacement()->placement.frame, Rect(5000, 4970, 400, 30));

    // A group whose members have all vanished shows no bar.
    TabGroup empty = group;
    empty.members.clear();
    manager->apply(GroupEvent::groupChanged(empty));
    EXPECT_FALSE(bar.isShown);
}

TEST_F(OverlayManagerTest, AScreenChangeWhileShownMovesTheStripIntoTheTitleBarAtTheNextRender) {
    TabGroup group = makeGroup({101, 102}, Rect(200, 60, 800, 600));
    manager->apply(GroupEvent::groupCreated(group));
    FakeBarRecord& bar = barOf(group);
    EXPECT_EQ(bar.lastPlacement()->placement.mode, Mode::above);
    ASSERT_TRUE(bar.backingShown);

    // A taller top panel: no room above the window any more.
    env.desktop->setDisplays({{1, "Main", Rect(0, 0, 1920, 1080), Rect(0, 50, 1920, 1030)}});
    manager->apply(GroupEvent::groupChanged(group));
    EXPECT_EQ(bar.lastPlacement()->placement.mode, Mode::overlap);
    EXPECT_EQ(bar.lastPlacement()->placement.frame, Rect(280, 64, 640, 26));
    EXPECT_FALSE(bar.backingShown);
    EXPECT_FALSE(bar.backing->visible);
    EXPECT_TRUE(bar.isShown);
    EXPECT_TRUE(isOrderedAtActive(group));
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

// Hiding a bar ends a gesture on it; the gesture's end may change the groups
// under the manager's feet.
TEST_F(OverlayManagerTest, AGroupDissolvedByTheEndOfAGestureWhileItsBarHidesStaysGone) {
    TabGroup first = makeGroup({101, 102});
    TabGroup second = makeGroup({201, 202}, Rect(1000, 200, 600, 400));
    manager->apply(GroupEvent::groupCreated(first));
    manager->apply(GroupEvent::groupCreated(second));

    barOf(first).onHide = [&] { manager->apply(GroupEvent::groupDissolved(first.id)); };
    manager->setSpacePresence(first, true, true);
    EXPECT_FALSE(manager->hasBar(first.id));
    EXPECT_EQ(factory->barsFor(first.id).size(), 1u);  // not made again

    // The overview hides every bar; one bar's hiding dissolves the other group.
    barOf(second).onHide = [&] {
        TabGroup merged = makeGroup({301, 302});
        manager->apply(GroupEvent::groupCreated(merged));
        manager->apply(GroupEvent::groupDissolved(second.id));
    };
    manager->missionControlProbe = [] { return true; };
    env.main->advance(OverlayManager::tickInterval);
    EXPECT_FALSE(manager->hasBar(second.id));
    EXPECT_EQ(manager->barCount(), 1u);
}

}  // namespace
}  // namespace tessaly
