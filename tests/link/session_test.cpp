// The cable sessions against a scripted transmitter on a virtual clock.
#include "fake_line.h"
#include "link/exchange.h"
#include "link/session.h"

#include <gtest/gtest.h>

namespace tk::test {
namespace {

using namespace link;

struct Session : ScriptedLink {
    void openLine() { ASSERT_TRUE(line.open(params.PortName)); }
};

TEST(CableConnect, ProbesUntilMokAndKeepsTheLineOpen) {
    Session s;
    s.line.expect("M\r", std::nullopt).expect("M\r", std::string("M\rMOK\r\n"));
    const SessionResult r = CableConnect(s.line, s.clock, s.params, s.cancel, s.reporter);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.portOpen);
    EXPECT_TRUE(s.line.isOpen());
    EXPECT_EQ(s.line.settings.readIntervalMs, 500);
    EXPECT_EQ(s.words, (std::vector<std::string>{"Connecting", "Connect"}));
    EXPECT_TRUE(r.message.empty());
}

TEST(CableConnect, TenProbesThenNoConnect) {
    Session s;
    for (int i = 0; i < 12; ++i) {
        s.line.expect("M\r", std::nullopt);
    }
    const std::int64_t start = s.clock.us;
    const SessionResult r = CableConnect(s.line, s.clock, s.params, s.cancel, s.reporter);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(s.line.matched, 10);
    std::string probes;
    for (int i = 0; i < 10; ++i) {
        probes += "M\r";
    }
    EXPECT_EQ(s.line.written, bytes(probes));
    EXPECT_FALSE(s.line.isOpen());
    EXPECT_FALSE(r.portOpen);
    EXPECT_EQ(r.status, "No connect");
    EXPECT_EQ(s.words, (std::vector<std::string>{"Connecting", "No connect"}));
    EXPECT_TRUE(r.message.empty());
    // Each attempt: three pauses of 1 ms, then 2 s and one more slice.
    EXPECT_EQ(s.clock.us - start, 10 * (3'000 + 2'010'000));
}

TEST(CableConnect, CancelDuringTheThirdProbeEndsAfterIt) {
    Session s;
    for (int i = 0; i < 10; ++i) {
        Step st;
        st.expect = bytes("M\r");
        if (i == 2) {
            st.onMatch = [&s] { s.cancel = true; };
        }
        s.line.expect(st);
    }
    const SessionResult r = CableConnect(s.line, s.clock, s.params, s.cancel, s.reporter);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(s.line.matched, 3);
    EXPECT_EQ(r.status, "No connect");
    EXPECT_FALSE(s.line.isOpen());
}

// The box keeps its caption and "error", and says which port and why, with what to do
// (the absent port and one that is no serial port: in tk515's tests).
TEST(CableConnect, PortBusyShowsTheBoxAndSendsNothing) {
    struct Case {
        const char* name;
        std::optional<PortRefusal> refusal; // none: the line is held by this program
        std::string text;
    };
    const Case cases[] = {
        {"another program", PortRefusal{OpenFailure::InUse, "Device or resource busy"},
         "error\n/dev/ttyUSB0: Device or resource busy. Порт открыт другой программой (или "
         "другим окном этой программы)."},
        {"no permission", PortRefusal{OpenFailure::Permission, "Permission denied"},
         "error\n/dev/ttyUSB0: Permission denied. Нет прав на порт: добавьте себя в группу "
         "dialout (sudo usermod -aG dialout $USER) и войдите в систему снова."},
        {"held by the cable link", std::nullopt,
         "error\n/dev/ttyUSB0: Порт уже открыт этой программой: установлена связь по "
         "кабелю."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        if (c.refusal) {
            s.line.refuseOpen = true;
            s.line.refusal = *c.refusal;
        } else {
            s.openLine();
        }
        const SessionResult r = CableConnect(s.line, s.clock, s.params, s.cancel, s.reporter);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, c.text);
        EXPECT_EQ(r.caption, "Порт занят");
        EXPECT_EQ(r.refusal.failure, c.refusal ? c.refusal->failure : OpenFailure::HeldHere);
        EXPECT_EQ(r.status, "No connect");
        EXPECT_TRUE(s.line.written.empty());
        // A line this program holds stays open.
        EXPECT_EQ(s.line.isOpen(), !c.refusal);
    }
}

TEST(CableConnect, RefusedSettingsCloseTheLineWithoutABox) {
    Session s;
    s.line.refuseSettings = true;
    const SessionResult r = CableConnect(s.line, s.clock, s.params, s.cancel, s.reporter);
    EXPECT_EQ(r.status, "No connect");
    EXPECT_TRUE(r.message.empty());
    EXPECT_FALSE(s.line.isOpen());
}

TEST(CableRead, SevenBlocksWithPausesAndStatusWords) {
    Session s;
    s.openLine();
    s.line.expect("rdump\r", std::string("\r\n07"));
    for (int i = 0; i < 7; ++i) {
        s.line.expect("read" + hex2(i) + "\r", blockAnswer(i));
    }
    const SessionResult r = CableRead(s.line, s.clock, s.params, s.cancel, s.reporter);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.blocks, 7);
    EXPECT_EQ(s.line.matched, 8);
    ASSERT_EQ(r.image.size(), 896u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(std::string(r.image.begin() + i * 128, r.image.begin() + i * 128 + 128),
                  blockAnswer(i).substr(0, 128));
    }
    EXPECT_EQ(s.words, (std::vector<std::string>{"Reading", "Reading00", "Reading01", "Reading02",
                                                 "Reading03", "Reading04", "Reading05", "Reading06",
                                                 "Read OK. It was readed 7 blocks."}));
    EXPECT_EQ(r.message, "Операция чтения завершена успешно!");
    EXPECT_TRUE(r.portOpen); // the caller disconnects after the message
}

TEST(CableRead, ThreeHundredMsBeforeEveryBlockCommand) {
    Session s;
    s.openLine();
    s.line.expect("rdump\r", std::string("02"));
    s.line.expect("read00\r", blockAnswer(0)).expect("read01\r", blockAnswer(1));
    CableRead(s.line, s.clock, s.params, s.cancel, s.reporter);
    // The first byte of "read01" follows the end of block 0's answer (its last byte,
    // 500 ms of silence and the slice that sees it) by 300 ms and one pause.
    const std::int64_t firstOfRead01 = s.line.writeTimesUs[6 + 7];
    const std::int64_t lastOfRead00 = s.line.writeTimesUs[6 + 6];
    const std::int64_t answer = 2'000 + 1'000 + 131 * 1042; // last answer byte after "\r"
    EXPECT_GE(firstOfRead01 - lastOfRead00, answer + 500'000 + 300'000 + 1'000);
    EXPECT_LE(firstOfRead01 - lastOfRead00, answer + 500'000 + 300'000 + 1'000 + 10'000);
}

// The quick exchange sends what the normal one sends, byte for byte and with the same
// pauses, and moves the same image: each command's first byte follows the answer
// before it by its silence (500 ms and a slice; quick: the 4 ms guard, or nothing
// after a block's 132nd byte), the 300 ms and one pause.
TEST(CableSessions, QuickSendsTheSameBytesWithTheSamePauses) {
    Bytes image(896);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 11 + 3);
    }
    struct Run {
        SessionResult result;
        Bytes written;
        std::vector<std::string> words;
        std::vector<std::int64_t> gapsMs; // from an answer's last byte to the next command
    };
    for (const bool writing : {false, true}) {
        SCOPED_TRACE(writing ? "write" : "read");
        Run runs[2];
        for (const bool quick : {false, true}) {
            Session s;
            s.params.Quick = quick;
            s.openLine();
            // Per answer: the bytes written when it was asked for, its last byte's time.
            std::vector<std::pair<std::size_t, std::int64_t>> answers;
            auto add = [&](Bytes expect, std::optional<std::string> reply) {
                Step st{std::move(expect), {}, 2000, 1042, {}};
                if (reply) {
                    st.reply = bytes(*reply);
                    st.onMatch = [&s, &answers, n = static_cast<std::int64_t>(reply->size())] {
                        answers.emplace_back(s.line.written.size(),
                                             s.clock.us + 2000 + (n - 1) * 1042);
                    };
                }
                s.line.expect(std::move(st));
            };
            if (writing) {
                add(bytes("pdum04\r"), "OK\r\n");
                for (int i = 0; i < 4; ++i) {
                    add(bytes("prog" + hex2(i) + "\r"), std::nullopt);
                    Bytes block(130);
                    formsum(block,
                            std::span(image).subspan(128 * static_cast<std::size_t>(i), 128));
                    add(block, "OK\r\n");
                }
            } else {
                add(bytes("rdump\r"), "07");
                for (int i = 0; i < 7; ++i) {
                    add(bytes("read" + hex2(i) + "\r"), blockAnswer(i));
                }
            }
            Run& run = runs[quick];
            run.result = writing
                             ? CableWrite(s.line, s.clock, s.params, image, s.cancel, s.reporter)
                             : CableRead(s.line, s.clock, s.params, s.cancel, s.reporter);
            ASSERT_TRUE(run.result.ok);
            run.written = s.line.written;
            run.words = s.words;
            for (std::size_t a = 0; a + 1 < answers.size(); ++a) {
                const std::int64_t next = s.line.writeTimesUs.at(answers[a].first);
                run.gapsMs.push_back((next - answers[a].second) / 1000);
            }
        }
        EXPECT_EQ(runs[1].written, runs[0].written);
        EXPECT_EQ(runs[1].words, runs[0].words);
        EXPECT_EQ(runs[1].result.image, runs[0].result.image);
        EXPECT_EQ(runs[1].result.message, runs[0].result.message);
        const std::size_t n = writing ? 4 : 7;
        EXPECT_EQ(runs[0].gapsMs, std::vector<std::int64_t>(n, 501 + 300 + 1));
        std::vector<std::int64_t> quick(n, (writing ? 4 : 0) + 300 + 1);
        quick.front() = 4 + 300 + 1; // after "OK" or the count: the guard
        EXPECT_EQ(runs[1].gapsMs, quick);
    }
}

TEST(CableRead, CountFailuresGiveTheirCode) {
    struct Case {
        std::optional<std::string> answer;
        std::string words;
    };
    const Case cases[] = {
        {std::string("00"), "Error 0"},
        {std::string("0G"), "Error 4"},
        {std::nullopt, "Error 3"},
    };
    for (const Case& c : cases) {
        Session s;
        s.openLine();
        s.line.expect("rdump\r", c.answer);
        const SessionResult r = CableRead(s.line, s.clock, s.params, s.cancel, s.reporter);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.status, c.words);
        EXPECT_EQ(s.line.written, bytes("rdump\r")); // no block command
        EXPECT_TRUE(r.message.empty());
        EXPECT_TRUE(r.portOpen);
    }
}

