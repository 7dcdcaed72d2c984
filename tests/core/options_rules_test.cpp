#include "model/defaults.h"
#include "model/options_rules.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace tk {
namespace {

using test::w;
using Kind = DecimalText::Kind;

// ---- Option bits -------------------------------------------------------------------

struct OptionCase {
    std::int32_t before;
    OptionBit bit;
    bool on;
    std::int32_t after;
};

class OptionBits : public testing::TestWithParam<OptionCase> {};

TEST_P(OptionBits, ChangeOnlyTheirBit) {
    const auto& c = GetParam();
    EXPECT_EQ(WithOption(c.before, c.bit, c.on), c.after);
    EXPECT_EQ(HasOption(c.after, c.bit), c.on);
}

INSTANTIATE_TEST_SUITE_P(Table, OptionBits,
                         testing::Values(OptionCase{0x17, OptCyrillic, false, 0x16},
                                         OptionCase{0x16, OptCyrillic, true, 0x17},
                                         OptionCase{0x17, OptToneDialling, false, 0x15},
                                         OptionCase{0x00, OptToneDialling, true, 0x02},
                                         OptionCase{0x17, OptZoneNotReady, true, 0x37},
                                         OptionCase{0x7F, OptZoneNotReady, false, 0x5F},
                                         OptionCase{0x48, OptCyrillic, true, 0x49},
                                         OptionCase{0x01, OptCyrillic, true, 0x01},
                                         OptionCase{0x00, OptZoneNotReady, false, 0x00}));

TEST(OptionBits, TheMiscellaneousPanelEditsBitsZeroOneAndFive) {
    EXPECT_EQ(kMiscOptionBits, 0x01 | 0x02 | 0x20);
}

TEST(SmsLanguage, RewritesEveryTextButNotTheObjectNumbers) {
    Configuration cfg;
    setdefault(cfg);
    cfg.ObjNum = 0x1111;
    cfg.Inputs[7].ObjNum = {0x12, 0x34};
    cfg.Inputs[64].AlarmSMSText = w("по-своему");
    const Configuration before = cfg;

    SetSmsLanguage(cfg, false);
    EXPECT_EQ(cfg.Options, 0x16);
    EXPECT_EQ(cfg.ArmSMSText, "1111 Armed ");
    EXPECT_EQ(cfg.DisarmSMSText, "1111 Disarmed ");
    for (int n = 1; n <= kInputCount; ++n) {
        const Input& in = cfg.Inputs[static_cast<std::size_t>(n)];
        ASSERT_EQ(in.AlarmSMSText, "1111 Alarm ") << n;
        ASSERT_EQ(in.RestoreSMSText, "1111 Restore ") << n;
    }
    // Nothing else moves: with the texts and the bit put back, the record is as before.
    Configuration restored = cfg;
    restored.Options = before.Options;
    restored.ArmSMSText = before.ArmSMSText;
    restored.DisarmSMSText = before.DisarmSMSText;
    for (std::size_t n = 1; n < restored.Inputs.size(); ++n) {
        restored.Inputs[n].AlarmSMSText = before.Inputs[n].AlarmSMSText;
        restored.Inputs[n].RestoreSMSText = before.Inputs[n].RestoreSMSText;
    }
    EXPECT_TRUE(restored == before);

    SetSmsLanguage(cfg, true);
    EXPECT_EQ(cfg.Options, 0x17);
    EXPECT_EQ(cfg.ArmSMSText, w("1111 Постановка "));
    EXPECT_EQ(cfg.DisarmSMSText, w("1111 Снятие "));
    EXPECT_EQ(cfg.Inputs[1].AlarmSMSText, w("1111 Тревога "));
    EXPECT_EQ(cfg.Inputs[64].RestoreSMSText, w("1111 Восстановление "));
}

// ---- Decimal text ------------------------------------------------------------------

struct DecimalCase {
    const char* text;
    Kind kind;
    std::int64_t value;
};

class Decimal : public testing::TestWithParam<DecimalCase> {};

TEST_P(Decimal, ReadsTheWholeText) {
    const auto& c = GetParam();
    const DecimalText d = ParseDecimal(c.text);
    EXPECT_EQ(d.kind, c.kind) << c.text;
    if (c.kind == Kind::Number) {
        EXPECT_EQ(d.value, c.value) << c.text;
    }
}

constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Table, Decimal,
    testing::Values(DecimalCase{"10", Kind::Number, 10}, DecimalCase{"0", Kind::Number, 0},
                    DecimalCase{"007", Kind::Number, 7}, DecimalCase{" 5 ", Kind::Number, 5},
                    DecimalCase{"-1", Kind::Number, -1}, DecimalCase{"+3", Kind::Number, 3},
                    DecimalCase{"256", Kind::Number, 256},
                    DecimalCase{"99999999999999999999", Kind::Number, kHuge},
                    DecimalCase{"-99999999999999999999", Kind::Number, -kHuge},
                    DecimalCase{"", Kind::Incomplete, 0}, DecimalCase{"  ", Kind::Incomplete, 0},
                    DecimalCase{"-", Kind::Incomplete, 0}, DecimalCase{"+", Kind::Incomplete, 0},
                    DecimalCase{"a", Kind::Invalid, 0}, DecimalCase{"1a", Kind::Invalid, 0},
                    DecimalCase{"1 2", Kind::Invalid, 0}, DecimalCase{"- 1", Kind::Invalid, 0},
                    DecimalCase{"--1", Kind::Invalid, 0}, DecimalCase{"1.5", Kind::Invalid, 0},
                    DecimalCase{"0x10", Kind::Invalid, 0}, DecimalCase{"1-", Kind::Invalid, 0}));

