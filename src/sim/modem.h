// The simulated GSM modem in front of a transmitter: AT commands on the line until a
// dial is answered, then the call carries the bytes to the transmitter and its answers
// back, until the escape "+++" (after a silence of kGuardMs) returns to commands; "ATH"
// ends the call.
#pragma once

#include "sim/device.h"

#include <functional>
#include <optional>
#include <string>

namespace tk::sim {

// The registration state "AT+CREG?" reports: 1 home, 5 roaming, 2 searching, or no
// answer at all.
enum class Registration { Home, Roaming, Searching, None };
// What the dial brings: the call, "NO CARRIER", or no answer.
enum class DialOutcome { Connect, NoCarrier, Silence };
// How the hang-up goes: answered ("+++" then "AT" gives "OK", "ATH" clears the call),
// or deaf: once out of the call with "+++", the modem answers no command while the call
// is up, "ATH" included, and the call stays (until the far end clears an idle call).
enum class HangUpAnswer { Answer, Deaf };

std::optional<Registration> RegistrationByName(const std::string& name); // "1", "5", "2", "none"
std::optional<DialOutcome> DialOutcomeByName(const std::string& name);   // "connect", ...

class Modem final : public Device {
public:
    Modem(Device& far, Registration registration = Registration::Home,
          DialOutcome dial = DialOutcome::Connect, HangUpAnswer hangUp = HangUpAnswer::Answer);

    Answer receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs) override;

    bool echo() const { return echo_; }
    bool callUp() const { return call_; }
    bool online() const { return online_; }

    // Called with the number of every dial ("ATD" and what follows it).
    std::function<void(const std::string& number)> onDial;
    // Called with a line for the log on every command and change of the call.
    std::function<void(const std::string& line)> log;

    // Silence that must come before "+++" for it to count as the escape. The program
    // waits 2 s; a real modem's second would keep the tests from running the program
    // on a faster clock.
    static constexpr std::int64_t kGuardMs = 400;
    // A call on which nothing has passed for this long is cleared by the far end.
    static constexpr std::int64_t kIdleCallMs = 60'000;

private:
    void command(const std::string& line, Answer& answer);
    void note(const std::string& line) const;

    Device& far_;
    Registration registration_;
    DialOutcome dial_;
    HangUpAnswer hangUp_;
    bool echo_ = true;    // a modem starts with echo on
    bool call_ = false;   // a data call is up
    bool online_ = false; // the line carries the call (not commands)
    std::string line_;    // the command being received
    int pluses_ = 0;      // "+" of a possible escape, held back from the call
    std::int64_t lastByteMs_ = -kGuardMs;
};

} // namespace tk::sim
