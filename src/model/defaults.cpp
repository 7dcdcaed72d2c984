#include "model/defaults.h"

#include "model/cp1251.h"
#include "model/packing.h"

namespace tk {

std::array<std::int32_t, 2> DefaultInpNum(int n) {
    const int hundreds = (n / 100) % 10;
    const int tens = (n / 10) % 10;
    const int units = n % 10;
    return {hundreds, (tens << 4) | units};
}

void setdefault(Configuration& cfg) {
    cfg.TxSerialNum.clear();
    cfg.TxTlfNum.clear();
    cfg.TxVersion.clear();

    cfg.ObjNum = 0x1111;
    cfg.TimeOfInp = 20;
    cfg.TimeOfOut = 20;
    cfg.TimeOfAlarmMin = 1;
    cfg.TimeOfAlarmSec = 0;
    cfg.Options = OptCyrillic | OptToneDialling | OptArmOpenDoor | OptArmConfirm;
    cfg.SvingerCount = 5;
    cfg.NumOfAttemptsCallMain = 5;
    cfg.PerTestHours = 1;
    cfg.PerTestMinutes = 0;
    cfg.SysEvAcFlags = 0;
    cfg.SysEvDcFlags = 0;
    cfg.SysEvPtFlags = 0;
    cfg.ExtPanelObjNum = 0x1111;
    cfg.ExtPanelFlags = 0;

    cfg.ArmSMSText = cp1251("1111 Постановка ");
    cfg.DisarmSMSText = cp1251("1111 Снятие ");

    for (Text& tel : cfg.TelNum) {
        tel.clear();
    }
    cfg.TelNum7316.clear();
    cfg.Apn.clear();
    cfg.ApnUserName.clear();
    cfg.ApnPass.clear();
    cfg.TkRecIp.clear();
    cfg.Email.clear();
    cfg.GprsMode = 0;
    cfg.GprsPeriodMin = 1;
    cfg.GprsPeriodSec = 0;

    const Text alarm = cp1251("1111 Тревога ");
    const Text restore = cp1251("1111 Восстановление ");
    for (int n = 1; n <= kInputCount; ++n) {
        Input& in = cfg.Inputs[static_cast<std::size_t>(n)];
        in.AlarmSMSText = alarm;
        in.RestoreSMSText = restore;
        in.Raw4 = 0;
        in.Raw6 = 0;
        in.Raw8 = 0;
        in.Raw10 = 0;
        in.AlarmMask = 0;
        in.Flags = 0x20;
        in.RepFlags = 0;
        in.ZoneType = ZonePerimeter;
        in.ObjNum = {0x11, 0x11};
        in.EvCode = {1, 0x30};
        in.InpNum = DefaultInpNum(n);
        in.PartNum = 1;
        in.Partition = 1;
    }
    cfg.Inputs[1].ZoneType = ZoneEntryExit;
    cfg.Inputs[2].ZoneType = ZoneWalkThrough;
    cfg.Inputs[3].ZoneType = ZonePerimeter;
    cfg.Inputs[4].ZoneType = ZoneArmDisarm;
    cfg.Inputs[4].Flags = 0x12;

    cfg.ExtBlocksCount = 0;
    cfg.Comments.clear();
}

void setdefault(Configuration& cfg, EditorState& editor) {
    setdefault(cfg);
    editor.ObjNumChanged = 0;
    editor.CurPartition = 0;
    editor.CurInput = 1;
    for (auto& grid : editor.TelCellEnabled) {
        for (auto& col : grid) {
            col.fill(1);
        }
    }
}

} // namespace tk