TEST(CableRead, FailedBlockEndsTheReadAtOnce) {
    Session s;
    s.openLine();
    s.line.expect("rdump\r", std::string("07"));
    s.line.expect("read00\r", blockAnswer(0));
    s.line.expect("read01\r", blockAnswer(1).substr(0, 128) + "ER\r\n");
    s.line.expect("read02\r", blockAnswer(2));
    const SessionResult r = CableRead(s.line, s.clock, s.params, s.cancel, s.reporter);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.code, StatusBadReply);
    EXPECT_EQ(s.words.back(), "Error 4");
    EXPECT_EQ(s.line.matched, 3);
}

// Blocks never received, and an answer shorter than a block, leave zeros: never bytes
// of the count's answer or of the previous block's tail.
TEST(CableRead, ReplyAreaClearedBeforeEachBlock) {
    Session s;
    s.openLine();
    s.line.expect("rdump\r", std::string(200, 'R') + "02");
    s.line.expect("read00\r", blockAnswer(0).substr(0, 128) + std::string(100, 'T') + "OK\r\n");
    s.line.expect("read01\r", std::string("xyOK\r\n"));
    const SessionResult r = CableRead(s.line, s.clock, s.params, s.cancel, s.reporter);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.blocks, 2);
    Bytes expected(896, 0);
    const std::string b0 = blockAnswer(0);
    std::copy(b0.begin(), b0.begin() + 128, expected.begin());
    const std::string b1 = "xyOK\r\n";
    std::copy(b1.begin(), b1.end(), expected.begin() + 128);
    EXPECT_EQ(r.image, expected);
}

