// What the link commands of tk515 (read, write, remote-read, remote-write) share:
// their options, the signals they take, the line with its trace, and the texts they
// print. Everything echoed from the command line goes through TerminalText.
#pragma once

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
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tk::cli {

// The options one link command takes besides --port, --pause, --quick, --trace and
// --help.
struct LinkOptions {
    std::size_t files = 0;          // file arguments it needs
    bool output = false;            // -o ФАЙЛ, required
    bool telephone = false;         // --tel НОМЕР
    bool telephoneRequired = false; // ... and it is required
    bool verify = false;            // --verify
};

struct LinkArguments {
    std::string command;
    std::vector<std::string> files;
    std::optional<std::string> port;
    std::optional<std::string> tel;
    std::optional<std::string> output;
    std::optional<std::string> trace;
    unsigned pause = link::kDefaultTxPause;
    bool quick = false; // the quick exchange, for the command and its --verify
    bool verify = false;
    bool help = false;
};

// Parses args (args[0] is the command's name); returns the message of a wrong command
// line (arguments in it escaped), or "" when the line is right.
std::string ParseLinkArguments(const std::vector<std::string>& args, const LinkOptions& takes,
                               LinkArguments& a);

// The reason given when the line vanished under a session (the adapter pulled).
inline constexpr const char* kLineLostText = "линия пропала (порт закрыт)";

// Two upper-case hexadecimal digits (block numbers in messages).
std::string Hex2(int value);

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
    LinkRun(const LinkArguments& a, std::ostream& out, std::ostream& err);

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

    // Writes the record to the output file; the success text goes to stdout only once
    // the file is written.
    int save(Configuration& cfg, const std::string& success);

    link::SerialLine& line() { return *line_; }
    link::Clock& clock() { return clock_; }
    const link::LinkParams& params() const { return params_; }
    const link::Reporter& reporter() const { return reporter_; }
    const std::atomic<bool>& cancel() const { return SignalGuard::interrupted(); }
    std::ostream& out() { return out_; }

private:
    const LinkArguments& args_;
    std::ostream& out_;
    std::ostream& err_;
    SignalGuard signals_;
    link::LinkParams params_;
    std::string port_; // the port's name as printed
    link::Reporter reporter_;
    link::SystemClock clock_;
    link::QSerialLine serial_;
    std::ofstream traceFile_;
    std::unique_ptr<link::TracingLine> tracing_;
    link::SerialLine* line_ = &serial_;
};

} // namespace tk::cli
