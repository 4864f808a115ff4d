#include "Platform/UserDefaults.h"

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "Platform/AtomicFile.h"
#include "Platform/Log.h"
#include "Platform/ManualMainExecutor.h"
#include "Platform/TestFiles.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

using tessaly::testing::TempFolder;

std::string contents(const fs::path& file) { return tessaly::testing::readFile(file); }
void put(const fs::path& file, const std::string& text) { tessaly::testing::writeFile(file, text); }

class LogCapture {
public:
    LogCapture() {
        Log::setSink([this](LogLevel, LogCategory, std::string_view line) { lines.emplace_back(line); });
    }
    ~LogCapture() { Log::setSink(nullptr); }
    std::vector<std::string> lines;
};

TEST(UserDefaultsTests, TypedReadsAnswerAbsentForOtherTypes) {
    InMemoryUserDefaults defaults;
    defaults.setString("shift", "gate");
    defaults.setDouble(0.5, "delay");
    defaults.setData({""}, "hotkey");
    defaults.setStringArray({"a", "b"}, "ids");
    EXPECT_EQ(defaults.stringForKey("gate"), "shift");
    EXPECT_FALSE(defaults.numberForKey("gate"));
    EXPECT_EQ(defaults.numberForKey("delay"), 0.5);
    EXPECT_FALSE(defaults.stringForKey("delay"));
    ASSERT_TRUE(defaults.dataForKey("hotkey"));  // empty data is a value
    EXPECT_TRUE(defaults.dataForKey("hotkey")->bytes.empty());
    EXPECT_FALSE(defaults.dataForKey("missing"));
    EXPECT_EQ(defaults.stringArrayForKey("ids"), (UserDefaults::StringArray{"a", "b"}));
    defaults.removeObjectForKey("ids");
    EXPECT_FALSE(defaults.stringArrayForKey("ids"));
}

TEST(UserDefaultsTests, BoolReadingOfEveryType) {
    InMemoryUserDefaults defaults;
    EXPECT_FALSE(defaults.boolForKey("missing"));
    defaults.setBool(true, "b");
    defaults.setDouble(2, "n");
    defaults.setDouble(0, "zero");
    defaults.setString("  YES", "yes");
    defaults.setString("no", "no");
    defaults.setString("1", "one");
    defaults.setData({"t"}, "data");
    EXPECT_TRUE(defaults.boolForKey("b"));
    EXPECT_TRUE(defaults.boolForKey("n"));
    EXPECT_FALSE(defaults.boolForKey("zero"));
    EXPECT_TRUE(defaults.boolForKey("yes"));
    EXPECT_FALSE(defaults.boolForKey("no"));
    EXPECT_TRUE(defaults.boolForKey("one"));
    EXPECT_FALSE(defaults.boolForKey("data"));
}

TEST(FileUserDefaultsTests, ValuesSurviveAReopenWithPrivateMode) {
    TempFolder folder;
    const fs::path file = folder.path() / "tessaly" / "defaults.json";
    {
        FileUserDefaults defaults(file);
        defaults.setBool(true, "welcomeShown");
        defaults.setDouble(36, "tabBarHeight");
        defaults.setString("dark", "appearanceMode");
        defaults.setStringArray({"x", "y"}, "excludedBundleIDs");
        defaults.setData({std::string("\0\xff{", 3)}, "blob");
        defaults.setData({""}, "tabCycleNextHotkey");
    }
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(file.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    FileUserDefaults reopened(file);
    EXPECT_TRUE(reopened.boolForKey("welcomeShown"));
    EXPECT_EQ(reopened.numberForKey("tabBarHeight"), 36);
    EXPECT_EQ(reopened.stringForKey("appearanceMode"), "dark");
    EXPECT_EQ(reopened.stringArrayForKey("excludedBundleIDs"), (UserDefaults::StringArray{"x", "y"}));
    EXPECT_EQ(reopened.dataForKey("blob")->bytes, std::string("\0\xff{", 3));
    ASSERT_TRUE(reopened.dataForKey("tabCycleNextHotkey"));
    EXPECT_TRUE(reopened.dataForKey("tabCycleNextHotkey")->bytes.empty());
    // No temporary files are left next to it.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
}

TEST(FileUserDefaultsTests, CorruptFileIsMovedAsideAndStoreStartsEmpty) {
    TempFolder folder;
    const fs::path file = folder.path() / "defaults.json";
    for (const std::string& bad : {std::string("{\"a\": tru"), std::string("[1, 2]"), std::string(70, '[') + std::string(70, ']')}) {
        put(file, bad);
        LogCapture log;
        FileUserDefaults defaults(file);
        EXPECT_FALSE(defaults.objectForKey("a"));
        EXPECT_FALSE(fs::exists(file));
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_NE(log.lines[0].find("moved aside"), std::string::npos);
        bool keptAside = false;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (entry.path().filename().string().starts_with("defaults.json.corrupt-") && contents(entry.path()) == bad) {
                keptAside = true;
                fs::remove(entry.path());
            }
        }
        EXPECT_TRUE(keptAside) << bad;
        // Writing afterwards makes a fresh, readable file.
        defaults.setBool(true, "a");
        EXPECT_TRUE(FileUserDefaults(file).boolForKey("a"));
        fs::remove(file);
    }
}

