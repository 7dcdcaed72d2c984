#include "model/defaults.h"
#include "model/input_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tk {
namespace {

Input inputWith(std::int32_t zoneType, std::int32_t flags) {
    Input in;
    in.ZoneType = zoneType;
    in.Flags = flags;
    return in;
}

// --- zone type and contact items as shown ---------------------------------------------

struct ShownCase {
    std::int32_t zoneType;
    std::int32_t flags;
    int zoneItem;
    ContactList list;
    int contactItem;
};

class Shown : public testing::TestWithParam<ShownCase> {};

TEST_P(Shown, ItemsFollowTheBitsInTheirOrder) {
    const ShownCase& c = GetParam();
    const Input in = inputWith(c.zoneType, c.flags);
    EXPECT_EQ(ZoneItemOf(in.ZoneType), c.zoneItem);
    EXPECT_EQ(ContactListFor(in.ZoneType), c.list);
    EXPECT_EQ(ContactItemOf(in), c.contactItem);
}

using enum ContactList;

INSTANTIATE_TEST_SUITE_P(
    Table, Shown,
    testing::Values(
        ShownCase{0x01, 0x00, ZoneItemEntryExit, Ordinary, ContactNormallyClosed},
        ShownCase{0x08, 0x10, ZoneItemWalkThrough, Ordinary, ContactNormallyOpen},
        ShownCase{0x04, 0x20, ZoneItemPerimeter, Ordinary, ContactResistorLoop},
        ShownCase{0x02, 0x30, ZoneItemTwentyFourHour, Ordinary, ContactNormallyOpen},
        // The fire marker is tested first: a resistor loop whatever else is set.
        ShownCase{0x02, 0x50, ZoneItemTwentyFourHour, Ordinary, ContactResistorLoop},
        ShownCase{0x10, 0x12, ZoneItemArmDisarm, ArmDisarm, ContactNormallyOpen},
        ShownCase{0x10, 0x02, ZoneItemArmDisarm, ArmDisarm, ContactNormallyOpen},
        ShownCase{0x10, 0x10, ZoneItemArmDisarm, ArmDisarm, ContactNormallyOpen},
        ShownCase{0x10, 0x24, ZoneItemArmDisarm, ArmDisarm, ContactNormallyClosed},
        // Several bits: 0x01, 0x02, 0x04, 0x08, 0x10 in this order, the last match wins.
        ShownCase{0x03, 0x00, ZoneItemTwentyFourHour, Ordinary, ContactNormallyClosed},
        ShownCase{0x05, 0x00, ZoneItemPerimeter, Ordinary, ContactNormallyClosed},
        ShownCase{0x0A, 0x00, ZoneItemWalkThrough, Ordinary, ContactNormallyClosed},
        ShownCase{0x11, 0x00, ZoneItemArmDisarm, ArmDisarm, ContactNormallyClosed},
        // Bits above the low byte and the fire type select nothing.
        ShownCase{0x104, 0x00, ZoneItemPerimeter, Ordinary, ContactNormallyClosed},
        ShownCase{0x20, 0x00, kNoItem, Ordinary, ContactNormallyClosed},
        ShownCase{0x00, 0x00, kNoItem, Ordinary, ContactNormallyClosed}));

// --- activation and the extension block count ------------------------------------------

// Activations (+n) and deactivations (-n) one after the other, and ExtBlocksCount
// after each.
struct ActivationCase {
    std::vector<int> steps;
    std::vector<int> counts;
};

class Activation : public testing::TestWithParam<ActivationCase> {};

TEST_P(Activation, CountFollowsTheHighestActivatedInput) {
    const ActivationCase& c = GetParam();
    Configuration cfg;
    setdefault(cfg);
    cfg.Inputs[1].Flags |= InpActivated; // inputs 1..4 need no block
    std::vector<int> counts;
    for (int step : c.steps) {
        const int n = step < 0 ? -step : step;
        Input kept = cfg.Inputs[static_cast<std::size_t>(n)];
        kept.Flags ^= InpActivated;
        EXPECT_TRUE(SetActivated(cfg, n, step > 0)) << step;
        // Only the activation bit changes; an inactive input keeps its values.
        EXPECT_EQ(cfg.Inputs[static_cast<std::size_t>(n)], kept) << step;
        counts.push_back(cfg.ExtBlocksCount);
        EXPECT_EQ(cfg.ExtBlocksCount, GetExtBlocksCount(cfg)) << step;
    }
    EXPECT_EQ(counts, c.counts);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Activation,
    testing::Values(ActivationCase{{5}, {1}}, ActivationCase{{8}, {1}}, ActivationCase{{9}, {2}},
                    ActivationCase{{5, 13}, {1, 3}}, ActivationCase{{13, 5}, {3, 3}},
                    ActivationCase{{5, 13, -13}, {1, 3, 1}}, ActivationCase{{5, 13, -5}, {1, 3, 3}},
                    ActivationCase{{9, 10, -10}, {2, 2, 2}},
                    ActivationCase{{12, -12, 8}, {2, 0, 1}},
                    ActivationCase{{64, 60, -64}, {15, 15, 14}}, ActivationCase{{61, -61}, {15, 0}},
                    ActivationCase{{2, 5, -2}, {0, 1, 1}}));

TEST(Activation, NoChangeLeavesTheCountAsItWas) {
    Configuration cfg;
    setdefault(cfg);
    cfg.ExtBlocksCount = 5; // as a file of five blocks left it
    EXPECT_FALSE(SetActivated(cfg, 7, false));
    EXPECT_EQ(cfg.ExtBlocksCount, 5);
    EXPECT_EQ(ExtBlockOfInput(4), 0);
    EXPECT_EQ(ExtBlockOfInput(5), 1);
    EXPECT_EQ(ExtBlockOfInput(64), 15);
}

TEST(InputTexts, CaptionsExactlyAsShown) {
    const std::string_view zones[] = {"вход/выход", "проходная", "периметр", "круглосуточная",
                                      "постановка/снятие"};
    const std::int32_t bits[] = {0x01, 0x08, 0x04, 0x02, 0x10};
    for (int i = 0; i < kZoneItemCount; ++i) {
        EXPECT_EQ(ZoneItemText(i), zones[i]);
        EXPECT_EQ(ZoneItemBit(i), bits[i]);
    }
    const auto ordinary = ContactItems(Ordinary);
    ASSERT_EQ(ordinary.size(), 3U);
    EXPECT_EQ(ordinary[0], "нормально замкнуты");
    EXPECT_EQ(ordinary[1], "нормально разомкнуты");
    EXPECT_EQ(ordinary[2], "шлейфовый резистор");
    const auto armDisarm = ContactItems(ArmDisarm);
    ASSERT_EQ(armDisarm.size(), 2U);
    // A no-break space (U+00A0, C2 A0 in UTF-8) after "нормально".
    EXPECT_EQ(armDisarm[0], "нормально\xC2\xA0замкнутые (снят с охраны)");
    EXPECT_EQ(armDisarm[1], "постановка/снятие импульсом 0.5 сек");
}

TEST(InputTexts, ItemsByTheirCaptions) {
    EXPECT_EQ(ZoneItemNamed("круглосуточная"), ZoneItemTwentyFourHour);
    EXPECT_EQ(ZoneItemNamed("Круглосуточная"), kNoItem);
    EXPECT_EQ(ZoneItemNamed(""), kNoItem);
    EXPECT_EQ(ContactItemNamed(Ordinary, "шлейфовый резистор"), ContactResistorLoop);
    EXPECT_EQ(ContactItemNamed(ArmDisarm, "шлейфовый резистор"), kNoItem);
    // The no-break space, or a blank typed for it.
    EXPECT_EQ(ContactItemNamed(ArmDisarm, "нормально\u00A0замкнутые (снят с охраны)"),
              ContactNormallyClosed);
    EXPECT_EQ(ContactItemNamed(ArmDisarm, "нормально замкнутые (снят с охраны)"),
              ContactNormallyClosed);
    EXPECT_EQ(ContactItemNamed(Ordinary, "нормально\u00A0замкнуты"), ContactNormallyClosed);
    EXPECT_EQ(ZoneTypeCaption(inputWith(0x20, 0)), "не выбран");
    EXPECT_EQ(ContactTypeCaption(inputWith(0x10, 0x12)), "постановка/снятие импульсом 0.5 сек");
}

TEST(FireZone, ClearedWithTheOtherBitsKept) {
    Input in = inputWith(0x1224, 0x41);
    EXPECT_TRUE(ClearFireZone(in));
    EXPECT_EQ(in.ZoneType, 0x1204);
    EXPECT_EQ(in.Flags, 0x41); // the fire marker of Flags stays until a zone choice
    EXPECT_FALSE(ClearFireZone(in));
    EXPECT_EQ(ZoneItemOf(in.ZoneType), ZoneItemPerimeter);
}

// --- zone-type choice -----------------------------------------------------------------

struct ZoneChoiceCase {
    const char* what;
    int input;
    std::int32_t zoneType, flags;
    int item;
    std::int32_t wantZoneType, wantFlags;
    std::int32_t wantCode0, wantCode1;
    int wantContact;
};

class ZoneChoice : public testing::TestWithParam<ZoneChoiceCase> {};

TEST_P(ZoneChoice, BitsAndEventCode) {
    const ZoneChoiceCase& c = GetParam();
    Input in = inputWith(c.zoneType, c.flags);
    in.EvCode = {0xF9, 0x99};
    in.RepFlags = 0x5A;
    ChooseZoneType(in, c.item, c.input);
    EXPECT_EQ(in.ZoneType, c.wantZoneType) << c.what;
    EXPECT_EQ(in.Flags, c.wantFlags) << c.what;
    EXPECT_EQ(in.EvCode[0], c.wantCode0) << c.what;
    EXPECT_EQ(in.EvCode[1], c.wantCode1) << c.what;
    EXPECT_EQ(ContactItemOf(in), c.wantContact) << c.what;
    EXPECT_EQ(in.RepFlags, 0x5A) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ZoneChoice,
    testing::Values(ZoneChoiceCase{"arm/disarm: 401, pulse contacts, siren off", 1, 0x01, 0x25, 4,
                                   0x10, 0x13, 0x04, 0x01, ContactNormallyOpen},
                    ZoneChoiceCase{"walk-through after pulse contacts on input 1", 1, 0x10, 0x12, 1,
                                   0x08, 0x10, 0x01, 0x30, ContactNormallyOpen},
                    ZoneChoiceCase{"input 1 keeps normally closed", 1, 0x04, 0x04, 0, 0x01, 0x04,
                                   0x01, 0x30, ContactNormallyClosed},
                    ZoneChoiceCase{"input 3 keeps the resistor loop", 3, 0x08, 0x20, 3, 0x02, 0x20,
                                   0x01, 0x30, ContactResistorLoop},
                    ZoneChoiceCase{"input 4: pulse becomes a resistor loop", 4, 0x10, 0x12, 2, 0x04,
                                   0x20, 0x01, 0x30, ContactResistorLoop},
                    ZoneChoiceCase{"input 4: normally closed becomes a resistor loop", 4, 0x01,
                                   0x84, 3, 0x02, 0xA4, 0x01, 0x30, ContactResistorLoop},
                    ZoneChoiceCase{"input 4: normally open becomes a resistor loop", 4, 0x01, 0x10,
                                   0, 0x01, 0x20, 0x01, 0x30, ContactResistorLoop},
                    ZoneChoiceCase{"input 4 arm/disarm", 4, 0x04, 0x24, 4, 0x10, 0x12, 0x04, 0x01,
                                   ContactNormallyOpen},
                    ZoneChoiceCase{"fire marker cleared, high bits of ZoneType kept", 2, 0x304,
                                   0x49, 0, 0x301, 0x09, 0x01, 0x30, ContactNormallyClosed}));

// --- contact-type choice --------------------------------------------------------------

struct ContactChoiceCase {
    ContactList list;
    int item;
    std::int32_t flags, want;
};

class ContactChoice : public testing::TestWithParam<ContactChoiceCase> {};

TEST_P(ContactChoice, Bits) {
    const ContactChoiceCase& c = GetParam();
    Input in = inputWith(0, c.flags);
    ChooseContactType(in, c.list, c.item);
    EXPECT_EQ(in.Flags, c.want);
}

INSTANTIATE_TEST_SUITE_P(Table, ContactChoice,
                         testing::Values(ContactChoiceCase{Ordinary, 0, 0xFF, 0xCD},
                                         ContactChoiceCase{Ordinary, 1, 0x2F, 0x1D},
                                         ContactChoiceCase{Ordinary, 2, 0x13, 0x21},
                                         ContactChoiceCase{ArmDisarm, 0, 0x37, 0x05},
                                         ContactChoiceCase{ArmDisarm, 1, 0xA5, 0x97},
                                         ContactChoiceCase{Ordinary, 3, 0x12, 0x12}));

TEST(Siren, OnlyItsBit) {
    Input in = inputWith(0, 0xFB);
    SetSiren(in, true);
    EXPECT_EQ(in.Flags, 0xFF);
    EXPECT_TRUE(HasSiren(in));
    SetSiren(in, false);
    EXPECT_EQ(in.Flags, 0xFB);
    EXPECT_FALSE(HasSiren(in));
}

// --- report digits --------------------------------------------------------------------

TEST(ReportDigits, ShownAsTheTetrads) {
    Input in;
    in.ObjNum = {0x7A, 0x2F};
    in.EvCode = {0x14, 0x01};
    in.InpNum = {0x0, 0x64};
    in.PartNum = 0x03;
    EXPECT_EQ(ObjNumDigits(in), "7A2F");
    EXPECT_EQ(EvCodeDigits(in), "401"); // the qualifier is not shown
    EXPECT_EQ(InpNumDigits(in), "064");
    EXPECT_EQ(PartNumDigits(in), "03");
}

struct TextCase {
    const char* text;
    std::int32_t before0, before1;
    std::int32_t want0, want1;
};

class ObjNumText : public testing::TestWithParam<TextCase> {};

TEST_P(ObjNumText, DigitByDigit) {
    const TextCase& c = GetParam();
    Input in;
    in.ObjNum = {c.before0, c.before1};
    ApplyObjNumText(in, c.text);
    EXPECT_EQ(in.ObjNum[0], c.want0) << c.text;
    EXPECT_EQ(in.ObjNum[1], c.want1) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, ObjNumText,
                         testing::Values(TextCase{"1234", 0x11, 0x11, 0x12, 0x34},
                                         TextCase{"abCD", 0x11, 0x11, 0xAB, 0xCD},
                                         TextCase{"9", 0x11, 0x11, 0x91, 0x11},
                                         TextCase{"", 0x11, 0x11, 0x11, 0x11},
                                         TextCase{"1x3y", 0x55, 0x55, 0x15, 0x35},
                                         TextCase{"12345", 0x00, 0x00, 0x12, 0x34}));

class EvCodeText : public testing::TestWithParam<TextCase> {};

TEST_P(EvCodeText, DigitsAfterThePrefixQualifierZero) {
    const TextCase& c = GetParam();
    Input in;
    in.EvCode = {c.before0, c.before1};
    ApplyEvCodeText(in, c.text);
    EXPECT_EQ(in.EvCode[0], c.want0) << c.text;
    EXPECT_EQ(in.EvCode[1], c.want1) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, EvCodeText,
    testing::Values(
        TextCase{"130", 0x04, 0x01, 0x01, 0x30}, TextCase{"E130", 0x04, 0x01, 0x01, 0x30},
        TextCase{"R401", 0x01, 0x30, 0x04, 0x01}, TextCase{"E", 0x01, 0x30, 0x01, 0x30},
        TextCase{"E4", 0x01, 0x30, 0x04, 0x30},
        TextCase{"7", 0x31, 0x30, 0x07, 0x30}, // the qualifier goes to 0
        TextCase{"1302", 0x00, 0x00, 0x01, 0x30},
        // "E" and "R" are never digits: pasted inside, they leave the digit.
        TextCase{"1E0", 0x04, 0x01, 0x01, 0x00}, TextCase{"1R0", 0x04, 0x01, 0x01, 0x00},
        TextCase{"EE30", 0x04, 0x01, 0x04, 0x30}, TextCase{"1A0", 0x04, 0x51, 0x01, 0x50}));

// --- key filters ----------------------------------------------------------------------

struct KeyCase {
    const char32_t* text;
    std::size_t selStart, selLength;
    char32_t key;
    char want; // 0: swallowed
};

std::optional<char> keyResult(std::optional<char> (*filter)(char32_t, const EditState&),
                              const KeyCase& c) {
    return filter(c.key, EditState{c.text, c.selStart, c.selLength});
}

class ObjNumKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(ObjNumKeys, HexDigitsUpToFour) {
    const KeyCase& c = GetParam();
    const auto got = keyResult(ObjNumKey, c);
    EXPECT_EQ(got.value_or('\0'), c.want) << static_cast<std::uint32_t>(c.key);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ObjNumKeys,
    testing::Values(KeyCase{U"", 0, 0, U'7', '7'}, KeyCase{U"12", 2, 0, U'a', 'A'},
                    KeyCase{U"12", 2, 0, U'F', 'F'}, KeyCase{U"12", 2, 0, U'g', 0},
                    KeyCase{U"12", 2, 0, U'-', 0}, KeyCase{U"12", 2, 0, U'ф', 0},
                    KeyCase{U"123", 3, 0, U'4', '4'},
                    KeyCase{U"1234", 4, 0, U'5', 0}, // a fifth character
                    KeyCase{U"1234", 0, 4, U'5', 0}));

class EvCodeKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(EvCodeKeys, DigitsAndAPrefixInFront) {
    const KeyCase& c = GetParam();
    const auto got = keyResult(EvCodeKey, c);
    EXPECT_EQ(got.value_or('\0'), c.want) << static_cast<std::uint32_t>(c.key);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EvCodeKeys,
    testing::Values(KeyCase{U"", 0, 0, U'e', 'E'}, KeyCase{U"", 0, 0, U'r', 'R'},
                    KeyCase{U"E", 1, 0, U'1', '1'}, KeyCase{U"130", 0, 0, U'E', 'E'},
                    KeyCase{U"130", 3, 0, U'0', '0'}, KeyCase{U"13", 2, 0, U'A', 0},
                    KeyCase{U"1", 1, 0, U'E', 0},     // "1E": no prefix inside
                    KeyCase{U"13", 1, 0, U'r', 0},    // "1R3"
                    KeyCase{U"E13", 0, 0, U'1', 0},   // "1E13": nothing before a prefix
                    KeyCase{U"E13", 0, 0, U'R', 0},   // "RE13"
                    KeyCase{U"E13", 0, 1, U'R', 'R'}, // the prefix replaced
                    KeyCase{U"E13", 0, 1, U'4', '4'}, // the prefix replaced by a digit
                    KeyCase{U"E130", 4, 0, U'1', 0},  // a fifth character
                    KeyCase{U"130", 0, 3, U'E', 'E'}, KeyCase{U"130", 0, 0, U'+', 0}));

// --- partition ------------------------------------------------------------------------

struct PartitionCase {
    const char* text;
    int value; // 0: refused
    PartitionError error;
};

class Partitions : public testing::TestWithParam<PartitionCase> {};

TEST_P(Partitions, DecimalOneToFour) {
    const PartitionCase& c = GetParam();
    const PartitionParse got = ParsePartition(c.text);
    EXPECT_EQ(got.value.value_or(0), c.value) << c.text;
    EXPECT_EQ(got.error, c.error) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, Partitions,
                         testing::Values(PartitionCase{"1", 1, PartitionError::None},
                                         PartitionCase{"4", 4, PartitionError::None},
                                         PartitionCase{" 3 ", 3, PartitionError::None},
                                         PartitionCase{"+2", 2, PartitionError::None},
                                         PartitionCase{"", 0, PartitionError::NotANumber},
                                         PartitionCase{" ", 0, PartitionError::NotANumber},
                                         PartitionCase{"x", 0, PartitionError::NotANumber},
                                         PartitionCase{"3a", 0, PartitionError::NotANumber},
                                         PartitionCase{"0x3", 0, PartitionError::NotANumber},
                                         PartitionCase{"0", 0, PartitionError::OutOfRange},
                                         PartitionCase{"5", 0, PartitionError::OutOfRange},
                                         PartitionCase{"-1", 0, PartitionError::OutOfRange},
                                         PartitionCase{"256", 0, PartitionError::OutOfRange},
                                         PartitionCase{"99999999999999999999", 0,
                                                       PartitionError::OutOfRange}));

TEST(Partition, StoredAsItsNumberAndReportByte) {
    Input in;
    SetPartition(in, 3);
    EXPECT_EQ(in.Partition, 3);
    EXPECT_EQ(in.PartNum, 0x03);
    EXPECT_EQ(PartNumDigits(in), "03");
}

} // namespace
} // namespace tk
