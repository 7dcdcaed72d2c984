#include "cli/tool.h"

#include "cli/command_line.h"
#include "cli/diff.h"
#include "cli/json_form.h"
#include "cli/record_io.h"
#include "cli/summary.h"
#include "cli/terminal.h"
#include "files/backups.h"
#include "model/field_table.h"
#include "sheet/sheet.h"
#include "tk/version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <memory>

namespace tk::cli {
namespace {

constexpr const char* kToolHelp =
    "Использование: tk515 КОМАНДА [ПАРАМЕТРЫ]\n"
    "\n"
    "Файлы конфигурации передатчика TK 515 Pro без окна программы.\n"
    "\n"
    "Команды:\n"
    "  new ФАЙЛ                  записать новую конфигурацию (заводские значения)\n"
    "  show ФАЙЛ                 показать сводку конфигурации\n"
    "  export ФАЙЛ [-o ВЫХОД]    все поля конфигурации в JSON (без -o: на стандартный вывод)\n"
    "  import ВХОД.json -o ФАЙЛ  записать конфигурацию из JSON поверх заводских значений\n"
    "  diff A B [--labels]       поля, которыми различаются две конфигурации\n"
    "  report ФАЙЛ -o ЛИСТ.pdf   лист конфигурации для печати (PDF или .html)\n"
    "  backups [--json]          резервные копии прочитанного из передатчиков\n"
    "\n"
    "Значение параметра пишется через пробел или через «=»: -o ФАЙЛ, --output=ФАЙЛ,\n"
    "--port=ПОРТ; «--» заканчивает параметры (дальше только файлы).\n"
    "Справка по команде: tk515 КОМАНДА --help\n"
    "Версия программы: tk515 --version\n"
    "Код завершения: 0 - успех, 1 - ошибка (у diff: конфигурации различаются),\n"
    "2 - неверная командная строка.\n";

int runNew(const Arguments& a, std::ostream&, std::ostream& err) {
    Configuration cfg = FactoryRecord();
    const std::string error = SaveRecord(cfg, a.files[0]);
    return error.empty() ? ExitOk : Failed(err, error);
}

int runShow(const Arguments& a, std::ostream& out, std::ostream& err) {
    const auto cfg = LoadOrSay(a.files[0], err);
    if (!cfg) {
        return ExitFailed;
    }
    out << Summary(*cfg);
    return ExitOk;
}

int runExport(const Arguments& a, std::ostream& out, std::ostream& err) {
    const auto cfg = LoadOrSay(a.files[0], err);
    if (!cfg) {
        return ExitFailed;
    }
    const QByteArray json = QJsonDocument(ToJson(*cfg)).toJson(QJsonDocument::Indented);
    if (!a.output) {
        out.write(json.constData(), json.size());
        return ExitOk;
    }
    const std::string error =
        SaveWhole(*a.output, std::span(reinterpret_cast<const std::uint8_t*>(json.constData()),
                                       static_cast<std::size_t>(json.size())));
    return error.empty() ? ExitOk : Failed(err, error);
}

int runImport(const Arguments& a, std::ostream&, std::ostream& err) {
    auto cfg = LoadOrSay(a.files[0], err);
    if (!cfg) {
        return ExitFailed;
    }
    const std::string error = SaveRecord(*cfg, *a.output);
    return error.empty() ? ExitOk : Failed(err, error);
}

int runDiff(const Arguments& a, std::ostream& out, std::ostream& err) {
    const auto first = LoadOrSay(a.files[0], err);
    const auto second = LoadOrSay(a.files[1], err);
    if (!first || !second) {
        return ExitFailed;
    }
    if (a.labels) {
        const std::vector<FieldDifference> rows = DiffFields(*first, *second);
        for (const FieldDifference& row : rows) {
            out << TerminalText(row.text(), kShownChars) << '\n';
        }
        return rows.empty() ? ExitOk : ExitFailed;
    }
    const std::vector<std::string> lines = DiffLines(*first, *second);
    for (const std::string& line : lines) {
        out << line << '\n';
    }
    return lines.empty() ? ExitOk : ExitFailed;
}

bool endsWith(const std::string& text, const std::string& tail) {
    QString t = QString::fromStdString(text);
    return t.endsWith(QString::fromStdString(tail), Qt::CaseInsensitive);
}

int runReport(const Arguments& a, std::ostream& out, std::ostream& err) {
    const bool asHtml = endsWith(*a.output, ".html") || endsWith(*a.output, ".htm");
    if (!asHtml && !endsWith(*a.output, ".pdf")) {
        Failed(err, Shown(*a.output) + ": лист сохраняется в файл .pdf или .html");
        return ExitUsage;
    }
    const auto cfg = LoadOrSay(a.files[0], err);
    if (!cfg) {
        return ExitFailed;
    }
    // Fonts and page layout want a graphical application; no display is needed.
    std::unique_ptr<QGuiApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 3;
        static std::string args[] = {kProgramName, "-platform", "offscreen"};
        static char* argv[] = {args[0].data(), args[1].data(), args[2].data(), nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return Failed(err, "лист конфигурации строится только в графическом приложении");
    }
    const SheetSource source{QFileInfo(QString::fromStdString(a.files[0])).fileName(),
                             QDateTime::currentDateTime()};
    const QByteArray bytes = asHtml ? SheetHtml(*cfg, source).toUtf8() : SheetPdf(*cfg, source);
    if (bytes.isEmpty()) {
        return Failed(err, Shown(*a.output) + ": лист не построен");
    }
    const std::string error =
        SaveWhole(*a.output, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                       static_cast<std::size_t>(bytes.size())));
    if (!error.empty()) {
        return Failed(err, error);
    }
    out << "Лист конфигурации: " << Shown(*a.output) << '\n';
    return ExitOk;
}

std::string shownPath(const QString& path) {
    return TerminalText(QDir::toNativeSeparators(path).toStdString(), kPathChars);
}

int runBackups(const Arguments& a, std::ostream& out, std::ostream&) {
    const QString root = BackupFolder();
    const std::vector<BackupEntry> entries = ListBackups(root);
    if (a.json) {
        QJsonArray list;
        for (const BackupEntry& e : entries) {
            QJsonObject o{{"transmitter", e.transmitter},
                          {"time", e.when.toString(Qt::ISODate)},
                          {"path", QDir::toNativeSeparators(e.path)},
                          {"unreadable", e.unreadable}};
            if (!e.unreadable) {
                o.insert("kind", e.kind == BackupKind::BeforeWrite ? "before-write" : "read");
                o.insert(e.remote ? "telephone" : "port", e.via);
            }
            list.append(o);
        }
        const QJsonObject doc{{"folder", QDir::toNativeSeparators(root)}, {"backups", list}};
        out << QJsonDocument(doc).toJson(QJsonDocument::Indented).toStdString();
        return ExitOk;
    }
    out << "Папка резервных копий: " << shownPath(root) << '\n';
    if (entries.empty()) {
        out << "резервных копий нет\n";
    }
    for (const BackupEntry& e : entries) {
        std::string what = e.unreadable ? "не читается (повреждён или не файл конфигурации)"
                                        : BackupKindText(e.kind).toStdString();
        if (!e.unreadable && !e.via.isEmpty()) {
            what += std::string(e.remote ? ", телефон " : ", порт ") + e.via.toStdString();
        }
        out << e.when.toString("yyyy-MM-dd HH:mm:ss").toStdString() << "  "
            << TerminalText(e.transmitter.toStdString(), kEchoedChars) << "  "
            << TerminalText(what, kPathChars) << "  " << shownPath(e.path) << '\n';
    }
    return ExitOk;
}

const Command kCommands[] = {
    {"new",
     {.files = 1},
     "Использование: tk515 new ФАЙЛ\n",
     "\nЗаписывает в ФАЙЛ конфигурацию в том виде, в каком её создаёт команда «Новый»:\n"
     "заводские значения, без комментариев.\n",
     "",
     false,
     runNew},
    {"show",
     {.files = 1},
     "Использование: tk515 show ФАЙЛ\n",
     "\nПоказывает сводку для монтажника: номер объекта, задержки, опции, телефоны 1-6,\n"
     "входы 1-4, включённые входы выше 4, периодический тест, GPRS, серийный номер,\n"
     "телефон передатчика и комментарии. ФАЙЛ - файл конфигурации или файл JSON.\n",
     "",
     false,
     runShow},
    {"export",
     {.files = 1, .output = true},
     "Использование: tk515 export ФАЙЛ [-o ВЫХОД.json]\n",
     "\nВыводит все поля конфигурации в виде JSON (см. docs/json.md): в файл ВЫХОД.json\n"
     "или, без -o, на стандартный вывод. Поля, которых нет в файле, имеют заводские\n"
     "значения.\n",
     "",
     false,
     runExport},
    {"import",
     {.files = 1, .output = true, .outputRequired = true},
     "Использование: tk515 import ВХОД.json -o ФАЙЛ\n",
     "\nБерёт конфигурацию с заводскими значениями, применяет к ней поля из ВХОД.json\n"
     "(можно указать не все поля) и записывает файл конфигурации ФАЙЛ. При любой ошибке\n"
     "в JSON называет ключ и причину, а ФАЙЛ не записывает.\n",
     "",
     false,
     runImport},
    {"diff",
     {.files = 2, .labels = true},
     "Использование: tk515 diff A B [--labels]\n",
     "\nСравнивает две конфигурации (файлы конфигурации или JSON) поле за полем и\n"
     "выводит по строке на каждое различие: поле, значение в A, значение в B.\n"
     "Код завершения: 0 - конфигурации совпадают, 1 - различаются или ошибка.\n",
     "\n"
     "  --labels   по панели и подписи, как их показывает окно программы:\n"
     "             «Постановка/Снятие — Время входа, сек.: 20 → 30»; поля, которых\n"
     "             окно не показывает, - под своим именем в записи\n",
     false,
     runDiff},
    {"report",
     {.files = 1, .output = true, .outputRequired = true},
     "Использование: tk515 report ФАЙЛ -o ЛИСТ.pdf|ЛИСТ.html\n",
     "\nСтроит лист конфигурации для заказчика: имя файла и дата, серийный номер,\n"
     "телефон передатчика, комментарии и все настройки по панелям окна с их\n"
     "подписями (входы выше 4 - если они включены); страницы A4 с заголовком и\n"
     "номерами. ЛИСТ.pdf - файл PDF, ЛИСТ.html - страница HTML. ФАЙЛ - файл\n"
     "конфигурации или файл JSON.\n",
     "",
     false,
     runReport},
    {"backups",
     {.json = true},
     "Использование: tk515 backups [--json]\n",
     "\nПеречисляет резервные копии, сохранённые командами read, remote-read, write и\n"
     "remote-write, от новых к старым: время, передатчик (серийный номер, иначе\n"
     "телефон, иначе unknown), чтение или \"перед записью\", порт или телефон, файл.\n"
     "Файл копии - обычный файл конфигурации: его можно открыть в окне программы или\n"
     "записать в передатчик (tk515 write --port ПОРТ ФАЙЛ). Папка копий - папка данных\n"
     "программы + backups (значение BackupFolder в настройках tkcnt/tkgps её меняет);\n"
     "копии старше 365 дней удаляются при чтении и записи, кроме последней копии\n"
     "каждого передатчика.\n",
     "\n"
     "  --json     список в JSON: папка и для каждой копии transmitter, time, kind\n"
     "             (read, before-write), port или telephone, path, unreadable\n",
     false,
     runBackups},
};

std::array<CommandGroup, 3> groups() {
    return {FileCommands(), LinkCommands(), RemoteCommands()};
}

const Command* findCommand(const std::string& name) {
    for (const CommandGroup& group : groups()) {
        for (const Command& c : group.commands) {
            if (name == c.name) {
                return &c;
            }
        }
    }
    return nullptr;
}

int usageError(std::ostream& err, const std::string& message, const char* usage) {
    err << kMessagePrefix << message << '\n' << usage;
    return ExitUsage;
}

} // namespace

CommandGroup FileCommands() {
    return {kToolHelp, kCommands};
}

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return usageError(err, "не указана команда", kToolHelp);
    }
    const std::string& name = args.front();
    if (name == "-h" || name == "--help" || name == "help") {
        for (const CommandGroup& group : groups()) {
            out << group.help;
        }
        return ExitOk;
    }
    if (name == "--version") {
        out << kProgramName << ' ' << kVersion << '\n';
        return ExitOk;
    }
    const Command* cmd = findCommand(name);
    if (cmd == nullptr) {
        return usageError(err, "неизвестная команда «" + TerminalText(name, kEchoedChars) + "»",
                          kToolHelp);
    }
    Arguments parsed;
    const std::string error = ParseArguments(args, cmd->takes, parsed);
    if (!error.empty()) {
        return usageError(err, error, cmd->usage);
    }
    if (parsed.help) {
        out << cmd->usage << cmd->help << cmd->options;
        return ExitOk;
    }
    // The serial ports want an application object.
    std::unique_ptr<QCoreApplication> app;
    if (cmd->opensPorts && QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static std::string program = kProgramName;
        static char* argv[] = {program.data(), nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return cmd->run(parsed, out, err);
}

} // namespace tk::cli
