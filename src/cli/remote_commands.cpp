#include "cli/remote_commands.h"

#include "cli/record_io.h"
#include "cli/terminal.h"
#include "cli/tool.h"
#include "files/format.h"
#include "image/image.h"
#include "link/exchange.h"
#include "link/modem_session.h"
#include "link/qserialline.h"
#include "link/trace.h"
#include "model/cp1251.h"

#include <QCoreApplication>

#include <atomic>
#include <csignal>
#include <fstream>
#include <memory>
#include <optional>

namespace tk::cli {
namespace {

constexpr const char* kProgram = "tk515: ";
constexpr std::size_t kTelephoneMax = 15; // what a configuration file holds

constexpr const char* kRemoteHelp =
    "\n"
    "Удалённая связь с передатчиком через GSM-модем на порту (звонок на SIM-карту\n"
    "передатчика, передаются и блоки расширения - входы 5-64):\n"
    "  remote-read --port ПОРТ --tel НОМЕР -o ФАЙЛ\n"
    "                            прочитать конфигурацию передатчика в ФАЙЛ\n"
    "  remote-write --port ПОРТ ФАЙЛ [--tel НОМЕР] [--verify]\n"
    "                            записать конфигурацию из ФАЙЛА в передатчик\n"
    "  (у обеих: --pause ДЕСЯТЫЕ_МС, --trace ЖУРНАЛ)\n";

constexpr const char* kReadUsage =
    "Использование: tk515 remote-read --port ПОРТ --tel НОМЕР -o ФАЙЛ\n"
    "                                 [--pause N] [--trace ЖУРНАЛ]\n";
constexpr const char* kWriteUsage =
    "Использование: tk515 remote-write --port ПОРТ ФАЙЛ [--tel НОМЕР] [--verify]\n"
    "                                  [--pause N] [--trace ЖУРНАЛ]\n";

constexpr const char* kReadHelp =
    "\nГотовит модем (\"ATE=0\", \"AT\", \"AT+CBST=71,0,1\"), проверяет регистрацию в сети,\n"
    "звонит на НОМЕР передатчика, читает его конфигурацию с блоками расширения, кладёт\n"
    "трубку и сохраняет конфигурацию в ФАЙЛ (заводские значения, поверх них прочитанное;\n"
    "телефон передатчика - НОМЕР).\n";
constexpr const char* kWriteHelp =
    "\nГотовит модем, звонит передатчику и записывает в него всю конфигурацию из ФАЙЛА\n"
    "(файл конфигурации или JSON) с блоками расширения, затем кладёт трубку. Номер\n"
    "берётся из --tel, а без него - телефон передатчика из ФАЙЛА. С --verify затем\n"
    "звонит снова, читает конфигурацию обратно и сравнивает все записанные блоки.\n";

constexpr const char* kOptionsHelp =
    "\n"
    "  --port ПОРТ      последовательный порт модема: /dev/ttyUSB0, путь псевдотерминала\n"
    "                   (например, напечатанный tk515-sim --modem), COM3 в Windows\n"
    "  --tel НОМЕР      телефон передатчика (SIM-карты в нём), до 15 знаков: цифры,\n"
    "                   +, *, #\n"
    "  --pause N        пауза перед каждым передаваемым байтом в десятых долях\n"
    "                   миллисекунды, 1..990 (по умолчанию 10, то есть 1 мс)\n"
    "  --trace ЖУРНАЛ   записать в ЖУРНАЛ каждый переданный и принятый байт со временем\n"
    "\n"
    "Слова состояния (Check modem, Checking GSMNet, Connecting, Reading03, Disconnect)\n"
    "выводятся в поток ошибок. Ctrl+C во время сеанса кладёт трубку и закрывает порт.\n"
    "Код завершения: 0 - успех, 1 - ошибка, 2 - неверная командная строка.\n";

struct RemoteArguments {
    std::string command;
    std::vector<std::string> files;
    std::optional<std::string> port;
    std::optional<std::string> tel;
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

// A number the tool accepts on its command line: what a file can hold and a modem dial.
std::string telephoneProblem(const std::string& tel) {
    if (tel.empty()) {
        return "телефон --tel пуст";
    }
    if (tel.size() > kTelephoneMax) {
        return "телефон --tel длиннее 15 знаков: «" + TerminalText(tel, kEchoedChars) + "»";
    }
    for (const char c : tel) {
        if (!((c >= '0' && c <= '9') || c == '+' || c == '*' || c == '#')) {
            return "в телефоне --tel допустимы цифры, +, * и #: «" +
                   TerminalText(tel, kEchoedChars) + "»";
        }
    }
    return {};
}

std::string parse(const std::vector<std::string>& args, RemoteArguments& a) {
    a.command = args.front();
    const bool reading = a.command == "remote-read";
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
        } else if (s == "--port") {
            error = value(a.port);
        } else if (s == "--tel") {
            error = value(a.tel);
        } else if (reading && (s == "-o" || s == "--output")) {
            error = value(a.output);
        } else if (s == "--trace") {
            error = value(a.trace);
        } else if (s == "--pause") {
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
                    return "пауза --pause должна быть числом от 1 до 990: «" +
                           TerminalText(*n, kEchoedChars) + "»";
                }
                a.pause = static_cast<unsigned>(v);
            }
        } else if (!reading && s == "--verify") {
            a.verify = true;
        } else if (!s.empty() && s[0] == '-' && s != "-") {
            return "неизвестный параметр «" + TerminalText(s, kEchoedChars) + "»";
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
    const std::size_t files = reading ? 0 : 1;
    if (a.files.size() != files) {
        return a.command + ": ожидается файлов: " + std::to_string(files) +
               ", указано: " + std::to_string(a.files.size());
    }
    if (!a.port) {
        return a.command + ": нужен параметр --port ПОРТ";
    }
    if (reading && !a.tel) {
        return "remote-read: нужен параметр --tel НОМЕР";
    }
    if (reading && !a.output) {
        return "remote-read: нужен параметр -o ФАЙЛ";
    }
    if (a.tel) {
        const std::string problem = telephoneProblem(*a.tel);
        if (!problem.empty()) {
            return problem;
        }
    }
    return {};
}

// Ctrl+C and SIGTERM during a session: the session hangs up and closes the port.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    interrupted.store(true);
}

