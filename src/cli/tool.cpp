#include "cli/tool.h"

#include "cli/diff.h"
#include "cli/json_form.h"
#include "cli/link_commands.h"
#include "cli/record_io.h"
#include "cli/remote_commands.h"
#include "cli/summary.h"
#include "cli/terminal.h"
#include "files/format.h"
#include "tk/version.h"

#include <QJsonDocument>

#include <optional>

namespace tk::cli {
namespace {

constexpr const char* kProgram = "tk515: ";

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
    "  diff A B                  поля, которыми различаются две конфигурации\n"
    "\n"
    "Справка по команде: tk515 КОМАНДА --help\n"
    "Версия программы: tk515 --version\n"
    "Код завершения: 0 - успех, 1 - ошибка (у diff: конфигурации различаются),\n"
    "2 - неверная командная строка.\n";

// The options of one command line.
struct Arguments {
    std::vector<std::string> files;
    std::optional<std::string> output;
    bool help = false;
};

class Tool {
public:
    Tool(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int run(const std::vector<std::string>& args);

    int runNew(const Arguments& a);
    int runShow(const Arguments& a);
    int runExport(const Arguments& a);
    int runImport(const Arguments& a);
    int runDiff(const Arguments& a);

private:
    int usageError(const std::string& message, const char* usage) {
        err_ << kProgram << message << '\n' << usage;
        return ExitUsage;
    }
    int failed(const std::string& message) {
        err_ << kProgram << message << '\n';
        return ExitFailed;
    }
    // Loads a record, or reports why it cannot.
    std::optional<Configuration> load(const std::string& path) {
        Loaded loaded = LoadRecord(path);
        for (const std::string& e : loaded.errors) {
            err_ << kProgram << e << '\n';
        }
        return std::move(loaded.cfg);
    }
    int writeConfiguration(Configuration& cfg, const std::string& path);

    std::ostream& out_;
    std::ostream& err_;
};

struct Command {
    const char* name;
    int positionals;   // exact number of file arguments
    bool takesOutput;  // accepts -o FILE
    bool needsOutput;  // requires -o FILE
    const char* usage; // the first line of the help
    const char* help;  // the rest of the help
    int (Tool::*handler)(const Arguments&);
};

const Command kCommands[] = {
    {"new", 1, false, false, "Использование: tk515 new ФАЙЛ\n",
     "\nЗаписывает в ФАЙЛ конфигурацию в том виде, в каком её создаёт команда «Новый»:\n"
     "заводские значения, без комментариев.\n",
     &Tool::runNew},
    {"show", 1, false, false, "Использование: tk515 show ФАЙЛ\n",
     "\nПоказывает сводку для монтажника: номер объекта, задержки, опции, телефоны 1-6,\n"
     "входы 1-4, включённые входы выше 4, периодический тест, GPRS, серийный номер,\n"
     "телефон передатчика и комментарии. ФАЙЛ - файл конфигурации или файл JSON.\n",
     &Tool::runShow},
    {"export", 1, true, false, "Использование: tk515 export ФАЙЛ [-o ВЫХОД.json]\n",
     "\nВыводит все поля конфигурации в виде JSON (см. docs/json.md): в файл ВЫХОД.json\n"
     "или, без -o, на стандартный вывод. Поля, которых нет в файле, имеют заводские\n"
     "значения.\n",
     &Tool::runExport},
    {"import", 1, true, true, "Использование: tk515 import ВХОД.json -o ФАЙЛ\n",
     "\nБерёт конфигурацию с заводскими значениями, применяет к ней поля из ВХОД.json\n"
     "(можно указать не все поля) и записывает файл конфигурации ФАЙЛ. При любой ошибке\n"
     "в JSON называет ключ и причину, а ФАЙЛ не записывает.\n",
     &Tool::runImport},
    {"diff", 2, false, false, "Использование: tk515 diff A B\n",
     "\nСравнивает две конфигурации (файлы конфигурации или JSON) поле за полем и\n"
     "выводит по строке на каждое различие: поле, значение в A, значение в B.\n"
     "Код завершения: 0 - конфигурации совпадают, 1 - различаются или ошибка.\n",
     &Tool::runDiff},
};

const Command* findCommand(const std::string& name) {
    for (const Command& c : kCommands) {
        if (name == c.name) {
            return &c;
        }
    }
    return nullptr;
}

// Parses the arguments after the command name; returns an error message or "".
std::string parseArguments(const Command& cmd, const std::vector<std::string>& args,
                           Arguments& parsed) {
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::optional<std::string> output;
        if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
            parsed.files.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "-h" || a == "--help") {
            parsed.help = true;
        } else if (cmd.takesOutput && (a == "-o" || a == "--output")) {
            if (i + 1 == args.size()) {
                return "после " + a + " нужно имя файла";
            }
            output = args[++i];
        } else if (cmd.takesOutput && a.rfind("--output=", 0) == 0) {
            output = a.substr(9);
        } else if (cmd.takesOutput && a.rfind("-o", 0) == 0) {
            output = a.substr(2);
        } else {
            return "неизвестный параметр «" + TerminalText(a, kEchoedChars) + "»";
        }
        if (output) {
            if (parsed.output) {
                return "параметр -o указан дважды";
            }
            if (output->empty()) {
                return "пустое имя выходного файла";
            }
            parsed.output = std::move(output);
        }
    }
    if (parsed.help) {
        return {};
    }
    if (static_cast<int>(parsed.files.size()) != cmd.positionals) {
        return std::string(cmd.name) + ": ожидается файлов: " + std::to_string(cmd.positionals) +
               ", указано: " + std::to_string(parsed.files.size());
    }
    if (cmd.needsOutput && !parsed.output) {
        return std::string(cmd.name) + ": нужен параметр -o ФАЙЛ";
    }
    return {};
}

int Tool::run(const std::vector<std::string>& args) {
    if (args.empty()) {
        return usageError("не указана команда", kToolHelp);
    }
    const std::string& name = args.front();
    if (name == "-h" || name == "--help" || name == "help") {
        out_ << kToolHelp << LinkCommandsHelp() << RemoteCommandsHelp();
        return ExitOk;
    }
    if (name == "--version") {
        out_ << "tk515 " << kVersion << '\n';
        return ExitOk;
    }
    if (IsLinkCommand(name)) {
        return RunLinkCommand(args, out_, err_);
    }
    if (IsRemoteCommand(name)) {
        return RunRemoteCommand(args, out_, err_);
    }
    const Command* cmd = findCommand(name);
    if (cmd == nullptr) {
        return usageError("неизвестная команда «" + TerminalText(name, kEchoedChars) + "»",
                          kToolHelp);
    }
    Arguments parsed;
    const std::string error = parseArguments(*cmd, args, parsed);
    if (!error.empty()) {
        return usageError(error, cmd->usage);
    }
    if (parsed.help) {
        out_ << cmd->usage << cmd->help;
        return ExitOk;
    }
    return (this->*cmd->handler)(parsed);
}

int Tool::writeConfiguration(Configuration& cfg, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const FileWriteError refusal = wrfile(cfg, bytes);
    if (refusal != FileWriteError::None) {
        return failed(Shown(path) + ": Не сохраняется: " + FileWriteErrorText(refusal));
    }
    const std::string error = SaveWhole(path, bytes);
    return error.empty() ? ExitOk : failed(error);
}

int Tool::runNew(const Arguments& a) {
    Configuration cfg = FactoryRecord();
    return writeConfiguration(cfg, a.files[0]);
}

int Tool::runShow(const Arguments& a) {
    const auto cfg = load(a.files[0]);
    if (!cfg) {
        return ExitFailed;
    }
    out_ << Summary(*cfg);
    return ExitOk;
}

int Tool::runExport(const Arguments& a) {
    const auto cfg = load(a.files[0]);
    if (!cfg) {
        return ExitFailed;
    }
    const QByteArray json = QJsonDocument(ToJson(*cfg)).toJson(QJsonDocument::Indented);
    if (!a.output) {
        out_.write(json.constData(), json.size());
        return ExitOk;
    }
    const std::string error =
        SaveWhole(*a.output, std::span(reinterpret_cast<const std::uint8_t*>(json.constData()),
                                       static_cast<std::size_t>(json.size())));
    return error.empty() ? ExitOk : failed(error);
}

int Tool::runImport(const Arguments& a) {
    auto cfg = load(a.files[0]);
    if (!cfg) {
        return ExitFailed;
    }
    return writeConfiguration(*cfg, *a.output);
}

int Tool::runDiff(const Arguments& a) {
    const auto first = load(a.files[0]);
    const auto second = load(a.files[1]);
    if (!first || !second) {
        return ExitFailed;
    }
    const std::vector<std::string> lines = DiffLines(*first, *second);
    for (const std::string& line : lines) {
        out_ << line << '\n';
    }
    return lines.empty() ? ExitOk : ExitFailed;
}

} // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Tool tool(out, err);
    return tool.run(args);
}

} // namespace tk::cli
