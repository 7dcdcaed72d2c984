#include "cli/link_commands.h"

#include "cli/record_io.h"
#include "cli/tool.h"
#include "files/format.h"
#include "image/image.h"
#include "link/exchange.h"
#include "link/ports.h"
#include "link/qserialline.h"
#include "link/session.h"
#include "link/trace.h"

#include <QCoreApplication>

#include <fstream>
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
    "  (у read и write: --pause ДЕСЯТЫЕ_МС, --trace ЖУРНАЛ)\n";

constexpr const char* kPortsUsage = "Использование: tk515 ports\n";
constexpr const char* kReadUsage =
    "Использование: tk515 read --port ПОРТ -o ФАЙЛ [--pause N] [--trace ЖУРНАЛ]\n";
constexpr const char* kWriteUsage =
    "Использование: tk515 write --port ПОРТ ФАЙЛ [--verify] [--pause N] [--trace ЖУРНАЛ]\n";

constexpr const char* kLinkOptionsHelp =
    "\n"
    "  --port ПОРТ      последовательный порт: /dev/ttyUSB0, путь псевдотерминала\n"
    "                   (например, напечатанный tk515-sim), COM3 в Windows\n"
    "  --pause N        пауза перед каждым передаваемым байтом в десятых долях\n"
    "                   миллисекунды, 1..990 (по умолчанию 10, то есть 1 мс)\n"
    "  --trace ЖУРНАЛ   записать в ЖУРНАЛ каждый переданный и принятый байт со временем\n"
    "                   в миллисекундах, шестнадцатерично и буквами (для поддержки)\n"
    "\n"
    "Слова состояния связи (Connecting, Reading03, Error 3, ...) выводятся в поток\n"
    "ошибок. Код завершения: 0 - успех, 1 - ошибка, 2 - неверная командная строка.\n";

constexpr const char* kReadHelp =
    "\nУстанавливает связь с передатчиком (до 10 попыток), читает его конфигурацию,\n"
    "разрывает связь и сохраняет конфигурацию в ФАЙЛ (файл конфигурации).\n";
constexpr const char* kWriteHelp =
    "\nУстанавливает связь с передатчиком, записывает в него конфигурацию из ФАЙЛА\n"
    "(файл конфигурации или JSON) и разрывает связь. По кабелю передаются блоки 00-03\n"
    "(байты 0-511 образа). С --verify затем читает конфигурацию обратно и сравнивает\n"
    "записанные блоки; при различии называет первый несовпавший блок.\n";

struct LinkArguments {
    std::vector<std::string> files;
    std::optional<std::string> port;
    std::optional<std::string> output;
    std::optional<std::string> trace;
    unsigned pause = link::kDefaultTxPause;
    bool verify = false;
    bool help = false;
};

std::string hex2(int i) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[(i >> 4) & 15], digits[i & 15]};
}

// Parses the options after the command name; returns an error message or "".
std::string parse(const std::string& command, const std::vector<std::string>& args,
                  LinkArguments& a) {
    const bool link = command != "ports";
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& s = args[i];
        auto value = [&](std::optional<std::string>& into) -> std::string {
            if (i + 1 == args.size() || args[i + 1].empty()) {
                return "после " + s + " нужно значение";
            }
            if (into) {
                return "параметр " + s + " указан дважды";
            }
            into = args[++i];
            return {};
        };
        std::string error;
        if (s == "-h" || s == "--help") {
            a.help = true;
        } else if (link && s == "--port") {
            error = value(a.port);
        } else if (command == "read" && (s == "-o" || s == "--output")) {
            error = value(a.output);
        } else if (link && s == "--trace") {
            error = value(a.trace);
        } else if (link && s == "--pause") {
            std::optional<std::string> n;
            error = value(n);
            if (error.empty()) {
                std::size_t used = 0;
                int v = 0;
                try {
                    v = std::stoi(*n, &used);
                } catch (const std::exception&) {
                    used = 0;
                }
                if (used != n->size() || v < 1 || v > 990) {
                    return "пауза --pause должна быть числом от 1 до 990: «" + *n + "»";
                }
                a.pause = static_cast<unsigned>(v);
            }
        } else if (command == "write" && s == "--verify") {
            a.verify = true;
        } else if (!s.empty() && s[0] == '-' && s != "-") {
            return "неизвестный параметр «" + s + "»";
        } else {
            a.files.push_back(s);
        }
        if (!error.empty()) {
            return error;
        }
    }
    if (a.help) {
        return {};
    }
    const std::size_t files = command == "write" ? 1 : 0;
    if (a.files.size() != files) {
        return command + ": ожидается файлов: " + std::to_string(files) +
               ", указано: " + std::to_string(a.files.size());
    }
    if (link && !a.port) {
        return command + ": нужен параметр --port ПОРТ";
    }
    if (command == "read" && !a.output) {
        return "read: нужен параметр -o ФАЙЛ";
    }
    return {};
}

// The Russian reason for a failed exchange.
std::string reasonOf(const link::SessionResult& r) {
    switch (r.code) {
    case StatusTimeout:
        return "передатчик не ответил вовремя";
    case StatusBadReply:
        return r.portOpen ? "неверный ответ передатчика" : "линия пропала (порт закрыт)";
    case StatusNone:
        return "передатчик сообщил 0 блоков";
    default:
        return "ошибка " + std::to_string(static_cast<int>(r.code));
    }
}

