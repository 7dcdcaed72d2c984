#include "link/session.h"

#include "image/image.h"
#include "link/exchange.h"
#include "link/transfer.h"

#include <stdexcept>

namespace tk::link {
namespace {

constexpr int kProbeTimeout = 20;     // 2 s
constexpr int kCableReadInterval = 5; // setdcb(5): 500 ms of silence ends a reply

void failWithCode(SessionResult& result, const Reporter& reporter, const Exchange& x) {
    result.ok = false;
    result.code = x.StatusCode;
    result.lineLost = x.LineLost;
    Say(result, reporter, "Error " + std::to_string(static_cast<int>(x.StatusCode)));
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
    Exchange x = MakeExchange(line, clock, params, reporter);
    Say(result, reporter, "Connecting");
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
                Say(result, reporter, "Connect");
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
    Say(result, reporter, "No connect");
    return result;
}

SessionResult CableRead(SerialLine& line, Clock& clock, const LinkParams& params,
                        const std::atomic<bool>& cancel, const Reporter& reporter) {
    SessionResult result;
    Exchange x = MakeExchange(line, clock, params, reporter);
    x.Cancel = &cancel;
    const bool done = ReadBlocks(x, result, reporter);
    result.portOpen = line.isOpen();
    if (stoppedByCancel(result, x)) {
        return result;
    }
    if (!done) {
        failWithCode(result, reporter, x);
        return result;
    }
    result.message = kReadOkText;
    return result;
}

SessionResult CableWrite(SerialLine& line, Clock& clock, const LinkParams& params,
                         std::span<const std::uint8_t> baseImage, const std::atomic<bool>& cancel,
                         const Reporter& reporter) {
    if (baseImage.size() < kTransferBlockSize * kCableWriteBlocks) {
        throw std::length_error("CableWrite: image shorter than the blocks to write");
    }
    SessionResult result;
    Exchange x = MakeExchange(line, clock, params, reporter);
    x.Cancel = &cancel;
    const bool done = WriteBlocks(x, result, reporter, baseImage, kCableWriteBlocks);
    result.portOpen = line.isOpen();
    if (stoppedByCancel(result, x)) {
        return result;
    }
    if (!done) {
        failWithCode(result, reporter, x);
        result.message = kWriteFailedText;
        return result;
    }
    result.message = kWriteOkText;
    Say(result, reporter,
        "Write OK. It was writed " + std::to_string(kCableWriteBlocks) + " blocks.");
    return result;
}

SessionResult CableDisconnect(SerialLine& line, const Reporter& reporter) {
    SessionResult result;
    line.close();
    result.ok = true;
    Say(result, reporter, "Disconnect");
    return result;
}

} // namespace tk::link
