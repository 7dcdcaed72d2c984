#include "link/exchange.h"

#include "model/packing.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tk::link {
namespace {

bool bytesAre(std::span<const std::uint8_t> reply, std::size_t from, const char* text) {
    const std::size_t n = std::strlen(text);
    return from + n <= reply.size() &&
           strncmp1(reply.data() + from, reinterpret_cast<const std::uint8_t*>(text),
                    static_cast<int>(n)) == 0;
}

// The tail of a reply of n bytes, `back` bytes before its end, is `text`.
bool tailIs(std::span<const std::uint8_t> reply, std::size_t back, const char* text) {
    return reply.size() >= back && bytesAre(reply, reply.size() - back, text);
}

std::span<const std::uint8_t> asBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

std::size_t formsum(std::span<std::uint8_t> dest, std::span<const std::uint8_t> block) {
    if (dest.size() < block.size() + 2) {
        throw std::length_error("formsum: destination too small");
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < block.size(); ++i) {
        dest[i] = block[i];
        sum += block[i];
    }
    sum &= 0xFFFFu;
    dest[block.size()] = static_cast<std::uint8_t>(sum >> 8);
    dest[block.size() + 1] = static_cast<std::uint8_t>(sum & 0xFFu);
    return block.size() + 2;
}

int strncmp1(const std::uint8_t* a, const std::uint8_t* b, int n) {
    for (int i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            return i + 1;
        }
    }
    return 0;
}

Exchange::Exchange(SerialLine& line, Clock& clock, Reporter reporter)
    : ReplyArea(kReplyAreaSize), SendArea(kSendAreaSize), line_(line), clock_(clock),
      reporter_(std::move(reporter)) {}

bool Exchange::setdcb(int I) {
    OpenRefused = false;
    Refusal = {};
    // The port is opened without sharing: a line that is open already (the cable link
    // holds it) cannot be opened a second time.
    if (line_.isOpen()) {
        OpenRefused = true;
        Refusal = {OpenFailure::HeldHere, {}};
        return false;
    }
    if (!line_.open(PortName)) {
        OpenRefused = true;
        Refusal = {line_.openFailure(), line_.error()};
        return false;
    }
    readIntervalMs_ = I * 100;
    LineSettings settings;
    settings.readIntervalMs = readIntervalMs_;
    return line_.configure(settings);
}

bool Exchange::cancelRequested() {
    if (Cancel == nullptr || !Cancel->load()) {
        return false;
    }
    Cancelled = true;
    return true;
}

bool Exchange::pause(int ms) {
    // Slices of the duration itself, not of the clock: the pause is never shorter than
    // asked, whatever fraction of a millisecond the clock stands at.
    std::chrono::microseconds left = std::chrono::milliseconds(ms);
    if (Cancel == nullptr) {
        clock_.sleep(left);
        return true;
    }
    while (left.count() > 0) {
        if (cancelRequested()) {
            return false;
        }
        const std::chrono::microseconds slice =
            std::min<std::chrono::microseconds>(left, std::chrono::milliseconds(kWaitSliceMs));
        clock_.sleep(slice);
        left -= slice;
    }
    return !cancelRequested();
}

void Exchange::close() {
    line_.close();
}

void Exchange::sendPaced(std::span<const std::uint8_t> bytes) {
    const std::chrono::microseconds pause(static_cast<std::int64_t>(TxPause) * 100);
    for (const std::uint8_t b : bytes) {
        clock_.sleep(pause);
        // A line that failed is closed; the receive that follows reports it.
        if (!line_.writeByte(b, kWaitSliceMs)) {
            break;
        }
    }
    clock_.sleep(pause);
}

bool Exchange::vvod1(std::string_view cmd) {
    line_.purge();
    sendPaced(asBytes(cmd));
    return true;
}

bool Exchange::tailChecks(std::span<const std::uint8_t> reply, Tail tail) {
    switch (tail) {
    case Tail::Ok:
        return tailIs(reply, 4, "OK");
    case Tail::Conn:
        return tailIs(reply, 14, "CONN");
    case Tail::Reg:
        return tailIs(reply, 18, "+CREG: 0,1") || tailIs(reply, 18, "+CREG: 0,5");
    case Tail::MOk:
        return tailIs(reply, 5, "MOK\r\n");
    case Tail::Hex: {
        std::int32_t value = 0;
        return reply.size() >= 2 &&
               CharToTetra(static_cast<char>(reply[reply.size() - 1]), value, 0) &&
               CharToTetra(static_cast<char>(reply[reply.size() - 2]), value, 1);
    }
    }
    return false;
}

