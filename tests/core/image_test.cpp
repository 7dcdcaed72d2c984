#include "image/image.h"
#include "model/defaults.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace tk {
namespace {

using test::Bytes;
using test::slice;
using test::textField;
using test::w;

Bytes encodeBase(const Configuration& cfg) {
    Bytes area(kEncodeClearSize, 0xEE);
    EXPECT_EQ(wrdump(cfg, area), 896U);
    area.resize(kBaseImageSize);
    return area;
}

void put(Bytes& b, std::size_t off, const Bytes& what) {
    std::copy(what.begin(), what.end(), b.begin() + static_cast<std::ptrdiff_t>(off));
}

// The factory image, written out byte by byte from the layout.
Bytes factoryImage() {
    Bytes b(896, 0);
    const Bytes inputs[4] = {
        {0x20, 0x01, 0x01}, {0x20, 0x08, 0x01}, {0x20, 0x04, 0x01}, {0x12, 0x10, 0x01}};
    for (std::size_t n = 1; n <= 4; ++n) {
        put(b, 0x010 + 16 * (n - 1), inputs[n - 1]);
        put(b, 0x16C + 16 * n, {0x11, 0x11, 0x01, 0x30});
        put(b, 0x1C0 + 64 * n, textField(w("1111 Тревога "), 32));
        put(b, 0x1E0 + 64 * n, textField(w("1111 Восстановление "), 32));
    }
    put(b, 0x051, {0x17, 20, 20, 1, 0, 0x11, 0x11});
    put(b, 0x05C, {5, 1, 0});
    put(b, 0x061, {6, 5});
    for (std::size_t off = 0x070; off < 0x0F0; off += 8) {
        b[off] = 0xB0; // every telephone empty, TelNum7316 too
    }
    put(b, 0x1BC, {0x11, 0x11});
    put(b, 0x300, textField(w("1111 Постановка "), 32));
    put(b, 0x320, textField(w("1111 Снятие "), 32));
    return b;
}

TEST(BaseImage, FactoryConfigurationEncodesToTheseBytes) {
    Configuration cfg;
    setdefault(cfg);
    const Bytes image = encodeBase(cfg);
    const Bytes expected = factoryImage();
    for (std::size_t i = 0; i < 896; ++i) {
        ASSERT_EQ(image[i], expected[i]) << "offset 0x" << std::hex << i;
    }
    EXPECT_EQ(GetExtBlocksCount(cfg), 0);
}

TEST(BaseImage, EncoderClearsTheFirst2048BytesOfItsArea) {
    Configuration cfg;
    Bytes area(2100, 0xEE);
    wrdump(cfg, area);
    EXPECT_EQ(area[0x37F], 0);
    EXPECT_EQ(area[2047], 0);
    EXPECT_EQ(area[2048], 0xEE);
}

// Where a field of the record is: a function from the record to the field, built from
// member pointers so that the tables below stay plain rows.
template <class T> using FieldOf = std::function<T&(Configuration&)>;

template <class T> FieldOf<T> top(T Configuration::*member) {
    return [member](Configuration& c) -> T& { return c.*member; };
}

FieldOf<std::int32_t> ofPartition(std::size_t p, std::int32_t Partition::*member) {
    return [p, member](Configuration& c) -> std::int32_t& { return c.Partitions[p].*member; };
}

template <class T> FieldOf<T> ofInput(std::size_t i, T Input::*member) {
    return [i, member](Configuration& c) -> T& { return c.Inputs[i].*member; };
}

using Pair = std::array<std::int32_t, 2>;

FieldOf<std::int32_t> ofInputPair(std::size_t i, Pair Input::*member, std::size_t k) {
    return [i, member, k](Configuration& c) -> std::int32_t& { return (c.Inputs[i].*member)[k]; };
}

// One integer field of the byte map: set to `value`, it must encode as `bytes` at
// `offset` and nothing else; those bytes alone must decode as `decoded`.
struct IntRow {
    std::string name;
    FieldOf<std::int32_t> field;
    std::int32_t value;
    std::size_t offset;
    Bytes bytes;
    std::int32_t decoded;
};

std::vector<IntRow> baseIntRows() {
    using C = Configuration;
    using P = Partition;
    using I = Input;
    std::vector<IntRow> rows = {
        // name, field, value, offset, bytes, decoded
        {"Options", top(&C::Options), 0x17F, 0x051, {0x7F}, 0x7F},
        {"TimeOfInp", top(&C::TimeOfInp), 160, 0x052, {160}, 160},
        {"TimeOfOut", top(&C::TimeOfOut), 30, 0x053, {30}, 30},
        {"TimeOfAlarmMin", top(&C::TimeOfAlarmMin), 10, 0x054, {10}, 10},
        {"TimeOfAlarmSec", top(&C::TimeOfAlarmSec), 59, 0x055, {59}, 59},
        {"ObjNum", top(&C::ObjNum), 0x1A2F, 0x056, {0x1A, 0x2F}, 0x1A2F},
        {"ObjNum upper bits", top(&C::ObjNum), 0x51A2F, 0x056, {0x1A, 0x2F}, 0x1A2F},
        {"AuxPeriod58", top(&C::AuxPeriod58), 100, 0x058, {16, 4}, 100},
        {"AuxPeriod5A", top(&C::AuxPeriod5A), 35, 0x05A, {5, 5}, 35},
        {"NumOfAttemptsCallMain", top(&C::NumOfAttemptsCallMain), 10, 0x05C, {10}, 10},
        {"PerTestHours", top(&C::PerTestHours), 24, 0x05D, {24}, 24},
        {"PerTestMinutes", top(&C::PerTestMinutes), 59, 0x05E, {59}, 59},
        {"GprsMode", top(&C::GprsMode), 0xA5, 0x060, {0xA5}, 0xA5},
        {"SvingerCount", top(&C::SvingerCount), 15, 0x062, {15}, 15},
        {"SysEvDcDialUpMask", top(&C::SysEvDcDialUpMask), 0x2A, 0x1B9, {0x2A}, 0x2A},
        {"ExtPanelObjNum", top(&C::ExtPanelObjNum), 0xBEEF, 0x1BC, {0xBE, 0xEF}, 0xBEEF},
        {"SysEvPtDialUpMask", top(&C::SysEvPtDialUpMask), 0x15, 0x1C9, {0x15}, 0x15},
        {"KpdFlags", top(&C::KpdFlags), 0x81, 0x1F3, {0x81}, 0x81},
        {"KpdDialUpMask", top(&C::KpdDialUpMask), 0x0102, 0x1F8, {0x01, 0x02}, 0x0102},
        {"KpdAlarmMask", top(&C::KpdAlarmMask), 0x0304, 0x1FA, {0x03, 0x04}, 0x0304},
        {"SysEvAcFlags", top(&C::SysEvAcFlags), 0x42, 0x343, {0x42}, 0x42},
        {"SysEvAcRaw8", top(&C::SysEvAcRaw8), 0x0506, 0x348, {0x05, 0x06}, 0x0506},
        {"SysEvAcRaw10", top(&C::SysEvAcRaw10), 0x0708, 0x34A, {0x07, 0x08}, 0x0708},
        {"SysEvDcFlags", top(&C::SysEvDcFlags), 0x43, 0x353, {0x43}, 0x43},
        {"SysEvDcRaw10", top(&C::SysEvDcRaw10), 0x090A, 0x35A, {0x09, 0x0A}, 0x090A},
        {"SysEvPtFlags", top(&C::SysEvPtFlags), 0x44, 0x363, {0x44}, 0x44},
        {"SysEvPtRaw4", top(&C::SysEvPtRaw4), 0x0B0C, 0x364, {0x0B, 0x0C}, 0x0B0C},
        {"SysEvPtRaw10", top(&C::SysEvPtRaw10), 0x0D0E, 0x36A, {0x0D, 0x0E}, 0x0D0E},
        {"ExtPanelFlags", top(&C::ExtPanelFlags), 0x45, 0x373, {0x45}, 0x45},
        {"ExtPanelDialUpMask", top(&C::ExtPanelDialUpMask), 0x0F10, 0x378, {0x0F, 0x10}, 0x0F10},
        {"ExtPanelAlarmMask", top(&C::ExtPanelAlarmMask), 0x1112, 0x37A, {0x11, 0x12}, 0x1112},
    };
    for (std::size_t p = 0; p < 4; ++p) {
        const std::size_t at = 0x170 + 16 * p;
        const std::string n = "Partitions[" + std::to_string(p) + "].";
        const std::vector<IntRow> partition = {
            {n + "Flags", ofPartition(p, &P::Flags), 0x31, at + 3, {0x31}, 0x31},
            {n + "Raw4", ofPartition(p, &P::Raw4), 0x3233, at + 4, {0x32, 0x33}, 0x3233},
            {n + "Raw6", ofPartition(p, &P::Raw6), 0x3435, at + 6, {0x34, 0x35}, 0x3435},
            {n + "DialUpMask", ofPartition(p, &P::DialUpMask), 0x003F, at + 8, {0, 0x3F}, 0x3F},
            {n + "Raw10", ofPartition(p, &P::Raw10), 0x3839, at + 10, {0x38, 0x39}, 0x3839},
        };
        rows.insert(rows.end(), partition.begin(), partition.end());
    }
    for (std::size_t i = 1; i <= 4; ++i) {
        const std::size_t at = 0x010 + 16 * (i - 1);
        const std::size_t cid = 0x16C + 16 * i;
        const std::string n = "Inputs[" + std::to_string(i) + "].";
        const std::vector<IntRow> input = {
            {n + "Flags", ofInput(i, &I::Flags), 0x21, at + 0, {0x21}, 0x21},
            {n + "ZoneType", ofInput(i, &I::ZoneType), 0x120, at + 1, {0x20}, 0x20},
            {n + "Partition", ofInput(i, &I::Partition), 4, at + 2, {4}, 4},
            {n + "RepFlags", ofInput(i, &I::RepFlags), 0x5A, at + 3, {0x5A}, 0x5A},
            {n + "Raw4", ofInput(i, &I::Raw4), 0x4142, at + 4, {0x41, 0x42}, 0x4142},
            {n + "Raw6", ofInput(i, &I::Raw6), 0x4344, at + 6, {0x43, 0x44}, 0x4344},
            {n + "Raw8", ofInput(i, &I::Raw8), 0x4546, at + 8, {0x45}, 0x4500},
            {n + "DialUpMask", ofInput(i, &I::DialUpMask), 0x3F, at + 9, {0x3F}, 0x3F},
            {n + "Raw10", ofInput(i, &I::Raw10), 0x4748, at + 10, {0x47, 0x48}, 0x4748},
            {n + "AlarmMask", ofInput(i, &I::AlarmMask), 0x0125, at + 12, {0x01, 0x25}, 0x0125},
            {n + "ObjNum[0]", ofInputPair(i, &I::ObjNum, 0), 0x9A, cid, {0x9A}, 0x9A},
            {n + "ObjNum[1]", ofInputPair(i, &I::ObjNum, 1), 0xBC, cid + 1, {0xBC}, 0xBC},
            {n + "EvCode[0]", ofInputPair(i, &I::EvCode, 0), 0x01, cid + 2, {0x01}, 0x01},
            {n + "EvCode[1]", ofInputPair(i, &I::EvCode, 1), 0x37, cid + 3, {0x37}, 0x37},
        };
        rows.insert(rows.end(), input.begin(), input.end());
    }
    return rows;
}

TEST(BaseImage, EveryIntegerFieldEncodesAtItsOffsetAndNowhereElse) {
    const Bytes empty = encodeBase(Configuration{});
    for (const auto& row : baseIntRows()) {
        SCOPED_TRACE(row.name);
        Configuration cfg;
        row.field(cfg) = row.value;
        Bytes expected = empty;
        put(expected, row.offset, row.bytes);
        EXPECT_EQ(encodeBase(cfg), expected);
    }
}

TEST(BaseImage, EveryIntegerFieldDecodesFromItsOffset) {
    const Bytes empty = encodeBase(Configuration{});
    for (const auto& row : baseIntRows()) {
        SCOPED_TRACE(row.name);
        Bytes image = empty;
        put(image, row.offset, row.bytes);
        Configuration cfg;
        redump(cfg, image);
        EXPECT_EQ(row.field(cfg), row.decoded);
        Configuration reference;
        redump(reference, empty);
        row.field(reference) = row.decoded;
        EXPECT_EQ(cfg, reference) << "decoding touched another field";
    }
}

struct TextRow {
    std::string name;
    FieldOf<Text> field;
    std::size_t offset;
    std::size_t width;
};

std::vector<TextRow> baseTextRows() {
    using C = Configuration;
    std::vector<TextRow> rows = {
        // name, field, offset, width
        {"Apn", top(&C::Apn), 0x0F0, 32},
        {"ApnUserName", top(&C::ApnUserName), 0x110, 16},
        {"ApnPass", top(&C::ApnPass), 0x120, 16},
        {"TkRecIp", top(&C::TkRecIp), 0x130, 16},
        {"Email", top(&C::Email), 0x140, 48},
        {"ArmSMSText", top(&C::ArmSMSText), 0x300, 32},
        {"DisarmSMSText", top(&C::DisarmSMSText), 0x320, 32},
    };
    for (std::size_t n = 1; n <= 4; ++n) {
        const std::string k = std::to_string(n);
        rows.push_back({"AlarmSMSText" + k, ofInput(n, &Input::AlarmSMSText), 0x1C0 + 64 * n, 32});
        rows.push_back(
            {"RestoreSMSText" + k, ofInput(n, &Input::RestoreSMSText), 0x1E0 + 64 * n, 32});
    }
    return rows;
}

TEST(BaseImage, TextsFillTheirFieldAndNeverSpill) {
    const Bytes empty = encodeBase(Configuration{});
    for (const auto& row : baseTextRows()) {
        SCOPED_TRACE(row.name);
        const std::string full(row.width - 1, '\xC6'); // Cyrillic "Ж", one byte each
        for (const std::string& text : {std::string("ab"), full, full + "xyz"}) {
            Configuration cfg;
            row.field(cfg) = text;
            Bytes expected = empty;
            put(expected, row.offset, textField(text.substr(0, row.width - 1), row.width));
            const Bytes image = encodeBase(cfg);
            EXPECT_EQ(image, expected);
            Configuration back;
            redump(back, image);
            EXPECT_EQ(row.field(back), text.substr(0, row.width - 1));
        }
    }
}

TEST(BaseImage, TelephonesArePackedAtTheirOffsets) {
    const Bytes empty = encodeBase(Configuration{});
    for (std::size_t k = 0; k <= 15; ++k) {
        SCOPED_TRACE(k);
        Configuration cfg;
        cfg.TelNum[k] = "+7*1";
        Bytes expected = empty;
        if (k < 15) {
            put(expected, 0x070 + 8 * k, {0xA7, 0xC1, 0xB0, 0, 0, 0, 0, 0});
        }
        const Bytes image = encodeBase(cfg);
        EXPECT_EQ(image, expected) << "telephone 16 is never stored";
        Configuration back;
        redump(back, image);
        EXPECT_EQ(back.TelNum[k], k < 15 ? "+7*1" : "");
    }
    Configuration cfg;
    cfg.TelNum7316 = "1234567890123456";
    Bytes expected = empty;
    put(expected, 0x0E8, {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56});
    EXPECT_EQ(encodeBase(cfg), expected);
}

struct GprsCase {
    std::int32_t min, sec;
    std::uint8_t byte;
    std::int32_t decodedMin, decodedSec;
};

TEST(BaseImage, GprsPeriodIsMinutesTimesSixPlusTens) {
    for (const GprsCase c :
         {GprsCase{1, 0, 6, 1, 0}, GprsCase{2, 1, 0x0D, 2, 1}, GprsCase{5, 5, 35, 5, 5},
          GprsCase{0, 0, 0, 0, 0}, GprsCase{43, 0, 2, 0, 2}}) {
        Configuration cfg;
        cfg.GprsPeriodMin = c.min;
        cfg.GprsPeriodSec = c.sec;
        const Bytes image = encodeBase(cfg);
        EXPECT_EQ(image[0x061], c.byte) << c.min << ' ' << c.sec;
        Configuration back;
        redump(back, image);
        EXPECT_EQ(back.GprsPeriodMin, c.decodedMin);
        EXPECT_EQ(back.GprsPeriodSec, c.decodedSec);
    }
}

TEST(BaseImage, AuxPeriodDecodesAsQuotientTimesSixPlusRemainder) {
    Bytes image = encodeBase(Configuration{});
    put(image, 0x058, {3, 2, 0xFF, 5});
    Configuration cfg;
    redump(cfg, image);
    EXPECT_EQ(cfg.AuxPeriod58, 20);
    EXPECT_EQ(cfg.AuxPeriod5A, 255 * 6 + 5);
}

TEST(BaseImage, PartitionSlotKeepsTheContactIdBytesOfItsInput) {
    Configuration cfg;
    setdefault(cfg);
    cfg.Inputs[1].ObjNum = {0x12, 0x34};
    cfg.Inputs[1].EvCode = {0x01, 0x37};
    for (auto& p : cfg.Partitions) {
        p = {0xFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    }
    const Bytes image = encodeBase(cfg);
    EXPECT_EQ(slice(image, 0x170, 16), (Bytes{0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                              0xFF, 0xFF, 0x12, 0x34, 0x01, 0x37}));
    Configuration back;
    redump(back, image);
    EXPECT_EQ(back.Inputs[1].ObjNum, (std::array<std::int32_t, 2>{0x12, 0x34}));
}

struct VersionCase {
    std::uint8_t major, minor;
    const char* text;
};

TEST(BaseImage, FirmwareVersionIsReadOnly) {
    for (const VersionCase c : {VersionCase{0x01, 0x05, "1.05"}, VersionCase{0x12, 0x34, "12.34"},
                                VersionCase{0x00, 0x00, "0.00"}, VersionCase{0x0A, 0x0B, "A.0B"},
                                VersionCase{0xF0, 0xFF, "F0.FF"}}) {
        Bytes image(896, 0);
        image[0x06E] = c.major;
        image[0x06F] = c.minor;
        Configuration cfg;
        redump(cfg, image);
        EXPECT_EQ(cfg.TxVersion, c.text);
        const Bytes again = encodeBase(cfg);
        EXPECT_EQ(again[0x06E], 0);
        EXPECT_EQ(again[0x06F], 0);
    }
}

TEST(BaseImage, FieldsWithoutAPlaceKeepTheirValuesWhenDecoded) {
    Configuration cfg;
    cfg.Partitions[2].AlarmMask = 0x21;
    cfg.SysEvDcAlarmMask = 3;
    cfg.SysEvPtAlarmMask = 4;
    cfg.Inputs[3].InpNum = {1, 0x23};
    cfg.Inputs[3].PartNum = 0x12;
    cfg.TelNum[15] = "555";
    cfg.TxSerialNum = "S1";
    cfg.TxTlfNum = "T1";
    cfg.Comments = {"c"};
    const Configuration before = cfg;
    Bytes image(896, 0xFF);
    redump(cfg, image);
    EXPECT_EQ(cfg.Partitions[2].AlarmMask, 0x21);
    EXPECT_EQ(cfg.SysEvDcAlarmMask, 3);
    EXPECT_EQ(cfg.SysEvPtAlarmMask, 4);
    EXPECT_EQ(cfg.Inputs[3].InpNum, before.Inputs[3].InpNum);
    EXPECT_EQ(cfg.Inputs[3].PartNum, 0x12);
    EXPECT_EQ(cfg.TelNum[15], "555");
    EXPECT_EQ(cfg.TxSerialNum, "S1");
    EXPECT_EQ(cfg.TxTlfNum, "T1");
    EXPECT_EQ(cfg.Comments, before.Comments);
}

TEST(BaseImage, DecoderDoesNotClampOrCheck) {
    Bytes image(896, 0);
    image[0x052] = 0xFF;     // TimeOfInp far beyond the panel's 160
    image[0x010 + 1] = 0x03; // two zone-type bits at once
    image[0x05C] = 0;        // no dialling attempts
    Configuration cfg;
    setdefault(cfg);
    redump(cfg, image);
    EXPECT_EQ(cfg.TimeOfInp, 255);
    EXPECT_EQ(cfg.Inputs[1].ZoneType, 3);
    EXPECT_EQ(cfg.NumOfAttemptsCallMain, 0);
}

// Byte ranges the layout marks zero or read only.
Bytes unstoredMask() {
    Bytes m(896, 0);
    auto mark = [&m](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i <= to; ++i) {
            m[i] = 1;
        }
    };
    mark(0x000, 0x00F);
    for (std::size_t n = 0; n < 4; ++n) {
        mark(0x01E + 16 * n, 0x01F + 16 * n);
        mark(0x170 + 16 * n, 0x172 + 16 * n);
    }
    mark(0x050, 0x050);
    mark(0x05F, 0x05F);
    mark(0x063, 0x06F);
    mark(0x1B0, 0x1B8);
    mark(0x1BA, 0x1BB);
    mark(0x1BE, 0x1C8);
    mark(0x1CA, 0x1F2);
    mark(0x1F4, 0x1F7);
    mark(0x1FC, 0x1FF);
    for (std::size_t r = 0x340; r <= 0x370; r += 0x10) {
        mark(r, r + 2);
        mark(r + 12, r + 15);
    }
    mark(0x344, 0x347);
    mark(0x354, 0x359);
    mark(0x366, 0x369);
    mark(0x374, 0x377);
    return m;
}

// A random image as a transmitter could hold it: texts end in zero, telephones are
// packed numbers, the remainder bytes of the divided periods are below 6.
Bytes randomImage(std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes b(896);
    for (auto& x : b) {
        x = static_cast<std::uint8_t>(byte(rng));
    }
    auto text = [&](std::size_t off, std::size_t width) {
        const auto len = static_cast<std::size_t>(byte(rng)) % width;
        for (std::size_t i = 0; i < width; ++i) {
            b[off + i] = i < len ? static_cast<std::uint8_t>(1 + byte(rng) % 255) : 0;
        }
    };
    auto phone = [&](std::size_t off) {
        const auto len = static_cast<std::size_t>(byte(rng)) % 17;
        static const std::uint8_t kDigits[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xA, 0xC};
        std::array<std::uint8_t, 16> nib{};
        for (std::size_t i = 0; i < 16; ++i) {
            nib[i] = i < len ? kDigits[byte(rng) % 12] : (i == len ? 0xB : 0);
        }
        for (std::size_t i = 0; i < 8; ++i) {
            b[off + i] = static_cast<std::uint8_t>(nib[2 * i] << 4 | nib[2 * i + 1]);
        }
    };
    for (std::size_t off = 0x070; off < 0x0F0; off += 8) {
        phone(off);
    }
    text(0x0F0, 32);
    text(0x110, 16);
    text(0x120, 16);
    text(0x130, 16);
    text(0x140, 48);
    for (std::size_t off = 0x200; off < 0x340; off += 32) {
        text(off, 32);
    }
    b[0x059] = static_cast<std::uint8_t>(b[0x059] % 6);
    b[0x05B] = static_cast<std::uint8_t>(b[0x05B] % 6);
    return b;
}

TEST(BaseImage, RandomImagesSurviveDecodeAndEncodeButForUnstoredBytes) {
    std::mt19937 rng(515);
    const Bytes mask = unstoredMask();
    for (int round = 0; round < 200; ++round) {
        const Bytes image = randomImage(rng);
        Configuration cfg;
        setdefault(cfg);
        redump(cfg, image);
        const Bytes again = encodeBase(cfg);
        for (std::size_t i = 0; i < 896; ++i) {
            if (mask[i] != 0) {
                ASSERT_EQ(again[i], 0) << "offset 0x" << std::hex << i;
            } else {
                ASSERT_EQ(again[i], image[i]) << "round " << round << " offset 0x" << std::hex << i;
            }
        }
        Configuration twice;
        redump(twice, again);
        EXPECT_EQ(encodeBase(twice), again);
    }
}

TEST(BaseImage, RefusesAnAreaShorterThanTheImage) {
    Configuration cfg;
    Bytes small(895);
    EXPECT_THROW(wrdump(cfg, small), std::length_error);
    EXPECT_THROW(redump(cfg, small), std::length_error);
}

} // namespace
} // namespace tk
