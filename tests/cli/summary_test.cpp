#include "cli/summary.h"
#include "cli_support.h"
#include "model/input_rules.h"

namespace tk {
namespace {

struct InputNames {
    std::int32_t zoneType;
    std::int32_t flags;
    const char* zone;
    const char* contacts;
};

class InputSummary : public testing::TestWithParam<InputNames> {};

TEST_P(InputSummary, NamesAsTheInputsPanelShowsThem) {
    Input in;
    in.ZoneType = GetParam().zoneType;
    in.Flags = GetParam().flags;
    EXPECT_EQ(ZoneTypeCaption(in), GetParam().zone);
    EXPECT_EQ(ContactTypeCaption(in), GetParam().contacts);
}

INSTANTIATE_TEST_SUITE_P(
    Names, InputSummary,
    testing::Values(
        InputNames{0x01, 0x00, "вход/выход", "нормально замкнуты"},
        InputNames{0x08, 0x10, "проходная", "нормально разомкнуты"},
        InputNames{0x04, 0x20, "периметр", "шлейфовый резистор"},
        InputNames{0x02, 0x50, "круглосуточная", "шлейфовый резистор"}, // fire marker first
        InputNames{0x02, 0x30, "круглосуточная", "нормально разомкнуты"},
        InputNames{0x10, 0x12, "постановка/снятие", "постановка/снятие импульсом 0.5 сек"},
        InputNames{0x10, 0x02, "постановка/снятие", "постановка/снятие импульсом 0.5 сек"},
        InputNames{0x10, 0x24, "постановка/снятие", "нормально\u00A0замкнутые (снят с охраны)"},
        // Several bits: the later test of the panel's order wins.
        InputNames{0x11, 0x00, "постановка/снятие", "нормально\u00A0замкнутые (снят с охраны)"},
        InputNames{0x05, 0x00, "периметр", "нормально замкнуты"},
        InputNames{0x0A, 0x00, "проходная", "нормально замкнуты"},
        InputNames{0x104, 0x00, "периметр", "нормально замкнуты"},
        InputNames{0x20, 0x00, "не выбран", "нормально замкнуты"}));

TEST(Summary, ReportCodesAndMasksOfAnInput) {
    Configuration c = test::factoryRecord();
    c.Inputs[3].ObjNum = {0x7A, 0x2F};
    c.Inputs[3].EvCode = {0x14, 0x01}; // qualifier 1, code 401
    c.Inputs[3].InpNum = {0x0, 0x99};
    c.Inputs[3].PartNum = 0x03;
    c.Inputs[3].DialUpMask = 0x41; // bit 6 names no report telephone
    const std::string text = cli::Summary(c);
    const auto at = text.find("Вход № 3");
    ASSERT_NE(at, std::string::npos);
    const std::string input3 = text.substr(at, text.find("Вход № 4") - at);
    for (const char* line : {"Номер объекта: 7A2F\n", "Код события: 401\n", "Номер входа: 099\n",
                             "Номер раздела: 03\n", "CID DialUp: 1\n", "Alarm: —\n"}) {
        EXPECT_NE(input3.find(line), std::string::npos) << line << "\n" << input3;
    }
}

} // namespace
} // namespace tk
