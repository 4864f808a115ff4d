// What goes out at once for a change of the active window, and what the main
// thread then leaves out, is decided by the record of what the server was
// told: moves already sent, frames passing through, a write still in flight
// or not yet landed, a frame told just now. Times run on a virtual clock.
#include "Platform/MemberFollow.h"

#include <gtest/gtest.h>

#include <map>

namespace tessaly {
namespace {

constexpr WindowID active = 1;
constexpr WindowID editor = 2;
constexpr WindowID terminal = 3;  // snaps its size to 8 x 16 cells

class MemberFollowScenario : public ::testing::Test {
protected:
    MemberFollowScenario() {
        follow = std::make_shared<MemberFollow>(
            clock,
            [this](const FollowMove& move, const Rect& frame) {
                sent[move.window].push_back(frame);
                return true;
            },
            [](WindowID window) { return window == terminal || window == active ? Size{8, 16} : Size{}; });
        // The active window's group: every change moves both members, at the
        // frame the main thread holds only those it may not have moved.
        follow->setPlanner([this](const FollowRequest& request) -> std::optional<FollowPlan> {
            if (request.source != active || held) return std::nullopt;
            return FollowPlan{request.frame, {{editor, 20}, {terminal, 30}}, committed};
        });
    }
    std::size_t report(const Rect& frame) { return follow->follow({active, frame}); }

    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    std::shared_ptr<MemberFollow> follow;
    std::map<WindowID, std::vector<Rect>> sent;
    Rect committed{100, 100, 800, 600};
    bool held = false;  // the change is left to the main thread (the group is dragged by its bar)
};

TEST_F(MemberFollowScenario, AMoveGoesOutOnceAndTheMainThreadTakesItInsteadOfWritingAgain) {
    const Rect moved(140, 120, 800, 600);
    EXPECT_EQ(report(moved), 2u);
    EXPECT_EQ(report(moved), 0u) << "the client's report of the frame's move: told already";
    EXPECT_TRUE(follow->isPassing(editor, moved.offsetBy(3, -4), {})) << "within the tolerance";
    EXPECT_FALSE(follow->isPassing(editor, moved.offsetBy(5, 0), {}));
    EXPECT_FALSE(follow->takeSent(editor, moved)) << "no adoption under way";
    {
        const MemberFollow::Adoption adopting(follow, active);
        EXPECT_TRUE(follow->takeSent(editor, moved));
        EXPECT_FALSE(follow->takeSent(editor, moved)) << "taken once";
        EXPECT_FALSE(follow->takeSent(terminal, moved.offsetBy(1, 0))) << "frames told compare exactly";
        EXPECT_TRUE(follow->takeSent(terminal, moved));
    }
    EXPECT_EQ(report(Rect(160, 120, 800, 600)), 2u);
    {
        const MemberFollow::Adoption adopting(follow, active);
        EXPECT_TRUE(follow->takeSent(editor, Rect(160, 120, 800, 600)));
    }
    // Back at the frame the main thread holds, before it heard of the last
    // move: only the window moved and not taken goes back.
    sent.clear();
    EXPECT_EQ(report(committed), 1u);
    EXPECT_EQ(sent[terminal], std::vector<Rect>{committed});

    // A move is the main thread's to take only for a while.
    EXPECT_EQ(report(moved), 2u);
    clock->advance(FrameRecord::lifetime + 0.1);
    const MemberFollow::Adoption adopting(follow, active);
    EXPECT_FALSE(follow->takeSent(editor, moved));
    EXPECT_FALSE(follow->isPassing(editor, moved, {}));
}

TEST_F(MemberFollowScenario, TheMainThreadsWritesGoFirstAndAreSeenThroughToTheirLanding) {
    const Rect zoomed(0, 25, 1920, 1055);
    auto toEditor = follow->willWrite(editor, zoomed);
    auto toTerminal = follow->willWrite(terminal, zoomed);
    auto toActive = follow->willWrite(active, zoomed);
    toActive.reset();
    EXPECT_EQ(report(Rect(0, 25, 1000, 700)), 0u) << "the active window on its way to the frame written";
    toEditor.reset();
    EXPECT_TRUE(follow->isPassing(terminal, zoomed, {}));
    // The active window lands on its cells, less than one short of the frame.
    committed = zoomed;
    sent.clear();
    EXPECT_EQ(report(Rect(0, 25, 1914, 1043)), 1u) << "the terminal's own write is still in flight";
    EXPECT_EQ(sent[editor], std::vector<Rect>{Rect(0, 25, 1914, 1043)});
    toTerminal.reset();

    // Back to a frame followed before the session moved the whole group
    // (dragged by its bar): the members were told another frame since.
    const Rect before(140, 120, 800, 600);
    EXPECT_EQ(report(before), 2u);
    held = true;
    for (const WindowID id : {active, editor, terminal}) follow->willWrite(id, zoomed).reset();
    EXPECT_EQ(report(zoomed), 0u);
    held = false;
    EXPECT_EQ(report(before), 2u);

    // A write whose frame is never reported holds the follow for a while only.
    follow->willWrite(active, Rect(300, 300, 800, 600)).reset();
    EXPECT_EQ(report(Rect(320, 300, 800, 600)), 0u);
    clock->advance(FrameRecord::lifetime + 0.1);
    EXPECT_EQ(report(Rect(320, 300, 800, 600)), 2u);
}

}  // namespace
}  // namespace tessaly
