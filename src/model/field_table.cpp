#include "model/field_table.h"

#include "model/cp1251.h"
#include "model/input_rules.h"
#include "model/input_table.h"
#include "model/options_rules.h"
#include "model/packing.h"

#include <cstddef>
#include <cstdio>
#include <set>
#include <tuple>
#include <utility>

namespace tk {
namespace {

using Get = std::function<std::string(const Configuration&)>;
using Take = std::function<void(Configuration&, const Configuration&)>;

std::string shownText(const Text& t) {
    return t.empty() ? std::string(kNoValue) : cp1251ToUtf8(t);
}

std::string yesNo(bool on) {
    return on ? "да" : "нет";
}

std::string indexed(const std::string& name, std::size_t i) {
    return name + "[" + std::to_string(i) + "]";
}

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

template <class T> Take takeMember(T Configuration::*m) {
    return [m](Configuration& to, const Configuration& from) { to.*m = from.*m; };
}

template <class T> Take takeInput(int n, T Input::*m) {
    return [n, m](Configuration& to, const Configuration& from) {
        to.Inputs[at(n)].*m = from.Inputs[at(n)].*m;
    };
}

template <class T> Take takePartition(int p, T Partition::*m) {
    return [p, m](Configuration& to, const Configuration& from) {
        to.Partitions[at(p)].*m = from.Partitions[at(p)].*m;
    };
}

class Table {
public:
    void shown(FieldPlace place, int index, std::string panel, std::string group,
               std::string caption, std::vector<std::string> fields, Get get, Take take) {
        rows_.push_back(FieldRow{place, index, std::move(panel), std::move(group),
                                 std::move(caption), std::move(fields), false, std::move(get),
                                 std::move(take)});
    }

    // A field no panel shows, named by its record field and shown as stored.
    void hidden(const std::string& field, Get get, Take take) {
        rows_.push_back(FieldRow{FieldPlace::Hidden,
                                 0,
                                 kHiddenPanel,
                                 "",
                                 field,
                                 {field},
                                 true,
                                 std::move(get),
                                 std::move(take)});
    }
    void hiddenNumber(const std::string& field, std::int32_t Configuration::*m) {
        hidden(
            field, [m](const Configuration& c) { return std::to_string(c.*m); }, takeMember(m));
    }
    void hiddenText(const std::string& field, Text Configuration::*m) {
        hidden(
            field, [m](const Configuration& c) { return shownText(c.*m); }, takeMember(m));
    }

