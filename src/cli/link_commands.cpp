#include "cli/link_commands.h"

#include "cli/link_run.h"
#include "cli/record_io.h"
#include "cli/terminal.h"
#include "cli/tool.h"
#include "files/format.h"
#include "image/image.h"
#include "link/ports.h"

#include <QCoreApplication>

#include <memory>
#include <optional>

namespace tk::cli {
namespace {

constexpr const char* kProgram = "tk515: ";

constexpr const char* kLinkHelp =
    "\n"
    "Связь с передатчиком по кабелю программирования:\n"
    "  ports                     последовательные порты этого компьютера\n"
    "  read --port ПОРТ -o ФАЙЛ  прочитать конфигурацию передатчика в ФАЙЛ\n"
    "  write --port ПОРТ ФАЙЛ [--verify]\n"
    "                            записать конфигурацию из ФАЙЛА в передатчик\n"
    "  (у read и write: --pause ДЕСЯТЫЕ_МС, --quick, --trace ЖУРНАЛ)\n";

constexpr const char* kPortsUsage = "Использование: tk515 ports\n";
constexpr const char* kReadUsage =
    "Использование: tk515 read --port ПОРТ -o ФАЙЛ [--pause N] [--quick] [--trace ЖУРНАЛ]\n";
constexpr const char* kWriteUsage =
    "Использование: tk515 write --port ПОРТ ФАЙЛ [--verify] [--pause N] [--quick]\n"
    "                           [--trace ЖУРНАЛ]\n";

constexpr const char* kLinkOptionsHelp =
    "\n"
    "  --port ПОРТ      последовательный порт: /dev/ttyUSB0, путь псевдотерминала\n"
    "                   (например, напечатанный tk515-sim), COM3 в Windows\n"
    "  --pause N        пауза перед каждым передаваемым байтом в десятых долях\n"
    "                   миллисекунды, 1..990 (по умолчанию 10, то есть 1 мс)\n"
    "  --quick          быстрый обмен: ответ передатчика принимается, как только пришло\n"
    "                   его окончание, без полсекунды тишины после каждого ответа (чтение\n"
    "                   вдвое быстрее); байты и паузы перед командами те же. С передатчиком,\n"
    "                   с которым быстрый обмен еще не проверялся, сначала обычный обмен\n"
    "  --trace ЖУРНАЛ   записать в ЖУРНАЛ каждый переданный и принятый байт со временем\n"
    "                   в миллисекундах, шестнадцатерично и буквами (для поддержки)\n"
    "\n"
    "Слова состояния связи (Connecting, Reading03, Error 3, ...) выводятся в поток\n"
    "ошибок. Ctrl+C (а также SIGTERM и SIGHUP) прерывает передачу и закрывает порт.\n"
    "Код завершения: 0 - успех, 1 - ошибка, 2 - неверная командная строка.\n";

constexpr const char* kReadHelp =
    "\nУстанавливает связь с передатчиком (до 10 попыток), читает его конфигурацию,\n"
    "разрывает связь и сохраняет конфигурацию в ФАЙЛ (файл конфигурации).\n";
constexpr const char* kWriteHelp =
    "\nУстанавливает связь с передатчиком, записывает в него конфигурацию из ФАЙЛА\n"
    "(файл конфигурации или JSON) и разрывает связь. По кабелю передаются блоки 00-03\n"
    "(байты 0-511 образа). С --verify затем читает конфигурацию обратно и сравнивает\n"
    "записанные блоки; при различии называет первый несовпавший блок.\n";

// The Russian reason for a failed exchange.
std::string reasonOf(const link::SessionResult& r) {
    if (r.lineLost) {
        return kLineLostText;
    }
    switch (r.code) {
    case StatusTimeout:
        return "передатчик не ответил вовремя";
    case StatusBadReply:
        return "неверный ответ передатчика";
    case StatusNone:
        return "передатчик сообщил 0 блоков";
    default:
        return "ошибка " + std::to_string(static_cast<int>(r.code));
    }
}

class CableRun {
public:
    CableRun(const LinkArguments& a, std::ostream& out, std::ostream& err)
        : args_(a), run_(a, out, err) {}

    bool start() { return run_.start(); }

    // Connects; on failure reports why.
    bool connect() {
        // The connect loop stops at a signal before its next probe.
        const link::SessionResult r = link::CableConnect(run_.line(), run_.clock(), run_.params(),
                                                         run_.cancel(), run_.reporter());
        if (r.ok) {
            return true;
        }
        run_.sessionFailed(r, "нет связи с передатчиком (No connect)");
        return false;
    }

    void disconnect() {
        if (run_.line().isOpen()) {
            link::CableDisconnect(run_.line(), run_.reporter());
        }
    }

