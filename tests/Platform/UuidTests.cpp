#include "Platform/Uuid.h"

#include <gtest/gtest.h>

#include <unordered_set>

using tessaly::Uuid;

TEST(Uuid, RandomIsVersion4UpperCaseAndDistinct) {
    std::unordered_set<Uuid> seen;
    for (int i = 0; i < 1000; ++i) {
        const Uuid id = Uuid::random();
        const std::string s = id.uuidString();
        ASSERT_EQ(s.size(), 36u);
        EXPECT_EQ(s[14], '4');
        EXPECT_NE(s.find_first_of("89AB", 19), std::string::npos);
        for (char c : s) EXPECT_TRUE(c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << s;
        EXPECT_TRUE(seen.insert(id).second);
    }
}

TEST(Uuid, ReadsEitherCaseAndRoundTrips) {
    const auto lower = Uuid::fromString("123e4567-e89b-42d3-a456-426614174000");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->uuidString(), "123E4567-E89B-42D3-A456-426614174000");
    EXPECT_EQ(Uuid::fromString(lower->uuidString()), lower);
}

TEST(Uuid, RejectsAnythingElse) {
    for (const char* bad : {"", "123e4567e89b42d3a456426614174000", "123e4567-e89b-42d3-a456-42661417400",
                            "123e4567-e89b-42d3-a456-4266141740000", "123e4567-e89b-42d3-a456_426614174000",
                            "123e4567-e89b-42d3-a456-42661417400g", "{123e4567-e89b-42d3-a456-426614174000}",
                            " 123e4567-e89b-42d3-a456-42661417400"}) {
        EXPECT_FALSE(Uuid::fromString(bad)) << bad;
    }
}
