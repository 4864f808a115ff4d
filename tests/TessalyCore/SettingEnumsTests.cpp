#include "TessalyCore/SettingEnums.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

TEST(SettingEnums, RawValuesAreExactAndCaseSensitive) {
    EXPECT_EQ(fromRawValue<FullscreenPolicy>("suspend"), FullscreenPolicy::suspend);
    EXPECT_EQ(fromRawValue<OffSpacePolicy>("suspend"), OffSpacePolicy::suspend);
    EXPECT_EQ(fromRawValue<OffSpacePolicy>("detach"), OffSpacePolicy::detach);
    EXPECT_EQ(fromRawValue<AppearanceMode>("light"), AppearanceMode::light);

    EXPECT_EQ(fromRawValue<FullscreenPolicy>("Suspend"), std::nullopt);
    EXPECT_EQ(fromRawValue<OffSpacePolicy>("DETACH"), std::nullopt);
    EXPECT_EQ(fromRawValue<FullscreenPolicy>(""), std::nullopt);
    EXPECT_EQ(fromRawValue<AppearanceMode>(" dark"), std::nullopt);
    EXPECT_EQ(fromRawValue<AppearanceMode>("suspend"), std::nullopt);
    EXPECT_EQ(fromRawValue<AppearanceMode>(std::string_view("dark\0", 5)), std::nullopt);
}

TEST(SettingEnums, AllCasesInDeclarationOrder) {
    const auto fs = allCases<FullscreenPolicy>();
    ASSERT_EQ(fs.size(), 2u);
    EXPECT_EQ(fs[0], FullscreenPolicy::suspend);
    EXPECT_EQ(fs[1], FullscreenPolicy::detach);

    const auto os = allCases<OffSpacePolicy>();
    ASSERT_EQ(os.size(), 2u);
    EXPECT_EQ(os[0], OffSpacePolicy::suspend);
    EXPECT_EQ(os[1], OffSpacePolicy::detach);

    const auto ap = allCases<AppearanceMode>();
    ASSERT_EQ(ap.size(), 3u);
    EXPECT_EQ(ap[0], AppearanceMode::system);
    EXPECT_EQ(ap[1], AppearanceMode::light);
    EXPECT_EQ(ap[2], AppearanceMode::dark);
}

template <class E>
void expectRoundTrip() {
    for (E value : allCases<E>()) {
        const std::string raw(rawValue(value));
        EXPECT_FALSE(raw.empty());
        EXPECT_EQ(fromRawValue<E>(raw), value) << raw;
    }
}

TEST(SettingEnums, RawValueRoundTripsEveryCase) {
    expectRoundTrip<FullscreenPolicy>();
    expectRoundTrip<OffSpacePolicy>();
    expectRoundTrip<AppearanceMode>();
    static_assert(rawValue(AppearanceMode::system) == "system");
    static_assert(fromRawValue<FullscreenPolicy>("detach") == FullscreenPolicy::detach);
}

}  // namespace
}  // namespace tessaly
