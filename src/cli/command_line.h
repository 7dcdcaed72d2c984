// The command line of tk515: the commands, the options they take, the one parser of
// every command's options, and how a command says what went wrong. Every command
// (new, show, export, import, diff, report, backups, ports, read, write, remote-read,
// remote-write) is
// a row of a table: its name, the options it takes, its usage and help, its runner.
#pragma once

#include "cli/tool.h"
#include "link/exchange.h"
#include "model/configuration.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace tk::cli {

// The program's name, and what each of its messages starts with.
inline constexpr const char* kProgramName = "tk515";
inline constexpr const char* kMessagePrefix = "tk515: ";

// What a command takes besides -h / --help. A valued option is written "--name VALUE"
// or "--name=VALUE" (-o also "-o VALUE" and "-oVALUE"); "--" ends the options.
struct Takes {
    std::size_t files = 0;       // file arguments, exactly this many
    bool output = false;         // -o ФАЙЛ, --output=ФАЙЛ
    bool outputRequired = false; // ... and it is required
    bool link = false;      // --port ПОРТ (required), --pause N, --quick, --trace ЖУРНАЛ
    bool telephone = false; // --tel НОМЕР
    bool telephoneRequired = false; // ... and it is required
    bool verify = false;            // --verify
    bool labels = false;            // --labels
    bool json = false;              // --json
    bool backup = false;            // --no-backup: the command keeps backups otherwise
};

// One command line, parsed.
struct Arguments {
    std::string command;
    std::vector<std::string> files;
    std::optional<std::string> output;
    std::optional<std::string> port;
    std::optional<std::string> tel;
    std::optional<std::string> trace;
    unsigned pause = link::kDefaultTxPause;
    bool quick = false; // the quick exchange, for the command and its --verify
    bool verify = false;
    bool labels = false;   // diff: the window's panels and captions
    bool json = false;     // backups: as JSON
    bool noBackup = false; // read and write commands: keep no backup
    bool help = false;
};

// Parses args (args[0] is the command's name) as `takes` allows; returns the message
// of a wrong command line (what it echoes escaped for the terminal), or "" when the
// line is right. With --help the rest is not checked.
std::string ParseArguments(const std::vector<std::string>& args, const Takes& takes, Arguments& a);

struct Command {
    const char* name;
    Takes takes;
    const char* usage;   // "Использование: tk515 ...", shown with a wrong command line
    const char* help;    // what --help adds after the usage
    const char* options; // ... and after that: the options explained ("" none)
    bool opensPorts;     // it opens serial ports, which want a core application
    int (*run)(const Arguments& a, std::ostream& out, std::ostream& err);
};

// "tk515: " + message on err; ExitFailed.
int Failed(std::ostream& err, const std::string& message);

// Loads a record from a configuration or JSON file, or says on err why it cannot.
std::optional<Configuration> LoadOrSay(const std::string& path, std::ostream& err);

// A group of commands, in the order the help lists them, and the lines the tool's help
// gives them.
struct CommandGroup {
    const char* help;
    std::span<const Command> commands;
};

// The configuration files (new, show, export, import, diff); its help opens the tool's.
CommandGroup FileCommands();
// The programming cable (ports, read, write).
CommandGroup LinkCommands();
// Through a GSM modem (remote-read, remote-write).
CommandGroup RemoteCommands();

} // namespace tk::cli
