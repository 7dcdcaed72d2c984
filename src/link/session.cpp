#include "link/session.h"

#include "link/exchange.h"
#include "model/packing.h"

#include <algorithm>
#include <stdexcept>

namespace tk::link {
namespace {

constexpr int kProbeTimeout = 20;     // 2 s
constexpr int kCountTimeout = 100;    // 10 s: "rdump", "pdum", a block written
constexpr int kBlockReadTimeout = 80; // 8 s
constexpr int kBlockPauseMs = 300;    // before every block command
constexpr int kCableReadInterval = 5; // setdcb(5): 500 ms of silence ends a reply
constexpr std::size_t kBlock = 128;
constexpr std::size_t kBaseImage = 896;

// The two upper-case hexadecimal digits of a block number or count.
std::string hex2(int value) {
    return {TetraToChar(value, 1), TetraToChar(value, 0)};
}

void say(SessionResult& result, const Reporter& reporter, std::string words) {
    reporter.reportStatus(words);
    result.status = std::move(words);
}

Exchange makeExchange(SerialLine& line, Clock& clock, const LinkParams& params,
                      const Reporter& reporter) {
    Exchange x(line, clock, reporter);
    x.PortName = params.PortName;
    x.TxPause = params.TxPause;
    x.Quick = params.Quick;
    return x;
}

void failWithCode(SessionResult& result, const Reporter& reporter, const Exchange& x) {
    result.ok = false;
    result.code = x.StatusCode;
    result.lineLost = x.LineLost;
    say(result, reporter, "Error " + std::to_string(static_cast<int>(x.StatusCode)));
}

// A session that the cancel flag ended: no words, no message.
bool stoppedByCancel(SessionResult& result, const Exchange& x) {
    result.cancelled = x.Cancelled;
    if (x.Cancelled) {
        result.code = x.StatusCode;
    }
    return x.Cancelled;
}

// What the user can do about each refusal.
const char* advice(OpenFailure failure) {
    switch (failure) {
    case OpenFailure::Absent:
        return "Такого порта нет: проверьте имя порта и подключение кабеля или адаптера.";
    case OpenFailure::InUse:
        return "Порт открыт другой программой (или другим окном этой программы).";
    case OpenFailure::Permission:
        return "Нет прав на порт: добавьте себя в группу dialout "
               "(sudo usermod -aG dialout $USER) и войдите в систему снова.";
    case OpenFailure::HeldHere:
        return "Порт уже открыт этой программой: установлена связь по кабелю.";
    case OpenFailure::Other:
        return "Порт не открывается как последовательный порт.";
    case OpenFailure::None:
        break;
    }
    return "";
}

} // namespace

std::string PortRefusalText(const std::string& port, const PortRefusal& refusal) {
    std::string text = port + ": ";
    if (!refusal.reason.empty()) {
        text += refusal.reason + ". ";
    }
    return text + advice(refusal.failure);
}

std::string PortBusyMessage(const std::string& port, const PortRefusal& refusal) {
    return std::string(kPortBusyText) + "\n" + PortRefusalText(port, refusal);
}

SessionResult CableConnect(SerialLine& line, Clock& clock, const LinkParams& params,
                           const std::atomic<bool>& cancel, const Reporter& reporter) {
    SessionResult result;
    Exchange x = makeExchange(line, clock, params, reporter);
    say(result, reporter, "Connecting");
    const bool heldBefore = line.isOpen();
    if (x.setdcb(kCableReadInterval)) {
        for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
            if (cancel.load()) {
                break;
            }
            reporter.reportStep(attempt, kConnectAttempts);
            if (x.vvodM("M\r", 0, kProbeTimeout)) {
                result.ok = true;
                result.code = x.StatusCode;
                result.portOpen = true;
                say(result, reporter, "Connect");
                return result;
            }
        }
    }
    result.code = x.StatusCode;
    result.cancelled = cancel.load();
    if (x.OpenRefused) {
        result.refusal = x.Refusal;
        result.message = PortBusyMessage(params.PortName, x.Refusal);
        result.caption = kPortBusyCaption;
    }
    // A line this session did not open (held by the connected link) stays as it was.
    if (!heldBefore) {
        x.close();
    }
    result.portOpen = line.isOpen();
    say(result, reporter, "No connect");
    return result;
}

