// The QSerialPort line on a real pseudo-terminal: the test holds the master end.
#include "link/qserialline.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tk::link {
namespace {

class Pty {
public:
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
            termios t{};
            ::tcgetattr(master, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(master, TCSANOW, &t);
            path = ::ptsname(master);
        }
    }
    ~Pty() { closeMaster(); }
    void closeMaster() {
        if (master >= 0) {
            ::close(master);
            master = -1;
        }
    }
    std::string readMaster(int timeoutMs) {
        std::string got;
        pollfd p{master, POLLIN, 0};
        while (::poll(&p, 1, timeoutMs) > 0) {
            char buf[64];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    void writeMaster(const std::string& s) {
        ASSERT_EQ(::write(master, s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }

    int master = -1;
    std::string path;
};

std::string readAll(QSerialLine& line, int slices) {
    std::string got;
    std::uint8_t buf[64];
    for (int i = 0; i < slices; ++i) {
        const LineRead r = line.read(buf, 10);
        got.append(reinterpret_cast<char*>(buf), r.count);
    }
    return got;
}

TEST(QSerialLine, OpensAPtyExclusivelyAndMovesBytes) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    QSerialLine line;
    ASSERT_TRUE(line.open(pty.path)) << line.error();
    // DTR and RTS cannot be set on a pseudo-terminal; the settings are accepted anyway.
    EXPECT_TRUE(line.configure(LineSettings{}));
    EXPECT_TRUE(line.isOpen());

    QSerialLine second;
    EXPECT_FALSE(second.open(pty.path));
    EXPECT_FALSE(second.error().empty());
    EXPECT_FALSE(line.open(pty.path)); // open already

    for (const char c : std::string("M\r\x11\x13\xFF")) {
        EXPECT_TRUE(line.writeByte(static_cast<std::uint8_t>(c), 10));
    }
    EXPECT_EQ(pty.readMaster(100), std::string("M\r\x11\x13\xFF")); // no XON/XOFF, 8 bits

    pty.writeMaster(std::string("MOK\r\n\x11\x00", 7));
    EXPECT_EQ(readAll(line, 10), std::string("MOK\r\n\x11\x00", 7)); // no CR/LF translation

    pty.writeMaster("stale");
    ::usleep(50'000);
    line.purge();
    EXPECT_EQ(readAll(line, 3), "");

    line.close();
    EXPECT_FALSE(line.isOpen());
    QSerialLine third;
    EXPECT_TRUE(third.open(pty.path)); // free again after close
}

// The far end goes away: the read fails once, the line is closed, and waiting on it
// costs nothing more.
TEST(QSerialLine, VanishedLineClosesAndFailsAtOnce) {
    Pty pty;
    QSerialLine line;
    ASSERT_TRUE(line.open(pty.path));
    ASSERT_TRUE(line.configure(LineSettings{}));
    pty.closeMaster();
    std::uint8_t buf[16];
    QElapsedTimer t;
    t.start();
    LineRead r;
    int reads = 0;
    while (!r.failed && reads < 100) {
        r = line.read(buf, 10);
        ++reads;
    }
    EXPECT_TRUE(r.failed);
    EXPECT_LE(reads, 2);
    EXPECT_FALSE(line.isOpen());
    EXPECT_LT(t.elapsed(), 100);
    EXPECT_FALSE(line.writeByte('M', 10));
    EXPECT_TRUE(line.read(buf, 10).failed);
}

// Each refused open says why, so that the user can be told what to do. The refusal of
// permission only exists for a normal user (root may open any device); the test runs
// once more as one (tests/as_unprivileged.sh).
TEST(QSerialLine, RefusedOpensSayWhy) {
    struct Case {
        const char* name;
        OpenFailure failure;
    };
    const Case cases[] = {
        {"absent", OpenFailure::Absent},
        {"held by another line", OpenFailure::InUse},
        {"open already", OpenFailure::HeldHere},
        {"not a serial port", OpenFailure::Other},
        {"no permission", OpenFailure::Permission},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pty pty;
        ASSERT_FALSE(pty.path.empty());
        QSerialLine holder;
        QSerialLine line;
        std::string name = pty.path;
        switch (c.failure) {
        case OpenFailure::Absent:
            name = "/dev/tk515-no-such-port";
            break;
        case OpenFailure::InUse:
            ASSERT_TRUE(holder.open(pty.path));
            break;
        case OpenFailure::HeldHere:
            ASSERT_TRUE(line.open(pty.path));
            break;
        case OpenFailure::Other:
            name = "/dev/null";
            break;
        case OpenFailure::Permission:
            if (::geteuid() == 0) {
                continue; // root opens it all the same
            }
            ASSERT_EQ(::chmod(pty.path.c_str(), 0), 0);
            break;
        case OpenFailure::None:
            break;
        }
        const bool wasOpen = line.isOpen();
        EXPECT_FALSE(line.open(name));
        EXPECT_EQ(line.openFailure(), c.failure);
        EXPECT_FALSE(line.error().empty());
        EXPECT_EQ(line.isOpen(), wasOpen);
        std::uint8_t buf[4];
        if (!wasOpen) {
            EXPECT_TRUE(line.read(buf, 10).failed);
        }
    }
    // An open that succeeds clears the last refusal.
    Pty free;
    QSerialLine line;
    EXPECT_FALSE(line.open("/dev/tk515-no-such-port"));
    EXPECT_TRUE(line.open(free.path));
    EXPECT_EQ(line.openFailure(), OpenFailure::None);
}

} // namespace
} // namespace tk::link
