// The remote sessions against a scripted GSM modem (and the transmitter behind its
// call) on a virtual clock.
#include "fake_line.h"
#include "image/image.h"
#include "link/modem_session.h"
#include "model/defaults.h"

#include <gtest/gtest.h>

namespace tk::test {
namespace {

using namespace link;

constexpr const char* kTel = "+79161234567";
constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kReg1 = "\r\n+CREG: 0,1\r\n\r\nOK\r\n";
constexpr const char* kConnect = "\r\nCONNECT 9600\r\n";

// One step as the modem script saw it: when its command was complete, where it ended
// in the written bytes, and when the last byte of its answer arrived.
struct Seen {
    std::string name;
    std::int64_t matchUs = 0;
    std::size_t writtenEnd = 0;
    std::int64_t replyEndUs = 0;
};

struct Remote : ScriptedLink {
    std::vector<Seen> seen;
    Bytes dialogue; // what the tool is expected to send, in order

    Remote& step(const std::string& name, Bytes expect, std::optional<std::string> reply,
                 std::function<void()> also = {}) {
        Step s;
        s.expect = expect;
        if (reply) {
            s.reply = bytes(*reply);
        }
        const std::int64_t replyLength = reply ? static_cast<std::int64_t>(reply->size()) : 0;
        s.onMatch = [this, name, replyLength, delay = s.delayUs, per = s.perByteUs, also] {
            Seen w{name, clock.us, line.written.size(), 0};
            w.replyEndUs = replyLength > 0 ? clock.us + delay + (replyLength - 1) * per : clock.us;
            seen.push_back(w);
            if (also) {
                also();
            }
        };
        line.expect(std::move(s));
        dialogue.insert(dialogue.end(), expect.begin(), expect.end());
        return *this;
    }
    Remote& cmd(const std::string& text, std::optional<std::string> reply,
                std::function<void()> also = {}) {
        return step(text, bytes(text), std::move(reply), std::move(also));
    }

    // "ATE=0", "AT", "AT+CBST" answered OK.
    Remote& preparation() {
        return cmd("ATE=0\r", kOk).cmd("AT\r", kOk).cmd("AT+CBST=71,0,1\r", kOk);
    }
    // Preparation, registration and an answered dial.
    Remote& callUp() {
        return preparation()
            .cmd("AT+CREG?\r", kReg1)
            .cmd("ATD" + std::string(kTel) + "\r", kConnect);
    }
    Remote& hangUp() { return cmd("+++AT\r", kOk).cmd("ATH\r", kOk); }

    // The gap from the end of step i's answer to the first byte of the next command.
    std::int64_t gapAfterUs(std::size_t i) const {
        return line.writeTimesUs.at(seen.at(i).writtenEnd) - seen.at(i).replyEndUs;
    }