SessionResult CableRead(SerialLine& line, Clock& clock, const LinkParams& params,
                        const std::atomic<bool>& cancel, const Reporter& reporter) {
    SessionResult result;
    Exchange x = makeExchange(line, clock, params, reporter);
    x.Cancel = &cancel;
    say(result, reporter, "Reading");
    const int count = x.vvodXX("rdump\r", 0, kCountTimeout);
    bool good = count > 0;
    for (int i = 0; good && i < count; ++i) {
        if (!x.pause(kBlockPauseMs)) {
            break;
        }
        say(result, reporter, "Reading" + hex2(i));
        reporter.reportStep(i, count);
        // Block i lands at 128·i. What lies there (the tail of the previous answer, or
        // nothing) is cleared first, so an answer shorter than a block never leaves
        // bytes of another exchange in the image.
        const std::size_t at = kBlock * static_cast<std::size_t>(i);
        std::fill(x.ReplyArea.begin() + static_cast<std::ptrdiff_t>(at), x.ReplyArea.end(), 0);
        good = x.vvodBlock("read" + hex2(i) + "\r", at, kBlockReadTimeout);
    }
    result.portOpen = line.isOpen();
    if (stoppedByCancel(result, x)) {
        return result;
    }
    if (!good) {
        failWithCode(result, reporter, x);
        return result;
    }
    // The first 128 bytes of each answer; the tail of the last one is not image.
    const std::size_t length = kBlock * static_cast<std::size_t>(count);
    result.image.assign(x.ReplyArea.begin(),
                        x.ReplyArea.begin() + static_cast<std::ptrdiff_t>(length));
    result.image.resize(std::max(length, kBaseImage), 0);
    result.blocks = count;
    result.ok = true;
    result.code = x.StatusCode;
    result.message = kReadOkText;
    say(result, reporter, "Read OK. It was readed " + std::to_string(count) + " blocks.");
    return result;
}

SessionResult CableWrite(SerialLine& line, Clock& clock, const LinkParams& params,
                         std::span<const std::uint8_t> baseImage, const std::atomic<bool>& cancel,
                         const Reporter& reporter) {
    if (baseImage.size() < kBlock * kCableWriteBlocks) {
        throw std::length_error("CableWrite: image shorter than the blocks to write");
    }
    SessionResult result;
    Exchange x = makeExchange(line, clock, params, reporter);
    x.Cancel = &cancel;
    say(result, reporter, "Writing");
    bool good = x.vvod("pdum" + hex2(kCableWriteBlocks) + "\r", 0, kCountTimeout);
    for (int i = 0; good && i < kCableWriteBlocks; ++i) {
        if (!x.pause(kBlockPauseMs)) {
            break;
        }
        say(result, reporter, "Writing" + hex2(i));
        reporter.reportStep(i, kCableWriteBlocks);
        x.vvod1("prog" + hex2(i) + "\r");
        good = x.vvodsum(baseImage.subspan(kBlock * static_cast<std::size_t>(i), kBlock), 0,
                         kCountTimeout);
    }
    result.portOpen = line.isOpen();
    if (stoppedByCancel(result, x)) {
        return result;
    }
    if (!good) {
        failWithCode(result, reporter, x);
        result.message = kWriteFailedText;
        return result;
    }
    result.ok = true;
    result.code = x.StatusCode;
    result.blocks = kCableWriteBlocks;
    result.message = kWriteOkText;
    say(result, reporter,
        "Write OK. It was writed " + std::to_string(kCableWriteBlocks) + " blocks.");
    return result;
}

SessionResult CableDisconnect(SerialLine& line, const Reporter& reporter) {
    SessionResult result;
    line.close();
    result.ok = true;
    say(result, reporter, "Disconnect");
    return result;
}

} // namespace tk::link
