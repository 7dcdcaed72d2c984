// Every setting of the record with the place and caption the window shows it under and
// its value as the window shows it: one table for the compare of two configurations
// (tk515 diff --labels, the window's compare), the summary (tk515 show) and the
// configuration sheet. Fields the window does not show have rows of their own, named
// by their record field, under kHiddenPanel, so every field of the record is in the
// table.
//
// Texts are UTF-8.
#pragma once

#include "model/configuration.h"

#include <functional>
#include <string>
#include <vector>

namespace tk {

// Where a row is shown: the tree node whose panel shows it.
enum class FieldPlace {
    General,         // "Общие"
    ArmDisarm,       // "Постановка/Снятие"
    Telephones,      // "Телефоны"
    EventTelephones, // "Телефоны" / "Системных событий"
    InputTelephones, // "Телефоны" / "Входа n"
    PartitionTelephones, // "Телефоны" / "Постановки/Снятия" / "Раздела p"
    Other,               // "Разное"
    Input,               // "Входы" / "Вход n" (inputs 1..4)
    InputTable,          // "Входы 5–64": row n, a column of the table
    PeriodicTest, // "Системные события" / "Периодический тест"
    Hidden,       // shown by no panel
};

// The caption of the rows of fields no panel shows.
inline constexpr const char* kHiddenPanel = "Не показывается в окне";

struct FieldRow {
    FieldPlace place;
    int index = 0; // input n (1..64) or partition p (1..4) of the place, else 0
    std::string panel; // "Постановка/Снятие", "Вход 3", "Телефоны / Входа 3"
    // A heading inside the panel ("Параметры CID DialUp отчета"; the table's row,
    // "Вход 7"), or "".
    std::string group;
    std::string caption; // "Время входа, сек."
    // The record fields the value is shown from, by their JSON names ("TimeOfInp",
    // "Inputs[3].ZoneType"). A row of a hidden field names that field alone.
    std::vector<std::string> fields;
    bool hidden = false; // a field no panel shows, named by its record field
    std::function<std::string(const Configuration&)> value;
    // Takes the fields of this row over from `from` into `to`, whole (a row shown
    // from some bits of a field takes the whole field).
    std::function<void(Configuration& to, const Configuration& from)> take;

    // "Постановка/Снятие — Время входа, сек.", "Входы 5–64 — Вход 7, Тип зоны"
    std::string label() const;
};

// The table, in the order of the tree and of each panel; the rows of hidden fields last.
const std::vector<FieldRow>& FieldTable();

// One row whose value differs between two records.
struct FieldDifference {
    const FieldRow* row;
    std::string a; // value in the first record
    std::string b; // value in the second

    // "Постановка/Снятие — Время входа, сек.: 20 → 30"
    std::string text() const;
};

// The rows whose values differ, in table order. A hidden field's row is left out when a
// shown row made from the same field differs already (a siren switched shows once, not
// also as its flags); so every field that differs gives at least one row.
std::vector<FieldDifference> DiffFields(const Configuration& a, const Configuration& b);

// How the table shows an empty text and a mask naming no telephone.
inline constexpr const char* kNoValue = "—";

// Telephones 1..6 whose bit is set in a report mask: "1, 2", or "—" when none.
std::string TelephoneListText(std::int32_t mask);

} // namespace tk
