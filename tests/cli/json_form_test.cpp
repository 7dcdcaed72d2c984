#include "cli/diff.h"
#include "cli/json_form.h"
#include "cli_support.h"

#include <QJsonArray>

#include <algorithm>

namespace tk {
namespace {

using cli::ApplyJson;
using cli::Flatten;
using cli::ToJson;
using test::Bytes;

// A JSON array of `count` objects, all empty but element `at`.
std::string arrayWith(std::size_t count, std::size_t at, const std::string& element) {
    std::string out = "[";
    for (std::size_t i = 0; i < count; ++i) {
        out += (i == 0 ? "" : ",") + (i == at ? element : std::string("{}"));
    }
    return out + "]";
}

// A JSON array of 16 telephone texts, all empty but element `at`.
std::string telephonesWith(std::size_t at, const std::string& tel) {
    std::string out = "[";
    for (std::size_t k = 0; k < kTelephoneCount; ++k) {
        out += std::string(k == 0 ? "" : ",") + "\"" + (k == at ? tel : "") + "\"";
    }
    return out + "]";
}

std::string repeated(const std::string& s, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += s;
    }
    return out;
}

std::string inputWith(std::size_t n, const std::string& fields) {
    return R"({"Inputs": )" + arrayWith(kInputCount + 1, n, fields) + "}";
}

// The factory record with the JSON applied; a refusal fails the test.
Configuration importedOverFactory(const std::string& json) {
    Configuration cfg = test::factoryRecord();
    const auto errors = ApplyJson(test::parseObject(json), cfg);
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors.front().text());
    return cfg;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// ----------------------------------------------------------- fields land in the file

struct FieldBytes {
    std::string json;
    std::size_t fileOffset; // image offset + 16, or a file-only place
    Bytes expected;
};

class JsonFieldBytes : public testing::TestWithParam<FieldBytes> {};

TEST_P(JsonFieldBytes, ImportedFieldIsWrittenAtItsPlace) {
    const FieldBytes& c = GetParam();
    const Bytes file = test::fileOf(importedOverFactory(c.json));
    ASSERT_LE(c.fileOffset + c.expected.size(), file.size());
    EXPECT_EQ(Bytes(file.begin() + static_cast<std::ptrdiff_t>(c.fileOffset),
                    file.begin() + static_cast<std::ptrdiff_t>(c.fileOffset + c.expected.size())),
              c.expected);
}

constexpr std::size_t kImage = 16;

Bytes field(const std::string& cp1251Text, std::size_t width) {
    Bytes b(width, 0);
    std::copy(cp1251Text.begin(), cp1251Text.end(), b.begin());
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, JsonFieldBytes,
    testing::Values(
        FieldBytes{R"({"ObjNum": 6703})", kImage + 0x056, {0x1A, 0x2F}},
        FieldBytes{R"({"TimeOfInp": 30, "TimeOfOut": 160})", kImage + 0x052, {30, 160}},
        FieldBytes{R"({"Options": 127})", kImage + 0x051, {0x7F}},
        FieldBytes{R"({"AuxPeriod58": 1535})", kImage + 0x058, {0xFF, 0x05}},
        FieldBytes{R"({"GprsPeriodMin": 2, "GprsPeriodSec": 1})", kImage + 0x061, {0x0D}},
        FieldBytes{R"({"Partitions": )" + arrayWith(4, 2, R"({"Flags": 5, "DialUpMask": 258})") +
                       "}",
                   kImage + 0x193,
                   {0x05, 0, 0, 0, 0, 0x01, 0x02}},
        FieldBytes{
            inputWith(1, R"({"Raw8": 4660, "DialUpMask": 3})"), kImage + 0x018, {0x12, 0x03}},
        FieldBytes{inputWith(2, R"({"ObjNum": [18, 52], "EvCode": [4, 1]})"),
                   kImage + 0x18C,
                   {0x12, 0x34, 0x04, 0x01}},
        FieldBytes{inputWith(5, R"({"Flags": 1, "Raw8": 4660, "DialUpMask": 77})"),
                   kImage + 896,
                   {0x01, 0x04, 0x01, 0x00, 0, 0, 0, 0, 0x12, 0x34, 0, 0}},
        FieldBytes{inputWith(4, R"({"AlarmSMSText": ")" + std::string(31, 'z') + "\"}"),
                   kImage + 0x2C0, field(std::string(31, 'z'), 32)},
        FieldBytes{R"({"TelNum": )" + telephonesWith(2, "+7*1") + "}",
                   kImage + 0x080,
                   {0xA7, 0xC1, 0xB0, 0, 0, 0, 0, 0}},
        FieldBytes{R"({"TelNum7316": "123"})", kImage + 0x0E8, {0x12, 0x3B, 0, 0, 0, 0, 0, 0}},
        FieldBytes{R"({"Apn": "internet"})", kImage + 0x0F0, field("internet", 32)},
        FieldBytes{R"({"Email": ")" + std::string(47, 'e') + "\"}", kImage + 0x140,
                   field(std::string(47, 'e'), 48)},
        FieldBytes{R"({"ArmSMSText": "7111 Постановка "})", kImage + 0x300,
                   field(cp1251("7111 Постановка "), 32)},
        FieldBytes{R"({"TimeOfAlarmMin": 10, "TimeOfAlarmSec": 59})", kImage + 0x054, {10, 59}},
        FieldBytes{R"({"AuxPeriod5A": 13})", kImage + 0x05A, {2, 1}},
        FieldBytes{R"({"NumOfAttemptsCallMain": 10, "PerTestHours": 24, "PerTestMinutes": 50,
                       "GprsMode": 6, "GprsPeriodMin": 0, "GprsPeriodSec": 5, "SvingerCount": 15})",
                   kImage + 0x05C,
                   {10, 24, 50, 0, 6, 5, 15}},
        FieldBytes{R"({"ExtPanelObjNum": 41394})", kImage + 0x1BC, {0xA1, 0xB2}},
        FieldBytes{inputWith(3, R"({"Flags": 5, "ZoneType": 2, "Partition": 3, "RepFlags": 4,
                                    "Raw4": 258, "Raw6": 772, "Raw10": 1286, "AlarmMask": 1800})"),
                   kImage + 0x030,
                   {5, 2, 3, 4, 0x01, 0x02, 0x03, 0x04, 0, 0, 0x05, 0x06, 0x07, 0x08, 0, 0}},
        FieldBytes{R"({"Partitions": )" +
                       arrayWith(4, 0, R"({"Flags": 9, "Raw4": 258, "Raw6": 772, "DialUpMask": 3,
                                           "Raw10": 1286, "AlarmMask": 5})") +
                       "}",
                   kImage + 0x170,
                   {0, 0, 0, 9, 0x01, 0x02, 0x03, 0x04, 0, 3, 0x05, 0x06, 0x11, 0x11, 0x01, 0x30}},
        FieldBytes{R"({"KpdFlags": 1, "KpdDialUpMask": 515, "KpdAlarmMask": 1029})",
                   kImage + 0x1F3,
                   {1, 0, 0, 0, 0, 0x02, 0x03, 0x04, 0x05}},
        FieldBytes{R"({"SysEvAcFlags": 1, "SysEvAcRaw8": 515, "SysEvAcRaw10": 1029})",
                   kImage + 0x343,
                   {1, 0, 0, 0, 0, 0x02, 0x03, 0x04, 0x05}},
        FieldBytes{R"({"SysEvDcFlags": 2, "SysEvDcRaw10": 1543})",
                   kImage + 0x353,
                   {2, 0, 0, 0, 0, 0, 0, 0x06, 0x07}},
        FieldBytes{R"({"SysEvPtFlags": 3, "SysEvPtRaw4": 2057, "SysEvPtRaw10": 2571})",
                   kImage + 0x363,
                   {3, 0x08, 0x09, 0, 0, 0, 0, 0x0A, 0x0B}},
        FieldBytes{R"({"ExtPanelFlags": 4, "ExtPanelDialUpMask": 3085, "ExtPanelAlarmMask": 3599})",
                   kImage + 0x373,
                   {4, 0, 0, 0, 0, 0x0C, 0x0D, 0x0E, 0x0F}},
        FieldBytes{R"({"ApnUserName": "u", "ApnPass": "p", "TkRecIp": "10.0.0.1"})", kImage + 0x110,
                   [] {
                       Bytes b = field("u", 16);
                       const Bytes pass = field("p", 16);
                       const Bytes ip = field("10.0.0.1", 16);
                       b.insert(b.end(), pass.begin(), pass.end());
                       b.insert(b.end(), ip.begin(), ip.end());
                       return b;
                   }()},
        FieldBytes{R"({"DisarmSMSText": "Снято"})", kImage + 0x320, field(cp1251("Снято"), 32)},
        FieldBytes{inputWith(2, R"({"RestoreSMSText": "Норма"})"), kImage + 0x260,
                   field(cp1251("Норма"), 32)},
        FieldBytes{R"({"SysEvDcDialUpMask": 2})", kImage + 0x1B9, {0x02}},
        FieldBytes{R"({"SysEvPtDialUpMask": 3})", kImage + 0x1C9, {0x03}},
        FieldBytes{R"({"KpdAlarmMask": 48879})", kImage + 0x1FA, {0xBE, 0xEF}},
        FieldBytes{R"({"TxTlfNum": "+79001234567"})", 912, field("+79001234567", 16)},
        FieldBytes{R"({"TxSerialNum": "Зав. №7"})", 928, field(cp1251("Зав. №7"), 16)},
        FieldBytes{R"({"Comments": ["a", "", "bc"]})",
                   944,
                   {0x61, 0x0D, 0x0A, 0x0D, 0x0A, 0x62, 0x63, 0x0D, 0x0A}}));