class LinkRun {
public:
    LinkRun(const LinkArguments& a, std::ostream& out, std::ostream& err)
        : args_(a), out_(out), err_(err) {
        params_.PortName = *a.port;
        params_.TxPause = a.pause;
        reporter_.status = [this](const std::string& words) { err_ << words << '\n'; };
    }

    // Opens the trace when asked; false (with the message) when it cannot be written.
    bool start() {
        line_ = &serial_;
        if (args_.trace) {
            traceFile_.open(*args_.trace, std::ios::out | std::ios::trunc);
            if (!traceFile_) {
                err_ << kProgram << *args_.trace << ": не удаётся открыть журнал\n";
                return false;
            }
            tracing_ = std::make_unique<link::TracingLine>(serial_, clock_, traceFile_);
            line_ = tracing_.get();
        }
        return true;
    }

    int failed(const std::string& message) {
        err_ << kProgram << message << '\n';
        return ExitFailed;
    }

    // Connects; on failure reports why.
    bool connect() {
        std::atomic<bool> cancel{false};
        const link::SessionResult r =
            link::CableConnect(*line_, clock_, params_, cancel, reporter_);
        if (r.ok) {
            return true;
        }
        if (!r.caption.empty()) {
            failed(params_.PortName + ": " + r.caption + " (" + r.message +
                   (serial_.error().empty() ? "" : ": " + serial_.error()) + ")");
        } else {
            failed(params_.PortName + ": нет связи с передатчиком (No connect)");
        }
        return false;
    }

    void disconnect() {
        if (line_->isOpen()) {
            link::CableDisconnect(*line_, reporter_);
        }
    }

    // Connect, read, disconnect. The image on success.
    std::optional<std::vector<std::uint8_t>> readImage() {
        if (!connect()) {
            return std::nullopt;
        }
        const link::SessionResult r = link::CableRead(*line_, clock_, params_, reporter_);
        disconnect();
        if (!r.ok) {
            failed(params_.PortName + ": чтение не удалось: " + r.status + ", " + reasonOf(r));
            return std::nullopt;
        }
        out_ << r.message << '\n';
        return r.image;
    }

    int read() {
        const auto image = readImage();
        if (!image) {
            return ExitFailed;
        }
        // The cable read decodes the base image over a new configuration.
        Configuration cfg = FactoryRecord();
        redump(cfg, *image);
        std::vector<std::uint8_t> bytes;
        const FileWriteError refusal = wrfile(cfg, bytes);
        if (refusal != FileWriteError::None) {
            return failed(Shown(*args_.output) +
                          ": Не сохраняется: " + FileWriteErrorText(refusal));
        }
        const std::string error = SaveWhole(*args_.output, bytes);
        return error.empty() ? ExitOk : failed(error);
    }

    int write(const Configuration& cfg) {
        std::vector<std::uint8_t> image(kEncodeClearSize);
        image.resize(wrdump(cfg, image));
        if (!connect()) {
            return ExitFailed;
        }
        const link::SessionResult r = link::CableWrite(*line_, clock_, params_, image, reporter_);
        disconnect();
        if (!r.ok) {
            return failed(params_.PortName + ": " + r.message + " " + r.status + ", " +
                          reasonOf(r));
        }
        out_ << r.message << '\n';
        if (!args_.verify) {
            return ExitOk;
        }
        const auto back = readImage();
        if (!back) {
            return failed("проверка не выполнена: конфигурация не прочитана обратно");
        }
        for (int b = 0; b < link::kCableWriteBlocks; ++b) {
            for (std::size_t k = 0; k < kTransferBlockSize; ++k) {
                const std::size_t at = kTransferBlockSize * static_cast<std::size_t>(b) + k;
                // The firmware version belongs to the transmitter, not to the file.
                if (at == kVersionMajorOffset || at == kVersionMinorOffset) {
                    continue;
                }
                if ((*back)[at] != image[at]) {
                    return failed("проверка: блок " + hex2(b) +
                                  " прочитан не таким, каким записан (байт " + std::to_string(at) +
                                  ")");
                }
            }
        }
        out_ << "Проверка: записанные блоки 00-03 прочитаны без различий.\n";
        return ExitOk;
    }

private:
    const LinkArguments& args_;
    std::ostream& out_;
    std::ostream& err_;
    link::LinkParams params_;
    link::Reporter reporter_;
    link::SystemClock clock_;
    link::QSerialLine serial_;
    std::ofstream traceFile_;
    std::unique_ptr<link::TracingLine> tracing_;
    link::SerialLine* line_ = nullptr;
};

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
    const std::string error = parse(command, args, a);
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
    LinkRun run(a, out, err);
    if (command == "read") {
        return run.start() ? run.read() : ExitFailed;
    }
    Loaded loaded = LoadRecord(a.files[0]);
    for (const std::string& e : loaded.errors) {
        err << kProgram << e << '\n';
    }
    if (!loaded.cfg) {
        return ExitFailed;
    }
    return run.start() ? run.write(*loaded.cfg) : ExitFailed;
}

} // namespace tk::cli
