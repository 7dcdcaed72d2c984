#include "link/modem_session.h"

#include "image/image.h"
#include "link/exchange.h"
#include "link/transfer.h"

#include <algorithm>
#include <stdexcept>

namespace tk::link {
namespace {

constexpr int kModemReadInterval = 1; // setdcb(1): 100 ms of silence ends an answer
// The steps the progress bar counts: the five commands of the preparation ("ATE=0",
// "AT", "AT+CBST", "AT+CREG?", "ATD") and the two of the hang-up.
constexpr int kPrepareSteps = 5;
constexpr int kHangUpSteps = 2;

// One remote command from the open to the close: the steps both commands share.
class RemoteSession {
public:
    RemoteSession(SerialLine& line, Clock& clock, const LinkParams& params,
                  const std::string& telephone, const std::atomic<bool>& cancel,
                  const Reporter& reporter)
        : line_(line), telephone_(telephone), cancel_(cancel), reporter_(reporter),
          x_(MakeExchange(line, clock, params, reporter)) {
        x_.Cancel = &cancel_;
    }
    RemoteSession(const RemoteSession&) = delete;
    RemoteSession& operator=(const RemoteSession&) = delete;

    // The final clean-up runs whatever way the session leaves, an exception included.
    ~RemoteSession() { cleanUp(); }

    Exchange& x() { return x_; }
    RemoteResult& result() { return result_; }

    void say(std::string words) { Say(result_, reporter_, std::move(words)); }

    // True when the user asked to stop (before a step, or during a wait, which then
    // ended within a slice); the session then ends, hanging up once when the
    // registration query has gone out.
    bool cancelled() {
        if (!x_.Cancelled && !cancel_.load()) {
            return false;
        }
        if (!result_.cancelled) {
            result_.cancelled = true;
            if (registrationSent_) {
                hangUp({});
            }
        }
        return true;
    }

    // A plain delay that the cancel flag cuts short: false when the session is over.
    bool pause(int ms) { return x_.pause(ms) || !cancelled(); }

    // The wait after an answered command of the preparation and the registration: 2 s,
    // or the settle time in the quick exchange.
    bool settle() { return pause(x_.Quick ? kModemSettleMs : kModemPauseMs); }

    // The common preparation up to the answered dial. False when the session is over
    // (the result says why, the hang-up has run where it must).
    bool prepare(bool pauseBeforeTelephoneCheck) {
        say("Check modem");
        heldBefore_ = line_.isOpen();
        if (!x_.setdcb(kModemReadInterval)) {
            if (x_.OpenRefused) {
                result_.refusal = x_.Refusal;
                result_.message = PortBusyMessage(x_.PortName, x_.Refusal);
                result_.caption = kPortBusyCaption;
            }
            return false;
        }
        opened_ = true;
        const char* const commands[] = {"ATE=0\r", "AT\r", "AT+CBST=71,0,1\r"};
        int step = 0;
        for (const char* cmd : commands) {
            if ((step > 0 && !settle()) || cancelled()) {
                return false;
            }
            reporter_.reportStep(step++, kPrepareSteps);
            if (!x_.vvod(cmd, 0, kModemCommandTimeout)) {
                if (!cancelled()) {
                    fail(kModemNotConnectedText);
                }
                return false;
            }
        }
        // The write pauses before the check, the read after it.
        if (pauseBeforeTelephoneCheck && !settle()) {
            return false;
        }
        if (telephone_.empty()) {
            fail(kNoTelephoneText);
            return false;
        }
        if (!DialableTelephone(telephone_)) {
            fail(kBadTelephoneText);
            return false;
        }
        if ((!pauseBeforeTelephoneCheck && !settle()) || cancelled()) {
            return false;
        }
        say("Checking GSMNet");
        reporter_.reportStep(step++, kPrepareSteps);
        registrationSent_ = true;
        if (!x_.vvodReg("AT+CREG?\r", 0, kRegistrationTimeout)) {
            if (!cancelled()) {
                result_.code = x_.StatusCode;
                hangUp(kNotRegisteredText);
            }
            return false;
        }
        if (!settle() || cancelled()) {
            return false;
        }
        say("Connecting");
        reporter_.reportStep(step, kPrepareSteps);
        result_.dialled = true;
        if (!x_.vvodconn("ATD" + telephone_ + "\r", 0, kDialTimeout)) {
            if (!cancelled()) {
                result_.code = x_.StatusCode;
                hangUp(kNoCallText);
            }
            return false;
        }
        // The transfer is a stage of its own, whose size the count gives.
        reporter_.reportStep(0, 0);
        return true;
    }

