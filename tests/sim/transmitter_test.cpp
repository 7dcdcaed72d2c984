// The simulated transmitter's protocol, driven byte by byte.
#include "sim/transmitter.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace tk::sim {
namespace {

using test::withSum;

Bytes image7() {
    Bytes img(7 * 128);
    for (std::size_t i = 0; i < img.size(); ++i) {
        img[i] = static_cast<std::uint8_t>(i % 253);
    }
    return img;
}

// Feeds bytes one at a time, 1 ms apart, as the paced tool sends them; returns all
// replies joined.
struct Feeder {
    Transmitter& tx;
    std::int64_t now = 10'000;
    bool hungUp = false;
    std::string send(const Bytes& bytes) {
        std::string replies;
        for (std::uint8_t b : bytes) {
            ++now;
            const Answer a = tx.receive(std::span<const std::uint8_t>(&b, 1), now);
            for (const Bytes& r : a.replies) {
                replies.append(r.begin(), r.end());
            }
            hungUp = hungUp || a.hangUp;
        }
        now += 800; // the tool's silence and pause before its next command
        return replies;
    }
    std::string send(const std::string& s) { return send(test::bytes(s)); }
};

TEST(Transmitter, ServesProbeCountAndBlocks) {
    Transmitter tx(image7());
    Feeder f{tx};
    EXPECT_EQ(f.send("M\r"), "MOK\r\n");
    EXPECT_EQ(f.send("rdump\r"), "07");
    const Bytes img = image7();
    EXPECT_EQ(f.send("read06\r"), std::string(img.begin() + 768, img.end()) + "OK\r\n");
    EXPECT_EQ(f.send("read07\r"), "ER\r\n");
    EXPECT_EQ(f.send("hello\r"), "ER\r\n");
}

TEST(Transmitter, TakesAWriteAndRefusesAWrongSum) {
    Transmitter tx(image7());
    int written = 0;
    tx.onWritten = [&](const Bytes&, int blocks) { written = blocks; };
    Feeder f{tx};
    const Bytes block(128, 0xFF);
    EXPECT_EQ(f.send("pdum04\r"), "OK\r\n");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.send("prog0" + std::to_string(i) + "\r"), "");
        const Bytes data = withSum(block, i == 1 ? 1 : 0);
        f.now -= 799; // the block follows its "prog" at once
        EXPECT_EQ(f.send(data), i == 1 ? "ER\r\n" : "OK\r\n") << i;
    }
    EXPECT_EQ(written, 0); // block 01 missing
    EXPECT_EQ(tx.image(), image7());
}

TEST(Transmitter, FaultStrikesOnceAndTheNextWriteWorks) {
    Transmitter tx(image7(), Fault::RefuseSum, 2);
    int written = 0;
    tx.onWritten = [&](const Bytes&, int blocks) { written = blocks; };
    Feeder f{tx};
    const Bytes block(128, 0x11);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(f.send("M\r"), "MOK\r\n");
        EXPECT_EQ(f.send("pdum04\r"), "OK\r\n");
        for (int i = 0; i < 4; ++i) {
            f.send("prog0" + std::to_string(i) + "\r");
            f.now -= 799;
            const std::string answer = f.send(withSum(block));
            EXPECT_EQ(answer, round == 0 && i == 2 ? "ER\r\n" : "OK\r\n") << round << i;
            if (answer != "OK\r\n") {
                break;
            }
        }
    }
    EXPECT_EQ(written, 4);
    EXPECT_EQ(Bytes(tx.image().begin(), tx.image().begin() + 512), Bytes(512, 0x11));
    const Bytes old = image7();
    EXPECT_EQ(Bytes(tx.image().begin() + 512, tx.image().end()),
              Bytes(old.begin() + 512, old.end()));
}

TEST(Transmitter, ReadFaults) {
    struct Case {
        Fault fault;
        std::string count;
        std::string block2Tail; // "" for no answer
        std::size_t block2Size;
        bool hangUp;
    };
    const Case cases[] = {
        {Fault::BadTail, "07", "ER\r\n", 132, false},
        {Fault::LongReply, "07", "OK\r\n", 532, false},
        {Fault::DropReply, "07", "", 0, false},
        {Fault::HangUp, "07", "", 0, true},
        {Fault::WrongCount, "0G", "OK\r\n", 132, false},
        {Fault::CountZero, "00", "OK\r\n", 132, false},
    };
    for (const Case& c : cases) {
        Transmitter tx(image7(), c.fault, 2);
        Feeder f{tx};
        EXPECT_EQ(f.send("rdump\r"), c.count);
        const std::string answer = f.send("read02\r");
        EXPECT_EQ(answer.size(), c.block2Size);
        if (!c.block2Tail.empty()) {
            EXPECT_EQ(answer.substr(answer.size() - 4), c.block2Tail);
        }
        EXPECT_EQ(f.hungUp, c.hangUp);
        EXPECT_EQ(f.send("read02\r").size(), c.hangUp ? 132u : 132u); // once only
    }
    Transmitter silent(image7(), Fault::NoAnswer);
    Feeder s{silent};
    EXPECT_EQ(s.send("M\r"), "");
}

TEST(Transmitter, HalfACommandIsForgottenAfterSilence) {
    Transmitter tx(image7());
    Feeder f{tx};
    EXPECT_EQ(f.send("rdu"), ""); // then 800 ms of nothing
    EXPECT_EQ(f.send("M\r"), "MOK\r\n");
}

TEST(Transmitter, ReadOnlyBytesSurviveAWrite) {
    Transmitter tx(image7());
    tx.readOnlyBytes = {{0x6E, 1}, {0x6F, 5}};
    Feeder f{tx};
    f.send("pdum01\r");
    f.send("prog00\r");
    f.now -= 799;
    EXPECT_EQ(f.send(withSum(Bytes(128, 0))), "OK\r\n");
    EXPECT_EQ(tx.image()[0x6E], 1);
    EXPECT_EQ(tx.image()[0x6F], 5);
    EXPECT_EQ(tx.image()[0x6D], 0);
}

} // namespace
} // namespace tk::sim
