#include "sim/line.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tk::sim {
namespace {

constexpr long kByteNs = 1'000'000'000L / 960; // 10 bits at 9600 baud

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

void addNs(timespec& t, long ns) {
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1'000'000'000L) {
        t.tv_nsec -= 1'000'000'000L;
        ++t.tv_sec;
    }
}

} // namespace

std::unique_ptr<SimLine> SimLine::CreatePty(std::string& slavePath, std::string& error) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        error = systemError("posix_openpt");
        return nullptr;
    }
    termios raw{};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::tcgetattr(master, &raw) != 0) {
        error = systemError("pseudo-terminal");
        ::close(master);
        return nullptr;
    }
    // Raw before the program opens the slave: no echo, no line editing, no CR/LF
    // translation, 8 bits through.
    ::cfmakeraw(&raw);
    ::tcsetattr(master, TCSANOW, &raw);
    const char* name = ::ptsname(master);
    if (name == nullptr) {
        error = systemError("ptsname");
        ::close(master);
        return nullptr;
    }
    slavePath = name;
    const int keep = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (keep >= 0) {
        ::tcsetattr(keep, TCSANOW, &raw);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    return std::unique_ptr<SimLine>(new SimLine(master, keep));
}

std::unique_ptr<SimLine> SimLine::OpenDevice(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = systemError(path);
        return nullptr;
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        error = systemError(path);
        ::close(fd);
        return nullptr;
    }
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB | PARENB);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        error = systemError(path);
        ::close(fd);
        return nullptr;
    }
    ::tcflush(fd, TCIOFLUSH);
    return std::unique_ptr<SimLine>(new SimLine(fd, -1));
}

SimLine::~SimLine() {
    close();
}

void SimLine::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (keepOpen_ >= 0) {
        ::close(keepOpen_);
        keepOpen_ = -1;
    }
}

bool SimLine::receive(Bytes& out, int timeoutMs) {
    if (fd_ < 0) {
        return false;
    }
    pollfd p{fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, timeoutMs);
    if (r < 0) {
        return errno == EINTR;
    }
    if (r == 0) {
        return true;
    }
    std::uint8_t buf[512];
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n > 0) {
        out.insert(out.end(), buf, buf + n);
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    // A hang-up without data: no program holds the slave (only possible when our own
    // slave could not be kept open). Wait instead of spinning.
    if (n < 0 && errno == EIO && keepOpen_ < 0 && fd_ >= 0) {
        ::poll(nullptr, 0, timeoutMs);
        return true;
    }
    return false;
}

bool SimLine::writeAll(const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd_, data, n);
        if (w > 0) {
            data += w;
            n -= static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w < 0 && errno == EAGAIN) {
            // Nobody reads the slave: its queue is full of answers to a program that
            // has gone. Drop them.
            if (keepOpen_ >= 0) {
                ::tcflush(keepOpen_, TCIFLUSH);
            }
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 10);
            continue;
        }
        return false;
    }
    return true;
}

bool SimLine::send(const Bytes& bytes, bool paced) {
    if (fd_ < 0) {
        return false;
    }
    if (!paced) {
        return writeAll(bytes.data(), bytes.size());
    }
    timespec next{};
    ::clock_gettime(CLOCK_MONOTONIC, &next);
    for (const std::uint8_t b : bytes) {
        if (!writeAll(&b, 1)) {
            return false;
        }
        addNs(next, kByteNs);
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) {
        }
    }
    return true;
}

} // namespace tk::sim
