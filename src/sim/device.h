// What sits at the far end of the simulated line: it is given the bytes that arrive
// and answers with what to send back. The transmitter is one such device; a modem in
// front of a transmitter is another.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tk::sim {

using Bytes = std::vector<std::uint8_t>;

// What a device does in reply to the bytes it was given.
struct Answer {
    std::vector<Bytes> replies; // each sent whole, in order
    bool hangUp = false;        // close the line after the replies
};

class Device {
public:
    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    virtual ~Device() = default;

    // Bytes that arrived at nowMs.
    virtual Answer receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs) = 0;
};

} // namespace tk::sim
