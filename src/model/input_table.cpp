#include "model/input_table.h"

#include "model/cp1251.h"
#include "model/input_rules.h"
#include "model/telephone_rules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <stdexcept>

namespace tk {
namespace {

constexpr std::array<std::string_view, kInputColumnCount> kCaptions{
    "Вкл.",          "Тип зоны",    "Тип контактов",    "Сирена",      "Раздел",
    "Номер объекта", "Код события", "Тревожные звонки", "SMS тревоги", "SMS восстановления"};

// The column of an input's alarm calls in the input's telephone grid.
constexpr int kAlarmGridColumn = 1;

template <class Record> auto& inputOf(Record& cfg, int n) {
    if (n < kFirstTableInput || n > kLastTableInput) {
        throw std::out_of_range("input table: input number");
    }
    return cfg.Inputs[static_cast<std::size_t>(n)];
}

std::string quoted(std::string_view text) {
    return "«" + std::string(text) + "»";
}

// "вход/выход, проходная, ..."
template <class Range> std::string listOf(const Range& items) {
    std::string out;
    for (const auto& item : items) {
        out += (out.empty() ? "" : ", ") + std::string(item);
    }
    return out;
}

std::string zoneList() {
    std::vector<std::string_view> items;
    for (int i = 0; i < kZoneItemCount; ++i) {
        items.push_back(ZoneItemText(i));
    }
    return listOf(items);
}

// The telephones 1..6 that take an input's alarm calls, as a list: "3, 4, 5, 6".
std::string alarmTelephoneList() {
    std::vector<std::string> items;
    for (int row = 0; row < kTelRows; ++row) {
        if (columnTakesTelephone(TelGrid::Input, kAlarmGridColumn, row)) {
            items.push_back(std::to_string(row + 1));
        }
    }
    return listOf(items);
}

// Bits 0..5: the alarm-call telephones the input's telephone grid shows ticked.
std::int32_t shownAlarmTelephones(const Configuration& cfg, int n) {
    EditorState enabled;
    FillTelCellEnabled(cfg, enabled);
    const TelTicks ticks = FillTelGrid(cfg, enabled, TelGrid::Input, n);
    std::int32_t mask = 0;
    for (int row = 0; row < kTelRows; ++row) {
        mask = maskWithTelephone(
            mask, row,
            ticks[static_cast<std::size_t>(kAlarmGridColumn)][static_cast<std::size_t>(row)]);
    }
    return mask;
}

std::string telephonesText(std::int32_t mask) {
    std::string out;
    for (int row = 0; row < kTelRows; ++row) {
        if (maskHasTelephone(mask, row)) {
            out += (out.empty() ? "" : " ") + std::to_string(row + 1);
        }
    }
    return out;
}

using Refusal = std::optional<std::string>;

std::string armDisarmZone() {
    return quoted(ZoneItemText(ZoneItemArmDisarm));
}

Refusal setTick(Configuration& cfg, int n, InputColumn column, std::string_view text) {
    static constexpr std::array<std::string_view, 4> kOn{"да", "Да", "ДА", "1"};
    static constexpr std::array<std::string_view, 4> kOff{"нет", "Нет", "НЕТ", "0"};
    const bool on = std::ranges::find(kOn, text) != kOn.end();
    if (!on && std::ranges::find(kOff, text) == kOff.end()) {
        return quoted(text) + " — не «да» и не «нет»";
    }
    if (column == InputColumn::Active) {
        SetActivated(cfg, n, on);
        return std::nullopt;
    }
    Input& in = inputOf(cfg, n);
    if (on && !HasSiren(in) && IsArmDisarmZone(in.ZoneType)) {
        return "у зоны " + armDisarmZone() + " сирена не включается";
    }
    SetSiren(in, on);
    return std::nullopt;
}

Refusal setZoneType(Input& in, int n, std::string_view text) {
    const int item = ZoneItemNamed(text);
    if (item == kNoItem) {
        return quoted(text) + " — не тип зоны; типы зоны: " + zoneList();
    }
    ChooseZoneType(in, item, n);
    return std::nullopt;
}

Refusal setContacts(Input& in, std::string_view text) {
    const ContactList list = ContactListFor(in.ZoneType);
    const int item = ContactItemNamed(list, text);
    const std::string choices =
        "; у зоны " + quoted(ZoneTypeCaption(in)) + " контакты: " + listOf(ContactItems(list));
    if (item == kNoItem) {
        const ContactList other =
            list == ContactList::Ordinary ? ContactList::ArmDisarm : ContactList::Ordinary;
        if (ContactItemNamed(other, text) != kNoItem) {
            return quoted(text) + " не подходит к типу зоны" + choices;
        }
        return quoted(text) + " — не тип контактов" + choices;
    }
    Input chosen = in;
    ChooseContactType(chosen, list, item);
    if (ContactItemOf(chosen) != item) {
        return "у входа пожарный признак: контакты остаются шлейфовыми, пока не выбран тип "
               "зоны";
    }
    in = chosen;
    return std::nullopt;
}

Refusal setPartition(Input& in, std::string_view text) {
    const PartitionParse parsed = ParsePartition(text);
    switch (parsed.error) {
    case PartitionError::NotANumber:
        return quoted(text) + " — не номер раздела; нужно число от 1 до 4";
    case PartitionError::OutOfRange:
        return "раздела " + quoted(text) + " нет; разделы — от 1 до 4";
    case PartitionError::None:
        break;
    }
    SetPartition(in, *parsed.value);
    return std::nullopt;
}

// Runs the characters of a text through a report edit's key filter as if typed one
// after the other at its end; the accepted characters, or the first refused one.
struct Typed {
    std::string accepted;
    std::optional<char32_t> refused;
};

Typed typeInto(std::u32string_view text,
               std::optional<char> (*filter)(char32_t, const EditState&)) {
    Typed out;
    std::u32string shown;
    for (const char32_t ch : text) {
        const std::optional<char> c = filter(ch, EditState{shown, shown.size(), 0});
        if (!c) {
            out.refused = ch;
            return out;
        }
        out.accepted += *c;
        shown += static_cast<char32_t>(static_cast<unsigned char>(*c));
    }
    return out;
}

Refusal setObjNum(Input& in, const std::u32string& text) {
    constexpr std::string_view kWanted = "; номер объекта — четыре цифры 0–9, A–F";
    const Typed typed = text.size() > kReportEditLength ? Typed{} : typeInto(text, &ObjNumKey);
    if (typed.refused) {
        return quoted(codePointsToUtf8(std::u32string(1, *typed.refused))) +
               " — не шестнадцатеричная цифра" + std::string(kWanted);
    }
    if (text.size() != kReportEditLength) {
        return quoted(codePointsToUtf8(text)) + " — не номер объекта" + std::string(kWanted);
    }
    ApplyObjNumText(in, typed.accepted);
    return std::nullopt;
}

Refusal setEvCode(Input& in, const std::u32string& text) {
    constexpr std::string_view kWanted =
        "; код события — три цифры 0–9, впереди может стоять E или R";
    const std::string utf8 = codePointsToUtf8(text);
    const Typed typed = text.size() > kReportEditLength ? Typed{} : typeInto(text, &EvCodeKey);
    if (typed.refused) {
        const char32_t ch = *typed.refused;
        const bool prefix = ch == U'E' || ch == U'R' || ch == U'e' || ch == U'r';
        return quoted(codePointsToUtf8(std::u32string(1, ch))) +
               (prefix ? " стоит не первой" : " — не цифра") + std::string(kWanted);
    }
    const bool hasPrefix =
        !typed.accepted.empty() && (typed.accepted[0] == 'E' || typed.accepted[0] == 'R');
    const std::size_t digits = text.size() - (hasPrefix ? 1 : 0);
    if (text.size() > kReportEditLength || digits != 3) {
        return quoted(utf8) + " — не код события" + std::string(kWanted);
    }
    Input coded = in;
    ApplyEvCodeText(coded, typed.accepted);
    if (coded != in && IsArmDisarmZone(in.ZoneType)) {
        return "у зоны " + armDisarmZone() + " код события всегда 401";
    }
    in = coded;
    return std::nullopt;
}

Refusal setAlarmCalls(Configuration& cfg, int n, std::string_view text) {
    std::int32_t wanted = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto separator = [](char c) { return c == ' ' || c == ',' || c == '\t'; };
        if (separator(text[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < text.size() && !separator(text[end])) {
            ++end;
        }
        const std::string_view token = text.substr(pos, end - pos);
        pos = end;
        int number = 0;
        const auto [stop, ec] = std::from_chars(token.data(), token.data() + token.size(), number);
        if (ec != std::errc{} || stop != token.data() + token.size()) {
            return quoted(token) + " — не номер телефона; тревожные звонки принимают телефоны " +
                   alarmTelephoneList() + " (через пробел)";
        }
        const int row = number - 1;
        if (number < 1 || number > kTelRows) {
            return "телефона " + quoted(token) + " нет; телефоны — от 1 до " +
                   std::to_string(kTelRows);
        }
        if (!columnTakesTelephone(TelGrid::Input, kAlarmGridColumn, row)) {
            return "телефон " + std::to_string(number) +
                   " не принимает тревожные звонки; их принимают телефоны " + alarmTelephoneList();
        }
        if (cfg.TelNum[static_cast<std::size_t>(row)].empty()) {
            return "у телефона " + std::to_string(number) + " нет номера";
        }
        wanted = maskWithTelephone(wanted, row, true);
    }
    if (wanted == shownAlarmTelephones(cfg, n)) {
        return std::nullopt;
    }
    Input& in = inputOf(cfg, n);
    if (IsArmDisarmZone(in.ZoneType)) {
        return "у зоны " + armDisarmZone() + " тревожных звонков нет";
    }
    constexpr std::int32_t kTelephoneBits = (1 << kTelRows) - 1;
    in.AlarmMask = (in.AlarmMask & ~kTelephoneBits) | wanted;
    return std::nullopt;
}

Refusal setSms(Text& field, std::string_view text) {
    char32_t bad = 0;
    const std::optional<Text> bytes = utf8ToCp1251(text, &bad);
    if (!bytes) {
        return "символ " + quoted(codePointsToUtf8(std::u32string(1, bad))) +
               " нельзя сохранить: его нет в кодировке Windows-1251";
    }
    if (bytes->find('\0') != Text::npos) {
        return "нулевой символ (U+0000) обрезал бы текст";
    }
    if (bytes->size() > kInputSmsLength) {
        return "текст длиннее " + std::to_string(kInputSmsLength) + " знака: в нём " +
               std::to_string(bytes->size());
    }
    field = *bytes;
    return std::nullopt;
}

bool needsQuotes(std::string_view cell) {
    return cell.find_first_of("\t\r\n") != std::string_view::npos ||
           (!cell.empty() && cell.front() == '"');
}

std::string quotedCell(std::string_view cell) {
    if (!needsQuotes(cell)) {
        return std::string(cell);
    }
    std::string out = "\"";
    for (const char c : cell) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + '"';
}

// Russian plural of a count: 1 блок, 2 блока, 5 блоков.
std::string_view plural(int count, std::string_view one, std::string_view few,
                        std::string_view many) {
    const int tens = count % 100;
    const int units = count % 10;
    if (tens >= 11 && tens <= 14) {
        return many;
    }
    if (units == 1) {
        return one;
    }
    return units >= 2 && units <= 4 ? few : many;
}

} // namespace

std::string_view InputColumnCaption(InputColumn column) {
    return kCaptions.at(static_cast<std::size_t>(column));
}

CellKind InputColumnKind(InputColumn column) {
    switch (column) {
    case InputColumn::Active:
    case InputColumn::Siren:
        return CellKind::Tick;
    case InputColumn::ZoneType:
    case InputColumn::Contacts:
    case InputColumn::Partition:
        return CellKind::Choice;
    default:
        return CellKind::Typed;
    }
}

bool InputCellTicked(const Configuration& cfg, int n, InputColumn column) {
    const Input& in = inputOf(cfg, n);
    return column == InputColumn::Active ? IsActivated(in)
                                         : column == InputColumn::Siren && HasSiren(in);
}

std::string InputCellText(const Configuration& cfg, int n, InputColumn column) {
    const Input& in = inputOf(cfg, n);
    switch (column) {
    case InputColumn::Active:
    case InputColumn::Siren:
        return std::string(InputCellTicked(cfg, n, column) ? kTickedText : kUntickedText);
    case InputColumn::ZoneType:
        return std::string(ZoneTypeCaption(in));
    case InputColumn::Contacts:
        return std::string(ContactTypeCaption(in));
    case InputColumn::Partition:
        return std::to_string(in.Partition);
    case InputColumn::ObjNum:
        return ObjNumDigits(in);
    case InputColumn::EvCode:
        return EvCodeDigits(in);
    case InputColumn::AlarmCalls:
        return telephonesText(shownAlarmTelephones(cfg, n));
    case InputColumn::AlarmSms:
        return cp1251ToUtf8(in.AlarmSMSText);
    case InputColumn::RestoreSms:
        return cp1251ToUtf8(in.RestoreSMSText);
    }
    throw std::out_of_range("input table: column");
}

std::vector<std::string> InputCellChoices(const Configuration& cfg, int n, InputColumn column) {
    std::vector<std::string> items;
    switch (column) {
    case InputColumn::ZoneType:
        for (int i = 0; i < kZoneItemCount; ++i) {
            items.emplace_back(ZoneItemText(i));
        }
        break;
    case InputColumn::Contacts:
        for (std::string_view item : ContactItems(ContactListFor(inputOf(cfg, n).ZoneType))) {
            items.emplace_back(item);
        }
        break;
    case InputColumn::Partition:
        for (int p = kMinPartition; p <= kMaxPartition; ++p) {
            items.push_back(std::to_string(p));
        }
        break;
    default:
        break;
    }
    return items;
}

bool InputCellEditable(const Configuration& cfg, int n, InputColumn column) {
    switch (column) {
    case InputColumn::Siren:
    case InputColumn::EvCode:
    case InputColumn::AlarmCalls:
        return !IsArmDisarmZone(inputOf(cfg, n).ZoneType);
    default:
        return true;
    }
}

std::string InputCellName(int n, InputColumn column) {
    return "Вход " + std::to_string(n) + ", " + quoted(InputColumnCaption(column));
}

std::optional<std::string> SetInputCell(Configuration& cfg, int n, InputColumn column,
                                        std::string_view text) {
    const bool typedText = column == InputColumn::AlarmSms || column == InputColumn::RestoreSms;
    const std::string_view value = typedText ? text : TrimBlanks(text);
    if (value == InputCellText(cfg, n, column)) {
        return std::nullopt; // what the cell shows already
    }
    Input in = inputOf(cfg, n);
    Refusal refusal;
    switch (column) {
    case InputColumn::Active:
    case InputColumn::Siren:
        return setTick(cfg, n, column, value);
    case InputColumn::AlarmCalls:
        return setAlarmCalls(cfg, n, value);
    case InputColumn::ZoneType:
        refusal = setZoneType(in, n, value);
        break;
    case InputColumn::Contacts:
        refusal = setContacts(in, value);
        break;
    case InputColumn::Partition:
        refusal = setPartition(in, value);
        break;
    case InputColumn::ObjNum:
    case InputColumn::EvCode: {
        const std::optional<std::u32string> chars = utf8ToCodePoints(value);
        if (!chars) {
            return std::string("текст не в кодировке UTF-8");
        }
        refusal = column == InputColumn::ObjNum ? setObjNum(in, *chars) : setEvCode(in, *chars);
        break;
    }
    case InputColumn::AlarmSms:
        refusal = setSms(in.AlarmSMSText, value);
        break;
    case InputColumn::RestoreSms:
        refusal = setSms(in.RestoreSMSText, value);
        break;
    }
    if (!refusal) {
        inputOf(cfg, n) = in;
    }
    return refusal;
}

std::vector<int> ActivatedTableInputs(const Configuration& cfg) {
    std::vector<int> inputs;
    for (int n = kFirstTableInput; n <= kLastTableInput; ++n) {
        if (IsActivated(cfg.Inputs.at(static_cast<std::size_t>(n)))) {
            inputs.push_back(n);
        }
    }
    return inputs;
}

std::string InputNumbersText(std::vector<int> inputs) {
    std::sort(inputs.begin(), inputs.end());
    inputs.erase(std::unique(inputs.begin(), inputs.end()), inputs.end());
    std::string text;
    for (std::size_t i = 0; i < inputs.size();) {
        std::size_t j = i;
        while (j + 1 < inputs.size() && inputs[j + 1] == inputs[j] + 1) {
            ++j;
        }
        text += (text.empty() ? "" : ", ") + std::to_string(inputs[i]);
        if (j > i) {
            text += "–" + std::to_string(inputs[j]);
        }
        i = j + 1;
    }
    return text;
}

std::string ExtensionLine(const Configuration& cfg) {
    const int blocks = GetExtBlocksCount(cfg);
    return "Расширение: " + std::to_string(blocks) + " " +
           std::string(plural(blocks, "блок", "блока", "блоков")) +
           "; передаются только удаленной записью";
}

std::string InputRowsText(const Configuration& cfg, int first, int last, InputColumn from,
                          InputColumn to) {
    std::string out;
    for (int n = first; n <= last; ++n) {
        for (int c = static_cast<int>(from); c <= static_cast<int>(to); ++c) {
            if (c != static_cast<int>(from)) {
                out += '\t';
            }
            out += quotedCell(InputCellText(cfg, n, static_cast<InputColumn>(c)));
        }
        out += '\n';
    }
    return out;
}

std::vector<std::vector<std::string>> SplitTabText(std::string_view s) {
    std::vector<std::vector<std::string>> lines;
    if (s.empty()) {
        return lines;
    }
    const std::size_t n = s.size();
    // A line break at i: "\n" or "\r\n"; its length, 0 when there is none.
    const auto lineBreak = [&](std::size_t i) -> std::size_t {
        if (i < n && s[i] == '\n') {
            return 1;
        }
        return i + 1 < n && s[i] == '\r' && s[i + 1] == '\n' ? 2 : 0;
    };
    std::vector<std::string> line;
    std::size_t i = 0;
    while (true) {
        std::string cell;
        bool quotedOk = false;
        if (i < n && s[i] == '"') {
            // Quoted as spreadsheets quote: "" is a quote, the closing quote stands
            // before a tab, a line break or the end. Otherwise the cell is literal.
            std::string inner;
            for (std::size_t j = i + 1; j < n; ++j) {
                if (s[j] != '"') {
                    inner += s[j];
                    continue;
                }
                if (j + 1 < n && s[j + 1] == '"') {
                    inner += '"';
                    ++j;
                    continue;
                }
                const std::size_t after = j + 1;
                if (after == n || s[after] == '\t' || lineBreak(after) != 0 ||
                    (after + 1 == n && s[after] == '\r')) {
                    quotedOk = true;
                    cell = std::move(inner);
                    i = after;
                }
                break;
            }
        }
        if (!quotedOk) {
            std::size_t j = i;
            while (j < n && s[j] != '\t' && lineBreak(j) == 0 && !(j + 1 == n && s[j] == '\r')) {
                ++j;
            }
            cell = std::string(s.substr(i, j - i));
            i = j;
        }
        line.push_back(std::move(cell));
        if (i < n && s[i] == '\t') {
            ++i;
            continue;
        }
        lines.push_back(std::move(line));
        line.clear();
        if (i + 1 == n && s[i] == '\r') {
            ++i;
        }
        i += lineBreak(i);
        if (i >= n) {
            break; // a final line break opens no empty line
        }
    }
    return lines;
}

PasteReport PasteInputRows(Configuration& cfg, int first, InputColumn from, std::string_view text) {
    PasteReport report;
    const auto lines = SplitTabText(text);
    std::size_t widest = 0;
    for (const auto& line : lines) {
        widest = std::max(widest, line.size());
    }
    const Configuration before = cfg;
    const int firstColumn = static_cast<int>(from);
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const int n = first + static_cast<int>(li);
        if (n > kLastTableInput) {
            report.cut = "Вставка обрезана на входе " + std::to_string(kLastTableInput) +
                         ": не вставлено строк: " + std::to_string(lines.size() - li);
            break;
        }
        const auto& line = lines[li];
        int extra = 0;
        for (std::size_t ci = 0; ci < line.size(); ++ci) {
            const int c = firstColumn + static_cast<int>(ci);
            if (c >= kInputColumnCount) {
                ++extra;
                continue;
            }
            const auto column = static_cast<InputColumn>(c);
            if (auto refusal = SetInputCell(cfg, n, column, line[ci])) {
                report.refusals.push_back({n, column, InputCellName(n, column) + ": " + *refusal});
            }
        }
        const std::string row = "Вход " + std::to_string(n) + ": ";
        if (extra > 0) {
            report.refusals.push_back(
                {n, std::nullopt,
                 row + "за столбцом " +
                     quoted(InputColumnCaption(static_cast<InputColumn>(kInputColumnCount - 1))) +
                     " столбцов нет; не вставлено значений: " + std::to_string(extra)});
        }
        if (line.size() < widest) {
            std::vector<std::string> missing;
            for (std::size_t ci = line.size(); ci < widest; ++ci) {
                const int c = firstColumn + static_cast<int>(ci);
                if (c < kInputColumnCount) {
                    missing.push_back(quoted(InputColumnCaption(static_cast<InputColumn>(c))));
                }
            }
            if (!missing.empty()) {
                report.refusals.push_back(
                    {n, std::nullopt,
                     row + "в строке значений " + std::to_string(line.size()) + " из " +
                         std::to_string(widest) + "; не изменены: " + listOf(missing)});
            }
        }
    }
    report.changed = !(cfg == before);
    return report;
}

} // namespace tk
