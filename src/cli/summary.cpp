#include "cli/summary.h"

#include "cli/terminal.h"
#include "model/cp1251.h"
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

// Telephones 1..6 whose bit is set in a report mask: "1, 2", or "—" when none.
std::string telephones(std::int32_t mask) {
    std::string out;
    for (int k = 0; k < kReportTelephones; ++k) {
        if ((mask & (1 << k)) != 0) {
            out += (out.empty() ? "" : ", ") + std::to_string(k + 1);
        }
    }
    return out.empty() ? "—" : out;
}

// Hexadecimal digits of an input's report bytes, as the inputs panel shows them.
std::string digits(std::initializer_list<std::pair<std::int32_t, int>> tetrads) {
    std::string out;
    for (const auto& [value, n] : tetrads) {
        out += TetraToChar(value, n);
    }
    return out;
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
    out.item("Условие ИЛИ для отчета CID DialUP: ", yesNo((c.Options & OptCyrillic) != 0));
    out.item("Тональный набор: ", yesNo((c.Options & OptToneDialling) != 0));
    out.item("Звуковое подтверждение о неготовности зон: ",
             yesNo((c.Options & OptZoneNotReady) != 0));
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

void inputs(const Configuration& c, Lines& out) {
    out.section("Настройки входов");
    for (std::size_t n = 1; n <= static_cast<std::size_t>(kBaseInputs); ++n) {
        const Input& in = c.Inputs[n];
        out.item("Вход № " + std::to_string(n), "");
        out.item("Тип зоны: ", ZoneTypeName(in), 2);
        out.item("Контакты входа: ", ContactTypeName(in), 2);
        out.item("Включать сирену при тревоге: ", yesNo((in.Flags & 0x04) != 0), 2);
        out.item("Раздел: ", std::to_string(in.Partition), 2);
        out.item("Параметры CID DialUp отчета:", "", 2);
        out.item(
            "Номер объекта: ",
            digits({{in.ObjNum[0], 1}, {in.ObjNum[0], 0}, {in.ObjNum[1], 1}, {in.ObjNum[1], 0}}),
            3);
        out.item("Код события: ", digits({{in.EvCode[0], 0}, {in.EvCode[1], 1}, {in.EvCode[1], 0}}),
                 3);
        out.item("Номер входа: ", digits({{in.InpNum[0], 0}, {in.InpNum[1], 1}, {in.InpNum[1], 0}}),
                 3);
        out.item("Номер раздела: ", digits({{in.PartNum, 1}, {in.PartNum, 0}}), 3);
        out.item("CID DialUp: ", telephones(in.DialUpMask), 2);
        out.item("Alarm: ", telephones(in.AlarmMask), 2);
    }
    std::string active;
    for (std::size_t n = kBaseInputs + 1; n <= static_cast<std::size_t>(kInputCount); ++n) {
        if ((c.Inputs[n].Flags & 1) != 0) {
            active += (active.empty() ? "" : ", ") + std::to_string(n);
        }
    }
    out.item("Активированные входы 5–64: ", active.empty() ? "нет" : active);
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

std::string ZoneTypeName(const Input& in) {
    // Tested in this order, each match overriding the one before, as the inputs panel
    // selects its radio item.
    static constexpr std::pair<std::int32_t, const char*> kOrder[] = {
        {ZoneEntryExit, "вход/выход"},        {ZoneTwentyFourHour, "круглосуточная"},
        {ZonePerimeter, "периметр"},          {ZoneWalkThrough, "проходная"},
        {ZoneArmDisarm, "постановка/снятие"},
    };
    std::string name = "не выбран";
    for (const auto& [bit, text] : kOrder) {
        if ((in.ZoneType & bit) != 0) {
            name = text;
        }
    }
    return name;
}

std::string ContactTypeName(const Input& in) {
    if ((in.ZoneType & ZoneArmDisarm) != 0) {
        // The blank after "нормально" is a no-break space, as in the window.
        return (in.Flags & 0x12) != 0 ? "постановка/снятие импульсом 0.5 сек"
                                      : "нормально\u00A0замкнутые (снят с охраны)";
    }
    if ((in.Flags & 0x40) != 0) {
        return "шлейфовый резистор";
    }
    if ((in.Flags & 0x10) != 0) {
        return "нормально разомкнуты";
    }
    if ((in.Flags & 0x20) != 0) {
        return "шлейфовый резистор";
    }
    return "нормально замкнуты";
}

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