    std::vector<FieldRow> take() { return std::move(rows_); }

private:
    std::vector<FieldRow> rows_;
};

void general(Table& t) {
    const std::string panel = "Общие";
    t.shown(
        FieldPlace::General, 0, panel, "", "Серийный номер передатчика", {"TxSerialNum"},
        [](const Configuration& c) { return shownText(c.TxSerialNum); },
        takeMember(&Configuration::TxSerialNum));
    t.shown(
        FieldPlace::General, 0, panel, "", "Телефон передатчика", {"TxTlfNum"},
        [](const Configuration& c) { return shownText(c.TxTlfNum); },
        takeMember(&Configuration::TxTlfNum));
    t.shown(
        FieldPlace::General, 0, panel, "", "Версия передатчика", {"TxVersion"},
        [](const Configuration& c) { return shownText(c.TxVersion); },
        takeMember(&Configuration::TxVersion));
    t.shown(
        FieldPlace::General, 0, panel, "", "Комментарии", {"Comments"},
        [](const Configuration& c) {
            std::string out;
            for (const Text& line : c.Comments) {
                out += (out.empty() ? "" : " / ") + cp1251ToUtf8(line);
            }
            return out.empty() ? std::string(kNoValue) : out;
        },
        takeMember(&Configuration::Comments));
}

void optionRow(Table& t, FieldPlace place, const std::string& panel, const std::string& caption,
               OptionBit bit) {
    t.shown(
        place, 0, panel, "", caption, {"Options"},
        [bit](const Configuration& c) { return yesNo(HasOption(c.Options, bit)); },
        takeMember(&Configuration::Options));
}

void numberRow(Table& t, FieldPlace place, const std::string& panel, const std::string& caption,
               const std::string& field, std::int32_t Configuration::*m) {
    t.shown(
        place, 0, panel, "", caption, {field},
        [m](const Configuration& c) { return std::to_string(c.*m); }, takeMember(m));
}

void armDisarm(Table& t) {
    const FieldPlace place = FieldPlace::ArmDisarm;
    const std::string panel = "Постановка/Снятие";
    t.shown(
        place, 0, panel, "", "Номер объекта", {"ObjNum"},
        [](const Configuration& c) { return ObjNumText(c.ObjNum); },
        takeMember(&Configuration::ObjNum));
    numberRow(t, place, panel, "Время входа, сек.", "TimeOfInp", &Configuration::TimeOfInp);
    numberRow(t, place, panel, "Время выхода, сек.", "TimeOfOut", &Configuration::TimeOfOut);
    numberRow(t, place, panel, "Время звучания сирены, мин.", "TimeOfAlarmMin",
              &Configuration::TimeOfAlarmMin);
    numberRow(t, place, panel, "Время звучания сирены, сек.", "TimeOfAlarmSec",
              &Configuration::TimeOfAlarmSec);
    optionRow(t, place, panel, "Подтверждение о постановке", OptArmConfirm);
    optionRow(t, place, panel, "Постановка с открытой дверью", OptArmOpenDoor);
}

// The telephones of a mask, and the bits beyond telephone 6 (which no grid shows) in
// hexadecimal: "1, 2 (+0x100)".
std::string maskText(std::int32_t mask) {
    const auto beyond = static_cast<std::uint32_t>(mask) & ~((1U << kReportTelephones) - 1U);
    if (beyond == 0) {
        return TelephoneListText(mask);
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", beyond);
    return TelephoneListText(mask) + " (+0x" + hex + ")";
}

void maskRow(Table& t, FieldPlace place, int index, const std::string& panel,
             const std::string& caption, const std::string& field,
             std::function<std::int32_t(const Configuration&)> mask, Take take) {
    t.shown(
        place, index, panel, "", caption, {field},
        [mask = std::move(mask)](const Configuration& c) { return maskText(mask(c)); },
        std::move(take));
}

void telephoneList(Table& t) {
    for (int k = 0; k < kReportTelephones; ++k) {
        t.shown(
            FieldPlace::Telephones, 0, "Телефоны", "", "Телефон " + std::to_string(k + 1),
            {indexed("TelNum", at(k))},
            [k](const Configuration& c) { return shownText(c.TelNum[at(k)]); },
            [k](Configuration& to, const Configuration& from) {
                to.TelNum[at(k)] = from.TelNum[at(k)];
            });
    }
    const FieldPlace events = FieldPlace::EventTelephones;
    const std::string panel = "Телефоны / Системных событий";
    maskRow(
        t, events, 0, panel, "Неисправность батареи, DialUp", "SysEvDcDialUpMask",
        [](const Configuration& c) { return c.SysEvDcDialUpMask; },
        takeMember(&Configuration::SysEvDcDialUpMask));
    maskRow(
        t, events, 0, panel, "Неисправность батареи, Alarm", "SysEvDcAlarmMask",
        [](const Configuration& c) { return c.SysEvDcAlarmMask; },
        takeMember(&Configuration::SysEvDcAlarmMask));
    maskRow(
        t, events, 0, panel, "Периодический тест, DialUp", "SysEvPtDialUpMask",
        [](const Configuration& c) { return c.SysEvPtDialUpMask; },
        takeMember(&Configuration::SysEvPtDialUpMask));
    maskRow(
        t, events, 0, panel, "Периодический тест, Alarm", "SysEvPtAlarmMask",
        [](const Configuration& c) { return c.SysEvPtAlarmMask; },
        takeMember(&Configuration::SysEvPtAlarmMask));
    for (int n = 1; n <= kBaseInputs; ++n) {
        const std::string in = indexed("Inputs", at(n));
        const std::string inputPanel = "Телефоны / Входа " + std::to_string(n);
        maskRow(
            t, FieldPlace::InputTelephones, n, inputPanel, "DialUp", in + ".DialUpMask",
            [n](const Configuration& c) { return c.Inputs[at(n)].DialUpMask; },
            takeInput(n, &Input::DialUpMask));
        maskRow(
            t, FieldPlace::InputTelephones, n, inputPanel, "ALARM", in + ".AlarmMask",
            [n](const Configuration& c) { return c.Inputs[at(n)].AlarmMask; },
            takeInput(n, &Input::AlarmMask));
    }
    for (int p = 0; p < kPartitionCount; ++p) {
        const std::string part = indexed("Partitions", at(p));
        const std::string partitionPanel = "Телефоны / Раздела " + std::to_string(p + 1);
        maskRow(
            t, FieldPlace::PartitionTelephones, p + 1, partitionPanel, "DialUp",
            part + ".DialUpMask",
            [p](const Configuration& c) { return c.Partitions[at(p)].DialUpMask; },
            takePartition(p, &Partition::DialUpMask));
        maskRow(
            t, FieldPlace::PartitionTelephones, p + 1, partitionPanel, "ALARM", part + ".AlarmMask",
            [p](const Configuration& c) { return c.Partitions[at(p)].AlarmMask; },
            takePartition(p, &Partition::AlarmMask));
    }
}

void other(Table& t) {
    const FieldPlace place = FieldPlace::Other;
    const std::string panel = "Разное";
    optionRow(t, place, panel, "Условие ИЛИ для отчета CID DialUP", OptCyrillic);
    optionRow(t, place, panel, "Тональный набор", OptToneDialling);
    optionRow(t, place, panel, "Звуковое подтверждение о неготовности зон", OptZoneNotReady);
    numberRow(t, place, panel, "Количество попыток дозвона", "NumOfAttemptsCallMain",
              &Configuration::NumOfAttemptsCallMain);
    numberRow(t, place, panel, "Свингер", "SvingerCount", &Configuration::SvingerCount);
}

void input(Table& t, int n) {
    const std::string in = indexed("Inputs", at(n));
    const std::string panel = "Вход " + std::to_string(n);
    const FieldPlace place = FieldPlace::Input;
    auto row = [&](const std::string& group, const std::string& caption,
                   std::vector<std::string> fields, std::string (*shown)(const Input&), Take take) {
        t.shown(
            place, n, panel, group, caption, std::move(fields),
            [n, shown](const Configuration& c) { return shown(c.Inputs[at(n)]); }, std::move(take));
    };
    row(
        "", "Тип зоны", {in + ".ZoneType"},
        [](const Input& i) { return std::string(ZoneTypeCaption(i)); },
        takeInput(n, &Input::ZoneType));
    row(
        "", "Контакты входа", {in + ".ZoneType", in + ".Flags"},
        [](const Input& i) { return std::string(ContactTypeCaption(i)); },
        [n](Configuration& to, const Configuration& from) {
            to.Inputs[at(n)].ZoneType = from.Inputs[at(n)].ZoneType;
            to.Inputs[at(n)].Flags = from.Inputs[at(n)].Flags;
        });
    row(
        "", "Включать сирену при тревоге", {in + ".Flags"},
        [](const Input& i) { return yesNo(HasSiren(i)); }, takeInput(n, &Input::Flags));
    row(
        "", "Раздел", {in + ".Partition"},
        [](const Input& i) { return std::to_string(i.Partition); },
        takeInput(n, &Input::Partition));
    const std::string report = "Параметры CID DialUp отчета";
    row(report, "Номер объекта", {in + ".ObjNum[0]", in + ".ObjNum[1]"}, ObjNumDigits,
        takeInput(n, &Input::ObjNum));
    row(report, "Код события", {in + ".EvCode[0]", in + ".EvCode[1]"}, EvCodeDigits,
        takeInput(n, &Input::EvCode));
    row(report, "Номер входа", {in + ".InpNum[0]", in + ".InpNum[1]"}, InpNumDigits,
        takeInput(n, &Input::InpNum));
    row(report, "Номер раздела", {in + ".PartNum"}, PartNumDigits, takeInput(n, &Input::PartNum));
}

// Input n (5..64) in the table of inputs: a row, its cells as the table shows them.
void tableInput(Table& t, int n) {
    const std::string in = indexed("Inputs", at(n)) + ".";
    const auto both = [n](Configuration& to, const Configuration& from) {
        to.Inputs[at(n)].ZoneType = from.Inputs[at(n)].ZoneType;
        to.Inputs[at(n)].Flags = from.Inputs[at(n)].Flags;
    };
    const std::tuple<InputColumn, std::vector<std::string>, Take> columns[] = {
        {InputColumn::Active, {in + "Flags"}, takeInput(n, &Input::Flags)},
        {InputColumn::ZoneType, {in + "ZoneType"}, takeInput(n, &Input::ZoneType)},
        {InputColumn::Contacts, {in + "ZoneType", in + "Flags"}, both},
        {InputColumn::Siren, {in + "Flags"}, takeInput(n, &Input::Flags)},
        {InputColumn::Partition, {in + "Partition"}, takeInput(n, &Input::Partition)},
        {InputColumn::ObjNum, {in + "ObjNum[0]", in + "ObjNum[1]"}, takeInput(n, &Input::ObjNum)},
        {InputColumn::EvCode, {in + "EvCode[0]", in + "EvCode[1]"}, takeInput(n, &Input::EvCode)},
        {InputColumn::AlarmCalls, {in + "AlarmMask"}, takeInput(n, &Input::AlarmMask)},
        {InputColumn::AlarmSms, {in + "AlarmSMSText"}, takeInput(n, &Input::AlarmSMSText)},
        {InputColumn::RestoreSms, {in + "RestoreSMSText"}, takeInput(n, &Input::RestoreSMSText)},
    };
    for (const auto& [column, fields, take] : columns) {
        Get get = [n, column = column](const Configuration& c) {
            std::string cell = InputCellText(c, n, column);
            if (column == InputColumn::AlarmCalls) {
                // A mask's bits beyond the telephones, as the grids' rows show them.
                const std::string mask = maskText(c.Inputs[at(n)].AlarmMask);
                const std::size_t beyond = mask.find(" (+0x");
                if (beyond != std::string::npos) {
                    cell += mask.substr(beyond);
                }
            }
            return cell.empty() ? std::string(kNoValue) : cell;
        };
        t.shown(FieldPlace::InputTable, n, "Входы 5–64", "Вход " + std::to_string(n),
                std::string(InputColumnCaption(column)), fields, std::move(get), take);
    }
}

void periodicTest(Table& t) {
    const FieldPlace place = FieldPlace::PeriodicTest;
    const std::string panel = "Периодический тест";
    numberRow(t, place, panel, "Период, час.", "PerTestHours", &Configuration::PerTestHours);
    numberRow(t, place, panel, "Период, мин.", "PerTestMinutes", &Configuration::PerTestMinutes);
}

template <class T> void hiddenInputNumber(Table& t, int n, const char* name, T Input::*m) {
    t.hidden(
        indexed("Inputs", at(n)) + "." + name,
        [n, m](const Configuration& c) { return std::to_string(c.Inputs[at(n)].*m); },
        takeInput(n, m));
}

void hiddenInputPair(Table& t, int n, const char* name, std::array<std::int32_t, 2> Input::*m) {
    for (int k = 0; k < 2; ++k) {
        t.hidden(
            indexed(indexed("Inputs", at(n)) + "." + name, at(k)),
            [n, m, k](const Configuration& c) {
                return std::to_string((c.Inputs[at(n)].*m)[at(k)]);
            },
            [n, m, k](Configuration& to, const Configuration& from) {
                (to.Inputs[at(n)].*m)[at(k)] = (from.Inputs[at(n)].*m)[at(k)];
            });
    }
}

void hiddenInputText(Table& t, int n, const char* name, Text Input::*m) {
    t.hidden(
        indexed("Inputs", at(n)) + "." + name,
        [n, m](const Configuration& c) { return shownText(c.Inputs[at(n)].*m); }, takeInput(n, m));
}

void hiddenFields(Table& t) {
    for (int p = 0; p < kPartitionCount; ++p) {
        const std::string part = indexed("Partitions", at(p)) + ".";
        const std::pair<const char*, std::int32_t Partition::*> fields[] = {
            {"Flags", &Partition::Flags},
            {"Raw4", &Partition::Raw4},
            {"Raw6", &Partition::Raw6},
            {"Raw10", &Partition::Raw10}};
        for (const auto& field : fields) {
            const auto m = field.second;
            t.hidden(
                part + field.first,
                [p, m](const Configuration& c) { return std::to_string(c.Partitions[at(p)].*m); },
                takePartition(p, m));
        }
    }
    for (int k = kReportTelephones; k < kTelephoneCount; ++k) {
        t.hidden(
            indexed("TelNum", at(k)),
            [k](const Configuration& c) { return shownText(c.TelNum[at(k)]); },
            [k](Configuration& to, const Configuration& from) {
                to.TelNum[at(k)] = from.TelNum[at(k)];
            });
    }
    t.hiddenText("ArmSMSText", &Configuration::ArmSMSText);
    t.hiddenText("DisarmSMSText", &Configuration::DisarmSMSText);
    // Element 0 is stored nowhere and shown by no panel; the table of inputs 5..64
    // shows neither their DialUp mask (not stored) nor the report's input and
    // partition numbers; no panel shows the SMS texts of inputs 1..4.
    for (int n = 0; n <= kInputCount; ++n) {
        const bool none = n == 0;
        const bool table = n > kBaseInputs;
        hiddenInputNumber(t, n, "Flags", &Input::Flags);
        hiddenInputNumber(t, n, "RepFlags", &Input::RepFlags);
        if (none || table) {
            hiddenInputNumber(t, n, "DialUpMask", &Input::DialUpMask);
        }
        if (none) {
            hiddenInputNumber(t, n, "AlarmMask", &Input::AlarmMask);
        }
        hiddenInputNumber(t, n, "Raw4", &Input::Raw4);
        hiddenInputNumber(t, n, "Raw6", &Input::Raw6);
        hiddenInputNumber(t, n, "Raw8", &Input::Raw8);
        hiddenInputNumber(t, n, "Raw10", &Input::Raw10);
        if (!table) {
            hiddenInputText(t, n, "AlarmSMSText", &Input::AlarmSMSText);
            hiddenInputText(t, n, "RestoreSMSText", &Input::RestoreSMSText);
        }
        if (none) {
            hiddenInputNumber(t, n, "ZoneType", &Input::ZoneType);
            hiddenInputPair(t, n, "ObjNum", &Input::ObjNum);
            hiddenInputPair(t, n, "EvCode", &Input::EvCode);
        }
        if (none || table) {
            hiddenInputPair(t, n, "InpNum", &Input::InpNum);
            hiddenInputNumber(t, n, "PartNum", &Input::PartNum);
        }
        if (none) {
            hiddenInputNumber(t, n, "Partition", &Input::Partition);
        }
    }
    const std::pair<const char*, std::int32_t Configuration::*> numbers[] = {
        {"SysEvAcFlags", &Configuration::SysEvAcFlags},
        {"SysEvDcFlags", &Configuration::SysEvDcFlags},
        {"SysEvPtFlags", &Configuration::SysEvPtFlags},
        {"SysEvAcRaw8", &Configuration::SysEvAcRaw8},
        {"SysEvAcRaw10", &Configuration::SysEvAcRaw10},
        {"SysEvDcRaw10", &Configuration::SysEvDcRaw10},
        {"SysEvPtRaw4", &Configuration::SysEvPtRaw4},
        {"SysEvPtRaw10", &Configuration::SysEvPtRaw10},
        {"ExtPanelObjNum", &Configuration::ExtPanelObjNum},
        {"ExtPanelFlags", &Configuration::ExtPanelFlags},
        {"ExtPanelDialUpMask", &Configuration::ExtPanelDialUpMask},
        {"ExtPanelAlarmMask", &Configuration::ExtPanelAlarmMask},
        {"KpdFlags", &Configuration::KpdFlags},
        {"KpdDialUpMask", &Configuration::KpdDialUpMask},
        {"KpdAlarmMask", &Configuration::KpdAlarmMask},
        {"GprsMode", &Configuration::GprsMode},
        {"GprsPeriodMin", &Configuration::GprsPeriodMin},
        {"GprsPeriodSec", &Configuration::GprsPeriodSec},
        {"Options", &Configuration::Options},
        {"AuxPeriod58", &Configuration::AuxPeriod58},
        {"AuxPeriod5A", &Configuration::AuxPeriod5A},
    };
    for (const auto& [name, m] : numbers) {
        t.hiddenNumber(name, m);
    }
    const std::pair<const char*, Text Configuration::*> texts[] = {
        {"Apn", &Configuration::Apn},         {"ApnUserName", &Configuration::ApnUserName},
        {"ApnPass", &Configuration::ApnPass}, {"TkRecIp", &Configuration::TkRecIp},
        {"Email", &Configuration::Email},     {"TelNum7316", &Configuration::TelNum7316},
    };
    for (const auto& [name, m] : texts) {
        t.hiddenText(name, m);
    }
}

std::vector<FieldRow> build() {
    Table t;
    general(t);
    armDisarm(t);
    telephoneList(t);
    other(t);
    for (int n = 1; n <= kBaseInputs; ++n) {
        input(t, n);
    }
    for (int n = kFirstTableInput; n <= kLastTableInput; ++n) {
        tableInput(t, n);
    }
    periodicTest(t);
    hiddenFields(t);
    return t.take();
}

} // namespace

std::string TelephoneListText(std::int32_t mask) {
    std::string out;
    for (int k = 0; k < kReportTelephones; ++k) {
        if ((mask & (1 << k)) != 0) {
            out += (out.empty() ? "" : ", ") + std::to_string(k + 1);
        }
    }
    return out.empty() ? std::string(kNoValue) : out;
}

std::string FieldRow::label() const {
    return panel + " — " + (place == FieldPlace::InputTable ? group + ", " : "") + caption;
}

std::string FieldDifference::text() const {
    return row->label() + ": " + a + " → " + b;
}

const std::vector<FieldRow>& FieldTable() {
    static const std::vector<FieldRow> table = build();
    return table;
}

std::vector<FieldDifference> DiffFields(const Configuration& a, const Configuration& b) {
    std::vector<FieldDifference> out;
    std::set<std::string> explained;
    for (const FieldRow& row : FieldTable()) {
        std::string va = row.value(a);
        std::string vb = row.value(b);
        if (va == vb) {
            continue;
        }
        if (row.hidden) {
            if (explained.count(row.fields.front()) != 0) {
                continue;
            }
        } else {
            explained.insert(row.fields.begin(), row.fields.end());
        }
        out.push_back(FieldDifference{&row, std::move(va), std::move(vb)});
    }
    return out;
}

} // namespace tk