// While it lives, file permissions bind this thread even when it runs as
// root: it gives up overriding them (only from its effective set, so the
// power comes back at the end).
class PermissionsBind {
public:
    PermissionsBind() {
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct bound[2] = {saved_[0], saved_[1]};
        for (const int power : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
            bound[CAP_TO_INDEX(power)].effective &= ~CAP_TO_MASK(power);
        }
        active_ = ::syscall(SYS_capset, &header_, bound) == 0;
    }
    ~PermissionsBind() {
        if (active_) ::syscall(SYS_capset, &header_, saved_);
    }
    PermissionsBind(const PermissionsBind&) = delete;
    PermissionsBind& operator=(const PermissionsBind&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

TEST(FileUserDefaultsTests, AFileThatCannotBeReadIsLeftAsItIsAndNeverWrittenOver) {
    TempFolder folder;
    const fs::path file = folder.path() / "defaults.json";
    const std::string users = R"({"tabBarHeight": 40})";
    // Without permission to read it, a named pipe in its place, and one of
    // another user's.
    const std::vector<std::function<void()>> outOfReach{
        [&] {
            put(file, users);
            fs::permissions(file, fs::perms::none);
        },
        [&] { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
        // Another user's file (left by a run under another account, or put
        // there): only the user's own settings are taken.
        [&] {
            put(file, users);
            fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
            ASSERT_EQ(::chown(file.c_str(), ::getuid() + 1, static_cast<gid_t>(-1)), 0) << "run the tests as root";
        },
    };
    for (std::size_t kind = 0; kind < outOfReach.size(); ++kind) {
        SCOPED_TRACE(kind);
        ASSERT_NO_FATAL_FAILURE(outOfReach[kind]());
        LogCapture log;
        {
            PermissionsBind bind;
            auto main = std::make_shared<ManualMainExecutor>();
            FileUserDefaults defaults(file);
            defaults.coalesceWrites(main);
            ASSERT_EQ(log.lines.size(), 1u);
            EXPECT_NE(log.lines[0].find("user defaults unreadable"), std::string::npos) << log.lines[0];
            EXPECT_NE(log.lines[0].find("left as it is"), std::string::npos) << log.lines[0];
            EXPECT_FALSE(defaults.objectForKey("tabBarHeight")) << "the program runs on defaults";

            // Changes hold for this run, and are said not to be saved, once.
            defaults.setDouble(30, "tabBarHeight");
            main->advance(1);
            defaults.setBool(true, "welcomeShown");
            EXPECT_FALSE(defaults.synchronize());
            EXPECT_EQ(defaults.numberForKey("tabBarHeight"), 30);
            EXPECT_TRUE(defaults.hasPendingChanges());
            EXPECT_EQ(defaults.fileWriteCount(), 0u);
            ASSERT_EQ(log.lines.size(), 2u);
            EXPECT_NE(log.lines[1].find("user defaults not written"), std::string::npos) << log.lines[1];
        }  // the store's final flush writes nothing either
        EXPECT_EQ(log.lines.size(), 2u);
        // The user's file is where it was, as it was, and alone.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
        if (kind == 0) {
            EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::none);
            fs::permissions(file, fs::perms::owner_read);
            EXPECT_EQ(contents(file), users);
        } else if (kind == 2) {
            EXPECT_EQ(contents(file), users);
            EXPECT_NE(log.lines[0].find("belongs to another user"), std::string::npos) << log.lines[0];
        } else {
            EXPECT_TRUE(fs::is_fifo(file));
        }
        fs::remove(file);
    }
}

TEST(FileUserDefaultsTests, UnknownShapesAreKeptButReadAsAbsent) {
    TempFolder folder;
    const fs::path file = folder.path() / "defaults.json";
    put(file, R"({"odd": {"nested": [1, 2]}, "mixed": ["a", 1], "nan": null, "ok": "yes", "badData": {"$data": "%%%"}})");
    FileUserDefaults defaults(file);
    EXPECT_FALSE(defaults.objectForKey("odd"));
    EXPECT_FALSE(defaults.objectForKey("mixed"));
    EXPECT_FALSE(defaults.objectForKey("badData"));
    EXPECT_FALSE(defaults.objectForKey("nan"));
    EXPECT_EQ(defaults.stringForKey("ok"), "yes");
    defaults.setDouble(std::numeric_limits<double>::quiet_NaN(), "height");
    const std::string written = contents(file);
    EXPECT_NE(written.find("\"nested\""), std::string::npos);
    EXPECT_NE(written.find("%%%"), std::string::npos);
    FileUserDefaults reopened(file);
    EXPECT_FALSE(reopened.numberForKey("height"));  // non-finite numbers read back absent
    EXPECT_EQ(reopened.stringForKey("ok"), "yes");
}

TEST(FileUserDefaultsTests, CoalescedChangesAreWrittenOnceAfterTheBurstAndFlushedAtTheEnd) {
    TempFolder folder;
    const fs::path file = folder.path() / "defaults.json";
    auto main = std::make_shared<ManualMainExecutor>();
    {
        FileUserDefaults defaults(file);
        defaults.coalesceWrites(main, 0.5);
        for (int i = 0; i < 15; ++i) defaults.setDouble(i, "key" + std::to_string(i));
        defaults.removeObjectForKey("key0");
        // Reads see the pending values at once; nothing is on disk yet.
        EXPECT_EQ(defaults.numberForKey("key14"), 14);
        EXPECT_FALSE(defaults.objectForKey("key0"));
        EXPECT_EQ(defaults.fileWriteCount(), 0u);
        EXPECT_FALSE(fs::exists(file));
        main->advance(0.49);
        EXPECT_EQ(defaults.fileWriteCount(), 0u);
        main->advance(0.01);
        EXPECT_EQ(defaults.fileWriteCount(), 1u);
        EXPECT_FALSE(defaults.hasPendingChanges());
        EXPECT_EQ(FileUserDefaults(file).numberForKey("key14"), 14);
        EXPECT_FALSE(FileUserDefaults(file).objectForKey("key0"));
        // Nothing pending: no timer, and synchronize writes nothing.
        EXPECT_EQ(main->pendingTimerCount(), 0u);
        EXPECT_TRUE(defaults.synchronize());
        EXPECT_EQ(defaults.fileWriteCount(), 1u);
        // A later burst that the program ends before its timer: written at the end.
        defaults.setString("last", "late");
        EXPECT_EQ(main->pendingTimerCount(), 1u);
    }
    EXPECT_EQ(main->pendingTimerCount(), 0u);  // the destroyed store's timer is gone
    main->advance(1);
    EXPECT_EQ(FileUserDefaults(file).stringForKey("late"), "last");
}

TEST(FileUserDefaultsTests, AWriteThatFailsIsReportedAndKeptPending) {
    TempFolder folder;
    // A regular file where the folder should be: no one, root included, can write below it.
    put(folder.path() / "blocked", "x");
    const fs::path file = folder.path() / "blocked" / "defaults.json";
    auto main = std::make_shared<ManualMainExecutor>();
    LogCapture log;
    FileUserDefaults defaults(file);
    defaults.coalesceWrites(main);
    defaults.setBool(true, "a");
    main->advance(1);
    EXPECT_EQ(defaults.fileWriteCount(), 1u);
    EXPECT_TRUE(defaults.hasPendingChanges());
    EXPECT_TRUE(defaults.boolForKey("a"));  // still in effect for this run
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_EQ(defaults.fileWriteCount(), 2u);
    ASSERT_FALSE(log.lines.empty());
    EXPECT_NE(log.lines.back().find("user defaults not written"), std::string::npos);
    // Once the folder can be made, the pending change goes out.
    fs::remove(folder.path() / "blocked");
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_TRUE(FileUserDefaults(file).boolForKey("a"));
}

TEST(AtomicFileTests, ReadCapsTheSizeAndTellsMissingFromFailed) {
    TempFolder folder;
    const fs::path file = folder.path() / "f";
    EXPECT_EQ(AtomicFile::read(file, 10).status, AtomicFile::ReadStatus::missing);
    put(folder.path() / "plain", "x");
    EXPECT_EQ(AtomicFile::read(folder.path() / "plain" / "f", 10).status, AtomicFile::ReadStatus::missing);
    EXPECT_EQ(AtomicFile::read(folder.path(), 10).status, AtomicFile::ReadStatus::failed);
    ASSERT_TRUE(AtomicFile::write(file, "0123456789"));
    EXPECT_EQ(AtomicFile::read(file, 10).bytes, "0123456789");
    EXPECT_EQ(AtomicFile::read(file, 9).status, AtomicFile::ReadStatus::tooLarge);
    // A write into a missing folder fails and leaves nothing behind.
    std::string error;
    EXPECT_FALSE(AtomicFile::write(folder.path() / "none" / "f", "x", 0600, &error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(AtomicFile::write(file, "new"));
    EXPECT_EQ(AtomicFile::read(file, 10).bytes, "new");
    // A named pipe is refused at once rather than waited on.
    const fs::path pipe = folder.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(AtomicFile::read(pipe, 10).status, AtomicFile::ReadStatus::failed);
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

TEST(FileUserDefaultsTests, DefaultLocationFollowsTheConfigFolder) {
    testing::ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(FileUserDefaults::defaultLocation(), std::filesystem::path("/somewhere/config/tessaly/defaults.json"));
    environment.set("XDG_CONFIG_HOME", "not/absolute");
    const auto fallback = FileUserDefaults::defaultLocation();
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->filename(), "defaults.json");
    EXPECT_EQ(fallback->parent_path().parent_path().filename(), ".config");
}

}  // namespace
}  // namespace tessaly
