#include "TessalyCore/TabColor.h"

#include <cmath>
#include <limits>
#include <unordered_set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tessaly {
namespace {

TabColor bytes(int r, int g, int b) { return TabColor(r / 255.0, g / 255.0, b / 255.0); }

TEST(TabColorTests, InitialiserClampsEveryComponent) {
    const TabColor c(2, -1, 0.5);
    EXPECT_EQ(c, TabColor(1, 0, 0.5));
    EXPECT_EQ(c.red, 1);
    EXPECT_EQ(c.green, 0);
    EXPECT_EQ(TabColor(std::numeric_limits<double>::quiet_NaN(), 0.25, 1).red, 0);
}

TEST(TabColorTests, HexParseAcceptsTheFourForms) {
    EXPECT_EQ(TabColor::fromHex(" #a1b2c3\n"), bytes(0xA1, 0xB2, 0xC3));
    EXPECT_EQ(TabColor::fromHex("A1B2C3"), bytes(0xA1, 0xB2, 0xC3));
    EXPECT_EQ(TabColor::fromHex("ABC"), bytes(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(TabColor::fromHex("#abc"), bytes(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(TabColor::fromHex("\u3000#aBc\u2028"), bytes(0xAA, 0xBB, 0xCC));  // Unicode white space
}

TEST(TabColorTests, HexParseRejectsEverythingElse) {
    for (const char* text : {"", "#", "##abc", "0x112233", "abcd", "11223344", "# abc", "#ab c", "+abc",
                             "#\xEF\xBC\x91\xEF\xBC\x92\xEF\xBC\x93",  // full-width digits
                             "  ", "#12345", "g12345"}) {
        EXPECT_FALSE(TabColor::fromHex(text).has_value()) << text;
    }
}

TEST(TabColorTests, HexStringRoundsHalfAwayFromZero) {
    EXPECT_EQ(TabColor::defaultAccent.hexString(), "#0A85FF");
    EXPECT_EQ(TabColor(0.5, 0.5, 0.5).hexString(), "#808080");
    EXPECT_EQ(TabColor(0, 0, 0).hexString(), "#000000");
    EXPECT_EQ(TabColor(1, 1, 1).hexString(), "#FFFFFF");
    EXPECT_EQ(TabColor::fromHex(TabColor::defaultAccent.hexString())->hexString(), "#0A85FF");
}

TEST(TabColorTests, HexStringOfAnAssignedOutOfRangeOrNaNComponentStaysSevenCharacters) {
    TabColor c;
    c.red = std::numeric_limits<double>::quiet_NaN();
    c.green = 7;
    c.blue = -3;
    EXPECT_EQ(c.hexString(), "#00FF00");
}

TEST(TabColorTests, PrefersDarkTextAboveHalfLuminance) {
    EXPECT_TRUE(TabColor(1, 1, 1).prefersDarkText());
    EXPECT_FALSE(TabColor(0, 0, 0).prefersDarkText());
    EXPECT_FALSE(TabColor::defaultBadge.prefersDarkText());
    EXPECT_TRUE(TabColor(1.0, 0.8, 0.0).prefersDarkText());
    EXPECT_FALSE(TabColor(1.0, 0.58, 0.0).prefersDarkText());
    EXPECT_TRUE(TabColor(0.74, 0.74, 0.74).prefersDarkText());
    EXPECT_FALSE(TabColor(0.73, 0.73, 0.73).prefersDarkText());
}

TEST(TabColorTests, JsonRoundTripClampsAndRequiresAllMembers) {
    const auto decoded = nlohmann::json::parse(R"({"red": 2, "green": -1, "blue": 0.5, "alpha": 1})").get<TabColor>();
    EXPECT_EQ(decoded, TabColor(1, 0, 0.5));
    const nlohmann::json encoded = decoded;
    EXPECT_EQ(encoded, nlohmann::json::parse(R"({"red": 1.0, "green": 0.0, "blue": 0.5})"));

    EXPECT_THROW(nlohmann::json::parse(R"({"red": 1, "green": 1})").get<TabColor>(), nlohmann::json::exception);
    EXPECT_THROW(nlohmann::json::parse(R"({"red": 1, "green": 1, "blue": "1"})").get<TabColor>(),
                 nlohmann::json::exception);
    EXPECT_THROW(nlohmann::json::parse(R"({"red": 1, "green": 1, "blue": true})").get<TabColor>(),
                 nlohmann::json::exception);
    EXPECT_FALSE(TabColor::fromJSON(nlohmann::json::parse(R"({"red": 1, "green": 1})")).has_value());
    EXPECT_EQ(TabColor::fromJSON(nlohmann::json::parse(R"({"red": 1, "green": 0, "blue": 0})")), TabColor(1, 0, 0));
}

TEST(TabColorTests, HashingAgreesWithEquality) {
    std::unordered_set<TabColor> set{TabColor::defaultAccent, TabColor::defaultBadge, TabColor(1, 0, 0)};
    EXPECT_EQ(set.size(), 2u);
}

}  // namespace
}  // namespace tessaly
