#include "model/defaults.h"
#include "model/packing.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>

namespace tk {
namespace {

using test::Bytes;
using test::w;

TEST(Tetrads, TetraToCharGivesUpperCaseDigitsTetradByTetrad) {
    EXPECT_EQ(TetraToChar(0x1A2F, 3), '1');
    EXPECT_EQ(TetraToChar(0x1A2F, 2), 'A');
    EXPECT_EQ(TetraToChar(0x1A2F, 1), '2');
    EXPECT_EQ(TetraToChar(0x1A2F, 0), 'F');
    EXPECT_EQ(ObjNumText(0x00A0), "00A0");
    EXPECT_EQ(ObjNumText(0xBEEF), "BEEF");
}

struct CharToTetraCase {
    char ch;
    std::int32_t before;
    int n;
    bool ok;
    std::int32_t after;
};

class CharToTetraTest : public testing::TestWithParam<CharToTetraCase> {};

TEST_P(CharToTetraTest, ReplacesOnlyItsTetrad) {
    const auto& c = GetParam();
    std::int32_t v = c.before;
    EXPECT_EQ(CharToTetra(c.ch, v, c.n), c.ok);
    EXPECT_EQ(v, c.after);
}

INSTANTIATE_TEST_SUITE_P(Table, CharToTetraTest,
                         testing::Values(CharToTetraCase{'b', 0x1111, 2, true, 0x1B11},
                                         CharToTetraCase{'g', 0x1111, 2, false, 0x1111},
                                         CharToTetraCase{'F', 0x0000, 0, true, 0x000F},
                                         CharToTetraCase{'0', 0xFFFF, 3, true, 0x0FFF},
                                         CharToTetraCase{'a', 0x1234, 1, true, 0x12A4},
                                         CharToTetraCase{'9', 0x1234, 0, true, 0x1239},
                                         CharToTetraCase{' ', 0x1234, 0, false, 0x1234},
                                         CharToTetraCase{'\0', 0x1234, 0, false, 0x1234},
                                         CharToTetraCase{'G', 0x1234, 0, false, 0x1234}));

struct PhoneCase {
    const char* text;
    std::array<std::uint8_t, 8> packed;
    const char* unpacked; // what raspactel gives back
};

class PhonePacking : public testing::TestWithParam<PhoneCase> {};

TEST_P(PhonePacking, PacksToTheseBytes) {
    const auto& c = GetParam();
    std::array<std::uint8_t, 8> out{};
    out.fill(0xEE);
    convtel(out, c.text);
    EXPECT_EQ(out, c.packed);
}

TEST_P(PhonePacking, UnpacksBack) {
    const auto& c = GetParam();
    EXPECT_EQ(raspactel(c.packed), c.unpacked);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PhonePacking,
    testing::Values(PhoneCase{"", {0xB0, 0, 0, 0, 0, 0, 0, 0}, ""},
                    PhoneCase{"12", {0x12, 0xB0, 0, 0, 0, 0, 0, 0}, "12"},
                    PhoneCase{"123", {0x12, 0x3B, 0, 0, 0, 0, 0, 0}, "123"},
                    PhoneCase{"+7*1", {0xA7, 0xC1, 0xB0, 0, 0, 0, 0, 0}, "+7*1"},
                    PhoneCase{"#5", {0x05, 0xB0, 0, 0, 0, 0, 0, 0}, "05"},
                    PhoneCase{"123456789012345",
                              {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x5B},
                              "123456789012345"},
                    PhoneCase{"12345678901234",
                              {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0xB0},
                              "12345678901234"},
                    // Sixteen characters fill every nibble; there is no room for the end.
                    PhoneCase{"1234567890123456",
                              {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56},
                              "1234567890123456"}));

TEST(PhonePacking, NibblesWithoutCharacterAreSkippedWhenUnpacking) {
    EXPECT_EQ(raspactel(std::array<std::uint8_t, 8>{0x1D, 0x2B}), "12");
    EXPECT_EQ(raspactel(std::array<std::uint8_t, 8>{0xEF, 0x3B}), "3");
    EXPECT_EQ(raspactel(std::array<std::uint8_t, 8>{}), "0000000000000000");
}

// The characters entry admits for a packed number are exactly those that come back
// from the image as they went in.
TEST(PhonePacking, AdmittedCharactersAreExactlyThoseThatSurvivePacking) {
    for (char32_t c = 0; c < 0x100; ++c) {
        const std::string text(1, static_cast<char>(c));
        std::array<std::uint8_t, 8> out{};
        convtel(out, text);
        EXPECT_EQ(IsPackedTelephoneChar(c), raspactel(out) == text) << static_cast<int>(c);
    }
}

TEST(PhonePacking, CharactersBeyondSixteenAreDropped) {
    std::array<std::uint8_t, 8> out{};
    convtel(out, "12345678901234567890");
    EXPECT_EQ(out, (std::array<std::uint8_t, 8>{0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56}));
}

TEST(ImageText, ThirtyOneCharactersEndWithTheZeroInTheLastByte) {
    const std::string text(31, 'x');
    Bytes field(34, 0xEE);
    strtobuf(std::span(field).first(32), text);
    EXPECT_EQ(field[30], 'x');
    EXPECT_EQ(field[31], 0);
    EXPECT_EQ(field[32], 0xEE) << "wrote past the field";
    EXPECT_EQ(buftostr(std::span(field).first(32)), text);
}

TEST(ImageText, LongerTextIsCutToTheFieldMinusOne) {
    Bytes field(17, 0xEE);
    strtobuf(std::span(field).first(16), "0123456789ABCDEFGHIJ");
    EXPECT_EQ(test::slice(field, 0, 17), (Bytes{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9',
                                                'A', 'B', 'C', 'D', 'E', 0, 0xEE}));
}

TEST(ImageText, BytesAfterTheTextAreCleared) {
    Bytes field(8, 0xEE);
    strtobuf(field, "ab");
    EXPECT_EQ(field, (Bytes{'a', 'b', 0, 0, 0, 0, 0, 0}));
}

TEST(ImageText, FieldWithoutZeroDecodesAllButItsLastByte) {
    const Bytes field{'a', 'b', 'c', 'd'};
    EXPECT_EQ(buftostr(field), "abc");
    const Bytes withZero{'a', 0, 'c', 'd'};
    EXPECT_EQ(buftostr(withZero), "a");
}

struct SmsCase {
    std::int32_t objNum;
    bool russian;
    const char* alarm;
    const char* restore;
    const char* arm;
    const char* disarm;
};

class SmsGeneration : public testing::TestWithParam<SmsCase> {};

TEST_P(SmsGeneration, RewritesEveryText) {
    const auto& c = GetParam();
    Configuration cfg;
    setdefault(cfg);
    cfg.ObjNum = c.objNum;
    cfg.Options = c.russian ? 0x17 : 0x16;
    GenerateSmsTexts(cfg, SmsObjNums::Keep);
    EXPECT_EQ(cfg.ArmSMSText, w(c.arm));
    EXPECT_EQ(cfg.DisarmSMSText, w(c.disarm));
    for (int n : {1, 4, 5, 64}) {
        EXPECT_EQ(cfg.Inputs[n].AlarmSMSText, w(c.alarm)) << n;
        EXPECT_EQ(cfg.Inputs[n].RestoreSMSText, w(c.restore)) << n;
    }
    EXPECT_TRUE(cfg.Inputs[0].AlarmSMSText.empty()) << "element 0 is never used";
}

INSTANTIATE_TEST_SUITE_P(
    Table, SmsGeneration,
    testing::Values(
        SmsCase{0x1111, true, "1111 Тревога ", "1111 Восстановление ", "1111 Постановка ",
                "1111 Снятие "},
        SmsCase{0x1111, false, "1111 Alarm ", "1111 Restore ", "1111 Armed ", "1111 Disarmed "},
        SmsCase{0x00A0, true, "00A0 Тревога ", "00A0 Восстановление ", "00A0 Постановка ",
                "00A0 Снятие "},
        SmsCase{0x00A0, false, "00A0 Alarm ", "00A0 Restore ", "00A0 Armed ", "00A0 Disarmed "}));

TEST(SmsGeneration, ObjectNumbersOfInputsOnlyWhenAsked) {
    Configuration cfg;
    setdefault(cfg);
    cfg.ObjNum = 0x2A7C;
    GenerateSmsTexts(cfg, SmsObjNums::Keep);
    EXPECT_EQ(cfg.Inputs[1].ObjNum, (std::array<std::int32_t, 2>{0x11, 0x11}));
    GenerateSmsTexts(cfg, SmsObjNums::Rewrite);
    for (int n : {1, 2, 33, 64}) {
        EXPECT_EQ(cfg.Inputs[n].ObjNum, (std::array<std::int32_t, 2>{0x2A, 0x7C})) << n;
    }
}

TEST(SmsGeneration, RussianTextsFitTheirField) {
    Configuration cfg;
    cfg.ObjNum = 0xFFFF;
    cfg.Options = OptCyrillic;
    GenerateSmsTexts(cfg, SmsObjNums::Keep);
    EXPECT_LE(cfg.Inputs[1].RestoreSMSText.size(), 31U);
}

} // namespace
} // namespace tk
