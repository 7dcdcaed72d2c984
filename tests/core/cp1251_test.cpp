#include "model/cp1251.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

struct Cp1251Case {
    const char* utf8;
    std::string bytes;
};

class Cp1251Table : public testing::TestWithParam<Cp1251Case> {};

TEST_P(Cp1251Table, ConvertsBothWays) {
    const auto& c = GetParam();
    EXPECT_EQ(utf8ToCp1251(c.utf8), c.bytes);
    EXPECT_EQ(cp1251ToUtf8(c.bytes), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(Table, Cp1251Table,
                         testing::Values(Cp1251Case{"abc 123", "abc 123"},
                                         Cp1251Case{"АЯая", "\xC0\xDF\xE0\xFF"},
                                         Cp1251Case{"Ёё", "\xA8\xB8"},
                                         Cp1251Case{"№€—", "\xB9\x88\x97"},
                                         Cp1251Case{"ЂЏђџ", "\x80\x8F\x90\x9F"},
                                         Cp1251Case{"Тревога", "\xD2\xF0\xE5\xE2\xEE\xE3\xE0"}));

TEST(Cp1251, EveryAssignedByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        if (b != 0x98) {
            all += static_cast<char>(b);
        }
    }
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(all)), all);
}

TEST(Cp1251, RefusesWhatItCannotHoldAndNamesTheCharacter) {
    char32_t bad = 1;
    EXPECT_FALSE(utf8ToCp1251("ab\xE4\xB8\xAD", &bad)); // U+4E2D
    EXPECT_EQ(bad, U'\u4E2D');
    EXPECT_FALSE(utf8ToCp1251("\xC3\xA9", &bad)); // e acute
    EXPECT_EQ(bad, U'\u00E9');
    for (const char* malformed : {"\xD0", "\xC0\x80", "\xED\xA0\x80", "\xFF", "a\xE2\x82"}) {
        bad = 1;
        EXPECT_FALSE(utf8ToCp1251(malformed, &bad)) << malformed;
        EXPECT_EQ(bad, 0U);
    }
}

TEST(Utf8, CodePointsOfEveryLength) {
    const std::string text = "a\xD0\x96\xE2\x9C\x93\xF0\x9F\x94\xA5"; // a, Ж, ✓, U+1F525
    const auto points = utf8ToCodePoints(text);
    ASSERT_TRUE(points.has_value());
    EXPECT_EQ(*points, (std::u32string{U'a', U'\u0416', U'\u2713', U'\U0001F525'}));
    EXPECT_EQ(codePointsToUtf8(*points), text);
    for (const char* malformed : {"\xD0", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_FALSE(utf8ToCodePoints(malformed).has_value()) << malformed;
    }
}

} // namespace
} // namespace tk
