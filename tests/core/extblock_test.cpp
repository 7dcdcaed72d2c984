#include "image/image.h"
#include "model/defaults.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace tk {
namespace {

using test::Bytes;
using test::slice;
using test::textField;
using test::w;

struct CountCase {
    std::vector<int> activated;
    int blocks;
    std::size_t length;
};

class ExtBlockCount : public testing::TestWithParam<CountCase> {};

TEST_P(ExtBlockCount, FollowsTheHighestActivatedInput) {
    const auto& c = GetParam();
    Configuration cfg;
    setdefault(cfg);
    for (int n : c.activated) {
        cfg.Inputs[n].Flags |= 1;
    }
    EXPECT_EQ(GetExtBlocksCount(cfg), c.blocks);
    EXPECT_EQ(EncodeImage(cfg).size(), c.length);
    EXPECT_EQ(cfg.ExtBlocksCount, c.blocks);
}

INSTANTIATE_TEST_SUITE_P(Table, ExtBlockCount,
                         testing::Values(CountCase{{}, 0, 896}, CountCase{{1, 2, 3, 4}, 0, 896},
                                         CountCase{{5}, 1, 1280}, CountCase{{8}, 1, 1280},
                                         CountCase{{9}, 2, 1664}, CountCase{{5, 13}, 3, 2048},
                                         CountCase{{64}, 15, 6656}, CountCase{{64, 5}, 15, 6656},
                                         CountCase{{61}, 15, 6656}, CountCase{{60}, 14, 6272}));

// A read of N transfer blocks carries the extension blocks whole beyond the base
// image, at most 15 (a count above 52 would reach beyond input 64); a count of 7 or
// less leaves ExtBlocksCount as it was.
struct TransferCase {
    int blocks;
    int extension;
};

class TransferCount : public testing::TestWithParam<TransferCase> {};

TEST_P(TransferCount, DecodesTheWholeExtensionBlocksItCarries) {
    const auto& c = GetParam();
    EXPECT_EQ(ExtBlocksOfTransfer(c.blocks), c.extension);
    const Bytes image(255 * kTransferBlockSize, 0x01);
    Configuration cfg;
    setdefault(cfg);
    cfg.ExtBlocksCount = 5;
    EXPECT_EQ(DecodeRemoteImage(cfg, image, c.blocks), c.extension);
    EXPECT_EQ(cfg.ExtBlocksCount, c.blocks > kBaseImageBlocks ? c.extension : 5);
    EXPECT_EQ(cfg.Inputs[4 * c.extension + 4].Flags, 1);
    if (c.extension < kMaxExtBlocks) {
        EXPECT_NE(cfg.Inputs[4 * c.extension + 5].Flags, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TransferCount,
                         testing::Values(TransferCase{0, 0}, TransferCase{7, 0}, TransferCase{9, 0},
                                         TransferCase{10, 1}, TransferCase{13, 2},
                                         TransferCase{51, 14}, TransferCase{52, 15},
                                         TransferCase{255, 15}));

TEST(TransferCount, RefusesAnImageShorterThanItsBlocks) {
    Configuration cfg;
    setdefault(cfg);
    EXPECT_THROW(DecodeRemoteImage(cfg, Bytes(896), 13), std::length_error);
}

// A record whose inputs 5..64 hold values that tell them apart.
Configuration distinctInputs() {
    Configuration cfg;
    setdefault(cfg);
    for (int n = 5; n <= 64; ++n) {
        Input& in = cfg.Inputs[n];
        in.Flags = 0x20 | (n == 64 ? 1 : 0);
        in.ZoneType = n;
        in.Partition = 1 + n % 4;
        in.RepFlags = 0x80 | n;
        in.Raw4 = 0x0400 + n;
        in.Raw6 = 0x0600 + n;
        in.Raw8 = 0x0800 + n;
        in.Raw10 = 0x1000 + n;
        in.AlarmMask = 0x1200 + n;
        in.ObjNum = {0x40 + n, 0x80 + n};
        in.EvCode = {1, n};
        in.AlarmSMSText = "A" + std::to_string(n);
        in.RestoreSMSText = "R" + std::to_string(n);
        in.DialUpMask = 0x3F;
    }
    return cfg;
}

TEST(ExtBlock, InputSlotsTextsAndContactIdBytesAreWhereTheLayoutSays) {
    Configuration cfg = distinctInputs();
    const Bytes image = EncodeImage(cfg);
    ASSERT_EQ(image.size(), 6656U);
    for (int k = 1; k <= 15; ++k) {
        const std::size_t base = 512 + 384 * static_cast<std::size_t>(k);
        for (std::size_t j = 0; j < 4; ++j) {
            const int n = 4 * k + static_cast<int>(j) + 1;
            SCOPED_TRACE("input " + std::to_string(n));
            const auto b = [n](int v) { return static_cast<std::uint8_t>(v); };
            EXPECT_EQ(slice(image, base + 16 * j, 16),
                      (Bytes{b(0x20 | (n == 64 ? 1 : 0)), b(n), b(1 + n % 4), b(0x80 | n), 0x04,
                             b(n), 0x06, b(n), 0x08, b(n), 0x10, b(n), 0x12, b(n), 0, 0}));
            EXPECT_EQ(
                slice(image, base + 64 + 16 * j, 16),
                (Bytes{b(0x40 + n), b(0x80 + n), 1, b(n), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
            EXPECT_EQ(slice(image, base + 128 + 64 * j, 32),
                      textField("A" + std::to_string(n), 32));
            EXPECT_EQ(slice(image, base + 160 + 64 * j, 32),
                      textField("R" + std::to_string(n), 32));
        }
    }
}

TEST(ExtBlock, UncoveredBytesAreZeroInEveryBlock) {
    Configuration cfg = distinctInputs();
    Bytes area(kMaxImageSize, 0xEE);
    std::size_t length = wrdump(cfg, area);
    for (int k = 1; k <= 15; ++k) {
        wrdumpExtBlock(cfg, area, length, k);
        EXPECT_EQ(length, 896U + 384U * static_cast<std::size_t>(k));
    }
    for (int k = 4; k <= 15; ++k) { // blocks beyond the encoder's cleared 2048 bytes
        const std::size_t base = 512 + 384 * static_cast<std::size_t>(k);
        for (std::size_t j = 0; j < 4; ++j) {
            EXPECT_EQ(slice(area, base + 16 * j + 14, 2), (Bytes{0, 0})) << k;
            EXPECT_EQ(slice(area, base + 68 + 16 * j, 12), Bytes(12, 0)) << k;
        }
    }
}

TEST(ExtBlock, DecodingRestoresInputsFiveToSixtyFourButNotTheirDialUpMasks) {
    Configuration cfg = distinctInputs();
    const Bytes image = EncodeImage(cfg);
    Configuration back;
    setdefault(back);
    for (auto& in : back.Inputs) {
        in.DialUpMask = 0x11;
    }
    DecodeImage(back, image, 15);
    EXPECT_EQ(back.ExtBlocksCount, 15);
    for (int n = 5; n <= 64; ++n) {
        Input expected = cfg.Inputs[n];
        expected.DialUpMask = 0x11;
        EXPECT_EQ(back.Inputs[n], expected) << n;
    }
}

TEST(ExtBlock, Raw8IsWholeAboveInputFourAndLosesItsLowByteBelow) {
    Configuration cfg;
    setdefault(cfg);
    for (int n : {1, 4, 5, 64}) {
        cfg.Inputs[n].Raw8 = 0xABCD;
    }
    cfg.Inputs[1].DialUpMask = 0x3F;
    cfg.Inputs[64].Flags |= 1;
    const Bytes image = EncodeImage(cfg);
    EXPECT_EQ(image[0x010 + 8], 0xAB);
    EXPECT_EQ(image[0x010 + 9], 0x3F) << "+9 is the DialUp mask in the base image";
    EXPECT_EQ(slice(image, 896 + 8, 2), (Bytes{0xAB, 0xCD}));
    Configuration back;
    DecodeImage(back, image, 15);
    EXPECT_EQ(back.Inputs[1].Raw8, 0xAB00);
    EXPECT_EQ(back.Inputs[1].DialUpMask, 0x3F);
    EXPECT_EQ(back.Inputs[4].Raw8, 0xAB00);
    EXPECT_EQ(back.Inputs[5].Raw8, 0xABCD);
    EXPECT_EQ(back.Inputs[64].Raw8, 0xABCD);
}

TEST(ExtBlock, InputsOfAbsentBlocksKeepTheirValues) {
    Configuration cfg = distinctInputs();
    cfg.Inputs[64].Flags = 0x20;
    cfg.Inputs[9].Flags |= 1;
    Bytes image = EncodeImage(cfg);
    ASSERT_EQ(image.size(), 1664U);
    Configuration back;
    setdefault(back);
    DecodeImage(back, image, 2);
    EXPECT_EQ(back.Inputs[12].AlarmSMSText, "A12");
    EXPECT_EQ(back.Inputs[13].AlarmSMSText, w("1111 Тревога "));
}

TEST(ExtBlock, BlockZeroDoesNothingAndNumbersOutsideRangeAreRefused) {
    Configuration cfg;
    Bytes area(kMaxImageSize, 0xEE);
    std::size_t length = 896;
    wrdumpExtBlock(cfg, area, length, 0);
    EXPECT_EQ(length, 896U);
    EXPECT_EQ(area[896], 0xEE);
    redumpExtBlock(cfg, area, length, 0);
    EXPECT_EQ(length, 896U);
    EXPECT_THROW(wrdumpExtBlock(cfg, area, length, 16), std::out_of_range);
    Bytes small(1279);
    EXPECT_THROW(wrdumpExtBlock(cfg, small, length, 1), std::length_error);
    EXPECT_THROW(redumpExtBlock(cfg, small, length, 1), std::length_error);
}

TEST(ExtBlock, RandomRecordsSurviveEncodeDecodeEncode) {
    std::mt19937 rng(64);
    std::uniform_int_distribution<int> value(0, 0xFFFF);
    for (int round = 0; round < 50; ++round) {
        Configuration cfg = distinctInputs();
        for (int n = 5; n <= 64; ++n) {
            Input& in = cfg.Inputs[n];
            in.Flags = value(rng) & 0xFF;
            in.Raw8 = value(rng);
            in.Raw10 = value(rng);
            in.AlarmMask = value(rng);
        }
        const Bytes image = EncodeImage(cfg);
        Configuration back;
        setdefault(back);
        DecodeImage(back, image, cfg.ExtBlocksCount);
        EXPECT_EQ(EncodeImage(back), image);
    }
}

} // namespace
} // namespace tk
