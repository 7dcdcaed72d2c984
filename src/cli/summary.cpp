#include "cli/summary.h"

#include "cli/terminal.h"
#include "model/cp1251.h"
#include "model/field_table.h"
#include "model/input_rules.h"
#include "model/options_rules.h"
#include "model/packing.h"

#include <sstream>

namespace tk::cli {
namespace {

// A text of the record as the terminal may show it: control characters escaped, long
// comment lines cut.
std::string utf8(const Text& t) {
    return TerminalText(cp1251ToUtf8(t), kShownChars);
}

const char* yesNo(bool on) {
    return on ? "да" : "нет";
}

std::string telephones(std::int32_t mask) {
    return TelephoneListText(mask);
}

class Lines {
public:
    void section(const std::string& title) { os_ << title << '\n'; }
    void item(const std::string& label, const std::string& value, int depth = 1) {
        os_ << std::string(2 * static_cast<std::size_t>(depth), ' ') << label << value << '\n';
    }
    std::string str() const { return os_.str(); }

private:
    std::ostringstream os_;
};

void general(const Configuration& c, Lines& out) {
    out.section("Общие настройки");
    out.item("Серийный номер передатчика: ", utf8(c.TxSerialNum));
    out.item("Телефон передатчика: ", utf8(c.TxTlfNum));
    out.item("Версия передатчика:   ", utf8(c.TxVersion));
}

void arming(const Configuration& c, Lines& out) {
    out.section("Постановка / Снятие:");
    out.item("Номер объекта: ", ObjNumText(c.ObjNum));
    out.item("Время входа: ", std::to_string(c.TimeOfInp) + " сек.");
    out.item("Время выхода: ", std::to_string(c.TimeOfOut) + " сек.");
    out.item("Время звучания сирены: ", std::to_string(c.TimeOfAlarmMin) + " мин. " +
                                            std::to_string(c.TimeOfAlarmSec) + " сек.");
    out.item("Подтверждение о постановке: ", yesNo((c.Options & OptArmConfirm) != 0));
    out.item("Постановка с открытой дверью: ", yesNo((c.Options & OptArmOpenDoor) != 0));
    for (std::size_t p = 0; p < c.Partitions.size(); ++p) {
        out.item("Раздел № " + std::to_string(p + 1) + ": Постановка/снятие - DialUp: ",
                 telephones(c.Partitions[p].DialUpMask));
    }
}

void miscellaneous(const Configuration& c, Lines& out) {
    out.section("Разное:");
    out.item("Условие ИЛИ для отчета CID DialUP: ", yesNo(HasOption(c.Options, OptCyrillic)));
    out.item("Тональный набор: ", yesNo(HasOption(c.Options, OptToneDialling)));
    out.item("Звуковое подтверждение о неготовности зон: ",
             yesNo(HasOption(c.Options, OptZoneNotReady)));
    out.item("Количество попыток дозвона: ", std::to_string(c.NumOfAttemptsCallMain));
    out.item("Свингер: ", std::to_string(c.SvingerCount));
}

void telephoneList(const Configuration& c, Lines& out) {
    out.section("Телефоны");
    for (int k = 0; k < kReportTelephones; ++k) {
        const Text& tel = c.TelNum[static_cast<std::size_t>(k)];
        out.item(std::to_string(k + 1) + ": ", tel.empty() ? "—" : utf8(tel));
    }
}

// Input n as the window shows it, with the labels of the field table: inputs 1..4 with
// the telephones their reports go to.
void input(const Configuration& c, int n, Lines& out) {
    const Input& in = c.Inputs[static_cast<std::size_t>(n)];
    out.item("Вход № " + std::to_string(n), "");
    std::string group;
    // Inputs 1..4 by the inputs panel, those above by their row of the table of inputs.
    const FieldPlace place = n <= kBaseInputs ? FieldPlace::Input : FieldPlace::InputTable;
    for (const FieldRow& row : FieldTable()) {
        if (row.place != place || row.index != n) {
            continue;
        }
        if (place == FieldPlace::Input && row.group != group) {
            group = row.group;
            out.item(group + ":", "", 2);
        }
        out.item(row.caption + ": ", TerminalText(row.value(c), kShownChars),
                 group.empty() ? 2 : 3);
    }
    if (place == FieldPlace::Input) {
        out.item("CID DialUp: ", telephones(in.DialUpMask), 2);
        out.item("Alarm: ", telephones(in.AlarmMask), 2);
    }
}

void inputs(const Configuration& c, Lines& out) {
    out.section("Настройки входов");
    for (int n = 1; n <= kBaseInputs; ++n) {
        input(c, n, out);
    }
    std::vector<int> active;
    std::string numbers;
    for (int n = kBaseInputs + 1; n <= kInputCount; ++n) {
        if ((c.Inputs[static_cast<std::size_t>(n)].Flags & 1) != 0) {
            active.push_back(n);
            numbers += (numbers.empty() ? "" : ", ") + std::to_string(n);
        }
    }
    out.item("Активированные входы 5–64: ", numbers.empty() ? "нет" : numbers);
    for (const int n : active) {
        input(c, n, out);
    }
}

void systemEvents(const Configuration& c, Lines& out) {
    out.section("Системные события");
    out.item("Периодический тест: ", "Период: " + std::to_string(c.PerTestHours) + " час. " +
                                         std::to_string(c.PerTestMinutes) + " мин.");
    out.item("Неисправность батареи - CID DialUp: ", telephones(c.SysEvDcDialUpMask));
    out.item("Периодический тест - CID DialUp: ", telephones(c.SysEvPtDialUpMask));
}

void gprs(const Configuration& c, Lines& out) {
    out.section("GPRS");
    out.item("Режим GPRS: ", std::to_string(c.GprsMode));
    out.item("Период отправки GPRS: ", std::to_string(c.GprsPeriodMin) + " мин. " +
                                           std::to_string(c.GprsPeriodSec * 10) + " сек.");
    out.item("APN: ", utf8(c.Apn));
    out.item("Пользователь APN: ", utf8(c.ApnUserName));
    out.item("Пароль APN: ", utf8(c.ApnPass));
    out.item("IP-адрес приёмника: ", utf8(c.TkRecIp));
    out.item("E-mail: ", utf8(c.Email));
    out.item("Телефон GW 7316: ", utf8(c.TelNum7316));
}

void comments(const Configuration& c, Lines& out) {
    out.section("Комментарии:");
    for (const Text& line : c.Comments) {
        out.item("", utf8(line));
    }
}

} // namespace

std::string Summary(const Configuration& cfg) {
    Lines out;
    general(cfg, out);
    arming(cfg, out);
    miscellaneous(cfg, out);
    telephoneList(cfg, out);
    inputs(cfg, out);
    systemEvents(cfg, out);
    gprs(cfg, out);
    comments(cfg, out);
    return out.str();
}

} // namespace tk::cli
