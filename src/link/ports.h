// The serial ports present on this machine, for the port dialog and `tk515 ports`.
// Pseudo-terminals are not listed (open them by path).
#pragma once

#include <string>
#include <vector>

namespace tk::link {

struct PortInfo {
    std::string name;         // what to open: "/dev/ttyUSB0" on Linux, "COM3" on Windows
    std::string description;  // the driver's description, may be empty
    std::string manufacturer; // may be empty
};

std::vector<PortInfo> AvailablePorts();

} // namespace tk::link
