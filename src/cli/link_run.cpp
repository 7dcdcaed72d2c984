#include "cli/link_run.h"

#include "cli/record_io.h"
#include "cli/terminal.h"
#include "cli/tool.h"
#include "files/format.h"

#include <exception>

namespace tk::cli {
namespace {

constexpr const char* kProgram = "tk515: ";
constexpr std::size_t kTelephoneMax = 15; // what a configuration file holds

std::atomic<bool> interruptedFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    interruptedFlag.store(true);
}

std::string echoed(const std::string& text) {
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

} // namespace

std::string Hex2(int value) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[(value >> 4) & 15], digits[value & 15]};
}

std::string ParseLinkArguments(const std::vector<std::string>& args, const LinkOptions& takes,
                               LinkArguments& a) {
    a.command = args.front();
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& s = args[i];
        auto value = [&](std::optional<std::string>& into) -> std::string {
            if (i + 1 == args.size() || args[i + 1].empty()) {
                return "после " + echoed(s) + " нужно значение";
            }
            if (into) {
                return "параметр " + echoed(s) + " указан дважды";
            }
            into = args[++i];
            return {};
        };
        std::string error;
        if (s == "-h" || s == "--help") {
            a.help = true;
        } else if (s == "--port") {
            error = value(a.port);
        } else if (takes.telephone && s == "--tel") {
            error = value(a.tel);
        } else if (takes.output && (s == "-o" || s == "--output")) {
            error = value(a.output);
        } else if (s == "--trace") {
            error = value(a.trace);
        } else if (s == "--pause") {
            std::optional<std::string> n;
            error = value(n);
            if (error.empty()) {
                error = pauseValue(*n, a.pause);
            }
        } else if (s == "--quick") {
            a.quick = true;
        } else if (takes.verify && s == "--verify") {
            a.verify = true;
        } else if (!s.empty() && s[0] == '-' && s != "-") {
            return "неизвестный параметр «" + echoed(s) + "»";
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
    if (a.files.size() != takes.files) {
        return a.command + ": ожидается файлов: " + std::to_string(takes.files) +
               ", указано: " + std::to_string(a.files.size());
    }
    if (!a.port) {
        return a.command + ": нужен параметр --port ПОРТ";
    }
    if (takes.telephoneRequired && !a.tel) {
        return a.command + ": нужен параметр --tel НОМЕР";
    }
    if (takes.output && !a.output) {
        return a.command + ": нужен параметр -o ФАЙЛ";
    }
    return a.tel ? telephoneProblem(*a.tel) : std::string();
}

SignalGuard::SignalGuard() {
    interruptedFlag.store(false);
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        // A signal ignored from the start stays ignored ("nohup tk515 remote-read ...").
        sigaction(kSignals[i], nullptr, &old_[i]);
        if (old_[i].sa_handler != SIG_IGN) {
            sigaction(kSignals[i], kSignals[i] == SIGPIPE ? &ignore : &sa, nullptr);
        }
    }
}

SignalGuard::~SignalGuard() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &old_[i], nullptr);
    }
}

const std::atomic<bool>& SignalGuard::interrupted() {
    return interruptedFlag;
}

LinkRun::LinkRun(const LinkArguments& a, std::ostream& out, std::ostream& err)
    : args_(a), out_(out), err_(err) {
    params_.PortName = *a.port;
    params_.TxPause = a.pause;
    params_.Quick = a.quick;
    port_ = TerminalText(*a.port, kPathChars);
    // A status word that cannot be written (a closed pipe, a closed terminal) is lost;
    // the session goes on to its end, hang-up included.
    reporter_.status = [this](const std::string& words) { err_ << words << '\n'; };
}

bool LinkRun::start() {
    if (args_.output) {
        const std::string problem = OutputProblem(*args_.output);
        if (!problem.empty()) {
            failed(problem);
            return false;
        }
    }
    if (args_.trace) {
        traceFile_.open(*args_.trace, std::ios::out | std::ios::trunc);
        if (!traceFile_) {
            failed(Shown(*args_.trace) + ": не удаётся открыть журнал");
            return false;
        }
        tracing_ = std::make_unique<link::TracingLine>(serial_, clock_, traceFile_);
        line_ = tracing_.get();
    }
    return true;
}

int LinkRun::failed(const std::string& message) {
    err_ << kProgram << message << '\n';
    return ExitFailed;
}

int LinkRun::sessionFailed(const link::SessionResult& r, const std::string& what, bool hungUp) {
    if (r.refusal.failure != link::OpenFailure::None) {
        const link::PortRefusal shown{r.refusal.failure,
                                      TerminalText(r.refusal.reason, kPathChars)};
        return failed(std::string(link::kPortBusyCaption) + " (" + link::kPortBusyText +
                      "): " + link::PortRefusalText(port_, shown));
    }
    if (r.cancelled) {
        return failed(port_ + ": прервано" +
                      (hungUp ? ", трубка положена, порт закрыт" : ", порт закрыт"));
    }
    return failed(port_ + ": " + what);
}

void LinkRun::warn(const link::SessionResult& r) {
    if (!r.warning.empty()) {
        failed(port_ + ": " + r.warning);
    }
}

int LinkRun::save(Configuration& cfg, const std::string& success) {
    std::vector<std::uint8_t> bytes;
    const FileWriteError refusal = wrfile(cfg, bytes);
    if (refusal != FileWriteError::None) {
        return failed(Shown(*args_.output) + ": Не сохраняется: " + FileWriteErrorText(refusal));
    }
    const std::string error = SaveWhole(*args_.output, bytes);
    if (!error.empty()) {
        return failed(error);
    }
    out_ << success << '\n';
    return ExitOk;
}

} // namespace tk::cli
