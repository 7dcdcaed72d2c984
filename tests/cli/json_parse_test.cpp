// Strict JSON, the kind of a file by its first bytes, and text made safe for a terminal.
#include "cli/json_parse.h"
#include "cli/record_io.h"
#include "cli/terminal.h"
#include "cli_support.h"

#include <QJsonArray>

namespace tk {
namespace {

using cli::ParseJsonObject;
using cli::TerminalText;

constexpr auto byName = [](const auto& p) { return std::string(p.param.name); };

struct Refused {
    const char* name;
    std::string text;
    std::string message; // part of the message
};

class StrictJson : public testing::TestWithParam<Refused> {};

TEST_P(StrictJson, RefusesWithARussianReasonAndThePlace) {
    std::string error;
    EXPECT_FALSE(ParseJsonObject(GetParam().text, error).has_value());
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
    EXPECT_EQ(error.find("syntax error"), std::string::npos) << error; // no English
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StrictJson,
    testing::Values(
        Refused{"TrailingDot", R"({"ObjNum": 1.})",
                "строке 1, позиции 14 (ключ ObjNum): недопустимое число"},
        Refused{"UnknownEscape", R"({"Apn": "\q"})",
                "(ключ Apn): недопустимая escape-последовательность"},
        Refused{"RawControl", "{\"Apn\": \"a\x01\"}", "(ключ Apn): управляющий символ"},
        Refused{"RawLineFeed", "{\"Apn\": \"a\nb\"}",
                "строке 1, позиции 11 (ключ Apn): управляющий символ"},
        Refused{"Duplicate", R"({"ObjNum": 1, "ObjNum": 1})", "ключ ObjNum повторяется"},
        Refused{"NestedDuplicate", R"({"Inputs": [{}, {"Flags": 1, "Flags": 2}]})",
                "ключ Inputs[1].Flags повторяется"},
        Refused{"DuplicateByEscape", R"({"a": 1, "\u0061": 2})", "ключ a повторяется"},
        Refused{"LoneHighSurrogate", R"({"ArmSMSText": "x\ud800y"})",
                "(ключ ArmSMSText): непарный суррогат"},
        Refused{"LoneLowSurrogate", R"({"TelNum": ["", "\udc00"]})",
                "(ключ TelNum[1]): непарный суррогат"},
        Refused{"NotUtf8", "{\"Apn\": \"\xff\"}", "(ключ Apn): строка не в кодировке UTF-8"},
        Refused{"TrailingComma", R"({"ObjNum": 1,})", "ожидается ключ в кавычках"},
        Refused{"LeadingZero", R"({"ObjNum": 01})", "между полями нет запятой"},
        Refused{"Comment", R"({"ObjNum": 1 /* no */})", "строке 1, позиции 14"},
        Refused{"SecondDocument", R"({} {})", "лишние символы после конца документа"},
        Refused{"CutShort", R"({"ObjNum": 1)", "текст оборвался"},
        Refused{"MissingColon", "{\"ObjNum\": 1,\n \"Apn\" \"x\"}",
                "строке 2, позиции 8 (ключ Apn): после ключа нет двоеточия"},
        Refused{"Overflow", R"({"ObjNum": 1e999})", "число вне допустимых пределов"},
        Refused{"TooDeep", R"({"a": )" + std::string(100, '[') + std::string(100, ']') + "}",
                "слишком глубокая вложенность"},
        Refused{"NotAnObject", "[1, 2]", "ожидается объект JSON"},
        Refused{"Empty", "", "текст оборвался"}),
    byName);

TEST(StrictJson, TakesWhatTheStandardAllows) {
    std::string error;
    const auto json = ParseJsonObject(
        "\xEF\xBB\xBF {\"Apn\": \"\\ud83d\\ude00\\n\", \"a\": 20.0, \"b\": -0, \"c\": 1e2, "
        "\"d\": [true, false, null, {}], \"e\": 18446744073709551615}\n",
        error);
    ASSERT_TRUE(json.has_value()) << error;
    EXPECT_EQ((*json)["Apn"].toString(), QString::fromUtf8("\xF0\x9F\x98\x80\n"));
    EXPECT_EQ((*json)["a"].toDouble(), 20.0);
    EXPECT_EQ((*json)["c"].toDouble(), 100.0);
    EXPECT_EQ((*json)["d"].toArray().size(), 4);
    EXPECT_EQ((*json)["e"].toDouble(), 18446744073709551615.0);
}

TEST(StrictJson, ObjectsAndArraysHaveABoundedSize) {
    std::string keys;
    for (std::size_t i = 0; i <= cli::kMaxJsonElements; ++i) {
        keys += (i == 0 ? "\"k" : ", \"k") + std::to_string(i) + "\": 0";
    }
    std::string error;
    EXPECT_FALSE(ParseJsonObject("{" + keys + "}", error).has_value());
    EXPECT_NE(error.find("в объекте больше 65536 элементов"), std::string::npos) << error;
}

// ----------------------------------------------------------- kind of a file

struct Kind {
    const char* name;
    std::string path;
    std::vector<std::uint8_t> bytes;
    cli::FileKind kind;
};

std::vector<std::uint8_t> factoryFile() {
    return test::fileOf(test::factoryRecord());
}

// A configuration file whose stored length is damaged so that its first byte is "{".
std::vector<std::uint8_t> damagedWithBrace() {
    auto b = factoryFile();
    b[0] = '{';
    return b;
}

class KindOfFile : public testing::TestWithParam<Kind> {};

TEST_P(KindOfFile, IsDecidedByTheFirstBytes) {
    EXPECT_EQ(cli::KindOf(GetParam().path, GetParam().bytes), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Files, KindOfFile,
    testing::Values(Kind{"Configuration", "a.json", factoryFile(), cli::FileKind::Configuration},
                    Kind{"DamagedStartingWithBrace", "a.tk515", damagedWithBrace(),
                         cli::FileKind::Damaged},
                    Kind{"DamagedNamedJson", "a.json", damagedWithBrace(), cli::FileKind::Damaged},
                    Kind{"Json", "a.tk515", test::bytes(" \r\n\t{}"), cli::FileKind::Json},
                    Kind{"JsonWithBom", "a.txt", test::bytes("\xEF\xBB\xBF\n{\"ObjNum\": 1}"),
                         cli::FileKind::Json},
                    Kind{"ArrayNamedJson", "a.JSON", test::bytes("[1]"), cli::FileKind::Json},
                    Kind{"ArrayOtherwise", "a.txt", test::bytes("[1]"), cli::FileKind::Foreign},
                    Kind{"Text", "a.txt", test::bytes("just text"), cli::FileKind::Foreign},
                    Kind{"Empty", "a.tk515", {}, cli::FileKind::Foreign}),
    byName);

// ----------------------------------------------------------- terminal text

struct Shown {
    const char* name;
    std::string text;
    std::size_t max;
    std::string shown;
};

class Terminal : public testing::TestWithParam<Shown> {};

TEST_P(Terminal, EscapesControlsAndShortens) {
    EXPECT_EQ(TerminalText(GetParam().text, GetParam().max), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Terminal,
    testing::Values(Shown{"Plain", "Склад №2, ключи", 100, "Склад №2, ключи"},
                    Shown{"Escape", "a\x1b[2Jb", 100, "a\\u001b[2Jb"},
                    Shown{"BellAndNul", std::string("\a\0z", 3), 100, "\\u0007\\u0000z"},
                    Shown{"ForgedLine", "ok\ntk515: forged\r", 100, "ok\\ntk515: forged\\r"},
                    Shown{"Del", "a\x7f", 100, "a\\u007f"},
                    Shown{"C1Csi",
                          "\xc2\x9b"
                          "31m",
                          100, "\\u009b31m"},
                    Shown{"BidiOverride",
                          "abc\xe2\x80\xae"
                          "def",
                          100, "abc\\u202edef"},
                    Shown{"NotUtf8", "a\xff\xc3", 100, "a\\xff\\xc3"},
                    Shown{"Long", std::string(100, 'x'), 10,
                          std::string(10, 'x') + "… (всего знаков: 100)"},
                    Shown{"LongCyrillic", "ёжик в тумане", 4, "ёжик… (всего знаков: 13)"}),
    byName);

} // namespace
} // namespace tk