TEST(CableRead, VanishedLineEndsWithBadReply) {
    Session s;
    s.openLine();
    s.line.expect("rdump\r", std::string("07"));
    s.line.expect("read00\r", blockAnswer(0));
    s.line.expect("read01\r", std::nullopt);
    s.line.failAtUs = s.clock.us + 3'000'000;
    const SessionResult r = CableRead(s.line, s.clock, s.params, s.cancel, s.reporter);
    EXPECT_EQ(r.status, "Error 4");
    EXPECT_FALSE(r.portOpen);
    EXPECT_LT(s.line.reads, 400); // one read per slice at most, no spinning
}

// The exact byte stream of a write: "pdum04", then per block "prog" hh and the block
// with its sum.
TEST(CableWrite, ExactByteStreamWithSums) {
    Session s;
    s.openLine();
    Bytes image(896);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 13 + 5);
    }
    std::fill(image.begin() + 256, image.begin() + 384, 0xFF); // block 2
    Bytes expected = bytes("pdum04\r");
    s.line.expect("pdum04\r", std::string("OK\r\n"));
    for (int i = 0; i < 4; ++i) {
        const Bytes prog = bytes("prog" + hex2(i) + "\r");
        expected.insert(expected.end(), prog.begin(), prog.end());
        Step p;
        p.expect = prog;
        s.line.expect(p);
        Step blk;
        blk.expect.assign(image.begin() + i * 128, image.begin() + i * 128 + 128);
        unsigned sum = 0;
        for (std::uint8_t b : blk.expect) {
            sum += b;
        }
        blk.expect.push_back(static_cast<std::uint8_t>(sum >> 8));
        blk.expect.push_back(static_cast<std::uint8_t>(sum & 0xFF));
        if (i == 2) {
            EXPECT_EQ(blk.expect[128], 0x7F);
            EXPECT_EQ(blk.expect[129], 0x80);
        }
        blk.reply = bytes("OK\r\n");
        expected.insert(expected.end(), blk.expect.begin(), blk.expect.end());
        s.line.expect(blk);
    }
    const SessionResult r = CableWrite(s.line, s.clock, s.params, image, s.cancel, s.reporter);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(s.line.written, expected);
    EXPECT_EQ(s.line.matched, 9);
    EXPECT_EQ(s.words,
              (std::vector<std::string>{"Writing", "Writing00", "Writing01", "Writing02",
                                        "Writing03", "Write OK. It was writed 4 blocks."}));
    EXPECT_EQ(r.message, "Операция записи завершена успешно!");
    EXPECT_EQ(r.blocks, 4);
}

