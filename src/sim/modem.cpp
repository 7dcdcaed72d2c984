#include "sim/modem.h"

#include <algorithm>
#include <cctype>

namespace tk::sim {
namespace {

constexpr std::size_t kMaxCommandLine = 80;

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

void add(Answer& to, Answer&& more) {
    for (Bytes& r : more.replies) {
        to.replies.push_back(std::move(r));
    }
    to.hangUp = to.hangUp || more.hangUp;
}

} // namespace

std::optional<Registration> RegistrationByName(const std::string& name) {
    if (name == "1") {
        return Registration::Home;
    }
    if (name == "5") {
        return Registration::Roaming;
    }
    if (name == "2") {
        return Registration::Searching;
    }
    if (name == "none") {
        return Registration::None;
    }
    return std::nullopt;
}

std::optional<DialOutcome> DialOutcomeByName(const std::string& name) {
    if (name == "connect") {
        return DialOutcome::Connect;
    }
    if (name == "no-carrier") {
        return DialOutcome::NoCarrier;
    }
    if (name == "silence") {
        return DialOutcome::Silence;
    }
    return std::nullopt;
}

Modem::Modem(Device& far, Registration registration, DialOutcome dial, HangUpAnswer hangUp)
    : far_(far), registration_(registration), dial_(dial), hangUp_(hangUp) {}

void Modem::note(const std::string& line) const {
    if (log) {
        log(line);
    }
}

Answer Modem::receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
    Answer answer;
    if (bytes.empty()) {
        return answer;
    }
    const std::int64_t silence = nowMs - lastByteMs_;
    lastByteMs_ = nowMs;
    if (call_ && silence > kIdleCallMs) {
        // The transmitter clears a call on which nothing has passed for a minute.
        call_ = false;
        online_ = false;
        pluses_ = 0;
        note("call cleared by the transmitter (idle)");
    }
    Bytes toFar;
    auto passOn = [&] {
        if (!toFar.empty()) {
            add(answer, far_.receive(toFar, nowMs));
            toFar.clear();
        }
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        if (online_) {
            // "+++" after the guard time leaves the call for commands.
            if (b == '+' && (pluses_ > 0 || (i == 0 && silence >= kGuardMs))) {
                if (++pluses_ == 3) {
                    passOn();
                    pluses_ = 0;
                    online_ = false;
                    line_.clear();
                    note("escape: commands, the call stays up");
                }
                continue;
            }
            toFar.insert(toFar.end(), static_cast<std::size_t>(pluses_), '+');
            pluses_ = 0;
            toFar.push_back(b);
            continue;
        }
        if (echo_) {
            answer.replies.push_back(Bytes{b});
        }
        if (b == '\r') {
            command(line_, answer);
            line_.clear();
        } else if (b != '\n') {
            line_.push_back(static_cast<char>(b));
            if (line_.size() > kMaxCommandLine) {
                line_.erase(line_.begin());
            }
        }
    }
    passOn();
    return answer;
}

void Modem::command(const std::string& raw, Answer& answer) {
    // Whatever comes before "AT" on the line is noise ("+++AT" without a call).
    const std::string up = upper(raw);
    const std::size_t at = up.find("AT");
    if (at == std::string::npos) {
        return;
    }
    const std::string cmd = up.substr(at);
    const std::string given = raw.substr(at);
    auto reply = [&](const std::string& s) { answer.replies.push_back(text(s)); };
    const std::string ok = "\r\nOK\r\n";
    if (call_ && hangUp_ == HangUpAnswer::Deaf) {
        note(given + ": no answer (deaf while the call is up)");
        return;
    }

    if (cmd == "AT") {
        note("AT");
        reply(ok);
    } else if (cmd == "ATE=0" || cmd == "ATE0") {
        echo_ = false;
        note(given + ": echo off");
        reply(ok);
    } else if (cmd == "ATE=1" || cmd == "ATE1") {
        echo_ = true;
        note(given + ": echo on");
        reply(ok);
    } else if (cmd.rfind("AT+CBST=", 0) == 0) {
        note(given + ": data bearer");
        reply(ok);
    } else if (cmd == "AT+CREG?") {
        switch (registration_) {
        case Registration::Home:
            note("AT+CREG?: home network");
            reply("\r\n+CREG: 0,1\r\n" + ok);
            break;
        case Registration::Roaming:
            note("AT+CREG?: roaming");
            reply("\r\n+CREG: 0,5\r\n" + ok);
            break;
        case Registration::Searching:
            note("AT+CREG?: searching");
            reply("\r\n+CREG: 0,2\r\n" + ok);
            break;
        case Registration::None:
            note("AT+CREG?: no answer");
            break;
        }
    } else if (cmd.rfind("ATD", 0) == 0) {
        const std::string number = given.substr(3);
        if (onDial) {
            onDial(number);
        }
        if (call_) {
            note("ATD" + number + ": a call is up already");
            reply("\r\nBUSY\r\n");
            return;
        }
        switch (dial_) {
        case DialOutcome::Connect:
            call_ = true;
            online_ = true;
            pluses_ = 0;
            note("ATD" + number + ": CONNECT 9600");
            reply("\r\nCONNECT 9600\r\n");
            break;
        case DialOutcome::NoCarrier:
            note("ATD" + number + ": NO CARRIER");
            reply("\r\nNO CARRIER\r\n");
            break;
        case DialOutcome::Silence:
            note("ATD" + number + ": no answer");
            break;
        }
    } else if (cmd == "ATH" || cmd == "ATH0") {
        note(call_ ? "ATH: call cleared" : "ATH: no call");
        call_ = false;
        reply(ok);
    } else if (cmd == "ATO" || cmd == "ATO0") {
        if (call_) {
            online_ = true;
            note("ATO: back to the call");
            reply("\r\nCONNECT 9600\r\n");
        } else {
            reply("\r\nNO CARRIER\r\n");
        }
    } else {
        note("unknown command \"" + given + "\"");
        reply("\r\nERROR\r\n");
    }
}

} // namespace tk::sim
