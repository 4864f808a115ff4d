// The shared frame commit and the group attributes.
#include <limits>

#include "TessalyCore/GroupEngineFixture.h"

namespace tessaly::testing {
namespace {

using Calls = std::vector<WindowCall>;

class FrameCommitTests : public GroupEngineTest {};

TEST_F(FrameCommitTests, OnlyUsableNonExemptMembersOtherThanTheSourceMove) {
    makeGroup({1, 2, 3, 4, 5}, 1, frameA);  // A=1 source, B=2, C=3 minimised, D=4 suspended, E=5 exempt
    engine.noteMinimized(3);
    engine.suspendMember(4);
    std::vector<WindowID> asked;
    engine.isFanOutExempt = [&asked](WindowID id) {
        asked.push_back(id);
        return id == 5;
    };
    clearRecords();
    engine.commitGroupFrame(frameB, 1, false);
    EXPECT_EQ(calls(), (Calls{WindowCall::setFrame(frameB, 2)}));
    EXPECT_EQ(asked, (std::vector<WindowID>{2, 5}));
    EXPECT_EQ(live(1).frame, frameB);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupChanged(live(1))}));
}

TEST_F(FrameCommitTests, AnUnchangedFrameIsFreeUnlessForced) {
    makeGroup({1, 2, 3}, 1, frameA);
    engine.commitGroupFrame(frameA, 1, false);
    engine.commitGroupFrame(frameA, 42, true);  // no group holds 42
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(calls().empty());
    engine.commitGroupFrame(frameA, 2, true);
    EXPECT_EQ(calls(), (Calls{WindowCall::setFrame(frameA, 1), WindowCall::setFrame(frameA, 3)}));
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(FrameCommitTests, FramesNoWindowCanTakeAreRefused) {
    makeGroup({1, 2}, 1, frameA);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const Rect& bad : {Rect(nan, 0, 100, 100), Rect(0, 0, inf, 100), Rect(0, 0, -100, 100),
                            Rect(0, 0, 100, -1), Rect::null()}) {
        engine.commitGroupFrame(bad, 1, true);
    }
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(live(1).frame, frameA);
    engine.commitGroupFrame(Rect(0, 0, 0, 0), 1, false);  // empty but well formed
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(FrameCommitTests, ExemptionHandlerMayDissolveTheGroup) {
    const Uuid id = makeGroup({1, 2, 3}, 1, frameA);
    engine.isFanOutExempt = [this, id](WindowID) {
        engine.dissolveGroup(id);
        return false;
    };
    engine.commitGroupFrame(frameB, 1, false);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::groupDissolved(id)}));
}

class AttributeTests : public GroupEngineTest {};

TEST_F(AttributeTests, LockReportsOnlyAChange) {
    const Uuid id = makeGroup({1, 2}, 1);
    engine.setLocked(false, id);
    engine.setLocked(true, id);
    engine.setLocked(true, id);
    engine.setLocked(true, Uuid::random());
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(live(1).isLocked);
}

TEST_F(AttributeTests, NamesAreStoredTrimmedAndNeverEmpty) {
    const Uuid id = makeGroup({1, 2}, 1);
    engine.setName(std::nullopt, id);
    engine.setName("   ", id);
    EXPECT_TRUE(events.empty());
    engine.setName(" \n Work \r\n", id);
    EXPECT_EQ(live(1).name, "Work");
    engine.setName("Work", id);
    engine.setName("\tWork", id);
    EXPECT_EQ(events.size(), 1u);
    engine.setName(" \u3000", id);
    EXPECT_FALSE(live(1).name.has_value());
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(AttributeTests, TitleChangesReportByOverride) {
    const Uuid id = makeGroup({1, 2}, 1);
    engine.updateTitle("Window 1", 1);
    EXPECT_TRUE(events.empty());
    engine.updateTitle("Inbox", 1);
    EXPECT_EQ(events, (std::vector<GroupEvent>{GroupEvent::memberTitleChanged(id, 1, "Inbox")}));
    EXPECT_EQ(live(1).member(1)->lastKnownTitle, "Inbox");

    engine.group(GroupMember(3, 100, "Old", std::string("Pinned")), member(1), frameA);
    clearRecords();
    engine.updateTitle("New", 3);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], GroupEvent::groupChanged(live(1)));
    EXPECT_EQ(live(3).member(3)->lastKnownTitle, "New");
    EXPECT_TRUE(calls().empty());

    // A title that differs only in bytes that are not UTF-8 is still new.
    engine.updateTitle("Report \xFF", 1);
    engine.updateTitle("Report \xFE", 1);
    EXPECT_EQ(live(1).member(1)->lastKnownTitle, "Report \xFE");
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(AttributeTests, AccentsReportOnlyAChange) {
    const Uuid id = makeGroup({1, 2}, 1);
    engine.setMemberAccent(std::nullopt, 1);
    engine.setMemberAccent(TabColor(0.5, 0.5, 0.5), 1);
    engine.setMemberAccent(TabColor(0.5, 0.5, 0.5), 1);
    engine.setMemberAccent(std::nullopt, 1);
    EXPECT_EQ(events.size(), 2u);
    engine.setGroupAccent(TabColor(1, 0, 0), id);
    engine.setGroupAccent(TabColor(1, 0, 0), id);
    EXPECT_EQ(events.size(), 3u);
    EXPECT_EQ(live(1).groupAccent, TabColor(1, 0, 0));
}

}  // namespace
}  // namespace tessaly::testing