TEST(CableWrite, FailuresShowTheWriteErrorBox) {
    struct Case {
        std::optional<std::string> pdumAnswer;
        std::optional<std::string> block1Answer;
        std::string words;
        std::size_t bytesSent;
    };
    const Case cases[] = {
        {std::nullopt, {}, "Error 3", 7},
        {std::string("ER\r\n"), {}, "Error 4", 7},
        {std::string("OK\r\n"), std::string("ER\r\n"), "Error 4", 7 + 2 * (7 + 130)},
        {std::string("OK\r\n"), std::nullopt, "Error 3", 7 + 2 * (7 + 130)},
    };
    for (const Case& c : cases) {
        Session s;
        s.openLine();
        const Bytes image(896, 0x11);
        s.line.expect("pdum04\r", c.pdumAnswer);
        Bytes block(image.begin(), image.begin() + 128);
        block.push_back(0x08); // 128 x 0x11 = 0x0880
        block.push_back(0x80);
        for (int i = 0; i < 2; ++i) {
            s.line.expect("prog" + hex2(i) + "\r", std::nullopt);
            Step blk;
            blk.expect = block;
            if (i == 0) {
                blk.reply = bytes("OK\r\n");
            } else if (c.block1Answer) {
                blk.reply = bytes(*c.block1Answer);
            }
            s.line.expect(blk);
        }
        const SessionResult r = CableWrite(s.line, s.clock, s.params, image, s.cancel, s.reporter);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.status, c.words);
        EXPECT_EQ(r.message, "Операция записи завершена с ошибкой.");
        EXPECT_EQ(s.line.written.size(), c.bytesSent);
        EXPECT_TRUE(r.portOpen);
    }
}

