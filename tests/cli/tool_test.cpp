// The real tk515 program, run as a user runs it.
#include "cli_support.h"
#include "files/backups.h"
#include "files/settings.h"
#include "model/input_rules.h"
#include "small_fs.h"
#include "tk/version.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sstream>
#include <thread>

namespace tk {
namespace {

using test::Bytes;

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

class ToolTest : public test::InScratchFolder {
protected:
    std::string spath(const QString& name) const { return path(name).toStdString(); }

    // Runs the program; stdout goes to a file when one is given.
    static Result run(const QStringList& args, const QString& stdoutFile = {}) {
        const test::ToolRun r = test::runTool(args, 60000, stdoutFile);
        return {r.exitCode, r.out.toStdString(), r.err.toStdString()};
    }

    QString writeConfig(const QString& name, const Configuration& cfg) {
        writeBytes(path(name), test::fileOf(cfg));
        return path(name);
    }
    static void writeBytes(const QString& p, const Bytes& b) { test::writeBytes(p, b); }
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

// Test names from the cases' own names.
constexpr auto byName = [](const auto& p) { return std::string(p.param.name); };

// ----------------------------------------------------------- file -> JSON -> file

Configuration withBlocksAndCyrillicComments() {
    Configuration c = test::factoryRecord();
    c.Inputs[13].Flags |= 1; // three extension blocks
    c.Inputs[10].Raw8 = 0x1234;
    c.Comments = {cp1251("Склад №2, ул. Лесная"), "", cp1251("ключи — у охраны")};
    c.TxSerialNum = cp1251("Зав. №15");
    return c;
}

Configuration largest() {
    Configuration c = test::everyFieldSet();
    c.Inputs[64].Flags |= 1; // fifteen extension blocks
    c.Comments.assign(200, cp1251("Комментарий длиной в сорок знаков ровно."));
    return c;
}

struct RoundTrip {
    const char* name;
    std::function<Configuration()> record;
};

class FileRoundTrip : public ToolTest, public testing::WithParamInterface<RoundTrip> {};

TEST_P(FileRoundTrip, ExportThenImportGivesTheSameBytes) {
    const QString original = writeConfig("a.tk515", GetParam().record());
    const Result exported = run({"export", original, "-o", path("a.json")});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_EQ(exported.out, "");
    const Result imported = run({"import", path("a.json"), "-o", path("b.tk515")});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(test::readBytes(path("b.tk515")), test::readBytes(original));

    const Result toStdout = run({"export", original});
    ASSERT_EQ(toStdout.code, 0) << toStdout.err;
    const Bytes json = test::readBytes(path("a.json"));
    EXPECT_EQ(toStdout.out, std::string(json.begin(), json.end()));
}

INSTANTIATE_TEST_SUITE_P(Records, FileRoundTrip,
                         testing::Values(RoundTrip{"Factory", test::factoryRecord},
                                         RoundTrip{"Blocks", withBlocksAndCyrillicComments},
                                         RoundTrip{"EveryField", test::everyFieldSet},
                                         RoundTrip{"Largest", largest}),
                         byName);

// ----------------------------------------------------------- import refusals

struct ImportRefusal {
    const char* name;
    std::string json;
    std::string message; // part of the message: the key and why
};

class ImportRefused : public ToolTest, public testing::WithParamInterface<ImportRefusal> {};

TEST_P(ImportRefused, NamesTheKeyAndWritesNoFile) {
    test::writeText(path("in.json"), GetParam().json);
    const Result r = run({"import", path("in.json"), "-o", path("out.tk515")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(QFile::exists(path("out.tk515")));
    EXPECT_EQ(QDir(path("")).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temp left
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ImportRefused,
    testing::Values(
        ImportRefusal{"UnknownKey", R"({"TimeOfIn": 20})", "TimeOfIn: неизвестный ключ"},
        ImportRefusal{"WrongType", R"({"Partitions": {}})", "Partitions: ожидается массив"},
        ImportRefusal{"NotIntegral", R"({"SvingerCount": 2.5})",
                      "SvingerCount: ожидается целое число, а не 2.5"},
        ImportRefusal{"OutOfWidth", R"({"KpdDialUpMask": 70000})",
                      "KpdDialUpMask: число 70000 вне пределов 0…65535"},
        ImportRefusal{"TooLong", R"({"TkRecIp": "192.168.100.2000"})",
                      "TkRecIp: текст из 16 знаков, допустимо не более 15"},
        // The packed report telephone has no "#": it would be stored and dialled as "0".
        ImportRefusal{"HashInReportTelephone",
                      R"({"TelNum": ["+7916#123", "", "", "", "", "", "", "", "", "", "", "", "",
                                     "", "", ""]})",
                      "TelNum[0]: символ U+0023 «#» недопустим в номере телефона"},
        ImportRefusal{"NotInCodePage", R"({"Comments": ["€ ok", "日本"]})",
                      "Comments[1]: символ U+65E5 «日» отсутствует в кодировке Windows-1251"},
        ImportRefusal{"WrongLength", R"({"Partitions": [{}, {}, {}]})",
                      "Partitions: массив из 3 элементов, ожидается 4"},
        ImportRefusal{"BadJson", "{\"ObjNum\": 1,\n \"Apn\" \"x\"}",
                      "in.json: ошибка JSON в строке 2, позиции 8 (ключ Apn): после ключа нет "
                      "двоеточия"},
        ImportRefusal{"DuplicateKey", R"({"ObjNum": 1, "ObjNum": 2})",
                      "in.json: ошибка JSON: ключ ObjNum повторяется"},
        ImportRefusal{"UnpairedSurrogate", R"({"ArmSMSText": "\ud800"})",
                      "(ключ ArmSMSText): непарный суррогат"},
        ImportRefusal{"NotAnObject", "[1, 2]", "ожидается объект JSON"},
        ImportRefusal{"WriterRefuses", R"({"Comments": [")" + std::string(32000, 'c') + R"("]})",
                      "out.tk515: Не сохраняется: Комментарий слишком длинный"}),
    byName);

TEST_F(ToolTest, RefusedImportLeavesAnExistingFileAsItWas) {
    const Bytes before = test::fileOf(test::everyFieldSet());
    writeBytes(path("out.tk515"), before);
    test::writeText(path("in.json"), R"({"ObjNum": -1})");
    EXPECT_EQ(run({"import", path("in.json"), "-o", path("out.tk515")}).code, 1);
    EXPECT_EQ(test::readBytes(path("out.tk515")), before);
}

TEST_F(ToolTest, PartialJsonStartsFromTheFactoryValues) {
    test::writeText(path("in.json"), R"({"TimeOfInp": 30, "Comments": ["Склад"]})");
    ASSERT_EQ(run({"import", path("in.json"), "-o", path("out.tk515")}).code, 0);
    Configuration expected = test::factoryRecord();
    expected.TimeOfInp = 30;
    expected.Comments = {cp1251("Склад")};
    EXPECT_EQ(test::readBytes(path("out.tk515")), test::fileOf(expected));
}

// ----------------------------------------------------------- exit status and messages

struct Invocation {
    const char* name;
    QStringList args; // "@x" stands for the file x in the test folder
    int code;
    bool onStdout; // where the text appears
    std::string text;
};

class ExitStatus : public ToolTest, public testing::WithParamInterface<Invocation> {};

TEST_P(ExitStatus, CodeAndMessage) {
    writeConfig("factory.tk515", test::factoryRecord());
    writeConfig("expander.tk515", [] {
        tk::Configuration cfg = test::factoryRecord();
        tk::SetActivated(cfg, 6, true);
        tk::SetActivated(cfg, 13, true);
        return cfg;
    }());
    test::writeText(path("foreign.txt"), "just some text\n");
    writeBytes(path("short.tk515"), [] {
        Bytes b = test::fileOf(test::factoryRecord());
        b.pop_back(); // one byte short of its stored length
        return b;
    }());
    ASSERT_TRUE(QDir(path("")).mkdir("folder"));
    writeBytes(path("brace.tk515"), [] {
        Bytes b = test::fileOf(test::factoryRecord());
        b[0] = '{'; // a damaged length that reads as the start of JSON
        return b;
    }());
    QStringList args;
    for (const QString& a : GetParam().args) {
        // "@x", and a value joined to its option: "--output=@x", "-o@x".
        const qsizetype at = a.indexOf('@');
        const bool named = at == 0 || (at > 0 && (a[at - 1] == '=' || a.left(at) == "-o"));
        args << (named ? a.left(at) + path(a.mid(at + 1)) : a);
    }
    const Result r = run(args);
    EXPECT_EQ(r.code, GetParam().code) << r.err;
    const std::string& shown = GetParam().onStdout ? r.out : r.err;
    EXPECT_NE(shown.find(GetParam().text), std::string::npos) << "stdout:\n"
                                                              << r.out << "stderr:\n"
                                                              << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitStatus,
    testing::Values(
        Invocation{"NoCommand", {}, 2, false, "Использование: tk515 КОМАНДА"},
        Invocation{"Version", {"--version"}, 0, true, std::string("tk515 ") + tk::kVersion + "\n"},
        Invocation{"UnknownCommand", {"frob"}, 2, false, "неизвестная команда «frob»"},
        Invocation{"MissingFile", {"show"}, 2, false, "Использование: tk515 show ФАЙЛ"},
        Invocation{"ExtraFile", {"new", "@a", "@b"}, 2, false, "ожидается файлов: 1, указано: 2"},
        Invocation{"UnknownOption",
                   {"export", "@factory.tk515", "-x"},
                   2,
                   false,
                   "неизвестный параметр «-x»"},
        Invocation{"OptionWithoutValue",
                   {"export", "@factory.tk515", "-o"},
                   2,
                   false,
                   "после -o нужно имя файла"},
        Invocation{"ImportWithoutOutput",
                   {"import", "@in.json"},
                   2,
                   false,
                   "Использование: tk515 import ВХОД.json -o ФАЙЛ"},
        Invocation{"OutputTwice",
                   {"export", "@factory.tk515", "-o", "@x", "--output=@y"},
                   2,
                   false,
                   "параметр -o указан дважды"},
        // One parser reads every command's options: a value joined with "=" (or to -o),
        // flags without one, "--" before file names.
        Invocation{"OutputJoinedToExport",
                   {"export", "@factory.tk515", "--output=@folder"},
                   1,
                   false,
                   "folder: Не сохраняется: " + std::string(std::strerror(EISDIR))},
        Invocation{"OutputAttachedToImport",
                   {"import", "@factory.tk515", "-o@folder"},
                   1,
                   false,
                   "folder: Не сохраняется: " + std::string(std::strerror(EISDIR))},
        Invocation{"EmptyJoinedOutput",
                   {"export", "@factory.tk515", "--output="},
                   2,
                   false,
                   "пустое имя выходного файла"},
        Invocation{"OutputJoinedToRead",
                   {"read", "--port=@nothing", "--output=@folder/none/x.tk515"},
                   1,
                   false,
                   "x.tk515: Не сохраняется: " + std::string(std::strerror(ENOENT))},
        Invocation{"TelephoneJoinedToRemoteRead",
                   {"remote-read", "--port=@nothing", "--tel=12a", "--output=@x.tk515"},
                   2,
                   false,
                   "в телефоне --tel допустимы цифры, +, * и #: «12a»"},
        Invocation{"FlagWithAValue",
                   {"write", "--port", "p", "@factory.tk515", "--verify=yes"},
                   2,
                   false,
                   "параметр --verify указывается без значения"},
        Invocation{"OptionsEndAtDoubleDash",
                   {"show", "--", "-x.tk515"},
                   1,
                   false,
                   "-x.tk515: Не могу открыть файл"},
        Invocation{"DashedFileWithoutDoubleDash",
                   {"show", "-x.tk515"},
                   2,
                   false,
                   "неизвестный параметр «-x.tk515»"},
        Invocation{"ExtraArgumentOfPorts", {"ports", "extra"}, 2, false, "лишний параметр «extra»"},
        Invocation{"ToolHelp", {"--help"}, 0, true, "diff A B"},
        Invocation{"NewHelp", {"new", "--help"}, 0, true, "Использование: tk515 new ФАЙЛ"},
        Invocation{"ShowHelp", {"show", "-h"}, 0, true, "Использование: tk515 show ФАЙЛ"},
        Invocation{"ExportHelp", {"export", "--help"}, 0, true, "tk515 export ФАЙЛ [-o"},
        Invocation{"ImportHelp", {"import", "--help"}, 0, true, "tk515 import ВХОД.json -o"},
        Invocation{"DiffHelp", {"diff", "--help"}, 0, true, "Использование: tk515 diff A B"},
        Invocation{"MissingInput",
                   {"show", "@nothing.tk515"},
                   1,
                   false,
                   "nothing.tk515: Не могу открыть файл: " + std::string(std::strerror(ENOENT)) +
                       " (нет такого файла или папки)"},
        Invocation{"FolderInput",
                   {"export", "@folder"},
                   1,
                   false,
                   "folder: Не могу открыть файл: " + std::string(std::strerror(EISDIR)) +
                       " (это папка, а не файл)"},
        Invocation{"ForeignInput",
                   {"show", "@foreign.txt"},
                   1,
                   false,
                   "foreign.txt: Это файл не для программы TekoraCentre"},
        Invocation{"CutShortInput",
                   {"diff", "@factory.tk515", "@short.tk515"},
                   1,
                   false,
                   "short.tk515: Это файл не для программы TekoraCentre"},
        Invocation{"UnwritableOutput",
                   {"new", "@folder/none/x.tk515"},
                   1,
                   false,
                   "x.tk515: Не сохраняется: " + std::string(std::strerror(ENOENT)) +
                       " (нет такого файла или папки)"},
        Invocation{"FolderOutput",
                   {"new", "@folder"},
                   1,
                   false,
                   "folder: Не сохраняется: " + std::string(std::strerror(EISDIR)) +
                       " (это папка, а не файл)"},
        Invocation{"DamagedBinaryStartingWithBrace",
                   {"show", "@brace.tk515"},
                   1,
                   false,
                   "brace.tk515: Это файл не для программы TekoraCentre"},
        Invocation{"HostileArgument",
                   {"frob\x1b[2J\a"},
                   2,
                   false,
                   "неизвестная команда «frob\\u001b[2J\\u0007»"},
        // The link commands echo through the same escapes, and say why a port does not
        // open; the output is checked before the port is touched.
        Invocation{"HostilePortOfRead",
                   {"read", "--port", "@no\x1b[2Jport", "-o", "@out.tk515"},
                   1,
                   false,
                   "no\\u001b[2Jport: No such file or directory. Такого порта нет: проверьте "
                   "имя порта и подключение кабеля или адаптера."},
        Invocation{"HostileOptionOfWrite",
                   {"write", "--port", "p", "@factory.tk515", "--x\x1b]0;"},
                   2,
                   false,
                   "неизвестный параметр «--x\\u001b]0;»"},
        Invocation{"PortBusyOfRead",
                   {"read", "--port", "/dev/null", "-o", "@out.tk515"},
                   1,
                   false,
                   "tk515: Порт занят (error): /dev/null: Inappropriate ioctl for device. Порт "
                   "не открывается как последовательный порт."},
        Invocation{"ReadIntoAMissingFolder",
                   {"read", "--port", "@nothing", "-o", "@folder/none/x.tk515"},
                   1,
                   false,
                   "x.tk515: Не сохраняется: " + std::string(std::strerror(ENOENT)) +
                       " (нет такого файла или папки)"},
        Invocation{"RemoteReadIntoAFolder",
                   {"remote-read", "--port", "@nothing", "--tel", "123", "-o", "@folder"},
                   1,
                   false,
                   "folder: Не сохраняется: " + std::string(std::strerror(EISDIR)) +
                       " (это папка, а не файл)"},
        // The cable carries inputs 1..4 only: the write says so before it connects.
        Invocation{"CableWriteLeavesInputsAboveFourBehind",
                   {"write", "--port", "@nothing", "@expander.tk515", "--no-backup"},
                   1,
                   false,
                   "tk515: предупреждение: включены входы выше 4 (6, 13): по кабелю "
                   "записываются только входы 1–4, эти входы передаются только удаленной "
                   "записью (remote-write)\n"},
        Invocation{"RemoteWriteWithoutTelephone",
                   {"remote-write", "--port", "@nothing", "@factory.tk515"},
                   1,
                   false,
                   "factory.tk515: Не введен телефон модуля (в файле нет телефона передатчика; "
                   "укажите --tel НОМЕР)"}),
    byName);

// Each way of giving the output file writes the same bytes as "-o FILE".
TEST_F(ToolTest, EverySpellingOfTheOutputWritesTheSameFile) {
    const QString original = writeConfig("a.tk515", withBlocksAndCyrillicComments());
    ASSERT_EQ(run({"export", original, "-o", path("a.json")}).code, 0);
    struct Spelling {
        QString option;
        bool joined; // the value in the same argument: "--output=b.json", "-ob.json"
    };
    const Spelling spellings[] = {
        {"-o", false}, {"--output", false}, {"--output=", true}, {"-o", true}};
    for (const Spelling& s : spellings) {
        SCOPED_TRACE(s.option.toStdString() + (s.joined ? " joined" : ""));
        const QString json = path("b.json");
        const QString file = path("b.tk515");
        const auto given = [&s](const QString& value) {
            return s.joined ? QStringList{s.option + value} : QStringList{s.option, value};
        };
        const QStringList exported = QStringList{"export", original} + given(json);
        const QStringList imported = QStringList{"import", path("a.json")} + given(file);
        ASSERT_EQ(run(exported).code, 0);
        EXPECT_EQ(test::readBytes(json), test::readBytes(path("a.json")));
        ASSERT_EQ(run(imported).code, 0);
        EXPECT_EQ(test::readBytes(file), test::readBytes(original));
        QFile::remove(json);
        QFile::remove(file);
    }
}

TEST_F(ToolTest, FullStandardOutputIsAFailure) {
    writeConfig("factory.tk515", test::factoryRecord());
    const Result r = run({"export", path("factory.tk515")}, "/dev/full");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("не удалось записать стандартный вывод"), std::string::npos) << r.err;
}

TEST_F(ToolTest, NewWritesTheFactoryFile) {
    const Result r = run({"new", path("n.tk515")});
    ASSERT_EQ(r.code, 0) << r.err;
    const Bytes file = test::readBytes(path("n.tk515"));
    EXPECT_EQ(file.size(), 944U);
    EXPECT_EQ(file, test::fileOf(test::factoryRecord()));
}

// ----------------------------------------------------------- outputs that are not files

TEST_F(ToolTest, DevicesAreWrittenIntoAndStayDevices) {
    writeConfig("factory.tk515", test::factoryRecord());
    for (const char* command : {"new", "export"}) {
        const QStringList args =
            QString::fromUtf8(command) == QStringLiteral("new")
                ? QStringList{"new", "/dev/null"}
                : QStringList{"export", path("factory.tk515"), "-o", "/dev/null"};
        const Result r = run(args);
        EXPECT_EQ(r.code, 0) << command << ": " << r.err;
        const Result full = run(QStringList(args).replaceInStrings("/dev/null", "/dev/full"));
        EXPECT_EQ(full.code, 1) << command;
        EXPECT_NE(full.err.find("/dev/full: Не сохраняется: " + std::string(std::strerror(ENOSPC)) +
                                " (на диске нет места)"),
                  std::string::npos)
            << full.err;
    }
    struct stat st {};
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(ToolTest, FifoIsWrittenIntoAndStaysAFifo) {
    const QString fifo = path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Bytes received;
    std::thread reader([&] { received = test::readBytes(fifo); });
    const Result r = run({"new", fifo});
    reader.join();
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(received, test::fileOf(test::factoryRecord()));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(ToolTest, FullDiskFailsAndKeepsTheOldFile) {
    const std::filesystem::path small = QFile::encodeName(path("small")).toStdString();
    test::SmallFileSystem fs(small, 64);
    if (!fs.mounted()) {
        GTEST_SKIP() << fs.why();
    }
    const QString good = path("small/good.tk515");
    ASSERT_EQ(run({"new", good}).code, 0);
    const Bytes before = test::readBytes(good);
    // A 12 KB configuration, more than is left.
    std::string comments;
    for (int i = 0; i < 200; ++i) {
        comments += std::string(i == 0 ? "" : ", ") + "\"" + std::string(60, 'c') + "\"";
    }
    test::writeText(path("big.json"), "{\"Comments\": [" + comments + "]}");
    fs.fill();
    for (const QStringList& args :
         {QStringList{"import", path("big.json"), "-o", good}, QStringList{"new", good}}) {
        const Result r = run(args);
        EXPECT_EQ(r.code, 1) << args.join(' ').toStdString();
        EXPECT_NE(r.err.find("good.tk515: Не сохраняется: " + std::string(std::strerror(ENOSPC)) +
                             " (на диске нет места)"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(test::readBytes(good), before);
    }
    EXPECT_EQ(QDir(path("small")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"filler", "good.tk515"}));
}

// ----------------------------------------------------------- hostile input

TEST_F(ToolTest, ShowEscapesControlsAndShortensLongLines) {
    Configuration c = test::factoryRecord();
    c.TxSerialNum = "\x1b[31mRED\x07";
    c.Comments = {"\x1b]0;title\x07", std::string(1000, 'z')};
    const Result r = run({"show", writeConfig("h.tk515", c)});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.out.find('\x07'), std::string::npos);
    EXPECT_NE(r.out.find("Серийный номер передатчика: \\u001b[31mRED\\u0007\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\\u001b]0;title\\u0007\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(std::string(200, 'z') + "… (всего знаков: 1000)\n"), std::string::npos);
}

TEST_F(ToolTest, RefusalsEscapeAndShortenWhatTheyEcho) {
    const std::string hugeKey = "\\u001b[2J" + std::string(1000000, 'k');
    test::writeText(path("in.json"), "{\"" + hugeKey + "\": 1, \"Apn\\n\": 2}");
    const Result r = run({"import", path("in.json"), "-o", path("out.tk515")});
    EXPECT_EQ(r.code, 1);
    EXPECT_LT(r.err.size(), 2000U);
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
    EXPECT_NE(r.err.find("in.json: \\u001b[2Jkkk"), std::string::npos) << r.err.substr(0, 300);
    EXPECT_NE(r.err.find("… (всего знаков: 1000004): неизвестный ключ\n"), std::string::npos);
    EXPECT_NE(r.err.find("in.json: Apn\\n: неизвестный ключ\n"), std::string::npos) << r.err;
}

TEST_F(ToolTest, AFloodOfRefusalsListsTheFirstFewAndTheCount) {
    std::string json = "{";
    for (int i = 0; i < 500; ++i) {
        json += std::string(i == 0 ? "" : ", ") + "\"Bogus" + std::to_string(1000 + i) + "\": 1";
    }
    test::writeText(path("in.json"), json + "}");
    const Result r = run({"import", path("in.json"), "-o", path("out.tk515")});
    EXPECT_EQ(r.code, 1);
    const std::vector<std::string> shown = lines(r.err);
    ASSERT_EQ(shown.size(), 11U) << r.err;
    EXPECT_EQ(shown[0], "tk515: " + spath("in.json") + ": Bogus1000: неизвестный ключ");
    EXPECT_EQ(shown[10], "tk515: " + spath("in.json") + ": всего отказов: 500, показаны первые 10");
    EXPECT_FALSE(QFile::exists(path("out.tk515")));
}

TEST_F(ToolTest, JsonWithAByteOrderMarkIsJsonWhateverItsName) {
    test::writeText(path("in.txt"), "\xEF\xBB\xBF\r\n {\"TimeOfInp\": 30}");
    const Result r = run({"import", path("in.txt"), "-o", path("out.tk515")});
    ASSERT_EQ(r.code, 0) << r.err;
    Configuration expected = test::factoryRecord();
    expected.TimeOfInp = 30;
    EXPECT_EQ(test::readBytes(path("out.tk515")), test::fileOf(expected));
}

// ----------------------------------------------------------- show

TEST_F(ToolTest, ShowOfTheFactoryFileHasTheWindowsLabels) {
    ASSERT_EQ(run({"new", path("n.tk515")}).code, 0);
    const Result r = run({"show", path("n.tk515")});
    ASSERT_EQ(r.code, 0) << r.err;
    std::vector<std::string> shown;
    for (const std::string& line : lines(r.out)) {
        shown.push_back(trimmed(line));
    }
    const char* const expected[] = {
        "Серийный номер передатчика: ",
        "Версия передатчика:   0.00",
        "Номер объекта: 1111",
        "Время входа: 20 сек.",
        "Время выхода: 20 сек.",
        "Время звучания сирены: 1 мин. 0 сек.",
        "Подтверждение о постановке: да",
        "Постановка с открытой дверью: да",
        "Условие ИЛИ для отчета CID DialUP: да",
        "Тональный набор: да",
        "Звуковое подтверждение о неготовности зон: нет",
        "Количество попыток дозвона: 5",
        "Свингер: 5",
        "1: —",
        "6: —",
        "Вход № 1",
        "Тип зоны: вход/выход",
        "Тип зоны: проходная",
        "Тип зоны: периметр",
        "Тип зоны: постановка/снятие",
        "Контакты входа: шлейфовый резистор",
        "Контакты входа: постановка/снятие импульсом 0.5 сек",
        "Раздел: 1",
        "Номер объекта: 1111",
        "Код события: 130",
        "Номер входа: 004",
        "Номер раздела: 01",
        "Активированные входы 5–64: нет",
        "Периодический тест: Период: 1 час. 0 мин.",
        "Период отправки GPRS: 1 мин. 0 сек.",
        "Комментарии:",
    };
    for (const char* line : expected) {
        EXPECT_NE(std::find(shown.begin(), shown.end(), line), shown.end()) << line;
    }
}

TEST_F(ToolTest, ShowOfAConfiguredFile) {
    Configuration c = withBlocksAndCyrillicComments();
    c.TelNum[0] = "+79001234567";
    c.Inputs[5].Flags |= 1;
    c.Inputs[2].AlarmMask = 0x0C;
    const Result r = run({"show", writeConfig("c.tk515", c)});
    ASSERT_EQ(r.code, 0) << r.err;
    std::vector<std::string> shown;
    for (const std::string& line : lines(r.out)) {
        shown.push_back(trimmed(line));
    }
    for (const char* line :
         {"1: +79001234567", "2: —", "Активированные входы 5–64: 5, 13", "Склад №2, ул. Лесная",
          "ключи — у охраны", "Серийный номер передатчика: Зав. №15", "Alarm: 3, 4", "Вход № 5",
          "Вход № 13", "Вкл.: да", "Тип контактов: шлейфовый резистор"}) {
        EXPECT_NE(std::find(shown.begin(), shown.end(), line), shown.end()) << line;
    }
    // Inputs above 4 that are not activated are not shown.
    EXPECT_EQ(std::find(shown.begin(), shown.end(), "Вход № 6"), shown.end());
}

// ----------------------------------------------------------- diff

TEST_F(ToolTest, DiffOfEqualFilesSaysNothing) {
    const Result r = run({"diff", writeConfig("a.tk515", test::everyFieldSet()),
                          writeConfig("b.tk515", test::everyFieldSet())});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST_F(ToolTest, DiffNamesEachDifferingField) {
    Configuration b = test::factoryRecord();
    b.TimeOfInp = 30;
    b.TelNum[1] = "123";
    const Result r =
        run({"diff", writeConfig("a.tk515", test::factoryRecord()), writeConfig("b.tk515", b)});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out, "TimeOfInp 20 30\nTelNum[1] \"\" \"123\"\n");
}

// Two known files: each difference by the window's panel and caption, in the order of
// the tree; fields no panel shows under their record name.
TEST_F(ToolTest, DiffWithLabelsGivesThePanelsAndCaptions) {
    Configuration a = test::factoryRecord();
    a.TxSerialNum = "SN-1";
    Configuration b = a;
    b.TxSerialNum = cp1251("Зав. №15");
    b.TimeOfInp = 30;
    b.Options &= ~OptArmConfirm;
    b.TelNum[0] = "+79001234567";
    b.Inputs[3].AlarmMask = 0x0C;
    b.Partitions[1].DialUpMask = 0x03;
    b.NumOfAttemptsCallMain = 7;
    b.Inputs[2].ZoneType = ZonePerimeter;
    b.Inputs[2].EvCode = {0x01, 0x34};
    b.Inputs[7].Flags |= 1;
    b.PerTestHours = 12;
    b.Apn = "internet";
    const Result r =
        run({"diff", "--labels", writeConfig("a.tk515", a), writeConfig("b.tk515", b)});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out, "Общие — Серийный номер передатчика: SN-1 → Зав. №15\n"
                     "Постановка/Снятие — Время входа, сек.: 20 → 30\n"
                     "Постановка/Снятие — Подтверждение о постановке: да → нет\n"
                     "Телефоны — Телефон 1: — → +79001234567\n"
                     "Телефоны / Входа 3 — ALARM: — → 3, 4\n"
                     "Телефоны / Раздела 2 — DialUp: — → 1, 2\n"
                     "Разное — Количество попыток дозвона: 5 → 7\n"
                     "Вход 2 — Тип зоны: проходная → периметр\n"
                     "Вход 2 — Код события: 130 → 134\n"
                     "Входы 5–64 — Вход 7, Вкл.: нет → да\n"
                     "Периодический тест — Период, час.: 1 → 12\n"
                     "Не показывается в окне — Apn: — → internet\n");
    EXPECT_EQ(run({"diff", "--labels", writeConfig("c.tk515", a), writeConfig("d.tk515", a)}).out,
              "");
}

// ----------------------------------------------------------- backups

// The store's copies as tk515 backups lists them: newest first, unreadable files marked.
TEST_F(ToolTest, BackupsListsTheCopiesNewestFirst) {
    const QString root = path("store");
    storeBackupFolder(root);
    const QDateTime when(QDate(2026, 12, 8), QTime(17, 42, 5));
    Configuration read = test::factoryRecord();
    read.TxSerialNum = "SN-7";
    AddReadComment(read, ReadOrigin{BackupKind::Read, false, "/dev/ttyUSB0", when});
    ASSERT_TRUE(KeepBackup(root, read, when).ok());
    Configuration before = test::factoryRecord();
    before.TxTlfNum = "+79161234567";
    AddReadComment(before,
                   ReadOrigin{BackupKind::BeforeWrite, true, "+79161234567", when.addSecs(60)});
    ASSERT_TRUE(KeepBackup(root, before, when.addSecs(60)).ok());
    test::writeText(root + "/SN-7/2026-01-01_00-00-00.tk515", "not a configuration");

    const Result r = run({"backups"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Папка резервных копий: " + root.toStdString() + "\n" +
                  "2026-12-08 17:43:05  +79161234567  перед записью, телефон +79161234567  " +
                  root.toStdString() + "/+79161234567/2026-12-08_17-43-05.tk515\n" +
                  "2026-12-08 17:42:05  SN-7  чтение, порт /dev/ttyUSB0  " + root.toStdString() +
                  "/SN-7/2026-12-08_17-42-05.tk515\n" +
                  "2026-01-01 00:00:00  SN-7  не читается (повреждён или не файл "
                  "конфигурации)  " +
                  root.toStdString() + "/SN-7/2026-01-01_00-00-00.tk515\n");
    const Result j = run({"backups", "--json"});
    ASSERT_EQ(j.code, 0) << j.err;
    const QJsonObject doc = test::parseObject(j.out);
    EXPECT_EQ(doc["folder"].toString(), root);
    const QJsonArray list = doc["backups"].toArray();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].toObject()["kind"].toString(), "before-write");
    EXPECT_EQ(list[0].toObject()["telephone"].toString(), "+79161234567");
    EXPECT_EQ(list[0].toObject()["time"].toString(), "2026-12-08T17:43:05");
    EXPECT_EQ(list[1].toObject()["kind"].toString(), "read");
    EXPECT_EQ(list[1].toObject()["port"].toString(), "/dev/ttyUSB0");
    EXPECT_EQ(list[1].toObject()["transmitter"].toString(), "SN-7");
    EXPECT_TRUE(list[2].toObject()["unreadable"].toBool());
    EXPECT_FALSE(list[2].toObject().contains("kind"));
}

// ----------------------------------------------------------- report

// What a program of poppler-utils prints about a PDF file.
std::string poppler(const char* program, const QStringList& args) {
    QProcess p;
    p.start(QString::fromLatin1(program), args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        ADD_FAILURE() << program << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).toStdString();
}

// The sheet of a factory file and of one with comments and two inputs above 4 switched
// on: its A4 pages, each with the header and its number, and the window's labels.
TEST_F(ToolTest, ReportSheetHasItsPagesAndTheLabels) {
    Configuration site = test::factoryRecord();
    site.TxSerialNum = cp1251("Зав. №15");
    site.TxTlfNum = "+79161234567";
    site.Comments = {cp1251("Склад №2, ул. Лесная"), cp1251("ключи — у охраны")};
    site.TimeOfInp = 45;
    site.Inputs[5].Flags |= 1;
    site.Inputs[8].Flags |= 1;
    struct Case {
        Configuration cfg;
        const char* pages;
        std::vector<std::string> holds;
        std::vector<std::string> lacks;
    };
    const Case cases[] = {
        {test::factoryRecord(),
         "3",
         {"Лист конфигурации передатчика TK 515 Pro", "Файл", "Постановка/Снятие",
          "Время входа, сек.", "Подтверждение о постановке", "Телефоны / Раздела 4",
          "Условие ИЛИ для отчета CID DialUP", "Вход 4", "Параметры CID DialUp отчета",
          "Период, час.", "Страница 1 из 3", "Страница 3 из 3"},
         {"Вход 5", "Не показывается в окне", "Inputs["}},
        {site,
         "4",
         {"Зав. №15", "+79161234567", "Склад №2, ул. Лесная", "ключи — у охраны", "45", "Вход 5",
          "Вход 8", "Входы 5–64", "Тревожные звонки", "SMS восстановления", "Страница 4 из 4"},
         {"Вход 6", "Телефоны / Входа 5", "Страница 5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pages);
        const QString file = writeConfig("site.tk515", c.cfg);
        const Result r = run({"report", file, "-o", path("sheet.pdf")});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.out.find("Лист конфигурации: "), std::string::npos);
        const std::string info = poppler("pdfinfo", {path("sheet.pdf")});
        EXPECT_NE(info.find("Pages:           " + std::string(c.pages) + "\n"), std::string::npos)
            << info;
        EXPECT_NE(info.find("Page size:       595 x 842 pts (A4)"), std::string::npos) << info;
        const std::string text = poppler("pdftotext", {"-layout", path("sheet.pdf"), "-"});
        for (const std::string& s : c.holds) {
            EXPECT_NE(text.find(s), std::string::npos) << s;
        }
        for (const std::string& s : c.lacks) {
            EXPECT_EQ(text.find(s), std::string::npos) << s;
        }
        // Every page has the header with the file's name.
        std::size_t headers = 0;
        for (std::size_t at = 0;
             (at = text.find("TK 515 Pro — site.tk515", at)) != std::string::npos; ++at) {
            ++headers;
        }
        EXPECT_EQ(std::to_string(headers), c.pages);
    }
    // The same sheet as HTML; a name that is neither is refused.
    const QString file = writeConfig("site.tk515", site);
    ASSERT_EQ(run({"report", file, "-o", path("sheet.html")}).code, 0);
    const Bytes page = test::readBytes(path("sheet.html"));
    const QString html = QString::fromUtf8(QByteArray(reinterpret_cast<const char*>(page.data()),
                                                      static_cast<qsizetype>(page.size())));
    EXPECT_TRUE(html.contains("Время входа, сек."));
    EXPECT_TRUE(html.contains("Склад №2, ул. Лесная"));
    const Result wrong = run({"report", file, "-o", path("sheet.txt")});
    EXPECT_EQ(wrong.code, 2);
    EXPECT_NE(wrong.err.find("лист сохраняется в файл .pdf или .html"), std::string::npos);
    EXPECT_FALSE(QFile::exists(path("sheet.txt")));
}

TEST_F(ToolTest, DiffTakesJsonFiles) {
    std::string inputs;
    for (int n = 0; n <= kInputCount; ++n) {
        inputs += std::string(n == 0 ? "" : ", ") + (n == 5 ? R"({"Flags": 33})" : "{}");
    }
    test::writeText(path("b.json"), R"({"Inputs": [)" + inputs + R"(], "Comments": ["Новый"]})");
    const Result r = run({"diff", writeConfig("a.tk515", test::factoryRecord()), path("b.json")});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out,
              "TxVersion \"0.00\" \"\"\nComments[0] null \"Новый\"\nInputs[5].Flags 32 33\n");
}

} // namespace
} // namespace tk
