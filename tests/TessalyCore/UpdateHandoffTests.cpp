#include "TessalyCore/UpdateHandoff.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "Platform/Log.h"
#include "Platform/TestFiles.h"
#include "TessalyCore/UpdateHandoffLifecycle.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

class HandoffFileTests : public ::testing::Test {
protected:
    HandoffFileTests() {
        file = folder / "Tessaly" / "update-handoff.json";
        Log::setSink([this](LogLevel, LogCategory category, std::string_view line) {
            if (category == LogCategory::update) log.emplace_back(line);
        });
    }
    ~HandoffFileTests() override { Log::setSink(nullptr); }
    void put(const std::string& text) { testing::writeFile(file, text); }
    std::string contents() { return testing::readFile(file); }

    testing::TempFolder temp;
    const fs::path& folder = temp.path();
    fs::path file;
    std::vector<std::string> log;
};

UpdateHandoff::Group group(const char* id, std::vector<UpdateHandoff::Member> members, Rect frame = Rect(10, 20, 800, 600)) {
    UpdateHandoff::Group g;
    g.id = *Uuid::fromString(id);
    g.frame = frame;
    g.activeWindowID = members.empty() ? 0 : members.front().windowID;
    g.members = std::move(members);
    return g;
}

UpdateHandoff::Member member(WindowID id, ProcessID pid = 100) {
    UpdateHandoff::Member m;
    m.windowID = id;
    m.pid = pid;
    m.lastKnownTitle = "Window " + std::to_string(id);
    return m;
}

constexpr const char* kID1 = "11111111-1111-1111-1111-111111111111";
constexpr const char* kID2 = "22222222-2222-2222-2222-222222222222";

TEST_F(HandoffFileTests, WrittenFileHasTheDocumentedShapeAndReadsBackOnce) {
    UpdateHandoff::Group g = group(kID1, {member(7), member(9, -5)});
    g.name = "Work";
    g.groupAccent = TabColor(1, 0.5, 0);
    g.members[1].titleOverride = "Notes";
    g.members[1].accent = TabColor(0, 0, 1);
    const UpdateHandoff handoff(1'799'990'000.5, 10'000.25, {g});
    UpdateHandoffStore store(file);
    store.write(handoff);

    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const json document = json::parse(contents());
    EXPECT_EQ(document["groups"][0]["frame"], json::parse("[[10,20],[800,600]]"));
    EXPECT_EQ(document["groups"][0]["id"], kID1);
    const json& plain = document["groups"][0]["members"][0];
    EXPECT_EQ(plain.size(), 3u);  // windowID, pid, lastKnownTitle only
    EXPECT_EQ(document["groups"][0]["members"][1]["pid"], -5);

    EXPECT_EQ(store.takeAndDelete(), handoff);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(store.takeAndDelete());
    EXPECT_TRUE(log.empty());
}

TEST_F(HandoffFileTests, EmptyHandoffRoundTrips) {
    UpdateHandoffStore store(file);
    const UpdateHandoff empty(5, 6, {});
    store.write(empty);
    EXPECT_EQ(json::parse(contents())["groups"], json::array());
    EXPECT_EQ(store.takeAndDelete(), empty);
}

TEST_F(HandoffFileTests, BadFilesAreRemovedLoggedAndNotRestored) {
    UpdateHandoffStore store(file);
    const std::string good = R"({"schemaVersion":1,"bootTime":1,"writtenAtUptime":2,"groups":[]})";
    for (const std::string& text : {std::string(R"({"schemaVersion":2,"bootTime":1,"writtenAtUptime":2,"groups":[]})"),
                                    std::string(R"({"schemaVersion":1,"bootTime":1,"groups":[]})"),
                                    good.substr(0, good.size() / 2),  // truncated
                                    std::string("\x00\x01garbage", 9),
                                    std::string(R"({"schemaVersion":1,"bootTime":"1","writtenAtUptime":2,"groups":[]})"),
                                    std::string(R"({"schemaVersion":1,"bootTime":1,"writtenAtUptime":2,"groups":[{"id":"x"}]})"),
                                    std::string(R"({"schemaVersion":1,"bootTime":1,"writtenAtUptime":2,"groups":[
                                        {"id":"11111111-1111-1111-1111-111111111111","frame":[[0,0],[1,1]],
                                         "activeWindowID":-1,"members":[]}]})"),
                                    std::string(100, '[') + std::string(100, ']'),
                                    std::string(R"({"schemaVersion":1,"bootTime":1,"writtenAtUptime":2,"groups":[
                                        {"id":"11111111-1111-1111-1111-111111111111","frame":[[1e999,0],[1,1]],
                                         "activeWindowID":1,"members":[]}]})"),
                                    std::string(2 * 1024 * 1024, ' ')}) {
        log.clear();
        put(text);
        EXPECT_FALSE(store.takeAndDelete()) << text.substr(0, 80);
        EXPECT_FALSE(fs::exists(file));
        EXPECT_EQ(log.size(), 1u) << text.substr(0, 80);
    }
    // A missing file is not worth a log line.
    log.clear();
    EXPECT_FALSE(store.takeAndDelete());
    EXPECT_TRUE(log.empty());
}