// ----------------------------------------------------------- refusals

struct Refusal {
    std::string json;
    std::string key;
    std::string reason; // part of the reason
};

class JsonRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(JsonRefusal, NamesTheKeyAndLeavesTheRecordAlone) {
    const Refusal& c = GetParam();
    Configuration cfg = test::factoryRecord();
    const auto errors = ApplyJson(test::parseObject(c.json), cfg);
    ASSERT_EQ(errors.size(), 1U) << c.json;
    EXPECT_EQ(errors[0].key, c.key);
    EXPECT_NE(errors[0].reason.find(c.reason), std::string::npos) << errors[0].reason;
    EXPECT_EQ(cfg, test::factoryRecord());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, JsonRefusal,
    testing::Values(
        Refusal{R"({"TimeOfInp": 20, "Foo": 1})", "Foo", "неизвестный ключ"},
        Refusal{inputWith(3, R"({"Bogus": 1})"), "Inputs[3].Bogus", "неизвестный ключ"},
        Refusal{R"({"ExtBlocksCount": 1})", "ExtBlocksCount", "не задаётся"},
        Refusal{R"({"TimeOfInp": "20"})", "TimeOfInp", "ожидается целое число, а не строка"},
        Refusal{R"({"Apn": 5})", "Apn", "ожидается строка, а не число"},
        Refusal{R"({"TxVersion": 1})", "TxVersion", "ожидается строка"},
        Refusal{R"({"Comments": "a"})", "Comments", "ожидается массив"},
        Refusal{R"({"Partitions": [1, {}, {}, {}]})", "Partitions[0]", "ожидается объект"},
        Refusal{R"({"ObjNum": 1.5})", "ObjNum", "ожидается целое число, а не 1.5"},
        Refusal{R"({"TimeOfInp": 256})", "TimeOfInp", "вне пределов 0…255"},
        Refusal{R"({"Options": -1})", "Options", "вне пределов 0…255"},
        Refusal{R"({"ObjNum": 65536})", "ObjNum", "вне пределов 0…65535"},
        Refusal{inputWith(1, R"({"DialUpMask": 256})"), "Inputs[1].DialUpMask", "0…255"},
        Refusal{inputWith(1, R"({"Raw8": 65536})"), "Inputs[1].Raw8", "0…65535"},
        Refusal{inputWith(7, R"({"EvCode": [1, 300]})"), "Inputs[7].EvCode[1]", "0…255"},
        Refusal{R"({"Partitions": )" + arrayWith(4, 0, R"({"AlarmMask": 2147483648})") + "}",
                "Partitions[0].AlarmMask", "вне пределов -2147483648…2147483647"},
        Refusal{R"({"AuxPeriod5A": 1536})", "AuxPeriod5A", "0…1535"},
        Refusal{R"({"GprsPeriodSec": 6})", "GprsPeriodSec", "0…5"},
        Refusal{R"({"GprsPeriodMin": 42, "GprsPeriodSec": 4})", "GprsPeriodMin",
                "не помещается в байт"},
        Refusal{R"({"Apn": ")" + std::string(32, 'a') + "\"}", "Apn", "текст из 32 знаков"},
        Refusal{R"({"ApnUserName": ")" + std::string(16, 'u') + "\"}", "ApnUserName",
                "не более 15"},
        Refusal{R"({"Email": ")" + std::string(48, 'e') + "\"}", "Email", "не более 47"},
        Refusal{R"({"TxSerialNum": "0123456789ABCDEF"})", "TxSerialNum", "не более 15"},
        Refusal{inputWith(9, R"({"RestoreSMSText": ")" + std::string(32, 'r') + "\"}"),
                "Inputs[9].RestoreSMSText", "не более 31"},
        Refusal{R"({"DisarmSMSText": "Снято ☺"})", "DisarmSMSText",
                "U+263A «☺» отсутствует в кодировке Windows-1251"},
        Refusal{R"({"Apn": "a\u0000b"})", "Apn", "U+0000"},
        Refusal{R"({"TelNum": )" + telephonesWith(4, "12a") + "}", "TelNum[4]",
                "U+0061 «a» недопустим в номере телефона"},
        Refusal{R"({"TelNum7316": "12345678901234567"})", "TelNum7316", "не более 16"},
        // "#" has no nibble in a packed number: it would be dialled as "0".
        Refusal{R"({"TelNum": )" + telephonesWith(0, "+7916#123") + "}", "TelNum[0]",
                "U+0023 «#» недопустим в номере телефона (допустимы 0-9, *, +)"},
        Refusal{R"({"TelNum7316": "12#"})", "TelNum7316", "U+0023 «#» недопустим"},
        Refusal{R"({"Comments": ["ok", "a\r\nb"]})", "Comments[1]", "перевод строки"},
        Refusal{R"({"Comments": ["")" + repeated(R"(, "")", 15912) + "]}", "Comments",
                "массив из 15913 строк, в файл помещается не более 15912"},
        Refusal{R"({"TelNum": ["1"]})", "TelNum", "массив из 1 элементов, ожидается 16"},
        Refusal{R"({"Inputs": [{}]})", "Inputs", "ожидается 65"},
        Refusal{inputWith(2, R"({"ObjNum": [1, 2, 3]})"), "Inputs[2].ObjNum", "ожидается 2"}));

