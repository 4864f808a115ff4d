#include "TessalyCore/SettingsTransfer.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/TestFiles.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

class SettingsTransferTests : public ::testing::Test {
protected:
    SettingsTransferTests() : language(AppLanguage::english) {
        Log::setSink([this](LogLevel, LogCategory category, std::string_view line) {
            if (category == LogCategory::settingsFile) log.emplace_back(line);
        });
    }
    ~SettingsTransferTests() override { Log::setSink(nullptr); }
    SettingsFileError importError(const std::string& text) {
        const auto result = SettingsTransfer::decodeImport(text);
        EXPECT_FALSE(result.snapshot);
        return result.error.value_or(SettingsFileError::unreadable("decoded"));
    }

    L10n::ScopedLanguageForTesting language;
    testing::TempFolder temp;
    const fs::path& folder = temp.path();
    std::vector<std::string> log;
};

TEST_F(SettingsTransferTests, EveryErrorMapsToItsMessage) {
    using SettingsTransfer::message;
    EXPECT_EQ(message(importError(R"({"app":"Else","version":1})")), "This isn't a Tessaly settings file.");
    EXPECT_EQ(message(importError(R"({"app":"Tessaly","version":3})")),
              "This file was written by a newer version of Tessaly.");
    EXPECT_EQ(message(importError(R"({"app":"Tessaly","version":2})")), L10n::importErrorNewerVersion());
    EXPECT_EQ(message(importError(R"({"app":"Tessaly","version":0})")), L10n::importErrorUnsupportedVersion(0));
    EXPECT_NE(message(importError(R"({"app":"Tessaly","version":0})")).find('0'), std::string::npos);
    EXPECT_EQ(message(importError(R"({"app":"Tessaly","version":-1})")), L10n::importErrorUnsupportedVersion(-1));
    EXPECT_EQ(message(importError("{")), "The file is damaged or isn't in the expected format.");
    EXPECT_EQ(message(importError(R"({"app":"Tessaly","version":1,"holdDelay":"x"})")), L10n::importErrorUnreadable());
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[0].rfind("settings import failed: ", 0), 0u);
}

TEST_F(SettingsTransferTests, ExportWritesStampedBytesThatImportBack) {
    SettingsSnapshot snapshot;
    snapshot.language = "fr";
    snapshot.tabBarHeight = 32;
    const fs::path file = folder / "out.json";
    ASSERT_TRUE(SettingsTransfer::writeExport(snapshot, file, 1'765'000'000.4));
    const auto result = SettingsTransfer::readImport(file);
    ASSERT_TRUE(result.snapshot);
    snapshot.exportedAt = 1'765'000'000.0;
    EXPECT_EQ(*result.snapshot, snapshot);
    EXPECT_TRUE(log.empty());

    EXPECT_FALSE(SettingsTransfer::writeExport(snapshot, folder / "missing" / "out.json", 0));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("settings export failed: ", 0), 0u);
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(SettingsTransferTests, OversizedOrMissingFilesAreUnreadable) {
    const fs::path big = folder / "big.json";
    std::ofstream(big) << std::string(1024 * 1024 + 1, ' ');
    EXPECT_EQ(SettingsTransfer::readImport(big).error->kind(), SettingsFileError::Kind::unreadable);
    EXPECT_EQ(SettingsTransfer::readImport(folder / "none.json").error->kind(), SettingsFileError::Kind::unreadable);
}

TEST_F(SettingsTransferTests, DefaultNameAndConfirmation) {
    const char* saved = std::getenv("TZ");
    const std::string savedValue = saved ? saved : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(SettingsTransfer::defaultFileName(1'796'558'400), "Tessaly-Settings-2026-12-06.json");
    if (saved) ::setenv("TZ", savedValue.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();

    EXPECT_EQ(SettingsTransfer::confirmReplaceText(0), L10n::importConfirmBody());
    EXPECT_EQ(SettingsTransfer::confirmReplaceText(1), L10n::importConfirmBody() + "\n\n" + L10n::importSkippedItems(1));
    const auto dropped = SettingsTransfer::decodeImport(R"({"app":"Tessaly","version":1,"colorPresets":[1]})");
    ASSERT_TRUE(dropped.snapshot);
    EXPECT_EQ(dropped.snapshot->droppedItemCount, 1);
}

}  // namespace
}  // namespace tessaly