TEST_F(HandoffFileTests, LenientReadingOfExtrasNullsAndNames) {
    put(R"({"extra":true,"groups":[{"members":[{"pid":1,"windowID":7,"lastKnownTitle":"a","titleOverride":null},
          {"windowID":8,"pid":1,"lastKnownTitle":"b"}],"activeWindowID":8,"frame":[[0,0],[100,50]],
          "id":"11111111-1111-1111-1111-111111111111","name":"  Work\n","groupAccent":null}],
          "writtenAtUptime":2,"bootTime":1,"schemaVersion":1})");
    const auto handoff = UpdateHandoffStore(file).takeAndDelete();
    ASSERT_TRUE(handoff);
    ASSERT_EQ(handoff->groups.size(), 1u);
    EXPECT_EQ(handoff->groups[0].name, "Work");  // trimmed like a name set in the engine
    EXPECT_FALSE(handoff->groups[0].members[0].titleOverride);
    EXPECT_FALSE(handoff->groups[0].groupAccent);

    put(R"({"schemaVersion":1,"bootTime":1,"writtenAtUptime":2,"groups":[{"id":"11111111-1111-1111-1111-111111111111",
          "name":" \t ","frame":[[0,0],[1,1]],"activeWindowID":1,"members":[]}]})");
    EXPECT_FALSE(UpdateHandoffStore(file).takeAndDelete()->groups[0].name);
}

TEST_F(HandoffFileTests, UnsoundGroupsAreDroppedAloneWhenReadingAndWriting) {
    // A window listed twice, a repeated group id. (A frame out of the range of
    // doubles makes the whole file unreadable.)
    put(R"({"schemaVersion":1,"bootTime":1,"writtenAtUptime":2,"groups":[
        {"id":"22222222-2222-2222-2222-222222222222","frame":[[0,0],[1,1]],"activeWindowID":1,"members":[
            {"windowID":1,"pid":1,"lastKnownTitle":""},{"windowID":1,"pid":1,"lastKnownTitle":""}]},
        {"id":"33333333-3333-3333-3333-333333333333","frame":[[0,0],[1,1]],"activeWindowID":1,"members":[]},
        {"id":"33333333-3333-3333-3333-333333333333","frame":[[5,5],[1,1]],"activeWindowID":1,"members":[]}]})");
    const auto read = UpdateHandoffStore(file).takeAndDelete();
    ASSERT_TRUE(read);
    ASSERT_EQ(read->groups.size(), 1u);
    EXPECT_EQ(read->groups[0].frame, Rect(0, 0, 1, 1));
    EXPECT_EQ(log.size(), 2u);

    log.clear();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    UpdateHandoff handoff(1, 2, {group(kID1, {member(1), member(2)}, Rect(nan, 0, 10, 10)),
                                 group(kID2, {member(3), member(4)})});
    UpdateHandoffStore store(file);
    store.write(handoff);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], ::testing::HasSubstr(kID1));
    const auto back = store.takeAndDelete();
    ASSERT_TRUE(back);
    ASSERT_EQ(back->groups.size(), 1u);
    EXPECT_EQ(back->groups[0].id, *Uuid::fromString(kID2));
}

