// The table of inputs 5..64: one row an input, one column a setting, every cell
// shown, copied, typed and pasted as text. The cells apply the rules of
// model/input_rules (the inputs panel's for inputs 1..4) and the report routing of
// model/telephone_rules; this file only maps a cell's text to them and back.
//
// Texts are UTF-8, as the window and the clipboard hand them over. A cell that
// refuses a text says why in Russian and leaves the whole record as it was.
#pragma once

#include "model/configuration.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

inline constexpr int kFirstTableInput = kBaseInputs + 1; // 5
inline constexpr int kLastTableInput = kInputCount;      // 64
inline constexpr int kTableInputs = kLastTableInput - kFirstTableInput + 1;

// The longest SMS text of an input: its 32-byte field ends with a zero byte.
inline constexpr std::size_t kInputSmsLength = 31;

enum class InputColumn : int {
    Active,     // "Вкл.": bit 0 of Flags
    ZoneType,   // "Тип зоны"
    Contacts,   // "Тип контактов"
    Siren,      // "Сирена"
    Partition,  // "Раздел"
    ObjNum,     // "Номер объекта": four hexadecimal digits
    EvCode,     // "Код события": three digits, an "E" or "R" may lead them
    AlarmCalls, // "Тревожные звонки": the telephones of AlarmMask, "3 5"
    AlarmSms,   // "SMS тревоги"
    RestoreSms, // "SMS восстановления"
};
inline constexpr int kInputColumnCount = 10;

// How a cell is edited: ticked, chosen from a list, or typed.
enum class CellKind { Tick, Choice, Typed };

std::string_view InputColumnCaption(InputColumn column);
CellKind InputColumnKind(InputColumn column);

// The words a tick cell shows and copies ("да", "нет") and takes (also "1", "0").
inline constexpr std::string_view kTickedText = "да";
inline constexpr std::string_view kUntickedText = "нет";

// A tick cell's state.
bool InputCellTicked(const Configuration& cfg, int n, InputColumn column);
// A cell as the table shows and copies it.
std::string InputCellText(const Configuration& cfg, int n, InputColumn column);
// The items a choice cell offers for input n: the zone types, the contact list of the
// input's zone type, the partitions "1".."4". Empty for the other columns.
std::vector<std::string> InputCellChoices(const Configuration& cfg, int n, InputColumn column);
// Whether the cell can change at all: an arm/disarm zone has no siren, a fixed event
// code (401) and no alarm calls, as the inputs panel disables them.
bool InputCellEditable(const Configuration& cfg, int n, InputColumn column);

// "Вход 7, «Тип зоны»"
std::string InputCellName(int n, InputColumn column);

// Sets the cell of input n (5..64) from a text. Returns nothing when the text was
// taken (also when it changes nothing), otherwise the reason it was refused, without
// the cell's name; the record is then exactly as it was. A tick cell takes the tick
// words, a choice cell one of its items exactly, a text cell the text as it is (blanks
// count); the other cells ignore blanks around the value.
std::optional<std::string> SetInputCell(Configuration& cfg, int n, InputColumn column,
                                        std::string_view text);

// The line above the table: how many extension blocks the record needs and what that
// means for the transfers. "Расширение: 2 блока; передаются только удаленной записью".
std::string ExtensionLine(const Configuration& cfg);

// The activated inputs above 4, in order: what a cable write leaves behind.
std::vector<int> ActivatedTableInputs(const Configuration& cfg);
// Input numbers as ranges: {6, 7, 8, 13} is "6–8, 13" (sorted, each number once).
std::string InputNumbersText(std::vector<int> inputs);

// Rows as tab-separated text, one line a row ending in a line feed: the cells of
// inputs first..last in the columns from..to. A cell holding a tab, a line break or a
// leading quote is quoted as spreadsheets quote it ("a""b").
std::string InputRowsText(const Configuration& cfg, int first, int last, InputColumn from,
                          InputColumn to);

// A refused cell, or a row whose cells did not fit the columns (no column then).
struct CellRefusal {
    int input = 0;
    std::optional<InputColumn> column;
    std::string text; // the cell or row named, then the reason

    bool operator==(const CellRefusal&) const = default;
};

// What a paste did: whether anything changed, every refusal, and the word on the
// lines cut at input 64.
struct PasteReport {
    bool changed = false;
    std::vector<CellRefusal> refusals;
    std::string cut; // empty when nothing was cut
};

// Pastes tab-separated rows (as InputRowsText writes them, or as a spreadsheet
// copies them; CR LF line ends, a final line end and quoted cells are taken) with
// their first cell at input `first`, column `from`. Every cell is set as SetInputCell
// sets it, left to right and row by row, so a row's zone type comes before its
// contacts and code. A refused cell is named and the others go in; cells beyond the
// last column and lines shorter than the longest are named too; lines beyond input 64
// are cut with a word.
PasteReport PasteInputRows(Configuration& cfg, int first, InputColumn from, std::string_view text);

// A paste's tab-separated text split into lines of cells, quotes taken off.
std::vector<std::vector<std::string>> SplitTabText(std::string_view text);

} // namespace tk
