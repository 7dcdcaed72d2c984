// The simulated transmitter's programming port: the probe, "rdump", "read", "pdum",
// "prog" with a block and its sum. It serves an image and takes a written one, and
// can misbehave in one chosen way for tests and training.
#pragma once

#include "sim/device.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tk::sim {

enum class Fault {
    None,
    NoAnswer,   // answers nothing at all
    DropReply,  // the answer to the chosen block (read or written) is not sent, once
    BadTail,    // the chosen block is read with "ER" instead of "OK" after it
    WrongCount, // "rdump" is answered with a count that is not hexadecimal
    CountZero,  // "rdump" is answered with the count 00
    RefuseSum,  // the chosen block written is refused as if its sum were wrong
    HangUp,     // the line is closed when the chosen block is asked for or sent
    LongReply,  // the chosen block is read with an answer of more than 500 bytes
    Split,      // every answer of two bytes or more stops for kSplitPauseMs in its middle
};

// The pause inside every answer under Fault::Split: far longer than the quick
// exchange's guard of about 3 byte times, well inside the 100 ms of silence that end
// an answer on the modem link (and the cable's 500 ms), so both exchanges must wait
// for the rest of the answer.
inline constexpr int kSplitPauseMs = 30;

// The fault for its command-line name ("no-answer", "drop-reply", ...).
std::optional<Fault> FaultByName(const std::string& name);
// The command-line names, for the help text.
const char* FaultNames();

class Transmitter final : public Device {
public:
    // image: the base image and any extension blocks, a whole number of 128-byte blocks.
    Transmitter(Bytes image, Fault fault = Fault::None, int faultBlock = 2);

    Answer receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs) override;

    const Bytes& image() const { return image_; }

    // Called with the whole image after every completed write.
    std::function<void(const Bytes& image, int blocksWritten)> onWritten;
    // Bytes the firmware keeps whatever is written over them (its version).
    std::vector<std::pair<std::size_t, std::uint8_t>> readOnlyBytes;
    // Called with a line for the log on every command.
    std::function<void(const std::string& line)> log;

    // Bytes of a command that stop coming for this long are dropped. The tool leaves at
    // least 800 ms between its commands (500 ms of reply silence, then a 300 ms pause),
    // so a gap this long ends a command; shorter gaps are a busy machine, not an end.
    static constexpr std::int64_t kCommandSilenceMs = 700;

private:
    Answer command(const std::string& text);
    Answer block();
    void note(const std::string& line) const;

    Bytes image_;
    Fault fault_;
    int faultBlock_;
    bool faultUsed_ = false;
    Bytes pending_; // bytes of the command or block being received
    std::int64_t lastByteMs_ = 0;
    int blockToReceive_ = -1; // after "prog" hh: the block whose bytes come next
    int announced_ = 0;       // blocks "pdum" announced
    int received_ = 0;        // blocks received since "pdum"
    Bytes staged_;            // the image being written
};

} // namespace tk::sim