// ---- Counts ------------------------------------------------------------------------

struct CountCase {
    CountRange range;
    std::int64_t typed;
    std::optional<int> stored;
};

class Counts : public testing::TestWithParam<CountCase> {};

TEST_P(Counts, TakeOnlyTheOfferedValues) {
    const auto& c = GetParam();
    EXPECT_EQ(AcceptCount(c.typed, c.range), c.stored) << c.typed;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Counts,
    testing::Values(
        CountCase{kAttemptsRange, 10, 10}, CountCase{kAttemptsRange, 1, 1},
        CountCase{kAttemptsRange, 5, 5}, CountCase{kAttemptsRange, 0, std::nullopt},
        CountCase{kAttemptsRange, 11, std::nullopt}, CountCase{kAttemptsRange, 256, std::nullopt},
        CountCase{kAttemptsRange, -1, std::nullopt}, CountCase{kAttemptsRange, kHuge, std::nullopt},
        CountCase{kSvingerRange, 15, 15}, CountCase{kSvingerRange, 1, 1},
        CountCase{kSvingerRange, 16, std::nullopt}, CountCase{kSvingerRange, 0, std::nullopt},
        CountCase{kSvingerRange, -255, std::nullopt}, CountCase{kCountByteRange, 0, 0},
        CountCase{kCountByteRange, 11, 11}, CountCase{kCountByteRange, 255, 255},
        CountCase{kCountByteRange, 256, std::nullopt},
        CountCase{kCountByteRange, -1, std::nullopt}));

// ---- Periodic-test period ------------------------------------------------------------

enum class Source { HourSpinner, HourEdit, MinuteSpinner, MinuteEdit };

struct PeriodCase {
    const char* what;
    Source source;
    TestPeriod before;
    std::int64_t input; // spinner position or the edit's number
    std::optional<TestPeriod> after;
};

std::optional<TestPeriod> apply(const PeriodCase& c) {
    switch (c.source) {
    case Source::HourSpinner:
        return PeriodFromHourSpinner(c.before, static_cast<int>(c.input));
    case Source::HourEdit:
        return PeriodFromHourEdit(c.before, c.input);
    case Source::MinuteSpinner:
        return PeriodFromMinuteSpinner(c.before, static_cast<int>(c.input));
    case Source::MinuteEdit:
        return PeriodFromMinuteEdit(c.before, c.input);
    }
    return std::nullopt;
}

