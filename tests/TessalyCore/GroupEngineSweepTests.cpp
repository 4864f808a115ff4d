// The liveness sweep: a member whose window is missing from
// missingSweepLimit consecutive sweeps is evicted on the last of them.
#include "TessalyCore/GroupEngineFixture.h"

namespace tessaly::testing {
namespace {

using Calls = std::vector<WindowCall>;
using Alive = std::unordered_set<WindowID>;

class SweepTests : public GroupEngineTest {
protected:
    std::vector<std::pair<WindowID, std::string>> evictions;

    void SetUp() override {
        GroupEngineTest::SetUp();
        engine.onLivenessEviction = [this](WindowID id, const std::string& title) { evictions.emplace_back(id, title); };
    }
};

TEST_F(SweepTests, FiveMissesCountSilentlyAndTheSixthEvicts) {
    makeGroup({1, 2, 3}, 2);
    for (int i = 0; i < GroupEngine::missingSweepLimit - 1; ++i) engine.sweep(Alive{1, 3});
    EXPECT_EQ(live(1).missingSweeps.at(2), 5);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(evictions.empty());

    engine.sweep(Alive{1, 3});
    EXPECT_EQ(evictions, (std::vector<std::pair<WindowID, std::string>>{{2, "Window 2"}}));
    EXPECT_FALSE(engine.group(2).has_value());
    EXPECT_EQ(live(1).activeWindowID, 1u);
    EXPECT_EQ(calls(), (Calls{WindowCall::raiseAndActivate(1)}));
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(SweepTests, SeeingTheWindowAgainResetsItsCount) {
    makeGroup({1, 2}, 1);
    for (int i = 0; i < 4; ++i) engine.sweep(Alive{1});
    engine.sweep(Alive{1, 2});
    EXPECT_FALSE(live(1).missingSweeps.contains(2));
    for (int i = 0; i < 5; ++i) engine.sweep(Alive{1});
    EXPECT_TRUE(evictions.empty());
    EXPECT_TRUE(events.empty());
}

TEST_F(SweepTests, EvictionThatDissolvesAGroupStopsLookingAtIt) {
    const Uuid id = makeGroup({1, 2}, 1);
    makeGroup({3, 4}, 3);
    for (int i = 0; i < GroupEngine::missingSweepLimit; ++i) engine.sweep(std::set<WindowID>{3, 4});
    // Both windows were missing, but only the first is evicted: the second
    // was no longer grouped once the group dissolved.
    EXPECT_EQ(evictions.size(), 1u);
    EXPECT_EQ(evictions[0].first, 1u);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupDissolved(id)}));
    EXPECT_EQ(engine.groupCount(), 1u);
}

TEST_F(SweepTests, LockedGroupsAreSweptToo) {
    const Uuid id = makeGroup({1, 2, 3}, 1);
    engine.setLocked(true, id);
    for (int i = 0; i < GroupEngine::missingSweepLimit; ++i) engine.sweep(Alive{1, 2});
    EXPECT_FALSE(engine.group(3).has_value());
    EXPECT_EQ(live(1).windowIDs().size(), 2u);
}

TEST_F(SweepTests, EvictionHandlerMayChangeTheModel) {
    makeGroup({1, 2, 3}, 1);
    engine.onLivenessEviction = [this](WindowID id, const std::string&) { engine.detach(id == 2 ? 3 : 2, false); };
    for (int i = 0; i < GroupEngine::missingSweepLimit; ++i) engine.sweep(Alive{1});
    EXPECT_EQ(engine.groupCount(), 0u);
}

}  // namespace
}  // namespace tessaly::testing
