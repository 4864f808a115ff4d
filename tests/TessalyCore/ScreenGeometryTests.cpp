#include "TessalyCore/CoordinateConversion.h"
#include "TessalyCore/DisplayText.h"
#include "TessalyCore/Replacing.h"
#include "TessalyCore/ScreenBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

TEST(ScreenBox, EqualFullButDifferentVisibleAreDifferentScreens) {
    const ScreenBox a{Rect(0, 0, 1440, 900), Rect(0, 25, 1440, 875)};
    const ScreenBox b{Rect(0, 0, 1440, 900), Rect(0, 25, 1440, 800)};
    EXPECT_NE(a, b);
    EXPECT_EQ(a, (ScreenBox{Rect(0, 0, 1440, 900), Rect(0, 25, 1440, 875)}));
}

TEST(CoordinateConversion, FlipsAboutMainDisplayHeightAndBack) {
    const Rect cg(0, 0, 100, 50);
    const Rect appKit = CoordinateConversion::appKitRect(cg, 1000);
    EXPECT_EQ(appKit, Rect(0, 950, 100, 50));
    EXPECT_EQ(CoordinateConversion::cgRect(appKit, 1000), cg);

    // A screen above the main display has negative window-server y.
    EXPECT_EQ(CoordinateConversion::appKitRect(Rect(10, -600, 800, 600), 900), Rect(10, 900, 800, 600));
}

TEST(CoordinateConversion, MainDisplayHeightPrefersFirstScreen) {
    const std::vector<Rect> screens{Rect(0, 0, 1440, 900), Rect(1440, 0, 1920, 1080)};
    EXPECT_EQ(CoordinateConversion::mainDisplayHeight(screens, Rect(0, 0, 800, 600)), 900);
    EXPECT_EQ(CoordinateConversion::mainDisplayHeight({}, Rect(0, 0, 800, 600)), 600);
}

TEST(DisplayText, CollapsesWhitespaceAndTrims) {
    EXPECT_EQ(DisplayText::sanitized("  a \t b\n"), "a b");
    EXPECT_EQ(DisplayText::sanitized("     "), "");
    EXPECT_EQ(DisplayText::sanitized(""), "");
    // No-break space, ideographic space, line and paragraph separators.
    EXPECT_EQ(DisplayText::sanitized("x\u00A0\u3000y\u2028z\u2029"), "x y z");
}

TEST(DisplayText, DropsControlAndFormatButKeepsJoiners) {
    EXPECT_EQ(DisplayText::sanitized("a\u200Db"), "a\u200Db");
    EXPECT_EQ(DisplayText::sanitized("a\u200Cb"), "a\u200Cb");
    EXPECT_EQ(DisplayText::sanitized("a\u200Bb\u0007c"), "abc");
    EXPECT_EQ(DisplayText::sanitized("\u202Eabc\u202C"), "abc");
    // A dropped character keeps the pending space.
    EXPECT_EQ(DisplayText::sanitized("a \u0007b"), "a b");
    // Nothing visible before the space: no leading space.
    EXPECT_EQ(DisplayText::sanitized("\u0007 b"), "b");
}

TEST(DisplayText, InvalidUtf8BecomesReplacementCharacter) {
    EXPECT_EQ(DisplayText::sanitized(std::string("a\xFF" "b")), "a\uFFFDb");
}

TEST(DisplayText, CountsUserPerceivedCharacters) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";  // one emoji of three people
    const std::string accented = "e\u0301";                                  // e + combining acute
    EXPECT_EQ(DisplayText::characterCount(family + accented + "x"), 3u);
    EXPECT_EQ(DisplayText::truncated(family + accented + "xy", 3), family + accented + "\u2026");
    EXPECT_EQ(DisplayText::truncated(family + accented + "x", 3), family + accented + "x");
    EXPECT_EQ(DisplayText::characterCount(""), 0u);
}

TEST(DisplayText, TruncatedKeepsLimitCharactersInAll) {
    EXPECT_EQ(DisplayText::truncated("abcde", 5), "abcde");
    EXPECT_EQ(DisplayText::truncated("abcdef", 5), "abcd\u2026");
    EXPECT_EQ(DisplayText::truncated("\u00E9\u00E9\u00E9", 2), "\u00E9\u2026");
    const std::string accented = "e\u0301";
    EXPECT_EQ(DisplayText::truncated(accented + accented + accented, 3), accented + accented + accented);
    EXPECT_EQ(DisplayText::truncated(accented + accented + accented + "x", 3), accented + accented + "\u2026");
    EXPECT_EQ(DisplayText::truncated("abc", 1), "\u2026");
    EXPECT_EQ(DisplayText::truncated("abc", 0), "");
    EXPECT_EQ(DisplayText::truncated("", 0), "");
}

struct Item {
    int id = 0;
    std::string label;
    friend bool operator==(const Item&, const Item&) = default;
};

TEST(Replacing, ReplacesOnlyTheFirstMatch) {
    const std::vector<Item> items{{1, "a"}, {2, "b"}, {2, "c"}};
    const auto replaced = replacing(items, 2, Item{7, "z"});
    ASSERT_TRUE(replaced.has_value());
    EXPECT_EQ(*replaced, (std::vector<Item>{{1, "a"}, {7, "z"}, {2, "c"}}));
    EXPECT_EQ(items[1], (Item{2, "b"}));
    EXPECT_EQ(replacing(items, 9, Item{9, "q"}), std::nullopt);
}

}  // namespace
}  // namespace tessaly