class Period : public testing::TestWithParam<PeriodCase> {};

TEST_P(Period, StaysBetweenTenMinutesAndADay) {
    const auto& c = GetParam();
    const auto got = apply(c);
    ASSERT_EQ(got.has_value(), c.after.has_value()) << c.what;
    if (got) {
        EXPECT_EQ(got->hours, c.after->hours) << c.what;
        EXPECT_EQ(got->minutes, c.after->minutes) << c.what;
    }
}

using S = Source;
using P = TestPeriod;
constexpr std::optional<TestPeriod> kRefused = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Table, Period,
    testing::Values(
        PeriodCase{"hour spinner up", S::HourSpinner, P{1, 30}, 2, P{2, 30}},
        PeriodCase{"hour spinner to 24 drops the minutes", S::HourSpinner, P{23, 40}, 24, P{24, 0}},
        PeriodCase{"hour spinner to 0 with 0 minutes", S::HourSpinner, P{1, 0}, 0, P{0, 10}},
        PeriodCase{"hour spinner to 0 keeps minutes", S::HourSpinner, P{1, 20}, 0, P{0, 20}},
        PeriodCase{"hour edit 30 is 24", S::HourEdit, P{1, 20}, 30, P{24, 0}},
        PeriodCase{"hour edit 24", S::HourEdit, P{3, 50}, 24, P{24, 0}},
        PeriodCase{"hour edit huge is 24", S::HourEdit, P{3, 50}, kHuge, P{24, 0}},
        PeriodCase{"hour edit 0 over 1 h 0 min", S::HourEdit, P{1, 0}, 0, P{0, 10}},
        PeriodCase{"hour edit 0 keeps 30 min", S::HourEdit, P{1, 30}, 0, P{0, 30}},
        PeriodCase{"hour edit 12", S::HourEdit, P{1, 0}, 12, P{12, 0}},
        PeriodCase{"hour edit -1 refused", S::HourEdit, P{1, 0}, -1, kRefused},
        PeriodCase{"minute spinner", S::MinuteSpinner, P{1, 0}, 3, P{1, 30}},
        PeriodCase{"minute spinner to 0 at 0 h", S::MinuteSpinner, P{0, 10}, 0, P{0, 10}},
        PeriodCase{"minute spinner to 0 at 1 h", S::MinuteSpinner, P{1, 10}, 0, P{1, 0}},
        PeriodCase{"minute spinner at 24 h", S::MinuteSpinner, P{24, 0}, 1, kRefused},
        PeriodCase{"minute edit 75 is 50", S::MinuteEdit, P{1, 0}, 75, P{1, 50}},
        PeriodCase{"minute edit 9 is 0", S::MinuteEdit, P{1, 20}, 9, P{1, 0}},
        PeriodCase{"minute edit 9 at 0 h is 10", S::MinuteEdit, P{0, 20}, 9, P{0, 10}},
        PeriodCase{"minute edit 3 typed", S::MinuteEdit, P{2, 40}, 3, P{2, 0}},
        PeriodCase{"minute edit 40", S::MinuteEdit, P{2, 0}, 40, P{2, 40}},
        PeriodCase{"minute edit 30 at 24 h refused", S::MinuteEdit, P{24, 0}, 30, kRefused},
        PeriodCase{"minute edit 5 at 24 h is 0", S::MinuteEdit, P{24, 0}, 5, P{24, 0}},
        PeriodCase{"minute edit huge is 50", S::MinuteEdit, P{5, 0}, kHuge, P{5, 50}},
        PeriodCase{"minute edit -10 refused", S::MinuteEdit, P{5, 20}, -10, kRefused}));

} // namespace
} // namespace tk
