// The simulator's end of the line: the master of a new pseudo-terminal (the program
// opens the slave) or a serial device. Replies can be paced as a 9600-baud line would
// carry them, since a pseudo-terminal ignores the baud rate.
#pragma once

#include "sim/device.h"

#include <memory>
#include <string>

namespace tk::sim {

class SimLine {
public:
    // A new pseudo-terminal, raw before anyone opens its slave; slavePath is what the
    // program opens. Null with error set when it cannot be made.
    static std::unique_ptr<SimLine> CreatePty(std::string& slavePath, std::string& error);
    // A serial device set to 9600 8N1 raw. Null with error set when it cannot be opened.
    static std::unique_ptr<SimLine> OpenDevice(const std::string& path, std::string& error);

    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;
    ~SimLine();

    // Waits at most timeoutMs for bytes and appends them to out. False when the line
    // failed (the device vanished).
    bool receive(Bytes& out, int timeoutMs);

    // Sends the bytes, one every 10 bit times of 9600 baud when paced. False when the
    // line failed.
    bool send(const Bytes& bytes, bool paced);

    // Closes the line: the program sees its port vanish.
    void close();

private:
    SimLine(int fd, int keepOpen) : fd_(fd), keepOpen_(keepOpen) {}
    bool writeAll(const std::uint8_t* data, std::size_t n);

    int fd_ = -1;
    // The pty's own slave, held open so that the master does not report a hang-up
    // while no program has the port open; it is never read.
    int keepOpen_ = -1;
};

} // namespace tk::sim
