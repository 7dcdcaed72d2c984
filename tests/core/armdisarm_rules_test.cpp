#include "model/armdisarm_rules.h"
#include "model/cp1251.h"
#include "model/defaults.h"

#include <gtest/gtest.h>

namespace tk::armdisarm {
namespace {

struct TextCase {
    const char* text;
    bool refused;
    std::int32_t value;
};

// Delays: multiples of 10 up to 160; no number gives 10; negatives never wrap.
TEST(ArmDisarmRules, DelayFromText) {
    const TextCase cases[] = {
        {"0", false, 0},
        {"20", false, 20},
        {"75", false, 70},
        {"160", false, 160},
        {"165", false, 160},
        {"255", false, 160},
        {"99999", false, 160},
        {"abc", false, 10},
        {"1a", false, 10},
        {" 5", false, 10},
        {"99999999999", false, 10}, // too long for a whole number
        {"-50", true, 0},
        {"-1", true, 0},
        {"-", true, 0},
        {"+30", false, 30},
    };
    for (const TextCase& c : cases) {
        const Typed t = DelayFromText(c.text);
        EXPECT_EQ(t.refused, c.refused) << c.text;
        if (!c.refused) {
            EXPECT_EQ(t.value, c.value) << c.text;
        }
    }
}

TEST(ArmDisarmRules, CappedFromTextRefusesWhatIsNoNumberOrNegative) {
    const TextCase minutes[] = {
        {"0", false, 0}, {"7", false, 7}, {"10", false, 10}, {"30", false, 10}, {"255", false, 10},
        {"-1", true, 0}, {"-", true, 0},  {"x", true, 0},    {"1.5", true, 0},
    };
    for (const TextCase& c : minutes) {
        const Typed t = CappedFromText(c.text, kSirenMaxMinutes);
        EXPECT_EQ(t.refused, c.refused) << c.text;
        if (!c.refused) {
            EXPECT_EQ(t.value, c.value) << c.text;
        }
    }
    EXPECT_EQ(CappedFromText("75", kSirenMaxSeconds).value, 59);
}

TEST(ArmDisarmRules, ParseWholeNumberTakesOnlySignAndDigits) {
    EXPECT_EQ(ParseWholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(ParseWholeNumber("-2147483648"), INT32_MIN);
    EXPECT_FALSE(ParseWholeNumber("2147483648"));
    EXPECT_FALSE(ParseWholeNumber(""));
    EXPECT_FALSE(ParseWholeNumber("+"));
    EXPECT_FALSE(ParseWholeNumber("12 "));
    EXPECT_FALSE(ParseWholeNumber("$1F"));
}

TEST(ArmDisarmRules, StartOfLongerValueKeepsHalfTypedNumbers) {
    struct Case {
        const char* text;
        std::int32_t max;
        std::int32_t step;
        bool keep;
    } const cases[] = {
        {"1", 160, 10, true},   {"16", 160, 10, true},  {"7", 160, 10, true},
        {"75", 160, 10, false}, {"17", 160, 10, false}, {"160", 160, 10, false},
        {"0", 160, 10, false},  {"1", 10, 1, true},     {"2", 10, 1, false},
        {"5", 59, 1, true},     {"6", 59, 1, false},    {"05", 59, 1, false},
        {"", 59, 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsStartOfLongerValue(c.text, c.max, c.step), c.keep) << c.text;
    }
}

// Every change of one part, with the other as the record holds it, stays within
// 0:01 .. 10:00; nothing means the change is refused.
TEST(ArmDisarmRules, SirenKeepsBetweenOneSecondAndTenMinutes) {
    struct Case {
        bool minutesPart; // which part is set
        std::int32_t value, other;
        std::int32_t minutes, seconds; // the duration afterwards; -1: refused
    } const cases[] = {
        {true, 10, 30, 10, 0}, {true, 10, 0, 10, 0},   {true, 0, 0, 0, 1},    {true, 0, 5, 0, 5},
        {true, 5, 0, 5, 0},    {false, 3, 10, -1, -1}, {false, 0, 10, 10, 0}, {false, 0, 0, 0, 1},
        {false, 0, 1, 1, 0},   {false, 30, 0, 0, 30},  {false, 59, 9, 9, 59},
    };
    for (const Case& c : cases) {
        std::int32_t m = c.minutesPart ? c.value : c.other;
        std::int32_t s = c.minutesPart ? c.other : c.value;
        if (c.minutesPart) {
            const Siren siren = SirenMinutesSet(c.value, c.other);
            m = siren.minutes;
            s = siren.seconds.value_or(s);
        } else if (const auto set = SirenSecondsSet(c.value, c.other)) {
            s = *set;
        } else {
            m = s = -1;
        }
        EXPECT_EQ(m, c.minutes) << c.minutesPart << " " << c.value << " " << c.other;
        EXPECT_EQ(s, c.seconds) << c.minutesPart << " " << c.value << " " << c.other;
    }
}

TEST(ArmDisarmRules, ObjNumDigitsAndFlags) {
    std::int32_t objNum = 0x1111;
    EXPECT_TRUE(SetObjNumDigit(objNum, 1, '7'));
    EXPECT_EQ(objNum, 0x7111);
    EXPECT_TRUE(SetObjNumDigit(objNum, 4, 'c'));
    EXPECT_EQ(objNum, 0x711C);
    EXPECT_FALSE(SetObjNumDigit(objNum, 2, 'g'));
    EXPECT_FALSE(SetObjNumDigit(objNum, 0, '1'));
    EXPECT_EQ(objNum, 0x711C);

    std::int32_t options = 0x41;
    EXPECT_TRUE(SetFlag(options, kArmConfirmBit, true));
    EXPECT_EQ(options, 0x51);
    EXPECT_FALSE(SetFlag(options, kArmConfirmBit, true));
    EXPECT_TRUE(SetFlag(options, kArmOpenDoorBit, true));
    EXPECT_TRUE(SetFlag(options, kArmConfirmBit, false));
    EXPECT_EQ(options, 0x45);
}

TEST(ArmDisarmRules, FinishObjNumEditRewritesTextsOnceAfterAnEdit) {
    Configuration cfg;
    EditorState editor;
    setdefault(cfg, editor);
    cfg.ObjNum = 0x7111;
    cfg.Options &= ~kCyrillicBit;
    cfg.ArmSMSText = "by hand";
    EXPECT_FALSE(FinishObjNumEdit(cfg, editor)); // no edit: nothing happens
    EXPECT_EQ(cfg.ArmSMSText, "by hand");

    editor.ObjNumChanged = 1;
    EXPECT_TRUE(FinishObjNumEdit(cfg, editor));
    EXPECT_EQ(editor.ObjNumChanged, 0);
    EXPECT_EQ(cfg.ArmSMSText, "7111 Armed ");
    EXPECT_EQ(cfg.DisarmSMSText, "7111 Disarmed ");
    EXPECT_EQ(cfg.Inputs[5].AlarmSMSText, "7111 Alarm ");
    EXPECT_EQ(cfg.Inputs[64].RestoreSMSText, "7111 Restore ");
    EXPECT_EQ(cfg.Inputs[64].ObjNum, (std::array<std::int32_t, 2>{0x71, 0x11}));

    cfg.Options |= kCyrillicBit;
    editor.ObjNumChanged = 1;
    EXPECT_TRUE(FinishObjNumEdit(cfg, editor));
    EXPECT_EQ(cfg.ArmSMSText, cp1251("7111 Постановка "));
    EXPECT_EQ(cfg.Inputs[1].RestoreSMSText, cp1251("7111 Восстановление "));
}

} // namespace
} // namespace tk::armdisarm
