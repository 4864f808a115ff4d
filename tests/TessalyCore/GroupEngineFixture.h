#pragma once
// Shared set-up for the group engine tests: an engine over a recording window
// system, its events collected, and a check of the model's invariants after
// every test.
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TessalyCore/GroupEngine.h"
#include "TessalyCore/RecordingWindowSystem.h"

namespace tessaly::testing {

inline GroupMember member(WindowID id, ProcessID pid = 100, std::string title = "") {
    if (title.empty()) title = "Window " + std::to_string(id);
    return GroupMember(id, pid, title);
}

class GroupEngineTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingWindowSystem> windows = std::make_shared<RecordingWindowSystem>();
    GroupEngine engine{windows};
    std::vector<GroupEvent> events;

    static constexpr Rect frameA{100, 100, 800, 600};
    static constexpr Rect frameB{300, 200, 640, 480};

    void SetUp() override {
        engine.onEvent = [this](const GroupEvent& event) { events.push_back(event); };
    }

    void TearDown() override { expectInvariants(); }

    // A group of the given windows (tab order), taken in through adoption;
    // the record of events and window calls starts empty afterwards.
    Uuid makeGroup(const std::vector<WindowID>& ids, WindowID active, const Rect& frame = frameA,
                   std::map<WindowID, ProcessID> pids = {}) {
        std::vector<GroupMember> members;
        for (const WindowID id : ids) members.push_back(member(id, pids.contains(id) ? pids[id] : 100));
        const TabGroup group(Uuid::random(), members, active, frame);
        engine.adoptGroup(group);
        EXPECT_TRUE(engine.group(group.id).has_value());
        clearRecords();
        return group.id;
    }

    void clearRecords() {
        events.clear();
        windows->calls.clear();
    }

    TabGroup live(WindowID id) const {
        const auto found = engine.group(id);
        EXPECT_TRUE(found.has_value()) << "no group holds " << id;
        return found.value_or(TabGroup());
    }

    std::vector<WindowCall> calls() { return windows->take(); }

    // The model's invariants, and the engine's index against a plain scan.
    void expectInvariants() const {
        std::map<WindowID, Uuid> owner;
        for (const auto& g : engine.groups()) {
            EXPECT_GE(g.members.size(), 2u) << g;
            for (const auto& m : g.members) {
                EXPECT_FALSE(owner.contains(m.windowID)) << "window " << m.windowID << " grouped twice";
                owner[m.windowID] = g.id;
                const auto found = engine.group(m.windowID);
                EXPECT_TRUE(found && found->id == g.id) << "lookup of " << m.windowID;
            }
            EXPECT_TRUE(g.contains(g.activeWindowID)) << g;
            auto sortedMru = g.mru;
            auto sortedMembers = g.windowIDs();
            std::sort(sortedMru.begin(), sortedMru.end());
            std::sort(sortedMembers.begin(), sortedMembers.end());
            EXPECT_EQ(sortedMru, sortedMembers) << "mru must hold every member once: " << g;
            for (const WindowID id : g.minimized) EXPECT_TRUE(g.contains(id)) << g;
            for (const WindowID id : g.suspended) EXPECT_TRUE(g.contains(id)) << g;
            for (const auto& [id, count] : g.missingSweeps) {
                EXPECT_TRUE(g.contains(id)) << g;
                EXPECT_LT(count, GroupEngine::missingSweepLimit);
            }
        }
    }
};

}  // namespace tessaly::testing