// A frame no display can hold (finite, but past any screen) is refused as
// its group is read, before anything places a window or a bar on it.
TEST_F(HandoffFileTests, AGroupWhoseFrameIsOutOfAnyScreensRangeIsDropped) {
    put(R"({"schemaVersion":1,"bootTime":1,"writtenAtUptime":2,"groups":[
        {"id":"22222222-2222-2222-2222-222222222222","frame":[[1e300,-1e300],[1e300,1e300]],"activeWindowID":1,
         "members":[{"windowID":1,"pid":1,"lastKnownTitle":""},{"windowID":2,"pid":1,"lastKnownTitle":""}]},
        {"id":"33333333-3333-3333-3333-333333333333","frame":[[-3e9,0],[800,600]],"activeWindowID":3,
         "members":[{"windowID":3,"pid":1,"lastKnownTitle":""},{"windowID":4,"pid":1,"lastKnownTitle":""}]},
        {"id":"44444444-4444-4444-4444-444444444444","frame":[[-1920,0],[1920,1080]],"activeWindowID":5,
         "members":[{"windowID":5,"pid":1,"lastKnownTitle":""},{"windowID":6,"pid":1,"lastKnownTitle":""}]}]})");
    const auto read = UpdateHandoffStore(file).takeAndDelete();
    ASSERT_TRUE(read);
    ASSERT_EQ(read->groups.size(), 1u);
    EXPECT_EQ(read->groups[0].frame, Rect(-1920, 0, 1920, 1080));
    EXPECT_EQ(log.size(), 2u);
    // Nor is one written.
    log.clear();
    UpdateHandoffStore(file).write(UpdateHandoff(1, 2, {group(kID1, {member(1), member(2)}, Rect(0, 0, 1e12, 600))}));
    EXPECT_EQ(log.size(), 1u);
    EXPECT_TRUE(UpdateHandoffStore(file).takeAndDelete()->groups.empty());
}

// A handoff file of another user's (left in the folder by a run under
// another account, or put there) is not restored, and the log says why.
TEST_F(HandoffFileTests, AFileOfAnotherUsersIsNotRestored) {
    UpdateHandoffStore store(file);
    store.write(UpdateHandoff(1, 2, {group(kID1, {member(1), member(2)})}));
    if (::chown(file.c_str(), ::getuid() + 1, static_cast<gid_t>(-1)) != 0) {
        GTEST_SKIP() << "files of another user cannot be made here";
    }
    EXPECT_FALSE(store.takeAndDelete());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], ::testing::HasSubstr("belongs to another user"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(file)));
}

TEST_F(HandoffFileTests, FailedWriteKeepsTheOlderFile) {
    UpdateHandoffStore store(file);
    store.write(UpdateHandoff(1, 2, {}));
    const std::string before = contents();
    store.write(UpdateHandoff(std::numeric_limits<double>::infinity(), 2, {}));
    EXPECT_EQ(contents(), before);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], ::testing::StartsWith("update handoff not written: "));
    // A folder that cannot be created.
    log.clear();
    std::ofstream(folder / "blocker") << "x";
    UpdateHandoffStore(folder / "blocker" / "Tessaly" / "update-handoff.json").write(UpdateHandoff(1, 2, {}));
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(HandoffFileTests, APipeAHugeFileOrALinkInPlaceOfTheFileIsRemovedAndNotRestored) {
    UpdateHandoffStore store(file);
    fs::create_directories(file.parent_path());
    // A named pipe: reading it must not wait for a writer.
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_FALSE(store.takeAndDelete());
    EXPECT_FALSE(fs::exists(fs::symlink_status(file)));
    // 100 MB (sparse): refused by its size, never read in.
    std::ofstream(file).close();
    fs::resize_file(file, 100u * 1024 * 1024);
    EXPECT_FALSE(store.takeAndDelete());
    EXPECT_FALSE(fs::exists(fs::symlink_status(file)));
    // A symbolic link, even to a sound handoff: only the link goes.
    const fs::path elsewhere = folder / "elsewhere.json";
    UpdateHandoffStore(elsewhere).write(UpdateHandoff(1, 2, {}));
    fs::create_symlink(elsewhere, file);
    EXPECT_FALSE(store.takeAndDelete());
    EXPECT_FALSE(fs::exists(fs::symlink_status(file)));
    EXPECT_TRUE(fs::exists(elsewhere));
    EXPECT_EQ(log.size(), 3u);
}