    // The end of the transfer: stopped by the user, failed (hang up with "Ошибка! Нет
    // ответа от объекта"), or done (the caller hangs up with its message). True when
    // done.
    bool transferEnded(bool good) {
        if (x_.Cancelled) {
            cancelled();
            return false;
        }
        if (!good) {
            result_.code = x_.StatusCode;
            result_.lineLost = x_.LineLost;
            hangUp(kNoAnswerText);
        }
        return good;
    }

    // "Disconnect", 2 s, "+++AT\r", 2 s, "ATH\r". Their answers do not change the
    // message; an "OK" missing from either is said as a warning after it, since the
    // call may then still be up. A line that has vanished takes nothing more: the call
    // is ended by the modem's loss of its terminal, and waiting would only keep the
    // user. Nothing cuts the hang-up short.
    void hangUp(const std::string& message) {
        say("Disconnect");
        result_.hungUp = true;
        result_.message = message;
        result_.caption.clear();
        if (!line_.isOpen()) {
            return;
        }
        x_.Cancel = nullptr;
        reporter_.reportStep(0, kHangUpSteps);
        x_.pause(kModemPauseMs);
        const bool escaped = x_.vvod("+++AT\r", 0, kHangUpTimeout);
        reporter_.reportStep(1, kHangUpSteps);
        x_.pause(kModemPauseMs);
        const bool cleared = x_.vvod("ATH\r", 0, kHangUpTimeout);
        if (!escaped || !cleared) {
            const std::string unanswered = !escaped && !cleared ? "«+++AT» и «ATH»"
                                           : escaped            ? "«ATH»"
                                                                : "«+++AT»";
            result_.warning = std::string(kHangUpUnconfirmedText) + " (нет ответа «OK» на " +
                              unanswered + "). " + kHangUpAdviceText;
        }
    }

    // A message box without a hang-up.
    void fail(const char* message) {
        result_.code = x_.StatusCode;
        result_.lineLost = x_.LineLost;
        result_.message = message;
    }

    void cleanUp() {
        if (cleaned_) {
            return;
        }
        cleaned_ = true;
        // A line that was open before the session belongs to the cable link.
        if (!heldBefore_ && (opened_ || line_.isOpen())) {
            line_.close();
        }
        result_.portOpen = line_.isOpen();
    }

private:
    SerialLine& line_;
    const std::string& telephone_;
    const std::atomic<bool>& cancel_;
    const Reporter& reporter_;
    Exchange x_;
    RemoteResult result_;
    bool heldBefore_ = false;
    bool opened_ = false;
    bool registrationSent_ = false;
    bool cleaned_ = false;
};

} // namespace

bool DialableTelephone(const std::string& telephone) {
    return std::none_of(telephone.begin(), telephone.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 32 || b == 127;
    });
}

RemoteResult RemoteWrite(SerialLine& line, Clock& clock, const LinkParams& params,
                         const std::string& telephone, std::span<const std::uint8_t> image,
                         const std::atomic<bool>& cancel, const Reporter& reporter) {
    if (image.size() < kBaseImageSize || image.size() > kMaxImageSize ||
        (image.size() - kBaseImageSize) % kExtBlockSize != 0) {
        throw std::length_error("RemoteWrite: not a base image with whole extension blocks");
    }
    const int count = static_cast<int>(image.size() / kTransferBlockSize);
    RemoteSession s(line, clock, params, telephone, cancel, reporter);
    if (s.prepare(true) &&
        s.transferEnded(WriteBlocks(s.x(), s.result(), reporter, image, count))) {
        s.hangUp(kRemoteWriteOkText);
    }
    s.cleanUp();
    return s.result();
}

RemoteResult RemoteRead(SerialLine& line, Clock& clock, const LinkParams& params,
                        const std::string& telephone, const std::atomic<bool>& cancel,
                        const Reporter& reporter) {
    RemoteSession s(line, clock, params, telephone, cancel, reporter);
    if (s.prepare(false) && s.transferEnded(ReadBlocks(s.x(), s.result(), reporter))) {
        // The caller shows what was read while the call is cleared.
        reporter.reportReceived(s.result().image, s.result().blocks);
        s.hangUp(kRemoteReadOkText);
    }
    s.cleanUp();
    return s.result();
}

} // namespace tk::link