// The cancel flag (the window going, Ctrl+C) stops a read or a write within one wait
// slice, in a pause or in a pending answer alike: no further command goes out, no
// words and no message follow, and the line is left to the caller.
TEST(CableSessions, CancelStopsWithinOneSlice) {
    const Bytes image(896, 0x11);
    Bytes block0(image.begin(), image.begin() + 128);
    block0.push_back(0x08); // 128 x 0x11 = 0x0880
    block0.push_back(0x80);
    // From the end of a command to a moment in the 300 ms pause after its answer (the
    // answer, 500 ms of silence, a slice).
    constexpr std::int64_t kIntoThePauseUs = 800'000;
    struct Case {
        const char* name;
        bool writing;
        int alarmStep;           // the alarm is set when this step's command is complete
        std::int64_t alarmAfter; // ... this long after it
        std::string sent;
    };
    const Case cases[] = {
        {"read: 3 s into an unanswered block", false, 2, 3'000'000, "rdump\rread00\rread01\r"},
        {"read: in the pause between blocks", false, 1, kIntoThePauseUs, "rdump\rread00\r"},
        {"write: 3 s into the count's answer", true, 0, 3'000'000, "pdum04\r"},
        {"write: in the pause between blocks", true, 2, kIntoThePauseUs,
         "pdum04\rprog00\r" + std::string(block0.begin(), block0.end())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        s.openLine();
        if (c.writing) {
            // The count is answered unless the alarm rings while it is awaited.
            s.line.expect("pdum04\r",
                          c.alarmStep == 0 ? std::nullopt : std::optional<std::string>("OK\r\n"));
            s.line.expect("prog00\r", std::nullopt);
            s.line.expect(Step{block0, bytes("OK\r\n"), 2000, 1042, {}});
        } else {
            s.line.expect("rdump\r", std::string("07"));
            s.line.expect("read00\r", blockAnswer(0));
            s.line.expect("read01\r", std::nullopt);
        }
        std::int64_t alarm = 0;
        s.line.steps.at(static_cast<std::size_t>(c.alarmStep)).onMatch = [&] {
            alarm = s.clock.us + c.alarmAfter;
            s.clock.alarmAtUs = alarm;
            s.clock.onAlarm = [&] { s.cancel = true; };
        };
        const std::size_t wordsBefore = s.words.size();
        const SessionResult r =
            c.writing ? CableWrite(s.line, s.clock, s.params, image, s.cancel, s.reporter)
                      : CableRead(s.line, s.clock, s.params, s.cancel, s.reporter);
        EXPECT_TRUE(r.cancelled);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.message.empty());
        EXPECT_EQ(std::string(s.line.written.begin(), s.line.written.end()), c.sent);
        ASSERT_NE(alarm, 0);
        EXPECT_GE(s.clock.us, alarm);
        EXPECT_LE(s.clock.us - alarm, 10'000);
        EXPECT_TRUE(r.portOpen);
        EXPECT_TRUE(r.image.empty());
        for (std::size_t i = wordsBefore; i < s.words.size(); ++i) {
            EXPECT_NE(s.words[i].rfind("Error", 0), 0u) << s.words[i];
        }
    }
}

TEST(CableDisconnect, ClosesAndSendsNothing) {
    Session s;
    s.openLine();
    const SessionResult r = CableDisconnect(s.line, s.reporter);
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(s.line.isOpen());
    EXPECT_EQ(r.status, "Disconnect");
    EXPECT_TRUE(s.line.written.empty());
}

} // namespace
} // namespace tk::test