TEST(UpdateHandoffStoreTests, DefaultLocationIsPrivateAndNeverTheTemporaryFolder) {
    testing::ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(UpdateHandoffStore::defaultLocation(), fs::path("/data/home/Tessaly/update-handoff.json"));
    environment.set("XDG_DATA_HOME", "relative/ignored");
    environment.set("HOME", "/home/someone");
    EXPECT_EQ(UpdateHandoffStore::defaultLocation(), fs::path("/home/someone/.local/share/Tessaly/update-handoff.json"));
}

TEST(UpdateHandoffTests, FreshnessBounds) {
    const UpdateHandoff h(1000, 50, {});
    EXPECT_TRUE(h.isFresh(1000, 170));     // exactly 120 s
    EXPECT_FALSE(h.isFresh(1000, 170.01));
    EXPECT_TRUE(h.isFresh(1005, 60));      // boot times exactly 5 s apart
    EXPECT_FALSE(h.isFresh(1005.5, 60));
    EXPECT_FALSE(h.isFresh(1000, 49.9));   // the clock went back
    EXPECT_FALSE(h.isFresh(std::numeric_limits<double>::quiet_NaN(), 60));
    EXPECT_FALSE(UpdateHandoff(1000, std::numeric_limits<double>::infinity(), {}).isFresh(1000, 60));
}

TEST(UpdateHandoffLifecycleTests, ConsumeHandsOnAFreshHandoffOnce) {
    UpdateHandoffLifecycle lifecycle;
    EXPECT_FALSE(lifecycle.consumeFresh(1000, 60));
    lifecycle.storePendingAtLaunch(UpdateHandoff(1000, 50, {}));
    EXPECT_TRUE(lifecycle.consumeFresh(1000, 60));
    EXPECT_FALSE(lifecycle.consumeFresh(1000, 60));

    lifecycle.storePendingAtLaunch(UpdateHandoff(1000, 50, {}));
    EXPECT_FALSE(lifecycle.consumeFresh(1000, 171));  // 121 s old: dropped
    EXPECT_FALSE(lifecycle.hasPending());
    EXPECT_FALSE(lifecycle.consumeFresh(1000, 60));

    lifecycle.storePendingAtLaunch(UpdateHandoff(1000, 50, {}));
    lifecycle.storePendingAtLaunch(std::nullopt);
    EXPECT_FALSE(lifecycle.hasPending());
}

TEST(UpdateHandoffLifecycleTests, FailedStartKeepsTheHandoffUntilASessionStarts) {
    UpdateHandoffLifecycle lifecycle;
    lifecycle.storePendingAtLaunch(UpdateHandoff(1000, 50, {}));
    // No permission yet: the attempt stops before a session exists.
    EXPECT_TRUE(lifecycle.keepIfFresh(1000, 55));
    EXPECT_TRUE(lifecycle.hasPending());
    // The permission arrives 30 s later: the session starts with the groups.
    EXPECT_TRUE(lifecycle.consumeFresh(1000, 85));
    // Too late: freshness is tested again and the handoff is dropped.
    lifecycle.storePendingAtLaunch(UpdateHandoff(1000, 50, {}));
    EXPECT_TRUE(lifecycle.keepIfFresh(1000, 100));
    EXPECT_FALSE(lifecycle.keepIfFresh(1000, 200));
    EXPECT_FALSE(lifecycle.hasPending());
}

TEST(UpdateHandoffLifecycleTests, RelaunchWriteWindow) {
    UpdateHandoffLifecycle lifecycle;
    EXPECT_FALSE(lifecycle.shouldWriteHandoff(0));
    lifecycle.noteWillRelaunch(100);
    EXPECT_TRUE(lifecycle.shouldWriteHandoff(130));
    EXPECT_FALSE(lifecycle.shouldWriteHandoff(130.5));
    EXPECT_TRUE(lifecycle.shouldWriteHandoff(50));
    lifecycle.noteWillRelaunch(200);
    EXPECT_TRUE(lifecycle.shouldWriteHandoff(230));
}

}  // namespace
}  // namespace tessaly
