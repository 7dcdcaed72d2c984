#include "cli/link_run.h"

#include "cli/record_io.h"
#include "cli/terminal.h"
#include "cli/tool.h"
#include "image/image.h"
#include "link/transfer.h"

#include <QDir>

namespace tk::cli {
namespace {

std::atomic<bool> interruptedFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    interruptedFlag.store(true);
}

} // namespace

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

LinkRun::LinkRun(const Arguments& a, std::ostream& out, std::ostream& err)
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
    if (backups()) {
        // Old copies go first; a copy that cannot be removed only says so.
        backupRoot_ = BackupFolder();
        const PruneResult pruned = PruneBackups(backupRoot_, QDateTime::currentDateTime());
        for (const QString& error : pruned.errors) {
            failed("резервная копия не удалена: " + TerminalText(error.toStdString(), kPathChars));
        }
    }
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
    return Failed(err_, message);
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

int LinkRun::verify(std::span<const std::uint8_t> written, std::span<const std::uint8_t> back) {
    const link::WriteCheck check = link::CheckWritten(written, back);
    if (!check.ok) {
        return failed(check.text);
    }
    out_ << check.text << '\n';
    return ExitOk;
}

bool LinkRun::keepRead(Configuration& cfg, BackupKind kind, const std::string& telephone) {
    if (!backups()) {
        return true;
    }
    const BackupResult kept =
        KeepRead(backupRoot_, cfg,
                 {kind,
                  !telephone.empty(),
                  QString::fromStdString(telephone.empty() ? *args_.port : telephone),
                  {}});
    if (!kept.ok()) {
        failed("резервная копия не сохранена в " +
               TerminalText(QDir::toNativeSeparators(backupRoot_).toStdString(), kPathChars) +
               ": " + TerminalText(kept.error.toStdString(), kPathChars));
        return false;
    }
    out_ << "Резервная копия (" << BackupKindText(kind).toStdString()
         << "): " << TerminalText(QDir::toNativeSeparators(kept.path).toStdString(), kPathChars)
         << '\n';
    return true;
}

int LinkRun::save(Configuration& cfg, const std::string& success) {
    const std::string error = SaveRecord(cfg, *args_.output);
    if (!error.empty()) {
        return failed(error);
    }
    out_ << success << '\n';
    return ExitOk;
}

} // namespace tk::cli
