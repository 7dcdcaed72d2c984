#include "cli/command_line.h"

#include "cli/record_io.h"
#include "cli/terminal.h"

#include <exception>
#include <string_view>

namespace tk::cli {
namespace {

constexpr std::size_t kTelephoneMax = 15; // what a configuration file holds

enum class Option { Help, Output, Port, Tel, Trace, Pause, Quick, Verify, Labels, Json, NoBackup };

struct OptionName {
    std::string_view name;
    std::string_view alias; // "" none
    Option option;
    bool valued;
};

constexpr OptionName kOptions[] = {
    {"--help", "-h", Option::Help, false},        {"--output", "-o", Option::Output, true},
    {"--port", "", Option::Port, true},           {"--tel", "", Option::Tel, true},
    {"--trace", "", Option::Trace, true},         {"--pause", "", Option::Pause, true},
    {"--quick", "", Option::Quick, false},        {"--verify", "", Option::Verify, false},
    {"--labels", "", Option::Labels, false},      {"--json", "", Option::Json, false},
    {"--no-backup", "", Option::NoBackup, false},
};

bool taken(Option option, const Takes& takes) {
    switch (option) {
    case Option::Help:
        return true;
    case Option::Output:
        return takes.output;
    case Option::Port:
    case Option::Trace:
    case Option::Pause:
    case Option::Quick:
        return takes.link;
    case Option::Tel:
        return takes.telephone;
    case Option::Verify:
        return takes.verify;
    case Option::Labels:
        return takes.labels;
    case Option::Json:
        return takes.json;
    case Option::NoBackup:
        return takes.backup;
    }
    return false;
}

const OptionName* find(std::string_view name, const Takes& takes) {
    for (const OptionName& o : kOptions) {
        if ((name == o.name || (!o.alias.empty() && name == o.alias)) && taken(o.option, takes)) {
            return &o;
        }
    }
    return nullptr;
}

std::string echoed(std::string_view text) {
    return TerminalText(text, kEchoedChars);
}

// A number the tool accepts on its command line: what a file can hold and a modem dial.
std::string telephoneProblem(const std::string& tel) {
    if (tel.empty()) {
        return "телефон --tel пуст";
    }
    if (tel.size() > kTelephoneMax) {
        return "телефон --tel длиннее 15 знаков: «" + echoed(tel) + "»";
    }
    for (const char c : tel) {
        if (!((c >= '0' && c <= '9') || c == '+' || c == '*' || c == '#')) {
            return "в телефоне --tel допустимы цифры, +, * и #: «" + echoed(tel) + "»";
        }
    }
    return {};
}

// The value of --pause, or the message that refuses it.
std::string pauseValue(const std::string& n, unsigned& pause) {
    std::size_t used = 0;
    int v = 0;
    try {
        v = std::stoi(n, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != n.size() || v < 1 || v > 990) {
        return "пауза --pause должна быть числом от 1 до 990: «" + echoed(n) + "»";
    }
    pause = static_cast<unsigned>(v);
    return {};
}

// Where a valued option's value goes; --pause's text is kept to be checked as a number.
std::optional<std::string>* slotOf(Option option, Arguments& a, std::optional<std::string>& pause) {
    switch (option) {
    case Option::Pause:
        return &pause;
    case Option::Output:
        return &a.output;
    case Option::Port:
        return &a.port;
    case Option::Tel:
        return &a.tel;
    case Option::Trace:
        return &a.trace;
    default:
        return nullptr;
    }
}

// Takes the value that `written` (the option as typed: "--port", or "--port" of
// "--port=...") gives `o`.
std::string store(const OptionName& o, const std::string& written, std::string value, Arguments& a,
                  std::optional<std::string>& pause) {
    std::optional<std::string>* slot = slotOf(o.option, a, pause);
    if (slot == nullptr) {
        return {};
    }
    if (slot->has_value()) {
        return "параметр " + echoed(o.option == Option::Output ? o.alias : written) +
               " указан дважды";
    }
    if (value.empty()) {
        return o.option == Option::Output ? "пустое имя выходного файла"
                                          : "после " + echoed(written) + " нужно значение";
    }
    *slot = std::move(value);
    return o.option == Option::Pause ? pauseValue(**slot, a.pause) : std::string();
}

void setFlag(Option option, Arguments& a) {
    switch (option) {
    case Option::Help:
        a.help = true;
        break;
    case Option::Quick:
        a.quick = true;
        break;
    case Option::Verify:
        a.verify = true;
        break;
    case Option::Labels:
        a.labels = true;
        break;
    case Option::Json:
        a.json = true;
        break;
    case Option::NoBackup:
        a.noBackup = true;
        break;
    default:
        break;
    }
}

} // namespace

std::string ParseArguments(const std::vector<std::string>& args, const Takes& takes, Arguments& a) {
    a.command = args.front();
    bool optionsEnded = false;
    std::optional<std::string> pause;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (optionsEnded || s.empty() || s == "-" || s[0] != '-') {
            a.files.push_back(s);
            continue;
        }
        if (s == "--") {
            optionsEnded = true;
            continue;
        }
        // "--name=value", and -o with its value attached ("-oout.tk515").
        std::string name = s;
        std::optional<std::string> attached;
        if (const std::size_t eq = s.find('='); s.starts_with("--") && eq != std::string::npos) {
            name = s.substr(0, eq);
            attached = s.substr(eq + 1);
        } else if (s.starts_with("-o") && s.size() > 2) {
            name = "-o";
            attached = s.substr(2);
        }
        const OptionName* o = find(name, takes);
        if (o == nullptr) {
            return "неизвестный параметр «" + echoed(s) + "»";
        }
        std::string error;
        if (!o->valued) {
            if (attached) {
                return "параметр " + echoed(name) + " указывается без значения";
            }
            setFlag(o->option, a);
        } else if (attached) {
            error = store(*o, name, std::move(*attached), a, pause);
        } else if (i + 1 == args.size()) {
            return "после " + echoed(s) + " нужно " +
                   (o->option == Option::Output ? "имя файла" : "значение");
        } else {
            error = store(*o, s, args[++i], a, pause);
        }
        if (!error.empty()) {
            return error;
        }
    }
    if (a.help) {
        return {};
    }
    if (a.files.size() != takes.files) {
        if (takes.files == 0) {
            return "лишний параметр «" + echoed(a.files.front()) + "»";
        }
        return a.command + ": ожидается файлов: " + std::to_string(takes.files) +
               ", указано: " + std::to_string(a.files.size());
    }
    if (takes.link && !a.port) {
        return a.command + ": нужен параметр --port ПОРТ";
    }
    if (takes.telephoneRequired && !a.tel) {
        return a.command + ": нужен параметр --tel НОМЕР";
    }
    if (takes.outputRequired && !a.output) {
        return a.command + ": нужен параметр -o ФАЙЛ";
    }
    return a.tel ? telephoneProblem(*a.tel) : std::string();
}

int Failed(std::ostream& err, const std::string& message) {
    err << kMessagePrefix << message << '\n';
    return ExitFailed;
}

std::optional<Configuration> LoadOrSay(const std::string& path, std::ostream& err) {
    Loaded loaded = LoadRecord(path);
    for (const std::string& e : loaded.errors) {
        err << kMessagePrefix << e << '\n';
    }
    return std::move(loaded.cfg);
}

} // namespace tk::cli
