// The simulated GSM modem, driven byte by byte as the paced tool drives it.
#include "sim/modem.h"
#include "sim/transmitter.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace tk::sim {
namespace {

struct Line {
    Transmitter tx;
    Modem modem;
    std::int64_t now = 10'000;
    std::vector<std::string> dialled;

    explicit Line(Registration reg = Registration::Home, DialOutcome dial = DialOutcome::Connect,
                  Bytes image = Bytes(7 * 128, 0x5A))
        : tx(std::move(image)), modem(tx, reg, dial) {
        modem.onDial = [this](const std::string& n) { dialled.push_back(n); };
    }

    // Sends the bytes 1 ms apart after `pauseMs` of silence; returns the answers joined.
    std::string send(const std::string& bytes, std::int64_t pauseMs = 2000) {
        now += pauseMs;
        std::string out;
        for (const char c : bytes) {
            const std::uint8_t b = static_cast<std::uint8_t>(c);
            for (const Bytes& r : modem.receive(std::span(&b, 1), now).replies) {
                out.append(r.begin(), r.end());
            }
            ++now;
        }
        return out;
    }
};

TEST(Modem, PreparationRegistrationAndDial) {
    struct Case {
        Registration reg;
        DialOutcome dial;
        std::string creg;
        std::string atd;
        bool call;
    };
    const Case cases[] = {
        {Registration::Home, DialOutcome::Connect, "\r\n+CREG: 0,1\r\n\r\nOK\r\n",
         "\r\nCONNECT 9600\r\n", true},
        {Registration::Roaming, DialOutcome::NoCarrier, "\r\n+CREG: 0,5\r\n\r\nOK\r\n",
         "\r\nNO CARRIER\r\n", false},
        {Registration::Searching, DialOutcome::Silence, "\r\n+CREG: 0,2\r\n\r\nOK\r\n", "", false},
        {Registration::None, DialOutcome::Connect, "", "\r\nCONNECT 9600\r\n", true},
    };
    for (const Case& c : cases) {
        Line l(c.reg, c.dial);
        // Echo is on until "ATE=0".
        EXPECT_EQ(l.send("ATE=0\r"), "ATE=0\r\r\nOK\r\n");
        EXPECT_FALSE(l.modem.echo());
        EXPECT_EQ(l.send("AT\r"), "\r\nOK\r\n");
        EXPECT_EQ(l.send("AT+CBST=71,0,1\r"), "\r\nOK\r\n");
        EXPECT_EQ(l.send("AT+CREG?\r"), c.creg);
        EXPECT_EQ(l.send("ATD+79161234567\r"), c.atd);
        EXPECT_EQ(l.modem.callUp(), c.call);
        EXPECT_EQ(l.dialled, std::vector<std::string>{"+79161234567"});
        // Inside the call the transmitter answers what it does not know.
        EXPECT_EQ(l.send("ATX\r"), c.call ? "ER\r\n" : "\r\nERROR\r\n");
    }
}

TEST(Modem, CallCarriesTheTransmitterUntilTheEscapeThenHangsUp) {
    Line l;
    l.send("ATE=0\r");
    l.send("ATD123\r");
    ASSERT_TRUE(l.modem.online());
    // The transmitter's protocol over the call; "AT" goes to the transmitter now.
    EXPECT_EQ(l.send("rdump\r", 300), "07");
    EXPECT_EQ(l.send("AT\r", 300), "ER\r\n");
    // "+" inside the call, without the guard time, is data.
    EXPECT_EQ(l.send("+++\r", 300), "ER\r\n");
    EXPECT_TRUE(l.modem.online());
    // After 2 s of silence "+++" leaves the call; "AT" after it is a command.
    EXPECT_EQ(l.send("+++AT\r"), "\r\nOK\r\n");
    EXPECT_FALSE(l.modem.online());
    EXPECT_TRUE(l.modem.callUp());
    EXPECT_EQ(l.send("ATH\r"), "\r\nOK\r\n");
    EXPECT_FALSE(l.modem.callUp());
    // Without a call "+++AT" is a plain "AT".
    EXPECT_EQ(l.send("+++AT\r"), "\r\nOK\r\n");
}

// Extension blocks travel through the call both ways: 13 blocks written, read back.
TEST(Modem, ExtensionBlocksBothWays) {
    Line l(Registration::Home, DialOutcome::Connect);
    int writtenBlocks = 0;
    l.tx.onWritten = [&](const Bytes&, int n) { writtenBlocks = n; };
    l.send("ATE=0\r");
    l.send("ATD1\r");
    Bytes image(13 * 128);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 31 % 255);
    }
    EXPECT_EQ(l.send("pdum0D\r", 300), "OK\r\n");
    for (int i = 0; i < 13; ++i) {
        l.send("prog" + test::hex2(i) + "\r", 300);
        const Bytes block = test::withSum(test::block(image, i));
        ASSERT_EQ(l.send(std::string(block.begin(), block.end()), 0), "OK\r\n") << i;
    }
    EXPECT_EQ(writtenBlocks, 13);
    EXPECT_EQ(l.tx.image(), image);
    EXPECT_EQ(l.send("rdump\r", 300), "0D");
    const std::string block12 = l.send("read0C\r", 300);
    EXPECT_EQ(block12, std::string(image.end() - 128, image.end()) + "OK\r\n");
}

TEST(Modem, IdleCallIsClearedByTheTransmitter) {
    Line l;
    l.send("ATE=0\r");
    l.send("ATD1\r");
    ASSERT_TRUE(l.modem.online());
    // A tool that went away without hanging up: a minute later the next session's
    // commands reach the modem again.
    EXPECT_EQ(l.send("ATE=0\r", 61'000), "\r\nOK\r\n");
    EXPECT_FALSE(l.modem.callUp());
}

TEST(Modem, OptionNames) {
    EXPECT_EQ(RegistrationByName("5"), Registration::Roaming);
    EXPECT_EQ(RegistrationByName("none"), Registration::None);
    EXPECT_FALSE(RegistrationByName("3"));
    EXPECT_EQ(DialOutcomeByName("no-carrier"), DialOutcome::NoCarrier);
    EXPECT_FALSE(DialOutcomeByName("busy"));
}

} // namespace
} // namespace tk::sim