class InterruptGuard {
public:
    InterruptGuard() {
        interrupted.store(false);
        struct sigaction sa {};
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &oldInt_);
        sigaction(SIGTERM, &sa, &oldTerm_);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
    ~InterruptGuard() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

class RemoteRun {
public:
    RemoteRun(const RemoteArguments& a, std::ostream& out, std::ostream& err)
        : args_(a), out_(out), err_(err) {
        params_.PortName = *a.port;
        params_.TxPause = a.pause;
        port_ = TerminalText(*a.port, kPathChars);
        reporter_.status = [this](const std::string& words) { err_ << words << '\n'; };
    }

    bool start() {
        line_ = &serial_;
        if (args_.trace) {
            traceFile_.open(*args_.trace, std::ios::out | std::ios::trunc);
            if (!traceFile_) {
                err_ << kProgram << TerminalText(*args_.trace, kPathChars)
                     << ": не удаётся открыть журнал\n";
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

    // The session's outcome in words; true when it succeeded.
    bool report(const link::RemoteResult& r) {
        if (r.ok) {
            out_ << r.message << '\n';
            return true;
        }
        if (r.cancelled) {
            failed(port_ + ": прервано" +
                   (r.hungUp ? ", трубка положена, порт закрыт" : ", порт закрыт"));
        } else if (!r.caption.empty()) {
            failed(port_ + ": " + r.caption + " (" + r.message +
                   (serial_.error().empty() ? "" : ": " + serial_.error()) + ")");
        } else if (!r.message.empty()) {
            std::string why = r.message;
            if (r.code == StatusTimeout) {
                why += " (нет ответа вовремя)";
            } else if (r.code == StatusBadReply && !r.portOpen && !serial_.error().empty()) {
                why += " (" + serial_.error() + ")";
            }
            failed(port_ + ": " + why);
        } else {
            failed(port_ + ": порт не настраивается" +
                   (serial_.error().empty() ? "" : " (" + serial_.error() + ")"));
        }
        return false;
    }

    std::optional<link::RemoteResult> read(const std::string& tel) {
        InterruptGuard guard;
        link::RemoteResult r =
            link::RemoteRead(*line_, clock_, params_, tel, interrupted, reporter_);
        if (!report(r)) {
            return std::nullopt;
        }
        return r;
    }

    int remoteRead() {
        const std::string tel = *args_.tel;
        const auto r = read(tel);
        if (!r) {
            return ExitFailed;
        }
        // As the window's remote read: a new configuration keeping the dialled number.
        Configuration cfg = FactoryRecord();
        cfg.TxTlfNum = tel;
        link::DecodeRemoteImage(cfg, r->image, r->blocks);
        std::vector<std::uint8_t> bytes;
        const FileWriteError refusal = wrfile(cfg, bytes);
        if (refusal != FileWriteError::None) {
            return failed(TerminalText(*args_.output, kPathChars) +
                          ": Не сохраняется: " + FileWriteErrorText(refusal));
        }
        const std::string error = SaveWhole(*args_.output, bytes);
        return error.empty() ? ExitOk : failed(error);
    }

    int remoteWrite(Configuration& cfg) {
        const std::string tel = args_.tel ? *args_.tel : cfg.TxTlfNum;
        if (tel.empty()) {
            return failed(TerminalText(args_.files[0], kPathChars) +
                          ": в файле нет телефона передатчика; укажите --tel НОМЕР");
        }
        if (!args_.tel && !link::DialableTelephone(tel)) {
            return failed(TerminalText(args_.files[0], kPathChars) + ": " +
                          link::kBadTelephoneText);
        }
        const std::vector<std::uint8_t> image = EncodeImage(cfg);
        const int blocks = static_cast<int>(image.size() / kTransferBlockSize);
        {
            InterruptGuard guard;
            const link::RemoteResult r =
                link::RemoteWrite(*line_, clock_, params_, tel, image, interrupted, reporter_);
            if (!report(r)) {
                return ExitFailed;
            }
        }
        if (!args_.verify) {
            return ExitOk;
        }
        const auto back = read(tel);
        if (!back) {
            return failed("проверка не выполнена: конфигурация не прочитана обратно");
        }
        if (back->blocks != blocks) {
            return failed("проверка: передатчик сообщил блоков: " + std::to_string(back->blocks) +
                          ", записано: " + std::to_string(blocks));
        }
        for (std::size_t at = 0; at < image.size(); ++at) {
            // The firmware version belongs to the transmitter, not to the file.
            if (at == kVersionMajorOffset || at == kVersionMinorOffset) {
                continue;
            }
            if (back->image[at] != image[at]) {
                return failed("проверка: блок " + hex2(static_cast<int>(at / kTransferBlockSize)) +
                              " прочитан не таким, каким записан (байт " + std::to_string(at) +
                              ")");
            }
        }
        out_ << "Проверка: записанные блоки 00-" << hex2(blocks - 1)
             << " прочитаны без различий.\n";
        return ExitOk;
    }

private:
    const RemoteArguments& args_;
    std::ostream& out_;
    std::ostream& err_;
    link::LinkParams params_;
    std::string port_; // the port's name as printed
    link::Reporter reporter_;
    link::SystemClock clock_;
    link::QSerialLine serial_;
    std::ofstream traceFile_;
    std::unique_ptr<link::TracingLine> tracing_;
    link::SerialLine* line_ = nullptr;
};

} // namespace

bool IsRemoteCommand(const std::string& name) {
    return name == "remote-read" || name == "remote-write";
}

const char* RemoteCommandsHelp() {
    return kRemoteHelp;
}

int RunRemoteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const bool reading = args.front() == "remote-read";
    const char* usage = reading ? kReadUsage : kWriteUsage;
    RemoteArguments a;
    const std::string error = parse(args, a);
    if (!error.empty()) {
        err << kProgram << error << '\n' << usage;
        return ExitUsage;
    }
    if (a.help) {
        out << usage << (reading ? kReadHelp : kWriteHelp) << kOptionsHelp;
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
    RemoteRun run(a, out, err);
    if (reading) {
        return run.start() ? run.remoteRead() : ExitFailed;
    }
    Loaded loaded = LoadRecord(a.files[0]);
    for (const std::string& e : loaded.errors) {
        err << kProgram << e << '\n';
    }
    if (!loaded.cfg) {
        return ExitFailed;
    }
    return run.start() ? run.remoteWrite(*loaded.cfg) : ExitFailed;
}

} // namespace tk::cli