    // Connect, read, disconnect. The session's result when it succeeded.
    std::optional<link::SessionResult> readImage() {
        if (!connect()) {
            return std::nullopt;
        }
        link::SessionResult r = link::CableRead(run_.line(), run_.clock(), run_.params(),
                                                run_.cancel(), run_.reporter());
        disconnect();
        if (!r.ok) {
            run_.sessionFailed(r, "чтение не удалось: " + r.status + ", " + reasonOf(r));
            return std::nullopt;
        }
        return r;
    }

    int read() {
        const auto r = readImage();
        if (!r) {
            return ExitFailed;
        }
        // The cable read decodes the base image over a new configuration.
        Configuration cfg = FactoryRecord();
        redump(cfg, r->image);
        return run_.save(cfg, r->message);
    }

    int write(const Configuration& cfg) {
        std::vector<std::uint8_t> image(kEncodeClearSize);
        image.resize(wrdump(cfg, image));
        if (!connect()) {
            return ExitFailed;
        }
        const link::SessionResult r = link::CableWrite(run_.line(), run_.clock(), run_.params(),
                                                       image, run_.cancel(), run_.reporter());
        disconnect();
        if (!r.ok) {
            return run_.sessionFailed(r, r.message + " " + r.status + ", " + reasonOf(r));
        }
        run_.out() << r.message << '\n';
        if (!args_.verify) {
            return ExitOk;
        }
        const auto back = readImage();
        if (!back) {
            return run_.failed("проверка не выполнена: конфигурация не прочитана обратно");
        }
        run_.out() << back->message << '\n';
        for (int b = 0; b < link::kCableWriteBlocks; ++b) {
            for (std::size_t k = 0; k < kTransferBlockSize; ++k) {
                const std::size_t at = kTransferBlockSize * static_cast<std::size_t>(b) + k;
                // The firmware version belongs to the transmitter, not to the file.
                if (at == kVersionMajorOffset || at == kVersionMinorOffset) {
                    continue;
                }
                if (back->image[at] != image[at]) {
                    return run_.failed("проверка: блок " + Hex2(b) +
                                       " прочитан не таким, каким записан (байт " +
                                       std::to_string(at) + ")");
                }
            }
        }
        run_.out() << "Проверка: записанные блоки 00-03 прочитаны без различий.\n";
        return ExitOk;
    }

private:
    const LinkArguments& args_;
    LinkRun run_;
};

// "ports" takes no options but its help.
std::string portsArguments(const std::vector<std::string>& args, LinkArguments& a) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-h" || args[i] == "--help") {
            a.help = true;
        } else {
            return "лишний параметр «" + TerminalText(args[i], kEchoedChars) + "»";
        }
    }
    return {};
}

int runPorts(std::ostream& out, std::ostream& err) {
    const std::vector<link::PortInfo> ports = link::AvailablePorts();
    if (ports.empty()) {
        err << kProgram
            << "последовательных портов не найдено (псевдотерминал указывается путём)\n";
        return ExitOk;
    }
    for (const link::PortInfo& p : ports) {
        out << p.name;
        if (!p.description.empty()) {
            out << "  " << p.description;
        }
        if (!p.manufacturer.empty()) {
            out << " (" << p.manufacturer << ")";
        }
        out << '\n';
    }
    return ExitOk;
}

} // namespace

bool IsLinkCommand(const std::string& name) {
    return name == "ports" || name == "read" || name == "write";
}

const char* LinkCommandsHelp() {
    return kLinkHelp;
}

int RunLinkCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string& command = args.front();
    const char* usage = command == "ports"  ? kPortsUsage
                        : command == "read" ? kReadUsage
                                            : kWriteUsage;
    LinkArguments a;
    LinkOptions takes;
    takes.files = command == "write" ? 1 : 0;
    takes.output = command == "read";
    takes.verify = command == "write";
    const std::string error =
        command == "ports" ? portsArguments(args, a) : ParseLinkArguments(args, takes, a);
    if (!error.empty()) {
        err << kProgram << error << '\n' << usage;
        return ExitUsage;
    }
    if (a.help) {
        out << usage;
        if (command == "read") {
            out << kReadHelp << kLinkOptionsHelp;
        } else if (command == "write") {
            out << kWriteHelp << kLinkOptionsHelp;
        } else {
            out << "\nПеречисляет последовательные порты этого компьютера. Псевдотерминалы в\n"
                   "списке не видны: их путь указывается в --port как есть.\n";
        }
        return ExitOk;
    }
    // The serial port wants an application object.
    std::unique_ptr<QCoreApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "tk515";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    if (command == "ports") {
        return runPorts(out, err);
    }
    if (command == "read") {
        CableRun run(a, out, err);
        return run.start() ? run.read() : ExitFailed;
    }
    Loaded loaded = LoadRecord(a.files[0]);
    for (const std::string& e : loaded.errors) {
        err << kProgram << e << '\n';
    }
    if (!loaded.cfg) {
        return ExitFailed;
    }
    CableRun run(a, out, err);
    return run.start() ? run.write(*loaded.cfg) : ExitFailed;
}

} // namespace tk::cli
