#include "model/defaults.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

using test::w;

TEST(Factory, GeneralArmingAndOptions) {
    Configuration cfg;
    cfg.TxSerialNum = "12";
    cfg.TxTlfNum = "34";
    cfg.TxVersion = "1.05";
    cfg.Comments = {"x"};
    cfg.ExtBlocksCount = 7;
    setdefault(cfg);
    EXPECT_EQ(cfg.TxSerialNum, "");
    EXPECT_EQ(cfg.TxTlfNum, "");
    EXPECT_EQ(cfg.TxVersion, "");
    EXPECT_TRUE(cfg.Comments.empty());
    EXPECT_EQ(cfg.ExtBlocksCount, 0);
    EXPECT_EQ(cfg.ObjNum, 0x1111);
    EXPECT_EQ(cfg.TimeOfInp, 20);
    EXPECT_EQ(cfg.TimeOfOut, 20);
    EXPECT_EQ(cfg.TimeOfAlarmMin, 1);
    EXPECT_EQ(cfg.TimeOfAlarmSec, 0);
    EXPECT_EQ(cfg.Options, 0x17);
    EXPECT_EQ(cfg.SvingerCount, 5);
    EXPECT_EQ(cfg.NumOfAttemptsCallMain, 5);
    EXPECT_EQ(cfg.PerTestHours, 1);
    EXPECT_EQ(cfg.PerTestMinutes, 0);
    EXPECT_EQ(cfg.ExtPanelObjNum, 0x1111);
    EXPECT_EQ(cfg.GprsPeriodMin, 1);
    EXPECT_EQ(cfg.GprsPeriodSec, 0);
    EXPECT_EQ(cfg.ArmSMSText, w("1111 Постановка "));
    EXPECT_EQ(cfg.DisarmSMSText, w("1111 Снятие "));
}

struct InputCase {
    int n;
    std::int32_t zoneType;
    std::int32_t flags;
    std::array<std::int32_t, 2> inpNum;
};

class FactoryInputs : public testing::TestWithParam<InputCase> {};

TEST_P(FactoryInputs, HaveTheirValues) {
    const auto& c = GetParam();
    Configuration cfg;
    setdefault(cfg);
    const Input& in = cfg.Inputs[c.n];
    EXPECT_EQ(in.ZoneType, c.zoneType);
    EXPECT_EQ(in.Flags, c.flags);
    EXPECT_EQ(in.InpNum, c.inpNum);
    EXPECT_EQ(in.AlarmSMSText, w("1111 Тревога "));
    EXPECT_EQ(in.RestoreSMSText, w("1111 Восстановление "));
    EXPECT_EQ(in.ObjNum, (std::array<std::int32_t, 2>{0x11, 0x11}));
    EXPECT_EQ(in.EvCode, (std::array<std::int32_t, 2>{1, 0x30}));
    EXPECT_EQ(in.PartNum, 1);
    EXPECT_EQ(in.Partition, 1);
    EXPECT_EQ(in.RepFlags, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FactoryInputs,
    testing::Values(InputCase{1, 1, 0x20, {0, 0x01}}, InputCase{2, 8, 0x20, {0, 0x02}},
                    InputCase{3, 4, 0x20, {0, 0x03}}, InputCase{4, 16, 0x12, {0, 0x04}},
                    InputCase{5, 4, 0x20, {0, 0x05}}, InputCase{10, 4, 0x20, {0, 0x10}},
                    InputCase{64, 4, 0x20, {0, 0x64}}));

TEST(Factory, InputNumberPaddingKeepsTheHundreds) {
    EXPECT_EQ(DefaultInpNum(123), (std::array<std::int32_t, 2>{1, 0x23}));
}

TEST(Factory, ResetsTheCarriedValuesOfInputsButNotTheirDialUpMasks) {
    Configuration cfg;
    for (auto& in : cfg.Inputs) {
        in.Raw4 = in.Raw6 = in.Raw8 = in.Raw10 = in.AlarmMask = 9;
        in.DialUpMask = 0x3F;
    }
    setdefault(cfg);
    for (int n = 1; n <= kInputCount; ++n) {
        const Input& in = cfg.Inputs[n];
        EXPECT_EQ(in.Raw4 | in.Raw6 | in.Raw8 | in.Raw10 | in.AlarmMask, 0) << n;
        EXPECT_EQ(in.DialUpMask, 0x3F) << n;
    }
}

TEST(Factory, LeavesMasksAndCarriedValuesOfEventsAlone) {
    Configuration before;
    for (auto& p : before.Partitions) {
        p = {1, 2, 3, 0x3F, 5, 0x21};
    }
    before.SysEvDcDialUpMask = 1;
    before.SysEvDcAlarmMask = 2;
    before.SysEvPtDialUpMask = 3;
    before.SysEvPtAlarmMask = 4;
    before.ExtPanelDialUpMask = 5;
    before.ExtPanelAlarmMask = 6;
    before.KpdFlags = 7;
    before.KpdDialUpMask = 8;
    before.KpdAlarmMask = 9;
    before.SysEvAcRaw8 = 10;
    before.SysEvAcRaw10 = 11;
    before.SysEvDcRaw10 = 12;
    before.SysEvPtRaw4 = 13;
    before.SysEvPtRaw10 = 14;
    before.AuxPeriod58 = 15;
    before.AuxPeriod5A = 16;

    Configuration cfg = before;
    setdefault(cfg);
    EXPECT_EQ(cfg.Partitions, before.Partitions);
    EXPECT_EQ(cfg.SysEvDcDialUpMask, 1);
    EXPECT_EQ(cfg.SysEvDcAlarmMask, 2);
    EXPECT_EQ(cfg.SysEvPtDialUpMask, 3);
    EXPECT_EQ(cfg.SysEvPtAlarmMask, 4);
    EXPECT_EQ(cfg.ExtPanelDialUpMask, 5);
    EXPECT_EQ(cfg.ExtPanelAlarmMask, 6);
    EXPECT_EQ(cfg.KpdFlags, 7);
    EXPECT_EQ(cfg.KpdDialUpMask, 8);
    EXPECT_EQ(cfg.KpdAlarmMask, 9);
    EXPECT_EQ(cfg.SysEvAcRaw8, 10);
    EXPECT_EQ(cfg.SysEvAcRaw10, 11);
    EXPECT_EQ(cfg.SysEvDcRaw10, 12);
    EXPECT_EQ(cfg.SysEvPtRaw4, 13);
    EXPECT_EQ(cfg.SysEvPtRaw10, 14);
    EXPECT_EQ(cfg.AuxPeriod58, 15);
    EXPECT_EQ(cfg.AuxPeriod5A, 16);
}

TEST(Factory, ResetsTheEditingState) {
    Configuration cfg;
    EditorState ed;
    ed.ObjNumChanged = 1;
    ed.CurInput = 7;
    ed.CurPartition = 3;
    setdefault(cfg, ed);
    EXPECT_EQ(ed.ObjNumChanged, 0);
    EXPECT_EQ(ed.CurInput, 1);
    EXPECT_EQ(ed.CurPartition, 0);
    for (const auto& grid : ed.TelCellEnabled) {
        for (const auto& col : grid) {
            for (auto cell : col) {
                ASSERT_EQ(cell, 1);
            }
        }
    }
}

} // namespace
} // namespace tk
