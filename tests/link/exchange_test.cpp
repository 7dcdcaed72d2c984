// The exchange primitives against a scripted line on a virtual clock.
#include "fake_line.h"
#include "link/exchange.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tk::test {
namespace {

using link::Exchange;

// A line open with the cable settings (500 ms of silence ends a reply), or with those
// of the modem link (setdcb(1): 100 ms).
struct Bench {
    VirtualClock clock;
    FakeLine line{clock};
    std::vector<int> progress;
    Exchange x{line, clock, link::Reporter{[this](int p) { progress.push_back(p); }, {}}};
    explicit Bench(int interval = 5) {
        x.PortName = "/dev/ttyS0";
        EXPECT_TRUE(x.setdcb(interval));
    }
};

TEST(Formsum, SumHighByteFirst) {
    struct Case {
        Bytes block;
        std::uint8_t hi, lo;
    };
    const Case cases[] = {
        {Bytes(128, 0xFF), 0x7F, 0x80}, // 128 x 255 = 32640
        {Bytes(128, 0x00), 0x00, 0x00},
        {Bytes{0x01, 0x02, 0xFF}, 0x01, 0x02},
        {Bytes(300, 0xFF), 0x2A, 0xD4}, // 76500 mod 65536 = 10964
    };
    for (const Case& c : cases) {
        Bytes dest(c.block.size() + 2, 0xEE);
        EXPECT_EQ(link::formsum(dest, c.block), c.block.size() + 2);
        EXPECT_TRUE(std::equal(c.block.begin(), c.block.end(), dest.begin()));
        EXPECT_EQ(dest[c.block.size()], c.hi);
        EXPECT_EQ(dest[c.block.size() + 1], c.lo);
    }
}

TEST(Strncmp1, IndexOfFirstDifferencePlusOne) {
    const auto* a = reinterpret_cast<const std::uint8_t*>("MOK\r\n");
    const auto* b = reinterpret_cast<const std::uint8_t*>("MOX\r\n");
    EXPECT_EQ(link::strncmp1(a, b, 2), 0);
    EXPECT_EQ(link::strncmp1(a, b, 5), 3);
    EXPECT_EQ(link::strncmp1(a, b, 0), 0);
    EXPECT_EQ(link::strncmp1(a, b, -4), 0);
    EXPECT_EQ(link::strncmp1(a, a, 5), 0);
}

// Each reply checked by each primitive: the tails are compared at their positions
// measured from the end of what was received.
TEST(Exchange, TailsAtExactPositionsFromTheEnd) {
    enum Prim { Vvod, Conn, Reg, M };
    struct Case {
        Prim prim;
        std::string reply;
        bool ok;
    };
    const Case cases[] = {
        {Vvod, "OK\r\n", true},
        {Vvod, "block bytes...OK\r\n", true},
        {Vvod, "OKxx", true}, // only "OK" and two more bytes count
        {Vvod, "OK\r\n\r\n", false},
        {Vvod, "OK\r", false},
        {Vvod, "ER\r\n", false},
        {Conn, "CONNECT 9600\r\n", true},
        {Conn, "\r\nCONNECT 9600\r\n", true},
        {Conn, "CONNECT\r\n", false},
        {Conn, "NO CARRIER\r\n", false},
        {Reg, "+CREG: 0,1\r\n\r\nOK\r\n", true},
        {Reg, "\r\n+CREG: 0,5\r\n\r\nOK\r\n", true},
        {Reg, "+CREG: 0,2\r\n\r\nOK\r\n", false},
        {Reg, "+CREG: 0,1\r\nOK\r\n", false},
        {Reg, "+CREG: 0,1\r\n", false},
        {M, "MOK\r\n", true},
        {M, "M\rMOK\r\n", true},
        {M, "MOK\r\n\r\n", false},
        {M, "OK\r\n", false},
        {M, "MOK\n\r", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        Bench b;
        b.line.expect("CMD\r", c.reply);
        bool ok = false;
        switch (c.prim) {
        case Vvod:
            ok = b.x.vvod("CMD\r", 0, 20);
            break;
        case Conn:
            ok = b.x.vvodconn("CMD\r", 0, 20);
            break;
        case Reg:
            ok = b.x.vvodReg("CMD\r", 0, 20);
            break;
        case M:
            ok = b.x.vvodM("CMD\r", 0, 20);
            break;
        }
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(b.x.StatusCode, c.ok ? StatusNone : StatusBadReply);
        EXPECT_EQ(b.x.TransferCount, c.reply.size());
        EXPECT_EQ(b.progress.back(), 100);
    }
}

// Each answer shape in the normal and the quick exchange: when the reply ends (from the
// arrival of the last byte it took) and how it is judged. The normal exchange waits
// for the read interval's silence and the slice that sees it pass; the quick one ends
// 4 ms (the guard) after the tail has come, a block answer at its 132nd byte, and
// anything else as the normal one does.
TEST(Exchange, QuickEndsEachAnswerAtItsTail) {
    enum Prim { Vvod, Block, M, Hex, Reg, Conn };
    struct Part {
        std::int64_t gapUs; // before the part: after the command, or after the last part
        std::string bytes;  // at 9600 baud
    };
    struct End {
        bool ok;
        std::size_t count;  // bytes taken
        std::int64_t after; // ms from the last byte taken to the end
    };
    const std::string block(128, 'B');
    const std::string okBlock = std::string(124, 'b') + "OK\r\n"; // a tail inside the data
    struct Case {
        const char* name;
        Prim prim;
        int interval; // setdcb: 5 cable, 1 modem
        std::vector<Part> parts;
        End normal, quick;
    };
    const Case cases[] = {
        {"block", Block, 5, {{2000, block + "OK\r\n"}}, {true, 132, 501}, {true, 132, 0}},
        {"block, its tail late",
         Block,
         5,
         {{2000, block}, {300'000, "OK\r\n"}},
         {true, 132, 501},
         {true, 132, 0}},
        {"block data ending OK, a pause before its tail",
         Block,
         5,
         {{2000, okBlock}, {100'000, "OK\r\n"}},
         {true, 132, 501},
         {true, 132, 0}},
        {"block, a pause mid-answer",
         Block,
         1,
         {{2000, block.substr(0, 64)}, {60'000, block.substr(64) + "OK\r\n"}},
         {true, 132, 101},
         {true, 132, 0}},
        {"block ending ER",
         Block,
         5,
         {{2000, block + "ER\r\n"}},
         {false, 132, 501},
         {false, 132, 501}},
        {"block, bytes after the tail",
         Block,
         5,
         {{2000, block + "OK\r\n\r\n"}},
         {false, 134, 501},
         {true, 132, 0}},
        {"short block answer", Block, 5, {{2000, "xyOK\r\n"}}, {true, 6, 501}, {true, 6, 501}},
        {"OK", Vvod, 5, {{2000, "OK\r\n"}}, {true, 4, 501}, {true, 4, 4}},
        {"modem OK", Vvod, 1, {{2000, "\r\nOK\r\n"}}, {true, 6, 101}, {true, 6, 4}},
        {"OK, its line end late",
         Vvod,
         5,
         {{2000, "OK"}, {300'000, "\r\n"}},
         {true, 4, 501},
         {true, 4, 4}},
        {"OK, its line end after the silence",
         Vvod,
         5,
         {{2000, "OK"}, {600'000, "\r\n"}},
         {false, 2, 501},
         {false, 2, 501}},
        {"modem OK, a pause mid-answer",
         Vvod,
         1,
         {{2000, "\r\nO"}, {30'000, "K\r\n"}},
         {true, 6, 101},
         {true, 6, 4}},
        {"bytes right after the tail",
         Vvod,
         5,
         {{2000, "OK\r\n\r\n"}},
         {false, 6, 501},
         {false, 6, 501}},
        {"bytes after the tail and the guard",
         Vvod,
         5,
         {{2000, "OK\r\n"}, {50'000, "\r\n"}},
         {false, 6, 501},
         {true, 4, 4}},
        {"MOK", M, 5, {{2000, "M\rMOK\r\n"}}, {true, 7, 501}, {true, 7, 4}},
        {"hex count", Hex, 5, {{2000, "07"}}, {true, 2, 501}, {true, 2, 4}},
        {"hex count, a pause between the digits",
         Hex,
         5,
         {{2000, "0"}, {30'000, "7"}},
         {true, 2, 501},
         {true, 2, 4}},
        {"+CREG", Reg, 1, {{2000, "\r\n+CREG: 0,1\r\n\r\nOK\r\n"}}, {true, 20, 101}, {true, 20, 4}},
        {"+CREG, its OK late",
         Reg,
         1,
         {{2000, "\r\n+CREG: 0,5\r\n"}, {50'000, "\r\nOK\r\n"}},
         {true, 20, 101},
         {true, 20, 4}},
        {"+CREG searching",
         Reg,
         1,
         {{2000, "\r\n+CREG: 0,2\r\n\r\nOK\r\n"}},
         {false, 20, 101},
         {false, 20, 101}},
        {"CONNECT", Conn, 1, {{2000, "\r\nCONNECT 9600\r\n"}}, {true, 16, 101}, {true, 16, 4}},
    };
    for (const Case& c : cases) {
        for (const bool quick : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (quick ? ", quick" : ", normal"));
            Bench b(c.interval);
            b.x.Quick = quick;
            b.line.expect("C\r", std::nullopt);
            std::vector<std::int64_t> arrivals;
            b.line.steps.back().onMatch = [&] {
                std::int64_t t = b.clock.us;
                for (const Part& p : c.parts) {
                    t += p.gapUs - 1042;
                    for (const char ch : p.bytes) {
                        t += 1042;
                        b.line.pending.emplace_back(t, static_cast<std::uint8_t>(ch));
                        arrivals.push_back(t);
                    }
                }
            };
            bool ok = false;
            switch (c.prim) {
            case Vvod:
                ok = b.x.vvod("C\r", 0, 20);
                break;
            case Block:
                ok = b.x.vvodBlock("C\r", 0, 20);
                break;
            case M:
                ok = b.x.vvodM("C\r", 0, 20);
                break;
            case Hex:
                ok = b.x.vvodXX("C\r", 0, 20) == 7;
                break;
            case Reg:
                ok = b.x.vvodReg("C\r", 0, 20);
                break;
            case Conn:
                ok = b.x.vvodconn("C\r", 0, 20);
                break;
            }
            const End& e = quick ? c.quick : c.normal;
            EXPECT_EQ(ok, e.ok);
            EXPECT_EQ(b.x.StatusCode, e.ok ? StatusNone : StatusBadReply);
            ASSERT_EQ(b.x.TransferCount, e.count);
            // From the arrival of the last byte taken.
            EXPECT_EQ(b.clock.us - arrivals.at(e.count - 1), e.after * 1000);
            EXPECT_EQ(b.progress.back(), 100);
        }
    }
}

TEST(Exchange, HexCountFromTheLastTwoBytes) {
    struct Case {
        std::string reply;
        int value;
        tk::StatusCode status;
    };
    const Case cases[] = {
        {"07", 7, StatusNone},         {"rdump\r\n07", 7, StatusNone}, {"0a", 10, StatusNone},
        {"0A", 10, StatusNone},        {"FF", 255, StatusNone},        {"G1", 0, StatusBadReply},
        {"1G", 0, StatusBadReply},     {"00", 0, StatusNone},          {"7", 0, StatusBadReply},
        {"07\r\n", 0, StatusBadReply},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        Bench b;
        b.line.expect("rdump\r", c.reply);
        EXPECT_EQ(b.x.vvodXX("rdump\r", 0, 100), c.value);
        EXPECT_EQ(b.x.StatusCode, c.status);
    }
}

// The time-out is measured from after the command's last pause; at exactly T x 100 ms
// the bar shows 100 and the wait goes on for one more slice.
TEST(Exchange, TimeOutOnlyAfterMoreThanTTimes100Ms) {
    for (int T : {1, 20, 80}) {
        Bench b;
        b.line.expect("M\r", std::nullopt);
        const std::int64_t before = b.clock.us;
        EXPECT_FALSE(b.x.vvodM("M\r", 0, T));
        EXPECT_EQ(b.x.StatusCode, StatusTimeout);
        const std::int64_t sendUs = 3 * 1000; // three pauses of 1.0 ms
        EXPECT_EQ(b.clock.us - before - sendUs, T * 100'000 + 10'000);
        // 0, 100/T, ... up to 100 at T x 100 ms, then 100 again at the end.
        ASSERT_GE(b.progress.size(), 2u);
        EXPECT_EQ(b.progress[b.progress.size() - 2], 100);
        EXPECT_EQ(b.progress.back(), 100);
        // elapsed / T after each slice: rising from its first value to 100.
        EXPECT_EQ(b.progress.front(), 10 / T);
        EXPECT_TRUE(std::is_sorted(b.progress.begin(), b.progress.end()));
        // Each value once (T = 1: 10, 20, ... 100; else 0 ... 100), then 100 at the end.
        EXPECT_EQ(b.progress.size(), T == 1 ? 11u : 102u);
        // One read per 10 ms slice: the wait does not spin.
        EXPECT_EQ(b.line.reads, T * 10 + 1);
    }
}

TEST(Exchange, ReplyCompleteJustBeforeTheTimeOutIsJudged) {
    Bench b;
    Step s;
    s.expect = bytes("read00\r");
    s.reply = bytes("OK\r\n");
    s.delayUs = 7'400'000; // complete at 7.4 s + 500 ms of silence < 8 s
    b.line.expect(s);
    EXPECT_TRUE(b.x.vvod("read00\r", 0, 80));
    Bench late;
    s.delayUs = 7'600'000;
    late.line.expect(s);
    EXPECT_FALSE(late.x.vvod("read00\r", 0, 80));
    EXPECT_EQ(late.x.StatusCode, StatusTimeout);
}

TEST(Exchange, RepliesFramedBySilenceLongerThanTheInterval) {
    struct Case {
        std::int64_t gapUs;
        bool ok;
        std::size_t count;
    };
    // "OK" arrives, then "\r\n" after a gap; a gap over 500 ms ends the reply at "OK".
    const Case cases[] = {{400'000, true, 4}, {480'000, true, 4}, {600'000, false, 2}};
    for (const Case& c : cases) {
        Bench b;
        b.line.expect("X\r", std::string("OK"));
        const std::int64_t t0 = b.clock.us + 3000 + 2000;
        b.line.pending.emplace_back(t0 + 2084 + c.gapUs, '\r');
        b.line.pending.emplace_back(t0 + 3126 + c.gapUs, '\n');
        EXPECT_EQ(b.x.vvod("X\r", 0, 20), c.ok);
        EXPECT_EQ(b.x.TransferCount, c.count);
    }
}

TEST(Exchange, ReplyJudgedOnItsFirst500Bytes) {
    Bench b;
    std::string reply(600, 'x');
    reply.replace(496, 4, "OK\r\n"); // the 500th byte ends "OK\r\n"
    b.line.expect("read00\r", reply);
    EXPECT_TRUE(b.x.vvod("read00\r", 0, 80));
    EXPECT_EQ(b.x.TransferCount, 500u);

    Bench over;
    std::string tailAtEnd(600, 'x');
    tailAtEnd.replace(596, 4, "OK\r\n");
    over.line.expect("read00\r", tailAtEnd);
    EXPECT_FALSE(over.x.vvod("read00\r", 0, 80));
    EXPECT_EQ(over.x.StatusCode, StatusBadReply);
    EXPECT_EQ(over.x.TransferCount, 500u);
    // The rest is discarded by the purge of the next exchange.
    over.line.expect("M\r", std::string("MOK\r\n"));
    over.clock.us += 200'000;
    EXPECT_TRUE(over.x.vvodM("M\r", 0, 20));
}

TEST(Exchange, ReplyNeverWrittenBeyondTheReplyArea) {
    Bench b;
    b.line.expect("read FF\r", std::string(400, 'z'));
    const std::size_t dest = link::kReplyAreaSize - 100;
    EXPECT_FALSE(b.x.vvod("read FF\r", dest, 80));
    EXPECT_EQ(b.x.TransferCount, 100u);
}

// Every byte alone, each preceded by one pause and one more pause after the last.
TEST(Exchange, PacingCounted) {
    for (unsigned pause : {1u, 10u, 990u}) {
        Bench b;
        b.x.TxPause = pause;
        const std::int64_t start = b.clock.us;
        EXPECT_TRUE(b.x.vvod1("prog03\r"));
        ASSERT_EQ(b.line.written, bytes("prog03\r"));
        for (std::size_t i = 0; i < 7; ++i) {
            EXPECT_EQ(b.line.writeTimesUs[i] - start,
                      static_cast<std::int64_t>((i + 1) * pause * 100));
        }
        EXPECT_EQ(b.clock.us - start, static_cast<std::int64_t>(8 * pause * 100));
        EXPECT_EQ(b.line.reads, 0); // vvod1 waits for nothing
    }
}

TEST(Exchange, PurgeFirstAndStatusResetExceptVvod1) {
    Bench b;
    b.line.expect("AT\r", std::nullopt);
    EXPECT_FALSE(b.x.vvod("AT\r", 0, 1));
    EXPECT_EQ(b.x.StatusCode, StatusTimeout);
    const int purges = b.line.purges;
    b.x.vvod1("prog00\r");
    EXPECT_EQ(b.line.purges, purges + 1);
    EXPECT_EQ(b.x.StatusCode, StatusTimeout); // vvod1 leaves it alone
}

TEST(Exchange, BlockWithSumGoesOutPacedAndChecked) {
    Bench b;
    Step s;
    s.expect = Bytes(128, 0xFF);
    s.expect.push_back(0x7F);
    s.expect.push_back(0x80);
    s.reply = bytes("OK\r\n");
    b.line.expect(s);
    const std::int64_t start = b.clock.us;
    EXPECT_TRUE(b.x.vvodsum(Bytes(128, 0xFF), 0, 100));
    EXPECT_EQ(b.line.written, s.expect);
    EXPECT_EQ(b.line.writeTimesUs.back() - start, 130 * 1000);
}

// A line that fails during the wait (device pulled, far end closed) ends the wait at
// once with a bad reply; the line is closed.
TEST(Exchange, FailedLineEndsTheWaitAsBadReply) {
    Bench b;
    b.line.expect("read02\r", std::nullopt);
    b.line.failAtUs = b.clock.us + 1'000'000;
    EXPECT_FALSE(b.x.vvod("read02\r", 0, 80));
    EXPECT_EQ(b.x.StatusCode, StatusBadReply);
    EXPECT_FALSE(b.line.isOpen());
    EXPECT_LE(b.line.reads, 101);
    // A closed line: the next exchange fails at once, not after its time-out.
    const std::int64_t t = b.clock.us;
    EXPECT_FALSE(b.x.vvod("read03\r", 0, 80));
    EXPECT_EQ(b.x.StatusCode, StatusBadReply);
    EXPECT_LT(b.clock.us - t, 20'000);
}

TEST(Exchange, SetdcbOpensOnceWithTheReadInterval) {
    VirtualClock clock;
    FakeLine line(clock);
    Exchange x(line, clock);
    x.PortName = "/dev/pts/7";
    EXPECT_TRUE(x.setdcb(1));
    EXPECT_EQ(line.settings.readIntervalMs, 100);
    EXPECT_EQ(line.settings.baudRate, 9600);
    EXPECT_EQ(line.opened.back(), "/dev/pts/7");
    EXPECT_FALSE(x.setdcb(5)); // held already
    EXPECT_TRUE(x.OpenRefused);
    line.close();
    line.refuseSettings = true;
    EXPECT_FALSE(x.setdcb(5));
    EXPECT_FALSE(x.OpenRefused);
    EXPECT_TRUE(line.isOpen()); // the caller closes it
}

} // namespace
} // namespace tk::test
