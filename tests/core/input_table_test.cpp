#include "model/cp1251.h"
#include "model/defaults.h"
#include "model/input_rules.h"
#include "model/input_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tk {
namespace {

using enum InputColumn;

// The factory record with telephones 1..4 numbered, input 7 as it comes (perimeter,
// resistor loop, code 132, no alarm calls) and input 9 an arm/disarm zone.
Configuration tableRecord() {
    Configuration cfg;
    setdefault(cfg);
    for (int k = 0; k < 4; ++k) {
        cfg.TelNum[static_cast<std::size_t>(k)] = std::to_string(k + 1) + "00";
    }
    cfg.Inputs[7].EvCode = {0x01, 0x32};
    cfg.Inputs[7].RepFlags = 0x5A;
    cfg.Inputs[7].AlarmMask = 0x104; // telephone 3 and a bit above the telephones
    ChooseZoneType(cfg.Inputs[9], ZoneItemArmDisarm, 9);
    return cfg;
}

std::vector<std::string> texts(const PasteReport& report) {
    std::vector<std::string> out;
    for (const CellRefusal& r : report.refusals) {
        out.push_back(r.text);
    }
    return out;
}

// --- one cell at a time ---------------------------------------------------------------

struct CellEditCase {
    const char* what;
    int input;
    InputColumn column;
    const char* text;
    void (*want)(Input&); // the input after the edit; nullptr: refused
    const char* reason;   // with `want` nullptr: the refusal, exactly
};

class CellEdit : public testing::TestWithParam<CellEditCase> {};

TEST_P(CellEdit, TakesTheRuleOrRefusesWhole) {
    const CellEditCase& c = GetParam();
    Configuration cfg = tableRecord();
    const Configuration before = cfg;
    const auto refusal = SetInputCell(cfg, c.input, c.column, c.text);
    if (c.want == nullptr) {
        ASSERT_TRUE(refusal.has_value()) << c.what;
        EXPECT_EQ(*refusal, c.reason) << c.what;
        EXPECT_EQ(cfg, before) << c.what; // nothing half-written
        return;
    }
    EXPECT_FALSE(refusal.has_value()) << c.what << ": " << refusal.value_or("");
    Configuration expected = before;
    c.want(expected.Inputs[static_cast<std::size_t>(c.input)]);
    EXPECT_EQ(cfg.Inputs, expected.Inputs) << c.what;
}

void unchanged(Input&) {}

INSTANTIATE_TEST_SUITE_P(
    Table, CellEdit,
    testing::Values(
        // Вкл.
        CellEditCase{"activate", 7, Active, "да", [](Input& in) { in.Flags |= 1; }, ""},
        CellEditCase{"activate by 1", 7, Active, " 1 ", [](Input& in) { in.Flags |= 1; }, ""},
        CellEditCase{"not a tick word", 7, Active, "ага", nullptr, "«ага» — не «да» и не «нет»"},
        // Тип зоны: the bits and the code of a zone-type choice
        CellEditCase{"arm/disarm", 7, ZoneType, "постановка/снятие",
                     [](Input& in) {
                         in.ZoneType = 0x10;
                         in.Flags = 0x12;
                         in.EvCode = {0x04, 0x01};
                     },
                     ""},
        CellEditCase{"entry/exit rewrites the code, keeps the loop", 7, ZoneType, " вход/выход",
                     [](Input& in) {
                         in.ZoneType = 0x01;
                         in.EvCode = {0x01, 0x30};
                     },
                     ""},
        CellEditCase{"after arm/disarm: pulse becomes normally open", 9, ZoneType, "проходная",
                     [](Input& in) {
                         in.ZoneType = 0x08;
                         in.Flags = 0x10;
                         in.EvCode = {0x01, 0x30};
                     },
                     ""},
        CellEditCase{"the zone shown: nothing to do", 7, ZoneType, "периметр", unchanged, ""},
        CellEditCase{"no such zone type", 7, ZoneType, "пожарная", nullptr,
                     "«пожарная» — не тип зоны; типы зоны: вход/выход, проходная, периметр, "
                     "круглосуточная, постановка/снятие"},
        // Тип контактов: the list of the input's zone type
        CellEditCase{"normally open", 7, Contacts, "нормально разомкнуты",
                     [](Input& in) { in.Flags = 0x10; }, ""},
        CellEditCase{"arm/disarm item on an ordinary zone", 7, Contacts,
                     "постановка/снятие импульсом 0.5 сек", nullptr,
                     "«постановка/снятие импульсом 0.5 сек» не подходит к типу зоны; у зоны "
                     "«периметр» контакты: нормально замкнуты, нормально разомкнуты, шлейфовый "
                     "резистор"},
        CellEditCase{"arm/disarm list, a blank for the no-break space", 9, Contacts,
                     "нормально замкнутые (снят с охраны)", [](Input& in) { in.Flags = 0x00; }, ""},
        CellEditCase{"no such contact type", 9, Contacts, "импульс", nullptr,
                     "«импульс» — не тип контактов; у зоны «постановка/снятие» контакты: "
                     "нормально\u00A0замкнутые (снят с охраны), постановка/снятие импульсом 0.5 "
                     "сек"},
        // Сирена
        CellEditCase{"siren", 7, Siren, "Да", [](Input& in) { in.Flags |= 0x04; }, ""},
        CellEditCase{"no siren on an arm/disarm zone", 9, Siren, "да", nullptr,
                     "у зоны «постановка/снятие» сирена не включается"},
        CellEditCase{"siren off on an arm/disarm zone is nothing", 9, Siren, "нет", unchanged, ""},
        // Раздел
        CellEditCase{"partition 3", 7, Partition, "3",
                     [](Input& in) {
                         in.Partition = 3;
                         in.PartNum = 3;
                     },
                     ""},
        CellEditCase{"partition 5", 7, Partition, "5", nullptr,
                     "раздела «5» нет; разделы — от 1 до 4"},
        CellEditCase{"partition no number", 7, Partition, "3a", nullptr,
                     "«3a» — не номер раздела; нужно число от 1 до 4"},
        // Номер объекта
        CellEditCase{"object number, lower case", 7, ObjNum, "a2f0",
                     [](Input& in) {
                         in.ObjNum = {0xA2, 0xF0};
                     },
                     ""},
        CellEditCase{"object number digit that does not exist", 7, ObjNum, "12G4", nullptr,
                     "«G» — не шестнадцатеричная цифра; номер объекта — четыре цифры 0–9, A–F"},
        CellEditCase{"object number, Cyrillic letter", 7, ObjNum, "12С4", nullptr,
                     "«С» — не шестнадцатеричная цифра; номер объекта — четыре цифры 0–9, A–F"},
        CellEditCase{"object number too short", 7, ObjNum, "123", nullptr,
                     "«123» — не номер объекта; номер объекта — четыре цифры 0–9, A–F"},
        CellEditCase{"object number too long", 7, ObjNum, "12345", nullptr,
                     "«12345» — не номер объекта; номер объекта — четыре цифры 0–9, A–F"},
        // Код события
        CellEditCase{"code with a prefix", 7, EvCode, "e401",
                     [](Input& in) {
                         in.EvCode = {0x04, 0x01};
                     },
                     ""},
        CellEditCase{"code", 7, EvCode, "R139",
                     [](Input& in) {
                         in.EvCode = {0x01, 0x39};
                     },
                     ""},
        CellEditCase{"a hexadecimal digit in a code", 7, EvCode, "13A", nullptr,
                     "«A» — не цифра; код события — три цифры 0–9, впереди может стоять E или R"},
        CellEditCase{"a prefix inside", 7, EvCode, "1E30", nullptr,
                     "«E» стоит не первой; код события — три цифры 0–9, впереди может стоять E "
                     "или R"},
        CellEditCase{"two digits", 7, EvCode, "E13", nullptr,
                     "«E13» — не код события; код события — три цифры 0–9, впереди может стоять "
                     "E или R"},
        CellEditCase{"four digits", 7, EvCode, "1300", nullptr,
                     "«1300» — не код события; код события — три цифры 0–9, впереди может "
                     "стоять E или R"},
        CellEditCase{"arm/disarm keeps 401", 9, EvCode, "130", nullptr,
                     "у зоны «постановка/снятие» код события всегда 401"},
        CellEditCase{"arm/disarm, its own code", 9, EvCode, "E401", unchanged, ""},
        // Тревожные звонки: telephones 3..6 that have a number; bits above 5 stay
        CellEditCase{"alarm calls", 7, AlarmCalls, "4 3", [](Input& in) { in.AlarmMask = 0x10C; },
                     ""},
        CellEditCase{"alarm calls with commas", 7, AlarmCalls, "4,3",
                     [](Input& in) { in.AlarmMask = 0x10C; }, ""},
        CellEditCase{"no alarm calls", 7, AlarmCalls, "", [](Input& in) { in.AlarmMask = 0x100; },
                     ""},
        CellEditCase{"telephone 1 takes none", 7, AlarmCalls, "3 1", nullptr,
                     "телефон 1 не принимает тревожные звонки; их принимают телефоны 3, 4, 5, 6"},
        CellEditCase{"telephone without a number", 7, AlarmCalls, "5", nullptr,
                     "у телефона 5 нет номера"},
        CellEditCase{"telephone 7", 7, AlarmCalls, "7", nullptr,
                     "телефона «7» нет; телефоны — от 1 до 6"},
        CellEditCase{"not a telephone", 7, AlarmCalls, "3;4", nullptr,
                     "«3;4» — не номер телефона; тревожные звонки принимают телефоны 3, 4, 5, 6 "
                     "(через пробел)"},
        CellEditCase{"none for an arm/disarm zone", 9, AlarmCalls, "3", nullptr,
                     "у зоны «постановка/снятие» тревожных звонков нет"},
        // SMS texts: Windows-1251, at most 31 characters, blanks kept
        CellEditCase{"alarm text", 7, AlarmSms, " Пожар в цехе № 3 ",
                     [](Input& in) { in.AlarmSMSText = cp1251(" Пожар в цехе № 3 "); }, ""},
        CellEditCase{"31 characters", 7, RestoreSms, "ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ",
                     [](Input& in) { in.RestoreSMSText = std::string(31, '\xC6'); }, ""},
        CellEditCase{"32 characters", 7, RestoreSms, "ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ", nullptr,
                     "текст длиннее 31 знака: в нём 32"},
        CellEditCase{"no Windows-1251 byte", 7, AlarmSms, "Тревога ✓", nullptr,
                     "символ «✓» нельзя сохранить: его нет в кодировке Windows-1251"},
        CellEditCase{"outside the basic plane", 7, AlarmSms, "🔥", nullptr,
                     "символ «🔥» нельзя сохранить: его нет в кодировке Windows-1251"}));

TEST(CellEdit, ZeroCharacterRefused) {
    Configuration cfg = tableRecord();
    const Configuration before = cfg;
    const auto refusal = SetInputCell(cfg, 7, AlarmSms, std::string_view("a\0b", 3));
    EXPECT_EQ(refusal.value_or(""), "нулевой символ (U+0000) обрезал бы текст");
    EXPECT_EQ(cfg, before);
}

TEST(CellEdit, OnlyInputsOfTheTable) {
    Configuration cfg = tableRecord();
    EXPECT_THROW(SetInputCell(cfg, 4, Active, "да"), std::out_of_range);
    EXPECT_THROW(SetInputCell(cfg, 65, Active, "да"), std::out_of_range);
    EXPECT_THROW(InputCellText(cfg, 4, Active), std::out_of_range);
}

// --- cells as shown ---------------------------------------------------------------------

TEST(CellShown, EveryColumnOfTwoInputs) {
    Configuration cfg = tableRecord();
    cfg.Inputs[7].Flags |= 1;
    cfg.TelNum[3].clear(); // telephone 4 empty: its alarm-call bit is not shown
    cfg.Inputs[7].AlarmMask = 0x3F;
    const std::vector<std::string> seven{
        "да", "периметр",      "шлейфовый резистор",  "нет", "1", "1111", "132",
        "3",  "1111 Тревога ", "1111 Восстановление "};
    const std::vector<std::string> nine{"нет",
                                        "постановка/снятие",
                                        "постановка/снятие импульсом 0.5 сек",
                                        "нет",
                                        "1",
                                        "1111",
                                        "401",
                                        "",
                                        "1111 Тревога ",
                                        "1111 Восстановление "};
    for (int c = 0; c < kInputColumnCount; ++c) {
        const auto column = static_cast<InputColumn>(c);
        EXPECT_EQ(InputCellText(cfg, 7, column), seven[static_cast<std::size_t>(c)]) << c;
        EXPECT_EQ(InputCellText(cfg, 9, column), nine[static_cast<std::size_t>(c)]) << c;
    }
    EXPECT_TRUE(InputCellTicked(cfg, 7, Active));
    EXPECT_FALSE(InputCellTicked(cfg, 7, Siren));
    EXPECT_TRUE(InputCellEditable(cfg, 7, EvCode));
    EXPECT_FALSE(InputCellEditable(cfg, 9, EvCode));
    EXPECT_FALSE(InputCellEditable(cfg, 9, Siren));
    EXPECT_FALSE(InputCellEditable(cfg, 9, AlarmCalls));
    EXPECT_TRUE(InputCellEditable(cfg, 9, Contacts));
    EXPECT_EQ(InputCellChoices(cfg, 9, Contacts).size(), 2U);
    EXPECT_EQ(InputCellChoices(cfg, 7, Contacts).size(), 3U);
    EXPECT_EQ(InputCellChoices(cfg, 7, Partition), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_TRUE(InputCellChoices(cfg, 7, ObjNum).empty());
    EXPECT_EQ(InputCellName(64, RestoreSms), "Вход 64, «SMS восстановления»");
}

TEST(ExtensionLine, BlocksCountedInRussian) {
    const std::vector<std::pair<int, std::string>> cases{
        {4, "0 блоков"},  {5, "1 блок"},     {9, "2 блока"},    {17, "4 блока"},
        {21, "5 блоков"}, {45, "11 блоков"}, {57, "14 блоков"}, {64, "15 блоков"}};
    for (const auto& [input, blocks] : cases) {
        Configuration cfg = tableRecord();
        if (input > kBaseInputs) {
            SetActivated(cfg, input, true);
        }
        EXPECT_EQ(ExtensionLine(cfg),
                  "Расширение: " + blocks + "; передаются только удаленной записью")
            << input;
    }
}

TEST(InputNumbers, RunsBecomeRanges) {
    const std::vector<std::pair<std::vector<int>, std::string>> cases{
        {{}, ""},
        {{6}, "6"},
        {{6, 7}, "6–7"},
        {{13, 6, 8, 7}, "6–8, 13"},
        {{5, 5, 9}, "5, 9"},
        {{5, 6, 7, 10, 11, 64}, "5–7, 10–11, 64"}};
    for (const auto& [inputs, text] : cases) {
        EXPECT_EQ(InputNumbersText(inputs), text) << text;
    }
    Configuration cfg = tableRecord();
    SetActivated(cfg, 13, true);
    SetActivated(cfg, 6, true);
    EXPECT_EQ(ActivatedTableInputs(cfg), (std::vector<int>{6, 13}));
}

// --- rows as text and pasting -----------------------------------------------------------

TEST(RowsText, TabsBetweenCellsALineFeedAfterEachRow) {
    const Configuration cfg = tableRecord();
    EXPECT_EQ(InputRowsText(cfg, 7, 8, Active, RestoreSms),
              "нет\tпериметр\tшлейфовый резистор\tнет\t1\t1111\t132\t3\t1111 Тревога \t1111 "
              "Восстановление \n"
              "нет\tпериметр\tшлейфовый резистор\tнет\t1\t1111\t130\t\t1111 Тревога \t1111 "
              "Восстановление \n");
    EXPECT_EQ(InputRowsText(cfg, 9, 10, Partition, ObjNum), "1\t1111\n1\t1111\n");
}

TEST(RowsText, QuotedAsSpreadsheetsQuote) {
    Configuration cfg = tableRecord();
    cfg.Inputs[7].AlarmSMSText = "a\tb";
    cfg.Inputs[7].RestoreSMSText = "\"q\" x";
    cfg.Inputs[8].AlarmSMSText = "line\r\nbreak";
    cfg.Inputs[8].RestoreSMSText = "say \"hi\"";
    const std::string text = InputRowsText(cfg, 7, 8, AlarmSms, RestoreSms);
    EXPECT_EQ(text, "\"a\tb\"\t\"\"\"q\"\" x\"\n\"line\r\nbreak\"\tsay \"hi\"\n");
    Configuration back = tableRecord();
    const PasteReport report = PasteInputRows(back, 7, AlarmSms, text);
    EXPECT_TRUE(report.refusals.empty());
    EXPECT_EQ(back.Inputs, cfg.Inputs);
}

struct SplitCase {
    const char* text;
    std::vector<std::vector<std::string>> lines;
};

class SplitTab : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTab, LinesAndCells) {
    EXPECT_EQ(SplitTabText(GetParam().text), GetParam().lines) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitTab,
    testing::Values(SplitCase{"", {}}, SplitCase{"a", {{"a"}}}, SplitCase{"a\tb\n", {{"a", "b"}}},
                    SplitCase{"a\r\nb\r\n", {{"a"}, {"b"}}}, SplitCase{"a\r", {{"a"}}},
                    SplitCase{"\n", {{""}}}, SplitCase{"a\t\tb", {{"a", "", "b"}}},
                    SplitCase{"a\t", {{"a", ""}}}, SplitCase{"a\n\nb", {{"a"}, {""}, {"b"}}},
                    SplitCase{"\"x\ty\"\tz", {{"x\ty", "z"}}},
                    SplitCase{"\"a\"\"b\"\n", {{"a\"b"}}},
                    SplitCase{"\"2\nlines\"\r\nc", {{"2\nlines"}, {"c"}}},
                    // Not closed before a tab or a line end: taken as it is.
                    SplitCase{"\"x\"y\tz", {{"\"x\"y", "z"}}}, SplitCase{"\"open", {{"\"open"}}},
                    SplitCase{"in\"side\"", {{"in\"side\""}}}));

TEST(Paste, RowsCopiedFromOneRecordMakeAnotherShowTheSame) {
    Configuration from = tableRecord();
    SetInputCell(from, 5, Active, "да");
    SetInputCell(from, 6, ZoneType, "постановка/снятие");
    SetInputCell(from, 8, Contacts, "нормально разомкнуты");
    SetInputCell(from, 8, Siren, "да");
    SetInputCell(from, 8, AlarmCalls, "3 4");
    SetInputCell(from, 10, Partition, "4");
    SetInputCell(from, 11, ObjNum, "BEEF");
    SetInputCell(from, 12, EvCode, "E151");
    SetInputCell(from, 63, AlarmSms, "Склад: дверь ");
    SetInputCell(from, 64, Active, "да");
    const std::string text = InputRowsText(from, 5, 64, Active, RestoreSms);

    Configuration to = tableRecord();
    const PasteReport report = PasteInputRows(to, 5, Active, text);
    EXPECT_TRUE(report.changed);
    EXPECT_EQ(texts(report), std::vector<std::string>{});
    EXPECT_EQ(report.cut, "");
    EXPECT_EQ(InputRowsText(to, 5, 64, Active, RestoreSms), text);
    EXPECT_EQ(to.ExtBlocksCount, 15);
    EXPECT_EQ(to.Inputs[8].AlarmMask, 0x0C);

    const Configuration again = to;
    const PasteReport twice = PasteInputRows(to, 5, Active, text);
    EXPECT_FALSE(twice.changed);
    EXPECT_EQ(to, again);
}

struct PasteCase {
    const char* what;
    int input;
    InputColumn from;
    const char* text;
    std::vector<std::string> refusals;
    const char* cut;
    const char* after; // InputRowsText of inputs 7..8 after the paste, columns from..to
    InputColumn to;
};

class Paste : public testing::TestWithParam<PasteCase> {};

TEST_P(Paste, RefusedCellsNamedTheOthersIn) {
    const PasteCase& c = GetParam();
    Configuration cfg = tableRecord();
    const PasteReport report = PasteInputRows(cfg, c.input, c.from, c.text);
    EXPECT_EQ(texts(report), c.refusals) << c.what;
    EXPECT_EQ(report.cut, c.cut) << c.what;
    EXPECT_EQ(InputRowsText(cfg, 7, 8, c.from, c.to), c.after) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Paste,
    testing::Values(
        PasteCase{"zone before contacts: the contact list follows the pasted zone",
                  7,
                  ZoneType,
                  "постановка/снятие\tнормально замкнутые (снят с охраны)\n"
                  "круглосуточная\tнормально разомкнуты\n",
                  {},
                  "",
                  "постановка/снятие\tнормально\u00A0замкнутые (снят с охраны)\n"
                  "круглосуточная\tнормально разомкнуты\n",
                  Contacts},
        PasteCase{"a bad cell in each row",
                  7,
                  Partition,
                  "2\tXYZ1\t131\n9\t2222\t140\n",
                  {"Вход 7, «Номер объекта»: «X» — не шестнадцатеричная цифра; номер объекта — "
                   "четыре цифры 0–9, A–F",
                   "Вход 8, «Раздел»: раздела «9» нет; разделы — от 1 до 4"},
                  "",
                  "2\t1111\t131\n1\t2222\t140\n",
                  EvCode},
        PasteCase{"more cells than columns",
                  7,
                  AlarmSms,
                  "a\tb\tc\td\n",
                  {"Вход 7: за столбцом «SMS восстановления» столбцов нет; не вставлено "
                   "значений: 2"},
                  "",
                  "a\tb\n1111 Тревога \t1111 Восстановление \n",
                  RestoreSms},
        PasteCase{"a line shorter than the others",
                  7,
                  Partition,
                  "3\tAAAA\t150\n4\n",
                  {"Вход 8: в строке значений 1 из 3; не изменены: «Номер объекта», «Код "
                   "события»"},
                  "",
                  "3\tAAAA\t150\n4\t1111\t130\n",
                  EvCode},
        PasteCase{"cut at input 64",
                  63,
                  Active,
                  "да\nда\nда\nда\n",
                  {},
                  "Вставка обрезана на входе 64: не вставлено строк: 2",
                  "нет\nнет\n",
                  Active},
        PasteCase{"an empty text pastes nothing", 7, Active, "", {}, "", "нет\nнет\n", Active}));

TEST(Paste, RefusalsKnowTheirCells) {
    Configuration cfg = tableRecord();
    const PasteReport bad = PasteInputRows(cfg, 63, ObjNum, "12\t130\t3\t\t\t\tx\n7\n");
    ASSERT_EQ(bad.refusals.size(), 4U);
    EXPECT_EQ(bad.refusals[0].input, 63);
    EXPECT_EQ(bad.refusals[0].column, ObjNum);
    EXPECT_EQ(bad.refusals[1].column, std::nullopt); // two cells beyond the last column
    EXPECT_EQ(bad.refusals[2].input, 64);
    EXPECT_EQ(bad.refusals[2].column, ObjNum);
    EXPECT_EQ(bad.refusals[3].column, std::nullopt); // the short line
    EXPECT_TRUE(bad.changed);                        // the alarm calls and texts of 63
}

TEST(Paste, CutRowsStillSetTheRowsBefore) {
    Configuration cfg = tableRecord();
    const PasteReport report = PasteInputRows(cfg, 63, Active, "да\nда\nда\n");
    EXPECT_TRUE(report.changed);
    EXPECT_TRUE(IsActivated(cfg.Inputs[63]));
    EXPECT_TRUE(IsActivated(cfg.Inputs[64]));
    EXPECT_EQ(cfg.ExtBlocksCount, 15);
}

} // namespace
} // namespace tk
