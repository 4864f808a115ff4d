#include "Platform/Log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

using tessaly::categoryName;
using tessaly::Log;
using tessaly::LogCategory;
using tessaly::LogLevel;
using testing::ElementsAre;

namespace {

struct Line {
    LogLevel level;
    LogCategory category;
    std::string message;
    friend bool operator==(const Line&, const Line&) = default;
};

struct LogTest : testing::Test {
    std::vector<Line> lines;
    void SetUp() override {
        Log::setDiagnosticsEnabled(false);
        Log::setSink([this](LogLevel level, LogCategory category, std::string_view message) {
            lines.push_back({level, category, std::string(message)});
        });
    }
    void TearDown() override {
        Log::setSink(nullptr);
        Log::setDiagnosticsEnabled(false);
    }
};

}  // namespace

TEST(LogCategories, NamesAsTheyAppearInTheLog) {
    EXPECT_EQ(categoryName(LogCategory::app), "app");
    EXPECT_EQ(categoryName(LogCategory::settingsFile), "settings-file");
    EXPECT_EQ(categoryName(LogCategory::updater), "updater");
    EXPECT_EQ(categoryName(LogCategory::activate), "activate");
    EXPECT_EQ(categoryName(LogCategory::reconcile), "reconcile");
    EXPECT_EQ(categoryName(LogCategory::update), "update");
    EXPECT_EQ(categoryName(LogCategory::drag), "drag");
    EXPECT_EQ(categoryName(LogCategory::focus), "focus");
    EXPECT_EQ(categoryName(LogCategory::overlay), "overlay");
    EXPECT_EQ(categoryName(LogCategory::spring), "spring");
}

TEST_F(LogTest, SinkReceivesEveryLineWithItsLevelAndCategory) {
    Log::info(LogCategory::app, "started");
    Log::error(LogCategory::settingsFile, "unreadable");
    Log::notice(LogCategory::drag, "grouped 1 with 2");
    Log::debug(LogCategory::overlay, "panel has no active window");
    Log::write(LogLevel::fault, LogCategory::focus, "lost");
    EXPECT_THAT(lines, ElementsAre(Line{LogLevel::info, LogCategory::app, "started"},
                                   Line{LogLevel::error, LogCategory::settingsFile, "unreadable"},
                                   Line{LogLevel::notice, LogCategory::drag, "grouped 1 with 2"},
                                   Line{LogLevel::debug, LogCategory::overlay, "panel has no active window"},
                                   Line{LogLevel::fault, LogCategory::focus, "lost"}));
}

TEST_F(LogTest, TracesAreWrittenOnlyWhileDiagnosticsAreOn) {
    EXPECT_FALSE(Log::diagnosticsEnabled());
    Log::trace(LogCategory::reconcile, "hidden");
    EXPECT_TRUE(lines.empty());

    Log::setDiagnosticsEnabled(true);
    EXPECT_TRUE(Log::diagnosticsEnabled());
    Log::trace(LogCategory::reconcile, "resync reflow active 4711");
    Log::setDiagnosticsEnabled(false);
    Log::trace(LogCategory::spring, "hidden again");
    // Ordinary lines do not depend on the switch.
    Log::error(LogCategory::reconcile, "snap-back budget exhausted");

    EXPECT_THAT(lines, ElementsAre(Line{LogLevel::notice, LogCategory::reconcile, "resync reflow active 4711"},
                                   Line{LogLevel::error, LogCategory::reconcile, "snap-back budget exhausted"}));
}

TEST_F(LogTest, ASinkMayLogAndReplaceTheSinkFromInside) {
    std::vector<std::string> second;
    Log::setSink([&](LogLevel, LogCategory, std::string_view message) {
        Log::setSink([&](LogLevel, LogCategory, std::string_view inner) { second.emplace_back(inner); });
        Log::info(LogCategory::app, std::string("echo ") + std::string(message));
    });
    Log::info(LogCategory::app, "one");
    Log::info(LogCategory::app, "two");
    EXPECT_THAT(second, ElementsAre("echo one", "two"));
}

TEST_F(LogTest, WritingWhileTheSinkIsSwappedOnAnotherThreadIsSafe) {
    std::atomic<int> received{0};
    std::atomic<bool> done{false};
    Log::setSink([&](LogLevel, LogCategory, std::string_view) { received += 1; });
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) Log::info(LogCategory::app, "line");
        done = true;
    });
    while (!done) {
        Log::setSink([&](LogLevel, LogCategory, std::string_view) { ++received; });
        Log::setSink([&](LogLevel, LogCategory, std::string_view) { received += 1; });
    }
    writer.join();
    // With a sink always installed, no line escaped to the default output.
    EXPECT_EQ(received.load(), 2000);
}

TEST_F(LogTest, SetSinkReturnsOnlyOnceTheOldSinkHasLeftOnEveryThread) {
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> swapped{false};
    std::atomic<bool> swappedWhileInside{false};
    std::atomic<bool> first{true};
    Log::setSink([&](LogLevel, LogCategory, std::string_view message) {
        if (message != "blocking" || !first.exchange(false)) return;
        entered.set_value();
        released.wait();
        swappedWhileInside = swapped.load();
    });
    std::thread writer([] { Log::info(LogCategory::app, "blocking"); });
    entered.get_future().wait();

    std::atomic<bool> newSinkLive{false};
    std::thread swapper([&] {
        Log::setSink([&](LogLevel, LogCategory, std::string_view) { newSinkLive = true; });
        swapped = true;
    });
    // Once a line reaches the new sink the swap has happened, and the swapper
    // is held until the writer leaves the old one.
    while (!newSinkLive) Log::info(LogCategory::app, "probe");
    EXPECT_FALSE(swapped.load());
    release.set_value();
    writer.join();
    swapper.join();
    EXPECT_TRUE(swapped.load());
    EXPECT_FALSE(swappedWhileInside.load());
}

TEST(LogDefault, WithoutASinkLinesReachTheJournalOrStandardError) {
    Log::setSink(nullptr);
    testing::internal::CaptureStderr();
    Log::error(LogCategory::settingsFile, "default output check");
    const std::string err = testing::internal::GetCapturedStderr();
    // Without a journal the line is on stderr with its category; with one,
    // stderr stays clean.
    if (!err.empty()) {
        EXPECT_NE(err.find("settings-file"), std::string::npos) << err;
        EXPECT_NE(err.find("default output check"), std::string::npos) << err;
        EXPECT_EQ(err.back(), '\n');
    }
}

TEST(LogDefault, DebugLinesReachStandardErrorOnlyWhileDiagnosticsAreOn) {
    Log::setSink(nullptr);
    Log::setJournalPreferred(false);
    testing::internal::CaptureStderr();
    Log::debug(LogCategory::focus, "focus event dropped: quiet");
    Log::notice(LogCategory::app, "session started");
    Log::setDiagnosticsEnabled(true);
    Log::debug(LogCategory::focus, "focus event dropped: diagnosing");
    Log::setDiagnosticsEnabled(false);
    const std::string err = testing::internal::GetCapturedStderr();
    Log::setJournalPreferred(true);
    EXPECT_EQ(err.find("quiet"), std::string::npos) << err;
    EXPECT_NE(err.find("session started"), std::string::npos) << err;
    EXPECT_NE(err.find("diagnosing"), std::string::npos) << err;
}