bool Exchange::receive(std::size_t dest, int T, Tail tail, std::size_t knownLength) {
    if (dest >= ReplyArea.size()) {
        throw std::out_of_range("receive: destination outside the reply area");
    }
    const std::size_t cap = std::min(kMaxReply, ReplyArea.size() - dest);
    std::uint8_t* const area = ReplyArea.data() + dest;
    ReplyStart = dest;
    TransferCount = 0;
    // A reply of known length ends at that length when its tail checks there; any
    // other reply, once the bytes so far end with the tail, after the guard.
    const std::size_t endsAt = Quick ? std::min(knownLength, cap) : 0;
    bool tailArrived = false;

    const std::int64_t start = clock_.nowMs();
    const std::int64_t limit = static_cast<std::int64_t>(T) * 100;
    std::int64_t lastByte = start;
    int shown = -1;
    bool complete = false;
    while (!complete) {
        const int silence = tailArrived ? kQuickGuardMs : readIntervalMs_;
        // Once bytes have come, the slice ends no later than the silence would.
        int wait = kWaitSliceMs;
        if (TransferCount > 0) {
            const std::int64_t untilSilence = lastByte + silence + 1 - clock_.nowMs();
            wait = static_cast<int>(std::clamp<std::int64_t>(untilSilence, 1, kWaitSliceMs));
        }
        // Up to the known length first, so that the reply can end there.
        const std::size_t room = (TransferCount < endsAt ? endsAt : cap) - TransferCount;
        const LineRead got = line_.read(std::span<std::uint8_t>(area + TransferCount, room), wait);
        if (got.failed) {
            // The line vanished or the driver failed: no reply will come.
            StatusCode = StatusBadReply;
            LineLost = true;
            reporter_.reportProgress(100);
            return false;
        }
        const std::int64_t now = clock_.nowMs();
        if (got.count > 0) {
            TransferCount += got.count;
            lastByte = now;
            const std::span<const std::uint8_t> sofar(area, TransferCount);
            if (endsAt > 0) {
                complete = TransferCount == endsAt && tailChecks(sofar, tail);
            } else if (Quick) {
                tailArrived = tailChecks(sofar, tail);
            }
            complete = complete || TransferCount == cap;
        } else {
            complete = TransferCount > 0 && now - lastByte > silence;
        }
        if (complete) {
            break;
        }
        if (cancelRequested()) {
            reporter_.reportProgress(100);
            return false;
        }
        const std::int64_t elapsed = now - start;
        if (elapsed > limit) {
            StatusCode = StatusTimeout;
            reporter_.reportProgress(100);
            return false;
        }
        const int percent = T > 0 ? static_cast<int>(elapsed / T) : 100;
        if (percent != shown) {
            shown = percent;
            reporter_.reportProgress(percent);
        }
    }

    const bool good = tailChecks(std::span<const std::uint8_t>(area, TransferCount), tail);
    if (!good) {
        StatusCode = StatusBadReply;
    }
    reporter_.reportProgress(100);
    return good;
}

bool Exchange::exchange(std::string_view cmd, std::size_t dest, int T, Tail tail,
                        std::size_t knownLength) {
    line_.purge();
    StatusCode = StatusNone;
    sendPaced(asBytes(cmd));
    return receive(dest, T, tail, knownLength);
}

bool Exchange::vvod(std::string_view cmd, std::size_t dest, int T) {
    return exchange(cmd, dest, T, Tail::Ok);
}

bool Exchange::vvodBlock(std::string_view cmd, std::size_t dest, int T) {
    return exchange(cmd, dest, T, Tail::Ok, kBlockAnswerSize);
}

bool Exchange::vvodconn(std::string_view cmd, std::size_t dest, int T) {
    return exchange(cmd, dest, T, Tail::Conn);
}

bool Exchange::vvodReg(std::string_view cmd, std::size_t dest, int T) {
    return exchange(cmd, dest, T, Tail::Reg);
}

bool Exchange::vvodM(std::string_view cmd, std::size_t dest, int T) {
    return exchange(cmd, dest, T, Tail::MOk);
}

bool Exchange::vvodsum(std::span<const std::uint8_t> block, std::size_t dest, int T) {
    const std::size_t n = formsum(SendArea, block);
    line_.purge();
    StatusCode = StatusNone;
    sendPaced(std::span<const std::uint8_t>(SendArea.data(), n));
    return receive(dest, T, Tail::Ok);
}

int Exchange::vvodXX(std::string_view cmd, std::size_t dest, int T) {
    if (!exchange(cmd, dest, T, Tail::Hex)) {
        return 0;
    }
    const std::span<const std::uint8_t> reply = lastReply();
    std::int32_t value = 0;
    CharToTetra(static_cast<char>(reply[reply.size() - 1]), value, 0);
    CharToTetra(static_cast<char>(reply[reply.size() - 2]), value, 1);
    return static_cast<int>(value);
}

std::span<const std::uint8_t> Exchange::lastReply() const {
    return {ReplyArea.data() + ReplyStart, TransferCount};
}

} // namespace tk::link
