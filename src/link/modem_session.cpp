#include "link/modem_session.h"

#include "image/image.h"
#include "link/exchange.h"
#include "model/packing.h"

#include <algorithm>
#include <stdexcept>

namespace tk::link {
namespace {

constexpr int kModemReadInterval = 1; // setdcb(1): 100 ms of silence ends an answer
constexpr int kCountTimeout = 100;    // 10 s: "rdump", "pdum", a block written
constexpr int kBlockReadTimeout = 80; // 8 s
constexpr int kBlockPauseMs = 300;    // before every block command
constexpr std::size_t kBlock = 128;
// The steps the progress bar counts: the five commands of the preparation ("ATE=0",
// "AT", "AT+CBST", "AT+CREG?", "ATD") and the two of the hang-up.
constexpr int kPrepareSteps = 5;
constexpr int kHangUpSteps = 2;

std::string hex2(int value) {
    return {TetraToChar(value, 1), TetraToChar(value, 0)};
}

// One remote command from the open to the close: the steps both commands share.
class RemoteSession {
public:
    RemoteSession(SerialLine& line, Clock& clock, const LinkParams& params,
                  const std::string& telephone, const std::atomic<bool>& cancel,
                  const Reporter& reporter)
        : line_(line), telephone_(telephone), cancel_(cancel), reporter_(reporter),
          x_(line, clock, reporter) {
        x_.PortName = params.PortName;
        x_.TxPause = params.TxPause;
        x_.Quick = params.Quick;
        x_.Cancel = &cancel_;
    }
    RemoteSession(const RemoteSession&) = delete;
    RemoteSession& operator=(const RemoteSession&) = delete;

    // The final clean-up runs whatever way the session leaves, an exception included.
    ~RemoteSession() { cleanUp(); }

    Exchange& x() { return x_; }
    RemoteResult& result() { return result_; }

    void say(std::string words) {
        reporter_.reportStatus(words);
        result_.status = std::move(words);
    }

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
    const int count = static_cast<int>(image.size() / kBlock);
    RemoteSession s(line, clock, params, telephone, cancel, reporter);
    if (s.prepare(true)) {
        Exchange& x = s.x();
        s.say("Writing");
        bool good = x.vvod("pdum" + hex2(count) + "\r", 0, kCountTimeout);
        for (int i = 0; good && i < count; ++i) {
            if (!x.pause(kBlockPauseMs)) {
                break;
            }
            s.say("Writing" + hex2(i));
            reporter.reportStep(i, count);
            x.vvod1("prog" + hex2(i) + "\r");
            good = x.vvodsum(image.subspan(kBlock * static_cast<std::size_t>(i), kBlock), 0,
                             kCountTimeout);
        }
        if (s.transferEnded(good)) {
            s.result().ok = true;
            s.result().code = x.StatusCode;
            s.result().blocks = count;
            s.hangUp(kRemoteWriteOkText);
        }
    }
    s.cleanUp();
    return s.result();
}

RemoteResult RemoteRead(SerialLine& line, Clock& clock, const LinkParams& params,
                        const std::string& telephone, const std::atomic<bool>& cancel,
                        const Reporter& reporter) {
    RemoteSession s(line, clock, params, telephone, cancel, reporter);
    if (s.prepare(false)) {
        Exchange& x = s.x();
        s.say("Reading");
        const int count = x.vvodXX("rdump\r", 0, kCountTimeout);
        bool good = count > 0;
        for (int i = 0; good && i < count; ++i) {
            if (!x.pause(kBlockPauseMs)) {
                break;
            }
            s.say("Reading" + hex2(i));
            reporter.reportStep(i, count);
            // Block i lands at 128·i over whatever lay there (the tail of the previous
            // answer): cleared first, so a short answer leaves no stale bytes.
            const std::size_t at = kBlock * static_cast<std::size_t>(i);
            std::fill(x.ReplyArea.begin() + static_cast<std::ptrdiff_t>(at), x.ReplyArea.end(), 0);
            good = x.vvodBlock("read" + hex2(i) + "\r", at, kBlockReadTimeout);
        }
        if (s.transferEnded(good)) {
            const std::size_t length = kBlock * static_cast<std::size_t>(count);
            RemoteResult& r = s.result();
            r.image.assign(x.ReplyArea.begin(),
                           x.ReplyArea.begin() + static_cast<std::ptrdiff_t>(length));
            r.image.resize(std::max(length, kBaseImageSize), 0);
            r.blocks = count;
            r.ok = true;
            r.code = x.StatusCode;
            s.say("Read OK. It was readed " + std::to_string(count) + " blocks.");
            // The caller shows what was read while the call is cleared.
            reporter.reportReceived(r.image, count);
            s.hangUp(kRemoteReadOkText);
        }
    }
    s.cleanUp();
    return s.result();
}

int DecodeRemoteImage(Configuration& cfg, std::span<const std::uint8_t> image, int blocks) {
    std::size_t length = redump(cfg, image);
    if (blocks <= kRemoteBaseBlocks) {
        return 0;
    }
    // A count above 52 would reach beyond input 64: at most 15 extension blocks.
    const int extension = std::min((blocks - kRemoteBaseBlocks) / 3, kMaxExtBlocks);
    if (image.size() < ImageSize(extension)) {
        throw std::length_error("DecodeRemoteImage: image shorter than its blocks");
    }
    cfg.ExtBlocksCount = extension;
    for (int k = 1; k <= extension; ++k) {
        redumpExtBlock(cfg, image, length, k);
    }
    return extension;
}

} // namespace tk::link