    RemoteResult write(const Bytes& image, const std::string& tel = kTel) {
        return RemoteWrite(line, clock, params, tel, image, cancel, reporter);
    }
    RemoteResult read(const std::string& tel = kTel) {
        return RemoteRead(line, clock, params, tel, cancel, reporter);
    }
};

// After an answer framed by 100 ms of silence (or by `framingMs`: the quick exchange's
// guard, nothing after a block): the silence, the pause that follows it, and one pause
// of 1 ms before the first byte; at most one 10 ms slice late.
void expectGap(const Remote& r, std::size_t i, std::int64_t pauseMs, std::int64_t framingMs = 100) {
    SCOPED_TRACE("after " + r.seen.at(i).name);
    const std::int64_t least = (framingMs + pauseMs + 1) * 1000;
    EXPECT_GE(r.gapAfterUs(i), least);
    EXPECT_LE(r.gapAfterUs(i), least + 10'000);
}

TEST(RemoteWrite, ExactDialogueAndDelays) {
    Remote r;
    const Bytes image = patterned(896);
    r.callUp().cmd("pdum07\r", kOk);
    for (int i = 0; i < 7; ++i) {
        r.cmd("prog" + hex2(i) + "\r", std::nullopt);
        r.step("block " + hex2(i), withSum(block(image, i)), "OK\r\n");
    }
    r.hangUp();
    const RemoteResult res = r.write(image);

    EXPECT_TRUE(res.ok);
    EXPECT_EQ(r.line.written, r.dialogue);
    EXPECT_TRUE(r.line.steps.empty());
    EXPECT_EQ(r.line.settings.readIntervalMs, 100); // setdcb(1)
    EXPECT_EQ(r.line.opened, std::vector<std::string>{"/dev/ttyUSB0"});
    EXPECT_FALSE(r.line.isOpen());
    EXPECT_FALSE(res.portOpen);
    EXPECT_TRUE(res.dialled);
    EXPECT_TRUE(res.hungUp);
    EXPECT_EQ(res.blocks, 7);
    EXPECT_EQ(res.message, "Удаленная запись успешно завершена.");
    EXPECT_EQ(r.words,
              (std::vector<std::string>{"Check modem", "Checking GSMNet", "Connecting", "Writing",
                                        "Writing00", "Writing01", "Writing02", "Writing03",
                                        "Writing04", "Writing05", "Writing06", "Disconnect"}));
    // 2 s between the preparation's commands, before the registration query and the
    // dial; 300 ms before each block command; 2 s before "+++AT" and before "ATH".
    ASSERT_EQ(r.seen.size(), 5u + 1 + 14 + 2);
    expectGap(r, 0, 2000); // ATE=0 -> AT
    expectGap(r, 1, 2000); // AT -> AT+CBST
    expectGap(r, 2, 2000); // AT+CBST -> AT+CREG?
    expectGap(r, 3, 2000); // AT+CREG? -> ATD
    expectGap(r, 5, 300);  // pdum -> prog00
    for (std::size_t b = 0; b < 6; ++b) {
        expectGap(r, 7 + 2 * b, 300); // block -> next prog
    }
    expectGap(r, 19, 2000); // last block -> +++AT
    expectGap(r, 20, 2000); // +++AT -> ATH
    // The dial is answered after the bearer's pause: at least 8 s of plain delay.
    EXPECT_GE(r.seen.at(4).matchUs - r.line.writeTimesUs.front(), 8'000'000);
}

TEST(RemoteRead, ExactDialogueAndDelays) {
    Remote r;
    const Bytes image = patterned(896);
    r.callUp().cmd("rdump\r", std::string("\r\n07"));
    for (int i = 0; i < 7; ++i) {
        r.cmd("read" + hex2(i) + "\r", blockAnswer(image, i));
    }
    r.hangUp();
    const RemoteResult res = r.read();

    EXPECT_TRUE(res.ok);
    EXPECT_EQ(r.line.written, r.dialogue);
    EXPECT_FALSE(r.line.isOpen());
    EXPECT_EQ(res.image, image);
    EXPECT_EQ(res.blocks, 7);
    EXPECT_EQ(res.message, "Удаленное чтение успешно завершено!");
    EXPECT_EQ(r.words, (std::vector<std::string>{
                           "Check modem", "Checking GSMNet", "Connecting", "Reading", "Reading00",
                           "Reading01", "Reading02", "Reading03", "Reading04", "Reading05",
                           "Reading06", "Read OK. It was readed 7 blocks.", "Disconnect"}));
    ASSERT_EQ(r.seen.size(), 5u + 1 + 7 + 2);
    for (std::size_t i = 0; i < 4; ++i) {
        expectGap(r, i, 2000);
    }
    for (std::size_t i = 5; i < 12; ++i) {
        expectGap(r, i, 300);
    }
    expectGap(r, 12, 2000);
    expectGap(r, 13, 2000);
}

// The quick exchange: the same dialogue byte for byte; each preparation command 200 ms
// after the answer's tail and the guard (4 ms) instead of 2 s, the hang-up's 2 s kept,
// 300 ms before every block command.
TEST(RemoteSessions, QuickSettlesAfterOkAndKeepsTheHangUpWaits) {
    const Bytes image = patterned(896);
    constexpr std::int64_t kGuard = 4;
    for (const bool writing : {false, true}) {
        SCOPED_TRACE(writing ? "write" : "read");
        Remote r;
        r.params.Quick = true;
        r.callUp().cmd(writing ? "pdum07\r" : "rdump\r", writing ? kOk : "\r\n07");
        for (int i = 0; i < 7; ++i) {
            if (writing) {
                r.cmd("prog" + hex2(i) + "\r", std::nullopt);
                r.step("block " + hex2(i), withSum(block(image, i)), "OK\r\n");
            } else {
                r.cmd("read" + hex2(i) + "\r", blockAnswer(image, i));
            }
        }
        r.hangUp();
        const RemoteResult res = writing ? r.write(image) : r.read();
        ASSERT_TRUE(res.ok);
        EXPECT_EQ(r.line.written, r.dialogue);
        EXPECT_EQ(res.image, writing ? Bytes() : image);
        for (std::size_t i = 0; i < 4; ++i) {
            expectGap(r, i, kModemSettleMs, kGuard);
        }
        expectGap(r, 4, 0, kGuard); // CONNECT -> the count
        expectGap(r, 5, 300, kGuard);
        // Written blocks end with "OK" and the guard, read ones at their 132nd byte.
        const std::size_t last = writing ? 19 : 12;
        for (std::size_t i = writing ? 7 : 6; i < last; i += writing ? 2 : 1) {
            expectGap(r, i, 300, writing ? kGuard : 0);
        }
        expectGap(r, last, kModemPauseMs, writing ? kGuard : 0);
        expectGap(r, last + 1, kModemPauseMs, kGuard);
    }
}

// The empty telephone ends both commands after the three preparation commands: no
// registration query, no dial, no hang-up. The write pauses 2 s before the check, the
// read after it (so it stops at once).
TEST(RemoteSessions, EmptyTelephoneStopsAfterThePreparation) {
    for (const bool writing : {true, false}) {
        SCOPED_TRACE(writing ? "write" : "read");
        Remote r;
        r.preparation().cmd("AT+CREG?\r", kReg1);
        const RemoteResult res = writing ? r.write(patterned(896), "") : r.read("");
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.message, "Не введен телефон модуля");
        EXPECT_EQ(r.line.written, bytes("ATE=0\rAT\rAT+CBST=71,0,1\r"));
        EXPECT_FALSE(res.dialled);
        EXPECT_FALSE(res.hungUp);
        EXPECT_FALSE(r.line.isOpen());
        EXPECT_EQ(r.words, std::vector<std::string>{"Check modem"});
        const std::int64_t afterBearer = r.clock.us - r.seen.at(2).replyEndUs;
        EXPECT_GE(afterBearer, writing ? 2'100'000 : 100'000);
        EXPECT_LE(afterBearer, writing ? 2'111'000 : 111'000);
    }
}

// A CR inside the number would end "ATD" early and send the rest as a command.
TEST(RemoteSessions, ControlCharactersInTheTelephoneAreNotDialled) {
    for (const std::string& tel :
         {std::string("123\rATH"), std::string("12\n3"), std::string("1\x7f")}) {
        Remote r;
        r.preparation().cmd("AT+CREG?\r", kReg1);
        const RemoteResult res = r.read(tel);
        EXPECT_EQ(res.message, "Телефон модуля содержит недопустимые символы");
        EXPECT_EQ(r.line.written, bytes("ATE=0\rAT\rAT+CBST=71,0,1\r"));
        EXPECT_FALSE(res.hungUp);
    }
    EXPECT_TRUE(DialableTelephone("+7 (916) 123-45-67,*#"));
}

TEST(RemoteSessions, PreparationFailuresSayTheModemIsNotConnected) {
    struct Case {
        const char* name;
        std::optional<std::string> ate, at, cbst;
        std::string written;
    };
    const Case cases[] = {
        {"silent modem", std::nullopt, {}, {}, "ATE=0\r"},
        {"AT refused", std::string(kOk), std::string("\r\nERROR\r\n"), {}, "ATE=0\rAT\r"},
        {"no data bearer", std::string(kOk), std::string(kOk), std::string("\r\nERROR\r\n"),
         "ATE=0\rAT\rAT+CBST=71,0,1\r"},
        {"OK with an extra line end",
         std::string(kOk),
         std::string("\r\nOK\r\n\r\n"),
         {},
         "ATE=0\rAT\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Remote r;
        r.cmd("ATE=0\r", c.ate).cmd("AT\r", c.at).cmd("AT+CBST=71,0,1\r", c.cbst);
        const RemoteResult res = r.read();
        EXPECT_EQ(res.message, "Модем не подключен");
        EXPECT_EQ(r.line.written, bytes(c.written));
        EXPECT_FALSE(res.hungUp);
        EXPECT_FALSE(r.line.isOpen());
    }
}

TEST(RemoteSessions, RegistrationStates) {
    struct Case {
        std::optional<std::string> answer;
        bool proceeds;
        StatusCode code;
    };
    const Case cases[] = {
        {std::string(kReg1), true, StatusNone},
        {std::string("\r\n+CREG: 0,5\r\n\r\nOK\r\n"), true, StatusNone},      // roaming
        {std::string("\r\n+CREG: 0,2\r\n\r\nOK\r\n"), false, StatusBadReply}, // searching
        {std::string("\r\n+CREG: 0,3\r\n\r\nOK\r\n"), false, StatusBadReply}, // denied
        {std::nullopt, false, StatusTimeout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer ? *c.answer : "no answer");
        Remote r;
        r.preparation().cmd("AT+CREG?\r", c.answer);
        if (c.proceeds) {
            r.cmd("ATD" + std::string(kTel) + "\r", std::string("\r\nNO CARRIER\r\n"));
        }
        r.hangUp();
        const std::int64_t start = r.clock.us;
        const RemoteResult res = r.read();
        EXPECT_EQ(res.dialled, c.proceeds);
        EXPECT_TRUE(res.hungUp);
        EXPECT_EQ(r.line.written, r.dialogue);
        EXPECT_EQ(r.words.back(), "Disconnect");
        if (c.proceeds) {
            EXPECT_EQ(res.message, "Нет связи с удаленным объектом");
        } else {
            EXPECT_EQ(res.message, "Модем не зарегистрирован в сети");
            EXPECT_EQ(res.code, c.code);
            EXPECT_EQ(r.words,
                      (std::vector<std::string>{"Check modem", "Checking GSMNet", "Disconnect"}));
        }
        if (!c.answer) {
            EXPECT_GE(r.clock.us - start, 4'000'000 + 10'000'000 + 4'000'000);
        }
        EXPECT_FALSE(r.line.isOpen());
    }
}

TEST(RemoteSessions, NoConnectWithinFortySeconds) {
    for (const bool writing : {true, false}) {
        SCOPED_TRACE(writing ? "write" : "read");
        Remote r;
        r.preparation()
            .cmd("AT+CREG?\r", kReg1)
            .cmd("ATD" + std::string(kTel) + "\r", std::nullopt);
        r.hangUp();
        const RemoteResult res = writing ? r.write(patterned(896)) : r.read();
        EXPECT_EQ(res.message, "Нет связи с удаленным объектом");
        EXPECT_EQ(res.code, StatusTimeout);
        EXPECT_TRUE(res.hungUp);
        EXPECT_EQ(r.line.written, r.dialogue);
        // The dial's last byte, then 40 s and the slice that sees them pass, then the
        // hang-up's 2 s.
        const std::int64_t waited = r.line.writeTimesUs.at(r.seen.at(4).writtenEnd) -
                                    r.line.writeTimesUs.at(r.seen.at(4).writtenEnd - 1);
        EXPECT_GE(waited, 1'000 + 40'000'000 + 2'000'000);
        EXPECT_LE(waited, 1'000 + 40'000'000 + 2'000'000 + 15'000);
        EXPECT_EQ(r.words, (std::vector<std::string>{"Check modem", "Checking GSMNet", "Connecting",
                                                     "Disconnect"}));
    }
}

// Inputs 9..12 are extension block 2: the image is 896 + 2 x 384 bytes, 13 blocks.
TEST(RemoteWrite, TwoExtensionBlocksAreThirteenBlocks) {
    Configuration cfg;
    setdefault(cfg);
    cfg.Inputs[10].Flags |= 1;
    cfg.Inputs[10].AlarmSMSText = "Zone 10";
    const Bytes image = EncodeImage(cfg);
    ASSERT_EQ(cfg.ExtBlocksCount, 2);
    ASSERT_EQ(image.size(), 13u * 128);

    Remote r;
    r.callUp().cmd("pdum0D\r", kOk);
    for (int i = 0; i < 13; ++i) {
        r.cmd("prog" + hex2(i) + "\r", std::nullopt);
        r.step("block " + hex2(i), withSum(block(image, i)), "OK\r\n");
    }
    r.hangUp();
    const RemoteResult res = r.write(image);
    EXPECT_TRUE(res.ok);
    EXPECT_EQ(res.blocks, 13);
    EXPECT_EQ(r.line.written, r.dialogue);
    EXPECT_EQ(r.words.at(r.words.size() - 2), "Writing0C");
}

TEST(RemoteWrite, RefusesAnImageThatIsNotWholeBlocks) {
    Remote r;
    EXPECT_THROW(r.write(Bytes(896 + 128)), std::length_error);
    EXPECT_THROW(r.write(Bytes(512)), std::length_error);
    EXPECT_TRUE(r.line.written.empty());
    EXPECT_FALSE(r.line.isOpen());
}

TEST(RemoteWrite, TransferFailuresHangUpWithNoAnswerFromTheObject) {
    struct Case {
        const char* name;
        std::optional<std::string> pdum;
        std::optional<std::string> block1;
    };
    const Case cases[] = {
        {"pdum unanswered", std::nullopt, {}},
        {"pdum refused", std::string("ER\r\n"), {}},
        {"block refused", std::string(kOk), std::string("ER\r\n")},
        {"block unanswered", std::string(kOk), std::nullopt},
    };
    const Bytes image = patterned(896);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Remote r;
        r.callUp().cmd("pdum07\r", c.pdum);
        if (c.pdum == std::string(kOk)) {
            r.cmd("prog00\r", std::nullopt).step("block 00", withSum(block(image, 0)), "OK\r\n");
            r.cmd("prog01\r", std::nullopt).step("block 01", withSum(block(image, 1)), c.block1);
        }
        r.hangUp();
        const RemoteResult res = r.write(image);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.message, "Ошибка! Нет ответа от объекта");
        EXPECT_TRUE(res.hungUp);
        EXPECT_EQ(r.line.written, r.dialogue);
        EXPECT_FALSE(r.line.isOpen());
    }
}

TEST(RemoteRead, CountsAndTheirExtensionBlocks) {
    struct Case {
        std::string count;
        int blocks;
        int decoded; // extension blocks decoded; -1: the read fails
    };
    const Case cases[] = {
        {"0D", 13, 2}, {"08", 8, 0}, {"09", 9, 0}, {"07", 7, 0}, {"00", 0, -1}, {"0G", 0, -1},
    };
    // The transmitter holds inputs 5..12 active with their own texts.
    Configuration tx;
    setdefault(tx);
    for (int n = 5; n <= 12; ++n) {
        tx.Inputs[n].Flags |= 1;
        tx.Inputs[n].AlarmSMSText = "Input " + std::to_string(n);
    }
    const Bytes image = EncodeImage(tx);
    ASSERT_EQ(image.size(), 13u * 128);
    for (const Case& c : cases) {
        SCOPED_TRACE("count " + c.count);
        Remote r;
        r.callUp().cmd("rdump\r", "\r\n" + c.count);
        for (int i = 0; i < c.blocks; ++i) {
            r.cmd("read" + hex2(i) + "\r", blockAnswer(image, i));
        }
        r.hangUp();
        const RemoteResult res = r.read();
        EXPECT_EQ(r.line.written, r.dialogue);
        EXPECT_TRUE(res.hungUp);
        EXPECT_FALSE(r.line.isOpen());
        if (c.decoded < 0) {
            EXPECT_FALSE(res.ok);
            EXPECT_EQ(res.message, "Ошибка! Нет ответа от объекта");
            EXPECT_EQ(r.words, (std::vector<std::string>{"Check modem", "Checking GSMNet",
                                                         "Connecting", "Reading", "Disconnect"}));
            continue;
        }
        ASSERT_TRUE(res.ok);
        EXPECT_EQ(res.blocks, c.blocks);
        Configuration cfg;
        setdefault(cfg);
        const Configuration fresh = cfg;
        cfg.ExtBlocksCount = 5; // set by counts above 7 only (08 and 09 give 0)
        EXPECT_EQ(DecodeRemoteImage(cfg, res.image, res.blocks), c.decoded);
        EXPECT_EQ(cfg.ExtBlocksCount, c.blocks > 7 ? c.decoded : 5);
        for (int n = 5; n <= 12; ++n) {
            SCOPED_TRACE("input " + std::to_string(n));
            EXPECT_EQ(cfg.Inputs[n].Flags & 1, c.decoded > 0 ? 1 : 0);
            EXPECT_EQ(cfg.Inputs[n].AlarmSMSText,
                      c.decoded > 0 ? tx.Inputs[n].AlarmSMSText : fresh.Inputs[n].AlarmSMSText);
        }
    }
}

TEST(RemoteRead, FailedBlockHangsUp) {
    const Bytes image = patterned(896);
    Remote r;
    r.callUp().cmd("rdump\r", std::string("07"));
    r.cmd("read00\r", blockAnswer(image, 0)).cmd("read01\r", std::nullopt);
    r.hangUp();
    const RemoteResult res = r.read();
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.code, StatusTimeout);
    EXPECT_EQ(res.message, "Ошибка! Нет ответа от объекта");
    EXPECT_TRUE(res.image.empty());
    EXPECT_EQ(r.line.written, r.dialogue);
    EXPECT_EQ(r.words.back(), "Disconnect");
}

TEST(RemoteSessions, PortBusy) {
    Remote r;
    r.line.refuseOpen = true;
    const RemoteResult res = r.read();
    EXPECT_EQ(res.message, "error\n/dev/ttyUSB0: Device or resource busy. Порт открыт другой "
                           "программой (или другим окном этой программы).");
    EXPECT_EQ(res.caption, "Порт занят");
    EXPECT_TRUE(r.line.written.empty());
    EXPECT_FALSE(res.hungUp);

    // The port held by the cable link: refused the same way and left open.
    Remote held;
    ASSERT_TRUE(held.line.open(held.params.PortName));
    const RemoteResult h = held.write(patterned(896));
    EXPECT_EQ(h.caption, "Порт занят");
    EXPECT_EQ(h.refusal.failure, OpenFailure::HeldHere);
    EXPECT_TRUE(held.line.written.empty());
    EXPECT_TRUE(held.line.isOpen());
    EXPECT_TRUE(h.portOpen);
}

TEST(RemoteSessions, RefusedSettingsCloseThePortWithoutAMessage) {
    Remote r;
    r.line.refuseSettings = true;
    const RemoteResult res = r.write(patterned(896));
    EXPECT_TRUE(res.message.empty());
    EXPECT_TRUE(r.line.written.empty());
    EXPECT_FALSE(r.line.isOpen());
}

// The line vanishing during the call ends the session at once: nothing more can be
// sent, the port is closed, and the message names the failed step.
TEST(RemoteSessions, VanishedLineDuringTheTransfer) {
    const Bytes image = patterned(896);
    Remote r;
    r.callUp().cmd("rdump\r", std::string("07"));
    r.cmd("read00\r", blockAnswer(image, 0), [&r] { r.line.failAtUs = r.clock.us + 50'000; });
    const std::int64_t start = r.clock.us;
    const RemoteResult res = r.read();
    EXPECT_EQ(res.message, "Ошибка! Нет ответа от объекта");
    EXPECT_EQ(res.code, StatusBadReply);
    EXPECT_EQ(r.words.back(), "Disconnect");
    EXPECT_FALSE(r.line.isOpen());
    EXPECT_FALSE(res.portOpen);
    EXPECT_LT(r.clock.us - start, 20'000'000); // no waiting for a line that is gone
    EXPECT_LT(r.line.reads, 3000);
}

// The cancel flag (Ctrl+C, SIGTERM, SIGHUP, the window going) is acted on within one
// wait slice, in a pending answer or a pause alike: no further command of the session
// goes out, the call is hung up once the registration query has gone, and the result
// is "cancelled" without a message of its own.
TEST(RemoteSessions, CancelStopsWithinOneSliceAndHangsUp) {
    const Bytes image = patterned(896);
    const std::string atd = "ATD" + std::string(kTel) + "\r";
    struct Case {
        const char* name;
        bool writing;
        // Builds the script up to the step whose completion sets the alarm (the last
        // one added); the alarm rings `after` microseconds later.
        std::function<void(Remote&)> script;
        std::int64_t after;
        bool hungUp;
    };
    const Case cases[] = {
        {"during a block's answer", false,
         [&](Remote& r) {
             r.callUp().cmd("rdump\r", std::string("07"));
             r.cmd("read00\r", blockAnswer(image, 0));
         },
         100'000, true},
        {"in the pause after a written block", true,
         [&](Remote& r) {
             r.callUp().cmd("pdum07\r", kOk);
             r.cmd("prog00\r", std::nullopt).step("block 00", withSum(block(image, 0)), "OK\r\n");
         },
         350'000, true},
        {"3 s into the dial's 40 s", false,
         [&](Remote& r) { r.preparation().cmd("AT+CREG?\r", kReg1).cmd(atd, std::nullopt); },
         3'000'000, true},
        {"during the registration wait", false,
         [&](Remote& r) { r.preparation().cmd("AT+CREG?\r", std::nullopt); }, 4'000'000, true},
        {"in the pause before the dial", true,
         [&](Remote& r) { r.preparation().cmd("AT+CREG?\r", kReg1); }, 1'000'000, true},
        {"during the preparation", true, [&](Remote& r) { r.cmd("ATE=0\r", kOk); }, 500'000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Remote r;
        c.script(r);
        std::int64_t alarm = 0;
        r.line.steps.back().onMatch = [&, seen = r.line.steps.back().onMatch] {
            seen();
            alarm = r.clock.us + c.after;
            r.clock.alarmAtUs = alarm;
            r.clock.onAlarm = [&] { r.cancel = true; };
        };
        if (c.hungUp) {
            r.hangUp();
        }
        const RemoteResult res = c.writing ? r.write(image) : r.read();
        EXPECT_TRUE(res.cancelled);
        EXPECT_FALSE(res.ok);
        EXPECT_TRUE(res.message.empty());
        EXPECT_EQ(res.hungUp, c.hungUp);
        EXPECT_EQ(r.line.written, r.dialogue);
        EXPECT_FALSE(r.line.isOpen());
        ASSERT_NE(alarm, 0);
        if (c.hungUp) {
            EXPECT_EQ(r.words.back(), "Disconnect");
            // "+++AT" follows the alarm by a slice at most and the hang-up's 2 s.
            const std::int64_t escape =
                r.line.writeTimesUs.at(r.seen.at(r.seen.size() - 2).writtenEnd - 6);
            EXPECT_GE(escape - alarm, 2'000'000);
            EXPECT_LE(escape - alarm, 2'000'000 + 10'000 + 1'000);
        } else {
            EXPECT_LE(r.clock.us - alarm, 10'000);
        }
    }
}

// A hang-up that the modem did not answer with "OK" leaves the result as it was and
// adds the warning that the call may still be up.
TEST(RemoteSessions, UnconfirmedHangUpIsAWarning) {
    const std::string tail = ". Модем может оставаться на связи с объектом: выключите и снова "
                             "включите модем, прежде чем звонить снова.";
    struct Case {
        const char* name;
        std::optional<std::string> escape, hangUp;
        bool readOk;
        std::string warning;
    };
    const Case cases[] = {
        {"both answered", std::string(kOk), std::string(kOk), true, ""},
        {"no answer to +++AT", std::nullopt, std::string(kOk), true,
         "Отбой не подтвержден (нет ответа «OK» на «+++AT»)" + tail},
        {"ATH refused", std::string(kOk), std::string("\r\nERROR\r\n"), false,
         "Отбой не подтвержден (нет ответа «OK» на «ATH»)" + tail},
        {"a deaf modem", std::nullopt, std::nullopt, false,
         "Отбой не подтвержден (нет ответа «OK» на «+++AT» и «ATH»)" + tail},
        {"the call's transmitter answers both", std::string("ER\r\n"), std::string("ER\r\n"), true,
         "Отбой не подтвержден (нет ответа «OK» на «+++AT» и «ATH»)" + tail},
    };
    const Bytes image = patterned(896);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Remote r;
        if (c.readOk) {
            r.callUp().cmd("rdump\r", std::string("07"));
            for (int i = 0; i < 7; ++i) {
                r.cmd("read" + hex2(i) + "\r", blockAnswer(image, i));
            }
        } else {
            r.preparation()
                .cmd("AT+CREG?\r", kReg1)
                .cmd("ATD" + std::string(kTel) + "\r", std::string("\r\nNO CARRIER\r\n"));
        }
        r.cmd("+++AT\r", c.escape).cmd("ATH\r", c.hangUp);
        const RemoteResult res = r.read();
        EXPECT_EQ(res.ok, c.readOk);
        EXPECT_EQ(res.message, c.readOk ? "Удаленное чтение успешно завершено!"
                                        : "Нет связи с удаленным объектом");
        EXPECT_EQ(res.warning, c.warning);
        EXPECT_EQ(r.line.written, r.dialogue);
        EXPECT_EQ(r.words.back(), "Disconnect");
    }
}

} // namespace
} // namespace tk::test
