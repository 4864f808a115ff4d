#include <gtest/gtest.h>

#include <map>

#include "TessalyCore/MissionControl.h"
#include "TessalyCore/TabAsideDecision.h"

namespace tessaly {
namespace {

DiscoveredWindow window(WindowID id, ProcessID pid, Rect frame, int layer = 0, const char* owner = "App",
                        bool onScreen = true) {
    DiscoveredWindow w;
    w.windowID = id;
    w.pid = pid;
    w.ownerName = owner ? std::optional<std::string>(owner) : std::nullopt;
    w.frame = frame;
    w.layer = layer;
    w.isOnScreen = onScreen;
    return w;
}

// ---- Mission Control ----

const std::vector<Size> fullHD{{1920, 1080}};

TEST(MissionControlTest, DockWindowCoveringNinetyPercentMarksTheOverview) {
    const auto marker = window(9, 50, Rect(0, 0, 1728, 1000), 18, "Dock");
    EXPECT_EQ(MissionControl::activeMarker({window(1, 1, Rect(0, 0, 1920, 1080)), marker}, fullHD), marker);
    EXPECT_FALSE(MissionControl::isActive({window(9, 50, Rect(500, 500, 1700, 1080), 18, "Dock")}, fullHD));
    EXPECT_FALSE(MissionControl::isActive({window(9, 50, Rect(0, 0, 1728, 971), 18, "Dock")}, fullHD));
    EXPECT_TRUE(MissionControl::isActive({window(9, 50, Rect(-50, -50, 3000, 3000), 18, "Dock")}, fullHD));
}

TEST(MissionControlTest, OnlyTheDockOffItsOwnLevelAndOnScreenCounts) {
    const Rect whole(0, 0, 1920, 1080);
    EXPECT_FALSE(MissionControl::isActive({window(9, 50, whole, WindowLayer::dock, "Dock")}, fullHD));
    EXPECT_FALSE(MissionControl::isActive({window(9, 50, whole, 18, "Finder")}, fullHD));
    EXPECT_FALSE(MissionControl::isActive({window(9, 50, whole, 18, "dock")}, fullHD));
    EXPECT_FALSE(MissionControl::isActive({window(9, 50, whole, 18, nullptr)}, fullHD));
    EXPECT_FALSE(MissionControl::isActive({window(9, 50, whole, 18, "Dock", false)}, fullHD));
}

TEST(MissionControlTest, SmallerOfTwoScreensIsEnoughAndEmptyInputsFindNothing) {
    const auto marker = window(9, 50, Rect(0, 0, 1280, 800), 18, "Dock");
    EXPECT_TRUE(MissionControl::isActive({marker}, {{2560, 1440}, {1280, 800}}));
    EXPECT_FALSE(MissionControl::isActive({marker}, {{2560, 1440}}));
    EXPECT_FALSE(MissionControl::isActive({marker}, {}));
    EXPECT_FALSE(MissionControl::isActive({}, fullHD));
}

// ---- Native tab aside ----

class TabAside : public ::testing::Test {
protected:
    TabAsideDecision resolve(std::optional<WindowID> lockedHost = std::nullopt,
                             std::optional<Rect> live = std::nullopt, std::optional<Rect> frozen = std::nullopt) {
        return resolveTabAside(
            member, pid, live, frozen, groupFrame, lockedHost, list,
            [this](WindowID id) {
                ++memberQuestions;
                return members.contains(id);
            },
            [this](WindowID id) -> std::optional<bool> {
                ++verdictQuestions;
                const auto it = verdicts.find(id);
                if (it == verdicts.end()) return std::nullopt;
                return it->second;
            });
    }
    const WindowID member = 1;
    const ProcessID pid = 10;
    const Rect groupFrame{100, 100, 800, 600};
    std::vector<DiscoveredWindow> list;
    std::set<WindowID> members{1, 2};
    std::map<WindowID, bool> verdicts;
    int memberQuestions = 0;
    int verdictQuestions = 0;
};

TEST_F(TabAside, EmptyListIsNotAside) {
    EXPECT_EQ(resolve(), TabAsideDecision::notAside());
    EXPECT_EQ(resolve(5), TabAsideDecision::notAside());
}

TEST_F(TabAside, FirstConfirmedCandidateWins) {
    list = {window(5, 10, groupFrame), window(6, 10, groupFrame)};
    verdicts = {{6, true}};
    EXPECT_EQ(resolve(), (TabAsideDecision{true, 6, groupFrame, {}}));
}

TEST_F(TabAside, UndecidedCandidatesAreReportedInOrder) {
    list = {window(5, 10, groupFrame), window(6, 10, groupFrame.offsetBy(1, 1)), window(7, 10, groupFrame)};
    verdicts = {{6, false}};
    EXPECT_EQ(resolve(), (TabAsideDecision{true, 5, groupFrame, {5, 7}}));
    verdicts = {{5, false}, {6, false}, {7, false}};
    EXPECT_EQ(resolve(), TabAsideDecision::notAside());
}

TEST_F(TabAside, CandidatesMustBeOrdinaryWindowsOfTheProcessAndNoMembers) {
    list = {window(1, 10, groupFrame), window(2, 10, groupFrame), window(5, 11, groupFrame),
            window(6, 10, groupFrame, 3)};
    EXPECT_EQ(resolve(), TabAsideDecision::notAside());
    EXPECT_EQ(memberQuestions, 2);  // windows 1 and 2 reached the member test
}

TEST_F(TabAside, MemberIsNeverItsOwnHost) {
    members.clear();  // a caller that does not count the member itself
    list = {window(1, 10, groupFrame)};
    EXPECT_EQ(resolve(), TabAsideDecision::notAside());
    EXPECT_EQ(memberQuestions, 1);
    EXPECT_EQ(verdictQuestions, 0);
}

TEST_F(TabAside, FramesMatchWithinOnePoint) {
    const Rect live(300, 300, 500, 400);
    list = {window(5, 10, Rect(301, 299, 501, 399))};
    EXPECT_TRUE(resolve(std::nullopt, live).isAside);
    list = {window(5, 10, Rect(301.01, 300, 500, 400))};
    EXPECT_FALSE(resolve(std::nullopt, live).isAside);
    // The frozen anchor and the group frame are references too.
    list = {window(5, 10, Rect(40, 40, 10, 10))};
    EXPECT_TRUE(resolve(std::nullopt, live, Rect(40, 40, 10, 10)).isAside);
}

TEST_F(TabAside, LockedHostIsKeptWhileStandingAndNotRejected) {
    const Rect moved(500, 500, 800, 600);  // the host has moved away from every reference
    list = {window(8, 10, moved)};
    verdicts = {{8, true}};
    EXPECT_EQ(resolve(8), (TabAsideDecision{true, 8, moved, {}}));
    verdicts.clear();
    verdictQuestions = 0;
    EXPECT_EQ(resolve(8), (TabAsideDecision{true, 8, moved, {8}}));
    EXPECT_EQ(verdictQuestions, 1);
}

TEST_F(TabAside, RejectedOrUnfitLockedHostFallsBackToTheSearch) {
    list = {window(8, 10, groupFrame), window(9, 10, groupFrame)};
    verdicts = {{8, false}, {9, true}};
    EXPECT_EQ(resolve(8), (TabAsideDecision{true, 9, groupFrame, {}}));
    list = {window(8, 11, Rect(0, 0, 5, 5)), window(9, 10, groupFrame)};  // another process now
    EXPECT_EQ(resolve(8).lockedHost, 9u);
    members.insert(9);
    list = {window(9, 10, groupFrame)};  // a member cannot be a host
    EXPECT_EQ(resolve(9), TabAsideDecision::notAside());
    EXPECT_EQ(resolve(4), TabAsideDecision::notAside());  // not in the list
}

TEST_F(TabAside, SurvivorSibling) {
    auto isMember = [this](WindowID id) { return members.contains(id); };
    const std::vector<DiscoveredWindow> windows{window(1, 10, groupFrame), window(2, 10, groupFrame),
                                                window(3, 11, groupFrame), window(4, 10, groupFrame, 3),
                                                window(5, 10, groupFrame.offsetBy(2, 0)),
                                                window(6, 10, groupFrame.offsetBy(1, -1), 0, "App", false)};
    EXPECT_EQ(cgSurvivorSiblingID(1, 10, groupFrame, windows, isMember), 6u);
    EXPECT_EQ(cgSurvivorSiblingID(1, 10, groupFrame, {windows.begin(), windows.end() - 1}, isMember), std::nullopt);
}

TEST_F(TabAside, FocusedSurvivor) {
    auto isMember = [this](WindowID id) { return members.contains(id); };
    EXPECT_FALSE(focusedSurvivorAccepted(1, std::nullopt, 1, groupFrame, isMember, 5));
    EXPECT_FALSE(focusedSurvivorAccepted(2, std::nullopt, 1, groupFrame, isMember, 5));
    EXPECT_TRUE(focusedSurvivorAccepted(7, std::nullopt, 1, groupFrame, isMember, 5));
    EXPECT_TRUE(focusedSurvivorAccepted(7, Rect(105, 95, 10, 10), 1, groupFrame, isMember, 5));
    EXPECT_FALSE(focusedSurvivorAccepted(7, Rect(105.5, 100, 800, 600), 1, groupFrame, isMember, 5));
}

}  // namespace
}  // namespace tessaly
