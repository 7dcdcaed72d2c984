// What the link commands of tk515 (read, write, remote-read, remote-write) share once
// their command line is parsed (cli/command_line.h): the signals they take, the line
// with its trace, and the texts they print. Everything echoed goes through
// TerminalText.
#pragma once

#include "cli/command_line.h"
#include "files/backups.h"
#include "link/clock.h"
#include "link/exchange.h"
#include "link/qserialline.h"
#include "link/session.h"
#include "link/trace.h"
#include "model/configuration.h"

#include <atomic>
#include <csignal>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <span>
#include <string>

namespace tk::cli {

// The reason given when the line vanished under a session (the adapter pulled).
inline constexpr const char* kLineLostText = "линия пропала (порт закрыт)";

// While it lives, SIGINT, SIGTERM and SIGHUP (a closed terminal) only set the flag
// that the sessions read, so a session in progress ends as its cancel says (hanging
// up a modem call), and SIGPIPE is ignored, so a closed pipe on stdout or stderr
// fails a write instead of ending the program mid-call. A signal ignored when the
// program started (nohup) stays ignored.
class SignalGuard {
public:
    SignalGuard();
    SignalGuard(const SignalGuard&) = delete;
    SignalGuard& operator=(const SignalGuard&) = delete;
    ~SignalGuard();

    static const std::atomic<bool>& interrupted();

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
    struct sigaction old_[std::size(kSignals)]{};
};

// One link command: its line (traced when asked), clock, parameters and messages.
class LinkRun {
public:
    LinkRun(const Arguments& a, std::ostream& out, std::ostream& err);

    // Before the port is touched: opens the trace and checks that the output file can
    // be written. False, with the message, when either cannot.
    bool start();

    // "tk515: " + message on stderr; ExitFailed.
    int failed(const std::string& message);

    // The message of a session that did not succeed: the port that did not open, with
    // the system's reason; "прервано" (`hungUp`: the call was hung up); otherwise `what`
    // after the port's name ("tk515: /dev/ttyUSB0: чтение не удалось: ..."). ExitFailed.
    int sessionFailed(const link::SessionResult& r, const std::string& what, bool hungUp = false);

    // The warning of a session, if any, on stderr.
    void warn(const link::SessionResult& r);

    // --verify: what was read back against what was written, byte for byte but for the
    // firmware version (the transmitter's, not the file's). The first block that differs
    // is named (ExitFailed); otherwise "Проверка: записанные блоки 00-NN прочитаны без
    // различий." goes to stdout. back holds at least written.size() bytes.
    int verify(std::span<const std::uint8_t> written, std::span<const std::uint8_t> back);

    // Writes the record to the output file; the success text goes to stdout only once
    // the file is written.
    int save(Configuration& cfg, const std::string& success);

    // Whether the command keeps backups (no --no-backup).
    bool backups() const { return !args_.noBackup; }
    // A configuration just read, unless --no-backup: its last comment line says what
    // was read, from where and when (this port, or the telephone dialled), and it is
    // kept in the backup store, so the copy and the output file are the same bytes.
    // True when it was kept (or no backup is kept); a failure is said on stderr, and the
    // caller decides whether it stops the command.
    bool keepRead(Configuration& cfg, BackupKind kind, const std::string& telephone = {});

    link::SerialLine& line() { return *line_; }
    link::Clock& clock() { return clock_; }
    const link::LinkParams& params() const { return params_; }
    const link::Reporter& reporter() const { return reporter_; }
    const std::atomic<bool>& cancel() const { return SignalGuard::interrupted(); }
    std::ostream& out() { return out_; }

private:
    const Arguments& args_;
    std::ostream& out_;
    std::ostream& err_;
    SignalGuard signals_;
    link::LinkParams params_;
    std::string port_; // the port's name as printed
    QString backupRoot_;
    link::Reporter reporter_;
    link::SystemClock clock_;
    link::QSerialLine serial_;
    std::ofstream traceFile_;
    std::unique_ptr<link::TracingLine> tracing_;
    link::SerialLine* line_ = &serial_;
};

} // namespace tk::cli