TEST(JsonRefusal, EveryRefusalIsReported) {
    Configuration cfg = test::factoryRecord();
    const auto errors = ApplyJson(
        test::parseObject(R"({"Foo": 1, "TimeOfInp": 300, "Apn": 1, "TelNum": []})"), cfg);
    std::vector<std::string> keys;
    for (const auto& e : errors) {
        keys.push_back(e.key);
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"Apn", "Foo", "TelNum", "TimeOfInp"}));
}

TEST(JsonRefusal, AFloodIsCountedAndOnlyTheFirstAreListed) {
    std::string json = R"({"Comments": [)";
    for (int i = 0; i < 40; ++i) {
        json += i == 0 ? "1" : ", 1";
    }
    Configuration cfg = test::factoryRecord();
    const Configuration before = cfg;
    std::size_t total = 0;
    const auto errors = ApplyJson(test::parseObject(json + "]}"), cfg, &total);
    EXPECT_EQ(total, 40U);
    ASSERT_EQ(errors.size(), cli::kListedRefusals);
    EXPECT_EQ(errors.front().key, "Comments[0]");
    EXPECT_EQ(errors.back().key, "Comments[9]");
    EXPECT_EQ(cfg, before);
}

// ----------------------------------------------------------- values at the limits

struct Accepted {
    std::string json;
    std::string name; // flattened field
    std::string value;
};

class JsonAccepted : public testing::TestWithParam<Accepted> {};

TEST_P(JsonAccepted, ValueReachesTheRecord) {
    const Accepted& c = GetParam();
    const auto flat = Flatten(importedOverFactory(c.json));
    const auto it = std::find_if(flat.begin(), flat.end(),
                                 [&](const cli::FlatField& f) { return f.name == c.name; });
    ASSERT_NE(it, flat.end());
    EXPECT_EQ(it->value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, JsonAccepted,
    testing::Values(
        Accepted{R"({"TimeOfInp": 255})", "TimeOfInp", "255"},
        Accepted{R"({"ObjNum": 65535.0})", "ObjNum", "65535"},
        Accepted{R"({"Partitions": )" + arrayWith(4, 3, R"({"AlarmMask": -2147483648})") + "}",
                 "Partitions[3].AlarmMask", "-2147483648"},
        Accepted{inputWith(5, R"({"DialUpMask": 100000})"), "Inputs[5].DialUpMask", "100000"},
        Accepted{inputWith(0, R"({"Flags": -7})"), "Inputs[0].Flags", "-7"},
        Accepted{inputWith(1, R"({"Raw8": 4660})"), "Inputs[1].Raw8", "4660"},
        Accepted{inputWith(64, R"({"InpNum": [-1, 99999]})"), "Inputs[64].InpNum[1]", "99999"},
        Accepted{R"({"GprsPeriodMin": 42, "GprsPeriodSec": 3})", "GprsPeriodMin", "42"},
        Accepted{R"({"ArmSMSText": ")" + std::string(31, 'a') + "\"}", "ArmSMSText",
                 quoted(std::string(31, 'a'))},
        Accepted{R"({"DisarmSMSText": "Снятие с охраны объекта номер 7"})", "DisarmSMSText",
                 R"("Снятие с охраны объекта номер 7")"},
        Accepted{R"({"TelNum": )" + telephonesWith(15, "+*90123456789012") + "}", "TelNum[15]",
                 R"("+*90123456789012")"},
        Accepted{R"({"TxTlfNum": "+7916#123"})", "TxTlfNum", R"("+7916#123")"},
        Accepted{R"({"TxVersion": "9.99"})", "TxVersion", R"("")"},
        Accepted{R"({"Comments": ["«Склад» — №2", ""]})", "Comments[0]", R"("«Склад» — №2")"}));

// ----------------------------------------------------------- the whole record

TEST(JsonForm, EveryFieldSurvivesExportAndImport) {
    const Configuration original = test::everyFieldSet();
    Configuration back = test::factoryRecord();
    const auto errors = ApplyJson(ToJson(original), back);
    ASSERT_TRUE(errors.empty()) << errors.front().text();
    Configuration expected = original;
    expected.TxVersion = ""; // exported, ignored on import
    expected.ExtBlocksCount = back.ExtBlocksCount;
    EXPECT_EQ(back, expected);
    EXPECT_EQ(cli::DiffLines(back, expected), std::vector<std::string>{});
}

TEST(JsonForm, TheTestRecordDiffersFromTheFactoryInEveryField) {
    // Otherwise the round trip above would not prove that every field travels.
    const auto flat = Flatten(test::everyFieldSet());
    EXPECT_EQ(cli::DiffLines(test::factoryRecord(), test::everyFieldSet()).size(), flat.size());
}

TEST(JsonForm, DiffShowsControlCharactersEscaped) {
    Configuration b = test::factoryRecord();
    b.Comments = {"\x1b[2J\x07\x7f\t\"\\"};
    EXPECT_EQ(cli::DiffLines(test::factoryRecord(), b),
              std::vector<std::string>{R"(Comments[0] null "\u001b[2J\u0007\u007f\t\"\\")"});
}

TEST(JsonForm, KeysAreTheRecordFieldNames) {
    const QJsonObject json = ToJson(test::factoryRecord());
    EXPECT_FALSE(json.contains("ExtBlocksCount"));
    EXPECT_EQ(json.size(), 49); // every field of the record but ExtBlocksCount
    for (const char* key : {"ObjNum", "TimeOfInp", "Options", "GprsPeriodMin", "AuxPeriod58",
                            "TxVersion", "Comments", "TelNum", "Partitions", "Inputs"}) {
        EXPECT_TRUE(json.contains(key)) << key;
    }
    EXPECT_EQ(json["TelNum"].toArray().size(), 16);
    EXPECT_EQ(json["Partitions"].toArray().size(), 4);
    const QJsonArray inputs = json["Inputs"].toArray();
    ASSERT_EQ(inputs.size(), 65);
    EXPECT_EQ(inputs[0].toObject().size(), 16);
    EXPECT_EQ(inputs[4].toObject()["ZoneType"].toInt(), ZoneArmDisarm);
    EXPECT_EQ(inputs[64].toObject()["InpNum"].toArray(), (QJsonArray{0, 0x64}));
    EXPECT_EQ(json["ArmSMSText"].toString(), QString("1111 Постановка "));
}

} // namespace
} // namespace tk
